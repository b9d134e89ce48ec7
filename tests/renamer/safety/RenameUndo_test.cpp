// The rename history and undo of the last run, on real temporary folders.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <thread>

#include "platform/AtomicFile.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/safety/RenameUndo.h"
#include "support/MoveFailureHook.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

using Files = std::map<std::u16string, std::string>;  // name -> content
using Rows = std::vector<std::pair<std::u16string, std::u16string>>;

struct CUndoFixture {
    CTempDir dir;
    CTempDir journal;
    CScriptedPrompt prompt;
    std::optional<EFileIdentity> identity;

    // Files that hold their own names, so the test sees which went where.
    void Make(std::initializer_list<const char16_t*> names) const
    {
        for (auto n : names) dir.MakeFile(n, ToUtf8(n));
    }
    Files Contents() const
    {
        Files files;
        for (const auto& name : dir.List())
            if (!IsFolder(dir.Child(name))) files[name] = dir.ReadFile(name);
        return files;
    }
    int Rename(const Rows& rows, CFileNameList* into = nullptr) const
    {
        CFileNameList own;
        CFileNameList& list = into ? *into : own;
        for (const auto& [from, to] : rows) {
            list.AddFile(dir.Child(from));
            list.SetText(list.GetItemCount() - 1, kColNewName, to);
        }
        CRenameOptions options;
        options.m_bConfirmed = true;
        options.m_strJournalFolder = journal.Path();
        options.m_oIdentity = identity;
        return list.ExecuteRename(options);
    }
    int Undo(CUndoReport& report) const { return UndoLastRename(journal.Path(), report); }
    // outcome of each line by the name it was renamed to
    std::map<std::u16string, int> Outcomes(const CUndoReport& report) const
    {
        std::map<std::u16string, int> outcomes;
        for (const auto& line : report.m_aLines) outcomes[line.m_strNew] = line.m_eOutcome;
        return outcomes;
    }
};

TEST(RenameUndo, GivesBackTheOldNamesOfSwapsRotationsAndChains)
{
    struct Case {
        const char* what;
        Rows rows;
    } cases[] = {
        {"simple", {{u"a", u"x"}, {u"b", u"y"}}},
        {"swap", {{u"a", u"b"}, {u"b", u"a"}}},
        {"rotation", {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"a"}}},
        {"chain", {{u"a", u"b"}, {u"b", u"c"}, {u"c", u"d"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CUndoFixture f;
        f.Make({u"a", u"b", u"c"});
        const Files before = f.Contents();
        ASSERT_EQ(f.Rename(c.rows), kRenameDone);
        ASSERT_NE(f.Contents(), before);
        ASSERT_TRUE(HasRenameHistory(f.journal.Path()));
        CUndoReport report;
        const size_t shown = f.prompt.Shown().size();
        EXPECT_EQ(f.Undo(report), kUndoDone);
        EXPECT_EQ(f.Contents(), before);
        EXPECT_EQ(report.Restored(), c.rows.size());
        // The undo's own rename shows nothing: the caller reports.
        EXPECT_EQ(f.prompt.Shown().size(), shown);
        EXPECT_EQ(report.m_run.Count(), c.rows.size());
        // The undo is no run of its own: nothing is left to undo.
        EXPECT_FALSE(HasRenameHistory(f.journal.Path()));
        EXPECT_TRUE(FindJournals(f.journal.Path()).empty());
        EXPECT_EQ(f.Undo(report), kUndoNothing);
    }
}

// Changed, deleted and blocked files are reported and left alone; only the
// blocked ones stay in the record, so that undo can finish once their old
// names are free.
TEST(RenameUndo, LeavesChangedGoneAndBlockedFilesAlone)
{
    CUndoFixture f;
    f.Make({u"a", u"b", u"c", u"d", u"e", u"g"});
    ASSERT_EQ(f.Rename({{u"a", u"x"}, {u"b", u"y"}, {u"c", u"z"}, {u"d", u"w"}, {u"e", u"v"}, {u"g", u"u"}}),
              kRenameDone);
    // Another file under the new name, saved over it as editors do.
    f.dir.MakeFile(u"x.new", "another file");
    RemoveFile(f.dir.Child(u"x"));
    ASSERT_TRUE(MoveFileNoReplace(f.dir.Child(u"x.new"), f.dir.Child(u"x")));
    RemoveFile(f.dir.Child(u"y"));
    f.dir.MakeFile(u"c", "taken");  // the old name is taken since
    RemoveFile(f.dir.Child(u"v"));
    f.dir.MakeFolder(u"v");  // a folder under the new name is not the file
    ASSERT_TRUE(MoveFileNoReplace(f.dir.Child(u"u"), f.dir.Child(u"g")));  // put back by hand

    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    EXPECT_EQ(f.Outcomes(report), (std::map<std::u16string, int>{{u"x", kUndoChanged},
                                                                  {u"y", kUndoGone},
                                                                  {u"z", kUndoBlocked},
                                                                  {u"w", kUndoRestored},
                                                                  {u"v", kUndoChanged},
                                                                  {u"u", kUndoInPlace}}));
    EXPECT_EQ(f.Contents(),
              (Files{{u"x", "another file"}, {u"c", "taken"}, {u"z", "c"}, {u"d", "d"}, {u"g", "g"}}));
    EXPECT_NE(UndoSummaryText(report).find(u"已被占用"), std::u16string::npos);

    RemoveFile(f.dir.Child(u"c"));
    EXPECT_EQ(f.Undo(report), kUndoDone);
    ASSERT_EQ(report.m_aLines.size(), 1u);
    EXPECT_EQ(f.Contents(), (Files{{u"x", "another file"}, {u"c", "c"}, {u"d", "d"}, {u"g", "g"}}));
    EXPECT_FALSE(HasRenameHistory(f.journal.Path()));
}

// A file deleted and another made under its new name may get its node
// number back; being younger than the run tells them apart.
TEST(RenameUndo, LeavesANewFileThatReusedTheNodeNumber)
{
    CUndoFixture f;
    f.Make({u"a"});
    ASSERT_EQ(f.Rename({{u"a", u"x"}}), kRenameDone);
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    RemoveFile(f.dir.Child(u"x"));
    f.dir.MakeFile(u"x", "another file");
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    EXPECT_EQ(f.Outcomes(report), (std::map<std::u16string, int>{{u"x", kUndoChanged}}));
    EXPECT_EQ(f.Contents(), (Files{{u"x", "another file"}}));
}

// A taken old name blocks the files waiting for it too: nothing moves and
// nothing is overwritten.
TEST(RenameUndo, TakenNameBlocksTheChainBehindIt)
{
    CUndoFixture f;
    f.Make({u"a", u"b"});
    ASSERT_EQ(f.Rename({{u"a", u"b"}, {u"b", u"c"}}), kRenameDone);
    f.dir.MakeFile(u"a", "taken");
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    EXPECT_EQ(f.Outcomes(report), (std::map<std::u16string, int>{{u"b", kUndoBlocked}, {u"c", kUndoBlocked}}));
    EXPECT_EQ(f.Contents(), (Files{{u"a", "taken"}, {u"b", "a"}, {u"c", "b"}}));
    std::vector<CDamagedRecord> damaged;
    const auto runs = ListRenameHistory(f.journal.Path(), damaged);
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Count(), 2u);
}

// The same names in two folders: a taken name blocks only its own folder's
// chain.
TEST(RenameUndo, TakenNameBlocksOnlyItsOwnFolder)
{
    CUndoFixture f;
    for (const char16_t* name : {u"x/a", u"x/b", u"y/a", u"y/b"}) f.dir.MakeFile(name, ToUtf8(name));
    ASSERT_EQ(f.Rename({{u"x/a", u"b"}, {u"x/b", u"c"}, {u"y/a", u"b"}, {u"y/b", u"c"}}), kRenameDone);
    f.dir.MakeFile(u"x/a", "taken");
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    std::map<std::u16string, int> outcomes;  // folder's last letter and new name -> outcome
    for (const auto& line : report.m_aLines) outcomes[line.m_strFolder.substr(line.m_strFolder.size() - 1) + line.m_strNew] = line.m_eOutcome;
    EXPECT_EQ(outcomes, (std::map<std::u16string, int>{
                            {u"xb", kUndoBlocked}, {u"xc", kUndoBlocked}, {u"yb", kUndoRestored}, {u"yc", kUndoRestored}}));
    EXPECT_EQ(f.dir.ReadFile(u"x/a"), "taken");
    EXPECT_EQ(f.dir.ReadFile(u"x/c"), "x/b");
    EXPECT_EQ(f.dir.ReadFile(u"y/a"), "y/a");
    EXPECT_EQ(f.dir.ReadFile(u"y/b"), "y/b");
}

TEST(RenameUndo, LeavesAFolderThatIsNotTheOneRenamed)
{
    CUndoFixture f;
    f.dir.MakeFile(u"sub/a", "a");
    CFileNameList list;
    list.AddFile(f.dir.Child(u"sub/a"));
    list.SetText(0, kColNewName, u"b");
    CRenameOptions options;
    options.m_bConfirmed = true;
    options.m_strJournalFolder = f.journal.Path();
    ASSERT_EQ(list.ExecuteRename(options), kRenameDone);
    ASSERT_TRUE(MoveFileNoReplace(f.dir.Child(u"sub"), f.dir.Child(u"old")));
    f.dir.MakeFile(u"sub/b", "other");
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    EXPECT_EQ(f.Outcomes(report), (std::map<std::u16string, int>{{u"b", kUndoFolderChanged}}));
    EXPECT_EQ(f.dir.ReadFile(u"sub/b"), "other");
    EXPECT_EQ(f.dir.ReadFile(u"old/b"), "a");
    EXPECT_FALSE(HasRenameHistory(f.journal.Path()));
}

// Such names exist only where the file system allows them: Windows refuses
// ':' and trailing dots in a file name.
#ifndef _WIN32
// Names the rename cannot give (refused characters, trailing dots) are not
// turned into other names.
TEST(RenameUndo, KeepsNamesTheRenameCannotGiveBack)
{
    CUndoFixture f;
    f.Make({u"a.", u"q:r", u"p"});
    ASSERT_EQ(f.Rename({{u"a.", u"x"}, {u"q:r", u"y"}, {u"p", u"z"}}), kRenameDone);
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    EXPECT_EQ(f.Outcomes(report), (std::map<std::u16string, int>{
                                      {u"x", kUndoNameRefused}, {u"y", kUndoNameRefused}, {u"z", kUndoRestored}}));
    EXPECT_EQ(f.Contents(), (Files{{u"x", "a."}, {u"y", "q:r"}, {u"p", "p"}}));
}
#endif

TEST(RenameHistory, RecordsOnlyRunsThatMovedFiles)
{
    CUndoFixture f;
    f.Make({u"a", u"b"});
    EXPECT_EQ(f.Rename({{u"a", u"a"}}), kRenameDone);  // nothing to move
    EXPECT_EQ(f.Rename({{u"a", u"b"}}), kRenameCollision);
    EXPECT_FALSE(HasRenameHistory(f.journal.Path()));
    // A row that fails is not part of the record.
    EXPECT_EQ(f.Rename({{u"a", u"c"}, {u"b", u"d/e"}}), kRenameInvalidName);
    RemoveFile(f.dir.Child(u"b"));
    EXPECT_EQ(f.Rename({{u"a", u"c"}, {u"b", u"d"}}), kRenamePartly);
    std::vector<CDamagedRecord> damaged;
    const auto runs = ListRenameHistory(f.journal.Path(), damaged);
    ASSERT_EQ(runs.size(), 1u);
    ASSERT_EQ(runs[0].Count(), 1u);
    EXPECT_EQ(runs[0].m_aFolders[0].m_aMoves[0].m_strNew, u"c");
    EXPECT_EQ(runs[0].m_aFolders[0].m_strFolder, f.dir.Path());
    EXPECT_TRUE(damaged.empty());
}

TEST(RenameHistory, KeepsTheNewestTwentyRuns)
{
    CUndoFixture f;
    for (int i = 0; i <= 20; ++i) f.dir.MakeFile(u"n" + FormatInt(i), "x");
    for (int i = 0; i <= 20; ++i) ASSERT_EQ(f.Rename({{u"n" + FormatInt(i), u"m" + FormatInt(i)}}), kRenameDone);
    std::vector<CDamagedRecord> damaged;
    const auto runs = ListRenameHistory(f.journal.Path(), damaged);
    ASSERT_EQ(runs.size(), kHistoryLimit);
    EXPECT_EQ(runs.front().m_aFolders[0].m_aMoves[0].m_strNew, u"m20");
    EXPECT_EQ(runs.back().m_aFolders[0].m_aMoves[0].m_strNew, u"m1");
    // Undo goes back one run at a time, newest first.
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoDone);
    EXPECT_EQ(f.Undo(report), kUndoDone);
    EXPECT_TRUE(PathExists(f.dir.Child(u"n20")) && PathExists(f.dir.Child(u"n19")) && PathExists(f.dir.Child(u"m18")));
    EXPECT_EQ(FindHistoryRecords(f.journal.Path()).size(), kHistoryLimit - 2);
}

// A record that cannot be trusted is set aside and nothing moves; the run
// before it can still be undone.
TEST(RenameHistory, SetsAsideRecordsItCannotTrust)
{
    CTempDir other;
    other.MakeFile(u"victim", "v");
    CFileId victim;
    ASSERT_TRUE(GetFileId(other.Child(u"victim"), false, victim));
    const std::string escape = "../" + std::filesystem::path(other.NativePath()).filename().string() + "/victim";
    struct Case {
        const char* what;
        std::function<void(const std::u16string& path, const CHistoryRun& good)> plant;
    } cases[] = {
        {"cut",
         [](const std::u16string& path, const CHistoryRun& good) {
             const std::string text = FormatHistoryRecord(good);
             WriteFileBytes(path, text.substr(0, text.size() - 3), true);
         }},
        {"escape",
         [&](const std::u16string& path, const CHistoryRun& good) {
             CHistoryRun bad = good;
             bad.m_aFolders[0].m_aMoves[0] = {victim.m_nNode, u"stolen", u"", FromUtf8(escape)};
             WriteFileBytes(path, FormatHistoryRecord(bad), true);
         }},
        {"no folder identity",
         [](const std::u16string& path, const CHistoryRun& good) {
             CHistoryRun bad = good;
             bad.m_aFolderIds.clear();
             WriteFileBytes(path, FormatHistoryRecord(bad), true);
         }},
#ifndef _WIN32
        {"fifo", [](const std::u16string& path, const CHistoryRun&) { mkfifo(ToNativeName(path).c_str(), 0600); }},
        {"zero", [](const std::u16string& path,
                    const CHistoryRun&) { std::filesystem::create_symlink("/dev/zero", ToNativeName(path)); }},
#endif
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CUndoFixture f;
        f.Make({u"a"});
        ASSERT_EQ(f.Rename({{u"a", u"b"}}), kRenameDone);
        std::vector<std::u16string> records = FindHistoryRecords(f.journal.Path());
        ASSERT_EQ(records.size(), 1u);
        CHistoryRun good;
        ASSERT_TRUE(ReadHistoryRecord(records[0], good));
        const std::u16string planted = JoinPath(HistoryFolder(f.journal.Path()), u"run-9000000000000000.kqhistory");
        c.plant(planted, good);

        CUndoReport report;
        EXPECT_EQ(f.Undo(report), kUndoDamaged);
        EXPECT_EQ(report.m_damaged.m_strPath, planted);
        EXPECT_FALSE(report.m_damaged.m_strAside.empty());
        EXPECT_FALSE(PathExists(planted));
        EXPECT_TRUE(PathExists(report.m_damaged.m_strAside));
        EXPECT_EQ(f.Contents(), (Files{{u"b", "a"}}));
        EXPECT_EQ(other.ReadFile(u"victim"), "v");
        EXPECT_EQ(f.Undo(report), kUndoDone);
        EXPECT_EQ(f.Contents(), (Files{{u"a", "a"}}));
    }
}

TEST(RenameUndo, WaitsForRunsThatHoldItsFolderOrTheHistory)
{
    CUndoFixture f;
    f.Make({u"a"});
    ASSERT_EQ(f.Rename({{u"a", u"b"}}), kRenameDone);
    CFileId id;
    ASSERT_TRUE(GetFileId(f.dir.Path(), true, id));
    CUndoReport report;
    {
        CFileLock running;
        ASSERT_TRUE(running.TryLock(FolderLockPath(f.journal.Path(), id.m_nDevice, id.m_nNode)));
        EXPECT_EQ(f.Undo(report), kUndoBusy);
        EXPECT_NE(UndoSummaryText(report).find(u"正在由另一个改名操作处理"), std::u16string::npos);
    }
    {
        CFileLock undoing;
        ASSERT_TRUE(undoing.TryLock(JoinPath(HistoryFolder(f.journal.Path()), u"undo.lock")));
        EXPECT_EQ(f.Undo(report), kUndoBusy);
    }
    EXPECT_EQ(f.Contents(), (Files{{u"b", "a"}}));
    EXPECT_EQ(f.Undo(report), kUndoDone);
    EXPECT_EQ(f.Contents(), (Files{{u"a", "a"}}));
}

// Where node numbers are made up (FAT, exFAT), a remount gives the folder and
// its files new ones: known by size and time, the files still go back, and
// one written to since is changed. Known by node, the same record finds
// nothing it can trust.
TEST(RenameUndo, KnowsFilesBySizeAndTimeWhereNodesCannotBeTrusted)
{
    const struct {
        EFileIdentity identity;
        std::map<std::u16string, int> outcomes;
        Files after;
    } cases[] = {
        {EFileIdentity::SizeAndTime,
         {{u"x", kUndoRestored}, {u"y", kUndoChanged}, {u"b", kUndoRestored}, {u"c", kUndoRestored}},
         {{u"a", "a"}, {u"y", "written to"}, {u"c", "c"}, {u"d", "d"}}},
        {EFileIdentity::Node,
         {{u"x", kUndoFolderChanged}, {u"y", kUndoFolderChanged}, {u"b", kUndoFolderChanged}, {u"c", kUndoFolderChanged}},
         {{u"x", "a"}, {u"y", "written to"}, {u"b", "c"}, {u"c", "d"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.identity));
        CUndoFixture f;
        f.identity = c.identity;
        f.Make({u"a", u"b", u"c", u"d"});
        ASSERT_EQ(f.Rename({{u"a", u"x"}, {u"b", u"y"}, {u"c", u"b"}, {u"d", u"c"}}), kRenameDone);
        // A remount renumbers the folder and every file.
        std::vector<std::u16string> records = FindHistoryRecords(f.journal.Path());
        ASSERT_EQ(records.size(), 1u);
        CHistoryRun run;
        ASSERT_TRUE(ReadHistoryRecord(records[0], run));
        for (auto& id : run.m_aFolderIds) id.m_nNode += 7;
        for (auto& move : run.m_aFolders[0].m_aMoves) {
            EXPECT_EQ(move.m_bStamped, c.identity == EFileIdentity::SizeAndTime);
            move.m_nNode += 1000;
        }
        ASSERT_TRUE(RewriteHistoryRecord(run));
        WriteFileBytes(f.dir.Child(u"y"), "written to", false);
        CUndoReport report;
        EXPECT_EQ(f.Undo(report), kUndoPartly);
        EXPECT_EQ(f.Outcomes(report), c.outcomes);
        EXPECT_EQ(f.Contents(), c.after);
    }
}

// A file put under the new name between undo's check and its move is moved,
// found not to be the file recorded, and moved back: its row is changed, not
// restored, and a swap it belongs to is put back whole.
TEST(RenameUndo, PutsBackAFileReplacedJustBeforeItsMove)
{
    const struct {
        const char* what;
        Rows rows;
        std::u16string replaced;  // the new name whose file is swapped for another
        std::map<std::u16string, int> outcomes;
        Files after;
    } cases[] = {
        {"chain", {{u"a", u"x"}, {u"b", u"y"}}, u"x", {{u"x", kUndoChanged}, {u"y", kUndoRestored}},
         {{u"x", "impostor"}, {u"x.kept", "a"}, {u"b", "b"}}},
        {"swap", {{u"a", u"b"}, {u"b", u"a"}}, u"a", {{u"a", kUndoChanged}, {u"b", kUndoBlocked}},
         {{u"a", "impostor"}, {u"a.kept", "b"}, {u"b", "a"}}},
    };
    for (const auto& c : cases) {
        for (EFileIdentity identity : {EFileIdentity::Node, EFileIdentity::SizeAndTime}) {
            SCOPED_TRACE(std::string(c.what) + (identity == EFileIdentity::Node ? " node" : " size and time"));
            CUndoFixture f;
            f.identity = identity;
            f.Make({u"a", u"b"});
            ASSERT_EQ(f.Rename(c.rows), kRenameDone);
            const std::u16string target = f.dir.Child(c.replaced);
            bool replaced = false;
            SetMoveFailureHook([&](std::u16string_view from, std::u16string_view) {
                if (!replaced && from == target) {
                    // The file is kept aside, so its node is not free to
                    // come back with the impostor.
                    replaced = true;
                    std::filesystem::rename(NativePath(target), NativePath(target + u".kept"));
                    WriteFileBytes(target, "impostor", false);
                }
                return 0;
            });
            CUndoReport report;
            EXPECT_EQ(f.Undo(report), kUndoPartly);
            SetMoveFailureHook(nullptr);
            EXPECT_TRUE(replaced);
            EXPECT_EQ(f.Outcomes(report), c.outcomes);
            EXPECT_EQ(f.Contents(), c.after);
            EXPECT_TRUE(FindJournals(f.journal.Path()).empty());
        }
    }
}

// A folder with a journal no live run holds takes no undo until recover has
// dealt with it; the message names the command.
TEST(RenameUndo, RefusesAFolderWithAnUnrecoveredJournal)
{
    CUndoFixture f;
    f.Make({u"a"});
    ASSERT_EQ(f.Rename({{u"a", u"b"}}), kRenameDone);
    CFileId b;
    ASSERT_TRUE(GetFileId(f.dir.Child(u"b"), false, b));
    ASSERT_TRUE(WriteJournal(NewJournalPath(f.journal.Path()), {{f.dir.Path(), {{b.m_nNode, u"c", u"", u"b"}}}}));
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoFailed);
    EXPECT_NE(UndoSummaryText(report).find(u"kqtools-cli recover"), std::u16string::npos);
    EXPECT_EQ(f.Contents(), (Files{{u"b", "a"}}));
    EXPECT_TRUE(HasRenameHistory(f.journal.Path()));
}

// An undo whose swap cannot be finished nor put back leaves a file parked:
// the user is sent to recover, and the run stays to be undone again.
TEST(RenameUndo, SendsTheUserToRecoverWhenAFileStaysParked)
{
    CUndoFixture f;
    f.Make({u"a", u"b"});
    ASSERT_EQ(f.Rename({{u"a", u"b"}, {u"b", u"a"}}), kRenameDone);
    SetMoveFailureHook([](std::u16string_view from, std::u16string_view) {
        return from.ends_with(u".kq-tmp") ? EACCES : 0;
    });
    CUndoReport report;
    EXPECT_EQ(f.Undo(report), kUndoPartly);
    SetMoveFailureHook(nullptr);
    EXPECT_NE(UndoSummaryText(report).find(u"kqtools-cli recover"), std::u16string::npos);
    EXPECT_EQ(FindJournals(f.journal.Path()).size(), 1u);
    EXPECT_TRUE(HasRenameHistory(f.journal.Path()));
}

TEST(RenameUndo, PutsTheOldNamesBackIntoTheList)
{
    CUndoFixture f;
    f.Make({u"a", u"b", u"c"});
    CFileNameList list;
    ASSERT_EQ(f.Rename({{u"a", u"b"}, {u"b", u"a"}, {u"c", u"c"}}, &list), kRenameDone);
    CUndoReport report;
    ASSERT_EQ(f.Undo(report), kUndoDone);
    EXPECT_EQ(ApplyUndoToList(report, list), 2u);
    for (int r = 0; r < 3; ++r) {
        const std::u16string name = list.GetText(r, kColOldName);
        EXPECT_EQ(f.dir.ReadFile(name), ToUtf8(name));
    }
    EXPECT_EQ(list.GetText(0, kColOldName), u"a");
    EXPECT_EQ(list.GetText(0, kColStatus), kStatusPending);
    EXPECT_EQ(list.GetText(2, kColStatus), kStatusDone);
}

}  // namespace
}  // namespace kq
