#include "renamer/templates/MacroTemplate.h"

#include <climits>
#include <cmath>

#include "formula/numeric/GetValFromString.h"
#include "formula/text/TERNString.h"
#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {

namespace {

std::u16string_view Trim(std::u16string_view text)
{
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && IsAsciiSpace(text[begin])) ++begin;
    while (end > begin && IsAsciiSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

bool IsQuoted(std::u16string_view value)
{
    return value.size() >= 2 && value.front() == u'"' && value.back() == u'"';
}

std::u16string_view Unquote(std::u16string_view value) { return value.substr(1, value.size() - 2); }

// Counts are computed in 64 bits: n - k with k = INT_MIN must not overflow.
long long ClampCut(long long cut, long long length)
{
    if (cut <= 0) return 0;
    return cut > length ? length : cut;
}

int ClampToInt(long long value)
{
    if (value < INT_MIN) return INT_MIN;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

}  // namespace

CMacroItemParts ParseMacroItem(std::u16string_view itemText)
{
    CMacroItemParts parts;
    parts.m_strText.assign(itemText);
    const std::u16string upper = ToAsciiUpper(itemText);
    const std::u16string_view all(upper);
    size_t semicolon = all.rfind(u';');
    std::u16string_view params;
    if (semicolon == std::u16string_view::npos) {
        parts.m_strControl.assign(Trim(all));
    } else {
        params = all.substr(0, semicolon);
        parts.m_strControl.assign(Trim(all.substr(semicolon + 1)));
    }

    size_t start = 0;
    while (start <= params.size() && !params.empty()) {
        size_t comma = params.find(u',', start);
        size_t end = comma == std::u16string_view::npos ? params.size() : comma;
        std::u16string_view piece = Trim(params.substr(start, end - start));
        if (!piece.empty()) {
            size_t equals = piece.find(u'=');
            if (equals == std::u16string_view::npos) {
                parts.m_bParamsValid = false;
                parts.m_aParams.clear();
                break;
            }
            parts.m_aParams.push_back(
                {std::u16string(piece.substr(0, equals)), std::u16string(piece.substr(equals + 1))});
        }
        if (comma == std::u16string_view::npos) break;
        start = comma + 1;
    }
    return parts;
}

CMacroTemplate ParseMacroTemplate(std::u16string_view text)
{
    CMacroTemplate parsed;
    long long depth = 0;
    for (char16_t c : text) {
        if (c == u'{') ++depth;
        if (c == u'}' && --depth < 0) {
            parsed.m_bBraceCheckFailed = true;
            return parsed;
        }
    }

    std::u16string literal;
    size_t pos = 0;
    for (;;) {
        size_t open = text.find(u'{', pos);
        // A "{" at the very end stays literal text.
        if (open == std::u16string_view::npos || open + 1 == text.size()) {
            literal.append(text.substr(pos));
            break;
        }
        if (text[open + 1] == u'{') {
            literal.append(text.substr(pos, open + 1 - pos));
            pos = open + 2;
            continue;
        }
        literal.append(text.substr(pos, open - pos));
        size_t close = text.find(u'}', open + 1);
        if (close == std::u16string_view::npos) {
            parsed.m_bUnmatchedBrace = true;
            break;
        }
        CMacroSegment segment;
        segment.m_strLiteral.swap(literal);
        segment.m_bHasItem = true;
        segment.m_item = ParseMacroItem(text.substr(open + 1, close - open - 1));
        parsed.m_aSegments.push_back(std::move(segment));
        pos = close + 1;
    }
    if (!literal.empty()) {
        CMacroSegment segment;
        segment.m_strLiteral.swap(literal);
        parsed.m_aSegments.push_back(std::move(segment));
    }
    return parsed;
}

bool ExpandStringItem(const CMacroItemParts& item, std::u16string_view value, std::u16string& text)
{
    if (!item.m_bParamsValid) return false;
    const long long length = static_cast<long long>(value.size());
    long long leftCut = 0;   // 0 or less: unset
    long long rightCut = 0;
    long long caseMode = 0;  // 1 upper, 2 lower, anything else: unchanged
    for (const auto& param : item.m_aParams) {
        if (param.m_strKey.size() != 1) return false;
        const std::u16string_view v = param.m_strValue;
        switch (param.m_strKey[0]) {
        case u'S':
            if (IsQuoted(v)) {
                std::u16string_view find = Unquote(v);
                size_t at = find.empty() ? std::u16string_view::npos : value.find(find);
                leftCut = at == std::u16string_view::npos ? 0 : static_cast<long long>(at + find.size());
            } else {
                leftCut = Wtoi(v);
            }
            break;
        case u'E':
            if (IsQuoted(v)) {
                // The last of the occurrences found left to right without
                // overlapping; an empty text never occurs.
                std::u16string_view find = Unquote(v);
                size_t last = std::u16string_view::npos;
                for (size_t at = find.empty() ? std::u16string_view::npos : value.find(find);
                     at != std::u16string_view::npos; at = value.find(find, at + find.size()))
                    last = at;
                rightCut = last == std::u16string_view::npos ? 0 : length - static_cast<long long>(last);
            } else {
                rightCut = Wtoi(v);
            }
            break;
        case u'L': rightCut = length - Wtoi(v); break;
        case u'R': leftCut = length - Wtoi(v); break;
        case u'M': {
            // Read with a "0" in front, so "m=.5" starts at 0.
            std::u16string start = u"0";
            start.append(v);
            size_t point = start.find(u'.');
            long long first = Wtoi(std::u16string_view(start).substr(0, point));
            leftCut = first - 1;
            if (point != std::u16string::npos)
                rightCut = length - (first - 1) - Wtoi(std::u16string_view(start).substr(point + 1));
            break;
        }
        case u'T': caseMode = Wtoi(v); break;
        default: return false;
        }
    }
    leftCut = ClampCut(leftCut, length);
    rightCut = ClampCut(rightCut, length);

    std::u16string result;
    if (caseMode == 1) result = ToAsciiUpper(value);
    else if (caseMode == 2) result = ToAsciiLower(value);
    else result.assign(value);
    // Both cuts were measured on the whole value.
    result.erase(0, static_cast<size_t>(leftCut));
    if (static_cast<size_t>(rightCut) >= result.size()) result.clear();
    else result.resize(result.size() - static_cast<size_t>(rightCut));
    text = std::move(result);
    return true;
}

bool ExpandNumericItem(const CMacroItemParts& item, CGetValFromString& evaluator, std::u16string& text)
{
    if (!item.m_bParamsValid) return false;
    int mode = 0;     // 1 integer, 2 real, 0 decided by the number
    int style = 1;    // digit style 1 ... 7
    int width = -1;   // digits of style 1; unset is 1
    for (const auto& param : item.m_aParams) {
        if (param.m_strKey.size() != 1) return false;
        int v = Wtoi(param.m_strValue);
        switch (param.m_strKey[0]) {
        case u'V': mode = (v == 1 || v == 2) ? v : 0; break;
        case u'D': style = (v >= 1 && v <= 7) ? v : 1; break;
        case u'L': width = (v >= 0 && v <= 7) ? v : -1; break;
        case u'A': break;  // accepted, no effect
        default: return false;
        }
    }

    double value = 0;
    if (evaluator.GetValue(item.m_strControl, value) != kGetValOk) return false;
    // The number text is the value with at most seven decimals; a whole
    // value (the usual case) has no point and reads back as itself.
    long long whole = 0;
    bool hasPoint = false;
    if (value == std::trunc(value) && std::fabs(value) < 1e15) {
        whole = ClampToInt(static_cast<long long>(value));
    } else {
        const std::u16string number = CTERNString::GetDoubleString(value, -7);
        hasPoint = number.find(u'.') != std::u16string::npos;
        whole = Wtoi(number);
    }
    if (mode == 2 || (mode == 0 && hasPoint)) {
        text = FormatFixed(value, 2);
        return true;
    }
    const int index = ClampToInt(whole - 1);
    switch (style) {
    case 2: text = CTERNString::GetRomanNum(index, 1); break;
    case 3: text = CTERNString::GetRomanNum(index, 0); break;
    case 4: text = CTERNString::GetChineseNumber(index, 1); break;
    case 5: text = CTERNString::GetChineseNumber(index, 0); break;
    case 6: text = CTERNString::GetAlpha(index, 1); break;
    case 7: text = CTERNString::GetAlpha(index, 0); break;
    default: text = CTERNString::GetNumber(index, width < 0 ? 1 : width); break;
    }
    return true;
}

}  // namespace kq
