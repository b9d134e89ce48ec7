// The updater's one pass: descriptor, version file, question, setup
// download and start. The program and `kqtools-cli update` both run it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "updater/core/Download.h"

namespace kq {

struct CUpdateServices {
    IDownloader* m_pDownloader = nullptr;
    IProgressWindow* m_pProgress = nullptr;  // none: downloads without a window
    bool m_bStartSetup = true;
    // Where downloads go; empty: the private temporary folder.
    std::u16string m_strTempFolder;
};

struct CUpdateOutcome {
    std::u16string m_strSetupPath;  // empty unless the setup program was downloaded
    bool m_bStarted = false;
};

// Runs the whole pass for the command-line argument (the descriptor path).
// 1 when the setup program was downloaded, 0 otherwise; every message went
// through the prompt provider.
int RunUpdate(std::u16string_view argument, const CUpdateServices& services, CUpdateOutcome& outcome);

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
