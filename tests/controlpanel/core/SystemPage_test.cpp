#include <gtest/gtest.h>

#include "controlpanel/core/InfoPages.h"
#include "platform/SystemInfo.h"

namespace kq {
namespace {

TEST(SystemPage, RowsInOrderWithWholeNames)
{
    CSystemFacts facts;
    facts.m_strOsName = u"Debian GNU/Linux 12 (bookworm)";
    facts.m_strOsVersion = u"6.1.0-13-amd64";
    facts.m_b64BitSystem = true;
    facts.m_nLanguageId = 2052;
    // Longer than the 15 characters a Windows computer name may have.
    facts.m_strComputerName = u"build-server-of-the-structure-team";
    facts.m_strUserName = u"a-rather-long-user-name";
    facts.m_bAdministrator = true;
    facts.m_nYear = 2026, facts.m_nMonth = 3, facts.m_nDay = 7;
    CInfoTable table = SystemPage(facts);
    EXPECT_EQ(table.m_strTitle, u"系统");
    std::vector<std::vector<std::u16string>> expected = {
        {u"操作系统", u"Debian GNU/Linux 12 (bookworm)"},
        {u"软件版本", u"6.1.0-13-amd64"},
        {u"系统位数", u"64位"},
        {u"区域语言", u"简体中文"},
        {u"计算机名", u"build-server-of-the-structure-team"},
        {u"登陆账号", u"a-rather-long-user-name"},
        {u"账号权限", u"管理员"},
        {u"当前时间", u"2026年03月07日"},
    };
    EXPECT_EQ(table.m_aRows, expected);

    facts.m_b64BitSystem = false;
    facts.m_bAdministrator = false;
    table = SystemPage(facts);
    EXPECT_EQ(table.m_aRows[2][1], u"32位");
    EXPECT_EQ(table.m_aRows[6][1], u"非管理员");
}

TEST(SystemPage, ReadsTheRunningSystemsOwnWidthAndNames)
{
    CSystemFacts facts = ReadSystemFacts();
    // A 64-bit build can only run on a 64-bit system.
    if (sizeof(void*) == 8) {
        EXPECT_TRUE(facts.m_b64BitSystem);
    }
    EXPECT_EQ(facts.m_b64BitSystem, IsSystem64Bit());
    EXPECT_FALSE(facts.m_strComputerName.empty());
    EXPECT_FALSE(facts.m_strUserName.empty());
    EXPECT_GE(facts.m_nYear, 2020);
}

TEST(RegionLanguage, LocaleNamesMapToWindowsLanguageIds)
{
    struct {
        const char16_t* locale;
        unsigned id;
        const char16_t* text;
    } cases[] = {
        {u"zh_CN.UTF-8", 2052, u"简体中文"},
        {u"en_US.UTF-8", 1033, u"409"},
        {u"en_US", 1033, u"409"},
        {u"en-us", 1033, u"409"},
        {u"de_DE.UTF-8@euro", 0x407, u"407"},
        {u"zh_TW.Big5", 0x404, u"404"},
        {u"zh_HK.UTF-8", 0xC04, u"c04"},
        {u"ja", 0x411, u"411"},
        {u"C.UTF-8", 0, u"C.UTF-8"},
        {u"xx_YY.UTF-8", 0, u"xx_YY.UTF-8"},
        {u"", 0, u"C"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.locale, c.locale + std::char_traits<char16_t>::length(c.locale)));
        unsigned id = LanguageIdFromLocale(c.locale);
        EXPECT_EQ(id, c.id);
        EXPECT_EQ(RegionLanguageText(id, c.locale), c.text);
    }
}

TEST(OsRelease, PrettyNameUnquotedElseName)
{
    EXPECT_EQ(OsReleasePrettyName("NAME=\"Debian GNU/Linux\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\nID=debian\n"),
              u"Debian GNU/Linux 12 (bookworm)");
    EXPECT_EQ(OsReleasePrettyName("PRETTY_NAME='Alpine Linux v3.19'\r\n"), u"Alpine Linux v3.19");
    EXPECT_EQ(OsReleasePrettyName("PRETTY_NAME=\"Say \\\"hi\\\" OS\"\n"), u"Say \"hi\" OS");
    EXPECT_EQ(OsReleasePrettyName("NAME=Arch\n# PRETTY_NAME is missing\n"), u"Arch");
    EXPECT_EQ(OsReleasePrettyName(""), u"");
    EXPECT_EQ(OsReleasePrettyName("PRETTY_NAME=\"\n"), u"\"");
}

TEST(Administrator, RootOrAnAdministratorsGroup)
{
    EXPECT_TRUE(IsAdministratorAccount(true, {}));
    EXPECT_TRUE(IsAdministratorAccount(false, {u"users", u"sudo"}));
    EXPECT_TRUE(IsAdministratorAccount(false, {u"wheel"}));
    EXPECT_TRUE(IsAdministratorAccount(false, {u"admin"}));
    EXPECT_FALSE(IsAdministratorAccount(false, {u"users", u"sudoers", u"adm"}));
}

TEST(InfoPages, FramesAndFixedTablesMatchTheirColumns)
{
    struct {
        int kind;
        const char16_t* title;
        std::vector<int> widths;
    } frames[] = {
        {kPageCopyright, u"版权", {100, 280}}, {kPageSystem, u"系统", {100, 280}},
        {kPageCommunity, u"社区", {150, 230}}, {kPageUsers, u"用户", {90, 220, 60}},
        {kPageDevelopers, u"开发", {150, 210}}, {kPagePlatform, u"平台", {200, 40, 80, 120, 300, 200}},
    };
    for (const auto& f : frames) {
        CInfoTable t = InfoPageFrame(f.kind);
        EXPECT_EQ(t.m_strTitle, f.title);
        std::vector<int> widths;
        for (const auto& c : t.m_aColumns) widths.push_back(c.m_nWidth);
        EXPECT_EQ(widths, f.widths);
    }
    EXPECT_TRUE(InfoPageFrame(7).m_aColumns.empty());
    for (const CInfoTable& t : {CopyrightPage(), CommunityPage(), DevelopersPage(), UsersPage()}) {
        EXPECT_FALSE(t.m_aRows.empty());
        for (const auto& row : t.m_aRows) EXPECT_EQ(row.size(), t.m_aColumns.size());
    }
}

}  // namespace
}  // namespace kq
