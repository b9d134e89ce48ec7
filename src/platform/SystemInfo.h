// Facts about the running system and account, for the information pages.
#pragma once

#include <string>
#include <vector>

namespace kq {

// The Windows version facts the display name is made from (the extended
// version query, the system metrics it consults and the system width).
struct CWindowsVersion {
    enum { kWin32s = 0, kWin9x = 1, kWinNT = 2 };
    enum { kWorkstation = 1, kDomainController = 2, kServer = 3 };
    bool m_bExtended = true;  // false: only the basic version query answered
    int m_nPlatformId = kWinNT;
    unsigned m_nMajor = 0;
    unsigned m_nMinor = 0;
    unsigned m_nBuild = 0;
    std::u16string m_strServicePack;
    int m_nProductType = kWorkstation;
    unsigned m_nSuiteMask = 0;  // VER_SUITE_* bits
    bool m_bMediaCenter = false;
    bool m_bStarter = false;
    bool m_bTabletPc = false;
    bool m_bServerR2 = false;
    bool m_b64BitSystem = false;
};

// Windows only; false elsewhere.
bool QueryWindowsVersion(CWindowsVersion& version);

// The computer's network name and the logged-on user's name, whole; empty
// when they cannot be told.
std::u16string ComputerName();
std::u16string LoggedOnUserName();

// True when the operating system itself is 64-bit, whatever this program's
// own width.
bool IsSystem64Bit();

// POSIX: the kernel release ("6.1.0-13-amd64"); empty elsewhere.
std::u16string KernelRelease();
// POSIX: the text of /etc/os-release (else /usr/lib/os-release), at most
// 64 KiB; false when neither can be read.
bool ReadOsReleaseText(std::string& text);

// Windows: the system's default language identifier; 0 elsewhere.
unsigned SystemLanguageId();
// POSIX: the locale the user runs in (LC_ALL, LC_MESSAGES, LANG); empty when
// none is set.
std::u16string UserLocaleName();

// The account the program runs under.
struct CAccountFacts {
    bool m_bSuperUser = false;              // root, or a member of the administrators
    std::vector<std::u16string> m_aGroups;  // POSIX group names of the account
};
CAccountFacts CurrentAccount();

// A program that names hundreds of thousands of rows on every keystroke
// frees and takes back tens of megabytes each time. Handing that memory to
// the system and faulting it in again costs more than the naming itself, so
// KeepFreedMemory asks the allocator to keep what is freed for reuse (call it
// once, early); ReleaseFreedMemory gives the unused part back (after a large
// list has gone). Both do nothing where the allocator has no such setting.
void KeepFreedMemory();
void ReleaseFreedMemory();
// A command that runs once over a million files grows vectors of hundreds of
// megabytes and frees the smaller ones it outgrew. ReturnLargeBlocks has
// every block of a megabyte or more mapped on its own, so that freeing it
// gives it back at once, instead of leaving it in a heap the next block
// cannot always reuse (call it once, early). Nothing where the allocator has
// no such setting.
void ReturnLargeBlocks();

}  // namespace kq
