#include "renamer/safety/RenamePlan.h"

#include <algorithm>

#include "renamer/safety/RenameJournal.h"

namespace kq {

namespace {

// Names that can never be a file's name here.
bool UsableName(std::u16string_view name)
{
    return !name.empty() && name != u"." && name != u".." && name.find(u'\0') == std::u16string_view::npos;
}

using NativeText = std::basic_string_view<CNativeNames::NativeChar>;

// How a moving row's target relates to the other moves.
enum class ETarget : char {
    Free,       // no entry holds it: a chain ends here
    Held,       // a file or folder that stays holds it
    Successor,  // another moving row's file holds it
};

// No move: the end of a chain, or a row that does not move.
constexpr uint32_t kNoMove = 0xFFFFFFFFu;

}  // namespace

void CFolderEntries::Reserve(size_t entries, size_t averageUnits)
{
    m_strPool.reserve(entries * averageUnits);
    m_aNameEnd.reserve(entries);
    m_aNodes.reserve(entries);
    m_aIsDir.reserve(entries);
}

void CFolderEntries::Add(std::u16string_view name, bool isDirectory, uint64_t node)
{
    m_strPool.append(name);
    m_aNameEnd.push_back(m_strPool.size());
    m_aNodes.push_back(node);
    m_aIsDir.push_back(isDirectory ? 1 : 0);
}

CFolderEntries ReadFolderEntries(std::u16string_view folder, size_t expected, size_t averageUnits)
{
    CFolderEntries entries;
    entries.Reserve(expected, averageUnits);
    ForEachFolderEntryId(folder, [&](std::u16string_view name, bool isDirectory, uint64_t node) {
        if (name != u"." && name != u"..") entries.Add(name, isDirectory, node);
        return true;
    });
    return entries;
}

CListedNames::CListedNames(std::u16string_view folder, size_t expected, size_t averageUnits)
    : m_entries(ReadFolderEntries(folder, expected, averageUnits)),
      m_table(DefaultNamePolicy(), CEntryName{&m_entries}, m_entries.Count())
{
    for (size_t e = 0; e < m_entries.Count(); ++e) m_table.Insert(e);
}

bool CListedNames::NodesAreTheFiles(std::u16string_view folder) const
{
    return m_entries.Count() > 0 && FolderListsFileNodes(folder) &&
           ListedNodesAgree(folder, m_entries, m_entries.Count(), kListedNodeSamples, [](size_t e) { return e; });
}

CFolderPlan::CFolderPlan(ENamePolicy policy, std::u16string folder, CFolderEntries entries, std::vector<CPlanRow> rows)
    : m_ePolicy(policy),
      m_strFolder(std::move(folder)),
      m_entries(std::move(entries)),
      m_aRows(std::move(rows)),
      m_existing(policy, CEntryName{&m_entries}, m_entries.Count()),
      m_targets(policy, CTargetName{this}),
      m_parked(policy, CParkingName{this})
{
}

void CFolderPlan::MatchRows()
{
    const size_t count = m_entries.Count();
    for (size_t e = 0; e < count; ++e) m_existing.Insert(e);
    // A second row naming the same file never moves it.
    MatchEntryRows(
        m_entries, m_aRows.size(), [this](size_t r) { return m_aRows[r].m_strOld; },
        [this](std::u16string_view name) { return m_existing.Find(name); }, m_aRowOfEntry, m_aEntryOfRow);

    m_aPlan.assign(m_aRows.size(), ERowPlan::Refused);
    if (!m_aRows.empty()) m_names.Reserve(2 * m_aRows.size(), m_aRows[0].m_strOld.size());
    m_aMoving.reserve(m_aRows.size());
    for (size_t r = 0; r < m_aRows.size(); ++r) {
        const CPlanRow& row = m_aRows[r];
        if (row.m_bKeepsName) continue;
        const std::u16string_view stored = Target(r);
        if (stored == row.m_strOld) {
            m_aPlan[r] = ERowPlan::Unchanged;
            continue;
        }
        if (m_aEntryOfRow[r] == kNoName || !UsableName(stored)) continue;
        m_aPlan[r] = ERowPlan::Moves;
        m_aMoving.push_back({r, m_names.Add(row.m_strOld), m_names.Add(stored)});
    }
}

void CFolderPlan::TakeNodesFromFiles(EFileIdentity identity, const FileCheck* check)
{
    if (m_aMoving.empty()) return;
    CFolderHandle folder;
    const bool open = folder.Open(m_strFolder);
    if (identity == EFileIdentity::SizeAndTime) m_aStamps.assign(m_aRows.size(), CFileStamp{});
    size_t kept = 0;
    for (const CPlanStep& step : m_aMoving) {
        const size_t e = m_aEntryOfRow[step.m_nRow];
        CFileId id;
        CFileStamp stamp;
        const bool found = open && folder.GetEntryFacts(m_entries.Name(e), id, stamp);
        const bool expected = found && (!check || (*check)(m_aRows[step.m_nRow].m_nListRow, id, stamp, std::nullopt));
        if (expected) {
            m_entries.SetNode(e, id.m_nNode);
            if (!m_aStamps.empty()) m_aStamps[step.m_nRow] = stamp;
            m_aMoving[kept++] = step;
        } else {
            m_aPlan[step.m_nRow] = found ? ERowPlan::Changed : ERowPlan::Refused;
            m_aEntryOfRow[step.m_nRow] = kNoName;
            m_aRowOfEntry[e] = kNoName;
        }
    }
    m_aMoving.resize(kept);
}

bool CFolderPlan::ListingNodesAgree(size_t samples) const
{
    return ListedNodesAgree(m_strFolder, m_entries, m_aMoving.size(), samples,
                            [this](size_t m) { return m_aEntryOfRow[m_aMoving[m].m_nRow]; });
}

std::u16string_view CFolderPlan::NameAfter(size_t e) const
{
    const size_t r = m_aRowOfEntry[e];
    if (r == kNoName || m_aRows[r].m_bKeepsName) return m_entries.Name(e);
    // A row whose name cannot be used fails alone and keeps its name.
    const std::u16string_view stored = Target(r);
    return UsableName(stored) ? stored : m_entries.Name(e);
}

std::optional<std::u16string> CFolderPlan::FindCollision() const
{
    std::optional<std::u16string> name;
    ForEachNameClash(
        m_ePolicy, m_entries, [this](size_t e) { return NameAfter(e); }, false,
        [&](size_t e, size_t) {
            name = std::u16string(NameAfter(e));
            return false;
        });
    return name;
}

// Walks back from a chain's free end (or around a cycle) over the rows not
// placed yet; only a job that runs gets steps.
void CFolderPlan::AddJob(size_t firstMove, bool runs, const std::vector<uint32_t>& pred, std::vector<EPlacement>& placed)
{
    CPlanJob job;
    job.m_nFirst = static_cast<uint32_t>(m_aSteps.size());
    job.m_nNode = NodeOfRow(m_aMoving[firstMove].m_nRow);
    for (size_t k = firstMove; k != kNoMove && placed[k] == EPlacement::Open; k = pred[k]) {
        placed[k] = runs ? EPlacement::Runs : EPlacement::HeldUp;
        if (runs) m_aSteps.push_back(static_cast<uint32_t>(k));
    }
    job.m_nCount = static_cast<uint32_t>(m_aSteps.size() - job.m_nFirst);
    if (runs) m_aJobs.push_back(job);
}

void CFolderPlan::PlanMoves()
{
    const size_t n = m_aMoving.size();
    if (n == 0) return;
    // Moves are counted in 32 bits, as rows are.
    std::vector<uint32_t> movingOfRow(m_aRows.size(), kNoMove);
    for (size_t m = 0; m < n; ++m) movingOfRow[m_aMoving[m].m_nRow] = static_cast<uint32_t>(m);
    std::vector<uint32_t> pred(n, kNoMove);
    std::vector<ETarget> target(n, ETarget::Free);
    for (size_t m = 0; m < n; ++m) {
        const size_t e = m_existing.Find(Target(m_aMoving[m].m_nRow));
        const uint32_t next = e == kNoName || m_aRowOfEntry[e] == kNoName ? kNoMove : movingOfRow[m_aRowOfEntry[e]];
        if (next != kNoMove && pred[next] == kNoMove) {
            pred[next] = static_cast<uint32_t>(m);
            target[m] = ETarget::Successor;
        } else {
            // Held by a file or folder that stays (or, were the collision
            // check skipped, wanted by two rows), or free.
            target[m] = e != kNoName ? ETarget::Held : ETarget::Free;
        }
    }
    std::vector<EPlacement> placed(n, EPlacement::Open);
    m_aSteps.reserve(n);
    m_aJobs.reserve(n);
    for (size_t m = 0; m < n; ++m) {
        // A chain whose end is held by a file that stays: none of it moves.
        if (target[m] != ETarget::Successor) AddJob(m, target[m] == ETarget::Free, pred, placed);
    }
    // What is left are cycles.
    for (size_t m = 0; m < n; ++m) {
        if (placed[m] != EPlacement::Open) continue;
        AddJob(m, true, pred, placed);
        CPlanJob& job = m_aJobs.back();
        job.m_nTemp = PickParkingName(m_aRows[m_aMoving[m].m_nRow].m_nListRow);
        if (m_strJournalTemps.empty()) AppendJournalFolder(m_strJournalTemps, m_strFolder);
        AppendJournalTemp(m_strJournalTemps, NativeText(m_names.Get(m_aMoving[m].m_nOld)), NativeText(m_names.Get(job.m_nTemp)));
    }
    std::sort(m_aJobs.begin(), m_aJobs.end(), [](const CPlanJob& a, const CPlanJob& b) { return a.m_nNode < b.m_nNode; });
}

// "[kqt_tmp]+[name_<number>].kq-tmp", or the next free number: free of the
// folder's entries, of every new name and of the other parking names.
size_t CFolderPlan::PickParkingName(size_t number)
{
    if (m_aParking.empty()) {
        m_targets.Reserve(m_aMoving.size());
        for (size_t m = 0; m < m_aMoving.size(); ++m) m_targets.Insert(m);
    }
    for (;; ++number) {
        std::u16string temp = TemporaryName(number);
        if (m_existing.Contains(temp) || m_targets.Contains(temp) || m_parked.Contains(temp)) continue;
        m_aParking.push_back(std::move(temp));
        m_parked.Insert(m_aParking.size() - 1);
        return m_names.Add(m_aParking.back());
    }
}

void CFolderPlan::AppendJournalMoves(std::string& out) const
{
    AppendJournalMoves(out, 0, ~size_t(0));
}

size_t CFolderPlan::AppendJournalMoves(std::string& out, size_t from, size_t limit) const
{
    if (from >= m_aMoving.size()) return m_aMoving.size();
    if (from == 0) AppendJournalFolder(out, m_strFolder);
    size_t m = from;
    // At least one move a call, however long the folder's line.
    for (; m < m_aMoving.size() && (m == from || out.size() < limit); ++m) {
        const CPlanStep& step = m_aMoving[m];
        AppendJournalMove(out, NodeOfRow(step.m_nRow), NativeText(m_names.Get(step.m_nOld)), NativeText(),
                          NativeText(m_names.Get(step.New())), StampOfRow(step.m_nRow));
    }
    return m;
}

void CFolderPlan::AppendJournalTemps(std::string& out) const { out += m_strJournalTemps; }

}  // namespace kq
