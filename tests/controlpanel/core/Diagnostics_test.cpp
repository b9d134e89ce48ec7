#include <gtest/gtest.h>

#include <cstdlib>

#include "controlpanel/core/Diagnostics.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

#ifndef _WIN32
// The pages come from the staged .reg file here; Windows reads its real
// registry instead.
std::string Fixture() { return std::string(std::getenv("KQ_TEST_DATA")) + "/controlpanel-registry.reg"; }

TEST(Diagnostics, PagesAsTextAndJson)
{
    test::CScopedEnv registry("KQ_REGISTRY_FILE", Fixture());
    struct {
        std::vector<std::string> args;
        std::string out;
    } cases[] = {
        {{"--page", "software", "--json"},
         "{\"products\":[{\"name\":\"远舟文件改名系统\",\"lines\":[\"软件版本：2.15\",\"安装路径：/opt/ternsoft/kqtools\"]},"
         "{\"name\":\"远舟钢筋算量\",\"lines\":[\"软件版本：\",\"安装路径：/opt/ternsoft/rebar\"]}]}\n"},
        {{"--page=software"},
         "远舟文件改名系统\n  软件版本：2.15\n  安装路径：/opt/ternsoft/kqtools\n远舟钢筋算量\n  软件版本：\n  安装路径：/opt/ternsoft/rebar\n"},
        {{"--json", "--page", "developers"}, ""},
    };
    for (const auto& c : cases) {
        CDiagnosticsResult r = RunDiagnostics(c.args, u"");
        EXPECT_EQ(r.m_nExitCode, 0);
        if (!c.out.empty()) {
            EXPECT_EQ(r.m_strOut, c.out);
        }
        EXPECT_TRUE(r.m_strErr.empty());
    }
    CDiagnosticsResult platform = RunDiagnostics({"--page", "platform", "--json"}, u"");
    EXPECT_EQ(platform.m_strOut.rfind("{\"columns\":[\"名称\",\"位数\",\"版本\",\"语言\",\"目录\",\"键值\"],\"rows\":[[\"AutoCAD 2010\",", 0), 0u)
        << platform.m_strOut;
    EXPECT_NE(platform.m_strOut.find("\"Autodesk\\\\AutoCAD\\\\R18.0\\\\ACAD-8001:804\""), std::string::npos);
    CDiagnosticsResult users = RunDiagnostics({"--page", "users"}, u"");
    EXPECT_EQ(users.m_strOut.rfind("姓名\t单位\t城市\n", 0), 0u);
    for (const char* page : kPageNames) EXPECT_EQ(RunDiagnostics({"--page", page}, u"").m_nExitCode, 0) << page;
}
#endif

TEST(Diagnostics, ListShowsBuiltInsAndTheirOrigin)
{
    CDiagnosticsResult r = RunDiagnostics({"--list"}, u"");
    EXPECT_EQ(r.m_nExitCode, 0);
    EXPECT_EQ(r.m_strOut.rfind("系统信息\t显示当前计算机", 0), 0u);
    EXPECT_NE(r.m_strOut.find("\t内置\n官方网站\t"), std::string::npos);
    r = RunDiagnostics({"--list", "--json"}, u"");
    EXPECT_EQ(r.m_strOut.rfind("{\"commands\":[{\"name\":\"系统信息\",", 0), 0u);
    EXPECT_NE(r.m_strOut.find("\"library\":\"内置\",\"index\":2}]}"), std::string::npos);
}

TEST(Diagnostics, UsageErrorsAndTheWindowCase)
{
    EXPECT_EQ(RunDiagnostics({}, u"").m_nExitCode, -1);
    EXPECT_EQ(RunDiagnostics({"-platform", "offscreen"}, u"").m_nExitCode, -1);
    for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
             {"--page"}, {"--page", "nonsense"}, {"--list", "--page", "system"}, {"--list", "--verbose"}}) {
        CDiagnosticsResult r = RunDiagnostics(args, u"");
        EXPECT_EQ(r.m_nExitCode, 2);
        EXPECT_TRUE(r.m_strOut.empty());
        EXPECT_NE(r.m_strErr.find("用法"), std::string::npos);
    }
}

TEST(Diagnostics, CellsCannotBreakTheLineFormat)
{
    CInfoTable table = InfoPageFrame(kPageCopyright);
    table.m_aRows = {{u"a\tb", u"c\nd\"e"}};
    EXPECT_EQ(FormatInfoTable(table, false), "属性\t值\na b\tc d\"e\n");
    EXPECT_EQ(FormatInfoTable(table, true), "{\"columns\":[\"属性\",\"值\"],\"rows\":[[\"a\\tb\",\"c\\nd\\\"e\"]]}\n");
}

}  // namespace
}  // namespace kq
