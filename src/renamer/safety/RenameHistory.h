// The history of completed renames, kept for undo: every run that renamed
// files leaves a record of the moves it made (file identity, old name, new
// name, per folder with the folder's identity) in the "history" folder
// beside the journals. Records are numbered in the order runs end; only the
// newest kHistoryLimit are kept.
//
// A record is the journal text behind a short header:
//   KQTOOLS-RENAME-HISTORY 1
//   R <tab> seconds since 1970 (UTC) when the run ended
//   F <tab> device <tab> node           one line per folder, in journal order
//   KQTOOLS-RENAME-JOURNAL 1 ...        the journal of the moves made
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/FileSystem.h"
#include "renamer/safety/RenameJournal.h"

namespace kq {

inline constexpr size_t kHistoryLimit = 20;

struct CHistoryRun {
    std::u16string m_strPath;  // the record file
    int64_t m_nTime = 0;
    std::vector<CJournalFolder> m_aFolders;  // moves without temporary names
    std::vector<CFileId> m_aFolderIds;       // one per folder, as it was renamed
    size_t Count() const;
};

// A record that could not be read, and where it was set aside (empty when it
// could not be moved).
struct CDamagedRecord {
    std::u16string m_strPath;
    std::u16string m_strAside;
};

// journalFolder/history (journalFolder empty: DefaultJournalFolder()).
std::u16string HistoryFolder(const std::u16string& journalFolder);

std::string FormatHistoryRecord(const CHistoryRun& run);
bool ParseHistoryRecord(std::string_view text, CHistoryRun& run);
// Only a regular file, not through a link; of any size, read in pieces.
EStoredRead ReadHistoryFile(const std::u16string& path, CHistoryRun& run);
bool ReadHistoryRecord(const std::u16string& path, CHistoryRun& run);

// Records the moves a run made, given as journal text (AppendJournalHeader,
// then AppendJournalFolder and AppendJournalMove without parking names, each
// folder once), as the newest record: written whole or not at all, never
// over another record. Drops the oldest records beyond the limit. Nothing is
// recorded for an empty text. Called while the run still holds its folders,
// whose identities go into the record.
bool RecordRenameHistory(const std::u16string& journalFolder, std::string_view doneJournal);
// Marks, in the record's place, a run whose record could not be written, so
// that undo never skips over it to an older run. False when even the mark
// could not be made.
bool MarkUnrecordedRun(const std::u16string& journalFolder);
// The mark of a run newer than every record, or empty.
std::u16string NewestUnrecordedRun(const std::u16string& journalFolder);
// Replaces a record with what is left of its run (atomically).
bool RewriteHistoryRecord(const CHistoryRun& run);

// The record files ("run-<number>.kqhistory"), oldest first.
std::vector<std::u16string> FindHistoryRecords(const std::u16string& journalFolder);
bool HasRenameHistory(const std::u16string& journalFolder);
// The runs that can be read, newest first. Records that cannot be read are
// set aside (renamed, never deleted) and listed in damaged.
std::vector<CHistoryRun> ListRenameHistory(const std::u16string& journalFolder, std::vector<CDamagedRecord>& damaged);

}  // namespace kq
