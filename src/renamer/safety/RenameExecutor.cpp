#include "renamer/safety/RenameExecutor.h"

#include <cerrno>
#include <string_view>

#include "renamer/safety/RenameJournal.h"

namespace kq {

namespace {

// The "errno" of a move whose file turned out not to be the one meant.
constexpr int kNotTheFile = -1;

}  // namespace

void AppendDoneMoves(std::string& out, const CFolderPlan& plan, const CFolderOutcome& outcome)
{
    using NativeText = std::basic_string_view<CNativeNames::NativeChar>;
    const CNativeNames& names = plan.Names();
    bool folderWritten = false;
    for (const CPlanStep& step : plan.Moving()) {
        if (outcome.m_aRows[step.m_nRow] != ERowOutcome::Moved) continue;
        if (!folderWritten) {
            AppendJournalFolder(out, plan.Folder());
            folderWritten = true;
        }
        AppendJournalMove(out, plan.NodeOfRow(step.m_nRow), NativeText(names.Get(step.m_nOld)), NativeText(),
                          NativeText(names.Get(step.New())), plan.StampOfRow(step.m_nRow));
    }
}

EMoveFailure MoveFailureOf(int error)
{
    switch (error) {
    case ENAMETOOLONG: return EMoveFailure::TooLong;
    case ENOENT: return EMoveFailure::Vanished;
    case EEXIST:
    case ENOTEMPTY: return EMoveFailure::NameTaken;
    case kNotTheFile: return EMoveFailure::Changed;
    default: return EMoveFailure::Refused;
    }
}

CFolderOutcome CRenameExecutor::Run(const CFolderPlan& plan)
{
    CFolderOutcome outcome;
    outcome.m_aRows.assign(plan.Rows().size(), ERowOutcome::Failed);
    // Until a move says otherwise: a row the plan refused has no file (or no
    // usable one), and a moving row that never ran waits on a name a file
    // that stays holds.
    outcome.m_aReasons.assign(plan.Rows().size(), EMoveFailure::NameTaken);
    for (size_t r = 0; r < plan.Rows().size(); ++r) {
        if (plan.RowPlan(r) == ERowPlan::Unchanged) outcome.m_aRows[r] = ERowOutcome::Unchanged;
        if (plan.RowPlan(r) == ERowPlan::Refused)
            outcome.m_aReasons[r] = plan.HasFile(r) ? EMoveFailure::Refused : EMoveFailure::Vanished;
        if (plan.RowPlan(r) == ERowPlan::Changed) outcome.m_aReasons[r] = EMoveFailure::Changed;
    }
    if (plan.Jobs().empty()) return outcome;
    CFolderHandle folder;
    if (!folder.Open(plan.Folder())) {
        const EMoveFailure reason = MoveFailureOf(errno);
        for (EMoveFailure& r : outcome.m_aReasons) r = reason;
        return outcome;
    }
    if (m_pfnPlaceholderGate)
        folder.SetPlaceholderGate([this, &plan] { return m_pfnPlaceholderGate(plan.Folder()); });
    m_pPlan = &plan;
    m_pFolder = &folder;
    m_pNames = &plan.Names();
    for (const CPlanJob& job : plan.Jobs()) {
        if (m_pCancel && m_pCancel->load(std::memory_order_relaxed)) break;
        const CJobSteps steps = plan.StepsOf(job);
        if (!job.IsCycle())
            RunChain(steps, job.m_nCount, outcome);
        else
            RunCycle(job, steps, outcome);
    }
    m_pPlan = nullptr;
    m_pFolder = nullptr;
    m_pNames = nullptr;
    return outcome;
}

bool CRenameExecutor::Move(size_t from, size_t to, size_t row)
{
    if (!m_pFolder->MoveNoReplace(*m_pNames, from, to)) {
        m_nLastError = errno;
        return false;
    }
    ++m_nMoves;
    if (m_pfnAfterMove) m_pfnAfterMove(m_nMoves);
    if (row == kNoName || !m_pCheck || IsFileMeant(to, row)) return true;
    // Another file stood under the name since the plan: it goes back.
    if (m_pFolder->MoveNoReplace(*m_pNames, to, from)) {
        ++m_nMoves;
        if (m_pfnAfterMove) m_pfnAfterMove(m_nMoves);
    }
    m_nLastError = kNotTheFile;
    m_nChangedRow = row;
    return false;
}

bool CRenameExecutor::IsFileMeant(size_t at, size_t row) const
{
    CFileId id;
    CFileStamp stamp;
    bool timed = false;
    int64_t created = 0;
    return m_pFolder->GetEntryFactsAndCreation(m_pNames->Name(at), id, stamp, timed, created) &&
           (*m_pCheck)(m_pPlan->Rows()[row].m_nListRow, id, stamp, timed ? std::optional(created) : std::nullopt);
}

// Once a move fails, the files before it find their targets still taken and
// stay too.
void CRenameExecutor::RunChain(const CJobSteps& steps, size_t count, CFolderOutcome& outcome)
{
    size_t s = 0;
    for (; s < count && Move(steps[s].m_nOld, steps[s].New(), steps[s].m_nRow); ++s)
        outcome.m_aRows[steps[s].m_nRow] = ERowOutcome::Moved;
    if (s < count) outcome.m_aReasons[steps[s].m_nRow] = MoveFailureOf(m_nLastError);
}

// Every move made is remembered, so that a failure can be undone backwards.
void CRenameExecutor::RunCycle(const CPlanJob& job, const CJobSteps& steps, CFolderOutcome& outcome)
{
    m_aUndo.clear();
    bool ok = Move(steps[0].m_nOld, job.m_nTemp, steps[0].m_nRow);
    if (ok) m_aUndo.emplace_back(steps[0].m_nOld, job.m_nTemp);
    for (size_t s = 1; ok && s < job.m_nCount; ++s) {
        ok = Move(steps[s].m_nOld, steps[s].New(), steps[s].m_nRow);
        if (ok) m_aUndo.emplace_back(steps[s].m_nOld, steps[s].New());
    }
    if (ok && Move(job.m_nTemp, steps[0].New(), steps[0].m_nRow)) {
        for (size_t s = 0; s < job.m_nCount; ++s) outcome.m_aRows[steps[s].m_nRow] = ERowOutcome::Moved;
        return;
    }
    // The cycle failed for the reason of the move that failed; a file that
    // was not the one meant fails its own row only, the others are refused.
    const EMoveFailure reason = MoveFailureOf(m_nLastError);
    for (size_t s = 0; s < job.m_nCount; ++s) outcome.m_aReasons[steps[s].m_nRow] = reason;
    if (m_nLastError == kNotTheFile)
        for (size_t s = 0; s < job.m_nCount; ++s)
            if (steps[s].m_nRow != m_nChangedRow) outcome.m_aReasons[steps[s].m_nRow] = EMoveFailure::Refused;
    size_t undone = m_aUndo.size();
    while (undone > 0 && Move(m_aUndo[undone - 1].second, m_aUndo[undone - 1].first, kNoName)) --undone;
    if (undone == 0) return;
    // An undo failed: the moves still standing are real renames; the parked
    // file cannot leave its parking name.
    for (size_t s = 1; s < undone; ++s) outcome.m_aRows[steps[s].m_nRow] = ERowOutcome::Moved;
    ++outcome.m_nLeftTemporary;
}

}  // namespace kq
