#include "formula/numeric/GetValFromString.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "platform/Text.h"

namespace kq {
namespace {

struct CValueCase {
    const char* m_pszExpression;
    int m_nCode;
    double m_dValue;      // checked when m_nCode is 0
    double m_dTolerance;  // 0: exactly
};

std::vector<CTERNMathVar> RowVariables()
{
    return {{u"C", 12}, {u"I", 4}, {u"L", 1}, {u"N", 2}};
}

TEST(GetValFromString, GetValue_EvaluatesWithSixDecimalStepsAndReportsEveryFailureCode)
{
    const double sin305 = std::sin(30.5 * 3.1415926 / 180);
    const CValueCase cases[] = {
        // precedence, grouping from the left, the leading sign
        {"1+2*3", 0, 7, 0},
        {"(1+2)*3", 0, 9, 0},
        {"-2^2", 0, -4, 0},
        {"+5", 0, 5, 0},
        {"2^3^2", 0, 64, 0},
        {"10-4-3", 0, 3, 0},
        {"8/4/2", 0, 1, 0},
        {"2*(0-3)", 0, -6, 0},
        {"(0-2)*(0-3)", 0, 6, 0},
        {"-(2)", 0, -2, 0},
        {"((((1+1))))*2", 0, 4, 0},
        // every operator step is rounded to six decimals, a lone number not
        {"1/3*3", 0, 0.999999, 0},
        {"0.1234567+0", 0, 0.123457, 0},
        {"0.1234567", 0, 0.1234567, 0},
        {"2 + 3", 0, 5, 0},
        {" \t1+1 ", 0, 2, 0},
        {"1e3+1", 0, 1001, 0},
        // variables: exact names, rounded like every value
        {"I*2+1", 0, 9, 0},
        {"C-N*L", 0, 10, 0},
        {"i*2", kGetValUnknownVariable, 0, 0},
        {"I2", kGetValUnknownVariable, 0, 0},
        // degrees, minutes, seconds
        {"30,30", 0, 30.5, 0},
        {"1,2,3", 0, 1.034166, 1e-9},
        {",30", 0, 0.5, 0},
        {"sin(30,30)", 0, sin305, 1e-6},
        // functions and their constants
        {"sin(30)", 0, 0.5, 1e-6},
        {"SIN(30)", 0, 0.5, 1e-6},
        {"cos(60)", 0, 0.5, 1e-6},
        {"tan(45)", 0, 1, 1e-6},
        {"area(2)", 0, 12.566, 0},
        {"dtor(180)", 0, 3.141593, 0},  // the bracket goes back as six-decimal text
        {"rtod(3.1415926)", 0, 180, 0},
        {"sqrt(16)+pow2(3)+pow3(2)", 0, 21, 0},
        {"fabs(0-2.5)", 0, 2.5, 0},
        {"int(0-2.5)", 0, -2, 0},
        {"floor(0-2.5)", 0, -3, 0},
        {"log10(1000)+log(1)+exp(0)", 0, 4, 0},
        {"asin(1)", 0, 1.570796, 0},
        {"2*(0*(0-1))", 0, 0, 0},  // a negative zero bracket is plain zero
        {"tan(90)", kGetValOutOfDomain, 0, 0},
        {"tan(-270)", kGetValOutOfDomain, 0, 0},
        {"sqrt(0-4)", kGetValOutOfDomain, 0, 0},
        {"acos(2)", kGetValOutOfDomain, 0, 0},
        {"log(0)", kGetValOutOfDomain, 0, 0},
        {"exp(1000)", kGetValOutOfDomain, 0, 0},
        {"2(3)", kGetValUnknownFunction, 0, 0},
        {"foo(1)", kGetValUnknownFunction, 0, 0},
        // text failures
        {"", kGetValEmpty, 0, 0},
        {"   ", kGetValEmpty, 0, 0},
        {"[1]", kGetValBadCharacter, 0, 0},
        {"{1}", kGetValBadCharacter, 0, 0},
        {"(1", kGetValUnbalanced, 0, 0},
        {"1)", kGetValUnbalanced, 0, 0},
        {")(", kGetValUnbalanced, 0, 0},
        {"(2)3", kGetValBadAfterBracket, 0, 0},
        {"(1)(2)", kGetValBadAfterBracket, 0, 0},
        {"*2", kGetValMisplacedOperator, 0, 0},
        {"2*", kGetValMisplacedOperator, 0, 0},
        {"2*-3", kGetValMisplacedOperator, 0, 0},
        {"-", kGetValMisplacedOperator, 0, 0},
        {"()", kGetValNoOperand, 0, 0},
        {"1.2.3", kGetValBadNumber, 0, 0},
        {"1e2e3", kGetValBadNumber, 0, 0},
        {"3$", kGetValBadNumber, 0, 0},
        {".", kGetValBadNumber, 0, 0},
        {"1/0", kGetValDivideByZero, 0, 0},
        {"1/(I-4)", kGetValDivideByZero, 0, 0},
        // values without a finite result
        {"1e999", kGetValBadNumber, 0, 0},
        {"1e300*1e300", kGetValBadNumber, 0, 0},
        {"(1e300*1e300)+1", kGetValBadNumber, 0, 0},
        {"I*1e300", 0, 4e300, 0},
        // the first failing step wins: ^ before / whatever their places
        {"1/0*2^5000", kGetValBadNumber, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_pszExpression);
        CGetValFromString evaluator;
        evaluator.SetVarList(RowVariables());
        double value = -12345;
        int code = evaluator.GetValue(FromUtf8(c.m_pszExpression), value);
        EXPECT_EQ(code, c.m_nCode);
        if (c.m_nCode != 0) {
            EXPECT_EQ(value, -12345) << "value must stay untouched on failure";
        } else if (c.m_dTolerance == 0) {
            EXPECT_DOUBLE_EQ(value, c.m_dValue);
        } else {
            EXPECT_NEAR(value, c.m_dValue, c.m_dTolerance);
        }
    }
}

TEST(GetValFromString, SetVarList_ReplacesTheListAndReportsAnEmptyOne)
{
    CGetValFromString evaluator;
    EXPECT_EQ(evaluator.SetVarList({{u"x", 1.5}}), 1);
    double value = 0;
    EXPECT_EQ(evaluator.GetValue(u"x*2", value), 0);
    EXPECT_DOUBLE_EQ(value, 3);
    EXPECT_EQ(evaluator.SetVarList({}), 0);
    EXPECT_EQ(evaluator.GetValue(u"x*2", value), kGetValUnknownVariable);
}

TEST(GetValFromString, GetValue_HandlesHugeInputInLinearTime)
{
    CGetValFromString evaluator;
    double value = 0;
    // 50,000 nested brackets and 50,000 operators.
    std::u16string nested(50000, u'(');
    nested += u"1";
    nested.append(50000, u')');
    EXPECT_EQ(evaluator.GetValue(nested, value), 0);
    EXPECT_EQ(value, 1);
    std::u16string sum = u"0";
    for (int i = 0; i < 50000; ++i) sum += u"+1";
    EXPECT_EQ(evaluator.GetValue(sum, value), 0);
    EXPECT_EQ(value, 50000);
    // A bracket value of 300 digits carried through many levels.
    std::u16string big(200, u'(');
    big += u"1e300";
    big.append(200, u')');
    EXPECT_EQ(evaluator.GetValue(big + u"*2", value), 0);
    EXPECT_DOUBLE_EQ(value, 2e300);
}

TEST(GetValFromString, RoundToSixDecimals_RoundsAsTheTextDoes)
{
    const struct {
        double m_dIn;
        double m_dOut;
    } cases[] = {
        {1.0 / 3, 0.333333}, {2.0 / 3, 0.666667}, {-2.0 / 3, -0.666667}, {1e20, 1e20}, {123456.0000004, 123456.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_dIn);
        EXPECT_DOUBLE_EQ(RoundToSixDecimals(c.m_dIn), c.m_dOut);
    }
}

}  // namespace
}  // namespace kq
