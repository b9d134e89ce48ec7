#include "platform/SecureFiles.h"

#include <windows.h>

#include <cstdio>

#include "platform/NativeFile.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"

namespace kq {

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
HANDLE Handle(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

// The per-user temporary folder is private on Windows already.
bool PrivateTempFolder(std::u16string& folder)
{
    folder = TempFolder();
    return !folder.empty();
}

namespace native {

intptr_t CreateNewPrivateFile(std::u16string_view path, bool& exists)
{
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    exists = h == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS;
    return h == INVALID_HANDLE_VALUE ? -1 : reinterpret_cast<intptr_t>(h);
}

long long WriteSome(intptr_t file, const char* data, size_t size)
{
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size), written = 0;
    if (!WriteFile(Handle(file), data, chunk, &written, nullptr)) return -1;
    return written;
}

long long ReadSome(intptr_t file, char* buffer, size_t size)
{
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size), got = 0;
    if (!ReadFile(Handle(file), buffer, chunk, &got, nullptr)) return -1;
    return got;
}

bool SyncFile(intptr_t file) { return FlushFileBuffers(Handle(file)) != 0; }
bool CloseFile(intptr_t file) { return CloseHandle(Handle(file)) != 0; }

bool RenameReplacing(std::u16string_view from, std::u16string_view to)
{
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace native

bool CRegularFileReader::Open(std::u16string_view path)
{
    Close();
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size;
    if (GetFileType(h) != FILE_TYPE_DISK || !GetFileSizeEx(h, &size)) {
        CloseHandle(h);
        return false;
    }
    m_hFile = reinterpret_cast<intptr_t>(h);
    m_nSize = static_cast<uint64_t>(size.QuadPart);
    return true;
}

bool MakeOwnerExecutable(std::u16string_view) { return true; }

}  // namespace kq
