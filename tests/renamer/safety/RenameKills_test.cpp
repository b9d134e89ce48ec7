// Random renames stopped at a random move, by a real kill of the process or
// by an exception out of the progress callback, then recovered back or
// forward: every file ends under exactly its old (or new) name, with its
// contents, and nothing stays parked.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <map>
#include <random>

#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/safety/RenameRecover.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CScriptedPrompt;
using test::CTempDir;

using Files = std::map<std::u16string, std::string>;  // name -> content

struct CStopped {};

// One random plan: files of distinct sizes (so that size and time tell them
// apart), rows that form chains, cycles, swaps and case-only changes.
struct CCase {
    ENamePolicy policy;
    EFileIdentity identity;
    std::vector<std::pair<std::u16string, std::u16string>> rows;
    Files files;
    size_t stopAt;  // the move after which the run stops
    bool kill;
};

CCase MakeCase(uint32_t seed)
{
    std::mt19937 random(seed);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    CCase c;
    c.policy = pick(2) ? ENamePolicy::ExactCase : ENamePolicy::AsciiCaseInsensitive;
    c.identity = pick(2) ? EFileIdentity::Node : EFileIdentity::SizeAndTime;
    const std::vector<std::u16string> pool = {u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h", u"x.txt", u"Y.txt"};
    std::vector<std::u16string> names = pool;
    std::shuffle(names.begin(), names.end(), random);
    const size_t count = 2 + pick(6);
    std::vector<std::u16string> olds(names.begin(), names.begin() + count);
    for (size_t i = 0; i < olds.size(); ++i) c.files[olds[i]] = std::string(i + 1, char('0' + i)) + ToUtf8(olds[i]);
    // Every file moves to a name of the others or to a free one, each name
    // taken once: chains, cycles and swaps, never a collision. A file whose
    // name comes back to it changes only its case (a cycle of one under a
    // policy that ignores case).
    std::vector<std::u16string> targets(names.begin(), names.begin() + long(std::min(names.size(), count + 3)));
    std::shuffle(targets.begin(), targets.end(), random);
    for (size_t i = 0; i < olds.size(); ++i) {
        std::u16string to = targets[i];
        if (to == olds[i])
            for (char16_t& ch : to)
                if (ch >= u'a' && ch <= u'z') ch = char16_t(ch - u'a' + u'A');
        c.rows.emplace_back(olds[i], to);
    }
    c.stopAt = 1 + pick(2 * count);
    c.kill = pick(3) == 0;
    return c;
}

// Runs the rename, stopped after c.stopAt moves; false when it ran to its end.
bool RunStopped(const CCase& c, const CTempDir& dir, const CTempDir& journal)
{
    auto run = [&](bool kill) {
        CScriptedPrompt prompt;
        CFileNameList list(c.policy);
        for (const auto& [from, to] : c.rows) {
            list.AddFile(dir.Child(from));
            list.SetText(list.GetItemCount() - 1, kColNewName, to);
        }
        CRenameOptions options;
        options.m_bConfirmed = true;
        options.m_strJournalFolder = journal.Path();
        options.m_oIdentity = c.identity;
        options.m_pfnAfterMove = [&](size_t moves) {
            if (moves != c.stopAt) return;
#ifndef _WIN32
            if (kill) raise(SIGKILL);
#endif
            throw CStopped{};
        };
        list.ExecuteRename(options);
    };
#ifndef _WIN32
    if (c.kill) {
        const pid_t child = fork();
        if (child == 0) {
            run(true);
            _exit(0);
        }
        int status = 0;
        waitpid(child, &status, 0);
        return WIFSIGNALED(status);
    }
#endif
    try {
        run(false);
    } catch (const CStopped&) {
        return true;
    }
    return false;
}

TEST(RenameKills, RecoverPutsEveryFileUnderItsOldOrNewName)
{
    size_t stopped = 0, killed = 0, parked = 0;
    const uint32_t kCases = 70;
    for (uint32_t seed = 1; seed <= kCases; ++seed) {
        const CCase c = MakeCase(seed);
        for (bool finish : {false, true}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (finish ? " finish" : " back"));
            CTempDir dir, journal;
            for (const auto& [name, content] : c.files) dir.MakeFile(name, content);
            const bool wasStopped = RunStopped(c, dir, journal);
            bool anyParked = false;
            for (const auto& name : dir.List()) anyParked = anyParked || name.find(u".kq-tmp") != std::u16string::npos;
            parked += anyParked;
            for (const std::u16string& path : FindJournals(journal.Path())) {
                if (c.identity == EFileIdentity::SizeAndTime) {
                    // As after a remount of FAT: node numbers made up anew.
                    std::vector<CJournalFolder> folders;
                    ASSERT_TRUE(ReadJournal(path, folders));
                    for (auto& move : folders[0].m_aMoves) {
                        EXPECT_TRUE(move.m_bStamped);
                        move.m_nNode += 100000;
                    }
                    ASSERT_TRUE(WriteJournal(path, folders));
                }
                std::vector<CRecoverLine> report;
                EXPECT_EQ(RecoverJournal(path, finish, report), kRecoverDone);
            }
            // Where each file's contents belong.
            Files expected;
            for (const auto& [from, to] : c.rows)
                expected[wasStopped && !finish ? from : std::u16string(StoredFileName(to))] = c.files.at(from);
            Files now;
            for (const auto& name : dir.List()) now[name] = dir.ReadFile(name);
            EXPECT_EQ(now, expected);
            // No journal, lock or note is left.
            for (const auto& name : journal.List()) EXPECT_EQ(name, u"history");
            if (wasStopped && !finish) {
                ++stopped;
                killed += c.kill;
            }
        }
    }
    // The cases reach every kind of stop, parked files included.
    EXPECT_GT(stopped, kCases / 3);
    EXPECT_GT(killed, kCases / 10);
    EXPECT_GT(parked, size_t(5));
}

}  // namespace
}  // namespace kq
