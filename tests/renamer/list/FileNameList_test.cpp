#include "renamer/list/FileNameList.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#endif

#include <algorithm>
#include <random>

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

TEST(FileNameList, CollectFolderFiles_ListsEachFolderInTheWindowsOrder)
{
    CTempDir dir;
    // Made in reverse, so that no file system hands them out sorted by chance.
    for (const char16_t* name : {u"sub/z.txt", u"sub/A.txt", u"_x", u"IMG_0003", u"IMG_0002", u"IMG_0001", u"b.txt",
                                 u"été", u"Zeta", u"a.txt", u"Ábc"})
        dir.MakeFile(name);
    std::vector<std::u16string> paths;
    ASSERT_TRUE(CFileNameList::CollectFolderFiles(dir.Path(), true, paths));
    std::vector<std::u16string> relative;
    for (auto& p : paths) relative.push_back(test::PlatformPath(p.substr(dir.Path().size() + 1)));
    // Upper-cased, "_" (0x5F) sorts after the letters and "É"/"Á" after "_";
    // "sub"'s files come where "sub" is met.
    EXPECT_EQ(relative, (std::vector<std::u16string>{u"a.txt", u"b.txt", u"IMG_0001", u"IMG_0002", u"IMG_0003",
                                                     u"sub/A.txt", u"sub/z.txt", u"Zeta", u"_x", u"Ábc", u"été"}));
    EXPECT_TRUE(CFileNameList::ListingLess(u"abc", u"ABD"));
    EXPECT_TRUE(CFileNameList::ListingLess(u"ё", u"Я"));  // Ё is U+0401, Я U+042F
}

#ifndef _WIN32
// Names that differ only in case, prefixes of each other and letters beyond
// ASCII: ListingLess orders them as the upper-cased names compare, then as
// written.
TEST(FileNameList, ListingLess_ComparesUpperCasedNamesThenAsWritten)
{
    const std::u16string letters = u"aAb_ÉéЯё";
    std::vector<std::u16string> names;
    for (char16_t c1 : letters) {
        names.push_back(std::u16string(1, c1));
        for (char16_t c2 : letters) {
            names.push_back(std::u16string{c1, c2});
            names.push_back(std::u16string{c2, c1, u'b'});
        }
    }
    auto upper = [](const std::u16string& name) {
        std::u16string out;
        for (char16_t c : name) out.push_back(NameUpper(c));
        return out;
    };
    // Shared prefixes, and prefixes equal but for case, of more than the
    // four units compared at once.
    const std::u16string prefixes[] = {u"", u"photo_00", u"PHOTO_00", u"photo_0"};
    for (const auto& pa : prefixes) {
        for (const auto& pb : prefixes) {
            for (const auto& na : names) {
                for (const auto& nb : names) {
                    const std::u16string a = pa + na, b = pb + nb;
                    const bool expected = upper(a) != upper(b) ? upper(a) < upper(b) : a < b;
                    ASSERT_EQ(CFileNameList::ListingLess(a, b), expected) << ToUtf8(a) << " " << ToUtf8(b);
                }
            }
        }
    }
}

// The keyed sort orders as ListingLess does: folders whose names share a
// prefix (the key starts after it), names ending inside the key, case
// variants that tie on the key, and a name of no shared prefix at all.
TEST(FileNameList, SortInListingOrder_OrdersAsListingLess)
{
    const std::u16string units = u"aAb0_.ÉéЯё";
    const std::vector<std::vector<std::u16string>> shapes = {
        {u"photo_"}, {u"photo_", u"PHOTO_"}, {u"IMG_20260101_"}, {u"x", u""}, {u""}};
    std::mt19937 random(7);
    for (const auto& prefixes : shapes) {
        for (size_t count : {2u, 3u, 50u, 2000u}) {
            std::vector<CFolderEntry> entries;
            for (size_t e = 0; e < count; ++e) {
                std::u16string name = prefixes[random() % prefixes.size()];
                const size_t length = random() % 9;
                for (size_t i = 0; i < length; ++i) name.push_back(units[random() % units.size()]);
                if (name.empty()) name = u"a";
                entries.push_back({name, random() % 2 == 0});
            }
            std::vector<CFolderEntry> expected = entries;
            std::sort(expected.begin(), expected.end(), [](const CFolderEntry& a, const CFolderEntry& b) {
                return CFileNameList::ListingLess(a.m_strName, b.m_strName);
            });
            CFileNameList::SortInListingOrder(entries);
            ASSERT_EQ(entries.size(), expected.size());
            for (size_t e = 0; e < entries.size(); ++e)
                ASSERT_EQ(entries[e].m_strName, expected[e].m_strName) << "entry " << e << " of " << count;
        }
    }
}

TEST(FileNameList, CollectFolderFiles_WalksPastThePathLimit)
{
    CTempDir dir;
    // Twenty folders of 250 characters: 5,000 bytes, beyond PATH_MAX.
    const std::string part(250, 'd');
    std::vector<int> fds{open(dir.NativePath().c_str(), O_RDONLY | O_DIRECTORY)};
    for (int level = 0; level < 20; ++level) {
        ASSERT_EQ(mkdirat(fds.back(), part.c_str(), 0755), 0);
        fds.push_back(openat(fds.back(), part.c_str(), O_RDONLY | O_DIRECTORY));
        ASSERT_GE(fds.back(), 0);
    }
    close(openat(fds.back(), "deep.txt", O_CREAT | O_WRONLY, 0644));
    close(openat(fds[1], "shallow.txt", O_CREAT | O_WRONLY, 0644));

    std::vector<std::u16string> paths, unreadable;
    EXPECT_TRUE(CFileNameList::CollectFolderFiles(dir.Path(), true, paths, &unreadable));
    EXPECT_TRUE(unreadable.empty());
    ASSERT_EQ(paths.size(), 2u);
    EXPECT_GT(paths[0].size(), size_t(PATH_MAX));
    EXPECT_TRUE(paths[0].ends_with(u"/deep.txt"));  // "d…" before "shallow.txt"
    EXPECT_TRUE(paths[1].ends_with(FromAscii(part) + u"/shallow.txt"));

    // The temporary folder's own removal goes by path: take the tree down here.
    unlinkat(fds.back(), "deep.txt", 0);
    unlinkat(fds[1], "shallow.txt", 0);
    for (size_t level = fds.size() - 1; level > 0; --level) {
        close(fds[level]);
        EXPECT_EQ(unlinkat(fds[level - 1], part.c_str(), AT_REMOVEDIR), 0);
    }
    close(fds[0]);
}

TEST(FileNameList, CollectFolderFiles_ReportsAnUnreadableFolderAndGoesOn)
{
    CTempDir dir;
    dir.MakeFile(u"a/1.txt");
    dir.MakeFile(u"locked/2.txt");
    dir.MakeFile(u"z.txt");
    ASSERT_EQ(chmod((dir.NativePath() + "/locked").c_str(), 0), 0);
    if (DIR* probe = opendir((dir.NativePath() + "/locked").c_str())) {
        closedir(probe);
        chmod((dir.NativePath() + "/locked").c_str(), 0755);
        GTEST_SKIP() << "this user reads a folder without permissions (root)";
    }
    std::vector<std::u16string> paths, unreadable;
    EXPECT_TRUE(CFileNameList::CollectFolderFiles(dir.Path(), true, paths, &unreadable));
    chmod((dir.NativePath() + "/locked").c_str(), 0755);
    EXPECT_EQ(paths, (std::vector<std::u16string>{dir.Child(u"a/1.txt"), dir.Child(u"z.txt")}));
    EXPECT_EQ(unreadable, std::vector<std::u16string>{dir.Child(u"locked")});
}
#endif

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
    enum { kName, kFolder, kNatural };
    struct Case {
        int by;
        bool ascending;
        std::vector<Row> rows;
        std::vector<std::u16string> expected;  // folder + "/" + name
    } cases[] = {
        {kName,
         true,
         {{u"/D/x", u"a.txt"}, {u"/C/y", u"B.txt"}, {u"/C/y", u"a.txt"}},
         {u"/C/y/a.txt", u"/D/x/a.txt", u"/C/y/B.txt"}},
        {kName,
         false,
         {{u"/D/x", u"a.txt"}, {u"/C/y", u"B.txt"}, {u"/C/y", u"a.txt"}},
         {u"/C/y/B.txt", u"/C/y/a.txt", u"/D/x/a.txt"}},
        {kFolder, true, {{u"/C/a", u"z"}, {u"/C/B", u"y"}, {u"/C/a", u"b"}}, {u"/C/B/y", u"/C/a/b", u"/C/a/z"}},
        {kFolder, false, {{u"/C/B", u"y"}, {u"/C/a", u"z"}, {u"/C/a", u"B"}}, {u"/C/a/B", u"/C/a/z", u"/C/B/y"}},
        {kNatural,
         true,
         {{u"/C/x", u"file10"}, {u"/C/x", u"File2"}, {u"/B/x", u"file10"}},
         {u"/C/x/File2", u"/B/x/file10", u"/C/x/file10"}},
        {kNatural,
         false,
         {{u"/C/x", u"file10"}, {u"/C/x", u"File2"}, {u"/B/x", u"file10"}},
         {u"/B/x/file10", u"/C/x/file10", u"/C/x/File2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.by) + std::to_string(c.ascending));
        CFileNameList list(ENamePolicy::ExactCase);
        for (const auto& r : c.rows) list.AddRow(r.folder, r.name);
        list.SetText(1, kColStatus, kStatusDone);
        for (int r = 0; r < list.GetItemCount(); ++r) list.SetText(r, kColNewName, FromAscii(std::to_string(r)));
        const std::u16string moved = list.GetText(1, kColFolder) + u"/" + list.GetText(1, kColOldName);
        if (c.by == kName)
            list.SortByName(c.ascending);
        else if (c.by == kFolder)
            list.SortByDirectory(c.ascending);
        else
            list.SortNatural(c.ascending);
        std::vector<std::u16string> got;
        for (int r = 0; r < list.GetItemCount(); ++r) {
            got.push_back(list.GetText(r, kColFolder) + u"/" + list.GetText(r, kColOldName));
            EXPECT_EQ(list.GetText(r, kColNewName), FromAscii(std::to_string(r)));  // column 1 stays
            EXPECT_EQ(list.GetText(r, kColStatus) == kStatusDone, got.back() == moved);
        }
        EXPECT_EQ(got, c.expected);
    }
}

TEST(FileNameList, CompareNatural_NumbersByValue)
{
    struct {
        const char16_t* a;
        const char16_t* b;
        int expected;
    } cases[] = {
        {u"file2", u"file10", -1},  {u"file10", u"file9", 1},
        {u"IMG_0001", u"img_1", 1},  // equal value: fewer leading zeros first
        {u"img_1", u"IMG_1", 0},    {u"a1b2", u"a1b10", -1},
        {u"a", u"a1", -1},          {u"99999999999999999999998", u"99999999999999999999999", -1},  // beyond 64 bits
        {u"1000", u"999", 1},       {u"x01y", u"x1z", -1},  // the text after the number decides before the zeros
        {u"第2集", u"第10集", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.a) + " " + ToUtf8(c.b));
        EXPECT_EQ(CFileNameList::CompareNatural(c.a, c.b), c.expected);
        EXPECT_EQ(CFileNameList::CompareNatural(c.b, c.a), -c.expected);
    }
}

TEST(FileNameList, HandEdits_KeepTheirNameWithTheirRow)
{
    CFileNameList list;
    for (auto p : {u"/x/a", u"/x/b", u"/x/c"}) AddPath(list, p);
    auto fill = [&] {
        for (int r = 0; r < list.GetItemCount(); ++r) list.SetText(r, kColNewName, u"n" + list.GetText(r, kColOldName));
    };
    fill();
    list.SetEditedName(0, u"hand");
    fill();
    EXPECT_EQ(Column(list, kColNewName), (std::vector<std::u16string>{u"hand", u"nb", u"nc"}));
    CRowSet selection{0};
    ASSERT_EQ(list.MoveSelectionDown(selection), EMoveResult::Done);
    EXPECT_EQ(Column(list, kColNewName)[1], u"hand");  // moved with its row
    EXPECT_TRUE(list.IsEdited(1) && !list.IsEdited(0));
    list.DeleteRows({1});
    EXPECT_FALSE(list.IsEdited(0) || list.IsEdited(1));
    EXPECT_EQ(list.ClearEdits(), 0u);
    list.SetEditedName(1, u"again");
    EXPECT_EQ(list.ClearEdits(), 1u);
    fill();
    EXPECT_EQ(Column(list, kColNewName), (std::vector<std::u16string>{u"nb", u"nc"}));
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
