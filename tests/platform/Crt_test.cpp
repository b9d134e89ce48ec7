#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {
namespace {

TEST(NumberReaders, WtoiReadsLeadingInteger)
{
    struct Row {
        const char16_t* text;
        int expected;
    } rows[] = {
        {u"", 0},
        {u"abc", 0},
        {u"12abc", 12},
        {u"  \t\n-42x", -42},
        {u"+7", 7},
        {u"1.9", 1},
        {u"- 5", 0},
        {u"--5", 0},
        {u"2147483647", INT_MAX},
        {u"2147483648", INT_MAX},
        {u"-2147483648", INT_MIN},
        {u"-2147483649", INT_MIN},
        {u"1234567890123456789012345678901234567890", INT_MAX},
        {u"-1234567890123456789012345678901234567890", INT_MIN},
        {u"\u3000" u"5", 0},  // only ASCII white space is skipped
        {u"０", 0},           // full-width digits are not digits
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.text));
        EXPECT_EQ(Wtoi(row.text), row.expected);
        EXPECT_EQ(Atoi(ToUtf8(row.text)), row.expected);
    }
}

TEST(NumberReaders, WtofReadsLongestNumberPrefix)
{
    struct Row {
        const char16_t* text;
        double expected;
    } rows[] = {
        {u"", 0.0},
        {u"abc", 0.0},
        {u"1.5kg", 1.5},
        {u"  -2.25", -2.25},
        {u".5", 0.5},
        {u"5.", 5.0},
        {u".", 0.0},
        {u"1e3", 1000.0},
        {u"1E-2", 0.01},
        {u"2e", 2.0},
        {u"2e+", 2.0},
        {u"+3.5e1x", 35.0},
        {u"1e400", HUGE_VAL},
        {u"-1e400", -HUGE_VAL},
        {u"1e-400", 0.0},
        {u"0.000e999999999999", 0.0},
        {u"inf", 0.0},
        {u"nan", 0.0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.text));
        EXPECT_EQ(Wtof(row.text), row.expected);
        EXPECT_EQ(Atof(ToUtf8(row.text)), row.expected);
    }
}

TEST(NumberReaders, DoubleToIntTruncatesAndGivesIntMinOutOfRange)
{
    struct Row {
        double value;
        int expected;
    } rows[] = {
        {1.9, 1},
        {-1.9, -1},
        {2147483647.9, INT_MAX},
        {-2147483648.9, INT_MIN},
        {2147483648.0, INT_MIN},
        {-2147483649.0, INT_MIN},
        {1e300, INT_MIN},
        {-HUGE_VAL, INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), INT_MIN},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        EXPECT_EQ(DoubleToInt(row.value), row.expected);
    }
}

TEST(NumberFormats, FixedIsLocaleFreeAndBounded)
{
    struct Row {
        double value;
        int decimals;
        const char* expected;
    } rows[] = {
        {2.5, 0, "2"},  // round half to even, as printf does
        {3.5, 0, "4"},
        {2.125, 2, "2.12"},
        {-0.0000001, 3, "-0.000"},
        {1.0 / 3, 10, "0.3333333333"},
        {std::numeric_limits<double>::quiet_NaN(), 2, "nan"},
        {HUGE_VAL, 2, "inf"},
        {-HUGE_VAL, 2, "-inf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(FormatFixedA(row.value, row.decimals), row.expected);
    }
    std::string huge = FormatFixedA(1e308, 10);
    EXPECT_EQ(huge.size(), 309u + 1 + 10);
    EXPECT_EQ(huge.substr(0, 4), "1000");
    EXPECT_EQ(FormatInt(INT_MIN), u"-2147483648");
}

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

}  // namespace
}  // namespace kq
