#include "platform/MappedFile.h"

#include <windows.h>

#include <string>

namespace kq {

CMappedFile::~CMappedFile() { Close(); }

bool CMappedFile::Open(std::u16string_view path)
{
    Close();
    const std::wstring wide(path.begin(), path.end());
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    LARGE_INTEGER size{};
    bool ok = GetFileType(file) == FILE_TYPE_DISK && GetFileSizeEx(file, &size) && uint64_t(size.QuadPart) <= SIZE_MAX;
    if (ok && size.QuadPart > 0) {
        HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
        const void* data = mapping ? MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0) : nullptr;
        ok = data != nullptr;
        if (ok) {
            m_pData = data;
            m_nSize = size_t(size.QuadPart);
            m_hMapping = reinterpret_cast<intptr_t>(mapping);
        } else if (mapping) {
            CloseHandle(mapping);
        }
    }
    CloseHandle(file);
    return ok;
}

void CMappedFile::Close()
{
    if (m_pData) UnmapViewOfFile(m_pData);
    if (m_hMapping) CloseHandle(reinterpret_cast<HANDLE>(m_hMapping));
    m_pData = nullptr;
    m_nSize = 0;
    m_hMapping = 0;
}

}  // namespace kq
