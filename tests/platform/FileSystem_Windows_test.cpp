// The file-system services against a real Windows file system (names that
// ignore case, MoveFileExW, FILETIME), and the folders the shell names.
#ifdef _WIN32

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cerrno>

#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScopedEnv;
using test::CTempDir;

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

TEST(WindowsFileSystem, NamesIgnoreCaseAndCaseOnlyMovesChangeTheName)
{
    EXPECT_EQ(DefaultNamePolicy(), ENamePolicy::AsciiCaseInsensitive);
    CTempDir dir;
    dir.MakeFile(u"A.txt", "A");
    dir.MakeFile(u"b.txt", "B");
    EXPECT_TRUE(PathExists(dir.Child(u"a.TXT")));
    CFileId upper, lower;
    ASSERT_TRUE(GetFileId(dir.Child(u"A.txt"), false, upper));
    ASSERT_TRUE(GetFileId(dir.Child(u"a.txt"), false, lower));
    EXPECT_EQ(upper, lower);

    // A target that differs only in case from another file exists.
    errno = 0;
    EXPECT_FALSE(MoveFileNoReplace(dir.Child(u"A.txt"), dir.Child(u"B.TXT")));
    EXPECT_EQ(errno, EEXIST);
    // A case-only change of the file itself is a rename, not a collision.
    EXPECT_TRUE(MoveFileNoReplace(dir.Child(u"A.txt"), dir.Child(u"a.txt")));
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"a.txt", u"b.txt"}));
    EXPECT_EQ(dir.ReadFile(u"a.txt"), "A");
    CFolderHandle folder;
    ASSERT_TRUE(folder.Open(dir.Path()));
    EXPECT_TRUE(folder.Contains(u"B.TXT"));
    EXPECT_TRUE(folder.MoveNoReplace(u"b.txt", u"文件B.TXT"));
    EXPECT_FALSE(folder.MoveNoReplace(u"a.txt", u"文件b.txt"));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(dir.List(), (std::vector<std::u16string>{u"a.txt", u"文件B.TXT"}));
}

TEST(WindowsFileSystem, TimesComeFromTheFileTimes)
{
    CTempDir dir;
    dir.MakeFile(u"t.txt", "x");
    // 2001-09-09 01:46:40 UTC, 2009-02-13 23:31:30 UTC and one second later.
    const int64_t creation = 1000000000, modification = 1234567890, access = 1234567891;
    auto toFileTime = [](int64_t seconds) {
        ULARGE_INTEGER v;
        v.QuadPart = static_cast<ULONGLONG>(seconds + 11644473600LL) * 10000000ULL;
        return FILETIME{v.LowPart, v.HighPart};
    };
    HANDLE h = CreateFileW(Wide(dir.Child(u"t.txt")).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    FILETIME c = toFileTime(creation), a = toFileTime(access), m = toFileTime(modification);
    EXPECT_TRUE(SetFileTime(h, &c, &a, &m));
    CloseHandle(h);
    CFileTimes times;
    ASSERT_TRUE(GetFileTimes(dir.Child(u"t.txt"), times));
    EXPECT_EQ(times.m_nModification, modification);
    EXPECT_EQ(times.m_nAccess, access);
    // Some file systems keep no birth time and report another one instead.
    EXPECT_GT(times.m_nCreation, 0);
}

TEST(WindowsSpecialFolders, ComeFromTheShellUnlessOverridden)
{
    wchar_t common[MAX_PATH];
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, common)));
    {
        CScopedEnv none("KQ_CONFIG_HOME", "");
        EXPECT_EQ(ConfigFolder(), std::u16string(reinterpret_cast<const char16_t*>(common)));
    }
    {
        CScopedEnv config("KQ_CONFIG_HOME", "C:\\配置");
        EXPECT_EQ(ConfigFolder(), u"C:\\配置");
    }
    std::u16string temp = TempFolder();
    ASSERT_FALSE(temp.empty());
    EXPECT_NE(temp.back(), u'\\');
    EXPECT_TRUE(IsFolder(temp));
    wchar_t exe[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::u16string program(reinterpret_cast<const char16_t*>(exe), n);
    EXPECT_EQ(ProgramFolder(), program.substr(0, program.rfind(u'\\')));
}

TEST(WindowsCodePage, GbkAndTheAnsiCodePageThroughTheSystemTables)
{
    EXPECT_EQ(LocaleCharset(), "CP" + std::to_string(GetACP()));
    const struct {
        const char* charset;
        std::u16string text;
        std::string bytes;
    } rows[] = {
        {"GBK", u"文件改名", "\xCE\xC4\xBC\xFE\xB8\xC4\xC3\xFB"},
        {"CP936", u"a文b", "a\xCE\xC4" "b"},
        {"CP1252", u"café", "caf\xE9"},
        {"UTF-8", u"文件", "\xE6\x96\x87\xE4\xBB\xB6"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.charset);
        std::string bytes;
        ASSERT_TRUE(EncodeText(row.text, row.charset, bytes));
        EXPECT_EQ(bytes, row.bytes);
        std::u16string text;
        ASSERT_TRUE(DecodeText(row.bytes, row.charset, text));
        EXPECT_EQ(text, row.text);
    }
    // No best fit: a letter the code page lacks is '?', not a look-alike.
    std::string bytes;
    ASSERT_TRUE(EncodeText(u"Ā文", "CP1252", bytes));
    EXPECT_EQ(bytes, "??");
    // A lead byte without its trail byte is malformed on its own.
    std::u16string text;
    ASSERT_TRUE(FromGbk("\xCE a\xCE", text));
    EXPECT_EQ(text, u"\uFFFD a\uFFFD");
    EXPECT_FALSE(EncodeText(u"x", "CP99999", bytes));
}

}  // namespace
}  // namespace kq

#endif  // _WIN32
