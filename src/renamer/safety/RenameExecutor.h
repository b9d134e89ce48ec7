// The rename executor: carries out folder plans through the platform layer.
// A move never replaces a file; a chain stops at its first failed move (the
// files before it find their targets still taken), and a cycle whose move
// fails is put back as it was.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "renamer/list/FileNameList.h"
#include "renamer/safety/RenamePlan.h"

namespace kq {

// What became of a row once its folder's plan ran.
enum class ERowOutcome : char {
    Failed,     // under its old name (or, see m_nLeftTemporary, parked)
    Unchanged,  // its name was already right
    Moved,      // under its new name
};

// The reason a failed move's errno gives.
EMoveFailure MoveFailureOf(int error);

struct CFolderOutcome {
    std::vector<ERowOutcome> m_aRows;  // by the plan's rows
    std::vector<EMoveFailure> m_aReasons;  // by the plan's rows; meaningful for the failed ones
    size_t m_nLeftTemporary = 0;       // files a failed cycle left under a parking name
};

// The journal records of the moves that were carried out (the folder, then
// its rows that moved, in row order), in the bytes the file system knows the
// names by; nothing when no row of the folder moved.
void AppendDoneMoves(std::string& out, const CFolderPlan& plan, const CFolderOutcome& outcome);

class CRenameExecutor {
public:
    // afterMove, when set, hears of every successful move with the count so
    // far (undo moves included).
    // cancel, when set, is read before every chain and cycle: once true, the
    // jobs left are not started (a job that began runs to its end).
    explicit CRenameExecutor(const std::function<void(size_t movesDone)>& afterMove,
                             const std::atomic<bool>* cancel = nullptr)
        : m_pfnAfterMove(afterMove), m_pCancel(cancel)
    {}

    // With a check, every moved file is asked again right after its move; one
    // that is not the file meant (replaced since the plan) goes back where it
    // was found and its row fails (EMoveFailure::Changed). The check outlives
    // the runs.
    void SetFileCheck(const FileCheck* check) { m_pCheck = check; }
    // Asked once per folder, before its first move that needs a placeholder
    // (CFolderHandle::SetPlaceholderGate): false refuses those moves.
    void SetPlaceholderGate(std::function<bool(const std::u16string& folder)> gate)
    {
        m_pfnPlaceholderGate = std::move(gate);
    }

    CFolderOutcome Run(const CFolderPlan& plan);
    size_t Moves() const { return m_nMoves; }

private:
    // One move in the open folder, counted when it succeeds; row (a plan
    // row, or kNoName for a move back) names the file to check afterwards.
    bool Move(size_t from, size_t to, size_t row);
    bool IsFileMeant(size_t at, size_t row) const;
    void RunChain(const CJobSteps& steps, size_t count, CFolderOutcome& outcome);
    void RunCycle(const CPlanJob& job, const CJobSteps& steps, CFolderOutcome& outcome);

    const std::function<void(size_t)>& m_pfnAfterMove;
    const std::atomic<bool>* m_pCancel;
    const FileCheck* m_pCheck = nullptr;
    std::function<bool(const std::u16string&)> m_pfnPlaceholderGate;
    size_t m_nMoves = 0;
    int m_nLastError = 0;                      // errno of the last failed move
    size_t m_nChangedRow = 0;                  // with kNotTheFile: the row whose file it was
    const CFolderPlan* m_pPlan = nullptr;      // the plan that runs
    const CFolderHandle* m_pFolder = nullptr;  // its folder
    const CNativeNames* m_pNames = nullptr;
    std::vector<std::pair<size_t, size_t>> m_aUndo;  // a cycle's moves so far, from -> to
};

}  // namespace kq
