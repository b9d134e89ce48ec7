#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include "LoopbackServer.h"
#include "UpdateSigning.h"
#include "platform/FileSystem.h"
#include "platform/CodePage.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "updater/core/UpdateDescriptor.h"

namespace kq {
namespace {

using test::CLoopbackServer;
using test::CTempDir;
using test::RunProgram;

std::string Gbk(std::u16string_view text)
{
    std::string bytes;
    ToGbk(text, bytes);
    return bytes;
}

TEST(VersionFileCommand, PrintsWhatTheUpdaterReads)
{
    CTempDir dir;
    dir.MakeFile(u"v.txt", Gbk(u"VER1.0\n[5.50]\n[5.51]\nLen:12\nNot:注\nCan:可\n修正\n\"引号\"\n###\n"));
    dir.MakeFile(u"bad.txt", "\n// c\nVER1.1\n");
    const std::string v = test::WithPlatformSeparators(dir.NativePath() + "/v.txt"),
                      bad = test::WithPlatformSeparators(dir.NativePath() + "/bad.txt");
    struct Row {
        std::vector<std::string> args;
        int exitCode;
        std::string out;
        const char* inErr;
    } rows[] = {
        {{"version-file", v, "--installed", "5.5", "--json"}, 0,
         "{\"ok\":true,\"formatVersion\":1.0,\"latest\":\"5.51\",\"len\":12,\"not\":\"注\",\"can\":\"可\","
         "\"changes\":[\"修正\",\"\\\"引号\\\"\"],\"changeText\":\"\\n【1】.修正\\n【2】.\\\"引号\\\"\",\"messages\":[]}\n",
         ""},
        {{"version-file", bad, "--installed=5.5", "--json"}, 1,
         "{\"ok\":false,\"formatVersion\":1.1,\"latest\":\"\",\"len\":0,\"not\":\"\",\"can\":\"\",\"changes\":[],"
         "\"changeText\":\"\",\"messages\":[\"文件操作时出现错误，无法继续进行，请按以下错误信息描述检查该文件：\\n\\n文件名称：" +
             test::BackslashesDoubled(bad) + "\\n文件版本：Ver1.10\\n错误位置：第3行\\n错误描述：版本信息文件版本高于当前系统能够读取版本，无法读取文件！\"]}\n",
         ""},
        {{"version-file", v, "--installed", "5.51"}, 0,
         "格式版本: 1.0\n最新版本: 5.51\nLen: 0\nNot: \nCan: \n升级内容:\n", ""},
        {{"version-file", bad, "--installed", "1"}, 1, "", "错误位置：第3行"},
        {{"version-file", v}, 2, "", "--installed"},
        {{"version-file", "--installed", "1"}, 2, "", "version-file"},
        {{"version-file", v, v, "--installed", "1"}, 2, "", "version-file"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.back());
        auto result = RunProgram(KQ_CLI_PATH, row.args);
        EXPECT_EQ(result.m_nExitCode, row.exitCode) << result.m_strErr;
        if (row.exitCode != 2) {
            EXPECT_EQ(result.m_strOut, row.out);
        }
        EXPECT_NE(result.m_strErr.find(row.inErr), std::string::npos) << result.m_strErr;
    }
}

TEST(UpdateCommand, RunsTheUpdatePassInTheTerminal)
{
    CLoopbackServer server;
    ASSERT_TRUE(server.Running());
    CTempDir dir;
    server.Serve("version.txt", Gbk(u"VER1.0\n[2.15]\n[2.16]\nLen:1\nNot:\nCan:\n新功能\n###\n"));
    const std::string package(30000, 's');
    server.Serve("setup.deb", package);
#ifndef _WIN32
    const test::CTestSigner signer;
    ASSERT_TRUE(signer.Ready());
    server.Serve("setup.deb.sig", signer.Sign(package));
#endif
    CUpdateDescriptor d{u"远舟文件改名系统", u"2.15", FromUtf8(server.Url("files/version.txt")),
                        FromUtf8(server.Url("files/setup.deb"))};
    dir.MakeFile(u"d.cfg", FormatUpdateDescriptor(d));
#ifdef _WIN32
    // The setup goes to the per-user temporary folder (TMP) as Setup.exe.
    const std::string descriptor = dir.NativePath() + "\\d.cfg";
    const std::string setup = dir.NativePath() + "\\Setup.exe";
    const std::string setupJson = test::BackslashesDoubled(setup);
    const std::vector<std::string> env = {"TMP=" + dir.NativePath(), "TEMP=" + dir.NativePath()};
#else
    const std::string descriptor = dir.NativePath() + "/d.cfg";
    const std::string setup = dir.NativePath() + "/kqtools-" + std::to_string(geteuid()) + "/Setup.deb";
    const std::string setupJson = setup;
    // The test build of the command takes the key from its environment.
    const std::vector<std::string> env = {"XDG_RUNTIME_DIR=" + dir.NativePath(), "no_proxy=127.0.0.1",
                                          "KQ_TEST_UPDATE_KEY=" + signer.PublicKey()};
#endif
    const std::string kSignatureMessage =
        "下载的安装程序没有通过数字签名验证（签名缺失或与本程序内置的公钥不符），可能已损坏或被篡改。"
        "为安全起见，已删除该文件，不会启动安装。";
#ifdef _WIN32
    // No verifier on Windows: the test build refuses like the shipped one.
    const std::string kCli = KQ_CLI_PATH;
#else
    const std::string kCli = KQ_CLI_TESTING_PATH;
#endif
    const std::string question =
        "{\"title\":\"远舟在线升级工具\",\"text\":\"远舟文件改名系统的最新版本是2.16，您计算机上安装的版本是2.15，"
        "是否需要从网络更新？\\n\\n新版本升级内容：\\n\\n【1】.新功能\"}";
    struct Row {
        std::vector<std::string> args;
        std::string stdinText;
        int exitCode;
        std::string out;
        const char* inErr;
    } rows[] = {
        {{"update", descriptor, "--no", "--json"}, "", 1, "{\"messages\":[" + question + "],\"setup\":\"\",\"started\":false}\n",
         "是否需要从网络更新"},
        {{"update", descriptor, "--no-start"}, "n\n", 1, "", "是否需要从网络更新"},
        {{"update", descriptor, "--yes", "--no-start", "--json"}, "", 0,
         "{\"messages\":[" + question + "],\"setup\":\"" + setupJson + "\",\"started\":false}\n", "100%"},
        {{"update", descriptor, "--no-start"}, "y\n", 0, setup + "\n", "升级 远舟文件改名系统2.16"},
        {{"update", "a.c", "--json"}, "", 1,
         "{\"messages\":[{\"title\":\"远舟在线升级工具\",\"text\":\"远舟升级程序不支持直接启动，请通过软件中检测最新版本或配置程序中的在线升级命令启动！\"}],"
         "\"setup\":\"\",\"started\":false}\n",
         ""},
        {{"update", test::WithPlatformSeparators(dir.NativePath() + "/missing.cfg"), "--json"}, "", 1, "{\"messages\":[],\"setup\":\"\",\"started\":false}\n", ""},
        {{"update", descriptor, "--yes", "--no"}, "", 2, "", "--yes"},
        {{"update"}, "", 2, "", "update"},
        {{"update", descriptor, "--bogus"}, "", 2, "", "--bogus"},
    };
    for (const auto& row : rows) {
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        SCOPED_TRACE(joined);
        auto result = RunProgram(kCli, row.args, row.stdinText, env);
#ifdef _WIN32
        if (row.exitCode == 0) {
            EXPECT_EQ(result.m_nExitCode, 1);
            EXPECT_NE(result.m_strErr.find(kSignatureMessage), std::string::npos) << result.m_strErr;
            continue;
        }
#endif
        EXPECT_EQ(result.m_nExitCode, row.exitCode) << result.m_strErr;
        if (row.exitCode != 2) {
            EXPECT_EQ(result.m_strOut, row.out);
        }
        EXPECT_NE(result.m_strErr.find(row.inErr), std::string::npos) << result.m_strErr;
    }

    // The shipped command knows no test key, whatever the environment says:
    // the package is refused and deleted.
    auto result = RunProgram(KQ_CLI_PATH, {"update", descriptor, "--yes", "--no-start", "--json"}, "", env);
    EXPECT_EQ(result.m_nExitCode, 1);
    EXPECT_EQ(result.m_strOut, "{\"messages\":[" + question + ",{\"title\":\"远舟在线升级工具\",\"text\":\"" +
                                   kSignatureMessage + "\"}],\"setup\":\"\",\"started\":false}\n");
    EXPECT_FALSE(PathExists(FromNativeName(setup)));
}

}  // namespace
}  // namespace kq
