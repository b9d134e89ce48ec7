#include <gtest/gtest.h>

#include <map>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "LoopbackServer.h"
#include "UpdateSigning.h"
#include "UpdateTestSupport.h"
#include "platform/AtomicFile.h"
#include "platform/CodePage.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "updater/core/UpdateDescriptor.h"
#include "updater/core/UpdateFlow.h"

namespace kq {
namespace {

using test::CLoopbackServer;
using test::CRecordingProgress;
using test::CScriptedPrompt;
using test::CTempDir;

const char16_t kProduct[] = u"远舟文件改名系统";

std::string VersionFile()
{
    std::string gbk;
    ToGbk(u"VER1.0\r\n// 远舟文件改名系统\r\n[2.15]\r\nLen:1\r\nNot:\r\nCan:\r\n旧的\r\n###\r\n"
          u"[2.16]\r\nLen:20000\r\nNot:n\r\nCan:c\r\n修正改名时的错误\r\n增加排序功能\r\n###\r\n",
          gbk);
    return gbk;
}

const std::string kSetup(30000, 'd');
const std::u16string kSignatureMessage =
    u"下载的安装程序没有通过数字签名验证（签名缺失或与本程序内置的公钥不符），可能已损坏或被篡改。"
    u"为安全起见，已删除该文件，不会启动安装。";
const std::u16string kNetwork = u"网络链接错误或网站繁忙导致无法获取版本信息，请稍后重试！";
#ifdef _WIN32
// No Ed25519 verifier in the Windows build: no package is ever started.
constexpr bool kVerifies = false;
const std::u16string kSetupName = u"tmp/Setup.exe";  // Windows runs what it gets
#else
constexpr bool kVerifies = true;
const std::u16string kSetupName = u"tmp/Setup.deb";
#endif

const test::CTestSigner& Signer()
{
    static const test::CTestSigner s_signer;
    return s_signer;
}

struct CFlow {
    CLoopbackServer& server;
    CTempDir dir;
    std::unique_ptr<IDownloader> downloader = CreateSystemDownloader();
    CRecordingProgress progress;
    CScriptedPrompt prompt;
    std::vector<std::u16string> started;
    bool m_bOpens = true;
    std::string m_strKey = Signer().PublicKey();

    explicit CFlow(CLoopbackServer& s) : server(s)
    {
        dir.MakeFolder(u"tmp");
        server.Serve("Version.txt", VersionFile());
        server.Serve("setup.deb", kSetup);
        server.Serve("setup.deb.sig", Signer().Sign(kSetup));
        SetShellOpenHook([this](std::u16string_view target, std::u16string_view params) {
            started.push_back(std::u16string(target) + u"|" + std::u16string(params));
            return m_bOpens;
        });
    }
    ~CFlow() { SetShellOpenHook(nullptr); }

    bool Run(const std::string& version, const std::string& versionUrl, const std::string& setupUrl,
             CUpdateOutcome& outcome)
    {
        CUpdateDescriptor d{kProduct, FromUtf8(version), FromUtf8(versionUrl), FromUtf8(setupUrl)};
        dir.MakeFile(u"TERNRenameUpdate.cfg", FormatUpdateDescriptor(d));
        CUpdateServices services{downloader.get(), &progress, true, dir.Child(u"tmp"), m_strKey};
        return RunUpdate(dir.Child(u"TERNRenameUpdate.cfg"), services, outcome);
    }
};

TEST(UpdateFlow, RunsFromDescriptorToSetupStart)
{
    const std::u16string question =
        u"远舟文件改名系统的最新版本是2.16，您计算机上安装的版本是2.15，是否需要从网络更新？\n\n新版本升级内容：\n"
        u"\n【1】.修正改名时的错误\n【2】.增加排序功能";
    const std::u16string setupNetwork = u"网络链接错误或网站繁忙导致无法下载升级程序，请稍后重试！";
    CLoopbackServer server;
    ASSERT_TRUE(server.Running());
    const std::string files = server.Url("files/");
    // Nothing listens on port 1 of the loopback address.
    const std::string offline = "http://127.0.0.1:1/";
    struct Row {
        const char* name;
        std::string version, versionUrl, setupUrl;
        EPromptAnswer answer;
        bool result;
        std::vector<std::u16string> messages;
        bool setup;
    } rows[] = {
        {"yes", "2.15", files + "Version.txt", files + "setup.deb", EPromptAnswer::Yes, kVerifies,
         {question}, kVerifies},
        {"no", "2.15", files + "Version.txt", files + "setup.deb", EPromptAnswer::No, false, {question}, false},
        {"up to date", "2.16", files + "Version.txt", files + "setup.deb", EPromptAnswer::Yes, false,
         {u"您计算机上安装的远舟文件改名系统是最新版本2.16，不需要升级！"}, false},
        {"newer installed", "3", files + "Version.txt", files + "setup.deb", EPromptAnswer::Yes, false,
         {u"您计算机上安装的远舟文件改名系统是最新版本3.00，不需要升级！"}, false},
        {"version file 404", "2.15", server.Url("404/Version.txt"), files + "setup.deb", EPromptAnswer::Yes, false,
         {u"", kNetwork}, false},
        {"offline", "2.15", offline + "Version.txt", files + "setup.deb", EPromptAnswer::Yes, false, {kNetwork}, false},
        {"setup 404", "2.15", files + "Version.txt", server.Url("404/setup.deb"), EPromptAnswer::Yes, false,
         {question, setupNetwork}, false},
        {"setup cut short", "2.15", files + "Version.txt", server.Url("short/setup.deb"), EPromptAnswer::Yes, false,
         {question, setupNetwork}, false},
        {"version over ftp", "2.15", "ftp://127.0.0.1/Version.txt", files + "setup.deb", EPromptAnswer::Yes, false,
         {u"指定的安装程序下载路径不存在，请稍候重试！"}, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CFlow flow(server);
        flow.prompt.Answer(row.answer);
        CUpdateOutcome outcome;
        std::vector<std::u16string> messages = row.messages;
        if (!kVerifies && row.answer == EPromptAnswer::Yes && messages == std::vector<std::u16string>{question})
            messages.push_back(kSignatureMessage);
        EXPECT_EQ(flow.Run(row.version, row.versionUrl, row.setupUrl, outcome), row.result);
        ASSERT_EQ(flow.prompt.Shown().size(), messages.size());
        for (size_t i = 0; i < messages.size(); ++i) {
            EXPECT_EQ(flow.prompt.Shown()[i].m_strTitle, i == 0 && messages[0].empty() ? u"文件操作时出现错误" : u"远舟在线升级工具");
            if (!messages[i].empty()) {
                EXPECT_EQ(flow.prompt.Shown()[i].m_strText, messages[i]);
            }
        }
        if (messages.size() == 2 && messages[0].empty()) {  // the reader's header message first
            EXPECT_NE(flow.prompt.Shown()[0].m_strText.find(u"文件头没有版本信息或版本信息错误！"), std::u16string::npos);
        }
        const std::u16string setup = flow.dir.Child(kSetupName);
        if (row.setup) {
            EXPECT_EQ(outcome.m_strSetupPath, setup);
            EXPECT_TRUE(outcome.m_bStarted);
            EXPECT_EQ(flow.started, std::vector<std::u16string>{u"\"" + setup + u"\"|"});
            EXPECT_EQ(flow.dir.ReadFile(kSetupName), kSetup);
            // 30,000 bytes: the setup download showed the window with the latest version.
            EXPECT_EQ(flow.progress.m_strCaption, u"升级 远舟文件改名系统2.16");
        } else {
            EXPECT_TRUE(outcome.m_strSetupPath.empty());
            EXPECT_TRUE(flow.started.empty());
            EXPECT_FALSE(PathExists(setup));
        }
        // Nothing is left behind but the version file and the setup program.
        for (const std::u16string& name : flow.dir.List(u"tmp"))
            EXPECT_TRUE(name == u"Version.txt" || name == u"update.lock" || (row.setup && name == kSetupName.substr(4)))
                << ToUtf8(name);
    }
}

#ifndef _WIN32
// Packages signed at test time with a key made for the test.
TEST(UpdateFlow, StartsOnlyPackagesSignedWithTheBuiltInKey)
{
    CLoopbackServer server;
    ASSERT_TRUE(server.Running());
    ASSERT_TRUE(Signer().Ready());
    const std::string good = Signer().Sign(kSetup);
    ASSERT_EQ(good.size(), 64u);
    const test::CTestSigner other;
    // The same signature as one line of base64, as `openssl base64 -A` writes it.
    CTempDir scratch;
    scratch.MakeFile(u"sig", good);
    const std::string base64 =
        test::RunProgram("/usr/bin/openssl", {"base64", "-A", "-in", scratch.NativePath() + "/sig"}).m_strOut + "\n";
    ASSERT_EQ(base64.size(), 89u);
    struct Row {
        const char* name;
        const char* signature;  // nullptr: none served
        std::string key;
        bool started;
    } rows[] = {
        {"good", "good", Signer().PublicKey(), true},
        {"base64", "base64", Signer().PublicKey(), true},
        {"wrong key", "other key", Signer().PublicKey(), false},
        {"other bytes", "other bytes", Signer().PublicKey(), false},
        {"missing", nullptr, Signer().PublicKey(), false},
        {"truncated", "truncated", Signer().PublicKey(), false},
        {"one byte more", "longer", Signer().PublicKey(), false},
        {"no key built in", "good", "", false},
    };
    const std::map<std::string, std::string> signatures = {
        {"good", good}, {"base64", base64}, {"other key", other.Sign(kSetup)},
        {"other bytes", Signer().Sign(kSetup + "x")}, {"truncated", good.substr(0, 40)}, {"longer", good + "\n"}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CFlow flow(server);
        flow.m_strKey = row.key;
        const std::string name = "package" + std::to_string(&row - rows) + ".deb";
        server.Serve(name, kSetup);
        if (row.signature) server.Serve(name + ".sig", signatures.at(row.signature));
        const std::string setupUrl = server.Url("files/" + name);
        flow.prompt.Answer(EPromptAnswer::Yes);
        CUpdateOutcome outcome;
        EXPECT_EQ(flow.Run("2.15", server.Url("files/Version.txt"), setupUrl, outcome), row.started);
        EXPECT_EQ(outcome.m_bStarted, row.started);
        EXPECT_EQ(flow.started.size(), row.started ? 1u : 0u);
        ASSERT_EQ(flow.prompt.Shown().size(), row.started ? 1u : 2u);
        if (!row.started) {
            EXPECT_EQ(flow.prompt.Shown()[1].m_strText, kSignatureMessage);
            EXPECT_EQ(flow.prompt.Shown()[1].m_strTitle, u"远舟在线升级工具");
        }
        // A refused package is gone; the signature never stays.
        const std::vector<std::u16string> kept = row.started
                                                     ? std::vector<std::u16string>{u"Setup.deb", u"Version.txt", u"update.lock"}
                                                     : std::vector<std::u16string>{u"Version.txt", u"update.lock"};
        EXPECT_EQ(flow.dir.List(u"tmp"), kept);
    }
}

TEST(UpdateFlow, ReportsWhatGoesWrongAfterTheQuestion)
{
    CLoopbackServer server;
    ASSERT_TRUE(server.Running());
    // A version file of more than 16 MiB is not taken.
    {
        CFlow flow(server);
        server.Serve("Huge.txt", VersionFile() + std::string((16u << 20) + 1, '/'));
        CUpdateOutcome outcome;
        EXPECT_FALSE(flow.Run("2.15", server.Url("nolength/Huge.txt"), server.Url("files/setup.deb"), outcome));
        ASSERT_EQ(flow.prompt.Shown().size(), 1u);
        EXPECT_EQ(flow.prompt.Shown()[0].m_strText, kNetwork);
    }
    // A verified setup that nothing can open is reported and kept.
    {
        CFlow flow(server);
        flow.m_bOpens = false;
        flow.prompt.Answer(EPromptAnswer::Yes);
        CUpdateOutcome outcome;
        EXPECT_TRUE(flow.Run("2.15", server.Url("files/Version.txt"), server.Url("files/setup.deb"), outcome));
        EXPECT_FALSE(outcome.m_bStarted);
        ASSERT_EQ(flow.prompt.Shown().size(), 2u);
        EXPECT_EQ(flow.prompt.Shown()[1].m_strText,
                  u"升级程序已下载，但系统无法打开它。请手动打开该文件完成升级：\n" + flow.dir.Child(kSetupName));
        EXPECT_EQ(flow.dir.ReadFile(kSetupName), kSetup);
    }
}
#endif

TEST(UpdateFlow, RemovesUnfinishedDownloadsOfAKilledRun)
{
    CTempDir dir;
    const std::vector<std::u16string> names = {u"Setup.deb.part-00ab", u"Setup.part-1", u"Version.txt.part-ff",
                                               u"Setup.deb", u"Version.txt", u"notes.part-1", u"Setup.deb.sig"};
    for (const auto& name : names) dir.MakeFile(name, "x");
    // While another pass holds the folder, its downloads stay.
    {
        CFileLock other;
        ASSERT_TRUE(other.TryLock(dir.Child(u"update.lock")));
        CFileLock lock;
        RemoveLeftoverDownloads(dir.Path(), lock);
        EXPECT_FALSE(lock.IsLocked());
        EXPECT_EQ(dir.List().size(), names.size() + 1);
    }
    CFileLock lock;
    RemoveLeftoverDownloads(dir.Path(), lock);
    EXPECT_TRUE(lock.IsLocked());
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"Setup.deb", u"Setup.deb.sig", u"Version.txt", u"notes.part-1",
                                                       u"update.lock"}));
}

TEST(UpdateFlow, StartUpRefusesShortArgumentsAndMissingDescriptors)
{
    CScriptedPrompt prompt;
    auto downloader = CreateSystemDownloader();
    CUpdateServices services{downloader.get(), nullptr, false, {}, {}};
    CUpdateOutcome outcome;
    for (const char16_t* arg : {u"", u"a.c"}) {
        prompt.Clear();
        EXPECT_FALSE(RunUpdate(arg, services, outcome));
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].m_strText,
                  u"远舟升级程序不支持直接启动，请通过软件中检测最新版本或配置程序中的在线升级命令启动！");
    }
    CTempDir dir;
    dir.MakeFile(u"three.cfg", "SoftName=a\nSoftVersion=1\nVersionURL=http://127.0.0.1/v\n");
    for (const std::u16string& arg : {dir.Child(u"missing.cfg"), dir.Child(u"three.cfg"), dir.Path()}) {
        prompt.Clear();
        EXPECT_FALSE(RunUpdate(arg, services, outcome));
        EXPECT_TRUE(prompt.Shown().empty());
    }
}

TEST(UpdateDescriptor, ReadsFourLinesAfterTheirKeys)
{
    struct Row {
        std::string bytes;
        bool ok;
        std::u16string name, version, versionUrl, setupUrl;
    } rows[] = {
        {"SoftName=A\nSoftVersion=2.15\nVersionURL=http://h/v\nSetupURL=http://h/s", true, u"A", u"2.15", u"http://h/v", u"http://h/s"},
        {"SoftName=A\r\nSoftVersion=2.15\r\nVersionURL=http://h/v?a=b\r\nSetupURL=\r\nextra\r\n", true, u"A", u"2.15",
         u"http://h/v?a=b", u""},
        {"Name:A\n\nVersionURL=x\nSetupURL=y\n", true, u"Name:A", u"", u"x", u"y"},  // keys are not checked
        {"SoftName=A\nSoftVersion=1\nVersionURL=x\n", false, u"", u"", u"", u""},
        {"", false, u"", u"", u"", u""},
    };
    for (const auto& row : rows) {
        CUpdateDescriptor d;
        ASSERT_EQ(ParseUpdateDescriptor(row.bytes, d), row.ok) << row.bytes;
        EXPECT_EQ(d.m_strSoftName, row.name);
        EXPECT_EQ(d.m_strSoftVersion, row.version);
        EXPECT_EQ(d.m_strVersionURL, row.versionUrl);
        EXPECT_EQ(d.m_strSetupURL, row.setupUrl);
    }
    // GBK both ways.
    CUpdateDescriptor d{kProduct, u"2.15", u"http://h/v", u"http://h/s"}, back;
    const std::string bytes = FormatUpdateDescriptor(d);
    EXPECT_EQ(bytes.find(ToUtf8(kProduct)), std::string::npos);
    ASSERT_TRUE(ParseUpdateDescriptor(bytes, back));
    EXPECT_EQ(back.m_strSoftName, kProduct);
}

TEST(UpdateFlow, SetupNamesAndStart)
{
    struct Row {
        const char16_t* url;
        const char16_t* name;
    } rows[] = {
        {u"http://h/dl/kqtools_2.16_amd64.deb", u"Setup.deb"}, {u"http://h/KQTools.AppImage?x=1", u"Setup.AppImage"},
        {u"https://h/install.run#top", u"Setup.run"},          {u"http://h/setup", u"Setup"},
        {u"http://h.example/", u"Setup"},                       {u"http://h.example", u"Setup"},
        {u"http://h/a.b/c", u"Setup"},                          {u"http://h/x.%2F..", u"Setup"},
    };
#ifdef _WIN32
    // Windows starts whatever the site serves as a program.
    for (const auto& row : rows) EXPECT_EQ(SetupFileName(row.url), u"Setup.exe") << ToUtf8(row.url);
#else
    for (const auto& row : rows) EXPECT_EQ(SetupFileName(row.url), row.name) << ToUtf8(row.url);
#endif

    CTempDir dir;
    std::vector<std::u16string> opened;
    SetShellOpenHook([&](std::u16string_view target, std::u16string_view) {
        opened.emplace_back(target);
        return true;
    });
#ifdef _WIN32
    dir.MakeFile(u"Setup.exe", "MZ");
    EXPECT_TRUE(StartSetupProgram(dir.Child(u"Setup.exe")));
    SetShellOpenHook(nullptr);
    EXPECT_EQ(opened.size(), 1u);
#else
    // The programs among them are made executable for the owner only.
    struct Start {
        const char16_t* name;
        std::string content;
        mode_t mode;
    } starts[] = {{u"Setup.deb", "!<arch>\n", 0600}, {u"Setup", "\x7f" "ELF\x02", 0700}, {u"Setup.run", "#!/bin/sh\n", 0700}};
    for (const auto& s : starts) {
        dir.MakeFile(s.name, s.content);
        chmod(ToNativeName(dir.Child(s.name)).c_str(), 0600);
        EXPECT_TRUE(StartSetupProgram(dir.Child(s.name)));
        struct stat st;
        ASSERT_EQ(stat(ToNativeName(dir.Child(s.name)).c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, s.mode) << ToUtf8(s.name);
    }
    SetShellOpenHook(nullptr);
    EXPECT_EQ(opened.size(), 3u);
#endif
}

}  // namespace
}  // namespace kq
