// Gathering the system page's facts, and the small readings behind them.
#include <cstdio>
#include <ctime>

#include "controlpanel/core/InfoPages.h"
#include "controlpanel/core/WindowsVersionName.h"
#include "platform/Clock.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

namespace kq {

namespace {

struct CLocaleId {
    const char16_t* m_pName;
    unsigned m_nId;
};

// The common locales; the language part alone names the language's
// principal region.
constexpr CLocaleId kLocaleIds[] = {
    {u"zh_CN", 0x0804}, {u"zh_SG", 0x1004}, {u"zh_TW", 0x0404}, {u"zh_HK", 0x0C04}, {u"zh_MO", 0x1404},
    {u"zh", 0x0804},    {u"en_US", 0x0409}, {u"en_GB", 0x0809}, {u"en_AU", 0x0C09}, {u"en_CA", 0x1009},
    {u"en_NZ", 0x1409}, {u"en_IE", 0x1809}, {u"en_IN", 0x4009}, {u"en_SG", 0x4809}, {u"en", 0x0409},
    {u"ja_JP", 0x0411}, {u"ja", 0x0411},    {u"ko_KR", 0x0412}, {u"ko", 0x0412},    {u"de_DE", 0x0407},
    {u"de_AT", 0x0C07}, {u"de_CH", 0x0807}, {u"de", 0x0407},    {u"fr_FR", 0x040C}, {u"fr_CA", 0x0C0C},
    {u"fr_BE", 0x080C}, {u"fr_CH", 0x100C}, {u"fr", 0x040C},    {u"es_ES", 0x0C0A}, {u"es_MX", 0x080A},
    {u"es", 0x0C0A},    {u"it_IT", 0x0410}, {u"it", 0x0410},    {u"pt_BR", 0x0416}, {u"pt_PT", 0x0816},
    {u"pt", 0x0816},    {u"ru_RU", 0x0419}, {u"ru", 0x0419},    {u"nl_NL", 0x0413}, {u"nl", 0x0413},
    {u"pl_PL", 0x0415}, {u"pl", 0x0415},    {u"sv_SE", 0x041D}, {u"sv", 0x041D},    {u"tr_TR", 0x041F},
    {u"tr", 0x041F},    {u"cs_CZ", 0x0405}, {u"uk_UA", 0x0422}, {u"vi_VN", 0x042A}, {u"th_TH", 0x041E},
    {u"ar_SA", 0x0401}, {u"he_IL", 0x040D}, {u"el_GR", 0x0408}, {u"hu_HU", 0x040E}, {u"fi_FI", 0x040B},
    {u"da_DK", 0x0406}, {u"nb_NO", 0x0414}, {u"id_ID", 0x0421}, {u"ms_MY", 0x043E}, {u"hi_IN", 0x0439},
};

// A shell-style value: quotes removed, backslash escapes inside double quotes.
std::u16string UnquoteValue(std::string_view value)
{
    if (value.size() < 2 || (value.front() != '"' && value.front() != '\'') || value.back() != value.front())
        return FromUtf8(value);
    std::string text;
    for (size_t i = 1; i + 1 < value.size(); ++i) {
        if (value.front() == '"' && value[i] == '\\' && i + 2 < value.size()) ++i;
        text.push_back(value[i]);
    }
    return FromUtf8(text);
}

}  // namespace

unsigned LanguageIdFromLocale(std::u16string_view locale)
{
    // "zh_CN.UTF-8@modifier" or "zh-CN": language and region only.
    size_t end = locale.find_first_of(u".@");
    std::u16string name(locale.substr(0, end));
    for (char16_t& c : name)
        if (c == u'-') c = u'_';
    for (const CLocaleId& entry : kLocaleIds) {
        std::u16string_view known = entry.m_pName;
        if (known.size() != name.size()) continue;
        // Language lower case, region upper case, as written by anyone.
        bool same = true;
        for (size_t i = 0; i < known.size() && same; ++i) same = AsciiUpper(known[i]) == AsciiUpper(name[i]);
        if (same) return entry.m_nId;
    }
    return 0;
}

std::u16string RegionLanguageText(unsigned nLanguageId, std::u16string_view locale)
{
    if (nLanguageId == 2052) return u"简体中文";
    if (nLanguageId != 0) {
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, "%x", nLanguageId);
        return FromAscii(buffer);
    }
    return locale.empty() ? std::u16string(u"C") : std::u16string(locale);
}

std::u16string OsReleasePrettyName(std::string_view text)
{
    std::u16string pretty, name;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
        size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        std::string_view key = line.substr(0, eq);
        if (key == "PRETTY_NAME")
            pretty = UnquoteValue(line.substr(eq + 1));
        else if (key == "NAME")
            name = UnquoteValue(line.substr(eq + 1));
    }
    return pretty.empty() ? name : pretty;
}

bool IsAdministratorAccount(bool bSuperUser, const std::vector<std::u16string>& groups)
{
    if (bSuperUser) return true;
    for (const std::u16string& group : groups)
        if (group == u"sudo" || group == u"wheel" || group == u"admin") return true;
    return false;
}

CSystemFacts ReadSystemFacts()
{
    CSystemFacts facts;
    CWindowsVersion version;
    if (QueryWindowsVersion(version)) {
        facts.m_strOsName = WindowsDisplayName(version);
        facts.m_strOsVersion = WindowsVersionText(version);
    } else {
        std::string osRelease;
        if (ReadOsReleaseText(osRelease)) facts.m_strOsName = OsReleasePrettyName(osRelease);
        facts.m_strOsVersion = KernelRelease();
    }
    facts.m_b64BitSystem = IsSystem64Bit();
    facts.m_strLocale = UserLocaleName();
    facts.m_nLanguageId = SystemLanguageId();
    if (facts.m_nLanguageId == 0) facts.m_nLanguageId = LanguageIdFromLocale(facts.m_strLocale);
    facts.m_strComputerName = ComputerName();
    facts.m_strUserName = LoggedOnUserName();
    CAccountFacts account = CurrentAccount();
    facts.m_bAdministrator = IsAdministratorAccount(account.m_bSuperUser, account.m_aGroups);
    std::tm now{};
    if (LocalTime(CurrentTime(), now)) {
        facts.m_nYear = now.tm_year + 1900;
        facts.m_nMonth = now.tm_mon + 1;
        facts.m_nDay = now.tm_mday;
    }
    return facts;
}

}  // namespace kq
