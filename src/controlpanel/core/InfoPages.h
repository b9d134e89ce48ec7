// The rows of the information pages, computed without any window: the
// pages only show what these functions return.
#pragma once

#include <string>
#include <vector>

#include "controlpanel/core/RegistrySource.h"

namespace kq {

enum EInfoPageKind {
    kPageCopyright = 0,
    kPageSystem = 1,
    kPageCommunity = 2,
    kPageUsers = 3,
    kPageDevelopers = 4,
    kPagePlatform = 20,
};

struct CInfoColumn {
    std::u16string m_strTitle;
    int m_nWidth = 0;  // pixels
};

struct CInfoTable {
    int m_nKind = kPageCopyright;
    std::u16string m_strTitle;
    std::vector<CInfoColumn> m_aColumns;
    std::vector<std::vector<std::u16string>> m_aRows;
    // Platform page: per row the program whose icon the row shows.
    std::vector<std::u16string> m_aRowPrograms;
};

// Title and columns of a page kind; an unknown kind has neither.
CInfoTable InfoPageFrame(int nKind);

// The fixed tables.
CInfoTable CopyrightPage();
CInfoTable CommunityPage();
CInfoTable DevelopersPage();
CInfoTable UsersPage();

// What the system page shows, gathered from the platform.
struct CSystemFacts {
    std::u16string m_strOsName;
    std::u16string m_strOsVersion;
    bool m_b64BitSystem = false;
    unsigned m_nLanguageId = 0;  // 0: not known, the locale name is shown
    std::u16string m_strLocale;
    std::u16string m_strComputerName;
    std::u16string m_strUserName;
    bool m_bAdministrator = false;
    int m_nYear = 0, m_nMonth = 0, m_nDay = 0;
};
CSystemFacts ReadSystemFacts();
CInfoTable SystemPage(const CSystemFacts& facts);

// The region-language text: "简体中文" for 2052, else the id in lower-case
// hex, else (id 0) the locale name.
std::u16string RegionLanguageText(unsigned nLanguageId, std::u16string_view locale);
// The Windows language id of a locale name ("en_US.UTF-8" -> 0x409); 0 when
// not one of the common locales.
unsigned LanguageIdFromLocale(std::u16string_view locale);
// PRETTY_NAME of an os-release text (quotes and escapes removed), else NAME.
std::u16string OsReleasePrettyName(std::string_view text);
// root, or a member of the sudo, wheel or admin group.
bool IsAdministratorAccount(bool bSuperUser, const std::vector<std::u16string>& groups);

// The maker's installed products under "Software\远舟工作室".
struct CProductInfo {
    std::u16string m_strName;
    std::vector<std::u16string> m_aLines;  // "软件版本：...", "安装路径：..."
};
inline constexpr char16_t kMakerKey[] = u"Software\\远舟工作室";
std::vector<CProductInfo> SoftwareProducts(const CRegistrySource& registry);

// The CAD platforms: the 64-bit view first on a 64-bit system, then the
// 32-bit one (only that one on a 32-bit system).
CInfoTable PlatformPage(const CRegistrySource& registry, bool b64BitSystem);

// The page of a kind as the window and --page show it: the system and
// platform pages read from this machine; an unknown kind has its frame only.
CInfoTable InfoPage(int nKind);

}  // namespace kq
