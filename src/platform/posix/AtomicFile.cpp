#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

#include "platform/FileSystem.h"
#include "platform/Path.h"

namespace kq {

namespace {

bool WriteAll(int fd, std::string_view bytes)
{
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

bool SyncFolder(std::u16string_view folder)
{
    std::string native = NativePath(folder);
    if (native.empty()) native = "/";
    int fd = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fsync(fd) == 0;
    close(fd);
    return ok;
}

bool PublishFile(std::u16string_view finished, std::u16string_view path)
{
    const std::string target = NativePath(path);
    if (rename(NativePath(finished).c_str(), target.c_str()) != 0) return false;
    std::string folder = FolderOf(target);
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) return false;
    bool ok = fsync(dir) == 0;
    close(dir);
    return ok;
}

bool ReplaceFileAtomic(std::u16string_view path, std::string_view bytes)
{
    const std::string target = NativePath(path);
    std::random_device device;
    std::string temp;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temp = target + ".kq-new-" + std::to_string(device() % 1000000000u);
        fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0 && errno != EEXIST) return false;
    }
    if (fd < 0) return false;
    bool ok = WriteAll(fd, bytes) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    // Replacing is the point here, so a plain rename is right.
    if (!ok || rename(temp.c_str(), target.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    std::string folder = FolderOf(target);
    int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ok = fsync(dir) == 0;
        close(dir);
    }
    return ok;
}

CFileLock::~CFileLock() { Unlock(); }

bool CFileLock::TryLock(std::u16string_view path, bool removeWhenDone)
{
    Unlock();
    const std::string native = NativePath(path);
    // A removed lock file can be locked by one who opened it before the
    // removal; the path then names another file (or none), and the lock
    // guards nothing. A few tries: each failure means another holder came
    // and went meanwhile.
    for (int attempt = 0; attempt < 100; ++attempt) {
        int fd = open(native.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
        if (fd < 0) return false;
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            return false;
        }
        struct stat mine, there;
        if (removeWhenDone && (fstat(fd, &mine) != 0 || lstat(native.c_str(), &there) != 0 ||
                               mine.st_dev != there.st_dev || mine.st_ino != there.st_ino)) {
            close(fd);
            continue;
        }
        m_hFile = fd;
        if (removeWhenDone) m_strRemove.assign(path);
        return true;
    }
    return false;
}

void CFileLock::Unlock()
{
    if (m_hFile == -1) return;
    if (!m_strRemove.empty()) unlink(NativePath(m_strRemove).c_str());
    m_strRemove.clear();
    close(static_cast<int>(m_hFile));  // releases the lock
    m_hFile = -1;
}

bool CFileLock::IsHeld(std::u16string_view path)
{
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return held;
}

}  // namespace kq
