#ifdef _WIN32

#include "platform/SystemInfo.h"

#include <windows.h>

namespace kq {

namespace {

std::u16string FromWide(const wchar_t* text, size_t size)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text), size);
}

#ifndef SM_MEDIACENTER
#define SM_MEDIACENTER 87
#endif
#ifndef SM_STARTER
#define SM_STARTER 88
#endif
#ifndef SM_TABLETPC
#define SM_TABLETPC 86
#endif
#ifndef SM_SERVERR2
#define SM_SERVERR2 89
#endif

}  // namespace

bool IsSystem64Bit()
{
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    switch (info.wProcessorArchitecture) {
    case PROCESSOR_ARCHITECTURE_AMD64:
    case PROCESSOR_ARCHITECTURE_IA64:
#ifdef PROCESSOR_ARCHITECTURE_ARM64
    case PROCESSOR_ARCHITECTURE_ARM64:
#endif
        return true;
    default:
        return false;
    }
}

bool QueryWindowsVersion(CWindowsVersion& version)
{
    // GetVersionEx reports what the manifest allows; it is what the names
    // table was written against.
    OSVERSIONINFOEXW info{};
    info.dwOSVersionInfoSize = sizeof info;
    version.m_bExtended = true;
    if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) {
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
        if (!GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return false;
        version.m_bExtended = false;
    }
    version.m_nPlatformId = int(info.dwPlatformId);
    version.m_nMajor = info.dwMajorVersion;
    version.m_nMinor = info.dwMinorVersion;
    version.m_nBuild = info.dwBuildNumber;
    version.m_strServicePack = FromWide(info.szCSDVersion, wcsnlen(info.szCSDVersion, 128));
    version.m_nProductType = info.wProductType;
    version.m_nSuiteMask = info.wSuiteMask;
    version.m_bMediaCenter = GetSystemMetrics(SM_MEDIACENTER) != 0;
    version.m_bStarter = GetSystemMetrics(SM_STARTER) != 0;
    version.m_bTabletPc = GetSystemMetrics(SM_TABLETPC) != 0;
    version.m_bServerR2 = GetSystemMetrics(SM_SERVERR2) != 0;
    version.m_b64BitSystem = IsSystem64Bit();
    return true;
}

std::u16string ComputerName()
{
    DWORD size = 0;
    GetComputerNameExW(ComputerNameDnsHostname, nullptr, &size);
    if (size == 0) return {};
    std::wstring buffer(size, L'\0');
    if (!GetComputerNameExW(ComputerNameDnsHostname, buffer.data(), &size)) return {};
    return FromWide(buffer.data(), size);
}

std::u16string LoggedOnUserName()
{
    DWORD size = 0;
    GetUserNameW(nullptr, &size);
    if (size == 0) return {};
    std::wstring buffer(size, L'\0');
    if (!GetUserNameW(buffer.data(), &size) || size == 0) return {};
    return FromWide(buffer.data(), size - 1);  // size counts the terminator
}

std::u16string KernelRelease() { return {}; }
bool ReadOsReleaseText(std::string&) { return false; }
unsigned SystemLanguageId() { return GetSystemDefaultLangID(); }
std::u16string UserLocaleName() { return {}; }

CAccountFacts CurrentAccount()
{
    CAccountFacts facts;
    SID_IDENTIFIER_AUTHORITY authority = SECURITY_NT_AUTHORITY;
    PSID administrators = nullptr;
    if (AllocateAndInitializeSid(&authority, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS,
                                 0, 0, 0, 0, 0, 0, &administrators)) {
        BOOL member = FALSE;
        if (CheckTokenMembership(nullptr, administrators, &member)) facts.m_bSuperUser = member != FALSE;
        FreeSid(administrators);
    }
    return facts;
}

// The Windows heap keeps freed blocks itself.
void KeepFreedMemory() {}
void ReleaseFreedMemory() {}
void ReturnLargeBlocks() {}

}  // namespace kq

#endif  // _WIN32
