// kqtools-cli eval, run as the real program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Text.h"
#include "support/TestSupport.h"

namespace {

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

// Runs the program with the arguments (no shell); stdout and stderr apart.
// Folder arguments are written with '/' and handed over with the platform's
// separator. memoryLimit, when not 0, caps the child's address space in bytes.
CRun RunCli(std::vector<std::string> args, size_t memoryLimit = 0)
{
    for (size_t i = 0; i + 1 < args.size(); ++i)
        if (args[i] == "--folder") args[i + 1] = kq::test::WithPlatformSeparators(args[i + 1]);
    kq::test::CRunResult result = kq::test::RunProgram(KQ_CLI_PATH, args, {}, {}, memoryLimit);
    return {result.m_nExitCode, result.m_strOut, result.m_strErr};
}

TEST(EvalCommand, PlainOutputAndExitCodes)
{
    const struct {
        std::vector<std::string> args;
        int exit;
        const char* out;
        const char* err;  // nullptr: only checked to be empty on success
    } rows[] = {
        {{"eval", "=1+2*3"}, 0, "7\n", ""},
        {{"eval", "upper(\"ab\")&index()"}, 0, "\"AB1\"\n", ""},
        {{"eval", "--file", "Report.final.PDF", "--folder", "/d/Work", "ftitle()&\"|\"&lpath()"}, 0,
         "\"Report.final|Work\"\n", ""},
        {{"eval", "--index", "3", "--count", "10", "--path-index", "2", "--index-on-path", "5",
          "index()&count()&pathindex()&indexonpath()"}, 0, "\"31025\"\n", ""},
        {{"eval", "count()+pathindex()+indexonpath()"}, 0, "3\n", ""},  // defaults are 1
        {{"eval", "--var", "i=41", "--var=j=-1", "i-j"}, 0, "42\n", ""},
        {{"eval", "--", "-5+2"}, 0, "-3\n", ""},
        {{"eval", "1/0"}, 1, "", "错误 8: 除数为0错误\n"},
        {{"eval", "left(\"abc\",)"}, 1, "", "错误 4: 函数left参数错误\n"},
        {{"eval", "()"}, 1, "", "错误 99: \n"},
        {{"eval"}, 2, "", nullptr},
        {{"eval", "1", "2"}, 2, "", nullptr},
        {{"eval", "--index", "x", "1"}, 2, "", nullptr},
        {{"eval", "--var", "i", "1"}, 2, "", nullptr},
        {{"eval", "--var", "i=99999999999", "1"}, 2, "", nullptr},
        {{"eval", "--bogus", "1"}, 2, "", nullptr},
    };
    for (const auto& row : rows) {
        std::string trace;
        for (const auto& a : row.args) trace += a + " ";
        SCOPED_TRACE(trace);
        CRun run = RunCli(row.args);
        EXPECT_EQ(run.m_nExit, row.exit);
        EXPECT_EQ(run.m_strOut, row.out);
        if (row.err) {
            EXPECT_EQ(run.m_strErr, row.err);
        } else {
            EXPECT_FALSE(run.m_strErr.empty());
        }
    }
}

TEST(EvalCommand, JsonAlwaysExitsZeroWithCodeOutputTypeAndError)
{
    const struct {
        std::vector<std::string> args;
        const char* out;
    } rows[] = {
        {{"eval", "--json", "=1+2*3"}, "{\"code\":0,\"output\":\"7\",\"type\":3,\"error\":\"\"}\n"},
        {{"eval", "--json", "left(\"abc\",)"},
         "{\"code\":4,\"output\":\"\",\"type\":0,\"error\":\"函数left参数错误\"}\n"},
        {{"eval", "--json", "\"a\\\"b\""}, "{\"code\":7,\"output\":\"\",\"type\":0,\"error\":\"引号不匹配\"}\n"},
        {{"eval", "--json", "\"say \"\"x\"\"\""}, "{\"code\":0,\"output\":\"\\\"say \\\"\\\"x\\\"\\\"\\\"\",\"type\":1,\"error\":\"\"}\n"},
        {{"eval", "--json", "--file", "文件.TXT", "lower(fname())"},
         "{\"code\":0,\"output\":\"\\\"文件.txt\\\"\",\"type\":1,\"error\":\"\"}\n"},
        {{"eval", "--json", "and(1,true)"}, "{\"code\":0,\"output\":\"TRUE\",\"type\":4,\"error\":\"\"}\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.args.back());
        CRun run = RunCli(row.args);
        EXPECT_EQ(run.m_nExit, 0);
        EXPECT_EQ(run.m_strOut, row.out);
        EXPECT_EQ(run.m_strErr, "");
    }
}

TEST(EvalCommand, HostileFormulasEndWithAResultNeverASignal)
{
    std::string chain;  // 15.4 M units, just under the text limit
    for (int i = 0; i < 470; ++i) chain += (i ? "&" : "") + std::string("rept(\"a\",32767)");
    std::string tooLong = chain;
    for (int i = 0; i < 60; ++i) tooLong += "&rept(\"a\",32767)";
    const struct {
        std::vector<std::string> args;
        size_t memoryLimit;
        const char* out;
    } rows[] = {
        {{"eval", "--json", "filelinecount(\"/dev/zero\")&filelineindex(\"/dev/urandom\",1)"}, 0,
         "{\"code\":0,\"output\":\"\\\"-1\\\"\",\"type\":1,\"error\":\"\"}\n"},
        {{"eval", "--json", "len(" + tooLong + ")"}, 0,
         "{\"code\":11,\"output\":\"\",\"type\":0,\"error\":\"运算结果的长度不能超过16777216个字符\"}\n"},
        // Too little memory for the text: a JSON line all the same.
        {{"eval", "--json", "len(" + chain + ")"}, size_t(64) << 20,
         "{\"code\":13,\"output\":\"\",\"type\":0,\"error\":\"内存不足，无法计算公式\"}\n"},
    };
    for (const auto& row : rows) {
#if defined(__SANITIZE_ADDRESS__) || defined(_WIN32)
        // The sanitizer's shadow memory needs far more address space; Windows
        // has no address-space cap for one child process.
        if (row.memoryLimit != 0) continue;
#endif
        CRun run = RunCli(row.args, row.memoryLimit);
        EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
        EXPECT_EQ(run.m_strOut, row.out);
    }
}

TEST(EvalCommand, ClipboardFileFeedsTheClipboardFunctions)
{
    kq::test::CTempDir dir;
    dir.MakeFile(u"clip.txt", "甲,乙,丙");
    CRun run = RunCli({"--clipboard-file", kq::ToUtf8(dir.Child(u"clip.txt")), "eval", "clip()"});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "\"甲,乙,丙\"\n");
}

}  // namespace
