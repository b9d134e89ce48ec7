#include "renamer/safety/RenameRecover.h"

#include <algorithm>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <unordered_set>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "renamer/safety/RenameExecutor.h"
#include "renamer/safety/RenameJournal.h"
#include "renamer/list/NameTable.h"
#include "renamer/safety/RenamePlan.h"

namespace kq {

namespace {

constexpr size_t kNoMove = static_cast<size_t>(-1);

// Where the listing's node numbers are the files' own (byListing), a name it
// lists under that very spelling is not asked again: its node is there.
bool HoldsFileOf(const CFolderHandle& handle, const std::u16string& folder, const CListedNames& listed, bool byListing,
                 const std::u16string& name, const CJournalMove& move)
{
    if (name.empty() || !listed.Has(name)) return false;
    uint64_t node = 0;
    bool isDirectory = false;
    if (byListing && !move.m_bStamped && listed.ListedEntry(name, node, isDirectory)) return node == move.m_nNode;
    CFileId id;
    CFileStamp stamp;
    const bool found =
        handle.IsOpen() ? handle.GetEntryFacts(name, id, stamp) : GetFileFacts(JoinPath(folder, name), id, stamp);
    return found && IsFileOfMove(move, id, stamp);
}

// Where each move's file is now: one of its names (old, temporary, new) that
// holds its file (by node, or by size and time). A name counts for one move
// only: with hard links (or files alike in size and time) two moves can
// share an identity, and a name that is one move's old name and another's new
// name belongs to the second only once the first has left it. A file found
// under two of its own names (a link made, the unlink not yet) keeps the
// wanted one and loses the other.
std::vector<const std::u16string*> LocateFiles(const std::u16string& folder, std::vector<CJournalMove>& moves,
                                               bool finish, const CListedNames& listed)
{
    const size_t n = moves.size();
    auto names = [&](size_t i) {
        return std::array<const std::u16string*, 3>{&moves[i].m_strTemp, &moves[i].m_strOld, &moves[i].m_strNew};
    };
    // Only moves of one node (hard links) can share a name: the moves by
    // node, and for each move of a shared node where its group starts.
    std::vector<std::pair<uint64_t, size_t>> byNode(n);
    // Files known by size and time group by those instead (a hash: equal
    // keys are confirmed with SameFileOfMoves).
    auto key = [&](size_t i) {
        const CJournalMove& m = moves[i];
        return m.m_bStamped ? (m.m_stamp.m_nSize * 0x9E3779B97F4A7C15ull) ^ uint64_t(m.m_stamp.m_nModified) : m.m_nNode;
    };
    for (size_t i = 0; i < n; ++i) byNode[i] = {key(i), i};
    std::sort(byNode.begin(), byNode.end());
    std::vector<size_t> groupOf(n, kNoMove);
    for (size_t k = 0; k + 1 < n; ++k) {
        if (byNode[k].first != byNode[k + 1].first) continue;
        const size_t start = k > 0 && byNode[k - 1].first == byNode[k].first ? groupOf[byNode[k - 1].second] : k;
        groupOf[byNode[k].second] = start;
        groupOf[byNode[k + 1].second] = start;
    }
    // The first other move of the same node that uses the name, or kNoMove.
    auto sharedWithSameNode = [&](size_t i, const std::u16string& name) {
        if (groupOf[i] == kNoMove) return kNoMove;
        for (size_t k = groupOf[i]; k < n && byNode[k].first == byNode[groupOf[i]].first; ++k) {
            const size_t j = byNode[k].second;
            if (j == i || !SameFileOfMoves(moves[j], moves[i])) continue;
            for (const std::u16string* other : names(j))
                if (!other->empty() && *other == name) return j;
        }
        return kNoMove;
    };
    CFolderHandle handle;
    handle.Open(folder);
    const bool byListing = listed.NodesAreTheFiles(folder);
    std::vector<const std::u16string*> located(n, nullptr);
    // The names of a move that another move of its node also uses, by move
    // in order: few moves have any, so they are not kept per move.
    std::vector<std::pair<size_t, const std::u16string*>> ambiguous;
    std::vector<const std::u16string*> held;
    for (size_t i = 0; i < n; ++i) {
        held.clear();
        for (const std::u16string* name : names(i)) {
            if (!HoldsFileOf(handle, folder, listed, byListing, *name, moves[i])) continue;
            if (sharedWithSameNode(i, *name) != kNoMove)
                ambiguous.emplace_back(i, name);
            else
                held.push_back(name);
        }
        if (held.empty()) continue;
        const std::u16string& wanted = finish ? moves[i].m_strNew : moves[i].m_strOld;
        located[i] = held[0];
        // A file system that ignores case finds one entry under each
        // spelling of its name: it is where the folder lists it, and no
        // spelling of it is a second name to remove.
        const std::u16string* listedAs = nullptr;
        size_t spelledAsListed = 0;
        bool sameButCase = true;
        for (const std::u16string* name : held) {
            sameButCase = sameButCase && NamesEqual(*name, *held[0], ENamePolicy::AsciiCaseInsensitive);
            if (*name == listed.Spelling(*name)) {
                listedAs = name;
                ++spelledAsListed;
            }
        }
        if (held.size() > 1 && sameButCase && spelledAsListed == 1) {
            located[i] = listedAs;
        } else if (held.size() > 1) {
            // Cut between link and unlink: the same file under two names.
            CFileId a, b;
            for (const std::u16string* name : held)
                if (*name == wanted) located[i] = name;
            for (const std::u16string* name : held) {
                if (name == located[i]) continue;
                if (GetFileId(JoinPath(folder, *located[i]), false, a) &&
                    GetFileId(JoinPath(folder, *name), false, b) && a == b)
                    RemoveFile(JoinPath(folder, *name));
            }
        }
    }
    // Shared names: settle them once the other user's place is known.
    for (bool changed = true; changed;) {
        changed = false;
        for (const auto& [i, name] : ambiguous) {
            if (located[i]) continue;
            const size_t j = sharedWithSameNode(i, *name);
            // Whichever role the name plays for i, it is i's once j is
            // known to be under another name.
            if (located[j] && *located[j] != *name) {
                located[i] = name;
                changed = true;
            }
        }
    }
    // Still open: nothing has moved between them; an old name is its own.
    size_t move = kNoMove;
    bool open = false;
    for (const auto& [i, name] : ambiguous) {
        if (i != move) {
            move = i;
            open = !located[i];
        }
        if (!open) continue;
        const size_t j = sharedWithSameNode(i, *name);
        if (name == &moves[i].m_strOld && !(located[j] && *located[j] == *name)) located[i] = name;
    }
    return located;
}

// A run cut short on a file system with neither RENAME_NOREPLACE nor hard
// links can leave the empty placeholder a move reserved its target with.
// Holding none of the journal's files, it goes. A name located holding its
// move's file by node holds one of them: it is not asked again.
void RemovePlaceholders(const std::u16string& folder, const std::vector<CJournalMove>& moves,
                        const CListedNames& listed, const std::vector<const std::u16string*>& located)
{
    std::unordered_set<uint64_t> nodes;  // the journal's trusted nodes, once a placeholder is met
    for (size_t i = 0; i < moves.size(); ++i) {
        const CJournalMove& move = moves[i];
        for (const std::u16string* name : {&move.m_strOld, &move.m_strTemp, &move.m_strNew}) {
            if (name->empty() || !listed.Has(*name)) continue;
            if (!move.m_bStamped && located[i] == name) continue;
            uint64_t node = 0;
            const std::u16string path = JoinPath(folder, *name);
            if (!IsMovePlaceholder(path, node)) continue;
            if (nodes.empty())
                for (const CJournalMove& m : moves)
                    if (!m.m_bStamped) nodes.insert(m.m_nNode);
            if (!nodes.count(node)) RemoveFile(path);
        }
    }
}

// In a folder the journal's note names, a move may have reserved any of its
// names with a placeholder that looks like any empty file (exFAT keeps no
// permissions). An empty regular file under a journal name that holds none
// of the journal's files, as located, is one, and goes.
void RemoveNotedPlaceholders(const std::u16string& folder, const std::vector<CJournalMove>& moves,
                             const std::vector<const std::u16string*>& located)
{
    std::unordered_set<std::u16string> names;
    std::vector<CFileId> files;  // as they are now: another name of one is no placeholder
    for (const std::u16string* name : located) {
        CFileId id;
        if (name && GetFileId(JoinPath(folder, *name), false, id)) files.push_back(id);
    }
    for (const CJournalMove& move : moves) {
        for (const std::u16string* name : {&move.m_strOld, &move.m_strTemp, &move.m_strNew}) {
            if (name->empty() || !names.insert(*name).second) continue;
            const std::u16string path = JoinPath(folder, *name);
            CFileId id;
            CFileStamp stamp;
            if (!IsPlainFile(path) || !GetFileFacts(path, id, stamp) || stamp.m_nSize != 0) continue;
            bool ours = false;
            for (const CFileId& file : files) ours = ours || file == id;
            if (!ours) RemoveFile(path);
        }
    }
}

// One folder of the journal: where its files were found and the plan that
// takes them where they belong.
struct CRecoverFolder {
    std::vector<const std::u16string*> m_aLocated;  // by move
    std::deque<std::u16string> m_aNames;            // parking names rows start from, copied
    CFolderPlan* m_pPlan = nullptr;
};

// The folder's entries, plus parking names the journal gives that are not on
// the disk: the planner must not pick one of them for another file.
CFolderEntries ReadEntries(const std::u16string& folder, const std::vector<CJournalMove>& moves)
{
    CFolderEntries entries;
    entries.Reserve(moves.size() + 16, moves.empty() ? 8 : moves[0].m_strOld.size() + 4);
    ForEachFolderEntryId(folder, [&](std::u16string_view name, bool isDirectory, uint64_t node) {
        if (name != u"." && name != u"..") entries.Add(name, isDirectory, node);
        return true;
    });
    for (const CJournalMove& move : moves)
        if (!move.m_strTemp.empty() && !PathExists(JoinPath(folder, move.m_strTemp)))
            entries.Add(move.m_strTemp, true, 0);  // as a folder: no row matches it
    return entries;
}

}  // namespace

ERecoverResult RecoverJournal(const std::u16string& path, bool finish, std::vector<CRecoverLine>& report)
{
    // A live run holds a lock on its journal; a second recover holds one
    // beside it.
    if (CFileLock::IsHeld(path)) return kRecoverBusy;
    const std::u16string lockPath = path + u".lock";
    CFileLock lock;
    if (!lock.TryLock(lockPath, true)) return kRecoverBusy;
    std::vector<CJournalFolder> folders;
    switch (ReadJournalFile(path, folders)) {
    case EStoredRead::Read: break;
    case EStoredRead::Damaged: return kRecoverDamaged;
    case EStoredRead::Unreadable: return kRecoverUnreadable;
    }

    // The folders are held as a rename holds them, so that no rename starts
    // in one of them while its files are put back.
    std::u16string journalFolder, journalName;
    SplitPath(path, journalFolder, journalName);
    std::vector<std::unique_ptr<CFileLock>> folderLocks;
    for (const CJournalFolder& folder : folders) {
        CFileId id;
        if (!GetFileId(folder.m_strFolder, true, id)) continue;
        std::unique_ptr<CFileLock> folderLock = LockFolderRun(journalFolder, id);
        if (!folderLock) return kRecoverBusy;
        folderLocks.push_back(std::move(folderLock));
    }

    // Every file found away from its wanted name is one row of a plan, from
    // where it is to where it belongs.
    std::vector<CRecoverFolder> state(folders.size());
    std::deque<CFolderPlan> plans;
    bool tempsAdded = false;
    std::vector<std::u16string> noted = ReadPlaceholderNote(path);
    for (size_t f = 0; f < folders.size(); ++f) {
        const std::u16string& folder = folders[f].m_strFolder;
        std::vector<CJournalMove>& moves = folders[f].m_aMoves;
        CRecoverFolder& s = state[f];
        {
            // Placeholders never hold a journal's file, so where the files
            // are does not depend on them.
            const CListedNames listed(folder, moves.size() + 16);
            s.m_aLocated = LocateFiles(folder, moves, finish, listed);
            RemovePlaceholders(folder, moves, listed, s.m_aLocated);
        }
        if (std::find(noted.begin(), noted.end(), folder) != noted.end())
            RemoveNotedPlaceholders(folder, moves, s.m_aLocated);
        auto away = [&](size_t i) {
            const std::u16string& wanted = finish ? moves[i].m_strNew : moves[i].m_strOld;
            return s.m_aLocated[i] && *s.m_aLocated[i] != wanted;
        };
        size_t count = 0;
        for (size_t i = 0; i < moves.size(); ++i) count += away(i) ? 1 : 0;
        if (count == 0) continue;
        std::vector<CPlanRow> rows;
        rows.reserve(count);
        for (size_t i = 0; i < moves.size(); ++i) {
            if (!away(i)) continue;
            const std::u16string& wanted = finish ? moves[i].m_strNew : moves[i].m_strOld;
            // Old and new names stay as they are; a parking name may be
            // given to the move below, so the row keeps a copy of it.
            const std::u16string& from =
                s.m_aLocated[i] == &moves[i].m_strTemp ? s.m_aNames.emplace_back(*s.m_aLocated[i]) : *s.m_aLocated[i];
            rows.push_back({i, from, wanted});
        }
        CFolderPlan& plan =
            plans.emplace_back(DefaultNamePolicy(), folder, ReadEntries(folder, moves), std::move(rows));
        plan.KeepNamesAsGiven();
        plan.MatchRows();
        plan.PlanMoves();
        s.m_pPlan = &plan;
        // A cycle parks its first file: the journal learns the parking name
        // before anything moves.
        for (const CPlanJob& job : plan.Jobs()) {
            if (!job.IsCycle()) continue;
            const size_t move = plan.Rows()[plan.StepsOf(job)[0].m_nRow].m_nListRow;
            moves[move].m_strTemp = plan.Names().Name(job.m_nTemp);
            tempsAdded = true;
        }
    }
    // A journal that cannot learn its parking names stays as it is, and
    // nothing moves: a file parked without a record would be lost to recover.
    if (tempsAdded && !WriteJournal(path, folders)) return kRecoverUnrecorded;

    static const std::function<void(size_t)> kNoProgress;
    CRenameExecutor executor(kNoProgress);
    // Recover's own moves over placeholders are noted as a run's are.
    executor.SetPlaceholderGate([&](const std::u16string& folder) {
        if (std::find(noted.begin(), noted.end(), folder) != noted.end()) return true;
        noted.push_back(folder);
        if (WritePlaceholderNote(path, noted)) return true;
        noted.pop_back();
        return false;
    });
    // What became of each move, folder by folder; the plans go before the
    // lines are made, which then have their memory.
    std::vector<std::vector<ERowOutcome>> outcomes(folders.size());
    for (size_t f = 0; f < folders.size(); ++f) {
        const CRecoverFolder& s = state[f];
        std::vector<ERowOutcome>& outcomeOfMove = outcomes[f];
        outcomeOfMove.assign(folders[f].m_aMoves.size(), ERowOutcome::Failed);
        if (s.m_pPlan) {
            const CFolderOutcome outcome = executor.Run(*s.m_pPlan);
            for (size_t r = 0; r < s.m_pPlan->Rows().size(); ++r)
                outcomeOfMove[s.m_pPlan->Rows()[r].m_nListRow] = outcome.m_aRows[r];
        }
    }
    plans.clear();
    for (CRecoverFolder& s : state) s.m_pPlan = nullptr;
    bool complete = true;
    size_t lines = report.size();
    for (const CJournalFolder& folder : folders) lines += folder.m_aMoves.size();
    report.reserve(lines);
    // The journal is read no more: the lines take its names over instead of
    // copying them, and each folder's moves go once their lines are made.
    for (size_t f = 0; f < folders.size(); ++f) {
        CRecoverFolder& s = state[f];
        const std::vector<ERowOutcome>& outcomeOfMove = outcomes[f];
        for (size_t i = 0; i < folders[f].m_aMoves.size(); ++i) {
            CJournalMove& move = folders[f].m_aMoves[i];
            std::u16string& wanted = finish ? move.m_strNew : move.m_strOld;
            CRecoverLine line;
            line.m_strFolder = folders[f].m_strFolder;
            if (!s.m_aLocated[i]) {
                line.m_eOutcome = kRecoverNotFound;
            } else {
                if (*s.m_aLocated[i] == wanted)
                    line.m_eOutcome = kRecoverInPlace;
                else
                    line.m_eOutcome = outcomeOfMove[i] == ERowOutcome::Moved ? kRecoverMoved : kRecoverBlocked;
                // located is one of the move's own names.
                std::u16string& from = s.m_aLocated[i] == &move.m_strTemp  ? move.m_strTemp
                                       : s.m_aLocated[i] == &move.m_strOld ? move.m_strOld
                                                                           : move.m_strNew;
                if (&from == &wanted)
                    line.m_strFrom = wanted;
                else
                    line.m_strFrom = std::move(from);
            }
            line.m_strTo = std::move(wanted);
            if (line.m_eOutcome >= kRecoverNotFound) complete = false;
            report.push_back(std::move(line));
        }
        std::vector<CJournalMove>().swap(folders[f].m_aMoves);
        std::vector<const std::u16string*>().swap(s.m_aLocated);
        std::deque<std::u16string>().swap(s.m_aNames);
    }
    if (complete) {
        RemoveFile(path);
        RemoveFile(PlaceholderNotePath(path));
    }
    return complete ? kRecoverDone : kRecoverPartly;
}

}  // namespace kq
