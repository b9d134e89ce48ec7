#include "renamer/settings/KeyValueText.h"

#include "platform/Text.h"

namespace kq::settings {

namespace {

bool IsKeyChar(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
           c == '-';
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string LineError(size_t line, const char* what) { return "第" + std::to_string(line) + "行：" + what; }

}  // namespace

const std::u16string* CTextSection::Find(std::string_view key) const
{
    for (auto it = m_aEntries.rbegin(); it != m_aEntries.rend(); ++it)
        if (it->m_strKey == key) return &it->m_strValue;
    return nullptr;
}

std::vector<std::u16string> CTextSection::All(std::string_view key) const
{
    std::vector<std::u16string> values;
    for (const CTextEntry& entry : m_aEntries)
        if (entry.m_strKey == key) values.push_back(entry.m_strValue);
    return values;
}

std::string EscapeValue(std::u16string_view value)
{
    static const char kHex[] = "0123456789ABCDEF";
    const std::string utf8 = ToUtf8(value);
    std::string out;
    out.reserve(utf8.size());
    for (char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                out += "\\x";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += ch;
            }
        }
    }
    // A trailing space would be lost to an editor that trims lines.
    if (!out.empty() && out.back() == ' ') out.replace(out.size() - 1, 1, "\\x20");
    return out;
}

bool UnescapeValue(std::string_view escaped, std::u16string& value)
{
    std::string utf8;
    utf8.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\') {
            utf8 += c;
            continue;
        }
        if (++i >= escaped.size()) return false;
        switch (escaped[i]) {
        case '\\': utf8 += '\\'; break;
        case 'n': utf8 += '\n'; break;
        case 'r': utf8 += '\r'; break;
        case 't': utf8 += '\t'; break;
        case 'x': {
            if (i + 2 >= escaped.size()) return false;
            const int high = HexDigit(escaped[i + 1]);
            const int low = HexDigit(escaped[i + 2]);
            if (high < 0 || low < 0) return false;
            utf8 += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default: return false;
        }
    }
    value = FromUtf8(utf8);
    return true;
}

bool ParseKeyValueText(std::string_view bytes, std::string_view kind, CTextDocument& document, std::string& error)
{
    document = {};
    document.m_aSections.emplace_back();
    bytes = StripUtf8Bom(bytes);
    size_t lineNumber = 0;
    bool headerSeen = false;
    while (!bytes.empty()) {
        const size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes = end == std::string_view::npos ? std::string_view() : bytes.substr(end + 1);
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!headerSeen) {
            // "<kind> <version>", the version a positive number.
            headerSeen = true;
            if (line.size() <= kind.size() + 1 || line.substr(0, kind.size()) != kind || line[kind.size()] != ' ') {
                error = LineError(lineNumber, "不是本程序的设置文件");
                return false;
            }
            long long version = 0;
            if (!ReadNumber(FromUtf8(line.substr(kind.size() + 1)), 1, 1000000, version)) {
                error = LineError(lineNumber, "版本号无效");
                return false;
            }
            document.m_nVersion = int(version);
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        if (line.front() == '[') {
            if (line.size() < 2 || line.back() != ']') {
                error = LineError(lineNumber, "节名缺少“]”");
                return false;
            }
            CTextSection section;
            section.m_strName = std::string(line.substr(1, line.size() - 2));
            document.m_aSections.push_back(std::move(section));
            continue;
        }
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos || equals == 0) {
            error = LineError(lineNumber, "不是“名称=值”");
            return false;
        }
        const std::string_view key = line.substr(0, equals);
        for (char c : key)
            if (!IsKeyChar(c)) {
                error = LineError(lineNumber, "名称中有无效字符");
                return false;
            }
        CTextEntry entry;
        entry.m_strKey = std::string(key);
        if (!UnescapeValue(line.substr(equals + 1), entry.m_strValue)) {
            error = LineError(lineNumber, "值中有无效的转义");
            return false;
        }
        document.m_aSections.back().m_aEntries.push_back(std::move(entry));
    }
    if (!headerSeen) {
        error = "文件是空的";
        return false;
    }
    return true;
}

CKeyValueWriter::CKeyValueWriter(std::string_view kind, int version)
{
    m_strBytes.append(kind).append(" ").append(std::to_string(version)).append("\n");
}

void CKeyValueWriter::Section(std::string_view name) { m_strBytes.append("\n[").append(name).append("]\n"); }

void CKeyValueWriter::Put(std::string_view key, std::u16string_view value)
{
    m_strBytes.append(key).append("=").append(EscapeValue(value)).append("\n");
}

void CKeyValueWriter::PutFlag(std::string_view key, bool value)
{
    m_strBytes.append(key).append(value ? "=1\n" : "=0\n");
}

void CKeyValueWriter::PutNumber(std::string_view key, long long value)
{
    m_strBytes.append(key).append("=").append(std::to_string(value)).append("\n");
}

bool ReadNumber(std::u16string_view text, long long low, long long high, long long& value)
{
    size_t i = 0;
    const bool negative = !text.empty() && text[0] == u'-';
    if (negative) ++i;
    if (i >= text.size() || text.size() - i > 18) return false;
    long long n = 0;
    for (; i < text.size(); ++i) {
        if (!IsAsciiDigit(text[i])) return false;
        n = n * 10 + (text[i] - u'0');
    }
    if (negative) n = -n;
    if (n < low || n > high) return false;
    value = n;
    return true;
}

bool ReadFlag(std::u16string_view text, bool& value)
{
    if (text == u"1" || text == u"0") {
        value = text == u"1";
        return true;
    }
    return false;
}

}  // namespace kq::settings
