// The updater's one pass: descriptor, version file, question, setup
// download and start. The program and `kqtools-cli update` both run it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/AtomicFile.h"
#include "updater/core/Download.h"

namespace kq {

struct CUpdateServices {
    IDownloader* m_pDownloader = nullptr;
    IProgressWindow* m_pProgress = nullptr;  // none: downloads without a window
    bool m_bStartSetup = true;
    // Where downloads go; empty: the private temporary folder.
    std::u16string m_strTempFolder;
    // The key setup packages must be signed with (CUpdateTrust).
    std::string m_strPublicKey;
};

struct CUpdateOutcome {
    std::u16string m_strSetupPath;  // empty unless the setup program was downloaded
    bool m_bStarted = false;
};

// Runs the whole pass for the command-line argument (the descriptor path).
// True when the setup program was downloaded and its signature verified;
// every message went through the prompt provider.
bool RunUpdate(std::u16string_view argument, const CUpdateServices& services, CUpdateOutcome& outcome);

// Removes the unfinished downloads (".part-" files) a killed run left in
// the download folder. Runs only while no other update pass holds the
// folder's lock, which lock takes for the rest of the pass.
void RemoveLeftoverDownloads(const std::u16string& folder, CFileLock& lock);

// "\n【1】.item" per change; with ten or more, 1 to 9 read 01 to 09.
std::u16string BuildChangeText(const std::vector<std::u16string>& changes);
// True when the installed "%.2f" text is not older than the latest text.
bool IsUpToDate(std::string_view installedText, std::u16string_view latestText);
// "Setup.exe" on Windows; elsewhere "Setup" plus the extension of the
// address's last path segment.
std::u16string SetupFileName(std::u16string_view setupUrl);
// Opens the downloaded setup program: an ELF program, AppImage or script
// is made executable for its owner and started; anything else goes to the
// desktop's opener. Does not wait.
bool StartSetupProgram(const std::u16string& path);

}  // namespace kq
