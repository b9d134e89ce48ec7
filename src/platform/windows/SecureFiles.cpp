#include "platform/SecureFiles.h"

#include <windows.h>

#include <cstdio>

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

bool CAtomicFileWriter::Create(std::u16string_view target)
{
    Discard();
    m_bFailed = false;
    m_strTarget = target;
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_strTemp = TempNameFor(m_strTarget);
        HANDLE h = CreateFileW(Wide(m_strTemp).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            m_hFile = reinterpret_cast<intptr_t>(h);
            m_strBuffer.reserve(kAtomicWriteBuffer);
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS) break;
    }
    m_strTemp.clear();
    return false;
}

bool CAtomicFileWriter::FlushBuffer()
{
    const char* p = m_strBuffer.data();
    size_t left = m_strBuffer.size();
    while (left > 0 && !m_bFailed) {
        DWORD chunk = left > 0x40000000 ? 0x40000000 : static_cast<DWORD>(left), written = 0;
        if (!WriteFile(Handle(m_hFile), p, chunk, &written, nullptr) || written == 0) m_bFailed = true;
        p += written;
        left -= written;
    }
    m_strBuffer.clear();
    return !m_bFailed;
}

bool CAtomicFileWriter::Commit()
{
    if (m_hFile == -1) return false;
    bool ok = FlushBuffer() && FlushFileBuffers(Handle(m_hFile));
    ok = CloseHandle(Handle(m_hFile)) && ok;
    m_hFile = -1;
    ok = ok && MoveFileExW(Wide(m_strTemp).c_str(), Wide(m_strTarget).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!ok) DeleteFileW(Wide(m_strTemp).c_str());
    m_strTemp.clear();
    return ok;
}

void CAtomicFileWriter::Discard()
{
    if (m_hFile != -1) CloseHandle(Handle(m_hFile));
    m_hFile = -1;
    if (!m_strTemp.empty()) DeleteFileW(Wide(m_strTemp).c_str());
    m_strTemp.clear();
    m_strBuffer.clear();
}

CRegularFileReader::~CRegularFileReader() { Close(); }

bool CRegularFileReader::Open(std::u16string_view path)
{
    Close();
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
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

void CRegularFileReader::Close()
{
    if (m_hFile != -1) CloseHandle(Handle(m_hFile));
    m_hFile = -1;
    m_nSize = 0;
}

long long CRegularFileReader::Read(char* buffer, size_t size)
{
    if (m_hFile == -1) return -1;
    DWORD chunk = size > 0x40000000 ? 0x40000000 : static_cast<DWORD>(size), got = 0;
    if (!ReadFile(Handle(m_hFile), buffer, chunk, &got, nullptr)) return -1;
    return got;
}

bool MakeOwnerExecutable(std::u16string_view) { return true; }

}  // namespace kq
