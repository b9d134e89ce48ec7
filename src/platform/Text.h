// UTF-16 system text and conversions at the edges.
//
// System text is std::u16string: lengths and positions count UTF-16 code
// units. Case and character classes are ASCII only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kq {

// UTF-8 <-> UTF-16. Malformed input becomes U+FFFD; nothing throws.
std::u16string FromUtf8(std::string_view text);
std::string ToUtf8(std::u16string_view text);
// Appends the UTF-8 form of text to out (no temporary string).
void AppendUtf8(std::string& out, std::u16string_view text);
// Appends the UTF-16 form of UTF-8 text to out; a reused out allocates nothing.
void AppendFromUtf8(std::u16string& out, std::string_view text);

// File names and paths as the system keeps them. POSIX names are bytes that
// need not be UTF-8: each byte outside valid UTF-8 becomes the unit
// U+DC00 + byte (U+DC80..U+DCFF) and turns back into that byte, so a name
// read from a folder reaches the folder again unchanged. Valid UTF-8 reads
// as FromUtf8 reads it.
std::u16string FromNativeName(std::string_view bytes);
std::string ToNativeName(std::u16string_view name);
void AppendFromNativeName(std::u16string& out, std::string_view bytes);
void AppendNativeName(std::string& out, std::u16string_view name);

// The text without a leading UTF-8 byte-order mark.
inline constexpr std::string_view StripUtf8Bom(std::string_view bytes)
{
    return bytes.substr(0, 3) == "\xEF\xBB\xBF" ? bytes.substr(3) : bytes;
}

// ASCII-only literal to system text ("abc" -> u"abc"); for formats and numbers.
std::u16string FromAscii(std::string_view text);

// Eight bytes of text read as one word (in any byte order): whether one of
// them is byte, or is below bound (at most 0x80).
inline constexpr bool WordHasByte(uint64_t word, unsigned char byte)
{
    const uint64_t x = word ^ (0x0101010101010101ull * byte);
    return ((x - 0x0101010101010101ull) & ~x & 0x8080808080808080ull) != 0;
}
inline constexpr bool WordHasByteBelow(uint64_t word, unsigned char bound)
{
    return ((word - 0x0101010101010101ull * bound) & ~word & 0x8080808080808080ull) != 0;
}

inline constexpr char16_t AsciiUpper(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
inline constexpr char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
inline constexpr bool IsAsciiDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
inline constexpr bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
// The white space the runtime's number readers skip: space, tab, LF, VT, FF, CR.
inline constexpr bool IsAsciiSpace(char16_t c) { return c == u' ' || (c >= 9 && c <= 13); }

std::u16string ToAsciiUpper(std::u16string_view text);
// The simple upper case of the alphabets names are folded in by the file
// systems that ignore case: Latin (with Latin-1 and Latin Extended-A),
// Greek, Cyrillic, Armenian and full-width Latin. Other units stay.
char16_t NameUpper(char16_t c);
std::u16string ToAsciiLower(std::u16string_view text);

// JSON string literal (quotes included) of UTF-8 text.
std::string JsonString(std::string_view utf8);

}  // namespace kq
