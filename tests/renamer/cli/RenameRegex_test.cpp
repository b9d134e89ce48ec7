#include <gtest/gtest.h>

#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

struct CRegexCli {
    CTempDir dir;
    CTempDir config;
    test::CRunResult Run(std::vector<std::string> args) const
    {
        return RunProgram(KQ_CLI_PATH, args, {}, {"KQ_CONFIG_HOME=" + config.NativePath()});
    }
};

TEST(CliRename, RegexFindAndReplaceInSimpleAndEnhancedModes)
{
    CRegexCli f;
    f.dir.MakeFile(u"ep12.mp4", "a");
    f.dir.MakeFile(u"ep3.mp4", "b");
    const std::string d = f.dir.NativePath();
    const std::string folder = "\t" + test::BackslashesDoubled(d);
    struct Case {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"--find", "(\\d+)", "--replace", "[$1]", "--regex"},
         "ep12.mp4\tep[12].mp4" + folder + "\nep3.mp4\tep[3].mp4" + folder + "\n"},
        {{"--find", "(\\d+)", "--replace", "<$1>"},
         "ep12.mp4\tep12.mp4" + folder + "\nep3.mp4\tep3.mp4" + folder + "\n"},
        {{"--mode", "enhanced", "--pattern", "*-<原文件名>", "--regex", "--find", "^(\\d+)-ep(\\d+)$", "--replace",
          "S$1E$2"},
         "ep12.mp4\tS1E12.mp4" + folder + "\nep3.mp4\tS2E3.mp4" + folder + "\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        std::vector<std::string> args{"rename", "--dry-run", "--sort", "name"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        args.push_back(d);
        auto r = f.Run(args);
        EXPECT_EQ(r.m_nExitCode, 0) << r.m_strErr;
        EXPECT_EQ(r.m_strOut, c.out);
    }

    auto done = f.Run({"rename", "--yes", "--regex", "--find", "^ep(\\d+)$", "--replace", "第$1集", d});
    EXPECT_EQ(done.m_nExitCode, 0) << done.m_strErr;
    EXPECT_EQ(f.dir.List(), (std::vector<std::u16string>{u"第12集.mp4", u"第3集.mp4"}));
}

// A pattern that does not compile is a usage error, a row beyond the match
// limit refuses the run; nothing is renamed either way.
TEST(CliRename, RegexErrorsRenameNothing)
{
    CRegexCli f;
    f.dir.MakeFile(u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", "x");
    const std::string d = f.dir.NativePath();
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string message;
    } cases[] = {
        {{"--regex", "--find", "(a", "--replace", "b"}, 2, "kqtools-cli: 正则表达式有误（第2个字符）：缺少右括号“)”"},
        {{"--regex", "--find", "a", "--replace", "$1"}, 2, "kqtools-cli: 替换文本有误（第1个字符）：没有第1个分组"},
        {{"--regex", "--replace", "b"}, 2, "kqtools-cli: 选项 --regex 要与 --find 一起使用"},
        {{"--mode", "list", "--regex"}, 2, "kqtools-cli: 选项 --regex 不用于 list 模式"},
        {{"--regex", "--find", "(a+)+$", "--replace", "b"}, 1,
         "kqtools-cli: 第1行：正则表达式匹配的计算量超出限制，请简化正则表达式；没有改名"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        for (const char* run : {"--dry-run", "--yes"}) {
            std::vector<std::string> args{"rename", run};
            args.insert(args.end(), c.args.begin(), c.args.end());
            args.push_back(d);
            auto r = f.Run(args);
            EXPECT_EQ(r.m_nExitCode, c.code);
            EXPECT_EQ(r.m_strErr.substr(0, r.m_strErr.find('\n')), c.message);
            EXPECT_EQ(r.m_strOut, "");
        }
    }
    EXPECT_EQ(f.dir.List(), std::vector<std::u16string>{u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab"});
}

}  // namespace
}  // namespace kq
