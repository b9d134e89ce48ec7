// Conversions between system text and byte encodings (iconv on POSIX).
#pragma once

#include <string>
#include <string_view>

namespace kq {

// The charset of the user's locale (LC_CTYPE), e.g. "UTF-8" or "GBK".
std::string LocaleCharset();

// Encodes into charset; characters it cannot hold become '?'. False only
// when the charset is unknown.
bool EncodeText(std::u16string_view text, const std::string& charset, std::string& bytes);
// Decodes from charset; malformed bytes become U+FFFD. False when unknown.
bool DecodeText(std::string_view bytes, const std::string& charset, std::u16string& text);

inline bool ToLocaleCharset(std::u16string_view text, std::string& bytes)
{
    return EncodeText(text, LocaleCharset(), bytes);
}
inline bool FromLocaleCharset(std::string_view bytes, std::u16string& text)
{
    return DecodeText(bytes, LocaleCharset(), text);
}
inline bool ToGbk(std::u16string_view text, std::string& bytes) { return EncodeText(text, "GBK", bytes); }
inline bool FromGbk(std::string_view bytes, std::u16string& text) { return DecodeText(bytes, "GBK", text); }

}  // namespace kq
