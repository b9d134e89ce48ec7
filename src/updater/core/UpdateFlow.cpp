#include "updater/core/UpdateFlow.h"

#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Prompt.h"
#include "platform/SecureFiles.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "updater/core/PRKFileVersion.h"
#include "updater/core/Signature.h"
#include "updater/core/UpdateDescriptor.h"

namespace kq {

namespace {

void Inform(const std::u16string& text) { GetPromptProvider().Inform(text, kUpdateTitle); }

const char16_t kNetworkMessage[] = u"网络链接错误或网站繁忙导致无法获取版本信息，请稍后重试！";
const char16_t kSetupNetworkMessage[] = u"网络链接错误或网站繁忙导致无法下载升级程序，请稍后重试！";
const char16_t kSignatureMessage[] =
    u"下载的安装程序没有通过数字签名验证（签名缺失或与本程序内置的公钥不符），可能已损坏或被篡改。"
    u"为安全起见，已删除该文件，不会启动安装。";

// The version file is small and must come quickly; a setup package may be
// large and slow, but not silent.
constexpr std::chrono::seconds kVersionFileDeadline{30};
constexpr std::chrono::seconds kSignatureDeadline{30};
constexpr uint64_t kMaxSignatureBytes = 4096;

// The user hears of a failed download unless it already said why or was
// cancelled; a target that cannot be written ends silently, as it always has.
void ReportFailure(EDownloadResult result, const char16_t* message)
{
    if (result == EDownloadResult::Failed) Inform(message);
}

// True when the answer is "update".
bool CheckVersion(const CUpdateDescriptor& descriptor, const CUpdateServices& services, const std::u16string& folder,
                  std::u16string& latest)
{
    CPRKFileVersion version(Wtof(descriptor.m_strSoftVersion));
    const std::u16string installed = FromAscii(version.m_strInstalledVersion);
    CDownloadRequest request{descriptor.m_strVersionURL, JoinPath(folder, u"Version.txt"), descriptor.m_strSoftName,
                             installed, services.m_pProgress, false};
    request.m_nMaxBytes = kMaxVersionFileBytes;
    request.m_totalDeadline = kVersionFileDeadline;
    request.m_stallDeadline = kVersionFileDeadline;
    const EDownloadResult result = DownloadFile(*services.m_pDownloader, request);
    if (result != EDownloadResult::Done) {
        ReportFailure(result, kNetworkMessage);
        return false;
    }

    version.SetFilePath(request.m_strTarget);
    if (!version.ReadVersionFile()) {
        Inform(kNetworkMessage);
        return false;
    }
    if (IsUpToDate(version.m_strInstalledVersion, version.m_strLatestVersion)) {
        Inform(u"您计算机上安装的" + descriptor.m_strSoftName + u"是最新版本" + installed + u"，不需要升级！");
        return false;
    }
    latest = version.m_strLatestVersion;
    const std::u16string question = descriptor.m_strSoftName + u"的最新版本是" + latest + u"，您计算机上安装的版本是" +
                                    descriptor.m_strSoftVersion + u"，是否需要从网络更新？\n\n新版本升级内容：\n" +
                                    BuildChangeText(version.m_aChangeList);
    return GetPromptProvider().AskYesNo(question, kUpdateTitle) == EPromptAnswer::Yes;
}

// Fetches the package's detached signature (its address + ".sig") and
// checks the package against the key; a package that fails is deleted.
bool VerifyDownloadedSetup(const CUpdateDescriptor& descriptor, const CUpdateServices& services,
                           const std::u16string& setupPath)
{
    CDownloadRequest request{descriptor.m_strSetupURL + u".sig", setupPath + u".sig", {}, {}, nullptr, true};
    request.m_nMaxBytes = kMaxSignatureBytes;
    request.m_totalDeadline = kSignatureDeadline;
    request.m_stallDeadline = kSignatureDeadline;
    std::string signature;
    const bool fetched = DownloadFile(*services.m_pDownloader, request) == EDownloadResult::Done &&
                         ReadFileBytes(request.m_strTarget, signature, kMaxSignatureBytes, false);
    RemoveFile(request.m_strTarget);
    if (fetched && VerifyFileSignature(setupPath, signature, services.m_strPublicKey) == ESignatureResult::Valid)
        return true;
    RemoveFile(setupPath);
    Inform(kSignatureMessage);
    return false;
}

bool IsLeftoverDownload(std::u16string_view name)
{
    return name.find(u".part-") != std::u16string_view::npos &&
           (name.substr(0, 17) == u"Version.txt.part-" || name.substr(0, 5) == u"Setup");
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

void RemoveLeftoverDownloads(const std::u16string& folder, CFileLock& lock)
{
    if (!lock.TryLock(JoinPath(folder, u"update.lock"))) return;
    std::vector<std::u16string> leftovers;
    ForEachFolderEntry(folder, [&](std::u16string_view name, bool isDirectory) {
        if (!isDirectory && IsLeftoverDownload(name)) leftovers.emplace_back(name);
        return true;
    });
    for (const std::u16string& name : leftovers) RemoveFile(JoinPath(folder, name));
}

bool RunUpdate(std::u16string_view argument, const CUpdateServices& services, CUpdateOutcome& outcome)
{
    outcome = {};
    if (argument.size() < 4) {
        Inform(u"远舟升级程序不支持直接启动，请通过软件中检测最新版本或配置程序中的在线升级命令启动！");
        return false;
    }
    CUpdateDescriptor descriptor;
    if (!ReadUpdateDescriptor(argument, descriptor) || !services.m_pDownloader) return false;
    std::u16string folder = services.m_strTempFolder;
    if (folder.empty() && !PrivateTempFolder(folder)) return false;
    CFileLock lock;
    RemoveLeftoverDownloads(folder, lock);

    std::u16string latest;
    if (!CheckVersion(descriptor, services, folder, latest)) return false;

    CDownloadRequest request{descriptor.m_strSetupURL, JoinPath(folder, SetupFileName(descriptor.m_strSetupURL)),
                             descriptor.m_strSoftName, latest, services.m_pProgress, true};
    const EDownloadResult result = DownloadFile(*services.m_pDownloader, request);
    if (result != EDownloadResult::Done) {
        ReportFailure(result, kSetupNetworkMessage);
        return false;
    }
    if (!VerifyDownloadedSetup(descriptor, services, request.m_strTarget)) return false;
    outcome.m_strSetupPath = request.m_strTarget;
    if (!services.m_bStartSetup) return true;
    outcome.m_bStarted = StartSetupProgram(request.m_strTarget);
    if (!outcome.m_bStarted)
        Inform(u"升级程序已下载，但系统无法打开它。请手动打开该文件完成升级：\n" + request.m_strTarget);
    return true;
}

}  // namespace kq
