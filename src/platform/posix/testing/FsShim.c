/* A preload library for tests only (never installed): it makes the file
 * system behave like one the program cannot test for on this machine, and
 * kills the process at a chosen step, as a crash or a power cut would.
 *
 *   KQ_SHIM_NO_NOREPLACE=1  renameat2(RENAME_NOREPLACE) fails with EINVAL (NFS, some FUSE)
 *   KQ_SHIM_NO_LINK=1       link/linkat fail with EPERM (FAT, exFAT)
 *   KQ_SHIM_CREATE_TARGET=N before the Nth plain renameat, another program
 *                           writes "intruder" to its target (creating it, or
 *                           into the file there), as one might between a check
 *                           and the rename
 *   KQ_SHIM_KILL_AT=N       SIGKILL before the Nth call that changes a folder
 *                           (rename, link, unlink; counted from 1)
 *   KQ_SHIM_DINO_SHIFT=N    readdir gives node numbers N above lstat's, as FUSE
 *                           and overlayfs over another file system do
 *   KQ_SHIM_FULL=PREFIX     the disk under PREFIX is full: files created there
 *                           open, but writing to them fails with ENOSPC
 *   KQ_SHIM_NO_MODES=1      files created relative to a folder get mode 0644
 *                           whatever was asked, as on exFAT, which keeps no
 *                           permissions
 */
#define _GNU_SOURCE
#include <dirent.h>
#include <dlfcn.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

static int Flag(const char* name)
{
    const char* v = getenv(name);
    return v && *v && strcmp(v, "0") != 0;
}

static void Step(void)
{
    static long s_nCalls = 0;
    static long s_nKillAt = -1;
    if (s_nKillAt < 0) {
        const char* v = getenv("KQ_SHIM_KILL_AT");
        s_nKillAt = v ? atol(v) : 0;
    }
    if (s_nKillAt > 0 && ++s_nCalls >= s_nKillAt) kill(getpid(), SIGKILL);
}

static void Intrude(int dir, const char* to)
{
    static long s_nCalls = 0;
    const char* v = getenv("KQ_SHIM_CREATE_TARGET");
    if (!v || ++s_nCalls != atol(v)) return;
    int fd = openat(dir, to, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd >= 0) {
        (void)!write(fd, "intruder", 8);
        close(fd);
    }
}

int renameat2(int olddir, const char* from, int newdir, const char* to, unsigned int flags)
{
    static int (*real)(int, const char*, int, const char*, unsigned int);
    if (!real) real = (int (*)(int, const char*, int, const char*, unsigned int))dlsym(RTLD_NEXT, "renameat2");
    if ((flags & RENAME_NOREPLACE) && Flag("KQ_SHIM_NO_NOREPLACE")) {
        errno = EINVAL;
        return -1;
    }
    Step();
    return real(olddir, from, newdir, to, flags);
}

int renameat(int olddir, const char* from, int newdir, const char* to)
{
    static int (*real)(int, const char*, int, const char*);
    if (!real) real = (int (*)(int, const char*, int, const char*))dlsym(RTLD_NEXT, "renameat");
    Step();
    Intrude(newdir, to);
    return real(olddir, from, newdir, to);
}

int rename(const char* from, const char* to)
{
    static int (*real)(const char*, const char*);
    if (!real) real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "rename");
    Step();
    return real(from, to);
}

int linkat(int olddir, const char* from, int newdir, const char* to, int flags)
{
    static int (*real)(int, const char*, int, const char*, int);
    if (!real) real = (int (*)(int, const char*, int, const char*, int))dlsym(RTLD_NEXT, "linkat");
    if (Flag("KQ_SHIM_NO_LINK")) {
        errno = EPERM;
        return -1;
    }
    Step();
    return real(olddir, from, newdir, to, flags);
}

int link(const char* from, const char* to)
{
    static int (*real)(const char*, const char*);
    if (!real) real = (int (*)(const char*, const char*))dlsym(RTLD_NEXT, "link");
    if (Flag("KQ_SHIM_NO_LINK")) {
        errno = EPERM;
        return -1;
    }
    Step();
    return real(from, to);
}

int unlinkat(int dir, const char* name, int flags)
{
    static int (*real)(int, const char*, int);
    if (!real) real = (int (*)(int, const char*, int))dlsym(RTLD_NEXT, "unlinkat");
    Step();
    return real(dir, name, flags);
}

int unlink(const char* name)
{
    static int (*real)(const char*);
    if (!real) real = (int (*)(const char*))dlsym(RTLD_NEXT, "unlink");
    Step();
    return real(name);
}

/* Descriptors of files created under KQ_SHIM_FULL, which take no bytes. */
static char s_full[1024];

static int UnderFull(const char* path)
{
    const char* prefix = getenv("KQ_SHIM_FULL");
    return prefix && *prefix && path && strncmp(path, prefix, strlen(prefix)) == 0;
}

static int Opened(int fd, const char* path, int flags)
{
    if (fd >= 0 && fd < (int)sizeof s_full) s_full[fd] = (flags & O_CREAT) && UnderFull(path);
    return fd;
}

int open(const char* path, int flags, ...)
{
    static int (*real)(const char*, int, ...);
    if (!real) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open");
    va_list args;
    va_start(args, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return Opened(real(path, flags, mode), path, flags);
}

int open64(const char* path, int flags, ...)
{
    static int (*real)(const char*, int, ...);
    if (!real) real = (int (*)(const char*, int, ...))dlsym(RTLD_NEXT, "open64");
    va_list args;
    va_start(args, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return Opened(real(path, flags, mode), path, flags);
}

ssize_t write(int fd, const void* bytes, size_t count)
{
    static ssize_t (*real)(int, const void*, size_t);
    if (!real) real = (ssize_t (*)(int, const void*, size_t))dlsym(RTLD_NEXT, "write");
    if (fd >= 0 && fd < (int)sizeof s_full && s_full[fd] && count > 0) {
        errno = ENOSPC;
        return -1;
    }
    return real(fd, bytes, count);
}

struct dirent* readdir(DIR* dir)
{
    static struct dirent* (*real)(DIR*);
    if (!real) real = (struct dirent * (*)(DIR*)) dlsym(RTLD_NEXT, "readdir");
    struct dirent* entry = real(dir);
    const char* shift = getenv("KQ_SHIM_DINO_SHIFT");
    if (entry && shift) entry->d_ino += (ino_t)atol(shift);
    return entry;
}

static int OpenAt(const char* symbol, int dir, const char* path, int flags, mode_t mode)
{
    int (*real)(int, const char*, int, ...) = (int (*)(int, const char*, int, ...))dlsym(RTLD_NEXT, symbol);
    if ((flags & O_CREAT) && Flag("KQ_SHIM_NO_MODES")) mode = 0644;
    return real(dir, path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return OpenAt("openat", dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    return OpenAt("openat64", dir, path, flags, mode);
}
