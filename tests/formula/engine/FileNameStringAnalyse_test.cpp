#include "formula/engine/FileNameStringAnalyse.h"

#include <gtest/gtest.h>

#include "formula/engine/EngineTestSupport.h"
#include "platform/Path.h"

namespace kq {
namespace {

// Folder text with the platform separator: "D:|Work|2015" -> "D:/Work/2015".
std::u16string Folder(const char* text)
{
    std::u16string folder = FromUtf8(text);
    for (auto& c : folder)
        if (c == u'|') c = kPathSeparator;
    return folder;
}

TEST(FileNameStringAnalyse, RowFunctionsDescribeTheRow)
{
    const struct {
        const char* file;
        const char* folder;
        const char* formula;
        const char* output;  // "|" stands for the separator
    } rows[] = {
        {"Report.final.PDF", "D:|Work|2015", "ftitle()", "\"Report.final\""},
        {"Report.final.PDF", "D:|Work|2015", "FEXT()", "\"PDF\""},
        {"Report.final.PDF", "D:|Work|2015", "Fname()", "\"Report.final.PDF\""},
        {"Report.final.PDF", "D:|Work|2015", "lpath()", "\"2015\""},
        {"Report.final.PDF", "D:|Work|2015", "froot()", "\"D\""},
        {"Report.final.PDF", "D:|Work|2015", "fpath()", "\"D:|Work|2015\""},
        {"Report.final.PDF", "D:|Work|2015", "curfile()", "\"D:|Work|2015|Report.final.PDF\""},
        {"Report.final.PDF", "D:|Work|2015", "pname()", "\"D:|Work|2015|Report.final.PDF\""},
        {"README", "D:|Work", "ftitle()", "\"README\""},
        {"README", "D:|Work", "fext()", "\"\""},
        {".bashrc", "D:|Work", "ftitle()&\"/\"&fext()", "\"/bashrc\""},
        {"a.", "D:|Work", "ftitle()&\"/\"&fext()", "\"a/\""},
        {"x", "D:", "froot()", "\"\""},
        {"x", "||server|share", "froot()", "\"\""},
        {"x", "Work", "lpath()", "\"Work\""},
        {"x", "", "lpath()&fpath()", "\"\""},
        {"a.txt", "|home|u", "Upper(Fname())", "\"A.TXT\""},
        {"a.txt", "|home|u", "len(curfile())", "13"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.formula);
        CFileNameStringAnalyse engine;
        engine.m_strFileName = FromUtf8(row.file);
        engine.m_strFilePath = Folder(row.folder);
        engine.SetInputString(FromUtf8(row.formula));
        ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk) << ToUtf8(engine.GetAnalyseErrorInfo());
        EXPECT_EQ(engine.GetOutputString(), Folder(row.output));
    }
}

TEST(FileNameStringAnalyse, NumbersAndArgumentCount)
{
    CFileNameStringAnalyse engine;
    engine.m_nIndex = 3;
    engine.m_nCount = 10;
    engine.m_nPathIndex = 2;
    engine.m_nIndexOnPath = 7;
    const struct {
        const char16_t* formula;
        int code;
        const char16_t* output;
        const char16_t* error;
    } rows[] = {
        {u"\"Part \"&index()&\" of \"&count()", 0, u"\"Part 3 of 10\"", nullptr},
        {u"PathIndex()*100+IndexOnPath()", 0, u"207", nullptr},
        {u"index()", 0, u"3", nullptr},
        {u"fname(1)", 3, nullptr, u"函数fname的形参个数应该为0个,当前指定的个数是1"},
        {u"INDEX(1,2)", 3, nullptr, u"函数index的形参个数应该为0个,当前指定的个数是2"},
        {u"upper(fname2())", 2, nullptr, u"函数fname2不存在"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.formula));
        engine.SetInputString(row.formula);
        ASSERT_EQ(engine.DoAnalyse(), row.code);
        if (row.output) {
            EXPECT_EQ(engine.GetOutputString(), row.output);
        }
        if (row.error) {
            EXPECT_EQ(engine.GetAnalyseErrorInfo(), row.error);
        }
    }
    // The base engine knows none of the row functions.
    CTERNBaseStringAnalyse base;
    base.SetInputString(u"index()");
    EXPECT_EQ(base.DoAnalyse(), kAnalyseUnknownFunction);
    EXPECT_EQ(base.GetAnalyseErrorInfo(), u"函数index不存在");
}

TEST(FileNameStringAnalyse, OneEngineFollowsTheRowDataOfEveryEvaluation)
{
    CFileNameStringAnalyse engine;
    engine.SetInputString(u"StrIndex(Index(),2)&\"_\"&Upper(Ftitle())&\".\"&Lower(Fext())");
    const char16_t* names[] = {u"alpha.TXT", u"Beta.Doc", u"gamma"};
    const char16_t* expected[] = {u"\"01_ALPHA.txt\"", u"\"02_BETA.doc\"", u"\"03_GAMMA.\""};
    for (int i = 0; i < 3; ++i) {
        engine.m_strFileName = names[i];
        engine.m_nIndex = i + 1;
        ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk) << ToUtf8(engine.GetAnalyseErrorInfo());
        EXPECT_EQ(engine.GetOutputString(), expected[i]);
    }
}

TEST(FolderCounter, NumbersFoldersByFirstAppearanceIgnoringAsciiCase)
{
    const struct {
        const char16_t* folder;
        int pathIndex;
        int indexOnPath;
    } rows[] = {
        {u"A", 1, 1}, {u"B", 2, 1}, {u"A", 1, 2}, {u"a", 1, 3},
        {u"C:\\X", 3, 1}, {u"c:\\x", 3, 2}, {u"", 4, 1}, {u"B", 2, 2},
        {u"文件", 5, 1}, {u"文件", 5, 2},
    };
    CFolderCounter counter;
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.folder));
        int pathIndex = 0;
        int indexOnPath = 0;
        counter.Count(row.folder, pathIndex, indexOnPath);
        EXPECT_EQ(pathIndex, row.pathIndex);
        EXPECT_EQ(indexOnPath, row.indexOnPath);
    }
    counter.Clear();
    int pathIndex = 0;
    int indexOnPath = 0;
    counter.Count(u"B", pathIndex, indexOnPath);
    EXPECT_EQ(pathIndex, 1);
    EXPECT_EQ(indexOnPath, 1);
}

}  // namespace
}  // namespace kq
