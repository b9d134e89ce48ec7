#include <gtest/gtest.h>

#include "platform/Text.h"
#include "renamer/supersort/RouteFile.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

TEST(CliRename, SuperSortOrdersTheListBeforeNaming)
{
    CTempDir dir;
    CTempDir config;
    for (const char16_t* name : {u"c2.txt", u"a3.txt", u"b1.txt"}) dir.MakeFile(name, "x");
    CSortRouteList rules;
    rules.AddRoute(u"按数字", u"");
    CSortRouteClause byDigit;  // weight i for the title ending in i
    byDigit.m_nLoopMode = 1;
    byDigit.m_nLoopEnd = 3;
    byDigit.m_aConditionMode[0] = 6;
    byDigit.m_aConditionText[0] = u"=\"\"&i&\"\"";
    byDigit.m_strWeight = u"=i";
    CSortRouteClause broken;
    broken.m_strWeight = u"";
    rules[0].m_aClauses = {byDigit};
    rules.AddRoute(u"坏", u"");
    rules[1].m_aClauses = {broken};
    const std::string file = dir.NativePath() + "/r.cfg";
    ASSERT_TRUE(SaveRouteFile(FromNativeName(file), rules));
    const std::string d = dir.NativePath();
    const std::vector<std::string> env{"KQ_CONFIG_HOME=" + config.NativePath()};
    auto run = [&](const std::string& spec, std::vector<std::string> more = {}) {
        std::vector<std::string> args{"rename", "--dry-run", "--index", "--digits", "1", "--name", "",
                                      "--super-sort", spec, "--rules", file};
        args.insert(args.end(), more.begin(), more.end());
        args.insert(args.end(), {d + "/a3.txt", d + "/b1.txt", d + "/c2.txt"});
        return RunProgram(KQ_CLI_PATH, args, {}, env);
    };
    auto r = run("按数字");
    EXPECT_EQ(r.m_nExitCode, 0) << r.m_strErr;
    const std::string folder = test::BackslashesDoubled(d);  // escaped like names
    EXPECT_EQ(r.m_strOut, "b1.txt\t1.txt\t" + folder + "\nc2.txt\t2.txt\t" + folder + "\na3.txt\t3.txt\t" + folder + "\n");
    r = run("按数字:desc");
    EXPECT_EQ(r.m_strOut.substr(0, 13), "a3.txt\t1.txt\t");
    EXPECT_EQ(run("坏").m_nExitCode, 1);
    EXPECT_EQ(run("无此规则").m_nExitCode, 1);
    EXPECT_EQ(run("按数字", {"--sort", "name"}).m_nExitCode, 2);
}

}  // namespace
}  // namespace kq
