// The preview's row problems over real folders: every kind, the moves that
// are no collision (swaps, rotations, chains, case-only changes, a name set
// free), and the incremental re-check.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/Crt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/RowProblems.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;

// "a.txt>b.txt" renames a.txt; "a.txt>!" marks its name failed (column 1
// then holds "." and the extension, as the pages write it).
struct CPreview {
    CTempDir dir;
    CFileNameList list;
    CRowProblems problems;

    // The POSIX rules on every platform; PlatformRulesDecideLengthUnitsAndDotFiles has the others.
    explicit CPreview(ENamePolicy policy, CNameRules rules = {true, true, 255}) : list(policy), problems(policy, rules)
    {}

    void Row(const std::u16string& oldName, const std::u16string& newName)
    {
        list.AddFile(dir.Child(oldName));
        const int r = list.GetItemCount() - 1;
        if (newName == u"!") {
            list.SetText(r, kColNewName, u"." + oldName.substr(oldName.rfind(u'.') + 1));
            list.SetNameFailed(r, u"错误6：变量或常量…x错误");
        } else {
            list.SetText(r, kColNewName, newName);
        }
    }
    // "word" per row, "collision:1" naming the other row.
    std::vector<std::string> Words() const
    {
        std::vector<std::string> out;
        for (size_t r = 0; r < problems.RowCount(); ++r) {
            std::string word(RowProblemWord(problems.Problem(r)));
            if (problems.Problem(r) == ERowProblem::Collision) word += ":" + std::to_string(problems.OtherRow(r));
            out.push_back(word.empty() ? "-" : word);
        }
        return out;
    }
};

const ENamePolicy kPolicies[] = {ENamePolicy::ExactCase, ENamePolicy::AsciiCaseInsensitive};

TEST(RowProblems, FindsEachKindFirstMatchWinning)
{
    const std::u16string longName = std::u16string(252, u'n') + u".txt";  // 256 bytes
    const std::u16string longChinese = std::u16string(85, u'名');         // 255 bytes: fits
    struct Case {
        const char* what;
        std::vector<std::u16string> disk;  // a trailing "/" makes a folder
        std::vector<std::pair<std::u16string, std::u16string>> rows;
        std::vector<std::string> exact;        // under the exact policy
        std::vector<std::string> insensitive;  // and the case-insensitive one ({} = the same)
    } cases[] = {
        {"plain renames", {u"a.txt", u"b.txt"}, {{u"a.txt", u"x.txt"}, {u"b.txt", u"y.txt"}}, {"-", "-"}, {}},
        {"failed even when its column holds a usable name", {u"a.txt"}, {{u"a.txt", u"!"}}, {"failed"}, {}},
        {"refused characters and control characters",
         {u"a", u"b", u"c", u"d"},
         {{u"a", u"x?y"}, {u"b", u"x/y"}, {u"c", u"x\ty"}, {u"d", u"x\"y"}},
         {"invalid", "invalid", "invalid", "invalid"},
         {}},
        {"empty, dots and spaces",
         {u"a", u"b", u"c"},
         {{u"a", u""}, {u"b", u". ."}, {u"c", u".."}},
         {"empty", "empty", "empty"},
         {}},
        {"over 255 bytes, not 255 bytes of Chinese",
         {u"a", u"b"},
         {{u"a", longName}, {u"b", longChinese}},
         {"too-long", "-"},
         {}},
        {"two rows to one name",
         {u"a", u"b", u"c"},
         {{u"a", u"x"}, {u"b", u"c"}, {u"c", u"x"}},
         {"collision:2", "-", "collision:0"},
         {}},
        {"to an unchanged row's name", {u"a", u"b"}, {{u"a", u"a"}, {u"b", u"a"}}, {"collision:1", "collision:0"}, {}},
        {"onto a failed row's file",
         {u"a.txt", u"b.txt"},
         {{u"a.txt", u"!"}, {u"b.txt", u"a.txt"}},
         {"failed", "collision:0"},
         {}},
        {"names differing in case only",
         {u"a", u"b"},
         {{u"a", u"X"}, {u"b", u"x"}},
         {"-", "-"},
         {"collision:1", "collision:0"}},
        {"held by a file not in the list", {u"a", u"taken"}, {{u"a", u"taken"}}, {"exists"}, {}},
        {"held by a folder", {u"a", u"sub/"}, {{u"a", u"sub"}}, {"exists"}, {}},
        {"held in another case", {u"a", u"Taken"}, {{u"a", u"taken"}}, {"-"}, {"exists"}},
        {"trailing dots and spaces dropped before comparing", {u"a", u"b"}, {{u"a", u"b. "}}, {"exists"}, {}},
        {"a visible file made hidden",
         {u"a.txt", u".cfg"},
         {{u"a.txt", u".txt"}, {u".cfg", u".rc"}},
         {"hidden", "-"},
         {}},
        {"unchanged", {u"a", u"b"}, {{u"a", u"a"}, {u"b", u"b. ."}}, {"unchanged", "unchanged"}, {}},
        {"swap", {u"a", u"b"}, {{u"a", u"b"}, {u"b", u"a"}}, {"-", "-"}, {}},
        {"rotation", {u"a", u"b", u"c"}, {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"a"}}, {"-", "-", "-"}, {}},
        {"chain", {u"1", u"2", u"3"}, {{u"1", u"2"}, {u"2", u"3"}, {u"3", u"4"}}, {"-", "-", "-"}, {}},
        {"a file moving away frees its name", {u"a", u"b"}, {{u"b", u"c"}, {u"a", u"b"}}, {"-", "-"}, {}},
        {"a failed file does not move away",
         {u"a.txt", u"b.txt"},
         {{u"b.txt", u"!"}, {u"a.txt", u"b.txt"}},
         {"failed", "collision:0"},
         {}},
        {"a refused name does not move away",
         {u"a", u"b"},
         {{u"b", u"x:y"}, {u"a", u"b"}},
         {"invalid", "collision:0"},
         {}},
        {"case only", {u"a.txt"}, {{u"a.txt", u"A.txt"}}, {"-"}, {"-"}},
        // The list may spell a file in another case than the folder does.
        {"a failed row's file listed in another case",
         {u"a.txt", u"b.txt"},
         {{u"A.TXT", u"!"}, {u"b.txt", u"a.txt"}},
         {"failed", "exists"},
         {"failed", "collision:0"}},
        {"a file listed in another case moving away frees its name",
         {u"a.txt", u"b.txt"},
         {{u"A.TXT", u"c.txt"}, {u"b.txt", u"a.txt"}},
         {"-", "exists"},
         {"-", "-"}},
        {"no such file: nothing to collide with", {u"a"}, {{u"a", u"x"}, {u"gone", u"x"}}, {"-", "-"}, {}},
    };
    for (ENamePolicy policy : kPolicies) {
        for (const Case& c : cases) {
            const bool exact = policy == ENamePolicy::ExactCase;
            SCOPED_TRACE(std::string(c.what) + (exact ? " exact" : " insensitive"));
            CPreview preview(policy);
            for (const auto& name : c.disk) {
                if (name.back() == u'/')
                    preview.dir.MakeFolder(name.substr(0, name.size() - 1));
                else
                    preview.dir.MakeFile(name);
            }
            for (const auto& [oldName, newName] : c.rows) preview.Row(oldName, newName);
            preview.problems.Update(preview.list);
            EXPECT_EQ(preview.Words(), exact || c.insensitive.empty() ? c.exact : c.insensitive);
        }
    }
}

TEST(RowProblems, CaseOnlyChangeMeetsTheFileOfTheOtherCaseOnlyUnderTheExactPolicy)
{
    CPreview preview(ENamePolicy::ExactCase);
    preview.dir.MakeFile(u"a.txt");
    preview.dir.MakeFile(u"A.txt");
    if (preview.dir.List().size() != 2) GTEST_SKIP() << "the file system ignores case";
    preview.Row(u"a.txt", u"A.txt");
    preview.problems.Update(preview.list);
    EXPECT_EQ(preview.Words(), std::vector<std::string>{"exists"});
}

TEST(RowProblems, PlatformRulesDecideLengthUnitsAndDotFiles)
{
    CNameRules windows;
    windows.m_bLimitInBytes = false;
    windows.m_bDotHides = false;
    const CNameRules posix{true, true, 255};
    struct Case {
        std::u16string oldName, newName;
        ERowProblem posix, windows;
    } cases[] = {
        {u"a", std::u16string(255, u'x'), ERowProblem::None, ERowProblem::None},
        {u"a", std::u16string(256, u'x'), ERowProblem::TooLong, ERowProblem::TooLong},
        {u"a", std::u16string(86, u'名'), ERowProblem::TooLong, ERowProblem::None},  // 258 bytes, 86 units
        {u"a", std::u16string(200, u'x') + u"  . .", ERowProblem::None, ERowProblem::None},
        {u"a.txt", u".txt", ERowProblem::Hidden, ERowProblem::None},
        {u".a", u".b", ERowProblem::None, ERowProblem::None},
        {u"a", u"a", ERowProblem::Unchanged, ERowProblem::Unchanged},
        {u"a", u"a...", ERowProblem::Unchanged, ERowProblem::Unchanged},
        {u"a\tb", u"a\tb", ERowProblem::Unchanged, ERowProblem::Unchanged},  // a control character it has already
        {u"a:b", u"a:b", ERowProblem::Invalid, ERowProblem::Invalid},        // the run refuses these in any row
    };
    std::string scratch;
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.newName));
        EXPECT_EQ(NameProblem(c.oldName, c.newName, false, posix, scratch), c.posix);
        EXPECT_EQ(NameProblem(c.oldName, c.newName, false, windows, scratch), c.windows);
    }
}

TEST(RowProblems, RechecksOnlyChangedNamesAndReadsFoldersOncePerListChange)
{
    CPreview preview(ENamePolicy::ExactCase);
    for (const char16_t* n : {u"a", u"b", u"c", u"d"}) preview.dir.MakeFile(n);
    for (const char16_t* n : {u"a", u"b", u"c"}) preview.Row(n, std::u16string(n) + u"1");
    CRowProblems& problems = preview.problems;
    problems.Update(preview.list);
    EXPECT_EQ(problems.CheckedLastTime(), 3u);
    EXPECT_EQ(problems.ChangingCount(), 3u);

    // One keystroke changes one name: only that row is checked, and the
    // clash it makes is seen on both rows.
    preview.list.SetText(2, kColNewName, u"a1");
    problems.Update(preview.list);
    EXPECT_EQ(problems.CheckedLastTime(), 1u);
    EXPECT_EQ(preview.Words(), (std::vector<std::string>{"collision:2", "-", "collision:0"}));
    EXPECT_EQ(problems.BlockingCount(), 2u);
    EXPECT_EQ(problems.FirstRow(ERowProblem::Collision), 0u);

    // A file made on disk after the list changed is not seen until the rows
    // change again: the folder is not read per keystroke.
    preview.dir.MakeFile(u"b1");
    preview.list.SetText(2, kColNewName, u"c1");
    problems.Update(preview.list);
    EXPECT_EQ(preview.Words(), (std::vector<std::string>{"-", "-", "-"}));
    preview.Row(u"d", u"d1");
    problems.Update(preview.list);
    EXPECT_EQ(problems.CheckedLastTime(), 4u);
    EXPECT_EQ(preview.Words(), (std::vector<std::string>{"-", "exists", "-", "-"}));

    // A failure mark alone is a change too.
    preview.list.SetNameFailed(0, u"错误3");
    problems.Update(preview.list);
    EXPECT_EQ(problems.CheckedLastTime(), 1u);
    EXPECT_EQ(problems.Problem(0), ERowProblem::Failed);
    EXPECT_EQ(problems.Count(ERowProblem::Failed), 1u);
}

// A folder checked on several threads: the problems found at both sides of
// every split point, and a clash across ranges, are those of one thread, and
// one changed name is still the only row checked.
TEST(RowProblems, FolderSplitAcrossThreadsMissesNoRow)
{
    constexpr int kRows = 2400;
    CPreview preview(ENamePolicy::ExactCase);
    for (int i = 0; i < kRows; ++i) {
        const std::u16string name = u"f" + FormatInt(i);
        preview.dir.MakeFile(name);
        preview.list.AddFile(preview.dir.Child(name));
        preview.list.SetText(i, kColNewName, u"g" + FormatInt(i));
    }
    // As many threads as there are cores, and at most eight: the ends of
    // every range any of those counts makes.
    std::set<int> marked = {0, kRows - 1};
    for (int threads = 2; threads <= 8; ++threads)
        for (int t = 1; t < threads; ++t) {
            marked.insert(kRows * t / threads - 1);
            marked.insert(kRows * t / threads);
        }
    marked.erase(5);
    marked.erase(kRows - 2);
    for (int r : marked) preview.list.SetText(r, kColNewName, u"bad|" + FormatInt(r));
    preview.list.SetText(5, kColNewName, u"g" + FormatInt(kRows - 2));  // the same name as the row before last
    CRowProblems& problems = preview.problems;
    problems.SetRowsPerThread(kRows / 8);
    problems.Update(preview.list);
    EXPECT_EQ(problems.CheckedLastTime(), size_t(kRows));
    for (int r : marked) EXPECT_EQ(problems.Problem(size_t(r)), ERowProblem::Invalid) << r;
    EXPECT_EQ(problems.Problem(5), ERowProblem::Collision);
    EXPECT_EQ(problems.OtherRow(5), size_t(kRows - 2));
    EXPECT_EQ(problems.Problem(size_t(kRows - 2)), ERowProblem::Collision);
    EXPECT_EQ(problems.Count(ERowProblem::Invalid), marked.size());
    EXPECT_EQ(problems.ChangingCount(), size_t(kRows) - marked.size() - 2);

    preview.list.SetText(kRows - 2, kColNewName, u"h");
    problems.Update(preview.list);
    EXPECT_EQ(problems.CheckedLastTime(), 1u);
    EXPECT_EQ(problems.Problem(5), ERowProblem::None);
    EXPECT_EQ(problems.BlockingCount(), marked.size());
}

TEST(RowProblems, TextsNameTheOtherRowAndSumUpTheKinds)
{
    EXPECT_EQ(RowProblemText(ERowProblem::Collision, 11), u"名称重复（第12行）");
    EXPECT_EQ(RowProblemText(ERowProblem::None), u"");
    CPreview preview(ENamePolicy::ExactCase);
    for (const char16_t* n : {u"a.txt", u"b.txt", u"c.txt", u"d.txt", u"e.txt"}) preview.dir.MakeFile(n);
    EXPECT_EQ(preview.problems.SummaryText(), u"");
    preview.Row(u"a.txt", u"x.txt");
    preview.Row(u"b.txt", u"x.txt");
    preview.Row(u"c.txt", u"!");
    preview.Row(u"d.txt", u"d.txt");
    preview.Row(u"e.txt", u".txt");
    preview.problems.Update(preview.list);
    EXPECT_EQ(preview.problems.SummaryText(), u"列表中有4行存在问题：表达式出错1行，名称重复2行，将成为隐藏文件1行。");
    EXPECT_EQ(preview.problems.BlockingCount(), 3u);
    EXPECT_EQ(preview.problems.ChangingCount(), 1u);
}

}  // namespace
}  // namespace kq
