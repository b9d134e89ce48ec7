// Undo of the last completed rename: the files of the newest history record
// that are still under their new names, and still the same files, go back to
// their old names through the rename itself (so swaps and rotations undo as
// they were done, nothing is overwritten and a crash leaves a journal).
// Everything else is reported and left alone.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "renamer/safety/RenameHistory.h"

namespace kq {

class CFileNameList;

enum EUndoOutcome {
    kUndoRestored = 0,       // back under its old name
    kUndoInPlace = 1,        // was under its old name already
    kUndoChanged = 2,        // another file holds the new name now
    kUndoGone = 3,           // under neither name
    kUndoBlocked = 4,        // the old name is taken, or the move failed: still under the new name
    kUndoFolderChanged = 5,  // the folder is not the one renamed (moved, replaced or gone)
    kUndoNameRefused = 6,    // the old name is one a rename cannot give (a refused character, a trailing dot or space)
};

// One move of the run undone. Its texts are the run's own (CUndoReport's
// m_run): a line refers to them instead of holding copies, so a report is
// moved, never copied.
struct CUndoLine {
    const std::u16string& m_strFolder;
    const std::u16string& m_strOld;
    const std::u16string& m_strNew;
    EUndoOutcome m_eOutcome = kUndoGone;
};

enum EUndoResult {
    kUndoDone = 0,     // every file of the run is under its old name
    kUndoPartly = 1,   // some are not (see the lines); the record keeps the blocked ones
    kUndoNothing = 2,  // no run to undo
    kUndoBusy = 3,     // another undo, or a rename of one of the folders, is running: nothing moved
    kUndoDamaged = 4,  // the newest record cannot be read: it was set aside, nothing moved
    kUndoFailed = 5,   // the rename could not start (its journal could not be written): nothing moved
};

struct CUndoReport {
    CUndoReport() = default;
    CUndoReport(const CUndoReport&) = delete;
    CUndoReport& operator=(const CUndoReport&) = delete;
    CUndoReport(CUndoReport&&) = default;
    CUndoReport& operator=(CUndoReport&&) = default;

    EUndoResult m_eResult = kUndoNothing;
    CHistoryRun m_run;  // the run undone
    std::vector<CUndoLine> m_aLines;
    CDamagedRecord m_damaged;     // with kUndoDamaged
    std::u16string m_strMessage;  // the rename's message when it could not start or left files parked
    size_t Restored() const;      // lines restored or in place
};

// Undoes the newest run of the history in journalFolder (empty: the default
// journal folder). Messages of the rename inside are kept, not shown.
// cancel, when set, stops the undo at its next chain or cycle (the files
// not reached keep their new names and stay in the record).
EUndoResult UndoLastRename(const std::u16string& journalFolder, CUndoReport& report, const std::atomic<bool>* cancel = nullptr,
                   const std::function<void(size_t movesDone)>& afterMove = {});

// The rows of the list that show a restored file under its new name get the
// old name back and "未处理". Returns the number of rows changed.
size_t ApplyUndoToList(const CUndoReport& report, CFileNameList& list);

// One sentence for the user about the whole undo.
std::u16string UndoSummaryText(const CUndoReport& report);

}  // namespace kq
