#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <string>
#include <vector>

#include "formula/functions/FileBase.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

TEST(FileBase, PathPartsSplitAtTheSeparatorAndTheFirstPoint)
{
    struct CCase {
        std::u16string m_strPath, m_strName, m_strFolder, m_strTitle, m_strExt, m_strRoot;
    };
    const CCase cases[] = {
        {u"/a/b.c.txt", u"b.c.txt", u"/a/", u"b", u"c.txt", u""},
        {u"/a/readme", u"readme", u"/a/", u"readme", u"", u""},
        {u"readme.txt", u"readme.txt", u"readme.txt", u"readme", u"txt", u""},
        {u"/dir.d/file", u"file", u"/dir.d/", u"file", u"", u""},   // a point in the folder is not the extension
        {u"/a/", u"", u"/a/", u"", u"", u""},
        {u".hidden", u".hidden", u".hidden", u"", u"hidden", u""},
        {u"C:/a.txt", u"a.txt", u"C:/", u"a", u"txt", u"C"},
        {u"C:\\a\\b.txt", u"C:\\a\\b.txt", u"C:\\a\\b.txt", u"C:\\a\\b", u"txt", u"C"},  // backslash is ordinary here
        {u"C:", u"C:", u"C:", u"C:", u"", u""},
        {u"//server/share", u"share", u"//server/", u"share", u"", u""},
        {u"", u"", u"", u"", u"", u""},
    };
    using test::PlatformPath;
    for (const CCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.m_strPath));
        const std::u16string path = PlatformPath(c.m_strPath);
        EXPECT_EQ(CFileBase::Base_GetFileName(path), PlatformPath(c.m_strName));
        EXPECT_EQ(CFileBase::Base_GetFilePath(path), PlatformPath(c.m_strFolder));
        EXPECT_EQ(CFileBase::Base_GetPathName(path), path);
        EXPECT_EQ(CFileBase::Base_GetFileTitle(path), PlatformPath(c.m_strTitle));
        EXPECT_EQ(CFileBase::Base_GetFileExt(path), PlatformPath(c.m_strExt));
        EXPECT_EQ(CFileBase::Base_GetFileRoot(path), c.m_strRoot);
    }
}

TEST(FileBase, LinesAreCountedAndIndexedWithWrapAround)
{
    test::CTempDir dir;
    struct CCase {
        std::string m_strContent;
        int m_nCount;
        // line wanted for n = 1, 2, 3, 4
        std::u16string m_aLines[4];
    };
    const CCase cases[] = {
        {"x\ny\nz", 3, {u"x", u"y", u"z", u"x"}},
        {"x\ny\nz\n", 3, {u"x", u"y", u"z", u"x"}},
        {"x\r\ny\r\nz\r\n", 3, {u"x", u"y", u"z", u"x"}},
        {"a\r\r\nb", 2, {u"a\r", u"b", u"a\r", u"b"}},   // only the return before the feed belongs to the end
        {"\n\n", 2, {u"", u"", u"", u""}},
        {"one", 1, {u"one", u"one", u"one", u"one"}},
        {"\xEF\xBB\xBF\xE6\x96\x87\xE4\xBB\xB6\nb", 2, {u"文件", u"b", u"文件", u"b"}},
        {std::string("\xFF\xFE\x87\x65\x0A\x00q\x00", 8), 2, {u"文", u"q", u"文", u"q"}},  // UTF-16LE with its mark
        {"\xCE\xC4\xBC\xFE\n", 1, {u"文件", u"文件", u"文件", u"文件"}},    // GBK
        {"", 0, {u"", u"", u"", u""}},
    };
    int i = 0;
    for (const CCase& c : cases) {
        SCOPED_TRACE(i);
        std::u16string name = u"f" + FromAscii(std::to_string(i++)) + u".txt";
        dir.MakeFile(name, c.m_strContent);
        std::u16string path = dir.Child(name);
        EXPECT_EQ(CFileBase::Base_GetFileLineCount(path), c.m_nCount);
        for (int n = 1; n <= 4; ++n) EXPECT_EQ(CFileBase::Base_GetFileLineString(path, n), c.m_aLines[n - 1]) << n;
    }
    EXPECT_EQ(CFileBase::Base_GetFileLineCount(dir.Child(u"missing")), -1);
    EXPECT_EQ(CFileBase::Base_GetFileLineCount(dir.Path()), -1);
    EXPECT_EQ(CFileBase::Base_GetFileLineString(dir.Child(u"missing"), 1), u"");
}

TEST(FileBase, LineFunctionsReadOnlyRegularFilesWithinTheLimit)
{
    test::CTempDir dir;
    // Just over the limit (a sparse file: no disk used), and a FIFO with no
    // writer, which would block an open for reading.
    const std::u16string big = dir.Child(u"big.txt");
    dir.MakeFile(u"big.txt", "first\n");
    const std::filesystem::path bigPath(big);
    std::filesystem::resize_file(bigPath, CFileBase::kMaxLineFileBytes + 1);
#ifdef _WIN32
    std::vector<std::u16string> refused = {big, u"NUL"};
#else
    const std::u16string fifo = dir.Child(u"pipe");
    ASSERT_EQ(mkfifo(ToUtf8(fifo).c_str(), 0600), 0);
    std::vector<std::u16string> refused = {big, fifo, u"/dev/zero", u"/dev/urandom"};
#endif
    for (const std::u16string& path : refused) {
        SCOPED_TRACE(ToUtf8(path));
        EXPECT_EQ(CFileBase::Base_GetFileLineCount(path), -1);
        EXPECT_EQ(CFileBase::Base_GetFileLineString(path, 1), u"");
    }
    // Up to the limit a file is read, line by line.
    std::filesystem::resize_file(bigPath, CFileBase::kMaxLineFileBytes);
    EXPECT_EQ(CFileBase::Base_GetFileLineCount(big), 2);
    EXPECT_EQ(CFileBase::Base_GetFileLineString(big, 3), u"first");
}

TEST(FileBase, SizeAndTimesOfRealFiles)
{
    test::CTempDir dir;
    dir.MakeFile(u"a.txt", "12345");
    dir.MakeFile(u"empty.bin", "");
    EXPECT_EQ(CFileBase::Base_GetFileSize(dir.Child(u"a.txt")), 5);
    EXPECT_EQ(CFileBase::Base_GetFileSize(dir.Child(u"empty.bin")), 0);
    EXPECT_EQ(CFileBase::Base_GetFileSize(dir.Child(u"missing")), -1);
    EXPECT_EQ(CFileBase::Base_GetFileSize(dir.Path()), -1);  // a folder cannot be read as a file
    EXPECT_EQ(CFileBase::Base_GetFileSize(u""), -1);

    const int32_t m = CFileBase::Base_GetFileTimeM(dir.Child(u"a.txt"));
    EXPECT_GT(m, 1500000000);
    EXPECT_GT(CFileBase::Base_GetFileTimeA(dir.Child(u"a.txt")), 1500000000);
    EXPECT_GT(CFileBase::Base_GetFileTimeC(dir.Child(u"a.txt")), 1500000000);
    EXPECT_EQ(CFileBase::Base_GetFileTimeM(dir.Child(u"missing")), 0);
    EXPECT_EQ(CFileBase::Base_GetFileTimeM(u""), 0);
    // Wildcards in the last part find the first matching entry.
    EXPECT_EQ(CFileBase::Base_GetFileTimeM(dir.Child(u"a.*")), m);
    EXPECT_EQ(CFileBase::Base_GetFileTimeM(dir.Child(u"?.txt")), m);
    EXPECT_EQ(CFileBase::Base_GetFileTimeM(dir.Child(u"*.none")), 0);
}

TEST(FileBase, ListTextsCountPiecesAndTrimItems)
{
    struct CCase {
        std::u16string m_strList;
        int m_nCount;
        std::u16string m_aItems[4];  // n = 1 .. 4
    };
    const CCase cases[] = {
        {u"a\nb\n", 3, {u"a", u"b", u"", u"a"}},
        {u"a\r\nb\r\n", 3, {u"a", u"b", u"", u"a"}},
        {u"  x \t\n\u3000y\u3000", 2, {u"x", u"y", u"x", u"y"}},
        {u"", 1, {u"", u"", u"", u""}},
        {u"solo", 1, {u"solo", u"solo", u"solo", u"solo"}},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.m_strList));
        EXPECT_EQ(CFileBase::Base_GetStringCount(c.m_strList), c.m_nCount);
        for (int n = 1; n <= 4; ++n) EXPECT_EQ(CFileBase::Base_GetStringIndex(c.m_strList, n), c.m_aItems[n - 1]) << n;
    }
    EXPECT_EQ(CFileBase::Base_GetStringIndex(u"a\nb", 0x7FFFFFFF), u"a");
}

TEST(FileBase, WildcardMatching)
{
    struct CCase {
        std::u16string m_strPattern, m_strName;
        bool m_bMatch;
    };
    const CCase cases[] = {
        {u"*", u"", true},          {u"*", u"abc", true},       {u"a*c", u"abbbc", true}, {u"a*c", u"abcd", false},
        {u"?.txt", u"a.txt", true}, {u"?.txt", u"ab.txt", false}, {u"*a*a", u"banana", true}, {u"A*", u"abc", false},
        {u"**b", u"b", true},       {u"", u"", true},           {u"", u"x", false},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(ToUtf8(c.m_strPattern + u" / " + c.m_strName));
        EXPECT_EQ(CFileBase::WildcardMatch(c.m_strPattern, c.m_strName), c.m_bMatch);
    }
}

}  // namespace
}  // namespace kq
