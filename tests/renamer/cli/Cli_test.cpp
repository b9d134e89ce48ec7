#include <gtest/gtest.h>

#include <sstream>

#include "support/TestSupport.h"

namespace kq {
namespace {

using test::RunProgram;

TEST(Cli, VersionHelpAndUsageErrors)
{
    struct Row {
        std::vector<std::string> args;
        int exitCode;
        const char* inOut;  // expected in stdout
        const char* inErr;  // expected in stderr
    } rows[] = {
        {{"--version"}, 0, "kqtools-cli 2.15", ""},
        {{"help"}, 0, "子命令", ""},
        {{"--help"}, 0, "--clipboard-file", ""},
        {{"help", "help"}, 0, "kqtools-cli help", ""},
        {{"eval", "--help"}, 0, "eval", ""},
        {{}, 2, "用法", ""},
        {{"nosuch"}, 2, "", "未知子命令：nosuch"},
        {{"help", "nosuch"}, 2, "", "未知子命令：nosuch"},
        {{"--bogus", "help"}, 2, "", "未知选项：--bogus"},
        {{"--clipboard-file"}, 2, "", "--clipboard-file"},
        {{"--clipboard-file", "/nonexistent/clip.txt", "help"}, 2, "", "无法读取剪贴板文件"},
    };
    for (const auto& row : rows) {
        std::string joined;
        for (const auto& a : row.args) joined += a + " ";
        SCOPED_TRACE(joined);
        auto result = RunProgram(KQ_CLI_PATH, row.args);
        EXPECT_EQ(result.m_nExitCode, row.exitCode);
        EXPECT_NE(result.m_strOut.find(row.inOut), std::string::npos) << result.m_strOut;
        EXPECT_NE(result.m_strErr.find(row.inErr), std::string::npos) << result.m_strErr;
    }
}

TEST(Cli, EverySubcommandHasItsOwnHelp)
{
    auto list = RunProgram(KQ_CLI_PATH, {"help"});
    ASSERT_EQ(list.m_nExitCode, 0);
    // Every listed subcommand answers `help NAME` with a usage text.
    size_t pos = list.m_strOut.find("子命令:");
    ASSERT_NE(pos, std::string::npos);
    std::istringstream lines(list.m_strOut.substr(pos));
    std::string line;
    std::getline(lines, line);
    int seen = 0;
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0) {
        std::string name = line.substr(2, line.find(' ', 2) - 2);
        auto help = RunProgram(KQ_CLI_PATH, {"help", name});
        EXPECT_EQ(help.m_nExitCode, 0) << name;
        EXPECT_FALSE(help.m_strOut.empty()) << name;
        ++seen;
    }
    EXPECT_GE(seen, 1);
}

}  // namespace
}  // namespace kq
