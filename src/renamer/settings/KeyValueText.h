// The text form of the settings and preset files: a first line naming the
// kind of file and its version, then "key=value" lines, grouped by "[name]"
// lines into sections. Values are UTF-8 with backslash escapes, so any text
// (newlines, control characters, "=" and "[") fits on one line. Blank lines
// and lines starting with "#" are skipped; a reader takes the keys it knows
// and leaves the others alone, and a key it misses keeps its default.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kq::settings {

struct CTextEntry {
    std::string m_strKey;
    std::u16string m_strValue;
};

struct CTextSection {
    std::string m_strName;  // "" for the entries before the first "[name]"
    std::vector<CTextEntry> m_aEntries;

    // The last value of key, or null.
    const std::u16string* Find(std::string_view key) const;
    // Every value of key, in file order.
    std::vector<std::u16string> All(std::string_view key) const;
};

struct CTextDocument {
    int m_nVersion = 0;
    std::vector<CTextSection> m_aSections;  // the first is the unnamed one
};

// Reads bytes written for kind ("KQTools settings"). False, with error
// saying which line, when the first line is not "<kind> <version>", a line
// is neither blank, comment, section nor "key=value", or a value holds an
// escape that means nothing.
bool ParseKeyValueText(std::string_view bytes, std::string_view kind, CTextDocument& document, std::string& error);

// Builds such a text.
class CKeyValueWriter {
public:
    CKeyValueWriter(std::string_view kind, int version);

    void Section(std::string_view name);
    void Put(std::string_view key, std::u16string_view value);
    void Put(std::string_view key, bool value) = delete;  // use PutFlag: a literal would pick this
    void PutFlag(std::string_view key, bool value);
    void PutNumber(std::string_view key, long long value);
    const std::string& Bytes() const { return m_strBytes; }

private:
    std::string m_strBytes;
};

// The escaped form of a value and back; Unescape is false on a bad escape.
std::string EscapeValue(std::u16string_view value);
bool UnescapeValue(std::string_view escaped, std::u16string& value);

// A whole decimal number within [low, high]; false for anything else.
bool ReadNumber(std::u16string_view text, long long low, long long high, long long& value);
// "1" or "0".
bool ReadFlag(std::u16string_view text, bool& value);

}  // namespace kq::settings
