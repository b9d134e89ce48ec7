// Journals and history records are read in pieces, whatever their size; only
// bytes that are no journal (or no regular file) make one damaged.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/safety/RenameHistory.h"
#include "renamer/safety/RenameJournal.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CTempDir;

constexpr std::string_view kHeader = "KQTOOLS-RENAME-JOURNAL 1\n";

// A move line with a stamp knows its file by size and time; one without (as
// every earlier journal and history record wrote it) by its node.
TEST(RenameJournal, StampsAreOptionalFieldsOfAMove)
{
    const struct {
        std::string line;
        bool parses;
        bool stamped;
        CFileStamp stamp;
    } cases[] = {
        {"M\t7\ta\t\tb", true, false, {}},
        {"M\t7\ta\t\tb\t12\t1700000000123456789", true, true, {12, 1700000000123456789}},
        {"M\t7\ta\t\tb\t0\t-5000000000", true, true, {0, -5000000000}},  // before 1970
        {"M\t7\ta\t\tb\t12", false, false, {}},
        {"M\t7\ta\t\tb\t-1\t5", false, false, {}},
        {"M\t7\ta\t\tb\t1\t5x", false, false, {}},
        {"M\t7\ta\t\tb\t\t5", false, false, {}},
        {"M\t99999999999999999999\ta\t\tb", false, false, {}},  // beyond 64 bits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        std::vector<CJournalFolder> folders;
        ASSERT_EQ(ParseJournal(std::string(kHeader) + "D\t/f\n" + c.line + "\n", folders), c.parses);
        if (!c.parses) continue;
        const CJournalMove& move = folders[0].m_aMoves[0];
        EXPECT_EQ(move.m_bStamped, c.stamped);
        EXPECT_EQ(move.m_stamp, c.stamp);
        // And back: the same line.
        std::string again;
        AppendJournalMove(again, move.m_nNode, move.m_strOld, move.m_strTemp, move.m_strNew,
                          move.m_bStamped ? &move.m_stamp : nullptr);
        EXPECT_EQ(again, c.line + "\n");
    }
    // Identity by stamp ignores the node, by node ignores the stamp.
    CJournalMove byNode, byStamp;
    byNode.m_nNode = byStamp.m_nNode = 7;
    byStamp.m_bStamped = true;
    byStamp.m_stamp = {12, 34};
    EXPECT_TRUE(IsFileOfMove(byNode, {1, 7}, {99, 99}));
    EXPECT_FALSE(IsFileOfMove(byNode, {1, 8}, {12, 34}));
    EXPECT_TRUE(IsFileOfMove(byStamp, {1, 8}, {12, 34}));
    EXPECT_FALSE(IsFileOfMove(byStamp, {1, 7}, {12, 35}));
}

TEST(JournalFiles, ReadsJournalsBeyondAnyReadLimit)
{
    CTempDir dir;
    // One move whose parking name is given again and again: more bytes than
    // the old whole-file limit, the memory of a single move.
    std::string text(kHeader);
    text += "D\t" + dir.NativePath() + "\nM\t7\told\t\tnew\n";
    const std::string temp = "T\told\t[kqt_tmp]+[name_1].kq-tmp\n";
    while (text.size() <= kReadFileLimit + 4096) text += temp;
    const std::u16string path = dir.Child(u"big.kqjournal");
    ASSERT_TRUE(WriteFileBytes(path, text, false));
    std::vector<CJournalFolder> folders;
    ASSERT_EQ(ReadJournalFile(path, folders), EStoredRead::Read);
    ASSERT_EQ(folders.size(), 1u);
    ASSERT_EQ(folders[0].m_aMoves.size(), 1u);
    EXPECT_EQ(folders[0].m_aMoves[0].m_strTemp, u"[kqt_tmp]+[name_1].kq-tmp");
}

TEST(JournalFiles, TellsDamagedFromUnreadable)
{
    CTempDir dir;
    const std::string good = std::string(kHeader) + "D\t/x\nM\t1\ta\t\tb\n";
    struct CCase {
        const char* what;
        std::string bytes;  // empty: no file
        EStoredRead expected;
    } cases[] = {
        {"good", good, EStoredRead::Read},
        {"cut short", good.substr(0, good.size() - 1), EStoredRead::Damaged},
        {"no journal", "hello\n", EStoredRead::Damaged},
        {"a line without end", std::string(kHeader) + std::string(kMaxJournalLine + 10, 'x'), EStoredRead::Damaged},
        {"missing", "", EStoredRead::Unreadable},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string path = dir.Child(FromUtf8(c.what) + u".kqjournal");
        if (!c.bytes.empty()) {
            ASSERT_TRUE(WriteFileBytes(path, c.bytes, false));
        }
        std::vector<CJournalFolder> folders;
        EXPECT_EQ(ReadJournalFile(path, folders), c.expected);
        EXPECT_EQ(folders.empty(), c.expected != EStoredRead::Read);
    }
#ifndef _WIN32
    // A FIFO named like a journal is no journal, and is never waited on.
    const std::u16string fifo = dir.Child(u"fifo.kqjournal");
    ASSERT_EQ(mkfifo(ToNativeName(fifo).c_str(), 0600), 0);
    std::vector<CJournalFolder> folders;
    EXPECT_EQ(ReadJournalFile(fifo, folders), EStoredRead::Damaged);
#endif
}

// A run is recorded whatever its size, and read back.
TEST(RenameHistory, RecordsARunBeyondAnyReadLimit)
{
    CTempDir folder, journal;
    std::string done(kHeader);
    AppendJournalFolder(done, folder.Path());
    const std::u16string stem(200, u'n');
    size_t moves = 0;
    while (done.size() <= kReadFileLimit + 4096) {
        const std::u16string number = FromUtf8(std::to_string(moves++));
        AppendJournalMove(done, moves, stem + u"-old-" + number, u"", stem + u"-new-" + number);
    }
    ASSERT_TRUE(RecordRenameHistory(journal.Path(), done));
    std::vector<CDamagedRecord> damaged;
    const std::vector<CHistoryRun> runs = ListRenameHistory(journal.Path(), damaged);
    EXPECT_TRUE(damaged.empty());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0].Count(), moves);
}

}  // namespace
}  // namespace kq
