#include "updater/core/UpdateFlow.h"

#include "platform/Crt.h"
#include "platform/Path.h"
#include "platform/Prompt.h"
#include "platform/SecureFiles.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "updater/core/PRKFileVersion.h"
#include "updater/core/UpdateDescriptor.h"

namespace kq {

namespace {

void Inform(const std::u16string& text) { GetPromptProvider().Inform(text, kUpdateTitle); }

// 1 when the answer is "update".
int CheckVersion(const CUpdateDescriptor& descriptor, const CUpdateServices& services, const std::u16string& folder,
                 std::u16string& latest)
{
    CPRKFileVersion version(Wtof(descriptor.m_strSoftVersion));
    const std::u16string installed = FromAscii(version.m_strInstalledVersion);
    CDownloadRequest request{descriptor.m_strVersionURL, JoinPath(folder, u"Version.txt"), descriptor.m_strSoftName,
                             installed, services.m_pProgress, false};
    if (!DownloadFile(*services.m_pDownloader, request)) return 0;

    version.SetFilePath(request.m_strTarget);
    if (!version.ReadVersionFile()) {
        Inform(u"网络链接错误或网站繁忙导致无法获取版本信息，请稍后重试！");
        return 0;
    }
    if (IsUpToDate(version.m_strInstalledVersion, version.m_strLatestVersion)) {
        Inform(u"您计算机上安装的" + descriptor.m_strSoftName + u"是最新版本" + installed + u"，不需要升级！");
        return 0;
    }
    latest = version.m_strLatestVersion;
    const std::u16string question = descriptor.m_strSoftName + u"的最新版本是" + latest + u"，您计算机上安装的版本是" +
                                    descriptor.m_strSoftVersion + u"，是否需要从网络更新？\n\n新版本升级内容：\n" +
                                    BuildChangeText(version.m_aChangeList);
    return GetPromptProvider().AskYesNo(question, kUpdateTitle) == EPromptAnswer::Yes ? 1 : 0;
}

}  // namespace

std::u16string BuildChangeText(const std::vector<std::u16string>& changes)
{
    std::u16string text;
    const bool padded = changes.size() >= 10;
    for (size_t i = 0; i < changes.size(); ++i) {
        const std::u16string number = FormatInt(static_cast<long long>(i + 1));
        text += u"\n【" + (padded && i < 9 ? u"0" + number : number) + u"】." + changes[i];
    }
    return text;
}

bool IsUpToDate(std::string_view installedText, std::u16string_view latestText)
{
    return Atof(installedText) >= Wtof(latestText);
}

std::u16string SetupFileName(std::u16string_view setupUrl)
{
#ifdef _WIN32
    (void)setupUrl;
    return u"Setup.exe";
#else
    std::u16string_view path = setupUrl.substr(0, setupUrl.find_first_of(u"?#"));
    const size_t scheme = path.find(u"://");
    if (scheme != std::u16string_view::npos) {
        path.remove_prefix(scheme + 3);
        const size_t slash = path.find(u'/');
        path = slash == std::u16string_view::npos ? std::u16string_view() : path.substr(slash);
    }
    std::u16string_view segment = path.substr(path.rfind(u'/') + 1);
    const size_t dot = segment.rfind(u'.');
    if (dot == std::u16string_view::npos) return u"Setup";
    std::u16string_view extension = segment.substr(dot);
    // Only a plain extension is kept, never anything that reads as a path.
    if (extension.size() < 2 || extension.size() > 16) return u"Setup";
    for (char16_t c : extension.substr(1))
        if (!IsAsciiLetter(c) && !IsAsciiDigit(c)) return u"Setup";
    return u"Setup" + std::u16string(extension);
#endif
}

bool StartSetupProgram(const std::u16string& path)
{
    char head[4] = {};
    long long got = 0;
    {
        CRegularFileReader file;
        if (!file.Open(path)) return false;
        got = file.Read(head, sizeof head);
    }
    const std::string_view magic(head, got > 0 ? size_t(got) : 0);
    const bool program = magic.substr(0, 4) == "\x7f" "ELF" || magic.substr(0, 2) == "#!";
    if (program && !MakeOwnerExecutable(path)) return false;
    return ShellOpen(u"\"" + path + u"\"");
}

int RunUpdate(std::u16string_view argument, const CUpdateServices& services, CUpdateOutcome& outcome)
{
    outcome = {};
    if (argument.size() < 4) {
        Inform(u"远舟升级程序不支持直接启动，请通过软件中检测最新版本或配置程序中的在线升级命令启动！");
        return 0;
    }
    CUpdateDescriptor descriptor;
    if (!ReadUpdateDescriptor(argument, descriptor) || !services.m_pDownloader) return 0;
    std::u16string folder = services.m_strTempFolder;
    if (folder.empty() && !PrivateTempFolder(folder)) return 0;

    std::u16string latest;
    if (!CheckVersion(descriptor, services, folder, latest)) return 0;

    CDownloadRequest request{descriptor.m_strSetupURL, JoinPath(folder, SetupFileName(descriptor.m_strSetupURL)),
                             descriptor.m_strSoftName, latest, services.m_pProgress, true};
    if (!DownloadFile(*services.m_pDownloader, request)) return 0;
    outcome.m_strSetupPath = request.m_strTarget;
    if (services.m_bStartSetup) outcome.m_bStarted = StartSetupProgram(request.m_strTarget);
    return 1;
}

}  // namespace kq
