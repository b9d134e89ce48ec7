#include <gtest/gtest.h>

#include "controlpanel/core/WindowsVersionName.h"
#include "platform/Text.h"

namespace kq {
namespace {

constexpr unsigned kEnterprise = 0x2, kEmbedded = 0x40, kDatacenter = 0x80, kPersonal = 0x200, kBlade = 0x400;
constexpr int k9x = CWindowsVersion::kWin9x, kNT = CWindowsVersion::kWinNT, k32s = CWindowsVersion::kWin32s;
constexpr int kWs = CWindowsVersion::kWorkstation, kDc = CWindowsVersion::kDomainController, kSrv = CWindowsVersion::kServer;

struct CRow {
    int platform;
    unsigned major, minor;
    const char16_t* sp;
    int type;
    unsigned suite;
    bool extended;
    bool is64;
    const char* metric;  // "mc", "starter", "tablet", "r2" or ""
    const char16_t* name;
};

TEST(WindowsDisplayName, EveryRowOfTheNamesTable)
{
    const CRow rows[] = {
        {k9x, 4, 0, u" B", kWs, 0, true, false, "", u"Windows 95 OSR2"},
        {k9x, 4, 0, u" C", kWs, 0, true, false, "", u"Windows 95 OSR2"},
        {k9x, 4, 0, u"", kWs, 0, true, false, "", u"Windows 95"},
        {k9x, 4, 10, u" A", kWs, 0, true, false, "", u"Windows 98 Second Edition"},
        {k9x, 4, 10, u"", kWs, 0, true, false, "", u"Windows 98"},
        {k9x, 4, 90, u"", kWs, 0, true, false, "", u"Windows Millenium Edition"},
        {kNT, 4, 0, u"", kSrv, kEnterprise, true, false, "", u"Windows NT 4.0 Server Enterprise Edition"},
        {kNT, 4, 0, u"", kSrv, 0, true, false, "", u"Windows NT 4.0 Server"},
        {kNT, 4, 0, u"", kWs, 0, true, false, "", u"Windows NT Workstation 4.0"},
        {kNT, 3, 51, u"", kDc, 0, true, false, "", u"Windows NT 3.51"},
        {kNT, 4, 0, u"Service Pack 6", kWs, 0, false, false, "", u"Windows NT 4.0 Service Pack 6"},
        {kNT, 5, 0, u"", kWs, 0, true, false, "", u"Windows 2000 Professional"},
        {kNT, 5, 0, u"", kSrv, kEnterprise, true, false, "", u"Windows 2000 Advanced Server"},
        {kNT, 5, 0, u"", kSrv, kDatacenter, true, false, "", u"Windows 2000 Datacenter Server"},
        {kNT, 5, 0, u"", kSrv, 0, true, false, "", u"Windows 2000 Server"},
        {kNT, 5, 0, u"", kDc, 0, true, false, "", u"Windows 2000 Home Edition"},
        {kNT, 5, 0, u"SP4", kWs, 0, false, false, "", u"Windows 2000 SP4"},
        {kNT, 5, 1, u"SP2", kWs, kPersonal, true, false, "mc", u"Windows XP Media Center Edition"},
        {kNT, 5, 1, u"SP2", kWs, kPersonal, true, false, "starter", u"Windows XP Starter Edition"},
        {kNT, 5, 1, u"SP2", kWs, kPersonal, true, false, "tablet", u"Windows XP Tablet PC Edition"},
        {kNT, 5, 1, u"SP2", kWs, kPersonal, true, false, "", u"Windows XP Home Edition SP2"},
        {kNT, 5, 1, u"SP3", kWs, 0, true, false, "", u"Windows XP Professional SP3"},
        {kNT, 5, 1, u"SP1", kDc, kEmbedded, true, false, "", u"Windows XP Embedded Edition SP1"},
        {kNT, 5, 1, u"SP1", kDc, 0, true, false, "", u"Windows XP SP1"},
        {kNT, 5, 1, u"SP1", kWs, 0, false, false, "", u"Windows XP SP1"},
        {kNT, 5, 2, u"", kSrv, 0, true, false, "r2", u"Windows Server 2003 R2"},
        {kNT, 5, 2, u"", kSrv, 0, true, false, "", u"Windows Server 2003"},
        {kNT, 5, 2, u"", kSrv, kBlade, true, true, "", u"Windows Server 2003 x64 Web Edition"},
        {kNT, 5, 2, u"", kSrv, kBlade, true, false, "", u"Windows Server 2003 Web Edition"},
        {kNT, 5, 2, u"", kSrv, kEnterprise, true, true, "r2", u"Windows Server 2003 R2 x64 Enterprise Edition"},
        {kNT, 5, 2, u"", kSrv, kEnterprise, true, false, "", u"Windows Server 2003 Enterprise Edition"},
        {kNT, 5, 2, u"", kDc, kDatacenter | kEnterprise, true, true, "", u"Windows Server 2003 x64 Datacenter Edition"},
        {kNT, 5, 2, u"", kSrv, kDatacenter, true, false, "", u"Windows Server 2003 Datacenter Edition"},
        {kNT, 5, 2, u"", kWs, 0, true, true, "", u"Windows XP Professional x64 Edition"},
        {kNT, 5, 2, u"", kSrv, 0, false, false, "", u"Windows 2003 family"},
        {kNT, 5, 3, u"", kWs, 0, true, false, "", u"Windows 5.3"},
        {kNT, 6, 0, u"", kWs, 0, true, true, "", u"Windows Vista 64-bit"},
        {kNT, 6, 1, u"", kWs, 0, true, false, "", u"Windows Vista 32-bit"},
        {kNT, 6, 0, u"", kSrv, 0, true, true, "", u"Windows Server 2008"},
        {kNT, 6, 0, u"", kDc, 0, true, true, "", u""},
        {kNT, 6, 0, u"SP1", kWs, 0, false, false, "", u"Windows Longhorn SP1"},
        {kNT, 10, 0, u"", kWs, 0, true, true, "", u"Windows 10.0"},
        {k32s, 3, 11, u"", kWs, 0, true, false, "", u"Windows 3.11"},
        {7, 1, 2, u"", kWs, 0, true, false, "", u"Windows 1.2"},
    };
    for (const CRow& row : rows) {
        CWindowsVersion v;
        v.m_nPlatformId = row.platform;
        v.m_nMajor = row.major;
        v.m_nMinor = row.minor;
        v.m_strServicePack = row.sp;
        v.m_nProductType = row.type;
        v.m_nSuiteMask = row.suite;
        v.m_bExtended = row.extended;
        v.m_b64BitSystem = row.is64;
        std::string metric = row.metric;
        v.m_bMediaCenter = metric == "mc";
        v.m_bStarter = metric == "starter";
        v.m_bTabletPc = metric == "tablet";
        v.m_bServerR2 = metric == "r2";
        EXPECT_EQ(ToUtf8(WindowsDisplayName(v)), ToUtf8(row.name)) << row.major << "." << row.minor;
    }
}

TEST(WindowsDisplayName, LimitedToNinetyNineCharacters)
{
    CWindowsVersion v;
    v.m_nMajor = 5;
    v.m_nMinor = 1;
    v.m_strServicePack = std::u16string(200, u'x');
    EXPECT_EQ(WindowsDisplayName(v).size(), 99u);
}

TEST(WindowsVersionText, MajorMinorBuildServicePackBuild)
{
    CWindowsVersion v;
    v.m_nMajor = 5, v.m_nMinor = 1, v.m_nBuild = 2600, v.m_strServicePack = u"Service Pack 3";
    EXPECT_EQ(WindowsVersionText(v), u"5.1.2600 Service Pack 3 Build 2600");
}

}  // namespace
}  // namespace kq
