// Where the help files and the updater are, and what the shell is handed
// for the help, web-page and update commands. Qt-free so that the paths are
// the same for every front end.
#pragma once

#include <string>

#include "platform/Maker.h"

namespace kq {

inline constexpr char16_t kProductKey[] = u"SOFTWARE\\远舟工作室\\远舟文件改名系统";
inline constexpr char16_t kWindowsKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// The installation folder ("Location" of the product key); empty when the
// registry has no such value.
std::u16string InstallationFolder();
// "CommonFilesDir" followed by the shared sub-folder "TernSoft Share".
std::u16string SharedFolder();

// A shell command: the target (quoted as the shell expects) and its
// parameter text.
struct CShellCommand {
    std::u16string m_strTarget;
    std::u16string m_strParams;
};

// "<installation folder>/KQTools.html" in double quotes.
CShellCommand HelpCommand();
// "<installation folder>/calhelp.html" in double quotes.
CShellCommand FormulaHelpCommand();
CShellCommand WebPageCommand();
// The quoted updater program with the quoted update descriptor as its only
// parameter.
CShellCommand UpdateCommand();

// Hands the command to the shell; the result is not examined, as a missing
// help file or updater is the desktop's to report.
void RunShellCommand(const CShellCommand& command);

}  // namespace kq
