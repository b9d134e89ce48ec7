#include <gtest/gtest.h>

#include <atomic>

#include <algorithm>
#include <cerrno>
#include <map>
#include <stdexcept>
#include <tuple>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "platform/AtomicFile.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/FolderListings.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/safety/RenamePlan.h"
#include "renamer/safety/RenameRecover.h"
#include "support/MoveFailureHook.h"
#include "support/TestSupport.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace kq {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

using Files = std::map<std::u16string, std::string>;  // name -> content

// Every file holds its own first name, so the test sees which file went where.
Files Folder(const CTempDir& dir, std::u16string_view sub = {})
{
    Files files;
    for (const auto& name : dir.List(sub)) {
        std::u16string rel = sub.empty() ? name : std::u16string(sub) + u"/" + name;
        if (!IsFolder(dir.Child(rel))) files[name] = dir.ReadFile(rel);
    }
    return files;
}

// After a run the journal folder keeps only the history of completed runs:
// no journal, and no lock file of the folders the run held.
bool NothingButHistory(const CTempDir& journal)
{
    for (const auto& name : journal.List())
        if (name != u"history") return false;
    return true;
}

struct CRenameRun {
    CTempDir dir;
    CTempDir journal;
    CScriptedPrompt prompt;
    CFileNameList list;
    int result = -1;
    const std::atomic<bool>* cancel = nullptr;

    explicit CRenameRun(ENamePolicy policy) : list(policy) {}

    void Make(std::initializer_list<const char16_t*> names)
    {
        for (auto n : names) dir.MakeFile(n, ToUtf8(n));
    }
    void Row(std::u16string_view oldName, std::u16string_view newName)
    {
        list.AddFile(dir.Child(oldName));
        list.SetText(list.GetItemCount() - 1, kColNewName, newName);
    }
    int Run(std::function<void(size_t)> afterMove = {})
    {
        CRenameOptions options;
        options.m_bConfirmed = true;
        options.m_strJournalFolder = journal.Path();
        options.m_pfnAfterMove = std::move(afterMove);
        options.m_pCancel = cancel;
        result = list.ExecuteRename(options);
        return result;
    }
    std::u16string LastTitle() const { return prompt.Shown().empty() ? u"" : prompt.Shown().back().m_strTitle; }
};

const ENamePolicy kPolicies[] = {ENamePolicy::ExactCase, ENamePolicy::AsciiCaseInsensitive};

// Cancel takes effect between chains and cycles, never inside one: a swap
// (a cycle of three moves) that has begun is finished.
TEST(ExecuteRename, CancelStopsAtTheNextChainOrCycle)
{
    for (const size_t cancelAfter : {1, 3, 4, 5}) {  // moves
        SCOPED_TRACE(cancelAfter);
        CRenameRun run(ENamePolicy::ExactCase);
        run.Make({u"a", u"b", u"c", u"d"});
        run.Row(u"a", u"b");  // a and b exchange: one cycle of three moves
        run.Row(u"b", u"a");
        run.Row(u"c", u"c2");  // two chains of one move
        run.Row(u"d", u"d2");
        // Jobs run in the order of their first file's node, which the file
        // system chose: the rows "已处理" are those of every job up to the
        // one the cancelling move belongs to.
        struct CJob {
            uint64_t node;
            size_t moves, rows;
        };
        std::vector<CJob> jobs;
        for (const auto& [name, moves, rows] : {std::tuple{u"a", 3, 2}, {u"c", 1, 1}, {u"d", 1, 1}}) {
            CFileId id;
            ASSERT_TRUE(GetFileId(run.dir.Child(name), false, id));
            jobs.push_back({id.m_nNode, size_t(moves), size_t(rows)});
        }
        std::sort(jobs.begin(), jobs.end(), [](const CJob& x, const CJob& y) { return x.node < y.node; });
        size_t movesRun = 0, renamed = 0;
        for (const CJob& job : jobs) {
            movesRun += job.moves;
            renamed += job.rows;
            if (movesRun >= cancelAfter) break;
        }
        const struct {
            size_t cancelAfter, renamed;
        } c{cancelAfter, renamed};
        std::atomic<bool> cancel{false};
        run.cancel = &cancel;
        EXPECT_EQ(run.Run([&](size_t moves) {
            if (moves == c.cancelAfter) cancel = true;
        }),
                  c.renamed == 4 ? kRenameDone : kRenamePartly);
        size_t done = 0;
        for (int r = 0; r < 4; ++r) done += run.list.GetText(r, kColStatus) == kStatusDone;
        EXPECT_EQ(done, c.renamed);
        EXPECT_EQ(run.dir.List().size(), 4u);  // nothing parked
        if (c.renamed < 4) {
            EXPECT_EQ(run.LastTitle(), u"改名已取消");
            EXPECT_NE(run.prompt.Shown().back().m_strText.find(u"已改名" + FromAscii(std::to_string(done))),
                      std::u16string::npos);
        }
        EXPECT_TRUE(NothingButHistory(run.journal));
    }
}

TEST(ExecuteRename, RenamesSwapsRotationsShiftsAndChainsWithFewestMoves)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char16_t*, const char16_t*>> rows;
        Files expected;
        size_t movesExact;        // file-system moves made under the exact policy
        size_t movesInsensitive;  // and under the case-insensitive one
    } cases[] = {
        {"swap", {{u"a.txt", u"b.txt"}, {u"b.txt", u"a.txt"}}, {{u"a.txt", "b.txt"}, {u"b.txt", "a.txt"}}, 3, 3},
        {"rotation", {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"a"}}, {{u"a", "c"}, {u"b", "a"}, {u"c", "b"}}, 4, 4},
        {"shift of a series", {{u"file01", u"file02"}, {u"file02", u"file03"}, {u"file03", u"file04"}},
         {{u"file02", "file01"}, {u"file03", "file02"}, {u"file04", "file03"}}, 3, 3},
        {"case only", {{u"a.txt", u"A.txt"}}, {{u"A.txt", "a.txt"}}, 1, 2},
        {"unchanged name", {{u"same", u"same"}, {u"x", u"y"}}, {{u"same", "same"}, {u"y", "x"}}, 1, 1},
        {"to a free name", {{u"p1.jpg", u"img1.jpg"}, {u"p2.jpg", u"img2.jpg"}},
         {{u"img1.jpg", "p1.jpg"}, {u"img2.jpg", "p2.jpg"}}, 2, 2},
    };
    for (ENamePolicy policy : kPolicies) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + (policy == ENamePolicy::ExactCase ? " exact" : " insensitive"));
            CRenameRun run(policy);
            for (const auto& r : c.rows) run.Make({r.first});
            for (const auto& r : c.rows) run.Row(r.first, r.second);
            EXPECT_EQ(run.Run(), kRenameDone);
            EXPECT_EQ(Folder(run.dir), c.expected);
            EXPECT_EQ(run.list.LastSummary().m_nMoves,
                      policy == ENamePolicy::ExactCase ? c.movesExact : c.movesInsensitive);
            EXPECT_EQ(run.LastTitle(), u"成功完成");
            EXPECT_EQ(run.prompt.Shown().back().m_strText, u"文件批量改名操作成功完成！");
            for (int r = 0; r < run.list.GetItemCount(); ++r) {
                EXPECT_EQ(run.list.GetText(r, kColStatus), u"已处理");
                EXPECT_EQ(run.list.GetText(r, kColOldName), run.list.GetText(r, kColNewName));
            }
            EXPECT_TRUE(NothingButHistory(run.journal));  // the journal is gone after the run
        }
    }
}

TEST(ExecuteRename, ChainSucceedsInEveryRowOrderWithoutTemporaryNames)
{
    std::vector<std::pair<const char16_t*, const char16_t*>> rows = {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"d"}};
    std::sort(rows.begin(), rows.end());
    do {
        CRenameRun run(ENamePolicy::ExactCase);
        run.Make({u"a", u"b", u"c"});
        for (const auto& r : rows) run.Row(r.first, r.second);
        SCOPED_TRACE(ToUtf8(run.list.GetText(0, kColOldName)) + ToUtf8(run.list.GetText(1, kColOldName)));
        EXPECT_EQ(run.Run(), kRenameDone);
        EXPECT_EQ(Folder(run.dir), (Files{{u"b", "a"}, {u"c", "b"}, {u"d", "c"}}));
        EXPECT_EQ(run.list.LastSummary().m_nMoves, 3u);
    } while (std::next_permutation(rows.begin(), rows.end()));
}

#ifndef _WIN32
// Names from archives made elsewhere need not be UTF-8 (Latin-1, GBK): read
// from the folder, they are renamed, swapped and journalled byte for byte.
TEST(ExecuteRename, NamesThatAreNotUtf8KeepTheirBytes)
{
    const std::u16string latin = FromNativeName("caf\xE9.txt"), gbk = FromNativeName("\xB0\xA1.txt");
    CRenameRun run(ENamePolicy::ExactCase);
    run.dir.MakeFile(latin, "latin");
    run.dir.MakeFile(gbk, "gbk");
    run.dir.MakeFile(u"x.txt", "x");
    std::vector<std::u16string> paths;
    ASSERT_TRUE(CFileNameList::CollectFolderFiles(run.dir.Path(), false, paths));
    ASSERT_EQ(paths.size(), 3u);
    for (const auto& path : paths) run.list.AddFile(path);
    const std::u16string renamed = FromNativeName("caf\xE9-1.txt");
    for (int r = 0; r < run.list.GetItemCount(); ++r) {
        const std::u16string& name = run.list.GetText(r, kColOldName);
        run.list.SetText(r, kColNewName, name == latin ? renamed : name == gbk ? u"x.txt" : gbk);
    }
    std::vector<CJournalFolder> planned;
    EXPECT_EQ(run.Run([&](size_t) {
        if (planned.empty()) {
            auto journals = FindJournals(run.journal.Path());
            ASSERT_EQ(journals.size(), 1u);
            ASSERT_TRUE(ReadJournal(journals[0], planned));
        }
    }), kRenameDone);
    EXPECT_EQ(Folder(run.dir), (Files{{renamed, "latin"}, {gbk, "x"}, {u"x.txt", "gbk"}}));
    ASSERT_EQ(planned.size(), 1u);
    bool journalled = false;
    for (const auto& move : planned[0].m_aMoves) journalled |= move.m_strOld == latin && move.m_strNew == renamed;
    EXPECT_TRUE(journalled);
}
#endif

TEST(ExecuteRename, CycleOfAThousandNames)
{
    CRenameRun run(ENamePolicy::ExactCase);
    const int n = 1000;
    auto name = [](int i) { return u"n" + FromAscii(std::to_string(i)); };
    for (int i = 0; i < n; ++i) run.dir.MakeFile(name(i), std::to_string(i));
    for (int i = 0; i < n; ++i) run.Row(name(i), name((i + 1) % n));
    EXPECT_EQ(run.Run(), kRenameDone);
    Files files = Folder(run.dir);
    ASSERT_EQ(files.size(), size_t(n));
    for (int i = 0; i < n; ++i) EXPECT_EQ(files[name((i + 1) % n)], std::to_string(i));
    EXPECT_EQ(run.list.LastSummary().m_nMoves, size_t(n + 1));
}

TEST(ExecuteRename, RefusesBeforeTouchingAnyFile)
{
    struct Case {
        const char* what;
        ENamePolicy policy;
        std::vector<std::pair<const char16_t*, const char16_t*>> rows;
        int result;
        std::u16string title;
        std::u16string text;
    } cases[] = {
        {"colon", ENamePolicy::ExactCase, {{u"a", u"b"}, {u"c", u"x:y"}}, kRenameInvalidName, u"名称非法",
         u"文件名称中含有以下非法字符：\n*?:|\\/\"<>"},
        {"backslash", ENamePolicy::ExactCase, {{u"a", u"b\\c"}}, kRenameInvalidName, u"名称非法",
         u"文件名称中含有以下非法字符：\n*?:|\\/\"<>"},
        {"file outside the list", ENamePolicy::ExactCase, {{u"a", u"outside"}}, kRenameCollision, u"文件同名", u""},
        {"names differing in case", ENamePolicy::AsciiCaseInsensitive, {{u"a", u"new"}, {u"c", u"NEW"}},
         kRenameCollision, u"文件同名", u"”将存在两个或多个相同的文件“NEW”，改名操作无法进行"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRenameRun run(c.policy);
        run.Make({u"a", u"c", u"outside"});
        for (const auto& r : c.rows) run.Row(r.first, r.second);
        Files before = Folder(run.dir);
        EXPECT_EQ(run.Run(), c.result);
        EXPECT_EQ(Folder(run.dir), before);
        EXPECT_EQ(run.LastTitle(), c.title);
        if (!c.text.empty()) {
            EXPECT_NE(run.prompt.Shown().back().m_strText.find(c.text), std::u16string::npos);
        }
        EXPECT_EQ(run.list.LastSummary().m_nMoves, 0u);
        EXPECT_TRUE(NothingButHistory(run.journal));
    }
}

TEST(ExecuteRename, CollisionMessageNamesTheFolderAndFile)
{
    CRenameRun run(ENamePolicy::AsciiCaseInsensitive);
    run.Make({u"a", u"b"});
    run.Row(u"a", u"Same");
    run.Row(u"b", u"same");
    EXPECT_EQ(run.Run(), kRenameCollision);
    EXPECT_EQ(run.prompt.Shown().back().m_strText, u"文件改名设置中，文件夹“" + ToAsciiUpper(run.dir.Path()) +
                                                        u"”将存在两个或多个相同的文件“SAME”，改名操作无法进行");
#ifndef _WIN32
    // Exactly the same rows pass where names keep their case (not on
    // Windows, whose file systems hold only one of "Same" and "same").
    CRenameRun exact(ENamePolicy::ExactCase);
    exact.Make({u"a", u"b"});
    exact.Row(u"a", u"Same");
    exact.Row(u"b", u"same");
    EXPECT_EQ(exact.Run(), kRenameDone);
    EXPECT_EQ(Folder(exact.dir), (Files{{u"Same", "a"}, {u"same", "b"}}));
#endif
}

TEST(ExecuteRename, EmptyListAndDeclinedConfirmationDoNothing)
{
    CScriptedPrompt prompt;
    CFileNameList empty;
    EXPECT_EQ(empty.ExecuteRename(), kRenameEmptyList);
    EXPECT_EQ(prompt.Shown().back().m_strText, u"文件列表为空，请先将需要更名的文件添加或拖动到列表");
    EXPECT_EQ(prompt.Shown().back().m_strTitle, u"列表为空");

    CTempDir dir;
    dir.MakeFile(u"a");
    CFileNameList list;
    list.AddFile(dir.Child(u"a"));
    list.SetText(0, kColNewName, u"b");
    prompt.Clear();
    prompt.Answer(EPromptAnswer::No);
    EXPECT_EQ(list.ExecuteRename(), kRenameDeclined);
    ASSERT_EQ(prompt.Shown().size(), 1u);
    EXPECT_EQ(prompt.Shown()[0].m_strKind, u"yesno");
    EXPECT_EQ(prompt.Shown()[0].m_strText, u"确实需要批量修改列表中文件名称吗？改名后可以用“更多”菜单中的“撤销上次改名”恢复原文件名。");
    EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"确认改名");
    EXPECT_EQ(dir.List(), std::vector<std::u16string>{u"a"});
}

TEST(ExecuteRename, NamesInOtherFoldersDoNotCollide)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.dir.MakeFile(u"x/a.txt", "xa");
    run.dir.MakeFile(u"y/b.txt", "yb");
    run.Row(u"x/a.txt", u"b.txt");
    run.Row(u"y/b.txt", u"c.txt");
    EXPECT_EQ(run.Run(), kRenameDone);
    EXPECT_EQ(Folder(run.dir, u"x"), (Files{{u"b.txt", "xa"}}));
    EXPECT_EQ(Folder(run.dir, u"y"), (Files{{u"c.txt", "yb"}}));
}

TEST(ExecuteRename, TemporaryNameAlreadyInTheFolderIsLeftAlone)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a", u"b"});
    run.dir.MakeFile(u"[kqt_tmp]+[name_0].kq-tmp", "left over");
    run.dir.MakeFile(u"[kqt_tmp]+[name_1].kq-tmp", "left over too");
    run.Row(u"a", u"b");
    run.Row(u"b", u"a");
    EXPECT_EQ(run.Run(), kRenameDone);
    EXPECT_EQ(Folder(run.dir), (Files{{u"a", "b"}, {u"b", "a"}, {u"[kqt_tmp]+[name_0].kq-tmp", "left over"},
                                      {u"[kqt_tmp]+[name_1].kq-tmp", "left over too"}}));
}

// The hook fails the Nth move (1-based) of the run.
struct CFailNthMove {
    explicit CFailNthMove(int n, std::function<void(std::u16string_view)> before = {})
    {
        SetMoveFailureHook([this, n, before](std::u16string_view, std::u16string_view to) {
            if (++m_nCount != n) return 0;
            if (before) {
                before(to);
                return 0;  // let the file system refuse it
            }
            return 5;  // EIO
        });
    }
    ~CFailNthMove() { SetMoveFailureHook(nullptr); }
    int m_nCount = 0;
};

TEST(ExecuteRename, FailedMoveLeavesFilesUnderTheirOldNames)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char16_t*, const char16_t*>> rows;
        int failMove;
        bool nameAppears;  // the target is created just before the move
        Files expected;
        std::vector<std::u16string> statuses;
    } cases[] = {
        // The chain runs c->d, b->c, a->b; the second move fails, so a stays too.
        {"chain", {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"d"}}, 2, false,
         {{u"a", "a"}, {u"b", "b"}, {u"d", "c"}}, {u"未处理", u"未处理", u"已处理"}},
        {"name appears", {{u"a", u"x"}, {u"c", u"y"}}, 1, true,
         {{u"a", "a"}, {u"x", "intruder"}, {u"y", "c"}}, {u"未处理", u"已处理"}},
        // Swap: a->tmp, b->a, tmp->b. The last move fails: all goes back.
        {"swap, last move", {{u"a", u"b"}, {u"b", u"a"}}, 3, false, {{u"a", "a"}, {u"b", "b"}}, {u"未处理", u"未处理"}},
        {"swap, middle move", {{u"a", u"b"}, {u"b", u"a"}}, 2, false, {{u"a", "a"}, {u"b", "b"}}, {u"未处理", u"未处理"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
#ifdef _WIN32
        // Independent moves run in node order, and the row counts on "a"
        // having the lower node, as in a fresh POSIX folder; Wine's prefix
        // folder numbers its files otherwise.
        if (std::string_view(c.what) == "name appears") continue;
#endif
        CRenameRun run(ENamePolicy::ExactCase);
        for (const auto& r : c.rows) run.Make({r.first});
        for (const auto& r : c.rows) run.Row(r.first, r.second);
        {
            CFailNthMove hook(c.failMove, c.nameAppears ? std::function<void(std::u16string_view)>(
                                                              [&](std::u16string_view to) {
                                                                  if (!PathExists(to)) WriteFileBytes(to, "intruder", false);
                                                              })
                                                        : nullptr);
            EXPECT_EQ(run.Run(), kRenamePartly);
        }
        EXPECT_EQ(Folder(run.dir), c.expected);
        for (const auto& [name, content] : Folder(run.dir)) EXPECT_EQ(name.find(u"kqt_tmp"), std::u16string::npos);
        std::vector<std::u16string> statuses;
        for (int r = 0; r < run.list.GetItemCount(); ++r) statuses.push_back(run.list.GetText(r, kColStatus));
        EXPECT_EQ(statuses, c.statuses);
        size_t failed = std::count(c.statuses.begin(), c.statuses.end(), u"未处理");
        EXPECT_EQ(run.LastTitle(), u"改名未全部完成");
        EXPECT_EQ(run.prompt.Shown().back().m_strText,
                  u"文件批量改名操作已结束，其中" + FromAscii(std::to_string(failed)) +
                      u"个文件未能改名，它们在列表中的状态为“未处理”。");
        // Failed rows keep their old names in column 0.
        for (int r = 0; r < run.list.GetItemCount(); ++r)
            if (statuses[size_t(r)] == u"未处理") {
                EXPECT_EQ(run.list.GetText(r, kColOldName), c.rows[size_t(r)].first);
            }
        EXPECT_TRUE(NothingButHistory(run.journal));
    }
}

// A name that appears where a cycle's parked file should go also blocks the
// way back: that file keeps its temporary name and the journal stays.
TEST(ExecuteRename, ParkedFileThatCannotMoveKeepsTheJournal)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a", u"b", u"c"});
    run.Row(u"a", u"b");
    run.Row(u"b", u"c");
    run.Row(u"c", u"a");
    {
        // Moves: a->tmp, c->a, b->c, tmp->b (the 4th finds "b" taken).
        CFailNthMove hook(4, [](std::u16string_view to) { WriteFileBytes(to, "intruder", false); });
        EXPECT_EQ(run.Run(), kRenamePartly);
    }
    Files files = Folder(run.dir);
    EXPECT_EQ(files[u"b"], "intruder");
    EXPECT_EQ(files[u"a"], "c");
    EXPECT_EQ(files[u"c"], "b");
    EXPECT_EQ(files.size(), 4u);  // and a's file under its temporary name
    EXPECT_EQ(run.list.LastSummary().m_nLeftTemporary, 1u);
    EXPECT_EQ(run.list.GetText(0, kColStatus), u"未处理");
    EXPECT_EQ(run.list.GetText(1, kColStatus), u"已处理");
    EXPECT_EQ(run.list.GetText(2, kColStatus), u"已处理");
    EXPECT_NE(run.prompt.Shown().back().m_strText.find(u"仍使用临时名称"), std::u16string::npos);
    ASSERT_EQ(FindJournals(run.journal.Path()).size(), 1u);
    // Once the intruder is gone, finishing the journal brings the file in.
    RemoveFile(run.dir.Child(u"b"));
    std::vector<CRecoverLine> report;
    EXPECT_EQ(RecoverJournal(FindJournals(run.journal.Path())[0], true, report), 0);
    EXPECT_EQ(Folder(run.dir), (Files{{u"a", "c"}, {u"b", "a"}, {u"c", "b"}}));
}

TEST(ExecuteRename, RowsThatCannotBeMovedFailAlone)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a", u"b", u"c"});
    run.dir.MakeFolder(u"sub");
    run.Row(u"a", u"");       // empty name
    run.Row(u"b", u"sub");    // a sub-folder holds the name
    run.Row(u"c", u"..");
    run.Row(u"gone", u"z");   // listed, but no longer there
    EXPECT_EQ(run.Run(), kRenamePartly);
    EXPECT_EQ(Folder(run.dir), (Files{{u"a", "a"}, {u"b", "b"}, {u"c", "c"}}));
    EXPECT_EQ(run.list.LastSummary().m_nFailed, 4u);
    EXPECT_EQ(run.list.LastSummary().m_nMoves, 0u);
}

TEST(ExecuteRename, JournalIsOnDiskBeforeTheFirstMove)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a", u"b", u"c"});
    run.Row(u"a", u"b");
    run.Row(u"b", u"a");
    run.Row(u"c", u"d");
    std::vector<CJournalFolder> seen;
    run.Run([&](size_t moves) {
        if (moves != 1) return;
        auto journals = FindJournals(run.journal.Path());
        ASSERT_EQ(journals.size(), 1u);
        ASSERT_TRUE(ReadJournal(journals[0], seen));
    });
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].m_strFolder, run.dir.Path());
    ASSERT_EQ(seen[0].m_aMoves.size(), 3u);
    int parked = 0;
    for (const auto& m : seen[0].m_aMoves) {
        EXPECT_NE(m.m_nNode, 0u);
        parked += !m.m_strTemp.empty();
    }
    EXPECT_EQ(parked, 1);  // only the swap passes through a temporary name
    EXPECT_TRUE(NothingButHistory(run.journal));
}

// Stops the run after N moves (as if the process died there), then undoes
// or finishes it from the journal.
TEST(RecoverJournal, PutsEveryFileUnderItsOldOrNewNameAfterAnInterruptedRun)
{
    struct Case {
        const char* what;
        std::vector<std::pair<const char16_t*, const char16_t*>> rows;
        size_t totalMoves;
    } cases[] = {
        {"swap and chain", {{u"a", u"b"}, {u"b", u"a"}, {u"c", u"d"}, {u"d", u"e"}}, 5},
        {"rotation", {{u"r1", u"r2"}, {u"r2", u"r3"}, {u"r3", u"r4"}, {u"r4", u"r1"}}, 5},
    };
    struct CStop {};
    for (const auto& c : cases) {
        for (size_t stopAfter = 0; stopAfter <= c.totalMoves; ++stopAfter) {
            for (bool finish : {false, true}) {
                SCOPED_TRACE(std::string(c.what) + " stop " + std::to_string(stopAfter) + (finish ? " finish" : " undo"));
                CRenameRun run(ENamePolicy::ExactCase);
                Files before, after;
                for (const auto& r : c.rows) run.Make({r.first});
                for (const auto& r : c.rows) run.Row(r.first, r.second);
                before = Folder(run.dir);
                for (const auto& r : c.rows) after[r.second] = ToUtf8(r.first);
                bool stopped = false;
                try {
                    run.Run([&](size_t moves) {
                        if (moves == stopAfter) throw CStop{};
                    });
                } catch (const CStop&) {
                    stopped = true;
                }
                auto journals = FindJournals(run.journal.Path());
                if (!stopped) {
                    EXPECT_TRUE(journals.empty());
                    continue;
                }
                ASSERT_EQ(journals.size(), 1u);
                std::vector<CRecoverLine> report;
                EXPECT_EQ(RecoverJournal(journals[0], finish, report), 0);
                EXPECT_EQ(Folder(run.dir), finish ? after : before);
                EXPECT_EQ(report.size(), c.rows.size());
                for (const auto& line : report) EXPECT_LE(line.m_eOutcome, kRecoverInPlace);
                EXPECT_TRUE(FindJournals(run.journal.Path()).empty());
            }
        }
    }
}

// A failed row says why, from what the file system answered.
TEST(ExecuteRename, FailedRowsSayWhy)
{
    struct CCase {
        const char* what;
        std::u16string newName;
        int hookError;  // the move fails with it; 0: the real file system decides
        bool removeFirst;
        EMoveFailure reason;
    };
    const CCase cases[] = {
        {"too long", std::u16string(300, u'x'), 0, false, EMoveFailure::TooLong},
        {"vanished", u"c", 0, true, EMoveFailure::Vanished},
        {"held by a folder", u"sub", 0, false, EMoveFailure::NameTaken},
        {"taken meanwhile", u"c", EEXIST, false, EMoveFailure::NameTaken},
        {"refused", u"c", EACCES, false, EMoveFailure::Refused},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.what);
        CRenameRun run(ENamePolicy::ExactCase);
        run.Make({u"a", u"b"});
        CreateFolder(run.dir.Child(u"sub"));
        run.Row(u"a", c.newName);
        run.Row(u"b", u"d");
        if (c.removeFirst) RemoveFile(run.dir.Child(u"a"));
        if (c.hookError)
            SetMoveFailureHook([&](std::u16string_view from, std::u16string_view) {
                return from == run.dir.Child(u"a") ? c.hookError : 0;
            });
        EXPECT_EQ(run.Run(), kRenamePartly);
        SetMoveFailureHook({});
        const CRenameSummary& summary = run.list.LastSummary();
        ASSERT_EQ(summary.m_aFailures.size(), 1u);
        EXPECT_EQ(summary.m_aFailures[0].m_nRow, 0u);
        EXPECT_EQ(summary.m_aFailures[0].m_eReason, c.reason);
        EXPECT_EQ(summary.m_strDetails, u"a：" + MoveFailureText(c.reason) + u"\n");
    }
}

// A journal no live run holds is a run that died: its folders take no new
// run (nor an undo) until recover has dealt with it; other folders do.
TEST(ExecuteRename, RefusesAFolderWithAnUnrecoveredJournal)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a", u"b"});
    CTempDir elsewhere;
    // A dead run that parked a file here, and one elsewhere.
    run.dir.MakeFile(u"[kqt_tmp]+[name_0].kq-tmp", "parked");
    CFileId parked;
    ASSERT_TRUE(GetFileId(run.dir.Child(u"[kqt_tmp]+[name_0].kq-tmp"), false, parked));
    const std::u16string journal = NewJournalPath(run.journal.Path());
    ASSERT_TRUE(
        WriteJournal(journal, {{run.dir.Path(), {{parked.m_nNode, u"p", u"[kqt_tmp]+[name_0].kq-tmp", u"q"}}}}));
    ASSERT_TRUE(WriteJournal(NewJournalPath(run.journal.Path()), {{elsewhere.Path(), {{1, u"x", u"", u"y"}}}}));

    run.Row(u"a", u"c");
    EXPECT_EQ(run.Run(), kRenameUnrecovered);
    EXPECT_NE(run.list.LastMessage().find(u"kqtools-cli recover"), std::u16string::npos);
    EXPECT_EQ(Folder(run.dir), (Files{{u"a", "a"}, {u"b", "b"}, {u"[kqt_tmp]+[name_0].kq-tmp", "parked"}}));

    std::vector<CRecoverLine> report;
    EXPECT_EQ(RecoverJournal(journal, false, report), kRecoverDone);
    EXPECT_EQ(Folder(run.dir), (Files{{u"a", "a"}, {u"b", "b"}, {u"p", "parked"}}));
    // The journal of the other folder does not hold this one.
    EXPECT_EQ(run.Run(), kRenameDone);
    EXPECT_EQ(Folder(run.dir), (Files{{u"c", "a"}, {u"b", "b"}, {u"p", "parked"}}));
}

// A list made with a watcher: the run takes over the lock taken before the
// folder was read, and the read. No other run gets in meanwhile; a file made
// since by a program that takes no lock is never replaced, and its row fails.
TEST(ExecuteRename, TakesOverTheLockAndReadOfTheListing)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a", u"b"});
    CFileId id;
    ASSERT_TRUE(GetFileId(run.dir.Path(), true, id));
    const std::u16string lockPath = FolderLockPath(run.journal.Path(), id.m_nDevice, id.m_nNode);
    CFolderListings listings(run.journal.Path());
    auto add = [&](std::u16string_view folder, std::u16string_view name) { run.list.AddRow(folder, name); };
    ASSERT_TRUE(CFileNameList::CollectFolderFiles(run.dir.Path(), false, add, nullptr, &listings));
    ASSERT_EQ(run.list.GetItemCount(), 2);
    CFileLock other;
    EXPECT_FALSE(other.TryLock(lockPath, true));

    run.list.SetText(0, kColNewName, u"c");
    run.list.SetText(1, kColNewName, u"d");
    run.dir.MakeFile(u"d", "newcomer");
    CRenameOptions options;
    options.m_bConfirmed = true;
    options.m_strJournalFolder = run.journal.Path();
    options.m_pListings = &listings;
    EXPECT_EQ(run.list.ExecuteRename(options), kRenamePartly);
    EXPECT_EQ(Folder(run.dir), (Files{{u"c", "a"}, {u"b", "b"}, {u"d", "newcomer"}}));
    ASSERT_EQ(run.list.LastSummary().m_aFailures.size(), 1u);
    EXPECT_EQ(run.list.LastSummary().m_aFailures[0].m_eReason, EMoveFailure::NameTaken);
    EXPECT_TRUE(other.TryLock(lockPath, true));
}

// A folder another run holds is not read under a lock: the run then finds
// it busy, as it would have without the listing.
TEST(ExecuteRename, ListingOfABusyFolderLeavesTheRunToRefuse)
{
    CRenameRun run(ENamePolicy::ExactCase);
    run.Make({u"a"});
    CFileId id;
    ASSERT_TRUE(GetFileId(run.dir.Path(), true, id));
    CFileLock other;
    ASSERT_TRUE(other.TryLock(FolderLockPath(run.journal.Path(), id.m_nDevice, id.m_nNode), true));
    CFolderListings listings(run.journal.Path());
    auto add = [&](std::u16string_view folder, std::u16string_view name) { run.list.AddRow(folder, name); };
    ASSERT_TRUE(CFileNameList::CollectFolderFiles(run.dir.Path(), false, add, nullptr, &listings));
    run.list.SetText(0, kColNewName, u"b");
    CRenameOptions options;
    options.m_bConfirmed = true;
    options.m_strJournalFolder = run.journal.Path();
    options.m_pListings = &listings;
    EXPECT_EQ(run.list.ExecuteRename(options), kRenameBusy);
    EXPECT_EQ(Folder(run.dir), (Files{{u"a", "a"}}));
}

TEST(RecoverJournal, KeepsTheJournalWhenAFileCannotBePlaced)
{
    CTempDir dir, journal;
    dir.MakeFile(u"new", "moved");
    dir.MakeFile(u"old", "someone else");
    CFileId id;
    ASSERT_TRUE(GetFileId(dir.Child(u"new"), false, id));
    std::vector<CJournalFolder> folders{{dir.Path(), {{id.m_nNode, u"old", u"", u"new"}, {424242, u"x", u"", u"y"}}}};
    std::u16string path = NewJournalPath(journal.Path());
    ASSERT_TRUE(WriteJournal(path, folders));
    std::vector<CRecoverLine> report;
    EXPECT_EQ(RecoverJournal(path, false, report), 1);
    ASSERT_EQ(report.size(), 2u);
    EXPECT_EQ(report[0].m_eOutcome, kRecoverBlocked);
    EXPECT_EQ(report[1].m_eOutcome, kRecoverNotFound);
    EXPECT_EQ(Folder(dir), (Files{{u"new", "moved"}, {u"old", "someone else"}}));
    EXPECT_EQ(FindJournals(journal.Path()).size(), 1u);
    // Finishing instead finds the file already in place for the first entry.
    report.clear();
    EXPECT_EQ(RecoverJournal(path, true, report), 1);
    EXPECT_EQ(report[0].m_eOutcome, kRecoverInPlace);
}

#ifndef _WIN32
// A placeholder (empty, no permissions) left by a move cut short goes, in a
// folder no note names too; the run's own empty file without permissions
// stays and is put where it belongs.
TEST(RecoverJournal, RemovesAPlaceholderButNotTheRunsOwnEmptyFile)
{
    for (bool finish : {false, true}) {
        SCOPED_TRACE(finish ? "finish" : "undo");
        CTempDir dir, journal;
        dir.MakeFile(u"a", "a");      // cut short before its move over the placeholder at b
        dir.MakeFile(u"b");
        dir.MakeFile(u"moved");       // the run's own empty file, moved from c
        for (const char* name : {"b", "moved"}) ASSERT_EQ(chmod((dir.NativePath() + "/" + name).c_str(), 0), 0);
        CFileId a, moved;
        ASSERT_TRUE(GetFileId(dir.Child(u"a"), false, a));
        ASSERT_TRUE(GetFileId(dir.Child(u"moved"), false, moved));
        const std::u16string path = NewJournalPath(journal.Path());
        ASSERT_TRUE(WriteJournal(path, {{dir.Path(), {{a.m_nNode, u"a", u"", u"b"}, {moved.m_nNode, u"c", u"", u"moved"}}}}));
        std::vector<CRecoverLine> report;
        EXPECT_EQ(RecoverJournal(path, finish, report), kRecoverDone);
        EXPECT_EQ(Folder(dir), finish ? (Files{{u"b", "a"}, {u"moved", ""}}) : (Files{{u"a", "a"}, {u"c", ""}}));
    }
}
#endif

TEST(RenameJournal, RoundTripsNamesWithTabsAndLineFeeds)
{
#ifdef _WIN32
    // A backslash separates names on Windows; its folders hold them instead.
    const std::u16string folder = u"C:\\a\tb", slashed = u"z,w";
#else
    const std::u16string folder = u"/a\tb", slashed = u"z\\w";
#endif
    std::vector<CJournalFolder> folders{
        {folder, {{7, u"x\ny", u"", slashed}, {8, u"p", u"t", u"q\r"}, {9, u"caf\xDCE9", u"", u"\xDCB0\xDCA1"}}},
        {u"", {}}};
    std::vector<CJournalFolder> back;
    ASSERT_TRUE(ParseJournal(FormatJournal(folders), back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].m_strFolder, folder);
    ASSERT_EQ(back[0].m_aMoves.size(), 3u);
    EXPECT_EQ(back[0].m_aMoves[2].m_strOld, u"caf\xDCE9");  // bytes that are not UTF-8
    EXPECT_EQ(back[0].m_aMoves[2].m_strNew, u"\xDCB0\xDCA1");
    EXPECT_EQ(back[0].m_aMoves[0].m_strOld, u"x\ny");
    EXPECT_EQ(back[0].m_aMoves[0].m_strNew, slashed);
    EXPECT_EQ(back[0].m_aMoves[1].m_strTemp, u"t");
    EXPECT_EQ(back[0].m_aMoves[1].m_strNew, u"q\r");
    // Escapes at every position of names longer than a word.
#ifdef _WIN32
    const std::u16string escaped = u"\t\n\r";
#else
    const std::u16string escaped = u"\t\n\r\\";
#endif
    for (char16_t special : escaped) {
        std::vector<CJournalFolder> longer{{folder, {}}};
        for (size_t at = 0; at < 20; ++at) {
            std::u16string name = u"abcdefghijklmnopqrst";
            name[at] = special;
            longer[0].m_aMoves.push_back({at + 1, name, u"", name + u"x"});
        }
        ASSERT_TRUE(ParseJournal(FormatJournal(longer), back));
        ASSERT_EQ(back.size(), 1u);
        ASSERT_EQ(back[0].m_aMoves.size(), longer[0].m_aMoves.size());
        for (size_t m = 0; m < back[0].m_aMoves.size(); ++m) {
            EXPECT_EQ(back[0].m_aMoves[m].m_strOld, longer[0].m_aMoves[m].m_strOld);
            EXPECT_EQ(back[0].m_aMoves[m].m_strNew, longer[0].m_aMoves[m].m_strNew);
        }
    }
    std::string text = FormatJournal(folders);
    EXPECT_FALSE(ParseJournal(text.substr(0, text.size() - 1), back));  // cut short
    EXPECT_FALSE(ParseJournal("something else\n", back));
}

// Parking names come after the moves, under the folder's line again; they go
// to the move of their old name, and one naming no move spoils the journal.
TEST(RenameJournal, ParkingNamesJoinTheirMoves)
{
    std::vector<CJournalFolder> folders{{u"/a", {{1, u"x", u"", u"y"}, {2, u"y", u"", u"x"}}},
                                        {u"/b", {{3, u"p\tq", u"", u"r"}}}};
    std::string text = FormatJournal(folders);
    AppendJournalFolder(text, u"/b");
    AppendJournalTemp(text, u"p\tq", u"[kqt_tmp]+[name_0].kq-tmp");
    AppendJournalFolder(text, u"/a");
    AppendJournalTemp(text, std::string_view("y"), std::string_view("t\n1"));
    std::vector<CJournalFolder> back;
    ASSERT_TRUE(ParseJournal(text, back));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].m_aMoves[0].m_strTemp, u"");
    EXPECT_EQ(back[0].m_aMoves[1].m_strTemp, u"t\n1");
    EXPECT_EQ(back[1].m_aMoves[0].m_strTemp, u"[kqt_tmp]+[name_0].kq-tmp");
    AppendJournalTemp(text, u"nobody", u"t");
    EXPECT_FALSE(ParseJournal(text, back));
}

// The rename writes its moves from names already in UTF-8: the lines must be
// those of the UTF-16 writer, escapes and all.
TEST(RenameJournal, Utf8AndUtf16WritersAgree)
{
    const std::u16string names[] = {u"", u"plain.jpg", u"tab\there", u"back\\slash\r\n", u"文件\t名.txt", u"\U0001F600"};
    for (const auto& a : names) {
        for (const auto& b : names) {
            std::string wide, narrow;
            AppendJournalMove(wide, 18446744073709551615ull, a, b, a + b);
            AppendJournalMove(narrow, 18446744073709551615ull, std::string_view(ToUtf8(a)), std::string_view(ToUtf8(b)),
                              std::string_view(ToUtf8(a + b)));
            EXPECT_EQ(narrow, wide);
        }
    }
}

// New names are stored without trailing dots and spaces, as Windows stores
// them; the list still shows the computed name in column 1.
TEST(ExecuteRename, StoresNewNamesWithoutTrailingDotsAndSpaces)
{
    struct Case {
        const char* what;
        std::vector<const char16_t*> files;
        std::vector<std::pair<const char16_t*, const char16_t*>> rows;
        int result;
        Files expected;
        std::vector<const char16_t*> status;  // per row
        size_t moves;
    } cases[] = {
        {"keep-extension dot", {u"README"}, {{u"README", u"README."}}, kRenameDone, {{u"README", "README"}}, {u"已处理"}, 0},
        {"trailing spaces", {u"x"}, {{u"x", u"a b "}}, kRenameDone, {{u"a b", "x"}}, {u"已处理"}, 1},
        {"collision with an existing name", {u"y", u"x"}, {{u"y", u"x."}}, kRenameCollision, {{u"x", "x"}, {u"y", "y"}},
         {u"未处理"}, 0},
        {"only dots fails alone", {u"a", u"b"}, {{u"a", u"..."}, {u"b", u"c"}}, kRenamePartly, {{u"a", "a"}, {u"c", "b"}},
         {u"未处理", u"已处理"}, 1},
        {"swap through a dotted name", {u"a", u"b"}, {{u"a", u"b"}, {u"b", u"a."}}, kRenameDone, {{u"a", "b"}, {u"b", "a"}},
         {u"已处理", u"已处理"}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CRenameRun run(ENamePolicy::ExactCase);
        for (auto f : c.files) run.dir.MakeFile(f, ToUtf8(f));
        for (const auto& [from, to] : c.rows) run.Row(from, to);
        EXPECT_EQ(run.Run(), c.result) << ToUtf8(run.list.LastMessage());
        EXPECT_EQ(Folder(run.dir), c.expected);
        for (size_t r = 0; r < c.rows.size(); ++r) {
            EXPECT_EQ(run.list.GetText(int(r), kColStatus), c.status[r]);
            EXPECT_EQ(run.list.GetText(int(r), kColNewName), c.rows[r].second);  // shown as computed
        }
        EXPECT_EQ(run.list.LastSummary().m_nMoves, c.moves);
        if (c.result == kRenameDone) {
            EXPECT_EQ(run.list.GetText(0, kColOldName), StoredFileName(c.rows[0].second));
        }
    }
}

}  // namespace
}  // namespace kq

namespace kq {
namespace {

// The listing's node numbers stand for the files only where the files
// themselves say the same: a sample of the moving rows is asked.
TEST(RenamePlanNodes, ListingNodesAgreeOnlyWithTheFilesOwn)
{
    CTempDir dir;
    const std::u16string names[] = {u"a", u"b", u"c", u"d"};
    for (const auto& name : names) dir.MakeFile(name, "x");
    CFolderEntries real;
    ForEachFolderEntryId(dir.Path(), [&](std::u16string_view name, bool isDirectory, uint64_t node) {
        if (name != u"." && name != u"..") real.Add(name, isDirectory, node);
        return true;
    });
    const struct {
        const char* what;
        uint64_t shift;  // added to every listed node
        size_t samples;
        bool agree;
    } cases[] = {
        {"the listing as read", 0, 16, true},
        {"one sample", 0, 1, true},
        {"numbers of a layer in between", 1000, 16, false},
        {"even one sample sees them", 1000, 1, false},
        {"no sample vouches for nothing", 0, 0, false},
    };
    std::vector<CPlanRow> rows;
    std::vector<std::u16string> targets;
    for (size_t e = 0; e < real.Count(); ++e) targets.push_back(std::u16string(real.Name(e)) + u"_new");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFolderEntries entries;
        for (size_t e = 0; e < real.Count(); ++e) entries.Add(real.Name(e), real.IsDirectory(e), real.Node(e) + c.shift);
        rows.clear();
        for (size_t e = 0; e < entries.Count(); ++e) rows.push_back({e, real.Name(e), targets[e]});
        CFolderPlan plan(ENamePolicy::ExactCase, dir.Path(), std::move(entries), rows);
        plan.MatchRows();
        ASSERT_EQ(plan.Moving().size(), 4u);
        EXPECT_EQ(plan.ListingNodesAgree(c.samples), c.agree);
    }
}

}  // namespace
}  // namespace kq
