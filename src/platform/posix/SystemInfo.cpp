#include "platform/SystemInfo.h"

#include <grp.h>
#include <limits.h>
#include <pwd.h>
#include <sys/utsname.h>
#include <unistd.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <cstdlib>
#include <cstring>
#include <string_view>

#include "platform/FileSystem.h"
#include "platform/Text.h"

namespace kq {

bool QueryWindowsVersion(CWindowsVersion&) { return false; }

std::u16string ComputerName()
{
    // Linux allows 64 bytes, other systems up to 255; the buffer takes either.
    char buffer[256] = {};
    if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
    return FromUtf8(std::string_view(buffer, strnlen(buffer, sizeof buffer)));
}

std::u16string LoggedOnUserName()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::string buffer(size > 0 && size < 1 << 20 ? size_t(size) : 16384, '\0');
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_name)
        return FromUtf8(found->pw_name);
    if (const char* env = std::getenv("USER"); env && *env) return FromUtf8(env);
    return {};
}

bool IsSystem64Bit()
{
    utsname name{};
    if (uname(&name) != 0) return sizeof(void*) == 8;
    std::string_view machine = name.machine;
    // x86_64, aarch64, ppc64(le), mips64, riscv64, sparc64, loongarch64, s390x
    return machine.find("64") != std::string_view::npos || machine == "s390x";
}

std::u16string KernelRelease()
{
    utsname name{};
    if (uname(&name) != 0) return {};
    return FromUtf8(name.release);
}

bool ReadOsReleaseText(std::string& text)
{
    for (const char16_t* path : {u"/etc/os-release", u"/usr/lib/os-release"}) {
        uint64_t size = 0;
        // Only a regular file of sane size is read; a FIFO or a huge file is not.
        if (!IsRegularFile(path) || !GetFileSize(path, size) || size > 64 * 1024) continue;
        if (ReadFileBytes(path, text)) {
            if (text.size() > 64 * 1024) text.resize(64 * 1024);
            return true;
        }
    }
    return false;
}

unsigned SystemLanguageId() { return 0; }

std::u16string UserLocaleName()
{
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (const char* env = std::getenv(name); env && *env) return FromUtf8(env);
    return {};
}

CAccountFacts CurrentAccount()
{
    CAccountFacts facts;
    facts.m_bSuperUser = geteuid() == 0;
    int count = getgroups(0, nullptr);
    if (count < 0) return facts;
    std::vector<gid_t> ids(size_t(count) + 1);
    count = getgroups(int(ids.size()), ids.data());
    if (count < 0) return facts;
    ids.resize(size_t(count));
    ids.push_back(getegid());
    std::string buffer(16384, '\0');
    for (gid_t id : ids) {
        group entry{};
        group* found = nullptr;
        if (getgrgid_r(id, &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->gr_name) {
            std::u16string name = FromUtf8(found->gr_name);
            bool known = false;
            for (const auto& g : facts.m_aGroups) known = known || g == name;
            if (!known) facts.m_aGroups.push_back(std::move(name));
        }
    }
    return facts;
}

void KeepFreedMemory()
{
#if defined(__GLIBC__)
    // Blocks up to 32 MiB come from the heaps rather than from maps of their
    // own, and a heap keeps up to 256 MiB free at its top.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
#endif
}

void ReturnLargeBlocks()
{
#if defined(__GLIBC__)
    // A fixed threshold: glibc otherwise raises it to the size of each
    // mapped block freed, and the next large vectors come from the heap.
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
#endif
}

void ReleaseFreedMemory()
{
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

}  // namespace kq
