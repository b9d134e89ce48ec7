// Files that are replaced whole or not at all, and locks held by a process
// for as long as it runs (the system drops them when it dies).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

// Writes bytes to a fresh file beside path, flushes it, renames it over path
// and flushes the folder: at every moment, after a crash too, path holds the
// old contents or all of the new. A symbolic link at path is replaced, never
// followed. False (path untouched) when any step fails.
bool ReplaceFileAtomic(std::u16string_view path, std::string_view bytes);

// Renames a finished (flushed) file over path and flushes the folder: the
// last step of a write that must appear whole or not at all.
bool PublishFile(std::u16string_view finished, std::u16string_view path);

// Flushes a folder's entries (a rename or a removal in it) to the disk.
bool SyncFolder(std::u16string_view folder);

// An exclusive lock on a file (created when missing), held until Unlock or
// the end of the object or of the process.
class CFileLock {
public:
    CFileLock() = default;
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // false at once when another holder has it (or the file cannot be opened).
    // With removeWhenDone the holder removes the file as it lets go (still
    // holding it), so that locks of many folders leave no files behind; a
    // locker that finds the path no longer names the file it locked tries
    // again. Every locker of such a path must pass it.
    bool TryLock(std::u16string_view path, bool removeWhenDone = false);
    void Unlock();
    bool IsLocked() const { return m_hFile != -1; }

    // True when some other open of the file holds a lock on it now. A file
    // that does not exist is not held.
    static bool IsHeld(std::u16string_view path);

private:
    intptr_t m_hFile = -1;
    std::u16string m_strRemove;  // the file to remove at Unlock
};

}  // namespace kq
