// Windows side of the file-system services (wide-character Win32 calls).
#ifdef _WIN32

#include "platform/FileSystem.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "platform/Path.h"
#include "platform/windows/FileTime.h"

namespace kq {

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

int ErrnoFromWin32(DWORD error)
{
    switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS: return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND: return ENOENT;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return EACCES;
    default: return EIO;
    }
}

bool MoveOnce(const std::wstring& from, const std::wstring& to)
{
    // Without MOVEFILE_REPLACE_EXISTING the move fails when the target exists.
    if (MoveFileExW(from.c_str(), to.c_str(), 0)) return true;
    errno = ErrnoFromWin32(GetLastError());
    // A name over NTFS's 255 units is refused under other codes too (a path
    // not found, an invalid name): the length is the reason.
    const size_t slash = to.find_last_of(L"\\/");
    if (to.size() - (slash == std::wstring::npos ? 0 : slash + 1) > 255) errno = ENAMETOOLONG;
    return false;
}

bool SameFile(const std::wstring& a, const std::wstring& b)
{
    CFileId idA, idB;
    return GetFileId(std::u16string(a.begin(), a.end()), false, idA) && GetFileId(std::u16string(b.begin(), b.end()), false, idB) &&
           idA == idB;
}

// A new name that differs from the old one only in case names the same file.
// Windows renames it in place, but a file system reached through a
// compatibility layer may resolve the target to the file itself and report
// success without changing anything. Through a free temporary name the new
// case holds everywhere.
bool MoveCaseOnly(const std::wstring& from, const std::wstring& to)
{
    for (unsigned n = 0; n < 100; ++n) {
        std::wstring temp = to + L".kq-case" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(n);
        if (!MoveOnce(from, temp)) {
            if (errno == EEXIST) continue;
            return false;
        }
        if (MoveOnce(temp, to)) return true;
        int err = errno;
        MoveFileExW(temp.c_str(), from.c_str(), 0);
        errno = err;
        return false;
    }
    errno = EEXIST;
    return false;
}

bool Move(const std::wstring& from, const std::wstring& to)
{
    if (from != to && CompareStringOrdinal(from.c_str(), static_cast<int>(from.size()), to.c_str(), static_cast<int>(to.size()), TRUE) == CSTR_EQUAL &&
        SameFile(from, to))
        return MoveCaseOnly(from, to);
    return MoveOnce(from, to);
}

}  // namespace

std::string NativePath(std::u16string_view path)
{
    std::string out;
    int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(path.data()), static_cast<int>(path.size()), nullptr, 0, nullptr, nullptr);
    out.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<const wchar_t*>(path.data()), static_cast<int>(path.size()), out.data(), n, nullptr, nullptr);
    return out;
}

bool ForEachFolderEntryId(std::u16string_view folder,
                          const std::function<bool(std::u16string_view, bool, uint64_t)>& visit)
{
    // The directory listing of an open folder carries each entry's file id,
    // the number GetFileId reports: the rename journal names files by it and
    // recovery checks it, so it must not be 0 here.
    HANDLE h = CreateFileW(Wide(folder).c_str(), FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION self;
    if (!GetFileInformationByHandle(h, &self) || !(self.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(h);
        return false;
    }
    // Per call, as a visit may walk a sub-folder meanwhile.
    std::vector<LONGLONG> storage(64 * 1024 / sizeof(LONGLONG));
    auto* buffer = reinterpret_cast<BYTE*>(storage.data());
    const DWORD bufferSize = static_cast<DWORD>(storage.size() * sizeof(LONGLONG));
    FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
    bool more = true;
    while (more && GetFileInformationByHandleEx(h, kind, buffer, bufferSize)) {
        kind = FileIdBothDirectoryInfo;
        for (size_t at = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(buffer + at);
            std::u16string_view name(reinterpret_cast<const char16_t*>(entry->FileName), entry->FileNameLength / sizeof(WCHAR));
            if (!visit(name, (entry->FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0, static_cast<uint64_t>(entry->FileId.QuadPart))) {
                more = false;
                break;
            }
            if (entry->NextEntryOffset == 0) break;
            at += entry->NextEntryOffset;
        }
    }
    CloseHandle(h);
    return true;
}

namespace {

// What the system knows of the file at path (the link itself unless followLinks).
bool QueryFile(std::u16string_view path, bool followLinks, BY_HANDLE_FILE_INFORMATION& info)
{
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = CreateFileW(Wide(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = GetFileInformationByHandle(h, &info) != 0;
    CloseHandle(h);
    return ok;
}

}  // namespace

bool GetFileId(std::u16string_view path, bool followLinks, CFileId& id)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!QueryFile(path, followLinks, info)) return false;
    id.m_nDevice = info.dwVolumeSerialNumber;
    id.m_nNode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

EFileIdentity FolderIdentity(std::u16string_view folder)
{
    HANDLE h = CreateFileW(Wide(folder).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return EFileIdentity::Node;
    wchar_t name[MAX_PATH + 1] = {};
    const bool ok = GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, name, MAX_PATH + 1) != 0;
    CloseHandle(h);
    return ok ? IdentityOfFileSystemName(reinterpret_cast<const char16_t*>(name)) : EFileIdentity::Node;
}

// The listing gives no node numbers here.
bool FolderListsFileNodes(std::u16string_view) { return false; }

bool GetFileFacts(std::u16string_view path, CFileId& id, CFileStamp& stamp)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!QueryFile(path, false, info)) return false;
    id.m_nDevice = info.dwVolumeSerialNumber;
    id.m_nNode = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    stamp.m_nSize = (static_cast<uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    stamp.m_nModified = ToUnixNanoseconds(info.ftLastWriteTime);
    return true;
}

CFolderCursor::~CFolderCursor() { Close(); }

void CFolderCursor::Close()
{
    m_hFolder = -1;
    m_strPath.clear();
}

bool CFolderCursor::IsOpen() const { return m_hFolder >= 0; }

bool CFolderCursor::Open(std::u16string_view folder)
{
    Close();
    if (!IsFolder(folder)) return false;
    m_strPath.assign(folder);
    m_hFolder = 0;
    return true;
}

bool CFolderCursor::OpenChild(const CFolderCursor& parent, std::u16string_view name)
{
    if (!parent.IsOpen() || name.empty()) {
        Close();
        return false;
    }
    std::u16string path = JoinPath(parent.m_strPath, name);
    return Open(path);
}

bool CFolderCursor::ReadEntries(std::vector<CFolderEntry>& entries, std::vector<uint64_t>* nodes) const
{
    if (m_hFolder < 0) return false;
    if (nodes) {
        return ForEachFolderEntryId(m_strPath, [&](std::u16string_view name, bool isDirectory, uint64_t node) {
            if (name == u"." || name == u"..") return true;
            entries.push_back({std::u16string(name), isDirectory});
            nodes->push_back(node);
            return true;
        });
    }
    return ForEachFolderEntry(m_strPath, [&](std::u16string_view name, bool isDirectory) {
        if (name != u"." && name != u"..") entries.push_back({std::u16string(name), isDirectory});
        return true;
    });
}

bool CFolderCursor::GetId(CFileId& id) const { return m_hFolder >= 0 && GetFileId(m_strPath, true, id); }

bool PathExists(std::u16string_view path) { return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(std::u16string_view path)
{
    DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsRegularFile(std::u16string_view path)
{
    DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsPlainFile(std::u16string_view path)
{
    DWORD a = GetFileAttributesW(Wide(path).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

bool GetFileTimes(std::u16string_view path, CFileTimes& times)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data)) return false;
    times.m_nCreation = ToUnixSeconds(data.ftCreationTime);
    times.m_nModification = ToUnixSeconds(data.ftLastWriteTime);
    times.m_nAccess = ToUnixSeconds(data.ftLastAccessTime);
    return true;
}

bool GetFileSize(std::u16string_view path, uint64_t& size)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool ReadFileChunks(std::u16string_view path, uint64_t maxBytes,
                    const std::function<bool(std::string_view chunk)>& visit, bool followLinks)
{
    DWORD flags = followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT;
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    // Only disk files: a pipe or a console would block or never end.
    LARGE_INTEGER size;
    FILE_ATTRIBUTE_TAG_INFO tag{};
    bool regular = GetFileType(h) == FILE_TYPE_DISK && GetFileSizeEx(h, &size) && uint64_t(size.QuadPart) <= maxBytes;
    if (regular && !followLinks && GetFileInformationByHandleEx(h, FileAttributeTagInfo, &tag, sizeof tag))
        regular = (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
    if (!regular) {
        CloseHandle(h);
        return false;
    }
    char buffer[65536];
    DWORD got = 0;
    uint64_t total = 0;
    bool ok = true;
    while ((ok = ReadFile(h, buffer, sizeof buffer, &got, nullptr) != 0) && got > 0) {
        total += got;
        if (total > maxBytes) {
            ok = false;
            break;
        }
        if (!visit(std::string_view(buffer, got))) break;
    }
    CloseHandle(h);
    return ok;
}

CDurableFile::~CDurableFile()
{
    if (m_hFile >= 0) CloseHandle(reinterpret_cast<HANDLE>(m_hFile));
}

bool CDurableFile::Create(std::u16string_view path)
{
    if (m_hFile >= 0) CloseHandle(reinterpret_cast<HANDLE>(m_hFile));
    // Shared like a POSIX file: the rename journal is written while a lock
    // handle holds it open, and published by a rename.
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_hFile = h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
    m_bFailed = m_hFile < 0;
    return !m_bFailed;
}

bool CDurableFile::Write(std::string_view bytes)
{
    if (m_bFailed) return false;
    HANDLE h = reinterpret_cast<HANDLE>(m_hFile);
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), chunk, &written, nullptr) || written == 0) {
            m_bFailed = true;
            return false;
        }
        bytes.remove_prefix(written);
    }
    return true;
}

void CDurableFile::StartFlush() {}

bool CDurableFile::Finish(bool flush)
{
    if (m_hFile < 0) return false;
    HANDLE h = reinterpret_cast<HANDLE>(m_hFile);
    bool ok = !m_bFailed && (!flush || FlushFileBuffers(h) != 0);
    ok = CloseHandle(h) && ok;
    m_hFile = -1;
    return ok;
}

// Moves here never reserve their target: MoveFileEx refuses to replace.
bool IsMovePlaceholder(std::u16string_view, uint64_t&) { return false; }

bool RemoveFile(std::u16string_view path) { return DeleteFileW(Wide(path).c_str()) != 0; }

bool CreateFolder(std::u16string_view path)
{
    std::wstring wide = Wide(path);
    for (size_t pos = 1; pos <= wide.size(); ++pos) {
        if (pos == wide.size() || wide[pos] == L'\\') {
            std::wstring part = wide.substr(0, pos);
            if (part.size() == 2 && part[1] == L':') continue;  // drive
            if (!CreateDirectoryW(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        }
    }
    return IsFolder(path);
}

bool MoveFileNoReplace(std::u16string_view from, std::u16string_view to)
{
    if (MoveErrorsInjected()) {
        if (int err = InjectedMoveError(from, to)) {
            errno = err;
            return false;
        }
    }
    return Move(Wide(from), Wide(to));
}

// Windows has no folder-relative moves; the handle keeps the folder path.
CFolderHandle::~CFolderHandle() = default;

bool CFolderHandle::Open(std::u16string_view folder)
{
    m_strFolder.assign(folder);
    m_hFolder = IsFolder(folder) ? 0 : -1;
    return m_hFolder >= 0;
}

bool CFolderHandle::IsOpen() const { return m_hFolder >= 0; }

bool CFolderHandle::MoveNoReplace(std::u16string_view fromName, std::u16string_view toName) const
{
    return MoveFileNoReplace(JoinPath(m_strFolder, fromName), JoinPath(m_strFolder, toName));
}

size_t CNativeNames::Add(std::u16string_view name)
{
    size_t at = m_strText.size();
    m_strText.append(name);
    m_strText.push_back(u'\0');
    return at;
}

std::u16string CNativeNames::Name(size_t at) const { return std::u16string(Get(at)); }

bool CFolderHandle::MoveNoReplace(const CNativeNames& names, size_t fromAt, size_t toAt) const
{
    return MoveNoReplace(std::u16string_view(names.Get(fromAt)), std::u16string_view(names.Get(toAt)));
}

bool CFolderHandle::Contains(std::u16string_view name) const { return PathExists(JoinPath(m_strFolder, name)); }

bool CFolderHandle::GetEntryId(std::u16string_view name, CFileId& id) const
{
    return GetFileId(JoinPath(m_strFolder, name), false, id);
}

bool CFolderHandle::GetEntryFacts(std::u16string_view name, CFileId& id, CFileStamp& stamp) const
{
    return GetFileFacts(JoinPath(m_strFolder, name), id, stamp);
}

bool CFolderHandle::GetEntryFactsAndCreation(std::u16string_view name, CFileId& id, CFileStamp& stamp, bool& timed,
                                             int64_t& creation) const
{
    if (!GetEntryFacts(name, id, stamp)) return false;
    CFileTimes times;
    timed = GetFileTimes(JoinPath(m_strFolder, name), times);
    creation = times.m_nCreation;
    return true;
}

// Moves here never need a placeholder: MoveFileEx refuses to replace.
void CFolderHandle::SetPlaceholderGate(std::function<bool()> gate) { m_pfnPlaceholderGate = std::move(gate); }

}  // namespace kq

#endif  // _WIN32
