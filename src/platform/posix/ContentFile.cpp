#include "platform/ContentFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/FileSystem.h"

namespace kq {

namespace {

void FillId(const struct stat& st, CContentId& id)
{
    id.m_nDevice = uint64_t(st.st_dev);
    id.m_nNode = uint64_t(st.st_ino);
    id.m_nSize = uint64_t(st.st_size);
    id.m_nModified = int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

}  // namespace

bool GetContentId(std::u16string_view path, CContentId& id)
{
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    FillId(st, id);
    return true;
}

CContentFile::~CContentFile() { Close(); }

bool CContentFile::Open(std::u16string_view path)
{
    Close();
    // O_NONBLOCK: a FIFO opens at once and is refused below instead of
    // waiting for a writer.
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return false;
    }
    FillId(st, m_id);
    m_hFile = fd;
    m_strPath.assign(path);
    return true;
}

void CContentFile::Close()
{
    if (m_hFile != -1) close(int(m_hFile));
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
        ssize_t n = pread(int(m_hFile), out + done, size - done, off_t(offset + done));
        if (n < 0) {
            if (errno == EINTR) continue;
            return -1;
        }
        if (n == 0) break;
        done += size_t(n);
    }
    return static_cast<long long>(done);
}

std::string CContentFile::OpenedName() const
{
    if (m_hFile == -1) return {};
#ifdef __linux__
    return "/proc/self/fd/" + std::to_string(m_hFile);
#else
    return NativePath(m_strPath);
#endif
}

}  // namespace kq
