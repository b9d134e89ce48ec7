#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "formula/text/PRKGetIndexString.h"
#include "formula/text/TERNString.h"
#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

TEST(TERNString, GetDoubleString)
{
    struct Row {
        double value;
        int decimals;
        const char16_t* expected;
    } rows[] = {
        {2.50, -3, u"2.5"},
        {3.0, -7, u"3"},
        {2.5, 3, u"2.500"},
        {-0.00000001, -7, u"-0"},
        {0.0, -7, u"0"},
        {1.23456789, 12, u"1.2345678900"},
        {1.23456789, -12, u"1.23456789"},
        {0.1 + 0.2, -7, u"0.3"},
        {1.0 / 3, -7, u"0.3333333"},
        {100.0, -2, u"100"},
        {-1.5, 0, u"-2"},
        {2.5, INT_MIN, u"2.5"},
        {std::numeric_limits<double>::quiet_NaN(), 2, u"nan"},
        {-HUGE_VAL, -7, u"-inf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.expected));
        EXPECT_EQ(CTERNString::GetDoubleString(row.value, row.decimals), row.expected);
    }
    std::u16string huge = CTERNString::GetDoubleString(1e308, 10);
    EXPECT_EQ(huge.size(), 309u + 11u);
    EXPECT_EQ(huge.substr(huge.size() - 11), u".0000000000");
}

TEST(TERNString, SequenceTexts)
{
    struct Row {
        int n;
        int option;
        const char16_t* alpha;
        const char16_t* chinese;
        const char16_t* roman;
    } rows[] = {
        {-1, 1, u"", u"", u""},
        {0, 0, u"a", u"一", u"ⅰ"},
        {0, 1, u"A", u"壹", u"Ⅰ"},
        {3, 1, u"D", u"肆", u"Ⅳ"},
        {9, 0, u"j", u"十", u"ⅹ"},
        {10, 1, u"K", u"拾壹", u"ⅩⅠ"},
        {13, 0, u"n", u"十四", u"ⅹⅳ"},
        {19, 0, u"t", u"二十", u"ⅹⅹ"},
        {25, 1, u"Z", u"贰拾陆", u"ⅩⅩⅥ"},
        {26, 1, u"AA", u"贰拾柒", u"ⅩⅩⅦ"},
        {27, 0, u"ab", u"二十八", u"ⅹⅹⅷ"},
        {34, 0, u"ai", u"三十五", u"ⅹⅹⅹⅴ"},
        {48, 1, u"AW", u"肆拾玖", u"ⅩⅩⅩⅩⅨ"},
        {99, 0, u"cv", u"一百", u"ⅹⅹⅹⅹⅹⅹⅹⅹⅹⅹ"},
        {100, 0, u"cw", u"一百零一", u"ⅹⅹⅹⅹⅹⅹⅹⅹⅹⅹⅰ"},
        {109, 0, u"df", u"一百一十", nullptr},
        {110, 0, u"dg", u"一百一十一", nullptr},
        {119, 0, u"dp", u"一百二十", nullptr},
        {120, 1, u"DQ", u"壹佰贰拾壹", nullptr},
        {701, 1, u"ZZ", nullptr, nullptr},
        {702, 1, u"AAA", nullptr, nullptr},
        {998, 0, nullptr, u"九百九十九", nullptr},
        {999, 0, nullptr, u"一千", nullptr},
        {1000, 0, nullptr, u"一千零一", nullptr},
        {1001, 0, nullptr, u"", u""},
        {18277, 1, u"ZZZ", nullptr, nullptr},
        {18278, 1, u"", u"", u""},
        {INT_MIN, 1, u"", u"", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.n);
        if (row.alpha) {
            EXPECT_EQ(CTERNString::GetAlpha(row.n, row.option), row.alpha);
            EXPECT_EQ(row.option ? CPRKGetIndexString::GetUpperAlpha(row.n) : CPRKGetIndexString::GetLowerAlpha(row.n), row.alpha);
        }
        if (row.chinese) {
            EXPECT_EQ(CTERNString::GetChineseNumber(row.n, row.option), row.chinese);
            EXPECT_EQ(CPRKGetIndexString::GetChineseNumber(row.n, row.option), row.chinese);
        }
        if (row.roman) {
            EXPECT_EQ(CTERNString::GetRomanNum(row.n, row.option), row.roman);
            EXPECT_EQ(CPRKGetIndexString::GetRomanNum(row.n, row.option), row.roman);
        }
    }
}

TEST(TERNString, GetNumberPadsNPlusOne)
{
    struct Row {
        int n;
        int width;
        const char16_t* expected;
    } rows[] = {
        {0, 3, u"001"},     {10000, 2, u"10001"}, {10001, 2, u""}, {-1, 3, u"000"},
        {5, 0, u"6"},       {5, -4, u"6"},        {-3, 4, u"00-2"}, {INT_MIN, 1, u"-2147483647"},
        {INT_MAX, 3, u""},  {41, 5, u"00042"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(CTERNString::GetNumber(row.n, row.width), row.expected);
        EXPECT_EQ(CPRKGetIndexString::GetNumber(row.n, row.width), row.expected);
    }
}

TEST(TERNString, GetDefineStringTakesTheNthItem)
{
    struct Row {
        int n;
        const char16_t* list;
        const char16_t* expected;
    } rows[] = {
        {0, u"a,b,c", u"a"}, {1, u"a,b,c", u"b"}, {2, u"a,b,c", u"c"}, {3, u"a,b,c", u""},
        {-1, u"a,b,c", u""}, {0, u"", u""},       {0, u",x", u""},     {1, u",x", u"x"},
        {1, u"a, b ,c", u" b "}, {2, u"a,,c", u"c"}, {1, u"甲,乙,丙", u"乙"}, {INT_MAX, u"a,b", u""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.n);
        EXPECT_EQ(CTERNString::GetDefineString(row.n, row.list), row.expected);
        EXPECT_EQ(CPRKGetIndexString::GetDefineString(row.n, row.list), row.expected);
    }
}

TEST(TERNString, TrimmedRealsAndReaders)
{
    struct Row {
        double value;
        int minDecimals;
        int maxDecimals;
        const char16_t* text;
        double rounded;  // FormatDoublePrev(value, maxDecimals)
    } rows[] = {
        {2.5, 2, 4, u"2.50", 2.5},
        {2.12345, 0, 3, u"2.123", 2.123},
        {3.0, 0, 2, u"3", 3.0},
        {100, 0, 0, u"100", 100},
        {0.125, 0, 2, u"0.12", 0.12},
        {-1.0, 3, 1, u"-1.000", -1.0},
        {1e308, 0, 10, nullptr, 1e308},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.value);
        if (row.text) {
            EXPECT_EQ(CTERNString::GetFDoubleString(row.value, row.minDecimals, row.maxDecimals), row.text);
        }
        EXPECT_DOUBLE_EQ(CTERNString::FormatDoublePrev(row.value, row.maxDecimals), row.rounded);
    }
    EXPECT_EQ(CTERNString::GetFIntValue(u"-12", 1), 12);
    EXPECT_EQ(CTERNString::GetFIntValue(u"-12", 0), -12);
    EXPECT_EQ(CTERNString::GetFIntValue(u"-2147483648", 1), INT_MAX);
    EXPECT_EQ(CTERNString::GetFDoubleValue(u"abc", 1), 0.0);
    EXPECT_EQ(CTERNString::GetFDoubleValue(u" -2.5e1", 1), 25.0);
    EXPECT_EQ(CTERNString::GetFDoubleValue(u" -2.5e1", 0), -25.0);
    EXPECT_EQ(CTERNString::GetFIntString(INT_MIN), u"-2147483648");
}

TEST(TERNString, ClipboardGoesThroughTheProvider)
{
    test::CScopedClipboard clipboard;
    std::u16string text = u"before";
    EXPECT_EQ(CTERNString::GetClipText(text), 0);
    EXPECT_EQ(text, u"before");
    EXPECT_EQ(CTERNString::SetClipText(u"文件\r\n二"), 1);
    EXPECT_EQ(CTERNString::GetClipText(text), 1);
    EXPECT_EQ(text, u"文件\r\n二");
}

}  // namespace
}  // namespace kq
