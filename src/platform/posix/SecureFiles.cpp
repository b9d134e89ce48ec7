#include "platform/SecureFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/Path.h"
#include "platform/Text.h"

namespace kq {

namespace {

std::string EnvFolder(const char* name)
{
    const char* value = std::getenv(name);
    return (value && *value == '/') ? std::string(value) : std::string();
}

// The folder must be ours alone: a real folder, not a link, owned by us and
// closed to everyone else. A folder of ours with looser bits is tightened.
bool IsPrivateFolder(const std::string& path)
{
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == geteuid();
    if (ok && (st.st_mode & 077) != 0) ok = fchmod(fd, 0700) == 0;
    close(fd);
    return ok;
}

}  // namespace

bool PrivateTempFolder(std::u16string& folder)
{
    std::string base = EnvFolder("XDG_RUNTIME_DIR");
    if (base.empty()) base = EnvFolder("TMPDIR");
    if (base.empty()) base = "/tmp";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    const std::string path = (base == "/" ? "" : base) + "/kqtools-" + std::to_string(geteuid());
    if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
    if (!IsPrivateFolder(path)) return false;
    folder = FromNativeName(path);
    return true;
}

bool CAtomicFileWriter::Create(std::u16string_view target)
{
    Discard();
    m_bFailed = false;
    m_strTarget = target;
    for (int attempt = 0; attempt < 16; ++attempt) {
        m_strTemp = TempNameFor(m_strTarget);
        int fd = open(NativePath(m_strTemp).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            m_hFile = fd;
            m_strBuffer.reserve(kAtomicWriteBuffer);
            return true;
        }
        if (errno != EEXIST) break;
    }
    m_strTemp.clear();
    return false;
}

bool CAtomicFileWriter::FlushBuffer()
{
    const char* p = m_strBuffer.data();
    size_t left = m_strBuffer.size();
    while (left > 0 && !m_bFailed) {
        ssize_t n = write(static_cast<int>(m_hFile), p, left);
        if (n < 0 && errno == EINTR) continue;
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
    if (m_hFile < 0) return false;
    bool ok = FlushBuffer() && fsync(static_cast<int>(m_hFile)) == 0;
    ok = close(static_cast<int>(m_hFile)) == 0 && ok;
    m_hFile = -1;
    // rename() replaces a link at the target rather than following it.
    ok = ok && rename(NativePath(m_strTemp).c_str(), NativePath(m_strTarget).c_str()) == 0;
    if (!ok) unlink(NativePath(m_strTemp).c_str());
    m_strTemp.clear();
    return ok;
}

void CAtomicFileWriter::Discard()
{
    if (m_hFile >= 0) close(static_cast<int>(m_hFile));
    m_hFile = -1;
    if (!m_strTemp.empty()) unlink(NativePath(m_strTemp).c_str());
    m_strTemp.clear();
    m_strBuffer.clear();
}

CRegularFileReader::~CRegularFileReader() { Close(); }

bool CRegularFileReader::Open(std::u16string_view path)
{
    Close();
    // Non-blocking so that opening a FIFO cannot wait for a writer.
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    m_hFile = fd;
    m_nSize = uint64_t(st.st_size);
    return true;
}

void CRegularFileReader::Close()
{
    if (m_hFile >= 0) close(static_cast<int>(m_hFile));
    m_hFile = -1;
    m_nSize = 0;
}

long long CRegularFileReader::Read(char* buffer, size_t size)
{
    if (m_hFile < 0) return -1;
    for (;;) {
        ssize_t n = read(static_cast<int>(m_hFile), buffer, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool MakeOwnerExecutable(std::u16string_view path)
{
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0700) == 0;
    close(fd);
    return ok;
}

}  // namespace kq
