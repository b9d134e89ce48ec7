#include "renamer/safety/RenameExecutor.h"

#include <cerrno>
#include <string_view>

#include "renamer/safety/RenameJournal.h"

namespace kq {

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
                          NativeText(names.Get(step.m_nNew)));
    }
}

EMoveFailure MoveFailureOf(int error)
{
    switch (error) {
    case ENAMETOOLONG: return EMoveFailure::TooLong;
    case ENOENT: return EMoveFailure::Vanished;
    case EEXIST:
    case ENOTEMPTY: return EMoveFailure::NameTaken;
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
    }
    if (plan.Jobs().empty()) return outcome;
    CFolderHandle folder;
    if (!folder.Open(plan.Folder())) {
        const EMoveFailure reason = MoveFailureOf(errno);
        for (EMoveFailure& r : outcome.m_aReasons) r = reason;
        return outcome;
    }
    m_pFolder = &folder;
    m_pNames = &plan.Names();
    for (const CPlanJob& job : plan.Jobs()) {
        if (m_pCancel && m_pCancel->load(std::memory_order_relaxed)) break;
        const CPlanStep* steps = plan.Steps().data() + job.m_nFirst;
        if (job.m_eKind == EJobKind::Chain)
            RunChain(steps, job.m_nCount, outcome);
        else
            RunCycle(job, steps, outcome);
    }
    m_pFolder = nullptr;
    m_pNames = nullptr;
    return outcome;
}

bool CRenameExecutor::Move(size_t from, size_t to)
{
    if (!m_pFolder->MoveNoReplace(*m_pNames, from, to)) {
        m_nLastError = errno;
        return false;
    }
    ++m_nMoves;
    if (m_pfnAfterMove) m_pfnAfterMove(m_nMoves);
    return true;
}

// Once a move fails, the files before it find their targets still taken and
// stay too.
void CRenameExecutor::RunChain(const CPlanStep* steps, size_t count, CFolderOutcome& outcome)
{
    size_t s = 0;
    for (; s < count && Move(steps[s].m_nOld, steps[s].m_nNew); ++s)
        outcome.m_aRows[steps[s].m_nRow] = ERowOutcome::Moved;
    if (s < count) outcome.m_aReasons[steps[s].m_nRow] = MoveFailureOf(m_nLastError);
}

// Every move made is remembered, so that a failure can be undone backwards.
void CRenameExecutor::RunCycle(const CPlanJob& job, const CPlanStep* steps, CFolderOutcome& outcome)
{
    m_aUndo.clear();
    bool ok = Move(steps[0].m_nOld, job.m_nTemp);
    if (ok) m_aUndo.emplace_back(steps[0].m_nOld, job.m_nTemp);
    for (size_t s = 1; ok && s < job.m_nCount; ++s) {
        ok = Move(steps[s].m_nOld, steps[s].m_nNew);
        if (ok) m_aUndo.emplace_back(steps[s].m_nOld, steps[s].m_nNew);
    }
    if (ok && Move(job.m_nTemp, steps[0].m_nNew)) {
        for (size_t s = 0; s < job.m_nCount; ++s) outcome.m_aRows[steps[s].m_nRow] = ERowOutcome::Moved;
        return;
    }
    // The cycle failed for the reason of the move that failed.
    const EMoveFailure reason = MoveFailureOf(m_nLastError);
    for (size_t s = 0; s < job.m_nCount; ++s) outcome.m_aReasons[steps[s].m_nRow] = reason;
    size_t undone = m_aUndo.size();
    while (undone > 0 && Move(m_aUndo[undone - 1].second, m_aUndo[undone - 1].first)) --undone;
    if (undone == 0) return;
    // An undo failed: the moves still standing are real renames; the parked
    // file cannot leave its parking name.
    for (size_t s = 1; s < undone; ++s) outcome.m_aRows[steps[s].m_nRow] = ERowOutcome::Moved;
    ++outcome.m_nLeftTemporary;
}

}  // namespace kq
