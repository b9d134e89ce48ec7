#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/supersort/RouteFile.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;

struct CRulesFixture {
    CTempDir dir;
    CTempDir config;
    std::u16string store;

    CRulesFixture() { store = JoinPath(JoinPath(JoinPath(config.Path(), u"TernSoft"), u"KQTool"), u"supsort.cfg"); }
    test::CRunResult Run(std::vector<std::string> args) const
    {
        return RunProgram(KQ_CLI_PATH, args, {}, {"KQ_CONFIG_HOME=" + config.NativePath()});
    }
    CSortRouteList Read(const std::u16string& path) const
    {
        CSortRouteList list;
        EXPECT_EQ(LoadRouteFile(path, list), 1);
        return list;
    }
};

CSortRouteList Sample()
{
    CSortRouteList list;
    list.AddRoute(u"甲", u"说明\"一\"");
    list[0].m_nTime = 1000;
    list[0].m_nOrigin = 3;
    CSortRouteClause clause;
    clause.m_nCombination = 1;
    clause.m_aConditionMode = {4, 1, 0};
    clause.m_aConditionText = {u"a", u"b", u"c"};
    list[0].m_aClauses = {clause};
    list.AddRoute(u"乙", u"");
    list[1].m_nTime = 2000;
    return list;
}

TEST(CliRules, ListsEveryField)
{
    CRulesFixture f;
    const std::string file = f.dir.NativePath() + "/r.cfg";
    ASSERT_EQ(SaveRouteFile(FromNativeName(file), Sample()), 1);
    auto r = f.Run({"rules", "list", "--rules", file, "--json"});
    EXPECT_EQ(r.m_nExitCode, 0);
    EXPECT_EQ(r.m_strOut,
              "{\"rules\":[{\"name\":\"甲\",\"description\":\"说明\\\"一\\\"\",\"time\":1000,\"origin\":3,\"clauses\":["
              "{\"combination\":1,\"loopMode\":0,\"loopStart\":1,\"loopEnd\":10,\"loopStep\":1,\"weight\":\"10\","
              "\"conditions\":[{\"mode\":4,\"text\":\"a\"},{\"mode\":1,\"text\":\"b\"},{\"mode\":0,\"text\":\"c\"}]}]},"
              "{\"name\":\"乙\",\"description\":\"\",\"time\":2000,\"origin\":1,\"clauses\":[]}]}\n");
    r = f.Run({"rules", "list", "--rules", file});
    EXPECT_NE(r.m_strOut.find("规则名称：甲\n创建时间："), std::string::npos) << r.m_strOut;
    EXPECT_NE(r.m_strOut.find("创建方式：网络更新\n规则说明：说明\"一\"\n1\tA & B\t无循环\t10\t左等于{a} \t不包含{b} \t\n"),
              std::string::npos)
        << r.m_strOut;

    // The default store, missing: no rules.
    r = f.Run({"rules", "list", "--json"});
    EXPECT_EQ(r.m_nExitCode, 0);
    EXPECT_EQ(r.m_strOut, "{\"rules\":[]}\n");
}

TEST(CliRules, DamagedOrNewerFilesKeepWhatWasRead)
{
    CRulesFixture f;
    std::string bytes = RouteBytes(Sample());
    f.dir.MakeFile(u"cut.cfg", bytes.substr(0, bytes.size() - 2));
    f.dir.MakeFile(u"newer.cfg", std::string("\x02\0\0\0\0\0\0\0", 8));
    auto r = f.Run({"rules", "list", "--json", "--rules", f.dir.NativePath() + "/cut.cfg"});
    EXPECT_EQ(r.m_nExitCode, 1);
    EXPECT_EQ(r.m_strOut.substr(0, 19), "{\"rules\":[{\"name\":\"");
    EXPECT_EQ(r.m_strOut.find("乙"), std::string::npos);
    EXPECT_NE(r.m_strErr.find("只读出了其中完整的1条规则"), std::string::npos) << r.m_strErr;
    r = f.Run({"rules", "list", "--json", "--rules", f.dir.NativePath() + "/newer.cfg"});
    EXPECT_EQ(r.m_nExitCode, 1);
    EXPECT_EQ(r.m_strOut, "{\"rules\":[]}\n");
    EXPECT_NE(r.m_strErr.find("因系统安装的程序版本太低而无法读取，请联系开发商升级！"), std::string::npos);
    r = f.Run({"rules", "list", "--rules", f.dir.NativePath() + "/none.cfg"});
    EXPECT_EQ(r.m_nExitCode, 1);
}

TEST(CliRules, ExportThenImportTwice)
{
    CRulesFixture f;
    const std::string from = f.dir.NativePath() + "/from.cfg";
    const std::string out = f.dir.NativePath() + "/out.cfg";
    ASSERT_EQ(SaveRouteFile(FromNativeName(from), Sample()), 1);
    auto r = f.Run({"rules", "export", "--rules", from, "--to", out, "乙", "甲"});
    ASSERT_EQ(r.m_nExitCode, 0) << r.m_strErr;
    CSortRouteList exported = f.Read(FromNativeName(out));
    EXPECT_EQ(exported.m_aRoutes, Sample().m_aRoutes);  // list order, time and origin kept

    EXPECT_EQ(f.Run({"rules", "export", "--rules", from, "--to", out, "丙"}).m_nExitCode, 1);
    EXPECT_EQ(f.Run({"rules", "export", "--rules", from, "--to", out}).m_nExitCode, 2);

    for (int round = 0; round < 3; ++round) {
        r = f.Run({"rules", "import", out, round == 0 ? "乙" : "甲"});
        ASSERT_EQ(r.m_nExitCode, 0) << r.m_strErr;
    }
    CSortRouteList store = f.Read(f.store);
    ASSERT_EQ(store.GetCount(), 3);
    EXPECT_EQ(store[0].m_strName, u"乙");
    EXPECT_EQ(store[1].m_strName, u"甲");
    EXPECT_EQ(store[2].m_strName, u"甲 导入");
    EXPECT_EQ(store[2].m_nOrigin, 2);
    EXPECT_GT(store[2].m_nTime, 1000000000);
    EXPECT_EQ(store[2].m_aClauses, Sample()[0].m_aClauses);
    r = f.Run({"rules", "import", out, "甲"});
    EXPECT_EQ(r.m_strOut, "已导入：甲 导入 导入\n");
    EXPECT_EQ(f.Run({"rules", "import", out, "丁"}).m_nExitCode, 1);
    EXPECT_EQ(f.Read(f.store).GetCount(), 4);
}

// Imports started side by side take turns on the store: every rule ends in
// it. The test holds the store's lock while both start, so that both are
// under way at once; an import that read the store before taking the lock
// would write back a list without the other's rule.
TEST(CliRules, ConcurrentImportsKeepEveryRule)
{
    CRulesFixture f;
    CSortRouteList old;
    old.AddRoute(u"旧", u"");
    f.config.MakeFolder(u"TernSoft/KQTool");
    ASSERT_TRUE(SaveRouteFile(f.store, old));
    CRouteStore holder(f.store);
    ASSERT_TRUE(holder.Lock());
    std::vector<std::thread> imports;
    std::vector<int> codes(4, -1);
    for (int n = 0; n < 4; ++n) {
        CSortRouteList one;
        one.AddRoute(u"规则" + FromNativeName(std::to_string(n)), u"");
        const std::string file = f.dir.NativePath() + "/" + std::to_string(n) + ".cfg";
        ASSERT_TRUE(SaveRouteFile(FromNativeName(file), one));
        imports.emplace_back([&f, &codes, file, n] { codes[size_t(n)] = f.Run({"rules", "import", file}).m_nExitCode; });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    holder.Unlock();
    for (std::thread& t : imports) t.join();
    EXPECT_EQ(codes, std::vector<int>(4, 0));
    CSortRouteList store = f.Read(f.store);
    std::vector<std::u16string> names;
    for (int r = 0; r < store.GetCount(); ++r) names.push_back(store[r].m_strName);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::u16string>{u"旧", u"规则0", u"规则1", u"规则2", u"规则3"}));
}

TEST(CliRules, ImportKeepsADamagedStoreBeforeReplacingIt)
{
    CRulesFixture f;
    const std::string from = f.dir.NativePath() + "/from.cfg";
    ASSERT_EQ(SaveRouteFile(FromNativeName(from), Sample()), 1);
    const std::string damaged = RouteBytes(Sample()).substr(0, 50);
    f.config.MakeFile(u"TernSoft/KQTool/supsort.cfg", damaged);
    auto r = f.Run({"rules", "import", from});
    EXPECT_EQ(r.m_nExitCode, 0) << r.m_strErr;
    EXPECT_EQ(f.config.ReadFile(u"TernSoft/KQTool/supsort.cfg.bak"), damaged);
    EXPECT_NE(r.m_strErr.find("原文件已另存为"), std::string::npos) << r.m_strErr;
    EXPECT_EQ(f.Read(f.store).GetCount(), 2);
}

}  // namespace
}  // namespace kq
