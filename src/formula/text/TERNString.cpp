#include "formula/text/TERNString.h"

#include <climits>

#include "platform/Clipboard.h"
#include "platform/Crt.h"

namespace kq {

namespace {

void StripTrailingZeros(std::u16string& text)
{
    while (!text.empty() && text.back() == u'0') text.pop_back();
    while (!text.empty() && text.back() == u'.') text.pop_back();
}

// Texts for 1 ... 19 in both styles.
constexpr const char16_t* kChineseLower[19] = {u"一", u"二", u"三", u"四", u"五", u"六", u"七",
                                                u"八", u"九", u"十", u"十一", u"十二", u"十三", u"十四",
                                                u"十五", u"十六", u"十七", u"十八", u"十九"};
constexpr const char16_t* kChineseUpper[19] = {u"壹", u"贰", u"叁", u"肆", u"伍", u"陆", u"柒",
                                                u"捌", u"玖", u"拾", u"拾壹", u"拾贰", u"拾叁", u"拾肆",
                                                u"拾伍", u"拾陆", u"拾柒", u"拾捌", u"拾玖"};

}  // namespace

std::u16string CTERNString::GetDoubleString(double value, int decimals)
{
    // |INT_MIN| does not fit an int; any count of 10 or more means 10.
    int places = decimals < 0 ? (decimals < -10 ? 10 : -decimals) : (decimals > 10 ? 10 : decimals);
    std::u16string text = FormatFixed(value, places);
    if (decimals < 0) StripTrailingZeros(text);
    return text;
}

std::u16string CTERNString::GetAlpha(int n, int upper)
{
    const char16_t base = upper ? u'A' : u'a';
    std::u16string text;
    if (n < 0 || n >= 18278) return text;
    if (n < 26) {
        text.push_back(char16_t(base + n));
    } else if (n < 702) {
        int m = n - 26;
        text.push_back(char16_t(base + m / 26));
        text.push_back(char16_t(base + m % 26));
    } else {
        int m = n - 702;
        text.push_back(char16_t(base + m / 676));
        text.push_back(char16_t(base + (m % 676) / 26));
        text.push_back(char16_t(base + m % 26));
    }
    return text;
}

std::u16string CTERNString::GetNumber(int n, int width)
{
    if (n > 10000) return {};
    std::u16string text = FormatInt(static_cast<long long>(n) + 1);
    if (width > 0 && text.size() < static_cast<size_t>(width)) text.insert(0, static_cast<size_t>(width) - text.size(), u'0');
    return text;
}

std::u16string CTERNString::GetChineseNumber(int n, int upper)
{
    if (n < 0 || n > 1000) return {};
    const auto& digits = upper ? kChineseUpper : kChineseLower;
    const char16_t* ten = upper ? u"拾" : u"十";
    const char16_t* hundred = upper ? u"佰" : u"百";
    const char16_t* thousand = upper ? u"仟" : u"千";
    const int k = n + 1;
    auto tens = [&](int r) {  // 10 <= r <= 99 inside a larger number, or 20 <= r alone
        std::u16string t = digits[r / 10 - 1];
        t += ten;
        if (r % 10) t += digits[r % 10 - 1];
        return t;
    };
    if (k <= 19) return digits[k - 1];
    if (k <= 99) return tens(k);
    if (k <= 999) {
        std::u16string text = std::u16string(digits[k / 100 - 1]) + hundred;
        int r = k % 100;
        if (r == 0) return text;
        if (r <= 9) return text + u"零" + digits[r - 1];
        return text + tens(r);
    }
    // 1000 and 1001 have no form in the tables: written with the thousand
    // character in the same manner (一千, 一千零一).
    std::u16string text = std::u16string(digits[0]) + thousand;
    if (k == 1001) text += std::u16string(u"零") + digits[0];
    return text;
}

std::u16string CTERNString::GetRomanNum(int n, int upper)
{
    if (n < 0 || n > 1000) return {};
    const char16_t one = upper ? char16_t(0x2160) : char16_t(0x2170);
    const int k = n + 1;
    if (k <= 10) return std::u16string(1, char16_t(one + k - 1));
    std::u16string text(static_cast<size_t>(k / 10), char16_t(one + 9));
    if (k % 10) text.push_back(char16_t(one + k % 10 - 1));
    return text;
}

std::u16string CTERNString::GetDefineString(int n, std::u16string_view list)
{
    if (n < 0) return {};
    for (int i = 0; i < n; ++i) {
        size_t comma = list.find(u',');
        if (comma == std::u16string_view::npos) return {};
        list.remove_prefix(comma + 1);
    }
    size_t comma = list.find(u',');
    return std::u16string(comma == std::u16string_view::npos ? list : list.substr(0, comma));
}

int CTERNString::SetClipText(const std::u16string& text) { return GetClipboardProvider().SetText(text) ? 1 : 0; }

namespace {

thread_local const CTERNString::CClipSnapshot* t_pClipSnapshot = nullptr;

}  // namespace

CTERNString::CClipSnapshot::CClipSnapshot(const std::u16string* text) : m_pText(text), m_pPrevious(t_pClipSnapshot)
{
    t_pClipSnapshot = this;
}

CTERNString::CClipSnapshot::~CClipSnapshot() { t_pClipSnapshot = m_pPrevious; }

int CTERNString::GetClipText(std::u16string& text)
{
    if (const CClipSnapshot* snapshot = t_pClipSnapshot) {
        if (!snapshot->m_pText) return 0;
        text = *snapshot->m_pText;
        return 1;
    }
    std::u16string got;
    if (!GetClipboardProvider().GetText(got)) return 0;
    text = std::move(got);
    return 1;
}

std::u16string CTERNString::GetFDoubleString(double value, int minDecimals, int maxDecimals)
{
    int places = maxDecimals < 0 ? (maxDecimals == INT_MIN ? INT_MAX : -maxDecimals) : maxDecimals;
    std::u16string text = FormatFixed(value, places);
    size_t point = text.find(u'.');
    if (point != std::u16string::npos) {
        StripTrailingZeros(text);
        point = text.find(u'.');
    }
    int have = point == std::u16string::npos ? 0 : static_cast<int>(text.size() - point - 1);
    if (have < minDecimals && minDecimals <= 340) {
        if (point == std::u16string::npos) text.push_back(u'.');
        text.append(static_cast<size_t>(minDecimals - have), u'0');
    }
    return text;
}

double CTERNString::FormatDoublePrev(double value, int decimals)
{
    return Wtof(GetFDoubleString(value, decimals, decimals));
}

double CTERNString::GetFDoubleValue(std::u16string_view text, int positive)
{
    double value = Wtof(text);
    return (positive && value < 0) ? -value : value;
}

std::u16string CTERNString::GetFIntString(int value) { return FormatInt(value); }

int CTERNString::GetFIntValue(std::u16string_view text, int positive)
{
    int value = Wtoi(text);
    // -INT_MIN does not exist; it stays the largest magnitude there is.
    if (positive && value < 0) value = value == INT_MIN ? INT_MAX : -value;
    return value;
}

}  // namespace kq
