#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "LoopbackServer.h"
#include "UpdateTestSupport.h"
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

struct CFlow {
    CLoopbackServer& server;
    CTempDir dir;
    std::unique_ptr<IDownloader> downloader = CreateSystemDownloader();
    CRecordingProgress progress;
    CScriptedPrompt prompt;
    std::vector<std::u16string> started;

    explicit CFlow(CLoopbackServer& s) : server(s)
    {
        dir.MakeFolder(u"tmp");
        server.Serve("Version.txt", VersionFile());
        server.Serve("setup.deb", std::string(30000, 'd'));
        SetShellOpenHook([this](std::u16string_view target, std::u16string_view params) {
            started.push_back(std::u16string(target) + u"|" + std::u16string(params));
            return true;
        });
    }
    ~CFlow() { SetShellOpenHook(nullptr); }

    int Run(const std::string& version, const std::string& versionPath, const std::string& setupPath,
            CUpdateOutcome& outcome)
    {
        CUpdateDescriptor d{kProduct, FromUtf8(version), FromUtf8(server.Url(versionPath)), FromUtf8(server.Url(setupPath))};
        dir.MakeFile(u"TERNRenameUpdate.cfg", FormatUpdateDescriptor(d));
        CUpdateServices services{downloader.get(), &progress, true, dir.Child(u"tmp")};
        return RunUpdate(dir.Child(u"TERNRenameUpdate.cfg"), services, outcome);
    }
};

TEST(UpdateFlow, RunsFromDescriptorToSetupStart)
{
    const std::u16string question =
        u"远舟文件改名系统的最新版本是2.16，您计算机上安装的版本是2.15，是否需要从网络更新？\n\n新版本升级内容：\n"
        u"\n【1】.修正改名时的错误\n【2】.增加排序功能";
    const std::u16string network = u"网络链接错误或网站繁忙导致无法获取版本信息，请稍后重试！";
    struct Row {
        const char* name;
        std::string version, versionPath, setupPath;
        EPromptAnswer answer;
        int result;
        std::vector<std::u16string> messages;
        bool setup;
    } rows[] = {
        {"yes", "2.15", "files/Version.txt", "files/setup.deb", EPromptAnswer::Yes, 1, {question}, true},
        {"no", "2.15", "files/Version.txt", "files/setup.deb", EPromptAnswer::No, 0, {question}, false},
        {"up to date", "2.16", "files/Version.txt", "files/setup.deb", EPromptAnswer::Yes, 0,
         {u"您计算机上安装的远舟文件改名系统是最新版本2.16，不需要升级！"}, false},
        {"newer installed", "3", "files/Version.txt", "files/setup.deb", EPromptAnswer::Yes, 0,
         {u"您计算机上安装的远舟文件改名系统是最新版本3.00，不需要升级！"}, false},
        {"version file 404", "2.15", "404/Version.txt", "files/setup.deb", EPromptAnswer::Yes, 0, {u"", network}, false},
        {"setup 404", "2.15", "files/Version.txt", "404/setup.deb", EPromptAnswer::Yes, 0, {question}, false},
        {"setup cut short", "2.15", "files/Version.txt", "short/setup.deb", EPromptAnswer::Yes, 0, {question}, false},
        {"version over ftp", "2.15", "ftp:x", "files/setup.deb", EPromptAnswer::Yes, 0,
         {u"指定的安装程序下载路径不存在，请稍候重试！"}, false},
    };
    CLoopbackServer server;
    ASSERT_TRUE(server.Running());
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CFlow flow(server);
        flow.prompt.Answer(row.answer);
        CUpdateOutcome outcome;
        std::string versionPath = row.versionPath;
        if (versionPath == "ftp:x") {
            // An address of another scheme, written straight into the descriptor.
            CUpdateDescriptor d{kProduct, u"2.15", u"ftp://127.0.0.1/Version.txt", u"http://127.0.0.1/x"};
            flow.dir.MakeFile(u"d.cfg", FormatUpdateDescriptor(d));
            CUpdateServices services{flow.downloader.get(), &flow.progress, true, flow.dir.Child(u"tmp")};
            EXPECT_EQ(RunUpdate(flow.dir.Child(u"d.cfg"), services, outcome), 0);
        } else {
            EXPECT_EQ(flow.Run(row.version, versionPath, row.setupPath, outcome), row.result);
        }
        ASSERT_EQ(flow.prompt.Shown().size(), row.messages.size());
        for (size_t i = 0; i < row.messages.size(); ++i) {
            EXPECT_EQ(flow.prompt.Shown()[i].m_strTitle, i == 0 && row.messages[0].empty() ? u"文件操作时出现错误" : u"远舟在线升级工具");
            if (!row.messages[i].empty()) EXPECT_EQ(flow.prompt.Shown()[i].m_strText, row.messages[i]);
        }
        if (row.messages.size() == 2)  // the reader's header message first
            EXPECT_NE(flow.prompt.Shown()[0].m_strText.find(u"文件头没有版本信息或版本信息错误！"), std::u16string::npos);
#ifdef _WIN32
        const std::u16string setupName = u"tmp/Setup.exe";  // Windows runs what it gets
#else
        const std::u16string setupName = u"tmp/Setup.deb";
#endif
        const std::u16string setup = flow.dir.Child(setupName);
        if (row.setup) {
            EXPECT_EQ(outcome.m_strSetupPath, setup);
            EXPECT_TRUE(outcome.m_bStarted);
            EXPECT_EQ(flow.started, std::vector<std::u16string>{u"\"" + setup + u"\"|"});
            EXPECT_EQ(flow.dir.ReadFile(setupName), std::string(30000, 'd'));
            // 30,000 bytes: the setup download showed the window with the latest version.
            EXPECT_EQ(flow.progress.m_strCaption, u"升级 远舟文件改名系统2.16");
        } else {
            EXPECT_TRUE(outcome.m_strSetupPath.empty());
            EXPECT_TRUE(flow.started.empty());
            EXPECT_FALSE(PathExists(setup));
        }
    }
}

TEST(UpdateFlow, StartUpRefusesShortArgumentsAndMissingDescriptors)
{
    CScriptedPrompt prompt;
    auto downloader = CreateSystemDownloader();
    CUpdateServices services{downloader.get(), nullptr, false, {}};
    CUpdateOutcome outcome;
    for (const char16_t* arg : {u"", u"a.c"}) {
        prompt.Clear();
        EXPECT_EQ(RunUpdate(arg, services, outcome), 0);
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].m_strText,
                  u"远舟升级程序不支持直接启动，请通过软件中检测最新版本或配置程序中的在线升级命令启动！");
    }
    CTempDir dir;
    dir.MakeFile(u"three.cfg", "SoftName=a\nSoftVersion=1\nVersionURL=http://127.0.0.1/v\n");
    for (const std::u16string& arg : {dir.Child(u"missing.cfg"), dir.Child(u"three.cfg"), dir.Path()}) {
        prompt.Clear();
        EXPECT_EQ(RunUpdate(arg, services, outcome), 0);
        EXPECT_TRUE(prompt.Shown().empty());
    }
}

TEST(UpdateDescriptor, ReadsFourLinesAfterTheirKeys)
{
    struct Row {
        std::string bytes;
        int ok;
        std::u16string name, version, versionUrl, setupUrl;
    } rows[] = {
        {"SoftName=A\nSoftVersion=2.15\nVersionURL=http://h/v\nSetupURL=http://h/s", 1, u"A", u"2.15", u"http://h/v", u"http://h/s"},
        {"SoftName=A\r\nSoftVersion=2.15\r\nVersionURL=http://h/v?a=b\r\nSetupURL=\r\nextra\r\n", 1, u"A", u"2.15",
         u"http://h/v?a=b", u""},
        {"Name:A\n\nVersionURL=x\nSetupURL=y\n", 1, u"Name:A", u"", u"x", u"y"},  // keys are not checked
        {"SoftName=A\nSoftVersion=1\nVersionURL=x\n", 0, u"", u"", u"", u""},
        {"", 0, u"", u"", u"", u""},
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
    ASSERT_EQ(ParseUpdateDescriptor(bytes, back), 1);
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
