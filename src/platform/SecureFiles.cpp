// The secure file services over the system's calls in NativeFile.h.
#include "platform/SecureFiles.h"

#include <cstdio>
#include <mutex>
#include <random>

#include "platform/FileSystem.h"
#include "platform/NativeFile.h"
#include "platform/Text.h"

namespace kq {

CAtomicFileWriter::~CAtomicFileWriter() { Discard(); }

std::u16string CAtomicFileWriter::TempNameFor(std::u16string_view target)
{
    static std::mutex s_mutex;
    static std::mt19937_64 s_random{std::random_device{}()};
    unsigned long long n;
    {
        std::lock_guard lock(s_mutex);
        n = s_random();
    }
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".part-%016llx", n);
    return std::u16string(target) + FromAscii(suffix);
}

bool CAtomicFileWriter::Create(std::u16string_view target)
{
    Discard();
    m_bFailed = false;
    m_strTarget = target;
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_strTemp = TempNameFor(m_strTarget);
        bool exists = false;
        m_hFile = native::CreateNewPrivateFile(m_strTemp, exists);
        if (m_hFile != -1) {
            m_strBuffer.reserve(kAtomicWriteBuffer);
            return true;
        }
        if (!exists) break;
    }
    m_strTemp.clear();
    return false;
}

bool CAtomicFileWriter::Write(std::string_view bytes)
{
    if (m_hFile == -1 || m_bFailed) return false;
    if (m_strBuffer.size() + bytes.size() > kAtomicWriteBuffer && !FlushBuffer()) return false;
    if (bytes.size() >= kAtomicWriteBuffer) {
        m_strBuffer.assign(bytes);
        return FlushBuffer();
    }
    m_strBuffer.append(bytes);
    return true;
}

bool CAtomicFileWriter::FlushBuffer()
{
    const char* p = m_strBuffer.data();
    size_t left = m_strBuffer.size();
    while (left > 0 && !m_bFailed) {
        long long n = native::WriteSome(m_hFile, p, left);
        if (n <= 0) m_bFailed = true;
        else {
            p += n;
            left -= size_t(n);
        }
    }
    m_strBuffer.clear();
    return !m_bFailed;
}

bool CAtomicFileWriter::Commit()
{
    if (m_hFile == -1) return false;
    bool ok = FlushBuffer() && native::SyncFile(m_hFile);
    ok = native::CloseFile(m_hFile) && ok;
    m_hFile = -1;
    ok = ok && native::RenameReplacing(m_strTemp, m_strTarget);
    if (!ok) RemoveFile(m_strTemp);
    m_strTemp.clear();
    return ok;
}

void CAtomicFileWriter::Discard()
{
    if (m_hFile != -1) native::CloseFile(m_hFile);
    m_hFile = -1;
    if (!m_strTemp.empty()) RemoveFile(m_strTemp);
    m_strTemp.clear();
    m_strBuffer.clear();
}

CRegularFileReader::~CRegularFileReader() { Close(); }

void CRegularFileReader::Close()
{
    if (m_hFile != -1) native::CloseFile(m_hFile);
    m_hFile = -1;
    m_nSize = 0;
}

long long CRegularFileReader::Read(char* buffer, size_t size)
{
    if (m_hFile == -1) return -1;
    return native::ReadSome(m_hFile, buffer, size);
}

}  // namespace kq
