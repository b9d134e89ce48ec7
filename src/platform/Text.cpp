#include "platform/Text.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kq {

// Both conversions run for every file name on the hot paths (enumeration,
// moves, output), so they write into a buffer sized for the worst case and
// copy ASCII runs without decoding.
std::u16string FromUtf8(std::string_view text)
{
    std::u16string out;
    AppendFromUtf8(out, text);
    return out;
}

namespace {

// A byte that is not part of valid UTF-8: U+FFFD, or for a file name the
// unit that stands for that byte.
template <bool kBytes>
inline char16_t Invalid(unsigned char byte)
{
    return kBytes ? char16_t(0xDC00 + byte) : u'\uFFFD';
}

template <bool kBytes>
void Decode(std::u16string& out, std::string_view text)
{
    const size_t at = out.size();
    out.resize(at + text.size());  // never more units than bytes
    char16_t* o = out.data() + at;
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        // Eight ASCII bytes at a time.
        while (end - p >= 8) {
            uint64_t bytes;
            std::memcpy(&bytes, p, sizeof bytes);
            if (bytes & 0x8080808080808080ull) break;
            for (int k = 0; k < 8; ++k) o[k] = p[k];
            o += 8;
            p += 8;
        }
        if (p >= end) break;
        unsigned char c = *p;
        if (c < 0x80) {
            *o++ = c;
            ++p;
            continue;
        }
        char32_t cp = 0;
        int extra = 0;
        if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else { *o++ = Invalid<kBytes>(c); ++p; continue; }
        if (end - p < extra + 1) {  // truncated at the end
            if (!kBytes) {
                *o++ = u'\uFFFD';
                break;
            }
            *o++ = Invalid<kBytes>(c);
            ++p;
            continue;
        }
        bool ok = true;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (p[i] & 0x3F);
        }
        // Reject overlong forms, surrogates and values beyond Unicode.
        static constexpr char32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            *o++ = Invalid<kBytes>(c);
            ++p;
            continue;
        }
        p += extra + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            *o++ = char16_t(0xD800 + (cp >> 10));
            *o++ = char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            *o++ = char16_t(cp);
        }
    }
    out.resize(size_t(o - out.data()));
}

template <bool kBytes>
void Encode(std::string& out, std::u16string_view text)
{
    const size_t at = out.size();
    out.resize(at + text.size() * 3);  // at most three bytes a unit
    char* o = out.data() + at;
    const size_t size = text.size();
    for (size_t i = 0; i < size; ++i) {
        // Four ASCII units at a time: the usual file name is all ASCII.
        while (i + 4 <= size) {
            uint64_t units;
            std::memcpy(&units, text.data() + i, sizeof units);
            if (units & 0xFF80FF80FF80FF80ull) break;
            o[0] = char(text[i]);
            o[1] = char(text[i + 1]);
            o[2] = char(text[i + 2]);
            o[3] = char(text[i + 3]);
            o += 4;
            i += 4;
        }
        if (i >= size) break;
        char32_t cp = text[i];
        if (cp < 0x80) {
            *o++ = char(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;  // two units give four bytes: still within the buffer
        } else if (kBytes && cp >= 0xDC80 && cp <= 0xDCFF) {
            *o++ = char(cp - 0xDC00);  // a byte of a name that is not UTF-8
            continue;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // lone surrogate
        }
        if (cp < 0x800) {
            *o++ = char(0xC0 | (cp >> 6));
            *o++ = char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *o++ = char(0xE0 | (cp >> 12));
            *o++ = char(0x80 | ((cp >> 6) & 0x3F));
            *o++ = char(0x80 | (cp & 0x3F));
        } else {
            *o++ = char(0xF0 | (cp >> 18));
            *o++ = char(0x80 | ((cp >> 12) & 0x3F));
            *o++ = char(0x80 | ((cp >> 6) & 0x3F));
            *o++ = char(0x80 | (cp & 0x3F));
        }
    }
    out.resize(size_t(o - out.data()));
}

}  // namespace

void AppendFromUtf8(std::u16string& out, std::string_view text) { Decode<false>(out, text); }
void AppendUtf8(std::string& out, std::u16string_view text) { Encode<false>(out, text); }
void AppendFromNativeName(std::u16string& out, std::string_view bytes) { Decode<true>(out, bytes); }
void AppendNativeName(std::string& out, std::u16string_view name) { Encode<true>(out, name); }

std::u16string FromNativeName(std::string_view bytes)
{
    std::u16string out;
    Decode<true>(out, bytes);
    return out;
}

std::string ToNativeName(std::u16string_view name)
{
    std::string out;
    Encode<true>(out, name);
    return out;
}

std::string ToUtf8(std::u16string_view text)
{
    std::string out;
    AppendUtf8(out, text);
    return out;
}

std::u16string FromAscii(std::string_view text)
{
    return std::u16string(text.begin(), text.end());
}

char16_t NameUpper(char16_t c)
{
    auto odd = [](char16_t u) { return char16_t((u & 1) ? u - 1 : u); };   // lower odd, upper even
    auto even = [](char16_t u) { return char16_t((u & 1) ? u : u - 1); };  // lower even, upper odd
    if (c < 0x80) return AsciiUpper(c);
    if (c < 0x100) return c == 0xFF ? char16_t(0x178) : (c >= 0xE0 && c != 0xF7 && c != 0xFF) ? char16_t(c - 0x20) : c;
    if (c <= 0x137) return odd(c);
    if (c >= 0x139 && c <= 0x148) return even(c);
    if (c >= 0x14A && c <= 0x177) return odd(c);
    if (c >= 0x179 && c <= 0x17E) return even(c);
    if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? char16_t(0x3A3) : char16_t(c - 0x20);
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return char16_t(c - 0x25);
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return char16_t(c - 0x3F);
    if (c >= 0x430 && c <= 0x44F) return char16_t(c - 0x20);
    if (c >= 0x450 && c <= 0x45F) return char16_t(c - 0x50);
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF)) return odd(c);
    if (c >= 0x561 && c <= 0x586) return char16_t(c - 0x30);
    if (c >= 0xFF41 && c <= 0xFF5A) return char16_t(c - 0x20);
    return c;
}

std::u16string ToAsciiUpper(std::u16string_view text)
{
    std::u16string out(text);
    for (auto& c : out) c = AsciiUpper(c);
    return out;
}

std::u16string ToAsciiLower(std::u16string_view text)
{
    std::u16string out(text);
    for (auto& c : out) c = AsciiLower(c);
    return out;
}

std::string JsonString(std::string_view utf8)
{
    std::string out = "\"";
    for (unsigned char c : utf8) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    out += "\"";
    return out;
}

}  // namespace kq
