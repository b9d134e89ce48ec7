// Windows side of reading file contents: disk files only, opened for
// reading with every share mode so that no other program is disturbed.
#ifdef _WIN32

#include "platform/ContentFile.h"
#include "platform/windows/FileTime.h"

#include <windows.h>

namespace kq {

namespace {

HANDLE OpenForReading(std::u16string_view path)
{
    std::wstring wide(path.begin(), path.end());
    return CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool ReadId(HANDLE h, CContentId& id)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileInformationByHandle(h, &info)) return false;
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return false;
    id.m_nDevice = info.dwVolumeSerialNumber;
    id.m_nNode = (uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.m_nSize = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    id.m_nModified = ToUnixNanoseconds(info.ftLastWriteTime);
    return true;
}

}  // namespace

bool GetContentId(std::u16string_view path, CContentId& id)
{
    HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool ok = ReadId(h, id);
    CloseHandle(h);
    return ok;
}

CContentFile::~CContentFile() { Close(); }

bool CContentFile::Open(std::u16string_view path)
{
    Close();
    HANDLE h = OpenForReading(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    if (!ReadId(h, m_id)) {
        CloseHandle(h);
        m_id = {};
        return false;
    }
    m_hFile = reinterpret_cast<intptr_t>(h);
    m_strPath.assign(path);
    return true;
}

void CContentFile::Close()
{
    if (m_hFile != -1) CloseHandle(reinterpret_cast<HANDLE>(m_hFile));
    m_hFile = -1;
    m_id = {};
    m_strPath.clear();
}

long long CContentFile::ReadAt(uint64_t offset, void* buffer, size_t size) const
{
    if (m_hFile == -1) return -1;
    char* out = static_cast<char*>(buffer);
    size_t done = 0;
    while (done < size) {
        OVERLAPPED at{};
        const uint64_t where = offset + done;
        at.Offset = DWORD(where);
        at.OffsetHigh = DWORD(where >> 32);
        const DWORD want = DWORD(size - done > 0x40000000 ? 0x40000000 : size - done);
        DWORD got = 0;
        if (!ReadFile(reinterpret_cast<HANDLE>(m_hFile), out + done, want, &got, &at)) {
            if (GetLastError() == ERROR_HANDLE_EOF) break;
            return -1;
        }
        if (got == 0) break;
        done += got;
    }
    return static_cast<long long>(done);
}

std::string CContentFile::OpenedName() const { return {}; }

}  // namespace kq

#endif  // _WIN32
