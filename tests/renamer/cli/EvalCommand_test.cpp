// kqtools-cli eval, run as the real program.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

struct CRun {
    int m_nExit = -1;
    std::string m_strOut;
    std::string m_strErr;
};

std::string ReadAll(int fd)
{
    std::string text;
    char buffer[4096];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    close(fd);
    return text;
}

// Runs the program with the arguments (no shell); stdout and stderr apart.
// memoryLimit, when not 0, caps the child's address space in bytes.
CRun RunCli(const std::vector<std::string>& args, rlim_t memoryLimit = 0)
{
    CRun run;
    int out[2];
    int err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return run;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]);
        close(err[0]);
        int devnull = open("/dev/null", O_RDONLY);
        dup2(devnull, 0);
        if (memoryLimit != 0) {
            struct rlimit limit = {memoryLimit, memoryLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(KQ_CLI_PATH));
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(KQ_CLI_PATH, argv.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);
    // stderr is small; read stdout first, then stderr.
    run.m_strOut = ReadAll(out[0]);
    run.m_strErr = ReadAll(err[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    run.m_nExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
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
        rlim_t memoryLimit;
        const char* out;
    } rows[] = {
        {{"eval", "--json", "filelinecount(\"/dev/zero\")&filelineindex(\"/dev/urandom\",1)"}, 0,
         "{\"code\":0,\"output\":\"\\\"-1\\\"\",\"type\":1,\"error\":\"\"}\n"},
        {{"eval", "--json", "len(" + tooLong + ")"}, 0,
         "{\"code\":11,\"output\":\"\",\"type\":0,\"error\":\"运算结果的长度不能超过16777216个字符\"}\n"},
        // Too little memory for the text: a JSON line all the same.
        {{"eval", "--json", "len(" + chain + ")"}, rlim_t(64) << 20,
         "{\"code\":13,\"output\":\"\",\"type\":0,\"error\":\"内存不足，无法计算公式\"}\n"},
    };
    for (const auto& row : rows) {
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer's shadow memory needs far more address space.
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
    CRun run = RunCli({"--clipboard-file", dir.NativePath() + "/clip.txt", "eval", "clip()"});
    EXPECT_EQ(run.m_nExit, 0) << run.m_strErr;
    EXPECT_EQ(run.m_strOut, "\"甲,乙,丙\"\n");
}

}  // namespace
