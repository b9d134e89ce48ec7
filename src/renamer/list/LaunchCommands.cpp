#include "LaunchCommands.h"

#include "platform/Path.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace kq {

namespace {

std::u16string Quoted(const std::u16string& path) { return u"\"" + path + u"\""; }

CShellCommand InstalledDocument(std::u16string_view name)
{
    return {Quoted(JoinPath(InstallationFolder(), name)), {}};
}

}  // namespace

std::u16string InstallationFolder()
{
    std::u16string folder;
    CTERNRegeditBase::ReadKeyVal(kProductKey, u"Location", 2, folder);
    return folder;
}

std::u16string SharedFolder()
{
    std::u16string common;
    CTERNRegeditBase::ReadKeyVal(kWindowsKey, u"CommonFilesDir", 2, common);
    return common + kPathSeparator + u"TernSoft Share";
}

CShellCommand HelpCommand() { return InstalledDocument(u"KQTools.html"); }

CShellCommand FormulaHelpCommand() { return InstalledDocument(u"calhelp.html"); }

CShellCommand WebPageCommand() { return {kMakerWebAddress, {}}; }

CShellCommand UpdateCommand()
{
    const std::u16string shared = SharedFolder();
#ifdef _WIN32
    const std::u16string program = u"TERNControlUpdate.exe";
#else
    const std::u16string program = u"TERNControlUpdate";
#endif
    return {Quoted(shared + kPathSeparator + program), Quoted(shared + kPathSeparator + u"TERNRenameUpdate.cfg")};
}

void RunShellCommand(const CShellCommand& command)
{
    ShellOpen(command.m_strTarget, command.m_strParams);
}

}  // namespace kq
