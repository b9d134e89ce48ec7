// The rename journal: the planned moves of one rename, written and flushed
// before the first move and removed when the run ends, so that a run cut
// short can be undone or finished afterwards (`kqtools-cli recover`).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/AtomicFile.h"
#include "platform/FileSystem.h"

namespace kq {

struct CJournalMove {
    CJournalMove() = default;
    CJournalMove(uint64_t node, std::u16string oldName, std::u16string temp, std::u16string newName)
        : m_nNode(node), m_strOld(std::move(oldName)), m_strTemp(std::move(temp)), m_strNew(std::move(newName))
    {}

    uint64_t m_nNode = 0;       // file identity (inode) at planning time
    std::u16string m_strOld;
    std::u16string m_strTemp;   // empty when the move goes straight to the new name
    std::u16string m_strNew;
    // Where node numbers cannot be trusted (EFileIdentity::SizeAndTime) the
    // file is known by its size and modification time instead.
    bool m_bStamped = false;
    CFileStamp m_stamp;
};

// Whether a file of that identity and stamp is the move's file.
inline bool IsFileOfMove(const CJournalMove& move, const CFileId& id, const CFileStamp& stamp)
{
    return move.m_bStamped ? stamp == move.m_stamp : id.m_nNode == move.m_nNode;
}
// Whether two moves know their files by the same identity.
inline bool SameFileOfMoves(const CJournalMove& a, const CJournalMove& b)
{
    if (a.m_bStamped != b.m_bStamped) return false;
    return a.m_bStamped ? a.m_stamp == b.m_stamp : a.m_nNode == b.m_nNode;
}

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
// A folder's run lock, the one every rename, undo and recover of it takes;
// null when another holder has it (or its file cannot be made).
std::unique_ptr<CFileLock> LockFolderRun(const std::u16string& journalFolder, const CFileId& folder);
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
// A stamp, when given, follows as two more fields (size, modification time).
void AppendJournalMove(std::string& out, uint64_t node, std::u16string_view oldName, std::u16string_view temp,
                       std::u16string_view newName, const CFileStamp* stamp = nullptr);
// The same from names already in the bytes the file system knows them by.
void AppendJournalMove(std::string& out, uint64_t node, std::string_view oldName, std::string_view temp,
                       std::string_view newName, const CFileStamp* stamp = nullptr);
// A parking name chosen after the moves were written: "T", the old name and
// the temporary name, after a repeated folder line. The reader gives it to
// that folder's move of the old name.
void AppendJournalTemp(std::string& out, std::string_view oldName, std::string_view temp);
void AppendJournalTemp(std::string& out, std::u16string_view oldName, std::u16string_view temp);

// The longest line a journal may hold (folder paths included).
inline constexpr size_t kMaxJournalLine = size_t(1) << 20;

// Reads journal text in pieces of any size, as they come from the disk,
// into folders (which it appends to).
class CJournalParser {
public:
    explicit CJournalParser(std::vector<CJournalFolder>& folders) : m_folders(folders) {}
    // False once the text is known to be no journal.
    bool Feed(std::string_view bytes);
    // False when the text was no journal or ended inside a line.
    bool Finish();

private:
    bool Line(std::string_view line);

    std::vector<CJournalFolder>& m_folders;
    std::string m_strPartial;  // the start of a line the next piece ends
    bool m_bGood = true;
    bool m_bHeader = false;
    size_t m_nCurrent = 0;  // the folder of the lines that follow
    std::unordered_map<std::u16string, size_t> m_folderAt;
    std::unordered_map<std::u16string, size_t> m_moveOf;  // old name -> move of the current folder, on demand
    bool m_bMapped = false;
};
bool ParseJournal(std::string_view text, std::vector<CJournalFolder>& folders);

// Replaces the journal atomically (written beside it, flushed, renamed over).
bool WriteJournal(const std::u16string& path, const std::vector<CJournalFolder>& folders);
bool WriteJournalText(const std::u16string& path, std::string_view text);

// How reading a stored file (a journal, a history record) went. Only a
// file whose bytes are no journal, or that is no regular file at all, is
// damaged; a file that could not be read now (an I/O error, no memory, no
// permission) stays in force and is tried again later.
enum class EStoredRead : char { Read, Damaged, Unreadable };
// Reads a journal of any size, streaming, never through a link.
EStoredRead ReadJournalFile(const std::u16string& path, std::vector<CJournalFolder>& folders);
inline bool ReadJournal(const std::u16string& path, std::vector<CJournalFolder>& folders)
{
    return ReadJournalFile(path, folders) == EStoredRead::Read;
}
// Reads a stored file in pieces (any size, not through a link): Damaged when
// it is no regular file or parse refuses it.
EStoredRead ReadStoredFile(const std::u16string& path, const std::function<bool(std::string_view)>& parse);
// Beside a journal, the folders whose moves may have left a placeholder (the
// empty file a move reserves its target with where the file system offers
// no move that refuses to replace): written whole, before the first such
// move, so that recover knows where an empty file is no file of the run.
std::u16string PlaceholderNotePath(const std::u16string& journal);
bool WritePlaceholderNote(const std::u16string& journal, const std::vector<std::u16string>& folders);
// The folders of the note; none when there is no note (or it cannot be read).
std::vector<std::u16string> ReadPlaceholderNote(const std::u16string& journal);

// Renames a journal that cannot be read out of the way (never deletes it);
// returns its new path, or empty when it could not be moved.
std::u16string SetAsideJournal(const std::u16string& path);

}  // namespace kq
