#include "renamer/list/ListExport.h"

#include <gtest/gtest.h>

#include "platform/CodePage.h"
#include "renamer/list/FileNameList.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

TEST(ListExport, WritesNameCommaFolderLinesInTheCharset)
{
    struct Case {
        const char* what;
        std::vector<std::pair<std::u16string, std::u16string>> rows;  // folder, name
        std::string charset;
        std::u16string text;
    } cases[] = {
        {"two rows", {{u"/x", u"a.txt"}, {u"/y", u"b.txt"}}, "UTF-8", u"a.txt,/x\r\nb.txt,/y\r\n"},
        {"comma kept", {{u"/x", u"a,b.txt"}}, "UTF-8", u"a,b.txt,/x\r\n"},
        {"Chinese in GBK", {{u"/文件夹", u"图纸.dwg"}}, "GBK", u"图纸.dwg,/文件夹\r\n"},
        {"long line whole", {{u"/x", std::u16string(300, u'n')}}, "UTF-8", std::u16string(300, u'n') + u",/x\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        test::CTempDir dir;
        dir.MakeFile(u"out.csv", "old content that is longer than the new one, to be replaced completely");
        CFileNameList list;
        for (const auto& r : c.rows) list.AddRow(r.first, r.second);
        EXPECT_EQ(ExportFileList(list, dir.Child(u"out.csv"), c.charset), EExportResult::Done);
        std::string expected;
        ASSERT_TRUE(EncodeText(c.text, c.charset, expected));
        EXPECT_EQ(dir.ReadFile(u"out.csv"), expected);
    }
    std::string gbk;
    ASSERT_TRUE(EncodeText(u"图", "GBK", gbk));
    EXPECT_EQ(gbk, "\xCD\xBC");  // two GBK bytes, not UTF-8
}

TEST(ListExport, EmptyListShowsTheMessageAndWritesNothing)
{
    test::CScriptedPrompt prompt;
    test::CTempDir dir;
    CFileNameList list;
    EXPECT_EQ(ExportFileList(list, dir.Child(u"out.csv"), "UTF-8"), EExportResult::EmptyList);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].m_strText, u"当前文件列表为空，无法导出文件列表！");
    EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"列表为空");
    EXPECT_TRUE(dir.List().empty());
    list.AddRow(u"/x", u"a");
    EXPECT_EQ(ExportFileList(list, dir.Child(u"missing/out.csv"), "UTF-8"), EExportResult::WriteFailed);
}

}  // namespace
}  // namespace kq
