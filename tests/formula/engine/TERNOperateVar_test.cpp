#include "formula/engine/TERNOperateVar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>

#include "platform/Text.h"

namespace kq {
namespace {

CTERNOperateVar Make(int type, std::u16string text, double real, int integer)
{
    CTERNOperateVar v;
    v.m_nType = type;
    v.m_strValue = std::move(text);
    v.m_dValue = real;
    v.m_nValue = integer;
    return v;
}

TEST(TERNOperateVar, ReadersFollowTheConversionTable)
{
    struct Row {
        const char* name;
        CTERNOperateVar value;
        double real;
        int integer;
        int logical;
        const char* text;
    } rows[] = {
        {"string number prefix", Make(OVT_STRING, u"12abc", 0, 0), 12.0, 12, 1, "12abc"},
        {"string no number", Make(OVT_STRING, u"abc", 0, 0), 0.0, 0, 0, "abc"},
        {"string real", Make(OVT_STRING, u" 1.9e1x", 0, 0), 19.0, 1, 1, " 1.9e1x"},
        {"string TRUE is false", Make(OVT_STRING, u"TRUE", 0, 0), 0.0, 0, 0, "TRUE"},
        {"string 0.5 is false", Make(OVT_STRING, u"0.5", 0, 0), 0.5, 0, 0, "0.5"},
        {"integer", Make(OVT_INT, u"", 0, -42), -42.0, -42, 1, "-42"},
        {"real truncates", Make(OVT_DOUBLE, u"", -2.75, 0), -2.75, -2, 1, "-2.75"},
        {"real half is false", Make(OVT_DOUBLE, u"", 0.5, 0), 0.5, 0, 0, "0.5"},
        {"real sum text", Make(OVT_DOUBLE, u"", 0.1 + 0.2, 0), 0.1 + 0.2, 0, 0, "0.3"},
        {"real third", Make(OVT_DOUBLE, u"", 1.0 / 3, 0), 1.0 / 3, 0, 0, "0.3333333"},
        {"real tiny negative", Make(OVT_DOUBLE, u"", -1e-9, 0), -1e-9, 0, 0, "-0"},
        {"real out of int range", Make(OVT_DOUBLE, u"", 1e12, 0), 1e12, -2147483647 - 1, 1, "1000000000000"},
        {"real NaN", Make(OVT_DOUBLE, u"", std::nan(""), 0), std::nan(""), -2147483647 - 1, 1, nullptr},
        {"logical", Make(OVT_BOOL, u"", 0, 1), 1.0, 1, 1, "1"},
        {"logical false", Make(OVT_BOOL, u"", 0, 0), 0.0, 0, 0, "0"},
        {"none", Make(OVT_NONE, u"x", 5, 5), 0.0, 0, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        if (std::isnan(row.real))
            EXPECT_TRUE(std::isnan(row.value.GetDValue()));
        else
            EXPECT_DOUBLE_EQ(row.value.GetDValue(), row.real);
        EXPECT_EQ(row.value.GetIValue(), row.integer);
        EXPECT_EQ(row.value.GetOValue(), row.logical);
        if (row.text) {
            EXPECT_EQ(ToUtf8(row.value.GetSValue()), row.text);
        }
    }
}

TEST(TERNOperateVar, CopyOwnsItsParameterListAndClearResetsEverything)
{
    CTERNOperateVar source = Make(OVT_STRING, u"v", 1.5, 3);
    source.m_strName = u"SFV1";
    source.m_strOperate = u"left";
    source.AddParamIndex(std::vector<int>{4, 5});
    CTERNOperateVar copy;
    copy.AddParamIndex(9);
    copy = source;
    copy.AddParamIndex(6);
    EXPECT_EQ(source.GetParamSize(), 2);
    ASSERT_EQ(copy.GetParamSize(), 3);
    EXPECT_EQ(copy[0], 4);
    EXPECT_EQ(copy[2], 6);
    EXPECT_EQ(copy.m_strName, u"SFV1");
    EXPECT_EQ(copy.m_strValue, u"v");
    EXPECT_THROW((void)copy[3], std::invalid_argument);
    EXPECT_THROW((void)copy[-1], std::invalid_argument);

    copy.TERNClear();
    EXPECT_EQ(copy.GetParamSize(), 0);
    EXPECT_EQ(copy.m_nType, OVT_NONE);
    EXPECT_TRUE(copy.m_strName.empty() && copy.m_strOperate.empty() && copy.m_strValue.empty());
    EXPECT_EQ(copy.m_nValue, 0);
    EXPECT_EQ(copy.m_dValue, 0.0);
}

TEST(TERNOperateVar, OperatorNodeIsOneWhoseOperateStartsWithANonLetter)
{
    struct Row {
        const char16_t* operate;
        int isOperate;
    } rows[] = {{u"", 0}, {u"+", 1}, {u"&", 1}, {u"left", 0}, {u"Z9", 0}, {u"9a", 1}};
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.operate));
        CTERNOperateVar v;
        v.m_strOperate = row.operate;
        EXPECT_EQ(v.IsOperate(), row.isOperate);
    }
}

}  // namespace
}  // namespace kq
