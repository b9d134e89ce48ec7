// The parts of the secure file services that need no system call.
#include "platform/SecureFiles.h"

#include <cstdio>
#include <mutex>
#include <random>

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

}  // namespace kq
