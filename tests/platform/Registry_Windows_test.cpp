// The registry on Windows: keys written with the system's own reg.exe into
// HKEY_LOCAL_MACHINE are read back through CTERNRegeditBase in the 64-bit
// view; the .reg reader keeps its tests here too.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>

#include "platform/Registry.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::RunProgram;

std::string RegExe()
{
    wchar_t folder[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return ToUtf8(std::u16string(reinterpret_cast<const char16_t*>(folder), n)) + "\\reg.exe";
}

// A key of its own per run, removed from both views afterwards.
class CRegistryKeys : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_strKey = "SOFTWARE\\KQToolsTest" + std::to_string(GetCurrentProcessId()) + "\\远舟文件改名系统";
    }
    void TearDown() override
    {
        const std::string root = "HKLM\\" + m_strKey.substr(0, m_strKey.find('\\', 9));
        for (const char* view : {"/reg:64", "/reg:32"}) RunProgram(RegExe(), {"delete", root, "/f", view});
    }
    void Add(const std::string& name, const std::string& type, const std::string& data, const char* view = "/reg:64")
    {
        auto run = RunProgram(RegExe(), {"add", "HKLM\\" + m_strKey, "/v", name, "/t", type, "/d", data, "/f", view});
        ASSERT_EQ(run.m_nExitCode, 0) << run.m_strOut << run.m_strErr;
    }
    std::u16string Key() const { return FromUtf8(m_strKey); }

    std::string m_strKey;
};

TEST_F(CRegistryKeys, ReadsTextRealAndNumberValuesOfTheSixtyFourBitView)
{
    Add("Location", "REG_SZ", "C:\\Program Files\\KQTools\\帮助");
    Add("Version", "REG_SZ", "2.15");
    Add("Build", "REG_DWORD", "26");
    Add("Only32", "REG_SZ", "32-bit view", "/reg:32");

    std::u16string text;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key(), u"Location", 2, text), 1);
    EXPECT_EQ(text, u"C:\\Program Files\\KQTools\\帮助");
    // Key paths and value names ignore case, as the registry does.
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(ToAsciiLower(Key()), u"LOCATION", 2, text), 1);
    double version = 0;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key(), u"Version", 1, version), 1);
    EXPECT_DOUBLE_EQ(version, 2.15);
    for (int kind : {0, 4}) {
        int build = 0;
        EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key(), u"Build", kind, build), 1);
        EXPECT_EQ(build, 26);
    }
    // A value that exists only in the 32-bit view is not seen.
    text = u"unchanged";
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key(), u"Only32", 2, text), 0);
    EXPECT_EQ(text, u"unchanged");
}

TEST_F(CRegistryKeys, FailuresLeaveTheDestinationUntouched)
{
    Add("Long", "REG_SZ", std::string(600, 'x'));  // 601 units with the terminator: over 1000 bytes
    Add("Fits", "REG_SZ", std::string(499, 'y'));
    Add("Text", "REG_SZ", "t");
    Add("Number", "REG_DWORD", "7");
    const struct {
        const char16_t* name;
        int kind;
        int result;
    } rows[] = {
        {u"Long", 2, 0}, {u"Fits", 2, 1}, {u"Missing", 2, 0}, {u"Text", 0, 0}, {u"Text", 2, 1}, {u"Number", 2, 0}, {u"Text", 3, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.name));
        std::u16string value = u"unchanged";
        EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key(), row.name, row.kind, value), row.result);
        if (row.result == 0) {
            EXPECT_EQ(value, u"unchanged");
        }
    }
    int number = 5;
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key(), u"Text", 4, number), 0);
    EXPECT_EQ(CTERNRegeditBase::ReadKeyVal(Key() + u"\\Missing", u"Number", 4, number), 0);
    EXPECT_EQ(number, 5);
}

TEST(RegistryFile, ReadsTheUtf16ExportWithAnyCase)
{
    const char* root = std::getenv("KQ_TEST_DATA");
    ASSERT_NE(root, nullptr);
    CRegistryFile file;
    ASSERT_TRUE(file.Load(FromUtf8(test::HostPath(std::string(root) + "/registry-utf16.reg"))));
    const auto* location = file.Find(u"software\\远舟工作室\\远舟文件改名系统", u"LOCATION");
    ASSERT_NE(location, nullptr);
    EXPECT_EQ(location->m_strText, u"/opt/kqtools/share/help");
    const auto* build = file.Find(u"SOFTWARE\\远舟工作室\\远舟文件改名系统", u"Build");
    ASSERT_NE(build, nullptr);
    EXPECT_TRUE(build->m_bDword);
    EXPECT_EQ(build->m_nDword, 26u);
    const auto* quoted = file.Find(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", u"Quoted");
    ASSERT_NE(quoted, nullptr);
    EXPECT_EQ(quoted->m_strText, u"say \"hi\"");
}

}  // namespace
}  // namespace kq

#endif  // _WIN32
