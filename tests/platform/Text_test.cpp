#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/Text.h"

namespace kq {
namespace {

TEST(Utf, RoundTripsAndReplacesMalformedInput)
{
    std::u16string text = u"文件 a\U0001F600b";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(FromUtf8("\xE6\x96"), u"\uFFFD");        // truncated sequence
    EXPECT_EQ(FromUtf8("a\xFFz"), u"a\uFFFDz");        // invalid lead byte
    EXPECT_EQ(FromUtf8("\xC0\xAF"), u"\uFFFD\uFFFD");  // overlong form
    EXPECT_EQ(ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(ToAsciiUpper(u"abc文z"), u"ABC文Z");
}

// File names are bytes on POSIX systems: whatever a folder holds must come
// back byte for byte, while valid UTF-8 reads as text does.
TEST(Utf, NativeNamesKeepEveryByte)
{
    const struct {
        const char* bytes;
        std::u16string name;
    } cases[] = {
        {"caf\xE9.txt", u"caf\xDCE9.txt"},                  // Latin-1
        {"\xB0\xA1\xD6\xD0.txt", u"\xDCB0\xDCA1\xDCD6\xDCD0.txt"},  // GBK
        {"\xE6\x96", u"\xDCE6\xDC96"},                      // cut short at the end
        {"\xE6\x96x", u"\xDCE6\xDC96x"},                    // cut short inside
        {"\xC0\xAF", u"\xDCC0\xDCAF"},                      // overlong form
        {"\xED\xA0\x80", u"\xDCED\xDCA0\xDC80"},            // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\xDCF4\xDC90\xDC80\xDC80"},  // beyond Unicode
        {"\xFF\xFE", u"\xDCFF\xDCFE"},
        {"文件\xE9\U0001F600", u"文件\xDCE9\U0001F600"},       // mixed with valid text
        {"plain name.txt", u"plain name.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(FromNativeName(c.bytes), c.name);
        EXPECT_EQ(ToNativeName(c.name), c.bytes);
        std::string appended = "#";
        AppendNativeName(appended, c.name);
        EXPECT_EQ(appended, std::string("#") + c.bytes);
    }
    // Valid text reads the same either way; units that stand for no byte
    // still become U+FFFD.
    EXPECT_EQ(FromNativeName("文件 a\U0001F600b"), FromUtf8("文件 a\U0001F600b"));
    EXPECT_EQ(ToNativeName(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(ToNativeName(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
    EXPECT_EQ(FromUtf8("caf\xE9"), u"caf\uFFFD");  // text keeps its replacement
}

// The converters copy ASCII in blocks; a non-ASCII character or a malformed
// byte at any place around a block edge must come out the same as alone.
TEST(Utf, BlockCopiesAgreeAtEveryPosition)
{
    const std::u16string specials[] = {u"文", u"\u00e9", u"\U0001F600", std::u16string(1, char16_t(0xDC00))};
    for (const auto& special : specials) {
        for (size_t length = 0; length <= 20; ++length) {
            for (size_t at = 0; at <= length; ++at) {
                std::u16string text(length, u'x');
                for (size_t i = 0; i < length; ++i) text[i] = char16_t(u'a' + i % 26);
                text.insert(at, special);
                std::u16string expected = text;
                if (special.size() == 1 && special[0] == 0xDC00) expected[at] = u'\uFFFD';
                SCOPED_TRACE(std::to_string(length) + "/" + std::to_string(at));
                std::string utf8 = "\x01";  // appends after what is there
                AppendUtf8(utf8, text);
                EXPECT_EQ(utf8.substr(1), ToUtf8(text));
                std::u16string back = u"\x01";
                AppendFromUtf8(back, utf8.substr(1));
                EXPECT_EQ(back.substr(1), expected);
                std::string broken = ToUtf8(text.substr(0, at)) + "\xFF" + ToUtf8(text.substr(at));
                EXPECT_EQ(FromUtf8(broken), text.substr(0, at) + u"\uFFFD" + expected.substr(at));
            }
        }
    }
}

// The word tests agree with a byte-by-byte look at every position, for
// every byte value, among bytes of either side of the bound.
TEST(Text, WordHasByteAgreesWithEachByte)
{
    const unsigned char fillers[] = {0x00, 0x1F, 0x20, 0x41, 0x7F, 0x80, 0xE6, 0xFF};
    for (unsigned char filler : fillers) {
        for (int at = 0; at < 8; ++at) {
            for (int value = 0; value < 256; ++value) {
                unsigned char bytes[8];
                for (unsigned char& b : bytes) b = filler;
                bytes[at] = static_cast<unsigned char>(value);
                uint64_t word = 0;
                for (int i = 7; i >= 0; --i) word = word << 8 | bytes[i];
                for (unsigned char target : {0x09, 0x5C, 0x7F}) {
                    bool expected = false;
                    for (unsigned char b : bytes) expected = expected || b == target;
                    ASSERT_EQ(WordHasByte(word, target), expected) << filler << " " << at << " " << value;
                }
                for (unsigned char bound : {0x01, 0x20, 0x80}) {
                    bool expected = false;
                    for (unsigned char b : bytes) expected = expected || b < bound;
                    ASSERT_EQ(WordHasByteBelow(word, bound), expected) << filler << " " << at << " " << value;
                }
            }
        }
    }
}

TEST(Utf, StripUtf8BomRemovesOnlyALeadingMark)
{
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(StripUtf8Bom(bom + "abc"), "abc");
    EXPECT_EQ(StripUtf8Bom(bom + bom), bom);  // one mark only
    EXPECT_EQ(StripUtf8Bom(bom), "");
    EXPECT_EQ(StripUtf8Bom("\xEF\xBB"), "\xEF\xBB");  // cut short: not a mark
    EXPECT_EQ(StripUtf8Bom("a" + bom), "a" + bom);
    EXPECT_EQ(StripUtf8Bom(""), "");
}

}  // namespace
}  // namespace kq
