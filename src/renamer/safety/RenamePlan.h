// The rename planner: from one folder's entries and the rows that rename
// files in it, which rows move, whether their new names collide, and the
// order of the moves. Pure: it reads and writes no file, so every plan can be
// checked in memory.
//
// The rows of a folder form a partial permutation of names (once the
// collision check passes no two files end under one name), so the moves
// split into chains that end at a free name and cycles. A chain runs from its
// free end, so each target is free when its move runs; only a cycle passes
// one file through a parking name.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "renamer/list/NameTable.h"

namespace kq {

// A folder's entries as read from the disk, their names one after another.
class CFolderEntries {
public:
    void Reserve(size_t entries, size_t averageUnits);
    void Add(std::u16string_view name, bool isDirectory, uint64_t node);
    size_t Count() const { return m_aNameEnd.size(); }
    std::u16string_view Name(size_t e) const
    {
        const size_t begin = e == 0 ? 0 : m_aNameEnd[e - 1];
        return std::u16string_view(m_strPool).substr(begin, m_aNameEnd[e] - begin);
    }
    uint64_t Node(size_t e) const { return m_aNodes[e]; }
    void SetNode(size_t e, uint64_t node) { m_aNodes[e] = node; }
    bool IsDirectory(size_t e) const { return m_aIsDir[e] != 0; }

private:
    std::u16string m_strPool;
    std::vector<size_t> m_aNameEnd;  // end of each entry's name in the pool
    std::vector<uint64_t> m_aNodes;
    std::vector<char> m_aIsDir;
};

// Reads a folder's entries ("." and ".." aside), with room for about
// expected entries of averageUnits units. A folder that cannot be read has none.
CFolderEntries ReadFolderEntries(std::u16string_view folder, size_t expected, size_t averageUnits);
// How many files are asked before a listing's node numbers stand for all.
constexpr size_t kListedNodeSamples = 16;
// Whether the node numbers the listing gave the entries entryAt(0 .. count-1)
// are the ones the files report, asked of up to samples of them, evenly
// spread (the first and the last included).
template <class EntryAt>
bool ListedNodesAgree(std::u16string_view folder, const CFolderEntries& entries, size_t count, size_t samples,
                      const EntryAt& entryAt)
{
    if (count == 0) return true;
    CFolderHandle handle;
    if (samples == 0 || !handle.Open(folder)) return false;
    const size_t asked = std::min(samples, count);
    for (size_t k = 0; k < asked; ++k) {
        const size_t e = entryAt(asked == 1 ? 0 : k * (count - 1) / (asked - 1));
        CFileId id;
        CFileStamp stamp;
        if (!handle.GetEntryFacts(entries.Name(e), id, stamp) || id.m_nNode != entries.Node(e)) return false;
    }
    return true;
}

// The names a folder held when it was listed, to be asked before a query of
// the disk: a name it does not list needs no query (a journal or a history
// of a million moves names two million files, half of them gone). Names are
// compared as the rename compares them in that folder.
class CListedNames {
public:
    CListedNames(std::u16string_view folder, size_t expected, size_t averageUnits = 16);
    // The folder could not be listed (or was empty): every name may be there.
    bool Has(std::u16string_view name) const { return m_entries.Count() == 0 || m_table.Contains(name); }
    // The spelling the folder lists name under ("" when unknown).
    std::u16string_view Spelling(std::u16string_view name) const
    {
        const size_t e = m_entries.Count() == 0 ? kNoName : m_table.Find(name);
        return e == kNoName ? std::u16string_view() : m_entries.Name(e);
    }
    // Whether the listing's node numbers can stand for the files' own: the
    // file system lists them (FolderListsFileNodes) and a sample agrees.
    bool NodesAreTheFiles(std::u16string_view folder) const;
    // The node number of the entry the folder lists under exactly that
    // name, and whether it is a folder; false when it lists none.
    bool ListedEntry(std::u16string_view name, uint64_t& node, bool& isDirectory) const
    {
        const size_t e = m_entries.Count() == 0 ? kNoName : m_table.Find(name);
        if (e == kNoName || m_entries.Name(e) != name) return false;
        node = m_entries.Node(e);
        isDirectory = m_entries.IsDirectory(e);
        return true;
    }

private:
    struct CEntryName {
        const CFolderEntries* m_pEntries;
        std::u16string_view operator()(size_t e) const { return m_pEntries->Name(e); }
    };
    CFolderEntries m_entries;
    CNameTable<CEntryName> m_table;
};

// Finds the file each row renames: entryOfRow[r] is the entry found by
// findEntry(oldName(r)), unless it is a folder or an earlier row names it
// already (only possible through SetText), and rowOfEntry[e] the row back;
// kNoName elsewhere.
template <class OldName, class FindEntry>
void MatchEntryRows(const CFolderEntries& entries, size_t rowCount, const OldName& oldName, const FindEntry& findEntry,
                    std::vector<size_t>& rowOfEntry, std::vector<size_t>& entryOfRow)
{
    rowOfEntry.assign(entries.Count(), kNoName);
    entryOfRow.assign(rowCount, kNoName);
    for (size_t r = 0; r < rowCount; ++r) {
        const size_t e = findEntry(oldName(r));
        if (e != kNoName && rowOfEntry[e] == kNoName && !entries.IsDirectory(e)) {
            rowOfEntry[e] = r;
            entryOfRow[r] = e;
        }
    }
}

// The names a folder's entries have after the run (nameAfter(e)) that clash:
// visit(e, holder) hears of every file whose name afterwards is already the
// name of an earlier file, holder being the first file with that name; with
// withFolders also of every file whose name afterwards is a folder's (holder
// is the folder). visit returns false to stop. hashAfter(e) is the
// HashName of nameAfter(e) under the policy, for callers that keep it.
// Entries is CFolderEntries or anything with its Count, IsDirectory and Name.
template <class Entries, class NameAfter, class HashAfter, class Visit>
void ForEachNameClashHashed(ENamePolicy policy, const Entries& entries, const NameAfter& nameAfter,
                            const HashAfter& hashAfter, bool withFolders, const Visit& visit)
{
    const size_t count = entries.Count();
    CNameTable future(
        policy, [&](size_t e) { return nameAfter(e); }, count);
    for (size_t e = 0; e < count; ++e) {
        if (entries.IsDirectory(e)) continue;
        const uint64_t hash = hashAfter(e);
        if (future.InsertHashed(e, hash)) continue;
        if (!visit(e, future.FindHashed(nameAfter(e), hash))) return;
    }
    if (!withFolders) return;
    for (size_t e = 0; e < count; ++e) {
        if (!entries.IsDirectory(e)) continue;
        const size_t file = future.Find(entries.Name(e));
        if (file != kNoName && !visit(file, e)) return;
    }
}
template <class NameAfter, class Visit>
void ForEachNameClash(ENamePolicy policy, const CFolderEntries& entries, const NameAfter& nameAfter, bool withFolders,
                      const Visit& visit)
{
    ForEachNameClashHashed(
        policy, entries, nameAfter, [&](size_t e) { return HashName(nameAfter(e), policy); }, withFolders, visit);
}

// A row of the list that renames a file of the folder (40 bytes: rows are
// counted in 32 bits).
struct CPlanRow {
    CPlanRow(size_t listRow, std::u16string_view oldName, std::u16string_view newName, bool keepsName = false)
        : m_strOld(oldName), m_strNew(newName), m_nListRow(static_cast<uint32_t>(listRow)), m_bKeepsName(keepsName)
    {}
    std::u16string_view m_strOld;     // the name the list knows it by
    std::u16string_view m_strNew;     // as computed; stored without trailing dots and spaces
    uint32_t m_nListRow;              // its place in the list; numbers its parking name
    bool m_bKeepsName;                // its name could not be computed: the file stays and the row fails
};

// What the plan expects of a row before anything runs.
enum class ERowPlan : char {
    Refused,    // no such file, a folder, listed twice, or an unusable name: stays
    Unchanged,  // the new name is the old one: done without a move
    Moves,      // a move of its own (it may still be held up by a file that stays)
    Changed,    // the file under the old name is not the one the caller expects: stays
};

// Whether the file found for a list row is the one the caller means (undo:
// the one the history recorded), from its identity and stamp, and its
// creation time where the file system gives one.
using FileCheck = std::function<bool(size_t listRow, const CFileId& id, const CFileStamp& stamp,
                                     std::optional<int64_t> created)>;

// One move: a row and its old and new names, as positions in the plan's
// names. The new name is added right after the old one, so a name's length
// (a file name's, far below 2^32) says where it is: 16 bytes a move.
struct CPlanStep {
    CPlanStep() = default;
    CPlanStep(size_t row, size_t oldAt, size_t newAt)
        : m_nOld(oldAt), m_nRow(static_cast<uint32_t>(row)), m_nNewPastOld(static_cast<uint32_t>(newAt - oldAt))
    {}
    size_t m_nOld = 0;
    uint32_t m_nRow = 0;  // the row's position in the plan's rows
    uint32_t m_nNewPastOld = 0;
    size_t New() const { return m_nOld + m_nNewPastOld; }
};

// A chain or a cycle: a range of the plan's steps, in execution order. A
// cycle parks its first file, shifts the others along and brings the parked
// file in last.
// Rows are counted in 32 bits (a list has fewer than 2^31), so a job and
// the order of its steps take 24 bytes and 4 a move.
struct CPlanJob {
    uint64_t m_nNode = 0;          // node of the first file, the order jobs run in
    size_t m_nTemp = kNoName;      // a cycle's parking name (a position in the names); none for a chain
    uint32_t m_nFirst = 0;
    uint32_t m_nCount = 0;
    bool IsCycle() const { return m_nTemp != kNoName; }
};

class CFolderPlan;
// A job's steps in the order they run: steps[s] is the job's move s.
class CJobSteps {
public:
    CJobSteps(const CFolderPlan& plan, const CPlanJob& job) : m_plan(plan), m_nFirst(job.m_nFirst) {}
    inline const CPlanStep& operator[](size_t s) const;

private:
    const CFolderPlan& m_plan;
    size_t m_nFirst;
};

// The plan of one folder. It keeps views into the entries and the rows'
// texts, which must outlive it; it stays where it was made.
class CFolderPlan {
public:
    CFolderPlan(ENamePolicy policy, std::u16string folder, CFolderEntries entries, std::vector<CPlanRow> rows);
    CFolderPlan(const CFolderPlan&) = delete;
    CFolderPlan& operator=(const CFolderPlan&) = delete;

    // New names go to the disk exactly as given, trailing dots and spaces
    // included: recover's names are names files had. Before MatchRows.
    void KeepNamesAsGiven() { m_bNamesAsGiven = true; }
    // Finds each row's file and the rows that move.
    void MatchRows();
    // The name two of the folder's files would share afterwards (entries
    // that are folders aside), if any; nothing may move then.
    std::optional<std::u16string> FindCollision() const;
    // Takes the identity of each moving row's file from the file itself
    // (fstatat), not from the listing, whose node numbers the journal, the
    // history and recover could not find again on every file system (where
    // FolderListsFileNodes says they can, a caller without a check may
    // keep the listing's). A row
    // whose file cannot be asked stays, as if it were gone. With SizeAndTime
    // the file's size and modification time are taken too, for the journal
    // and the history. With check, a row whose file fails it stays
    // (ERowPlan::Changed). After MatchRows.
    void TakeNodesFromFiles(EFileIdentity identity = EFileIdentity::Node, const FileCheck* check = nullptr);
    // Whether the listing's node numbers are those fstatat gives for up to
    // samples moving rows spread over the folder (all of them when fewer):
    // where FolderListsFileNodes vouches for the file system, the sample
    // guards against a layer in between that numbers the listing its own way.
    bool ListingNodesAgree(size_t samples = kListedNodeSamples) const;
    // Orders the moves into chains and cycles, picks the parking names and
    // sorts the jobs by node: consecutive moves then update neighbouring
    // inodes, which the file system writes back together.
    void PlanMoves();

    // The journal records: the folder and its moves (in row order), then,
    // once planned, the folder again and its cycles' parking names.
    bool HasMoves() const { return !m_aMoving.empty(); }
    void AppendJournalMoves(std::string& out) const;
    // The same in pieces: from moving row from on (the folder line first
    // when from is 0) until out holds limit bytes or more; returns the
    // moving row to go on from, Moving().size() once all are written.
    size_t AppendJournalMoves(std::string& out, size_t from, size_t limit) const;
    void AppendJournalTemps(std::string& out) const;

    const std::u16string& Folder() const { return m_strFolder; }
    const std::vector<CPlanRow>& Rows() const { return m_aRows; }
    ERowPlan RowPlan(size_t row) const { return m_aPlan[row]; }
    const CNativeNames& Names() const { return m_names; }
    const std::vector<CPlanStep>& Moving() const { return m_aMoving; }
    const std::vector<CPlanJob>& Jobs() const { return m_aJobs; }
    CJobSteps StepsOf(const CPlanJob& job) const { return CJobSteps(*this, job); }
    // Step s of the execution order (of every job, one after another).
    const CPlanStep& Step(size_t s) const { return m_aMoving[m_aSteps[s]]; }
    // Whether MatchRows found the row's file (a file, not a folder).
    bool HasFile(size_t row) const { return m_aEntryOfRow[row] != kNoName; }
    // The node of the file a moving row renames.
    uint64_t NodeOfRow(size_t row) const { return m_entries.Node(m_aEntryOfRow[row]); }
    // The stamp of that file where files are known by size and time, else nullptr.
    const CFileStamp* StampOfRow(size_t row) const { return m_aStamps.empty() ? nullptr : &m_aStamps[row]; }

private:
    struct CEntryName {
        const CFolderEntries* m_pEntries;
        std::u16string_view operator()(size_t e) const { return m_pEntries->Name(e); }
    };
    struct CTargetName {  // a moving row's new name
        const CFolderPlan* m_pPlan;
        std::u16string_view operator()(size_t m) const { return m_pPlan->Target(m_pPlan->m_aMoving[m].m_nRow); }
    };
    struct CParkingName {
        const CFolderPlan* m_pPlan;
        std::u16string_view operator()(size_t p) const { return m_pPlan->m_aParking[p]; }
    };
    // The name a row's file is to have on the disk.
    std::u16string_view Target(size_t row) const
    {
        return m_bNamesAsGiven ? m_aRows[row].m_strNew : StoredFileName(m_aRows[row].m_strNew);
    }
    // The name an entry has after the run, as far as the rows decide.
    std::u16string_view NameAfter(size_t e) const;
    // Where a moving row stands while the jobs are formed.
    enum class EPlacement : char { Open, Runs, HeldUp };
    void AddJob(size_t firstMove, bool runs, const std::vector<uint32_t>& pred, std::vector<EPlacement>& placed);
    size_t PickParkingName(size_t number);

    ENamePolicy m_ePolicy;
    bool m_bNamesAsGiven = false;
    std::u16string m_strFolder;
    CFolderEntries m_entries;
    std::vector<CPlanRow> m_aRows;
    CNameTable<CEntryName> m_existing;    // entry name -> entry
    std::vector<size_t> m_aRowOfEntry;    // entry -> the row that renames it
    std::vector<size_t> m_aEntryOfRow;    // row -> its entry
    std::vector<ERowPlan> m_aPlan;
    std::vector<CFileStamp> m_aStamps;    // by row, with EFileIdentity::SizeAndTime only
    CNativeNames m_names;                 // the names the moves use, converted once
    std::vector<CPlanStep> m_aMoving;     // the rows that move, in row order
    std::vector<uint32_t> m_aSteps;       // the same in execution order (positions in it), blocked chains left out
    std::vector<CPlanJob> m_aJobs;
    // Parking names must be free of entries, new names and each other.
    std::vector<std::u16string> m_aParking;
    CNameTable<CTargetName> m_targets;    // filled at the first cycle
    CNameTable<CParkingName> m_parked;
    std::string m_strJournalTemps;        // the parking names' journal records
};

inline const CPlanStep& CJobSteps::operator[](size_t s) const { return m_plan.Step(m_nFirst + s); }

}  // namespace kq
