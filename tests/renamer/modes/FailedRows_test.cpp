// Rows whose name a page could not compute: marked failed with the engine's
// reason, and never renamed, even though their column 1 holds "." and the
// extension.
#include <gtest/gtest.h>

#include <functional>

#include "platform/FileSystem.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

TEST(FailedRows, CarryTheCleanedReasonAndAreClearedByTheNextName)
{
    struct Case {
        const char* what;
        std::function<void(CFileNameList&)> fill;
        std::u16string reason;
    } cases[] = {
        {"formula naming a reduced call", [](CFileNameList& l) { CEfFields{u"ftitle()x"}.FillNewNames(l, true); },
         u"错误6：变量或常量…x错误"},
        {"unknown function", [](CFileNameList& l) { CEfFields{u"nosuch(1)"}.FillNewNames(l, true); },
         u"错误2：函数nosuch不存在"},
        {"template brace", [](CFileNameList& l) { CEeFields{u"{t=1;F"}.FillNewNames(l, true); },
         u"'{'找不到匹配的'}'，请检查后重试！"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CFileNameList list;
        list.AddRow(test::PlatformPath(u"/f"), u"a.txt");
        c.fill(list);
        EXPECT_EQ(list.GetText(0, kColNewName), u".txt");
        EXPECT_TRUE(list.IsNameFailed(0));
        EXPECT_EQ(list.NameFailure(0), c.reason);
        CEfFields{u"ftitle()"}.FillNewNames(list, true);
        EXPECT_FALSE(list.IsNameFailed(0));
        EXPECT_EQ(list.NameFailure(0), u"");
    }
    EXPECT_EQ(FormulaFailureText(6, u"SFV12&SFV3+SFVx"), u"错误6：…&…+SFVx");
    EXPECT_EQ(FormulaFailureText(99, u""), u"错误99");
}

TEST(FailedRows, AreNeverRenamedAndCountAsFailed)
{
    struct Case {
        const char* what;
        std::function<void(CFileNameList&)> fill;
    } cases[] = {
        {"formula",
         [](CFileNameList& l) { CEfFields{u"if(fext()=\"txt\",nosuch(),ftitle()&\"_x\")"}.FillNewNames(l, true); }},
        {"template", [](CFileNameList& l) { CEeFields{u"{t=1;F"}.FillNewNames(l, true); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        test::CTempDir dir;
        test::CTempDir journal;
        test::CScriptedPrompt prompt;
        dir.MakeFile(u"a.txt", "a");
        dir.MakeFile(u"b.jpg", "b");
        CFileNameList list;
        list.AddFile(dir.Child(u"a.txt"));
        list.AddFile(dir.Child(u"b.jpg"));
        c.fill(list);
        ASSERT_EQ(list.GetText(0, kColNewName), u".txt");
        CRenameOptions options;
        options.m_bConfirmed = true;
        options.m_strJournalFolder = journal.Path();
        const bool templateFails = list.IsNameFailed(1);
        EXPECT_EQ(list.ExecuteRename(options), kRenamePartly);
        EXPECT_EQ(dir.ReadFile(u"a.txt"), "a");
        EXPECT_FALSE(PathExists(dir.Child(u".txt")));
        EXPECT_EQ(list.GetText(0, kColStatus), u"未处理");
        EXPECT_EQ(list.GetText(0, kColOldName), u"a.txt");
        // The formula names b.jpg; the template fails on every row.
        EXPECT_EQ(list.LastSummary().m_nFailed, templateFails ? 2u : 1u);
        EXPECT_EQ(dir.List(), templateFails ? (std::vector<std::u16string>{u"a.txt", u"b.jpg"})
                                            : (std::vector<std::u16string>{u"a.txt", u"b_x.jpg"}));
        EXPECT_EQ(list.LastTitle(), u"改名未全部完成");
    }
}

}  // namespace
}  // namespace kq
