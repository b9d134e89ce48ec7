#include "renamer/list/FileNameList.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>

#include "platform/Path.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

// Paths here are written the POSIX way; see test::PlatformPath.
bool AddPath(CFileNameList& list, std::u16string_view posixPath) { return list.AddFile(test::PlatformPath(posixPath)); }

std::vector<std::u16string> Column(const CFileNameList& list, int column)
{
    std::vector<std::u16string> texts;
    for (int r = 0; r < list.GetItemCount(); ++r) texts.push_back(test::PlatformPath(list.GetText(r, column)));
    return texts;
}

TEST(FileNameList, AddFile_SkipsFilesAlreadyListedUnderThePolicy)
{
    struct Case {
        ENamePolicy policy;
        std::vector<std::u16string> paths;
        std::vector<std::u16string> names;
        std::vector<std::u16string> folders;
    } cases[] = {
        {ENamePolicy::AsciiCaseInsensitive, {u"/x/a.txt", u"/x/A.TXT", u"/X/a.txt"}, {u"a.txt"}, {u"/x"}},
        {ENamePolicy::ExactCase, {u"/x/a.txt", u"/x/A.TXT", u"/X/a.txt", u"/x/a.txt"}, {u"a.txt", u"A.TXT", u"a.txt"}, {u"/x", u"/x", u"/X"}},
        {ENamePolicy::ExactCase, {u"/x/a.txt", u"/y/a.txt"}, {u"a.txt", u"a.txt"}, {u"/x", u"/y"}},
        {ENamePolicy::ExactCase, {u"noseparator.txt", u"/top.txt"}, {u"top.txt"}, {u""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.paths[0]) + " policy " + std::to_string(int(c.policy)));
        CFileNameList list(c.policy);
        for (const auto& p : c.paths) AddPath(list, p);
        EXPECT_EQ(Column(list, kColOldName), c.names);
        EXPECT_EQ(Column(list, kColFolder), c.folders);
        for (int r = 0; r < list.GetItemCount(); ++r) {
            EXPECT_EQ(list.GetText(r, kColStatus), u"未处理");
            EXPECT_EQ(list.GetText(r, kColNewName), u"");
        }
    }
}

TEST(FileNameList, AddFile_SeesRenamedAndDeletedRows)
{
    CFileNameList list(ENamePolicy::ExactCase);
    AddPath(list, u"/x/a");
    AddPath(list, u"/x/b");
    list.SetText(0, kColOldName, u"c");
    EXPECT_TRUE(AddPath(list, u"/x/a"));   // its name is free again
    EXPECT_FALSE(AddPath(list, u"/x/c"));  // and the new one is taken
    list.DeleteRows({1, 7, -1});
    EXPECT_TRUE(AddPath(list, u"/x/b"));
    EXPECT_EQ(Column(list, kColOldName), (std::vector<std::u16string>{u"c", u"a", u"b"}));
}

TEST(FileNameList, StatusTextsStayWithTheirRows)
{
    CFileNameList list(ENamePolicy::ExactCase);
    for (const char16_t* path : {u"/x/a", u"/x/b", u"/x/c", u"/x/d"}) AddPath(list, path);
    list.SetText(0, kColStatus, u"已处理");
    list.SetText(1, kColStatus, u"跳过");
    list.SetText(2, kColStatus, u"");
    list.SetText(3, kColStatus, u"跳过");
    list.SetText(3, kColStatus, u"未处理");
    list.DeleteRows({0});
    EXPECT_EQ(Column(list, kColStatus), (std::vector<std::u16string>{u"跳过", u"", u"未处理"}));
    CRowSet selection{0};
    ASSERT_EQ(list.MoveSelectionDown(selection), EMoveResult::Done);
    EXPECT_EQ(Column(list, kColStatus), (std::vector<std::u16string>{u"", u"跳过", u"未处理"}));
    EXPECT_EQ(Column(list, kColOldName), (std::vector<std::u16string>{u"c", u"b", u"d"}));
}

TEST(FileNameList, CollectFolderFiles_WalksSubfoldersDepthFirstOnlyWhenAsked)
{
    CTempDir dir;
    dir.MakeFile(u"a.txt");
    dir.MakeFile(u"sub/b.txt");
    dir.MakeFile(u"sub/deeper/c.txt");
    dir.MakeFile(u".hidden");
#ifndef _WIN32
    // A link back up must not make the walk endless (POSIX: Windows needs a
    // privilege to make one).
    ASSERT_EQ(symlink(dir.NativePath().c_str(), (dir.NativePath() + "/sub/loop").c_str()), 0);
#endif

    for (bool recursive : {false, true}) {
        SCOPED_TRACE(recursive);
        std::vector<std::u16string> paths;
        ASSERT_TRUE(CFileNameList::CollectFolderFiles(dir.Path() + kPathSeparator, recursive, paths));
        std::vector<std::u16string> relative;
        for (auto& p : paths) relative.push_back(test::PlatformPath(p.substr(dir.Path().size() + 1)));
        std::sort(relative.begin(), relative.end());
        std::vector<std::u16string> expected = recursive
            ? std::vector<std::u16string>{u".hidden", u"a.txt", u"sub/b.txt", u"sub/deeper/c.txt"}
            : std::vector<std::u16string>{u".hidden", u"a.txt"};
        EXPECT_EQ(relative, expected);
    }
    std::vector<std::u16string> none;
    EXPECT_FALSE(CFileNameList::CollectFolderFiles(dir.Child(u"missing"), true, none));
    EXPECT_TRUE(none.empty());
}

TEST(FileNameList, SelectionHelpersWorkOnIndexSets)
{
    CFileNameList list;
    for (auto p : {u"/x/a", u"/x/b", u"/x/c", u"/x/d"}) AddPath(list, p);
    EXPECT_EQ(list.SelectAllRows(), (CRowSet{0, 1, 2, 3}));
    EXPECT_EQ(list.InvertSelection({2, 0, 0, 9}), (CRowSet{1, 3}));
    EXPECT_EQ(list.InvertSelection({}), (CRowSet{0, 1, 2, 3}));
    EXPECT_EQ(list.CountPaneText(2), u"共计：4个   选择：2个");
    EXPECT_EQ(CFileNameList::CountPaneText(3, 2), u"共计：3个   选择：2个");
    list.DeleteRows({3, 1});
    EXPECT_EQ(Column(list, kColOldName), (std::vector<std::u16string>{u"a", u"c"}));
    list.Clear();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_TRUE(AddPath(list, u"/x/a"));
}

TEST(FileNameList, MoveSelection_MovesAContiguousBlockOnePlace)
{
    struct Case {
        bool up;
        CRowSet selection;
        EMoveResult result;
        std::u16string order;   // names after the move
        CRowSet after;          // selection after the move
        bool message;
    } cases[] = {
        {true, {2, 3}, EMoveResult::Done, u"acdbe", {1, 2}, false},
        {false, {1, 2}, EMoveResult::Done, u"adbce", {2, 3}, false},
        {true, {0, 1}, EMoveResult::Nothing, u"abcde", {0, 1}, false},
        {false, {3, 4}, EMoveResult::Nothing, u"abcde", {3, 4}, false},
        {true, {}, EMoveResult::Nothing, u"abcde", {}, false},
        {true, {1, 3}, EMoveResult::NotContiguous, u"abcde", {1, 3}, true},
        {false, {0, 4}, EMoveResult::NotContiguous, u"abcde", {0, 4}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.order));
        CScriptedPrompt prompt;
        CFileNameList list;
        for (char16_t n : std::u16string(u"abcde")) AddPath(list, u"/f/" + std::u16string(1, n));
        for (int r = 0; r < 5; ++r) list.SetText(r, kColNewName, u"new");
        CRowSet selection = c.selection;
        EMoveResult result = c.up ? list.MoveSelectionUp(selection) : list.MoveSelectionDown(selection);
        EXPECT_EQ(result, c.result);
        std::u16string order;
        for (int r = 0; r < 5; ++r) order += list.GetText(r, kColOldName);
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(selection, c.after);
        ASSERT_EQ(prompt.Shown().size(), c.message ? 1u : 0u);
        if (c.message) {
            EXPECT_EQ(prompt.Shown()[0].m_strText, u"文件上下移操作时，只能连续选择文件！");
            EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"文件选择不连续");
        }
    }
}

TEST(FileNameList, Sorts_OrderByKeyThenTieBreakAscending)
{
    struct Row {
        const char16_t* folder;
        const char16_t* name;
    };
    struct Case {
        bool byName;
        bool ascending;
        std::vector<Row> rows;
        std::vector<std::u16string> expected;  // folder + "/" + name
    } cases[] = {
        {true, true, {{u"/D/x", u"a.txt"}, {u"/C/y", u"B.txt"}, {u"/C/y", u"a.txt"}},
         {u"/C/y/a.txt", u"/D/x/a.txt", u"/C/y/B.txt"}},
        {true, false, {{u"/D/x", u"a.txt"}, {u"/C/y", u"B.txt"}, {u"/C/y", u"a.txt"}},
         {u"/C/y/B.txt", u"/C/y/a.txt", u"/D/x/a.txt"}},
        {false, true, {{u"/C/a", u"z"}, {u"/C/B", u"y"}, {u"/C/a", u"b"}},
         {u"/C/B/y", u"/C/a/b", u"/C/a/z"}},
        {false, false, {{u"/C/B", u"y"}, {u"/C/a", u"z"}, {u"/C/a", u"B"}},
         {u"/C/a/B", u"/C/a/z", u"/C/B/y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.byName) + std::to_string(c.ascending));
        CFileNameList list(ENamePolicy::ExactCase);
        for (const auto& r : c.rows) list.AddRow(r.folder, r.name);
        list.SetText(1, kColStatus, kStatusDone);
        for (int r = 0; r < list.GetItemCount(); ++r) list.SetText(r, kColNewName, FromAscii(std::to_string(r)));
        const std::u16string movedName = list.GetText(1, kColOldName);
        c.byName ? list.SortByName(c.ascending) : list.SortByDirectory(c.ascending);
        std::vector<std::u16string> got;
        for (int r = 0; r < list.GetItemCount(); ++r) {
            got.push_back(list.GetText(r, kColFolder) + u"/" + list.GetText(r, kColOldName));
            EXPECT_EQ(list.GetText(r, kColNewName), FromAscii(std::to_string(r)));  // column 1 stays
            EXPECT_EQ(list.GetText(r, kColStatus) == kStatusDone, list.GetText(r, kColOldName) == movedName);
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST(FileNameList, ReorderRows_RefusesWhatIsNoPermutation)
{
    CFileNameList list;
    for (auto p : {u"/x/a", u"/x/b", u"/x/c"}) AddPath(list, p);
    EXPECT_FALSE(list.ReorderRows({0, 0, 1}));
    EXPECT_FALSE(list.ReorderRows({0, 1}));
    EXPECT_FALSE(list.ReorderRows({0, 1, 3}));
    EXPECT_TRUE(list.ReorderRows({2, 0, 1}));
    EXPECT_EQ(Column(list, kColOldName), (std::vector<std::u16string>{u"c", u"a", u"b"}));
    EXPECT_FALSE(AddPath(list, u"/x/c"));
}

}  // namespace
}  // namespace kq
