#include "platform/AtomicFile.h"

#include <windows.h>

#include <algorithm>
#include <random>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace kq {

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

// Windows byte-range locks are mandatory: a lock on the data would fail the
// writes of the file's owner through its other handle (the journal is
// written while it is locked). One byte far beyond any content is locked
// instead, and the file stays open to renames and removal, as on POSIX.
constexpr DWORD kLockOffsetHigh = 0x40000000;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED LockPosition()
{
    OVERLAPPED at = {};
    at.OffsetHigh = kLockOffsetHigh;
    return at;
}

}  // namespace

bool SyncFolder(std::u16string_view)
{
    // NTFS journals its folder entries; MOVEFILE_WRITE_THROUGH waits for them.
    return true;
}

bool PublishFile(std::u16string_view finished, std::u16string_view path)
{
    return MoveFileExW(Wide(finished).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

bool ReplaceFileAtomic(std::u16string_view path, std::string_view bytes)
{
    std::random_device device;
    std::u16string temp;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        temp = std::u16string(path) + u".kq-new-";
        for (char c : std::to_string(device() % 1000000000u)) temp += char16_t(c);
        file = CreateFileW(Wide(temp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) return false;
    }
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = true;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
        DWORD written = 0;
        ok = WriteFile(file, bytes.data() + done, part, &written, nullptr) && written == part;
        done += written;
    }
    ok = ok && FlushFileBuffers(file);
    ok = CloseHandle(file) && ok;
    if (!ok || !MoveFileExW(Wide(temp).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileW(Wide(temp).c_str());
        return false;
    }
    return true;
}

CFileLock::~CFileLock() { Unlock(); }

bool CFileLock::TryLock(std::u16string_view path, bool removeWhenDone)
{
    Unlock();
    // As on POSIX: a lock on a file removed meanwhile guards nothing.
    for (int attempt = 0; attempt < 100; ++attempt) {
        HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        OVERLAPPED at = LockPosition();
        if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
            CloseHandle(file);
            return false;
        }
        BY_HANDLE_FILE_INFORMATION info;
        CFileId there;
        if (removeWhenDone &&
            (!GetFileInformationByHandle(file, &info) || !GetFileId(path, false, there) ||
             there.m_nDevice != info.dwVolumeSerialNumber ||
             there.m_nNode != ((static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow))) {
            CloseHandle(file);
            continue;
        }
        m_hFile = reinterpret_cast<intptr_t>(file);
        if (removeWhenDone) m_strRemove.assign(path);
        return true;
    }
    return false;
}

void CFileLock::Unlock()
{
    if (m_hFile == -1) return;
    if (!m_strRemove.empty()) DeleteFileW(Wide(m_strRemove).c_str());
    m_strRemove.clear();
    CloseHandle(reinterpret_cast<HANDLE>(m_hFile));  // releases the lock
    m_hFile = -1;
}

bool CFileLock::IsHeld(std::u16string_view path)
{
    HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    OVERLAPPED at = LockPosition();
    const bool held = !LockFileEx(file, LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at);
    if (!held) UnlockFileEx(file, 0, 1, 0, &at);
    CloseHandle(file);
    return held;
}

}  // namespace kq
