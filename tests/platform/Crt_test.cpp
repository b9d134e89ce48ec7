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

}  // namespace
}  // namespace kq
