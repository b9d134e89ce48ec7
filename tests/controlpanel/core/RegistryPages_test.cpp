#include <gtest/gtest.h>

#include <cstdlib>

#include "controlpanel/core/InfoPages.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {
namespace {

using Rows = std::vector<std::vector<std::u16string>>;

CRegistryFileSource Fixture()
{
    CRegistryFile file;
    const char* data = std::getenv("KQ_TEST_DATA");
    EXPECT_TRUE(data && file.Load(FromUtf8(std::string(data) + "/controlpanel-registry.reg")));
    return CRegistryFileSource(std::move(file));
}

TEST(SoftwareProducts, ListsEveryProductWithVersionAndLocationLines)
{
    std::vector<CProductInfo> products = SoftwareProducts(Fixture());
    ASSERT_EQ(products.size(), 2u);
    EXPECT_EQ(products[0].m_strName, u"远舟文件改名系统");
    EXPECT_EQ(products[0].m_aLines, (std::vector<std::u16string>{u"软件版本：2.15", u"安装路径：/opt/ternsoft/kqtools"}));
    // No "Version": the line stays, with nothing after the colon.
    EXPECT_EQ(products[1].m_strName, u"远舟钢筋算量");
    EXPECT_EQ(products[1].m_aLines, (std::vector<std::u16string>{u"软件版本：", u"安装路径：/opt/ternsoft/rebar"}));
}

TEST(SoftwareProducts, NoMakerKeyGivesNoProducts)
{
    CRegistryFile file;
    file.Parse(u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Other\\Product]\n\"Version\"=\"1\"\n");
    EXPECT_TRUE(SoftwareProducts(CRegistryFileSource(std::move(file))).empty());
}

TEST(SoftwareProducts, LongValuesAreShownWhole)
{
    // Deep installation folders are common on Linux; a 260-byte buffer would
    // have dropped this one.
    std::u16string folder = u"/opt/" + std::u16string(300, u'd');
    CRegistryFile file;
    file.Parse(u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\远舟工作室\\长路径产品]\n\"Location\"=\"" + folder + u"\"\n");
    std::vector<CProductInfo> products = SoftwareProducts(CRegistryFileSource(std::move(file)));
    ASSERT_EQ(products.size(), 1u);
    EXPECT_EQ(products[0].m_aLines[1], u"安装路径：" + folder);
}

TEST(PlatformPage, SixtyFourBitSystemListsBothViewsSixtyFourFirst)
{
    CInfoTable table = PlatformPage(Fixture(), true);
    EXPECT_EQ(table.m_strTitle, u"平台");
    Rows expected = {
        {u"AutoCAD 2010", u"64", u"18.0.55.0", u"中文(中国)", u"/opt/cad/acad2010", u"Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804"},
        // ACAD-8002:804 has no "Language" and is left out.
        {u"ZWCAD 2012", u"64", u"2012.11.29", u"en-US", u"/opt/cad/zwcad-en", u"ZWSOFT\\ZWCAD\\2012\\en-US"},
        {u"ZWCAD 2012", u"64", u"2012.11.29", u"zh-CN", u"/opt/cad/zwcad", u"ZWSOFT\\ZWCAD\\2012\\zh-CN"},
        // 2013 lacks "FullVersion".
        {u"示例CAD平台 2012", u"64", u"12.0.1", u"简体中文", u"/opt/cad/icad", u"CAD\\2012"},
        {u"AutoCAD 2010", u"32", u"18.0.55.0", u"中文(中国)", u"/opt/cad/acad2010-x86", u"Autodesk\\AutoCAD\\R18.0\\ACAD-8001:804"},
    };
    EXPECT_EQ(table.m_aRows, expected);
    ASSERT_EQ(table.m_aRowPrograms.size(), expected.size());
    EXPECT_EQ(table.m_aRowPrograms[0], JoinPath(u"/opt/cad/acad2010", u"acad.exe"));
    EXPECT_EQ(table.m_aRowPrograms[1], JoinPath(u"/opt/cad/zwcad-en", u"zwcad.exe"));
    EXPECT_EQ(table.m_aRowPrograms[3], JoinPath(u"/opt/cad/icad", u"icad.exe"));
}

TEST(PlatformPage, ThirtyTwoBitSystemReadsOnlyTheKeysAsWritten)
{
    CInfoTable table = PlatformPage(Fixture(), false);
    ASSERT_EQ(table.m_aRows.size(), 4u);
    for (const auto& row : table.m_aRows) EXPECT_EQ(row[1], u"32");
    EXPECT_EQ(table.m_aRows[0][4], u"/opt/cad/acad2010");
}

TEST(RegistryFileSource, ThirtyTwoBitViewLiesUnderWow6432Node)
{
    EXPECT_EQ(CRegistryFileSource::ViewKey(u"Software\\ZWSoft", ERegistryView::kWow32), u"Software\\WOW6432Node\\ZWSoft");
    EXPECT_EQ(CRegistryFileSource::ViewKey(u"Software\\ZWSoft", ERegistryView::kNative), u"Software\\ZWSoft");
    EXPECT_EQ(CRegistryFileSource::ViewKey(u"SYSTEM\\Setup", ERegistryView::kWow32), u"SYSTEM\\Setup");
}

TEST(RegistryFile, SubKeysKeepTheirCaseAndIncludeImpliedKeys)
{
    CRegistryFile file;
    file.Parse(u"[HKLM\\Software\\A\\Beta\\x]\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\a\\alpha]\n[HKEY_LOCAL_MACHINE\\Software\\A\\AB]\n"
               u"[HKEY_CURRENT_USER\\Software\\A\\User]\n");
    EXPECT_EQ(file.SubKeys(u"software\\a"), (std::vector<std::u16string>{u"AB", u"alpha", u"Beta"}));
    EXPECT_TRUE(file.SubKeys(u"Software\\A\\AB").empty());
    EXPECT_TRUE(file.SubKeys(u"Software\\Missing").empty());
}

}  // namespace
}  // namespace kq
