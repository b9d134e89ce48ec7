#include "formula/engine/TERNBaseStringAnalyse.h"

#include <gtest/gtest.h>

#include <string>

#include "formula/engine/AllocationProbe.h"
#include "formula/engine/EngineTestSupport.h"
#include "formula/engine/FormulaParser.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using test::CEvalResult;
using test::EvalFormula;

struct CaseRow {
    const char* formula;
    int code;
    const char* output;  // on success
    int type;            // on success
    const char* error;   // on failure (nullptr: not checked)
};

void CheckRows(const CaseRow* begin, const CaseRow* end)
{
    for (const CaseRow* row = begin; row != end; ++row) {
        SCOPED_TRACE(row->formula);
        CEvalResult r = EvalFormula(row->formula);
        EXPECT_EQ(r.m_nCode, row->code) << r.m_strError;
        if (row->code == kAnalyseOk) {
            EXPECT_EQ(r.m_strOutput, row->output);
            EXPECT_EQ(r.m_nType, row->type);
        } else {
            if (row->error) {
                EXPECT_EQ(r.m_strError, row->error);
            }
            EXPECT_EQ(r.m_strOutput, "");  // a fresh engine has no output yet
        }
    }
}

TEST(FormulaEngine, OperatorsPrecedenceAndOutputForms)
{
    const CaseRow rows[] = {
        {"=1+2*3", kAnalyseOk, "7", 3, nullptr},
        {"(1+2)*3", kAnalyseOk, "9", 3, nullptr},
        {"2^3*2", kAnalyseOk, "16", 3, nullptr},
        {"8-3-2", kAnalyseOk, "3", 3, nullptr},
        {"7/2", kAnalyseOk, "3.5", 3, nullptr},
        {"2*3", kAnalyseOk, "6", 3, nullptr},
        {"\"1\"+\"2\"", kAnalyseOk, "3", 3, nullptr},
        {"\"1\"&\"2\"", kAnalyseOk, "\"12\"", 1, nullptr},
        {"0/5", kAnalyseOk, "0", 3, nullptr},
        {"2^0.5", kAnalyseOk, "1.4142136", 3, nullptr},
        {"2*(-3)", kAnalyseOk, "-6", 3, nullptr},
        {"-5+2", kAnalyseOk, "-3", 3, nullptr},
        {"+5", kAnalyseOk, "5", 2, nullptr},
        {"1!2", kAnalyseOk, "TRUE", 4, nullptr},
        {"1=1.0", kAnalyseOk, "TRUE", 4, nullptr},
        {"\"a\"=\"b\"", kAnalyseOk, "TRUE", 4, nullptr},
        {"\"abc\"=\"\"", kAnalyseOk, "TRUE", 4, nullptr},
        {"3<2", kAnalyseOk, "FALSE", 4, nullptr},
        {"1<2&\"x\"", kAnalyseOk, "TRUE", 4, nullptr},  // & binds tighter than <: 1 < "2x"
        {"(1<2)&\"x\"", kAnalyseOk, "\"1x\"", 1, nullptr},
        {"\"a b\" & \"c\"", kAnalyseOk, "\"a bc\"", 1, nullptr},
        {"\"say \"\"hi\"\"\"", kAnalyseOk, "\"say \"\"hi\"\"\"", 1, nullptr},
        {"TRUE", kAnalyseOk, "TRUE", 4, nullptr},
        {"True", kAnalyseOk, "TRUE", 4, nullptr},
        {"fAlSe", kAnalyseOk, "FALSE", 4, nullptr},
        {"true()", kAnalyseOk, "TRUE", 4, nullptr},
        {"007", kAnalyseOk, "7", 2, nullptr},
        {"1.5", kAnalyseOk, "1.5", 3, nullptr},
        {".", kAnalyseOk, "0", 3, nullptr},
        {"2(3)", kAnalyseOk, "23", 2, nullptr},
        {"((((1))))", kAnalyseOk, "1", 2, nullptr},
        {"if(1,\"a\",1/0)", kAnalyseOk, "\"a\"", 1, nullptr},
        {"if(0,1/0,2)", kAnalyseOk, "2", 2, nullptr},
        {"and(0,1/0)", kAnalyseOk, "FALSE", 4, nullptr},
        {"or(1,foo())", kAnalyseOk, "TRUE", 4, nullptr},
        {"and(1,2,\"1\")", kAnalyseOk, "TRUE", 4, nullptr},
        {"or(0,\"abc\")", kAnalyseOk, "FALSE", 4, nullptr},
        {"\"Part \"&3&\" of \"&10", kAnalyseOk, "\"Part 3 of 10\"", 1, nullptr},
    };
    CheckRows(std::begin(rows), std::end(rows));
}

TEST(FormulaEngine, EveryResultCodeWithItsMessage)
{
    const CaseRow rows[] = {
        {"", kAnalyseEmptyInput, nullptr, 0, "用户输入的表达式为空"},
        {"=", kAnalyseEmptyInput, nullptr, 0, "用户输入的表达式为空"},
        {"foo(1)", kAnalyseUnknownFunction, nullptr, 0, "函数foo不存在"},
        {"FOO(1)", kAnalyseUnknownFunction, nullptr, 0, "函数foo不存在"},
        {"SFV1(2)", kAnalyseUnknownFunction, nullptr, 0, "函数sfv1不存在"},
        {"pi(1)", kAnalyseArgumentCount, nullptr, 0, "函数pi的形参个数应该为0个,当前指定的个数是1"},
        {"if(1,2)", kAnalyseArgumentCount, nullptr, 0, "函数if的形参个数应该为3个,当前指定的个数是2"},
        {"and()", kAnalyseArgumentCount, nullptr, 0, "函数and的形参个数至少1个,当前指定的个数是0个"},
        {"OR()", kAnalyseArgumentCount, nullptr, 0, "函数or的形参个数至少1个,当前指定的个数是0个"},
        {"left(\"abc\",)", kAnalyseBadArgument, nullptr, 0, "函数left参数错误"},
        {"Left(,2)", kAnalyseBadArgument, nullptr, 0, "函数Left参数错误"},
        {"1+2)", kAnalyseBracket, nullptr, 0, "括号不匹配"},
        {")", kAnalyseBracket, nullptr, 0, "括号不匹配"},
        {"left(\"abc\",,2)", kAnalyseBadToken, nullptr, 0, "常量或变量为空错误"},
        {"1.2.3", kAnalyseBadToken, nullptr, 0, "变量或常量1.2.3错误"},
        {"2a(3)", kAnalyseBadToken, nullptr, 0, "变量或常量2a3错误"},
        {"abc", kAnalyseBadToken, nullptr, 0, "变量或常量abc错误"},
        {"a+1", kAnalyseBadToken, nullptr, 0, "变量或常量a错误"},
        {"1\t2", kAnalyseBadToken, nullptr, 0, "变量或常量1\t2错误"},
        {"1\t+2", kAnalyseBadNumber, nullptr, 0, "常量错误"},
        {"\"abc", kAnalyseQuote, nullptr, 0, "引号不匹配"},
        {"\"a\"\"", kAnalyseQuote, nullptr, 0, "引号不匹配"},
        {"1/0", kAnalyseOperand, nullptr, 0, "除数为0错误"},
        {"1/(1-1)", kAnalyseOperand, nullptr, 0, "除数为0错误"},
        {"1+", kAnalyseOperand, nullptr, 0, "运算符号后面没有参数"},
        {"*1", kAnalyseOperand, nullptr, 0, "运算符号前面没有参数"},
        {"1<=2", kAnalyseOperand, nullptr, 0, "出现连续运算符号或运算符号后面没有参数"},
        {"1<>2", kAnalyseOperand, nullptr, 0, "出现连续运算符号或运算符号后面没有参数"},
        {"2*-3", kAnalyseOperand, nullptr, 0, "出现连续运算符号或运算符号后面没有参数"},
        {"1&a\"b\"", kAnalyseOperand, nullptr, 0, "运算符号后面参数中出现意外引号"},
        {"\"a\"b&1", kAnalyseOperand, nullptr, 0, "运算符号前面参数中出现意外引号"},
        {"2^3^2", kAnalyseBadNumber, nullptr, 0, "常量错误"},
        {"1!2^3", kAnalyseBadNumber, nullptr, 0, "常量错误"},
        {"(1+2", kAnalyseBadNumber, nullptr, 0, "常量错误"},
        {"1.2.3+1", kAnalyseBadNumber, nullptr, 0, "常量错误"},
        {"1e5+1", kAnalyseBadNumber, nullptr, 0, "常量错误"},
        {"()", kAnalyseNothing, nullptr, 0, ""},
        {"+", kAnalyseNothing, nullptr, 0, ""},
    };
    CheckRows(std::begin(rows), std::end(rows));
}

TEST(FormulaEngine, RewritingQuirksOfOddInput)
{
    // The text is rewritten piece by piece, so a reduced piece joins what
    // stands next to it; these pin the results of that.
    const CaseRow rows[] = {
        {"SFV1", kAnalyseBadToken, nullptr, 0, "变量或常量SFV1错误"},
        {"x(1)(2)", kAnalyseUnknownFunction, nullptr, 0, "函数sfv1不存在"},          // x(1) became SFV1, then SFV1(2) is a call
        {"(a)(2)", kAnalyseUnknownFunction, nullptr, 0, "函数a不存在"},
        {"abs(1)abs(2)", kAnalyseUnknownFunction, nullptr, 0, "函数sfv1abs不存在"},
        {"\"a\"(\"b\")", kAnalyseOk, "\"a\"\"b\"", 1, nullptr},      // two literals become one with a doubled quote
        {"\"a\"()\"b\"", kAnalyseOk, "\"a\"\"b\"", 1, nullptr},
        {"\"\"\"\"", kAnalyseOk, "\"\"\"\"", 1, nullptr},
        {"\"\"\"", kAnalyseQuote, nullptr, 0, "引号不匹配"},
        {"1+\"a\"b", kAnalyseBadToken, nullptr, 0, "变量或常量SFV3b错误"},
        {"((((1", kAnalyseBadToken, nullptr, 0, "变量或常量((((1错误"},
        {"f(,)", kAnalyseBadArgument, nullptr, 0, "函数f参数错误"},
        {",,,", kAnalyseBadToken, nullptr, 0, "变量或常量,,,错误"},
        {"-", kAnalyseOperand, nullptr, 0, "运算符号后面没有参数"},
        {"--1", kAnalyseOperand, nullptr, 0, "出现连续运算符号或运算符号后面没有参数"},
        {"\"a\"&", kAnalyseOperand, nullptr, 0, "运算符号后面没有参数"},
        {"&\"a\"", kAnalyseOperand, nullptr, 0, "运算符号前面没有参数"},
        {".+.", kAnalyseOk, "0", 3, nullptr},
        {"1.+.5", kAnalyseOk, "1.5", 3, nullptr},
        {"true&false", kAnalyseOk, "\"10\"", 1, nullptr},
        {"len(1/3)", kAnalyseOk, "9", 2, nullptr},
        {"if(1,2,3,4)", kAnalyseArgumentCount, nullptr, 0, "函数if的形参个数应该为3个,当前指定的个数是4"},
        {"1+2+", kAnalyseOperand, nullptr, 0, "运算符号后面没有参数"},
        {"99999999999", kAnalyseOk, "2147483647", 2, nullptr},  // the integer reader saturates
    };
    CheckRows(std::begin(rows), std::end(rows));
}

TEST(FormulaEngine, StringMarkFindsQuotedStringsWithEscapedQuotes)
{
    const struct {
        const char16_t* text;
        int from;
        int to;
        int code;
        int start;
        int end;
    } rows[] = {
        {u"ab", kAnalyseOk, -1, 0, -1, -1},
        {u"a\"b\"c", kAnalyseOk, -1, 0, 1, 3},
        {u"a\"b\"c", kAnalyseUnknownFunction, -1, 7, 3, -1},        // from inside: the closing quote opens
        {u"\"x\"\"y\"", -5, 99, 0, 0, 5},     // doubled quote is escaped
        {u"\"x\"\"y\"", kAnalyseOk, 3, 0, 0, 2},      // last quote of the range closes
        {u"\"\"", kAnalyseOk, -1, 0, 0, 1},
        {u"\"abc", kAnalyseOk, -1, 7, 0, -1},
        {u"x\"y\"", kAnalyseArgumentCount, -1, 7, 3, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.text) + " from " + std::to_string(row.from));
        int start = 0;
        int end = 0;
        EXPECT_EQ(GetStringMark(start, end, row.text, row.from, row.to), row.code);
        EXPECT_EQ(start, row.start);
        if (row.code == kAnalyseOk) {
            EXPECT_EQ(end, row.end);
        }
    }
}

// Operator nodes only come from the parser, so an unknown operator needs a
// hand-made node.
class CExposedEngine : public CTERNBaseStringAnalyse {
public:
    using CTERNBaseStringAnalyse::DoOperate;
    using CTERNBaseStringAnalyse::m_aValueList;
};

TEST(FormulaEngine, UnknownOperatorFailsWithCode10AndKeepsTheNodeEmpty)
{
    CExposedEngine engine;
    engine.m_aValueList.resize(2);
    engine.m_aValueList[0].m_nType = OVT_INT;
    engine.m_aValueList[1].m_nType = OVT_INT;
    CTERNOperateVar node;
    node.m_strOperate = u"%";
    node.AddParamIndex(0);
    node.AddParamIndex(1);
    EXPECT_EQ(engine.DoOperate(node), 10);
    EXPECT_EQ(engine.GetAnalyseErrorInfo(), u"不存在的运算符号");
    EXPECT_EQ(node.m_nType, OVT_NONE);
}

TEST(FormulaEngine, OutputAndMessageSurviveLaterEvaluations)
{
    CTERNBaseStringAnalyse engine;
    engine.SetInputString(u"1+1");
    ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk);
    engine.SetInputString(u"1/0");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseOperand);
    EXPECT_EQ(engine.GetOutputString(), u"2");  // kept after a failure
    EXPECT_EQ(engine.GetOutputType(), OVT_DOUBLE);
    engine.SetInputString(u"\"x\"");
    ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk);
    EXPECT_EQ(engine.GetAnalyseErrorInfo(), u"除数为0错误");  // success does not clear it
    engine.SetInputString(u"()");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseNothing);
    EXPECT_EQ(engine.GetAnalyseErrorInfo(), u"除数为0错误");

    engine.SetShowErrorInfo(1);
    engine.SetErrorTitle(u"标题");
    engine.InitParam(0);
    EXPECT_TRUE(engine.InputStringIsEmpty());
    EXPECT_EQ(engine.GetAnalyseErrorInfo(), u"");
    EXPECT_EQ(engine.GetShowErrorInfo(), 0);
    EXPECT_EQ(engine.GetErrorTitle(), u"远舟基本类库");
    EXPECT_EQ(engine.GetOutputString(), u"\"x\"");
}

TEST(FormulaEngine, PresetVariablesAreBareIdentifiersAndClearedOnlyOnRequest)
{
    CTERNBaseStringAnalyse engine;
    CTERNOperateVar i;
    i.m_strName = u"i";
    i.m_nType = OVT_INT;
    i.m_nValue = 4;
    engine.m_aPresetVarList.push_back(i);
    const struct {
        const char16_t* formula;
        int value;
        const char16_t* output;
    } rows[] = {
        {u"i*2+1", kAnalyseBadArgument, u"9"}, {u"i*2+1", kAnalyseBracket, u"11"}, {u"i", kAnalyseBadToken, u"6"}, {u"(i)", kAnalyseQuote, u"7"},
        {u"()", kAnalyseOperand, u"8"},  // nothing left: the root is the last preset
        {u"if(i>5,\"big\",i)", kAnalyseBadNumber, u"\"big\""}, {u"if(i>5,\"big\",i)", kAnalyseUnknownFunction, u"2"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(ToUtf8(row.formula));
        engine.m_aPresetVarList[0].m_nValue = row.value;
        engine.SetInputString(row.formula);
        ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk) << ToUtf8(engine.GetAnalyseErrorInfo());
        EXPECT_EQ(engine.GetOutputString(), row.output);
    }
    engine.SetInputString(u"I");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseBadToken);  // names are case-sensitive

    engine.InitParam(0);
    engine.SetInputString(u"i");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseOk);
    engine.InitParam(1);
    engine.SetInputString(u"i");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseBadToken);
    EXPECT_EQ(engine.GetAnalyseErrorInfo(), u"变量或常量i错误");
}

TEST(FormulaEngine, ReusedEngineGivesTheSameResultsAsFreshOnes)
{
    // The parsed nodes are kept between evaluations; switching formulas and
    // presets back and forth must not leak values from one run to the next.
    const char16_t* formulas[] = {
        u"if(x>2,\"big\"&x,x*10)", u"x&\"-\"&x", u"and(x>1,x<4)", u"1/(x-3)", u"left(\"abcdef\",x)",
        u"if(x>2,\"big\"&x,x*10)",
    };
    CTERNBaseStringAnalyse reused;
    CTERNOperateVar x;
    x.m_strName = u"x";
    x.m_nType = OVT_INT;
    reused.m_aPresetVarList.push_back(x);
    for (int value = 0; value < 6; ++value) {
        for (const char16_t* formula : formulas) {
            SCOPED_TRACE(ToUtf8(formula) + " x=" + std::to_string(value));
            CTERNBaseStringAnalyse fresh;
            fresh.m_aPresetVarList.push_back(x);
            fresh.m_aPresetVarList[0].m_nValue = value;
            fresh.SetInputString(formula);
            reused.m_aPresetVarList[0].m_nValue = value;
            reused.SetInputString(formula);
            const int code = fresh.DoAnalyse();
            ASSERT_EQ(reused.DoAnalyse(), code);
            if (code == 0)
                EXPECT_EQ(reused.GetOutputString(), fresh.GetOutputString());
            else
                EXPECT_EQ(reused.GetAnalyseErrorInfo(), fresh.GetAnalyseErrorInfo());
        }
    }
    // A preset renamed under the same text means a new parse.
    reused.m_aPresetVarList[0].m_strName = u"y";
    reused.SetInputString(u"x&\"-\"&x");
    EXPECT_EQ(reused.DoAnalyse(), kAnalyseBadToken);
}

TEST(FormulaEngine, ErrorsAreShownThroughThePromptOnlyWhenDisplayIsOn)
{
    test::CScriptedPrompt prompt;
    CTERNBaseStringAnalyse engine;
    engine.SetInputString(u"1/0");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseOperand);
    EXPECT_TRUE(prompt.Shown().empty());

    engine.SetShowErrorInfo(1);
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseOperand);
    engine.SetInputString(u"(1+2");  // a parse failure, replayed from the kept parse
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseBadNumber);
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseBadNumber);
    ASSERT_EQ(prompt.Shown().size(), 3u);
    EXPECT_EQ(prompt.Shown()[0].m_strKind, u"inform");
    EXPECT_EQ(prompt.Shown()[0].m_strText, u"除数为0错误");
    EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"远舟基本类库");
    EXPECT_EQ(prompt.Shown()[2].m_strText, u"常量错误");

    engine.SetShowErrorInfo(0);
    engine.SetErrorTitle(u"公式");
    engine.ShowLastError();
    ASSERT_EQ(prompt.Shown().size(), 4u);
    EXPECT_EQ(prompt.Shown()[3].m_strTitle, u"公式");
}

TEST(FormulaEngine, DepthDoesNotDependOnTheCallStack)
{
    std::string chained = "1";
    for (int i = 0; i < 200000; ++i) chained += "+1";
    std::string nested(10000, '(');
    nested += "2";
    nested += std::string(10000, ')');
    std::string calls;
    for (int i = 0; i < 10000; ++i) calls += "abs(";
    calls += "-3";
    calls += std::string(10000, ')');
    std::string ifs;
    for (int i = 0; i < 20000; ++i) ifs += "if(1,";
    ifs += "\"deep\"";
    for (int i = 0; i < 20000; ++i) ifs += ",0)";
    const struct {
        const char* name;
        std::string formula;
        const char* output;
    } rows[] = {
        {"200000 chained operators", chained, "200001"},
        {"10000 nested brackets", nested, "2"},
        {"10000 nested calls", calls, "3"},
        {"20000 nested ifs", ifs, "\"deep\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        CEvalResult r = EvalFormula(row.formula);
        EXPECT_EQ(r.m_nCode, kAnalyseOk) << r.m_strError;
        EXPECT_EQ(r.m_strOutput, row.output);
    }
}

TEST(FormulaEngine, NodesNamedTwiceAreEvaluatedOnce)
{
    // Typed node names let every node use the previous one twice: SFV4 is
    // SFV3+SFV3 and so on. Evaluation must stay linear, not double per term.
    std::string formula = "len(\"ab\")+SFV1";
    for (int i = 3; i <= 62; ++i) formula += "+SFV" + std::to_string(i);
    CEvalResult r = EvalFormula(formula);
    EXPECT_EQ(r.m_nCode, kAnalyseOk) << r.m_strError;
    EXPECT_EQ(r.m_strOutput, "4611686018427387904");  // 2 * 2^61
}

TEST(FormulaEngine, ConcatenationThatWouldExhaustMemoryIsRefused)
{
    std::string formula = "len(\"ab\")&SFV1";
    for (int i = 3; i <= 62; ++i) formula += "&SFV" + std::to_string(i);
    CEvalResult r = EvalFormula(formula);
    EXPECT_EQ(r.m_nCode, kAnalyseTextTooLong);
    EXPECT_EQ(r.m_strError, "运算结果的长度不能超过16777216个字符");
}

// Terms of `len(...)` joined by "&", each a text of `units` code units.
std::string LongTextChain(int terms, int units)
{
    std::string formula;
    for (int i = 0; i < terms; ++i) formula += (i ? "&rept(\"a\"," : "rept(\"a\",") + std::to_string(units) + ")";
    return "len(" + formula + ")";
}

TEST(FormulaEngine, EvaluationKeepsOnlyTheValuesStillToBeRead)
{
    // 64 texts of 32,767 units make 4 MB; keeping every partial text of the
    // chain would hold 130 MB, every intermediate of the substitutions 80 MB.
    std::string substitutions = LongTextChain(32, 32000);
    substitutions = substitutions.substr(4, substitutions.size() - 5);  // without len( )
    for (int i = 0; i < 40; ++i) substitutions = "substitute(" + substitutions + ",\"a\",\"b\")";
    const struct {
        std::string formula;
        const char* output;
        size_t finalBytes;
    } rows[] = {
        {LongTextChain(64, 32767), "2097088", 2097088 * 2},
        {"len(" + substitutions + ")", "1024000", 1024000 * 2},
    };
    for (const auto& row : rows) {
        CFileNameStringAnalyse engine;
        engine.SetInputString(FromUtf8(row.formula));
        test::CAllocationProbe probe;
        CEvalResult r = test::Collect(engine);
        EXPECT_EQ(r.m_nCode, kAnalyseOk) << r.m_strError;
        EXPECT_EQ(r.m_strOutput, row.output);
        EXPECT_LT(probe.PeakBytes(), 6 * row.finalBytes + (1u << 20));
    }
}

TEST(FormulaEngine, RunningOutOfMemoryIsAResultCode)
{
    CFileNameStringAnalyse engine;
    engine.SetInputString(FromUtf8(LongTextChain(64, 32767)));
    {
        test::CAllocationProbe probe(1u << 20);  // no block above 1 MB
        CEvalResult r = test::Collect(engine);
        EXPECT_EQ(r.m_nCode, kAnalyseOutOfMemory);
        EXPECT_EQ(r.m_strError, "内存不足，无法计算公式");
        EXPECT_EQ(r.m_strOutput, "");
        // Also through a nested evaluation.
        CFileNameStringAnalyse nested;
        nested.SetInputString(u"strcal(\"" + FromUtf8(LongTextChain(64, 32767)) + u"\")");
        EXPECT_EQ(nested.DoAnalyse(), kAnalyseOutOfMemory);
    }
    // The engine stays usable.
    engine.SetInputString(u"len(rept(\"ab\",3))");
    CEvalResult r = test::Collect(engine);
    EXPECT_EQ(r.m_nCode, kAnalyseOk) << r.m_strError;
    EXPECT_EQ(r.m_strOutput, "6");
}

TEST(FormulaEngine, ALimitHitOnceEndsLaterRowsAtOnce)
{
    CFileNameStringAnalyse engine;
    engine.SetInputString(FromUtf8(LongTextChain(520, 32767)));  // 17 M units
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseTextTooLong);
    engine.m_nIndex = 2;
    {
        test::CAllocationProbe probe;
        EXPECT_EQ(engine.DoAnalyse(), kAnalyseTextTooLong);
        EXPECT_LT(probe.PeakBytes(), 4096u);  // nothing evaluated again
    }
    EXPECT_EQ(engine.GetAnalyseErrorInfo(), u"运算结果的长度不能超过16777216个字符");
    engine.SetInputString(u"index()");
    EXPECT_EQ(engine.DoAnalyse(), kAnalyseOk);
    EXPECT_EQ(engine.GetOutputString(), u"2");
}

}  // namespace
}  // namespace kq
