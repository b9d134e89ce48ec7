// recover and the run against crashes, damaged journals, links and racing
// processes, on real temporary folders. Kills and other file systems come
// from the preload shim (src/platform/posix/testing/FsShim.c).
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <random>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/safety/RenameJournal.h"
#include "support/TestSupport.h"

#if defined(KQ_FS_SHIM_PATH) && !defined(_WIN32)

namespace kq {
namespace {

using test::CTempDir;
using test::RunProgram;
using Files = std::map<std::string, std::string>;

Files Contents(const CTempDir& dir)
{
    Files files;
    for (const auto& name : dir.List()) files[ToNativeName(name)] = dir.ReadFile(name);
    return files;
}

struct CFixture {
    CTempDir dir;
    CTempDir config;
    std::u16string JournalFolder() const { return config.Child(u"TernSoft/KQTool"); }
    test::CRunResult Run(std::vector<std::string> args, std::vector<std::string> env = {}, const std::string& input = {}) const
    {
        env.push_back("KQ_CONFIG_HOME=" + config.NativePath());
        env.push_back(std::string("LD_PRELOAD=") + KQ_FS_SHIM_PATH);
        env.push_back("ASAN_OPTIONS=verify_asan_link_order=0:detect_leaks=0");
        return RunProgram(KQ_CLI_PATH, args, input, env);
    }
    // A list-mode rename of the named files to names, in name order.
    test::CRunResult Rename(const std::vector<std::string>& from, const std::vector<std::string>& to,
                            std::vector<std::string> env = {}) const
    {
        std::string names;
        for (const auto& n : to) names += n + "\n";
        config.MakeFile(u"names", names);
        std::vector<std::string> args = {"rename", "--yes", "--mode", "list", "--names-file", config.NativePath() + "/names",
                                         "--no-keep-extension", "--sort", "name"};
        for (const auto& n : from) args.push_back(dir.NativePath() + "/" + n);
        return Run(args, std::move(env));
    }
    std::vector<std::u16string> Journals() const { return FindJournals(JournalFolder()); }
};

// Damaged, hostile and special journals are reported, set aside (never
// deleted) and never followed; the good journal beside them is still replayed.
TEST(Recover, SetsAsideJournalsItCannotTrust)
{
    CFixture f;
    CTempDir other;
    other.MakeFile(u"victim", "v");
    f.dir.MakeFile(u"a", "a");
    const std::u16string jf = f.JournalFolder();
    CreateFolder(jf);
    const std::string header = "KQTOOLS-RENAME-JOURNAL 1\n";
    const std::string folder = "D\t" + f.dir.NativePath() + "\n";
    CFileId victim;
    ASSERT_TRUE(GetFileId(other.Child(u"victim"), false, victim));
    ASSERT_TRUE(WriteFileBytes(JoinPath(jf, u"rename-1-cut.kqjournal"), header + folder + "M\t1\ta\t\tb", true));
    ASSERT_TRUE(WriteFileBytes(JoinPath(jf, u"rename-2-escape.kqjournal"),
                               header + folder + "M\t" + std::to_string(victim.m_nNode) + "\t../" +
                                   std::filesystem::path(other.NativePath()).filename().string() + "/victim\t\tstolen\n",
                               true));
    ASSERT_EQ(mkfifo(ToNativeName(JoinPath(jf, u"rename-3-fifo.kqjournal")).c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", ToNativeName(JoinPath(jf, u"rename-4-zero.kqjournal")));
    // A good one: a stopped a -> b, already done.
    f.dir.MakeFile(u"b", "a");
    RemoveFile(f.dir.Child(u"a"));
    CFileId b;
    ASSERT_TRUE(GetFileId(f.dir.Child(u"b"), false, b));
    ASSERT_TRUE(WriteFileBytes(JoinPath(jf, u"rename-5-good.kqjournal"),
                               header + folder + "M\t" + std::to_string(b.m_nNode) + "\ta\t\tb\n", true));

    auto r = f.Run({"recover"});
    EXPECT_EQ(r.m_nExitCode, 1);
    size_t reported = 0;
    for (size_t at = 0; (at = r.m_strOut.find("无法读取改名记录", at)) != std::string::npos; ++at) ++reported;
    EXPECT_EQ(reported, 4u) << r.m_strOut;
    EXPECT_EQ(Contents(f.dir), (Files{{"a", "a"}}));
    EXPECT_EQ(other.ReadFile(u"victim"), "v");
    EXPECT_TRUE(f.Journals().empty());
    size_t aside = 0;
    for (const auto& name : f.config.List(u"TernSoft/KQTool"))
        if (name.find(u".damaged") != std::u16string::npos) ++aside;
    EXPECT_EQ(aside, 4u);
    // Once set aside, they are not reported again.
    auto again = f.Run({"recover"});
    EXPECT_EQ(again.m_nExitCode, 0) << again.m_strOut;
}

// With the configuration folder full, a journal is still a journal: one that
// needs no new record is replayed, one that must learn a parking name first
// stays in force (exit 1, nothing moved) until there is room again.
TEST(Recover, AFullDiskNeverTurnsAJournalIntoADamagedOne)
{
    struct CCase {
        const char* name;
        bool swap;  // a and b exchanged: a cycle that needs a parking name
        int fullExit;
        Files whileFull;
    };
    const CCase cases[] = {
        {"chain", false, 0, {{"a", "A"}}},
        {"cycle", true, 1, {{"a", "B"}, {"b", "A"}}},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        CFixture f;
        const std::u16string jf = f.JournalFolder();
        CreateFolder(jf);
        std::string text = "KQTOOLS-RENAME-JOURNAL 1\nD\t" + f.dir.NativePath() + "\n";
        if (c.swap) {
            f.dir.MakeFile(u"a", "B");
            f.dir.MakeFile(u"b", "A");
            CFileId a, b;
            ASSERT_TRUE(GetFileId(f.dir.Child(u"a"), false, a));
            ASSERT_TRUE(GetFileId(f.dir.Child(u"b"), false, b));
            text += "M\t" + std::to_string(b.m_nNode) + "\ta\t\tb\nM\t" + std::to_string(a.m_nNode) + "\tb\t\ta\n";
        } else {
            f.dir.MakeFile(u"b", "A");
            CFileId b;
            ASSERT_TRUE(GetFileId(f.dir.Child(u"b"), false, b));
            text += "M\t" + std::to_string(b.m_nNode) + "\ta\t\tb\n";
        }
        const std::u16string journal = JoinPath(jf, u"rename-1-full.kqjournal");
        ASSERT_TRUE(WriteFileBytes(journal, text, true));

        auto full = f.Run({"recover"}, {"KQ_SHIM_FULL=" + f.config.NativePath()});
        EXPECT_EQ(full.m_nExitCode, c.fullExit) << full.m_strOut << full.m_strErr;
        EXPECT_EQ(Contents(f.dir), c.whileFull);
        for (const auto& name : f.config.List(u"TernSoft/KQTool"))
            EXPECT_EQ(name.find(u".damaged"), std::u16string::npos) << ToNativeName(name);
        if (c.fullExit != 0) {
            EXPECT_NE(full.m_strOut.find("没有移动任何文件"), std::string::npos) << full.m_strOut;
            EXPECT_EQ(f.Journals().size(), 1u);
        }

        auto freed = f.Run({"recover"});
        EXPECT_EQ(freed.m_nExitCode, 0) << freed.m_strOut;
        EXPECT_EQ(Contents(f.dir), (Files{{"a", "A"}} == c.whileFull ? c.whileFull : Files{{"a", "A"}, {"b", "B"}}));
        EXPECT_TRUE(f.Journals().empty());
    }
}

// Where the folder listing's node numbers are not the files' own (FUSE,
// overlayfs over another file system), undo and recover still know the files.
TEST(Recover, FilesAreKnownByTheirOwnNodeNumbersNotTheListings)
{
    const std::string shift = "KQ_SHIM_DINO_SHIFT=1000";
    {
        CFixture f;
        f.dir.MakeFile(u"a", "a");
        f.dir.MakeFile(u"b", "b");
        ASSERT_EQ(f.Rename({"a", "b"}, {"b", "a"}, {shift}).m_nExitCode, 0);
        EXPECT_EQ(Contents(f.dir), (Files{{"a", "b"}, {"b", "a"}}));
        auto undo = f.Run({"undo"}, {shift});
        EXPECT_EQ(undo.m_nExitCode, 0) << undo.m_strOut << undo.m_strErr;
        EXPECT_EQ(Contents(f.dir), (Files{{"a", "a"}, {"b", "b"}}));
    }
    for (int killAt = 1; killAt <= 5; ++killAt) {
        SCOPED_TRACE(killAt);
        CFixture f;
        f.dir.MakeFile(u"a", "a");
        f.dir.MakeFile(u"b", "b");
        f.Rename({"a", "b"}, {"b", "a"}, {shift, "KQ_SHIM_KILL_AT=" + std::to_string(killAt)});
        auto r = f.Run({"recover"}, {shift});
        EXPECT_EQ(r.m_nExitCode, 0) << r.m_strOut;
        EXPECT_EQ(Contents(f.dir), (Files{{"a", "a"}, {"b", "b"}}));
        EXPECT_TRUE(f.Journals().empty());
    }
}

// A run the history could not record (its disk full) is said so, and undo
// refuses to skip over it to the run before.
TEST(Recover, UndoNeverSkipsARunTheHistoryCouldNotRecord)
{
    CFixture f;
    f.dir.MakeFile(u"a", "a");
    f.dir.MakeFile(u"c", "c");
    ASSERT_EQ(f.Rename({"a"}, {"b"}).m_nExitCode, 0);
    const std::string full = "KQ_SHIM_FULL=" + ToNativeName(JoinPath(f.JournalFolder(), u"history"));
    auto second = f.Rename({"c"}, {"d"}, {full});
    EXPECT_EQ(second.m_nExitCode, 0);
    EXPECT_NE(second.m_strErr.find("未能写入改名历史"), std::string::npos) << second.m_strErr;
    auto undo = f.Run({"undo"});
    EXPECT_EQ(undo.m_nExitCode, 1);
    EXPECT_NE(undo.m_strErr.find("没有写入改名历史"), std::string::npos) << undo.m_strErr;
    EXPECT_EQ(Contents(f.dir), (Files{{"b", "a"}, {"d", "c"}}));
}

// A run holds its folders and its journal: a second rename of the folder is
// refused and recover leaves the live journal alone.
TEST(Recover, LocksKeepRunsAndRecoveryApart)
{
    CFixture f;
    f.dir.MakeFile(u"a", "a");
    CFileId id;
    ASSERT_TRUE(GetFileId(f.dir.Path(), true, id));
    CreateFolder(f.JournalFolder());
    {
        CFileLock held;
        ASSERT_TRUE(held.TryLock(FolderLockPath(f.JournalFolder(), id.m_nDevice, id.m_nNode)));
        auto r = f.Rename({"a"}, {"b"});
        EXPECT_EQ(r.m_nExitCode, 1);
        EXPECT_NE(r.m_strErr.find("正在由另一个改名操作处理"), std::string::npos) << r.m_strErr;
        EXPECT_EQ(Contents(f.dir), (Files{{"a", "a"}}));
    }
    const std::u16string journal = JoinPath(f.JournalFolder(), u"rename-9-live.kqjournal");
    CFileId a;
    ASSERT_TRUE(GetFileId(f.dir.Child(u"a"), false, a));
    ASSERT_TRUE(WriteFileBytes(journal, "KQTOOLS-RENAME-JOURNAL 1\nD\t" + f.dir.NativePath() + "\nM\t" +
                                            std::to_string(a.m_nNode) + "\tz\t\ta\n",
                               true));
    CFileLock live;
    ASSERT_TRUE(live.TryLock(journal));
    auto busy = f.Run({"recover"});
    EXPECT_EQ(busy.m_nExitCode, 1);
    EXPECT_NE(busy.m_strOut.find("已跳过"), std::string::npos) << busy.m_strOut;
    EXPECT_EQ(Contents(f.dir), (Files{{"a", "a"}}));
    live.Unlock();
    auto done = f.Run({"recover"});
    EXPECT_EQ(done.m_nExitCode, 0) << done.m_strOut;
    EXPECT_EQ(Contents(f.dir), (Files{{"z", "a"}}));
}

// One folder reached through a link is one folder: the rotation runs once.
TEST(Recover, SameFolderThroughALinkIsRenamedOnce)
{
    CFixture f;
    CTempDir links;
    for (const char* n : {"r1", "r2", "r3"}) f.dir.MakeFile(FromUtf8(n), n);
    std::filesystem::create_directory_symlink(f.dir.NativePath(), links.NativePath() + "/alias");
    f.config.MakeFile(u"names", "r2\nr3\nr1\nr2\nr3\nr1\n");
    const std::string d = f.dir.NativePath(), alias = links.NativePath() + "/alias";
    auto r = f.Run({"rename", "--yes", "--mode", "list", "--names-file", f.config.NativePath() + "/names",
                    "--no-keep-extension", d + "/r1", d + "/r2", d + "/r3", alias + "/r1", alias + "/r2", alias + "/r3"});
    EXPECT_EQ(Contents(f.dir), (Files{{"r2", "r1"}, {"r3", "r2"}, {"r1", "r3"}}));
    // The rows through the alias name files already listed: they are refused.
    EXPECT_EQ(r.m_nExitCode, 1);
    EXPECT_TRUE(f.Journals().empty());
}

// Kills between a link and its unlink (no RENAME_NOREPLACE), and hard links
// that share a node between two moves: recover puts every file back.
TEST(Recover, RecognisesLinksOfOneFile)
{
    for (int killAt = 1; killAt <= 8; ++killAt) {
        SCOPED_TRACE(killAt);
        CFixture f;
        f.dir.MakeFile(u"a", "a");
        f.dir.MakeFile(u"b", "b");
        auto r = f.Rename({"a", "b"}, {"b", "c"}, {"KQ_SHIM_NO_NOREPLACE=1", "KQ_SHIM_KILL_AT=" + std::to_string(killAt)});
        auto back = f.Run({"recover"});
        EXPECT_EQ(back.m_nExitCode, 0) << back.m_strOut;
        // A run that was not cut short leaves nothing to recover.
        const Files expected = r.m_nExitCode == 0 ? Files{{"b", "a"}, {"c", "b"}} : Files{{"a", "a"}, {"b", "b"}};
        EXPECT_EQ(Contents(f.dir), expected);
        EXPECT_TRUE(f.Journals().empty());
    }
    for (int killAt = 1; killAt <= 4; ++killAt) {
        SCOPED_TRACE(killAt);
        CFixture f;
        f.dir.MakeFile(u"a", "shared");
        ASSERT_EQ(link((f.dir.NativePath() + "/a").c_str(), (f.dir.NativePath() + "/c").c_str()), 0);
        auto r = f.Rename({"a", "c"}, {"b", "a"}, {"KQ_SHIM_KILL_AT=" + std::to_string(killAt)});
        auto back = f.Run({"recover"});
        EXPECT_EQ(back.m_nExitCode, 0) << back.m_strOut;
        const Files expected =
            r.m_nExitCode == 0 ? Files{{"a", "shared"}, {"b", "shared"}} : Files{{"a", "shared"}, {"c", "shared"}};
        EXPECT_EQ(Contents(f.dir), expected) << back.m_strOut;
    }
}

// Without RENAME_NOREPLACE and hard links a move goes over a placeholder:
// cycles and chains still work and leave nothing behind, and a file written
// at a target while it is reserved is kept and its row fails.
TEST(Rename, FallbackWithoutNoReplaceOrLinksNeverReplacesAFile)
{
    struct Case {
        const char* what;
        std::vector<std::string> from, to;
        std::string intrudeAt;  // the plain rename before which another program writes the target
        int exitCode;
        Files expected;
    } cases[] = {
        {"swap, rotation and shift", {"s1", "s2", "t1", "t2", "t3", "u1"}, {"s2", "s1", "t2", "t3", "t1", "u2"}, "", 0,
         {{"s1", "s2"}, {"s2", "s1"}, {"t1", "t3"}, {"t2", "t1"}, {"t3", "t2"}, {"u2", "u1"}}},
        {"written while reserved", {"a"}, {"b"}, "1", 1, {{"a", "a"}, {"b", "intruder"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CFixture f;
        for (const auto& n : c.from) f.dir.MakeFile(FromUtf8(n), n);
        std::vector<std::string> env = {"KQ_SHIM_NO_NOREPLACE=1", "KQ_SHIM_NO_LINK=1"};
        if (!c.intrudeAt.empty()) env.push_back("KQ_SHIM_CREATE_TARGET=" + c.intrudeAt);
        auto r = f.Rename(c.from, c.to, env);
        EXPECT_EQ(r.m_nExitCode, c.exitCode) << r.m_strOut << r.m_strErr;
        EXPECT_EQ(Contents(f.dir), c.expected);
        EXPECT_TRUE(f.Journals().empty());
    }
}

// A kill between reserving a target and the move leaves an empty
// placeholder; recover removes it and finishes or undoes the run, also where
// the file system keeps no permissions (exFAT) and the placeholder looks like
// any empty file.
TEST(Recover, RemovesPlaceholdersOfMovesCutShort)
{
    for (bool noModes : {false, true}) {
        for (int killAt = 1; killAt <= 6; ++killAt) {
            for (bool finish : {false, true}) {
                SCOPED_TRACE(std::to_string(killAt) + (finish ? " finish" : " undo") + (noModes ? " no modes" : ""));
                CFixture f;
                f.dir.MakeFile(u"a", "a");
                f.dir.MakeFile(u"b", "b");
                f.dir.MakeFile(u"empty");  // an empty file of the run is no placeholder
                std::vector<std::string> env = {"KQ_SHIM_NO_NOREPLACE=1", "KQ_SHIM_NO_LINK=1"};
                if (noModes) env.push_back("KQ_SHIM_NO_MODES=1");
                std::vector<std::string> killed = env;
                killed.push_back("KQ_SHIM_KILL_AT=" + std::to_string(killAt));
                auto r = f.Rename({"a", "b", "empty"}, {"b", "c", "void"}, killed);
                auto back =
                    f.Run(finish ? std::vector<std::string>{"recover", "--finish"} : std::vector<std::string>{"recover"}, env);
                EXPECT_EQ(back.m_nExitCode, 0) << back.m_strOut;
                // Killed before its journal was published, a run has moved nothing.
                const Files before = {{"a", "a"}, {"b", "b"}, {"empty", ""}};
                const Files after = {{"b", "a"}, {"c", "b"}, {"void", ""}};
                const Files now = Contents(f.dir);
                if (r.m_nExitCode == 0 || (finish && now != before)) {
                    EXPECT_EQ(now, after);
                } else {
                    EXPECT_EQ(now, before);
                }
                EXPECT_TRUE(f.Journals().empty());
                // The note of the placeholders goes with its journal.
                for (const auto& name : f.config.List(u"TernSoft/KQTool")) EXPECT_FALSE(name.ends_with(u".placeholders"));
            }
        }
    }
}

// recover's plain lines are tab-separated: names with tabs and line feeds
// are written escaped, one line per file.
TEST(Recover, PlainOutputEscapesTabsAndLineFeeds)
{
    CFixture f;
    f.dir.MakeFile(u"x", "x");
    CFileId x;
    ASSERT_TRUE(GetFileId(f.dir.Child(u"x"), false, x));
    CreateFolder(f.JournalFolder());
    ASSERT_TRUE(WriteJournal(NewJournalPath(f.JournalFolder()), {{f.dir.Path(), {{x.m_nNode, u"a\tb\nc", u"", u"x"}}}}));
    auto r = f.Run({"recover"});
    EXPECT_EQ(r.m_nExitCode, 0) << r.m_strOut;
    EXPECT_EQ(Contents(f.dir), (Files{{"a\tb\nc", "x"}}));
    EXPECT_NE(r.m_strOut.find(f.dir.NativePath() + "/a\\tb\\nc\t(原为 x)"), std::string::npos) << r.m_strOut;
    EXPECT_EQ(std::count(r.m_strOut.begin(), r.m_strOut.end(), '\n'), 1) << r.m_strOut;  // one line
}

// A report of megabytes goes out in pieces: every line whole, once, in
// journal order, and the text ends with one line feed, as one piece ends it.
TEST(Recover, LongReportsComeOutWholeAndInOrder)
{
    CFixture f;
    CreateFolder(f.JournalFolder());
    // Files no longer anywhere: each move is one "not found" line of about
    // 250 bytes, so the two journals' 4,800 lines cross a megabyte.
    const std::string pad(200, 'p');
    std::string expected;
    for (int j = 0; j < 2; ++j) {
        CJournalFolder folder{f.dir.Path(), {}};
        for (int i = 0; i < 2400; ++i) {
            const std::string number = std::to_string(j) + "_" + std::to_string(100000 + i);
            folder.m_aMoves.push_back({uint64_t(i + 1), FromUtf8("old" + number + pad), u"", FromUtf8("new" + number + pad)});
            expected += "找不到文件\t" + f.dir.NativePath() + "/old" + number + pad + "\n";
        }
        ASSERT_TRUE(WriteJournal(f.JournalFolder() + u"/rename-" + FromUtf8(std::to_string(j)) + u".kqjournal", {folder}));
    }
    ASSERT_EQ(f.Journals().size(), 2u);
    const auto r = f.Run({"recover"});
    EXPECT_EQ(r.m_nExitCode, 1);
    EXPECT_GT(r.m_strOut.size(), size_t(1) << 20);  // more than one piece
    EXPECT_TRUE(r.m_strOut == expected) << r.m_strOut.size() << " bytes, wanted " << expected.size();
}

// Kills at random points of runs and of recoveries: every file ends under
// exactly its old or its new name, no temporary name is left, and a final
// recover empties the journal folder. KQ_SOAK_CASES runs more (make soak).
TEST(Recover, SurvivesKillsAnywhere)
{
    const char* soak = std::getenv("KQ_SOAK_CASES");
    const int cases = soak ? std::atoi(soak) : 60;
    std::mt19937 random(soak ? std::random_device{}() : 20261208u);
    for (int c = 0; c < cases; ++c) {
        CFixture f;
        // A swap, a rotation, a shift into a free name and a file that stays.
        std::vector<std::string> from = {"s1", "s2", "t1", "t2", "t3", "u1", "u2", "v"};
        std::vector<std::string> to = {"s2", "s1", "t2", "t3", "t1", "u2", "u3", "v"};
        const bool noReplace = random() % 3 == 0;
        std::map<std::string, std::pair<std::string, std::string>> expect;  // content -> (old, new)
        for (size_t i = 0; i < from.size(); ++i) {
            f.dir.MakeFile(FromUtf8(from[i]), "content-" + from[i]);
            expect["content-" + from[i]] = {from[i], to[i]};
        }
        std::vector<std::string> env = {"KQ_SHIM_KILL_AT=" + std::to_string(1 + random() % 16)};
        if (noReplace) env.push_back("KQ_SHIM_NO_NOREPLACE=1");
        f.Rename(from, to, env);
        for (int round = 0; round < 2; ++round) {
            std::vector<std::string> renv = {"KQ_SHIM_KILL_AT=" + std::to_string(1 + random() % 12)};
            if (noReplace) renv.push_back("KQ_SHIM_NO_NOREPLACE=1");
            f.Run(random() % 2 ? std::vector<std::string>{"recover"} : std::vector<std::string>{"recover", "--finish"}, renv);
        }
        auto last = f.Run({"recover"});
        SCOPED_TRACE("case " + std::to_string(c) + ": " + last.m_strOut);
        EXPECT_EQ(last.m_nExitCode, 0);
        Files now = Contents(f.dir);
        EXPECT_EQ(now.size(), from.size());
        for (const auto& [name, content] : now) {
            auto found = expect.find(content);
            ASSERT_NE(found, expect.end()) << name;
            EXPECT_TRUE(name == found->second.first || name == found->second.second) << name << " holds " << content;
        }
        EXPECT_TRUE(f.Journals().empty());
    }
}

}  // namespace
}  // namespace kq

#endif
