#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

#include "platform/FileSystem.h"

namespace kq {

CMappedFile::~CMappedFile() { Close(); }

bool CMappedFile::Open(std::u16string_view path)
{
    Close();
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return false;
    struct stat st;
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && uint64_t(st.st_size) <= SIZE_MAX;
    if (ok && st.st_size > 0) {
        void* data = mmap(nullptr, size_t(st.st_size), PROT_READ, MAP_PRIVATE, fd, 0);
        ok = data != MAP_FAILED;
        if (ok) {
            m_pData = data;
            m_nSize = size_t(st.st_size);
        }
    }
    close(fd);
    return ok;
}

void CMappedFile::Close()
{
    if (m_pData) munmap(const_cast<void*>(m_pData), m_nSize);
    m_pData = nullptr;
    m_nSize = 0;
}

}  // namespace kq
