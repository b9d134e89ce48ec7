#include <gtest/gtest.h>

#include "platform/Text.h"
#include "renamer/supersort/RouteFile.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

struct CSortFixture {
    CTempDir dir;
    CTempDir config;
    std::string rules;

    CSortFixture()
    {
        rules = dir.NativePath() + "/rules.cfg";
        CSortRouteList list;
        list.AddRoute(u"按编号", u"图片在前");
        CSortRouteClause jpg;
        jpg.m_aConditionMode[0] = 4;  // 左等于
        jpg.m_aConditionText[0] = u"IMG";
        jpg.m_strWeight = u"5";
        CSortRouteClause loop;  // i = 1..3: "第i" adds i
        loop.m_nLoopMode = 1;
        loop.m_nLoopEnd = 3;
        loop.m_aConditionText[0] = u"=\"第\"&i";
        loop.m_strWeight = u"=i";
        list[0].m_aClauses = {jpg, loop};
        list.AddRoute(u"零步长", u"");
        CSortRouteClause zero;
        zero.m_nLoopMode = 2;
        zero.m_nLoopStep = 0;
        list[1].m_aClauses = {zero};
        list.AddRoute(u"坏公式", u"");
        CSortRouteClause bad;
        bad.m_strWeight = u"=nosuch(1)";
        list[2].m_aClauses = {bad};
        EXPECT_TRUE(SaveRouteFile(FromNativeName(rules), list));
        for (const char16_t* name : {u"files/第2章.txt", u"files/IMG 1.jpg", u"files/第1章", u"files/sub/第3章.doc"})
            dir.MakeFile(name);
    }
    test::CRunResult Run(std::vector<std::string> args) const
    {
        return RunProgram(KQ_CLI_PATH, args, {}, {"KQ_CONFIG_HOME=" + config.NativePath()});
    }
};

TEST(CliSort, PrintsThePreviewRowsInBothForms)
{
    CSortFixture f;
    const std::string files = test::WithPlatformSeparators(f.dir.NativePath() + "/files");
    const std::string sub = test::WithPlatformSeparators(files + "/sub");
    auto r = f.Run({"sort", "--rules", f.rules, "--rule", "按编号", "--recursive", files + "/IMG 1.jpg",
                    files + "/第2章.txt", files + "/第1章", sub});
    EXPECT_EQ(r.m_nExitCode, 0) << r.m_strErr;
    EXPECT_EQ(r.m_strOut, "1\t第1章\t" + files + "\t1\n2\t第2章.txt\t" + files + "\t2\n3\t第3章.doc\t" + sub +
                              "\t3\n4\tIMG 1.jpg\t" + files + "\t5\n");

    r = f.Run({"sort", "--rules", f.rules, "--rule", "按编号", "--descending", "--json", files + "/第1章",
               files + "/IMG 1.jpg"});
    EXPECT_EQ(r.m_nExitCode, 0) << r.m_strErr;
    EXPECT_EQ(r.m_strOut, "{\"code\":0,\"rows\":[{\"number\":1,\"name\":\"IMG 1.jpg\",\"folder\":\"" +
                              test::BackslashesDoubled(files) + "\",\"weight\":5},{\"number\":2,\"name\":\"第1章\",\"folder\":\"" +
                              test::BackslashesDoubled(files) +
                              "\",\"weight\":1}]}\n");
}

TEST(CliSort, StoppedRunsAndRefusals)
{
    CSortFixture f;
    const std::string file = f.dir.NativePath() + "/files/第1章";
    struct Case {
        std::vector<std::string> args;
        int exit;
        std::string out;
        std::string errHas;
    } cases[] = {
        {{"sort", "--rules", f.rules, "--rule", "零步长", "--json", file}, 1, "{\"code\":2,\"error\":\"\",\"rows\":[]}\n", ""},
        {{"sort", "--rules", f.rules, "--rule", "坏公式", "--json", file}, 1,
         "{\"code\":3,\"error\":\"函数nosuch不存在\",\"rows\":[]}\n", "条款权值公式错误"},
        {{"sort", "--rules", f.rules, "--rule", "零步长", file}, 1, "", "步长为 0"},
        {{"sort", "--rules", f.rules, "--rule", "没有", file}, 1, "", "找不到排序规则：没有"},
        {{"sort", "--rule", "按编号", file}, 1, "", "找不到排序规则"},  // empty default store
        {{"sort", "--rules", f.rules, file}, 2, "", "--rule"},
        {{"sort", "--rules", f.rules, "--rule", "按编号", f.dir.NativePath() + "/nothing"}, 2, "", "找不到文件"},
    };
    for (const auto& c : cases) {
        auto r = f.Run(c.args);
        EXPECT_EQ(r.m_nExitCode, c.exit) << c.args[4] << r.m_strErr;
        EXPECT_EQ(r.m_strOut, c.out) << c.args[4];
        EXPECT_NE(r.m_strErr.find(c.errHas), std::string::npos) << r.m_strErr;
    }
}

}  // namespace
}  // namespace kq
