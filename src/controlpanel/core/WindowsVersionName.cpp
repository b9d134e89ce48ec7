#include "controlpanel/core/WindowsVersionName.h"

#include <cstdio>

#include "platform/Text.h"

namespace kq {

namespace {

enum : unsigned {
    kSuiteEnterprise = 0x0002,
    kSuiteEmbedded = 0x0040,
    kSuiteDatacenter = 0x0080,
    kSuitePersonal = 0x0200,
    kSuiteBlade = 0x0400,
};

std::u16string Numbered(const char* format, unsigned major, unsigned minor)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, major, minor);
    return FromAscii(buffer);
}

char16_t ServicePackChar(const CWindowsVersion& v, size_t i)
{
    return i < v.m_strServicePack.size() ? v.m_strServicePack[i] : u'\0';
}

std::u16string Nt4Name(const CWindowsVersion& v)
{
    if (!v.m_bExtended) return Numbered("Windows NT %u.%u ", v.m_nMajor, v.m_nMinor) + v.m_strServicePack;
    switch (v.m_nProductType) {
    case CWindowsVersion::kServer:
        return Numbered((v.m_nSuiteMask & kSuiteEnterprise) ? "Windows NT %u.%u Server Enterprise Edition" : "Windows NT %u.%u Server",
                        v.m_nMajor, v.m_nMinor);
    case CWindowsVersion::kWorkstation:
        return Numbered("Windows NT Workstation %u.%u", v.m_nMajor, v.m_nMinor);
    default:
        return Numbered("Windows NT %u.%u", v.m_nMajor, v.m_nMinor);
    }
}

std::u16string Windows2000Name(const CWindowsVersion& v)
{
    if (!v.m_bExtended) return u"Windows 2000 " + v.m_strServicePack;
    switch (v.m_nProductType) {
    case CWindowsVersion::kWorkstation:
        return u"Windows 2000 Professional";
    case CWindowsVersion::kServer:
        if (v.m_nSuiteMask & kSuiteDatacenter) return u"Windows 2000 Datacenter Server";
        if (v.m_nSuiteMask & kSuiteEnterprise) return u"Windows 2000 Advanced Server";
        return u"Windows 2000 Server";
    default:
        return u"Windows 2000 Home Edition";
    }
}

std::u16string WindowsXpName(const CWindowsVersion& v)
{
    const std::u16string& sp = v.m_strServicePack;
    if (!v.m_bExtended) return u"Windows XP " + sp;
    if (v.m_nProductType == CWindowsVersion::kWorkstation) {
        if (!(v.m_nSuiteMask & kSuitePersonal)) return u"Windows XP Professional " + sp;
        if (v.m_bMediaCenter) return u"Windows XP Media Center Edition";
        if (v.m_bStarter) return u"Windows XP Starter Edition";
        if (v.m_bTabletPc) return u"Windows XP Tablet PC Edition";
        return u"Windows XP Home Edition " + sp;
    }
    if (v.m_nSuiteMask & kSuiteEmbedded) return u"Windows XP Embedded Edition " + sp;
    return u"Windows XP " + sp;
}

std::u16string Windows2003Name(const CWindowsVersion& v)
{
    if (!v.m_bExtended) return u"Windows 2003 family";
    if (v.m_nProductType == CWindowsVersion::kWorkstation) return u"Windows XP Professional x64 Edition";
    std::u16string base = v.m_bServerR2 ? u"Windows Server 2003 R2" : u"Windows Server 2003";
    const char16_t* x64 = v.m_b64BitSystem ? u" x64" : u"";
    if (v.m_nSuiteMask & kSuiteDatacenter) return base + x64 + u" Datacenter Edition";
    if (v.m_nSuiteMask & kSuiteEnterprise) return base + x64 + u" Enterprise Edition";
    if (v.m_nSuiteMask & kSuiteBlade) return base + x64 + u" Web Edition";
    return base;
}

std::u16string Windows6Name(const CWindowsVersion& v)
{
    if (!v.m_bExtended) return u"Windows Longhorn " + v.m_strServicePack;
    switch (v.m_nProductType) {
    case CWindowsVersion::kWorkstation:
        return v.m_b64BitSystem ? u"Windows Vista 64-bit" : u"Windows Vista 32-bit";
    case CWindowsVersion::kServer:
        return u"Windows Server 2008";
    default:
        return {};
    }
}

std::u16string UnlimitedName(const CWindowsVersion& v)
{
    const unsigned major = v.m_nMajor, minor = v.m_nMinor;
    if (v.m_nPlatformId == CWindowsVersion::kWin9x && major == 4) {
        if (minor == 0) {
            char16_t c = ServicePackChar(v, 1);
            return (c == u'B' || c == u'C') ? u"Windows 95 OSR2" : u"Windows 95";
        }
        if (minor == 10) return ServicePackChar(v, 1) == u'A' ? u"Windows 98 Second Edition" : u"Windows 98";
        if (minor == 90) return u"Windows Millenium Edition";
    }
    if (v.m_nPlatformId == CWindowsVersion::kWinNT) {
        if (major <= 4) return Nt4Name(v);
        if (major == 5 && minor == 0) return Windows2000Name(v);
        if (major == 5 && minor == 1) return WindowsXpName(v);
        if (major == 5 && minor == 2) return Windows2003Name(v);
        if (major == 6) return Windows6Name(v);
    }
    return Numbered("Windows %u.%u", major, minor);
}

}  // namespace

std::u16string WindowsDisplayName(const CWindowsVersion& version)
{
    std::u16string name = UnlimitedName(version);
    if (name.size() > 99) name.resize(99);
    return name;
}

std::u16string WindowsVersionText(const CWindowsVersion& version)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%u.%u.%u ", version.m_nMajor, version.m_nMinor, version.m_nBuild);
    std::u16string text = FromAscii(buffer) + version.m_strServicePack;
    std::snprintf(buffer, sizeof buffer, " Build %u", version.m_nBuild);
    return text + FromAscii(buffer);
}

}  // namespace kq
