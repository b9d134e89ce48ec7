// File-system services: enumeration, tests, times, sizes, contents and the
// move that never replaces an existing file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kq {

struct CFolderEntry {
    std::u16string m_strName;
    bool m_bDirectory = false;
};

// Calls visit(name, isDirectory) for every entry of the folder in the order
// the file system returns them, "." and ".." included where the file system
// reports them. Returns false (and visits nothing) when the folder cannot be
// opened. Returning false from visit stops the walk.
bool ForEachFolderEntry(std::u16string_view folder,
                        const std::function<bool(std::u16string_view name, bool isDirectory)>& visit);
bool EnumerateFolder(std::u16string_view folder, std::vector<CFolderEntry>& entries);

// Like ForEachFolderEntry, also giving each entry's node number (the inode
// on POSIX; 0 where the file system does not tell).
bool ForEachFolderEntryId(std::u16string_view folder,
                          const std::function<bool(std::u16string_view name, bool isDirectory, uint64_t node)>& visit);

// Identity of a file: two paths name the same file exactly when their ids
// are equal (device and inode on POSIX).
struct CFileId {
    uint64_t m_nDevice = 0;
    uint64_t m_nNode = 0;
    bool operator==(const CFileId&) const = default;
};
// With followLinks a link is resolved; without it the link itself is meant.
bool GetFileId(std::u16string_view path, bool followLinks, CFileId& id);

// What a file is known by from one run to the next. Most file systems keep
// a file's node number for its life: the node. FAT and exFAT make them up
// and FUSE file systems may, so that they can change across a remount: there
// a file is known by its size and modification time under one of the names
// a record gives it.
enum class EFileIdentity : char { Node, SizeAndTime };
// The identity files take on a file system of that statfs magic number.
EFileIdentity IdentityOfFileSystem(uint64_t magic);
// The same from a Windows volume's file-system name ("NTFS", "FAT32", "exFAT").
EFileIdentity IdentityOfFileSystemName(std::u16string_view name);
// The identity the files of a folder take (Node when the system cannot tell).
EFileIdentity FolderIdentity(std::u16string_view folder);
// Whether a folder listing's node numbers are the files' own on a file system
// of that statfs magic number: ext2/3/4, xfs, btrfs and tmpfs keep the inode
// number in the folder entry that stat reads too. Overlayfs and FUSE may list
// numbers stat never gives; any other file system is not trusted either.
bool ListingNodesAreFileNodes(uint64_t magic);
// The same for a folder's file system (false when the system cannot tell).
bool FolderListsFileNodes(std::u16string_view folder);

// A file's size and modification time (nanoseconds since 1970 UTC).
struct CFileStamp {
    uint64_t m_nSize = 0;
    int64_t m_nModified = 0;
    bool operator==(const CFileStamp&) const = default;
};
// Identity and stamp of the entry at path, links not followed, from one query.
bool GetFileFacts(std::u16string_view path, CFileId& id, CFileStamp& stamp);

// A folder opened for a walk: its entries are read from the open folder and
// its sub-folders are opened relative to it (openat on POSIX), so a walk has
// no path-length limit however deep the tree goes.
class CFolderCursor {
public:
    CFolderCursor() = default;
    ~CFolderCursor();
    CFolderCursor(const CFolderCursor&) = delete;
    CFolderCursor& operator=(const CFolderCursor&) = delete;
    CFolderCursor(CFolderCursor&& other) noexcept { Swap(other); }
    CFolderCursor& operator=(CFolderCursor&& other) noexcept
    {
        Close();
        Swap(other);
        return *this;
    }

    bool Open(std::u16string_view folder);
    // The sub-folder name of parent (links followed, as IsFolder does).
    bool OpenChild(const CFolderCursor& parent, std::u16string_view name);
    bool IsOpen() const;
    void Close();
    // Every entry but "." and "..", in the order the file system returns them;
    // with nodes, each entry's node number as the listing gives it (as
    // ForEachFolderEntryId does), alongside.
    bool ReadEntries(std::vector<CFolderEntry>& entries, std::vector<uint64_t>* nodes = nullptr) const;
    bool GetId(CFileId& id) const;

private:
    void Swap(CFolderCursor& other) noexcept
    {
        std::swap(m_hFolder, other.m_hFolder);
#ifdef _WIN32
        m_strPath.swap(other.m_strPath);
#endif
    }

    intptr_t m_hFolder = -1;
#ifdef _WIN32
    std::u16string m_strPath;
#endif
};

bool PathExists(std::u16string_view path);     // anything, a dangling link included
bool IsFolder(std::u16string_view path);       // follows links
bool IsRegularFile(std::u16string_view path);  // follows links
bool IsPlainFile(std::u16string_view path);    // a regular file, not through a link

// Seconds since 1970-01-01 UTC. Creation is the birth time where the file
// system records one, else the status-change time.
struct CFileTimes {
    int64_t m_nCreation = 0;
    int64_t m_nModification = 0;
    int64_t m_nAccess = 0;
};
bool GetFileTimes(std::u16string_view path, CFileTimes& times);
bool GetFileSize(std::u16string_view path, uint64_t& size);

// The most ReadFileBytes takes by default: far beyond any list, journal or
// clipboard file, small enough that a stray 2 GB file cannot exhaust memory.
inline constexpr uint64_t kReadFileLimit = uint64_t(64) << 20;

// Whole contents of a regular file; false when it cannot be opened or read,
// is not a regular file (a FIFO, a device or a folder would hang or never
// end), or holds more than maxBytes. Without followLinks a symbolic link in
// the last component is refused too.
bool ReadFileBytes(std::u16string_view path, std::string& bytes, uint64_t maxBytes = kReadFileLimit,
                   bool followLinks = true);
// The same file in pieces, for readers that need not hold it whole: visit
// gets each piece in order and returns false to stop early (that is no
// failure). False under the same conditions as ReadFileBytes.
bool ReadFileChunks(std::u16string_view path, uint64_t maxBytes,
                    const std::function<bool(std::string_view chunk)>& visit, bool followLinks = true);
// Creates or truncates the file and writes the bytes; with flush the data
// reach the disk (fsync) before it returns.
bool WriteFileBytes(std::u16string_view path, std::string_view bytes, bool flush);
// A file whose contents must be on the disk before the caller goes on, written
// in steps so that the disk can work while the caller does: Write, then
// StartFlush (the system begins writing back what it has), more Writes if
// needed, then Finish, which returns only when everything is on the disk.
// Any failure makes Finish return false.
class CDurableFile {
public:
    CDurableFile() = default;
    ~CDurableFile();
    CDurableFile(const CDurableFile&) = delete;
    CDurableFile& operator=(const CDurableFile&) = delete;

    bool Create(std::u16string_view path);  // creates or truncates
    bool Write(std::string_view bytes);
    void StartFlush();
    // Closes; with flush, first waits until everything is on the disk.
    bool Finish(bool flush = true);

private:
    intptr_t m_hFile = -1;
    bool m_bFailed = false;
};

bool RemoveFile(std::u16string_view path);
bool CreateFolder(std::u16string_view path);  // parents too; true when it exists

// Moves (renames) a file or folder. Never replaces an existing target: fails
// with errno EEXIST instead. On failure errno tells why.
bool MoveFileNoReplace(std::u16string_view from, std::u16string_view to);

// True when path is an empty regular file without any permission (its node
// in node): the placeholder a move reserves its target with on a file system
// with neither RENAME_NOREPLACE nor hard links, left there when the process
// died before the move.
bool IsMovePlaceholder(std::u16string_view path, uint64_t& node);

// Names converted once into the form the system calls take (UTF-8 on POSIX,
// UTF-16 on Windows), kept one after another and each known by the position
// Add returns. A large rename converts every name once, in list order, and
// then moves from this compact text instead of from the list.
class CNativeNames {
public:
#ifdef _WIN32
    using NativeChar = char16_t;
#else
    using NativeChar = char;
#endif
    void Reserve(size_t names, size_t averageUnits) { m_strText.reserve(names * (averageUnits + 1)); }
    // The name must not hold a NUL.
    size_t Add(std::u16string_view name);
    const NativeChar* Get(size_t at) const { return m_strText.data() + at; }
    // The name back as text.
    std::u16string Name(size_t at) const;

private:
    std::basic_string<NativeChar> m_strText;
};

// An open folder, so that many moves inside it skip resolving its path each
// time. Moves through it follow the same rules as MoveFileNoReplace.
class CFolderHandle {
public:
    CFolderHandle() = default;
    ~CFolderHandle();
    CFolderHandle(const CFolderHandle&) = delete;
    CFolderHandle& operator=(const CFolderHandle&) = delete;

    bool Open(std::u16string_view folder);
    bool IsOpen() const;
    bool MoveNoReplace(std::u16string_view fromName, std::u16string_view toName) const;
    // The same for two names held in names.
    bool MoveNoReplace(const CNativeNames& names, size_t fromAt, size_t toAt) const;
    // True when an entry of that name exists in the folder (links not followed).
    bool Contains(std::u16string_view name) const;
    // The identity of the entry of that name (links not followed), as
    // GetFileId gives it: the folder listing's node numbers differ from it on
    // some file systems (FUSE, overlayfs over another file system).
    bool GetEntryId(std::u16string_view name, CFileId& id) const;
    // The same with the entry's size and modification time, from one query.
    bool GetEntryFacts(std::u16string_view name, CFileId& id, CFileStamp& stamp) const;
    // The same, and the entry's creation (birth) time; timed is false where
    // the file system keeps none.
    bool GetEntryFactsAndCreation(std::u16string_view name, CFileId& id, CFileStamp& stamp, bool& timed,
                                  int64_t& creation) const;
    // Asked once, before the first move through this handle that must reserve
    // its target with a placeholder (see IsMovePlaceholder), so that a record
    // of it can reach the disk first. Once it answers false, every move that
    // would need a placeholder fails (EPERM) untouched.
    void SetPlaceholderGate(std::function<bool()> gate);

private:
    std::u16string m_strFolder;
    intptr_t m_hFolder = -1;
    std::function<bool()> m_pfnPlaceholderGate;
    mutable signed char m_nPlaceholders = 0;  // the gate's answer: 0 not asked, 1 yes, -1 no
};

// The errno a test makes a move fail with, 0 for none; every move asks it
// first while MoveErrorsInjected is true. The programs link a version that
// never fails a move (MoveErrors.cpp); the tests link one they can set.
bool MoveErrorsInjected();
int InjectedMoveError(std::u16string_view from, std::u16string_view to);

// Native (UTF-8 on POSIX) form of a path for the system calls.
std::string NativePath(std::u16string_view path);

}  // namespace kq
