#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/CodePage.h"
#include "platform/Crt.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "updater/core/PRKFileVersion.h"
#include "updater/core/UpdateFlow.h"

namespace kq {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

const char* const kFourSections =
    "VER1.0\n"
    "// versions of the renamer\n"
    "[5.40]\nLen:100\nNot:n540\nCan:c540\nold change\n###\n"
    "[5.50]\nLen:200\nNot:n550\nCan:c550\nbaseline change\n###\n"
    "[5.51]\nLen: 300\nNot:n551\nCan:c551\nfix one\nfix two\n###\n"
    "ignored between sections\n"
    "[5.52]\nLen:400xyz\nNot:n552\nCan:c552\nnew feature\n###\n";

struct CRead {
    bool ok;
    std::u16string latest;
    std::vector<std::u16string> changes;
    std::vector<std::u16string> messages;
    double format;
};

CRead ReadVersion(const std::string& content, double installed)
{
    CTempDir dir;
    dir.MakeFile(u"v.txt", content);
    CScriptedPrompt prompt;
    CPRKFileVersion file(installed);
    file.SetFilePath(dir.Child(u"v.txt"));
    CRead r{file.ReadVersionFile(), file.m_strLatestVersion, file.m_aChangeList, {}, file.m_dFormatVersion};
    for (const auto& shown : prompt.Shown()) r.messages.push_back(shown.m_strText);
    return r;
}

std::u16string ErrorText(const std::u16string& path, const char16_t* version, int line, const char16_t* message)
{
    return std::u16string(u"文件操作时出现错误，无法继续进行，请按以下错误信息描述检查该文件：\n\n文件名称：") + path +
           u"\n文件版本：Ver" + version + u"\n错误位置：第" + FormatInt(line) + u"行\n错误描述：" + message;
}

TEST(PRKFileVersion, ReadsHeadersSectionsAndBaselines)
{
    struct Row {
        const char* name;
        std::string content;
        double installed;
        bool ok;
        std::u16string latest;
        std::vector<std::u16string> changes;
        size_t messages;
    } rows[] = {
        {"four sections from 5.50", kFourSections, 5.5, true, u"5.52", {u"fix one", u"fix two", u"new feature"}, 0},
        {"baseline is the first newer", "VER1.0\n[5.51]\nLen:1\nNot:\nCan:\nskipped\n###\n[5.52]\nLen:1\nNot:\nCan:\nonly\n###\n",
         5.5, true, u"5.52", {u"only"}, 0},
        {"installed newer than all", kFourSections, 5.6, true, u"", {}, 0},
        {"installed equal to the last", kFourSections, 5.52, true, u"5.52", {}, 0},
        {"comment-only file", "// nothing\n\n   \n//VER1.0\n", 5.5, false, u"", {}, 0},
        {"empty file", "", 5.5, false, u"", {}, 0},
        {"lower case with a space", "ver 1.0\n[5.50]\n[5.60]\nLen:1\nNot:\nCan:\nx\n###\n", 5.5, true, u"5.60", {u"x"}, 0},
        {"format 0.5 read", "VER0.5\n[5.50]\n[5.60]\nLen:1\nNot:\nCan:\nx\n", 5.5, true, u"5.60", {u"x"}, 0},
        {"bare VER reads as 0", "VER\n", 5.5, true, u"", {}, 0},
        {"format 1.1 refused", "VER1.1\n[5.60]\n", 5.5, false, u"", {}, 1},
        {"two points refused", "VER1.0.1\n", 5.5, false, u"", {}, 1},
        {"letter refused", "VER1a\n", 5.5, false, u"", {}, 1},
        {"no VER header", "<html>\n<body>404</body>\n", 5.5, false, u"", {}, 1},
        {"cut off after its header", "VER1.0\n[5.50]\n[5.60]\n", 5.5, false, u"5.60", {}, 0},
        {"cut off after Len", "VER1.0\n[5.50]\n[5.60]\nLen:1\n", 5.5, false, u"5.60", {}, 0},
        {"ends inside the change list", "VER1.0\n[5.50]\n[5.60]\nLen:1\nNot:a\nCan:b\nc1\nc2", 5.5, true, u"5.60",
         {u"c1", u"c2"}, 0},
        {"header inside a change list is a change", "VER1.0\n[5.50]\n[5.60]\nLen:1\nNot:\nCan:\n[5.70]\n###\n", 5.5, true,
         u"5.60", {u"[5.70]"}, 0},
        {"CRLF lines and spaces trimmed", "VER1.0\r\n[5.50]\r\n  [5.60]  \r\nLen:1\r\nNot:\r\nCan:\r\n  a b  \r\n###\r\n", 5.5,
         true, u"5.60", {u"a b"}, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CRead r = ReadVersion(row.content, row.installed);
        EXPECT_EQ(r.ok, row.ok);
        EXPECT_EQ(r.latest, row.latest);
        EXPECT_EQ(r.changes, row.changes);
        EXPECT_EQ(r.messages.size(), row.messages);
    }
}

TEST(PRKFileVersion, ErrorBoxesNameFileVersionAndPhysicalLine)
{
    CTempDir dir;
    struct Row {
        std::string content;
        const char16_t* version;
        int line;
        const char16_t* message;
    } rows[] = {
        // Blank and comment lines count.
        {"\n// c\n\n  ver1.0.0\n", u"0.00", 4, u"版本信息错误，版本应由VER和实数(一位小数)构成！"},
        {"// c\nVRE1.0\n", u"0.00", 2, u"文件头没有版本信息或版本信息错误！"},
        {"\n\nVER 1.1\n[5.50]\n", u"1.10", 3, u"版本信息文件版本高于当前系统能够读取版本，无法读取文件！"},
    };
    for (const auto& row : rows) {
        dir.MakeFile(u"v.txt", row.content);
        CScriptedPrompt prompt;
        CPRKFileVersion file(5.5);
        file.SetFilePath(dir.Child(u"v.txt"));
        EXPECT_FALSE(file.ReadVersionFile());
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"文件操作时出现错误");
        EXPECT_EQ(prompt.Shown()[0].m_strKind, u"inform");
        EXPECT_EQ(prompt.Shown()[0].m_strText, ErrorText(dir.Child(u"v.txt"), row.version, row.line, row.message));
    }
}

TEST(PRKFileVersion, DetailTextFollowsTheMessage)
{
    CPRKFileBase file;
    file.SetFilePath(u"/x/y.txt");
    file.m_nLineNumber = 7;
    EXPECT_EQ(file.FormatError(u"坏", u"行文本"), ErrorText(u"/x/y.txt", u"0.00", 7, u"坏") + u"\n错误文本：行文本");
}

TEST(PRKFileVersion, KeepsValuesOfTheLastSection)
{
    CTempDir dir;
    dir.MakeFile(u"v.txt", kFourSections);
    CScriptedPrompt prompt;
    CPRKFileVersion file(5.5);
    EXPECT_EQ(file.m_strInstalledVersion, "5.50");
    file.SetFilePath(dir.Child(u"v.txt"));
    ASSERT_TRUE(file.ReadVersionFile());
    EXPECT_EQ(file.m_nLen, 400);
    EXPECT_EQ(file.m_strNot, u"n552");
    EXPECT_EQ(file.m_strCan, u"c552");
    EXPECT_DOUBLE_EQ(file.m_dFormatVersion, 1.0);
}

TEST(PRKFileVersion, ReadsGbkChangeLines)
{
    std::string body;
    ASSERT_TRUE(ToGbk(u"VER1.0\r\n[2.15]\r\n[2.16]\r\nLen:10\r\nNot:说明\r\nCan:可以\r\n修正改名时的错误\r\n增加排序功能\r\n###\r\n", body));
    CRead r = ReadVersion(body, 2.15);
    ASSERT_TRUE(r.ok);
    EXPECT_EQ(r.latest, u"2.16");
    EXPECT_EQ(r.changes, (std::vector<std::u16string>{u"修正改名时的错误", u"增加排序功能"}));
}

TEST(PRKFileVersion, UnreadableFilesFailWithTheOpenMessage)
{
    CTempDir dir;
    dir.MakeFolder(u"folder");
    std::vector<const char16_t*> names = {u"missing.txt", u"folder"};
#ifndef _WIN32
    ASSERT_EQ(mkfifo(ToNativeName(dir.Child(u"fifo")).c_str(), 0600), 0);
    names.push_back(u"fifo");
#endif
    for (const char16_t* name : names) {
        CScriptedPrompt prompt;
        CPRKFileVersion file(1.0);
        file.SetFilePath(dir.Child(name));
        EXPECT_FALSE(file.ReadVersionFile());
        ASSERT_EQ(prompt.Shown().size(), 1u);
        EXPECT_EQ(prompt.Shown()[0].m_strText, u"获取新版本信息时出现异常，重试请稍后！");
    }
}

TEST(PRKFileVersion, VeryLongLinesAreCutNotHeld)
{
    std::string content = "VER1.0\n[1.0]\n[2.0]\nLen:1\nNot:\nCan:\n" + std::string(300000, 'x') + "\nshort\n";
    CRead r = ReadVersion(content, 1.0);
    ASSERT_TRUE(r.ok);
    ASSERT_EQ(r.changes.size(), 2u);
    EXPECT_EQ(r.changes[0].size(), 64u * 1024);
    EXPECT_EQ(r.changes[1], u"short");
}

TEST(UpdateTexts, ChangeTextNumbersAndUpToDate)
{
    std::vector<std::u16string> nine(9, u"c"), ten(10, u"c");
    std::u16string text9 = BuildChangeText(nine), text10 = BuildChangeText(ten);
    EXPECT_EQ(text9.substr(0, 12), u"\n【1】.c\n【2】.c");
    EXPECT_EQ(text9.find(u"【0"), std::u16string::npos);
    EXPECT_EQ(text10.substr(0, 14), u"\n【01】.c\n【02】.c");
    EXPECT_NE(text10.find(u"\n【09】.c\n【10】.c"), std::u16string::npos);
    EXPECT_EQ(BuildChangeText({}), u"");

    struct Row {
        const char* installed;
        const char16_t* latest;
        bool upToDate;
    } rows[] = {{"5.50", u"5.52", false}, {"5.50", u"5.50", true}, {"5.60", u"5.52", true}, {"5.50", u"", true},
                {"0.00", u"", true}, {"0.00", u"0.01", false}};
    for (const auto& row : rows) EXPECT_EQ(IsUpToDate(row.installed, row.latest), row.upToDate) << row.installed;
}

}  // namespace
}  // namespace kq
