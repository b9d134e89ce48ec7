// kqtools-cli template, run as the real program.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestSupport.h"

namespace {

struct CCliRun {
    int m_nStatus = -1;
    std::string m_strOut;
    std::string m_strErr;
};

// Row paths are written with '/' and handed over with the platform's separator.
CCliRun RunTemplateCommand(const std::vector<std::string>& args)
{
    std::vector<std::string> all{"template"};
    for (const auto& a : args) all.push_back(all.back() == "--row" ? kq::test::WithPlatformSeparators(a) : a);
    kq::test::CRunResult result = kq::test::RunProgram(KQ_CLI_PATH, all);
    return {result.m_nExitCode, result.m_strOut, result.m_strErr};
}

TEST(TemplateCommand, ExpandsTheTemplateForEachRowWithTheContractedOutput)
{
    const struct {
        std::vector<std::string> m_aArgs;
        int m_nStatus;
        const char* m_pszOut;
        const char* m_pszErr;
    } cases[] = {
        {{"--row", "/data/Code.txt", "--count", "12", "{t=1;F}.{t=2;E}"}, 0, "CODE.txt\n", ""},
        {{"--row", "/x/A/1.txt", "--row", "/x/B/2.txt", "--row", "/x/A/3.txt", "{L}-{N}-{I}-{C}-{P}"},
         0, "1-1-1-3-A\n2-1-2-3-B\n1-2-3-3-A\n", ""},
        {{"[{F}|{E}|{I}|{C}]"}, 0, "[||1|0]\n", ""},
        {{"--count=5", "--row", "name", "{F}/{C}"}, 0, "name/5\n", ""},
        {{"--row", "/d/文件.txt", "{d=4;I}{F}"}, 0, "壹文件\n", ""},
        {{"--row", "/a/x.txt", "--row", "/a/y.txt", "--row", "/a/z.txt", "{1/(I-2)}"}, 1, "-1\n\n1\n", "错误: 2\n"},
        {{"--row", "/a/x.txt", "{F"}, 1, "\n", "错误: 1\n"},
        {{"--json", "--row", "/a/x.txt", "--row", "/a/y.txt", "\"{F}\"{1/(I-1)}"},
         0, "{\"rows\":[{\"ok\":false,\"result\":\"\"},{\"ok\":true,\"result\":\"\\\"y\\\"1\"}]}\n", ""},
        {{"--json", "{{I}"}, 0, "{\"rows\":[{\"ok\":true,\"result\":\"{I}\"}]}\n", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_aArgs.back());
        CCliRun run = RunTemplateCommand(c.m_aArgs);
        EXPECT_EQ(run.m_nStatus, c.m_nStatus);
        EXPECT_EQ(run.m_strOut, c.m_pszOut);
        EXPECT_EQ(run.m_strErr, c.m_pszErr);
    }
}

TEST(TemplateCommand, RejectsBadUsageWithStatusTwo)
{
    const std::vector<std::string> cases[] = {
        {},
        {"{F}", "{E}"},
        {"--count", "many", "{F}"},
        {"--row"},
        {"--bogus", "{F}"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.size());
        CCliRun run = RunTemplateCommand(args);
        EXPECT_EQ(run.m_nStatus, 2);
        EXPECT_EQ(run.m_strOut, "");
        EXPECT_NE(run.m_strErr, "");
    }
}

}  // namespace
