#include "platform/SecureFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/NativeFile.h"
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

namespace native {

intptr_t CreateNewPrivateFile(std::u16string_view path, bool& exists)
{
    int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    exists = fd < 0 && errno == EEXIST;
    return fd;
}

long long WriteSome(intptr_t file, const char* data, size_t size)
{
    for (;;) {
        ssize_t n = write(static_cast<int>(file), data, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

long long ReadSome(intptr_t file, char* buffer, size_t size)
{
    for (;;) {
        ssize_t n = read(static_cast<int>(file), buffer, size);
        if (n < 0 && errno == EINTR) continue;
        return n;
    }
}

bool SyncFile(intptr_t file) { return fsync(static_cast<int>(file)) == 0; }
bool CloseFile(intptr_t file) { return close(static_cast<int>(file)) == 0; }

// rename() replaces a link at the target rather than following it.
bool RenameReplacing(std::u16string_view from, std::u16string_view to)
{
    return rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

}  // namespace native

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

bool MakeOwnerExecutable(std::u16string_view path)
{
    int fd = open(NativePath(path).c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = fchmod(fd, 0700) == 0;
    close(fd);
    return ok;
}

}  // namespace kq
