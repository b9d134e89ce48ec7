// One rename run over a set of rows: the checks, the folder locks, the
// journal, the moves, the history and the closing message. The file list's
// ExecuteRename runs it over its rows; undo runs it over the moves it takes
// back, without a list of its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "renamer/list/FileNameList.h"

namespace kq {

class IRenameRows {
public:
    virtual ~IRenameRows() = default;
    virtual size_t Count() const = 0;
    // Rows of one folder text share its number; folders the name policy
    // calls equal share a key.
    virtual size_t FolderCount() const = 0;
    virtual uint32_t FolderOf(size_t row) const = 0;
    virtual const std::u16string& FolderText(uint32_t folder) const = 0;
    virtual uint32_t FolderKey(uint32_t folder) const = 0;
    // The names stay where they are until the run has reported.
    virtual std::u16string_view OldName(size_t row) const = 0;
    virtual std::u16string_view NewName(size_t row) const = 0;
    // A row whose name could not be computed: its file never moves.
    virtual bool KeepsName(size_t row) const = 0;
    // Once the moves are over: the row's file is under its new name (moved,
    // or there already), or it is not.
    virtual void Renamed(size_t row) = 0;
    virtual void NotRenamed(size_t row) = 0;
    // The run's message for the user (or a refusal before anything moved).
    virtual void Report(const std::u16string& text, const std::u16string& title) = 0;
};

// Runs the rename of rows under policy and returns its kRename… result;
// summary says what happened (its rows are rows of rows).
int RunRename(IRenameRows& rows, ENamePolicy policy, const CRenameOptions& options, CRenameSummary& summary);

}  // namespace kq
