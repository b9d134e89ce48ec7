// The rename journal: the planned moves of one rename, written and flushed
// before the first move and removed when the run ends, so that a run cut
// short can be undone or finished afterwards (`kqtools-cli recover`).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kq {

struct CJournalMove {
    uint64_t m_nNode = 0;       // file identity (inode) at planning time
    std::u16string m_strOld;
    std::u16string m_strTemp;   // empty when the move goes straight to the new name
    std::u16string m_strNew;
};

struct CJournalFolder {
    std::u16string m_strFolder;
    std::vector<CJournalMove> m_aMoves;  // in the order they run
};

// The parking name of a file in a cycle: "[kqt_tmp]+[name_<number>].kq-tmp".
std::u16string TemporaryName(size_t number);

// ConfigFolder()/TernSoft/KQTool.
std::u16string DefaultJournalFolder();
// A fresh journal path in folder (the folder is created when missing).
std::u16string NewJournalPath(const std::u16string& folder);
// The lock file of one folder (by identity) in the journal folder.
std::u16string FolderLockPath(const std::u16string& journalFolder, uint64_t device, uint64_t node);
// Journals left in folder, oldest name first.
std::vector<std::u16string> FindJournals(const std::u16string& folder);
// Paths of the entries of folder (folders aside) whose names end in suffix,
// in name order.
std::vector<std::u16string> FindFilesBySuffix(const std::u16string& folder, std::u16string_view suffix);

std::string FormatJournal(const std::vector<CJournalFolder>& folders);
// The same text piece by piece, for writers that hold the names elsewhere:
// the header once, then each folder and its moves.
void AppendJournalHeader(std::string& out);
void AppendJournalFolder(std::string& out, std::u16string_view folder);
void AppendJournalMove(std::string& out, uint64_t node, std::u16string_view oldName, std::u16string_view temp,
                       std::u16string_view newName);
// The same from names already in the bytes the file system knows them by.
void AppendJournalMove(std::string& out, uint64_t node, std::string_view oldName, std::string_view temp,
                       std::string_view newName);
// A parking name chosen after the moves were written: "T", the old name and
// the temporary name, after a repeated folder line. The reader gives it to
// that folder's move of the old name.
void AppendJournalTemp(std::string& out, std::string_view oldName, std::string_view temp);
void AppendJournalTemp(std::string& out, std::u16string_view oldName, std::u16string_view temp);
bool ParseJournal(std::string_view text, std::vector<CJournalFolder>& folders);
// Replaces the journal atomically (written beside it, flushed, renamed over).
bool WriteJournal(const std::u16string& path, const std::vector<CJournalFolder>& folders);
bool WriteJournalText(const std::u16string& path, std::string_view text);
bool ReadJournal(const std::u16string& path, std::vector<CJournalFolder>& folders);
// Renames a journal that cannot be read out of the way (never deletes it);
// returns its new path, or empty when it could not be moved.
std::u16string SetAsideJournal(const std::u16string& path);

enum ERecoverOutcome {
    kRecoverMoved = 0,      // now under the wanted name
    kRecoverInPlace = 1,    // was already under it
    kRecoverNotFound = 2,   // under none of its names
    kRecoverBlocked = 3,    // the wanted name is held by another file, or the move failed
};

struct CRecoverLine {
    std::u16string m_strFolder;
    std::u16string m_strFrom;  // name the file was found under (empty when not found)
    std::u16string m_strTo;    // the wanted name
    int m_nOutcome = kRecoverNotFound;
};

// Puts every file of the journal under its old name (finish: its new name),
// never replacing a file. The journal is removed when every file ends where
// it should; otherwise it is kept (rewritten when temporary names were added).
// Returns 0 when all files are in place, 1 when some are not, 2 when the
// journal cannot be read, 3 when its run (or another recover) still holds it:
// nothing is touched then.
int RecoverJournal(const std::u16string& path, bool finish, std::vector<CRecoverLine>& report);

}  // namespace kq
