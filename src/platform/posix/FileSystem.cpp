#include "platform/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/Path.h"
#include "platform/Text.h"

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace kq {

namespace {

// Asks the gate of a folder handle before a placeholder is made; a move
// without a gate may always make one.
struct CPlaceholderGate {
    const std::function<bool()>* m_pfnAsk = nullptr;
    signed char* m_pAnswer = nullptr;
    bool Allows() const
    {
        if (!m_pfnAsk || !*m_pfnAsk) return true;
        if (*m_pAnswer == 0) *m_pAnswer = (*m_pfnAsk)() ? 1 : -1;
        return *m_pAnswer > 0;
    }
};

void FillFacts(const struct stat& st, CFileId& id, CFileStamp& stamp)
{
    id.m_nDevice = static_cast<uint64_t>(st.st_dev);
    id.m_nNode = static_cast<uint64_t>(st.st_ino);
    stamp.m_nSize = static_cast<uint64_t>(st.st_size);
    stamp.m_nModified = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
}

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Removes the placeholder at to only while it is still ours and empty.
void DropPlaceholder(int placeholder, int toDir, const char* to)
{
    struct stat mine, there;
    if (fstat(placeholder, &mine) == 0 && mine.st_size == 0 && fstatat(toDir, to, &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        SameFile(mine, there))
        unlinkat(toDir, to, 0);
}

// Copies what another program wrote into the placeholder to a new file at
// to, so that its bytes are not lost with the placeholder.
void RestorePlaceholder(int placeholder, int toDir, const char* to)
{
    int out = openat(toDir, to, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) return;
    char buffer[65536];
    off_t at = 0;
    for (;;) {
        ssize_t n = pread(placeholder, buffer, sizeof buffer, at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        if (write(out, buffer, size_t(n)) != n) break;
        at += n;
    }
    close(out);
}

int MoveAt(int fromDir, const char* from, int toDir, const char* to, const CPlaceholderGate& gate = {},
           bool restoreOnOverwrite = true);

// A file system with neither RENAME_NOREPLACE nor hard links offers no move
// that refuses to replace. The target is reserved by an exclusive create,
// and the file renamed over that empty placeholder: another program that
// creates the name exclusively fails, one that checks finds it taken. What
// remains is a program that writes into the placeholder between the last
// check and the rename; its bytes show in the placeholder afterwards, and
// then the move is undone, those bytes are put back at to, and the move
// fails with EEXIST.
int MoveOverPlaceholder(int fromDir, const char* from, int toDir, const char* to, const CPlaceholderGate& gate,
                        bool restoreOnOverwrite)
{
    struct stat source;
    if (fstatat(fromDir, from, &source, AT_SYMLINK_NOFOLLOW) != 0) return -1;
    if (!gate.Allows()) {
        errno = EPERM;
        return -1;
    }
    if (S_ISDIR(source.st_mode)) {
        // A folder renamed over an empty folder replaces it, over anything
        // else fails, so an empty folder is a placeholder that cannot lose
        // anything.
        if (mkdirat(toDir, to, 0700) != 0) return -1;
        if (renameat(fromDir, from, toDir, to) == 0) return 0;
        int saved = errno;
        unlinkat(toDir, to, AT_REMOVEDIR);
        errno = saved;
        return -1;
    }
    int placeholder = openat(toDir, to, O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0);
    if (placeholder < 0) return -1;
    struct stat mine, there;
    if (fstat(placeholder, &mine) != 0 || mine.st_size != 0 || fstatat(toDir, to, &there, AT_SYMLINK_NOFOLLOW) != 0 ||
        !SameFile(mine, there)) {
        DropPlaceholder(placeholder, toDir, to);
        close(placeholder);
        errno = EEXIST;
        return -1;
    }
    if (renameat(fromDir, from, toDir, to) != 0) {
        int saved = errno;
        DropPlaceholder(placeholder, toDir, to);
        close(placeholder);
        errno = saved;
        return -1;
    }
    if (fstat(placeholder, &mine) != 0 || mine.st_size == 0 || !restoreOnOverwrite) {
        close(placeholder);
        return 0;
    }
    // Written into while reserved: put the file back, the writer's bytes in.
    if (MoveAt(toDir, to, fromDir, from, gate, false) != 0) {
        close(placeholder);
        return 0;  // the file stays under its new name; the move stands
    }
    RestorePlaceholder(placeholder, toDir, to);
    close(placeholder);
    errno = EEXIST;
    return -1;
}

// Tries renameat2(RENAME_NOREPLACE); where the file system refuses the flag,
// link+unlink (never replaces either); for folders, which cannot be linked,
// and where links are refused too, a move over a placeholder.
int MoveAt(int fromDir, const char* from, int toDir, const char* to, const CPlaceholderGate& gate,
           bool restoreOnOverwrite)
{
    static bool s_noRenameat2 = false;
    if (!s_noRenameat2) {
        if (renameat2(fromDir, from, toDir, to, RENAME_NOREPLACE) == 0) return 0;
        if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return -1;
        s_noRenameat2 = true;
    }
    if (linkat(fromDir, from, toDir, to, 0) == 0) {
        if (unlinkat(fromDir, from, 0) == 0) return 0;
        int saved = errno;
        unlinkat(toDir, to, 0);
        errno = saved;
        return -1;
    }
    if (errno != EPERM && errno != EXDEV && errno != ENOTSUP) return -1;
    return MoveOverPlaceholder(fromDir, from, toDir, to, gate, restoreOnOverwrite);
}

}  // namespace

std::string NativePath(std::u16string_view path) { return ToNativeName(path); }

bool ForEachFolderEntryId(std::u16string_view folder,
                          const std::function<bool(std::u16string_view, bool, uint64_t)>& visit)
{
    std::string native = NativePath(folder);
    if (native.empty()) native = "/";
    DIR* dir = opendir(native.c_str());
    if (!dir) return false;
    int fd = dirfd(dir);
    std::u16string name;
    while (dirent* entry = readdir(dir)) {
        bool isDirectory = false;
        if (entry->d_type == DT_DIR) {
            isDirectory = true;
        } else if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st;
            isDirectory = fstatat(fd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        name.clear();
        AppendFromNativeName(name, entry->d_name);
        if (!visit(name, isDirectory, static_cast<uint64_t>(entry->d_ino))) break;
    }
    closedir(dir);
    return true;
}

CFolderCursor::~CFolderCursor() { Close(); }

void CFolderCursor::Close()
{
    if (m_hFolder >= 0) close(static_cast<int>(m_hFolder));
    m_hFolder = -1;
}

bool CFolderCursor::IsOpen() const { return m_hFolder >= 0; }

bool CFolderCursor::Open(std::u16string_view folder)
{
    Close();
    std::string native = NativePath(folder);
    if (native.empty()) native = "/";
    m_hFolder = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_hFolder >= 0;
}

bool CFolderCursor::OpenChild(const CFolderCursor& parent, std::u16string_view name)
{
    Close();
    if (!parent.IsOpen() || name.empty()) return false;
    m_hFolder =
        openat(static_cast<int>(parent.m_hFolder), NativePath(name).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_hFolder >= 0;
}

bool CFolderCursor::ReadEntries(std::vector<CFolderEntry>& entries, std::vector<uint64_t>* nodes) const
{
    if (m_hFolder < 0) return false;
    // A descriptor of its own: closedir closes it, and the read starts at the
    // folder's beginning however often it is read.
    int fd = openat(static_cast<int>(m_hFolder), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    DIR* dir = fdopendir(fd);
    if (!dir) {
        close(fd);
        return false;
    }
    errno = 0;
    while (dirent* entry = readdir(dir)) {
        const char* n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0))) continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat st;
            isDirectory = fstatat(fd, n, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        CFolderEntry& out = entries.emplace_back();
        AppendFromNativeName(out.m_strName, n);
        out.m_bDirectory = isDirectory;
        if (nodes) nodes->push_back(static_cast<uint64_t>(entry->d_ino));
    }
    const bool ok = errno == 0;
    closedir(dir);
    return ok;
}

bool CFolderCursor::GetId(CFileId& id) const
{
    struct stat st;
    if (m_hFolder < 0 || fstat(static_cast<int>(m_hFolder), &st) != 0) return false;
    id.m_nDevice = static_cast<uint64_t>(st.st_dev);
    id.m_nNode = static_cast<uint64_t>(st.st_ino);
    return true;
}

EFileIdentity FolderIdentity(std::u16string_view folder)
{
    std::string native = NativePath(folder);
    if (native.empty()) native = "/";
    struct statfs fs;
    if (statfs(native.c_str(), &fs) != 0) return EFileIdentity::Node;
    return IdentityOfFileSystem(static_cast<uint64_t>(static_cast<unsigned long>(fs.f_type) & 0xffffffffu));
}

bool FolderListsFileNodes(std::u16string_view folder)
{
    std::string native = NativePath(folder);
    if (native.empty()) native = "/";
    struct statfs fs;
    if (statfs(native.c_str(), &fs) != 0) return false;
    return ListingNodesAreFileNodes(static_cast<uint64_t>(static_cast<unsigned long>(fs.f_type) & 0xffffffffu));
}

bool GetFileFacts(std::u16string_view path, CFileId& id, CFileStamp& stamp)
{
    struct stat st;
    if (lstat(NativePath(path).c_str(), &st) != 0) return false;
    FillFacts(st, id, stamp);
    return true;
}

bool GetFileId(std::u16string_view path, bool followLinks, CFileId& id)
{
    std::string native = NativePath(path);
    if (native.empty()) native = "/";
    struct stat st;
    if ((followLinks ? stat(native.c_str(), &st) : lstat(native.c_str(), &st)) != 0) return false;
    id.m_nDevice = static_cast<uint64_t>(st.st_dev);
    id.m_nNode = static_cast<uint64_t>(st.st_ino);
    return true;
}

bool PathExists(std::u16string_view path)
{
    struct stat st;
    return lstat(NativePath(path).c_str(), &st) == 0;
}

bool IsFolder(std::u16string_view path)
{
    struct stat st;
    std::string native = NativePath(path);
    if (native.empty()) native = "/";
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsRegularFile(std::u16string_view path)
{
    struct stat st;
    return stat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsPlainFile(std::u16string_view path)
{
    struct stat st;
    return lstat(NativePath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool GetFileTimes(std::u16string_view path, CFileTimes& times)
{
    std::string native = NativePath(path);
    struct statx stx;
    if (statx(AT_FDCWD, native.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &stx) == 0) {
        times.m_nModification = stx.stx_mtime.tv_sec;
        times.m_nAccess = stx.stx_atime.tv_sec;
        times.m_nCreation = (stx.stx_mask & STATX_BTIME) ? stx.stx_btime.tv_sec : stx.stx_ctime.tv_sec;
        return true;
    }
    struct stat st;
    if (stat(native.c_str(), &st) != 0) return false;
    times.m_nModification = st.st_mtime;
    times.m_nAccess = st.st_atime;
    times.m_nCreation = st.st_ctime;
    return true;
}

bool GetFileSize(std::u16string_view path, uint64_t& size)
{
    struct stat st;
    if (stat(NativePath(path).c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
    size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool ReadFileChunks(std::u16string_view path, uint64_t maxBytes,
                    const std::function<bool(std::string_view chunk)>& visit, bool followLinks)
{
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    int flags = O_RDONLY | O_CLOEXEC | O_NONBLOCK | (followLinks ? 0 : O_NOFOLLOW);
    int fd = open(NativePath(path).c_str(), flags);
    if (fd < 0) return false;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || uint64_t(st.st_size) > maxBytes) {
        close(fd);
        return false;
    }
    char buffer[65536];
    uint64_t total = 0;
    for (;;) {
        ssize_t n = read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            close(fd);
            return false;
        }
        if (n == 0) break;
        // The file may grow while it is read; the limit still holds.
        total += uint64_t(n);
        if (total > maxBytes) {
            close(fd);
            return false;
        }
        if (!visit(std::string_view(buffer, size_t(n)))) break;
    }
    close(fd);
    return true;
}

CDurableFile::~CDurableFile()
{
    if (m_hFile >= 0) close(static_cast<int>(m_hFile));
}

bool CDurableFile::Create(std::u16string_view path)
{
    if (m_hFile >= 0) close(static_cast<int>(m_hFile));
    m_hFile = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    m_bFailed = m_hFile < 0;
    return !m_bFailed;
}

bool CDurableFile::Write(std::string_view bytes)
{
    if (m_bFailed) return false;
    const char* p = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t n = write(static_cast<int>(m_hFile), p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            m_bFailed = true;
            return false;
        }
        p += n;
        left -= size_t(n);
    }
    return true;
}

void CDurableFile::StartFlush()
{
#ifdef SYNC_FILE_RANGE_WRITE
    // Only starts the write-back; Finish still waits for all of it.
    if (!m_bFailed) sync_file_range(static_cast<int>(m_hFile), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

bool CDurableFile::Finish(bool flush)
{
    if (m_hFile < 0) return false;
    bool ok = !m_bFailed && (!flush || fsync(static_cast<int>(m_hFile)) == 0);
    ok = close(static_cast<int>(m_hFile)) == 0 && ok;
    m_hFile = -1;
    return ok;
}

bool RemoveFile(std::u16string_view path) { return unlink(NativePath(path).c_str()) == 0; }

bool CreateFolder(std::u16string_view path)
{
    std::string native = NativePath(path);
    for (size_t pos = 1; pos <= native.size(); ++pos) {
        if (pos == native.size() || native[pos] == '/') {
            std::string part = native.substr(0, pos);
            if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
        }
    }
    struct stat st;
    return stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool MoveFileNoReplace(std::u16string_view from, std::u16string_view to)
{
    if (MoveErrorsInjected()) {
        if (int err = InjectedMoveError(from, to)) {
            errno = err;
            return false;
        }
    }
    return MoveAt(AT_FDCWD, NativePath(from).c_str(), AT_FDCWD, NativePath(to).c_str()) == 0;
}

bool IsMovePlaceholder(std::u16string_view path, uint64_t& node)
{
    struct stat st;
    if (lstat(NativePath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_size != 0 ||
        (st.st_mode & 07777) != 0)
        return false;
    node = static_cast<uint64_t>(st.st_ino);
    return true;
}

CFolderHandle::~CFolderHandle()
{
    if (m_hFolder >= 0) close(static_cast<int>(m_hFolder));
}

bool CFolderHandle::Open(std::u16string_view folder)
{
    if (m_hFolder >= 0) close(static_cast<int>(m_hFolder));
    m_strFolder.assign(folder);
    m_nPlaceholders = 0;
    std::string native = NativePath(folder);
    if (native.empty()) native = "/";
    m_hFolder = open(native.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_hFolder >= 0;
}

bool CFolderHandle::IsOpen() const { return m_hFolder >= 0; }

bool CFolderHandle::MoveNoReplace(std::u16string_view fromName, std::u16string_view toName) const
{
    if (MoveErrorsInjected()) {
        if (int err = InjectedMoveError(JoinPath(m_strFolder, fromName), JoinPath(m_strFolder, toName))) {
            errno = err;
            return false;
        }
    }
    if (m_hFolder < 0) {
        errno = EBADF;
        return false;
    }
    // Reused buffers: a large rename makes this call once per file.
    thread_local std::string from, to;
    from.clear();
    to.clear();
    AppendNativeName(from, fromName);
    AppendNativeName(to, toName);
    int fd = static_cast<int>(m_hFolder);
    return MoveAt(fd, from.c_str(), fd, to.c_str(), {&m_pfnPlaceholderGate, &m_nPlaceholders}) == 0;
}

size_t CNativeNames::Add(std::u16string_view name)
{
    size_t at = m_strText.size();
    AppendNativeName(m_strText, name);
    m_strText.push_back('\0');
    return at;
}

std::u16string CNativeNames::Name(size_t at) const { return FromNativeName(Get(at)); }

bool CFolderHandle::MoveNoReplace(const CNativeNames& names, size_t fromAt, size_t toAt) const
{
    if (MoveErrorsInjected()) {
        if (int err =
                InjectedMoveError(JoinPath(m_strFolder, names.Name(fromAt)), JoinPath(m_strFolder, names.Name(toAt)))) {
            errno = err;
            return false;
        }
    }
    if (m_hFolder < 0) {
        errno = EBADF;
        return false;
    }
    int fd = static_cast<int>(m_hFolder);
    return MoveAt(fd, names.Get(fromAt), fd, names.Get(toAt), {&m_pfnPlaceholderGate, &m_nPlaceholders}) == 0;
}

bool CFolderHandle::Contains(std::u16string_view name) const
{
    if (m_hFolder < 0) return false;
    struct stat st;
    return fstatat(static_cast<int>(m_hFolder), ToNativeName(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
}

bool CFolderHandle::GetEntryId(std::u16string_view name, CFileId& id) const
{
    CFileStamp stamp;
    return GetEntryFacts(name, id, stamp);
}

bool CFolderHandle::GetEntryFacts(std::u16string_view name, CFileId& id, CFileStamp& stamp) const
{
    if (m_hFolder < 0) return false;
    thread_local std::string native;
    native.clear();
    AppendNativeName(native, name);
    struct stat st;
    if (fstatat(static_cast<int>(m_hFolder), native.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
    FillFacts(st, id, stamp);
    return true;
}

bool CFolderHandle::GetEntryFactsAndCreation(std::u16string_view name, CFileId& id, CFileStamp& stamp, bool& timed,
                                             int64_t& creation) const
{
    if (m_hFolder < 0) return false;
    thread_local std::string native;
    native.clear();
    AppendNativeName(native, name);
    // The entry's own birth time, a link's included. Where the file system
    // keeps none, the change time is no stand-in: every move sets it.
    struct statx stx;
    if (statx(static_cast<int>(m_hFolder), native.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME,
              &stx) != 0 ||
        (stx.stx_mask & STATX_BASIC_STATS) != STATX_BASIC_STATS) {
        timed = false;
        return GetEntryFacts(name, id, stamp);
    }
    id.m_nDevice = static_cast<uint64_t>(makedev(stx.stx_dev_major, stx.stx_dev_minor));
    id.m_nNode = stx.stx_ino;
    stamp.m_nSize = stx.stx_size;
    stamp.m_nModified = static_cast<int64_t>(stx.stx_mtime.tv_sec) * 1000000000 + stx.stx_mtime.tv_nsec;
    timed = (stx.stx_mask & STATX_BTIME) != 0;
    creation = stx.stx_btime.tv_sec;
    return true;
}

void CFolderHandle::SetPlaceholderGate(std::function<bool()> gate)
{
    m_pfnPlaceholderGate = std::move(gate);
    m_nPlaceholders = 0;
}

}  // namespace kq
