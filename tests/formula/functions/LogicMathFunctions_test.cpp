#include <gtest/gtest.h>

#include <set>
#include <thread>
#include <string>

#include "formula/engine/EngineTestSupport.h"
#include "formula/functions/FunctionTable.h"

namespace kq {
namespace {

using test::CEvalResult;
using test::EvalFormula;

struct Row {
    const char* formula;
    int code;
    const char* result;  // output on success, message on failure
    int type;
};

void CheckRows(std::initializer_list<Row> rows)
{
    for (const Row& row : rows) {
        SCOPED_TRACE(row.formula);
        CEvalResult r = EvalFormula(row.formula);
        ASSERT_EQ(r.m_nCode, row.code) << r.m_strError;
        if (row.code == kAnalyseOk) {
            EXPECT_EQ(r.m_strOutput, row.result);
            EXPECT_EQ(r.m_nType, row.type);
        } else {
            EXPECT_EQ(r.m_strError, row.result);
        }
    }
}

TEST(LogicFunctions, ResultsAndKinds)
{
    CheckRows({
        {"if(1,\"a\",2)", kAnalyseOk, "\"a\"", 1},
        {"if(0,\"a\",2)", kAnalyseOk, "2", 2},
        {"if(\"TRUE\",1,2.5)", kAnalyseOk, "2.5", 3},  // text reads through the integer reading
        {"if(0.5,1,2)", kAnalyseOk, "2", 2},
        {"if(1<2,true(),0)", kAnalyseOk, "TRUE", 4},
        {"If(1,2)", kAnalyseArgumentCount, "函数if的形参个数应该为3个,当前指定的个数是2", 0},
        {"true()", kAnalyseOk, "TRUE", 4},
        {"FALSE()", kAnalyseOk, "FALSE", 4},
        {"true(1)", kAnalyseArgumentCount, "函数true的形参个数应该为0个,当前指定的个数是1", 0},
        {"not(0)", kAnalyseOk, "TRUE", 4},
        {"not(\"7\")", kAnalyseOk, "FALSE", 4},
        {"not()", kAnalyseArgumentCount, "函数not的形参个数应该为1个,当前指定的个数是0", 0},
        {"and(1,0,1)", kAnalyseOk, "FALSE", 4},
        {"and(1,2,3)", kAnalyseOk, "TRUE", 4},
        {"or(0,0,1)", kAnalyseOk, "TRUE", 4},
        {"or(0,0)", kAnalyseOk, "FALSE", 4},
        {"or()", kAnalyseArgumentCount, "函数or的形参个数至少1个,当前指定的个数是0个", 0},
    });
}

TEST(MathFunctions, ResultsAndKinds)
{
    CheckRows({
        {"PI()", kAnalyseOk, "3.1415926", 3},
        {"Pi()", kAnalyseOk, "3.1415926", 3},
        {"pi(1)", kAnalyseArgumentCount, "函数pi的形参个数应该为0个,当前指定的个数是1", 0},
        {"radians(180)", kAnalyseOk, "3.1415926", 3},
        {"degrees(pi())", kAnalyseOk, "180", 3},
        {"sin(30)", kAnalyseOk, "0.5", 3},
        {"sin(30)*100000*100000", kAnalyseOk, "4999999922.6497955", 3},
        {"cos(90)", kAnalyseOk, "0", 3},
        {"cos(90)*10000*10000", kAnalyseOk, "2.6794897", 3},
        {"tan(45)", kAnalyseOk, "1", 3},
        {"tan(45)*100000*100000", kAnalyseOk, "9999999732.0510368", 3},
        {"tan(89.999)>50000", kAnalyseOk, "TRUE", 4},
        {"tan(90)", kAnalyseBadArgument, "tan函数的参数不能为κπ＋π/2", 0},
        {"tan(270)", kAnalyseBadArgument, "tan函数的参数不能为κπ＋π/2", 0},
        {"tan(-90)", kAnalyseBadArgument, "tan函数的参数不能为κπ＋π/2", 0},
        {"tan(180)", kAnalyseOk, "-0.0000001", 3},  // the approximate pi shows
        {"asin(1)", kAnalyseOk, "90.0000015", 3},
        {"asin(-1)", kAnalyseOk, "-90.0000015", 3},
        {"asin(1.0001)", kAnalyseBadArgument, "asin函数的参数必须位于区间[-1,1]", 0},
        {"acos(1)", kAnalyseOk, "0", 3},
        {"acos(-1.5)", kAnalyseBadArgument, "acos函数的参数必须位于区间[-1,1]", 0},
        {"atan(1)", kAnalyseOk, "45.0000008", 3},
        {"abs(0-2.5)", kAnalyseOk, "2.5", 3},
        {"sqrt(0)", kAnalyseOk, "0", 3},
        {"sqrt(16)", kAnalyseOk, "4", 3},
        {"sqrt(0-1)", kAnalyseBadArgument, "sqrt函数的参数必须大于或等于0", 0},
        {"pow2(3)", kAnalyseOk, "9", 3},
        {"pow3(0-2)", kAnalyseOk, "-8", 3},
        {"pow(2,10)", kAnalyseOk, "1024", 3},
        {"pow(2)", kAnalyseArgumentCount, "函数pow的形参个数应该为2个,当前指定的个数是1", 0},
        {"area(2)", kAnalyseOk, "12.5663704", 3},
        {"floor(-3.7)", kAnalyseOk, "-4", 3},
        {"ceil(3.2)", kAnalyseOk, "4", 3},
        {"ceil(-3.7)", kAnalyseOk, "-3", 3},
        {"int(-3.7)", kAnalyseOk, "-3", 3},
        {"int(3000000000)", kAnalyseOk, "2147483647", 3},  // the literal saturates
        {"int(300000*10000)", kAnalyseOk, "-2147483648", 3},
        {"int(pow(0-8,1/3))", kAnalyseOk, "-2147483648", 3},  // NaN
        {"round(pow(0-8,1/3),2)", kAnalyseOk, "-21474836.48", 3},
        {"int(\"abc\")", kAnalyseOk, "0", 3},
        {"exp(0)", kAnalyseOk, "1", 3},
        {"log(1)", kAnalyseOk, "0", 3},
        {"log(0)", kAnalyseBadArgument, "log函数的参数必须大于0", 0},
        {"log10(1000)", kAnalyseOk, "3", 3},
        {"log10(-1)", kAnalyseBadArgument, "log10函数的参数必须大于0", 0},
        {"fact(0)", kAnalyseOk, "1", 2},
        {"fact(-5)", kAnalyseOk, "1", 2},
        {"fact(5)", kAnalyseOk, "120", 2},
        {"fact(13)", kAnalyseOk, "1932053504", 2},
        {"fact(33)", kAnalyseOk, "-2147483648", 2},
        {"fact(34)", kAnalyseOk, "0", 2},
        {"fact(2147483647)", kAnalyseOk, "0", 2},
        {"mod(7,0)", kAnalyseBadArgument, "mod函数除数不得为0", 0},
        {"mod(-7,3)", kAnalyseOk, "-1", 2},
        {"mod(7,-3)", kAnalyseOk, "1", 2},
        {"mod(7.9,2)", kAnalyseOk, "1", 2},
        {"mod(-2147483648,-1)", kAnalyseOk, "0", 2},
        {"round(3.76,1)", kAnalyseOk, "3.8", 3},
        {"round(2.5,0)", kAnalyseOk, "3", 3},
        {"round(-3.76,1)", kAnalyseOk, "-3.7", 3},
        {"round(1,-1)", kAnalyseBadArgument, "round函数小数位数不能为负数", 0},
        {"round(1e9,2)", kAnalyseBadToken, "变量或常量1e9错误", 0},
        {"round(300000*10000,0)", kAnalyseOk, "-2147483648", 3},
        {"trunc(3.789,2)", kAnalyseOk, "3.78", 3},
        {"trunc(-3.789,2)", kAnalyseOk, "-3.78", 3},
        {"trunc(1,-2)", kAnalyseBadArgument, "trunc函数小数位数不能为负数", 0},
        {"trunc(5,400)", kAnalyseOk, "-0", 3},  // 10^400 is infinite: INT_MIN / inf
        {"sign(0)", kAnalyseOk, "0", 2},
        {"sign(0-0.1)", kAnalyseOk, "-1", 2},
        {"sign(\"5\")", kAnalyseOk, "1", 2},
        {"max()", kAnalyseArgumentCount, "函数max的形参个数至少1个,当前指定的个数是0个", 0},
        {"max(5)", kAnalyseOk, "5", 3},
        {"max(1,\"7\",3)", kAnalyseOk, "7", 3},
        {"min(4,2,8)", kAnalyseOk, "2", 3},
        {"min()", kAnalyseArgumentCount, "函数min的形参个数至少1个,当前指定的个数是0个", 0},
        {"average(1,2)", kAnalyseOk, "1.5", 3},
        {"average()", kAnalyseArgumentCount, "函数average的形参个数至少1个,当前指定的个数是0个", 0},
        {"foo(1)", kAnalyseUnknownFunction, "函数foo不存在", 0},
    });
}

TEST(MathFunctions, RandRepeatsTheSameSequenceWithinZeroAndOne)
{
    CFileNameStringAnalyse engine;
    engine.SetInputString(u"rand()");
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk);
        double value = std::stod(ToUtf8(engine.GetOutputString()));
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 1.0);
    }
    // Not seeded: a new thread starts the same sequence again.
    std::u16string first;
    std::thread([&] {
        CTERNBaseStringAnalyse e;
        e.SetInputString(u"rand()&\",\"&rand()");
        e.DoAnalyse();
        first = e.GetOutputString();
    }).join();
    std::u16string second;
    std::thread([&] {
        CTERNBaseStringAnalyse e;
        e.SetInputString(u"rand()&\",\"&rand()");
        e.DoAnalyse();
        second = e.GetOutputString();
    }).join();
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, u"\"0.0012513,0.5635853\"");
}

TEST(FunctionTable, LogicMathEntriesAreCompleteAndTheirExamplesHold)
{
    const char16_t* names[] = {u"if", u"true", u"false", u"not", u"and", u"or", u"pi", u"radians", u"degrees",
                               u"sin", u"cos", u"tan", u"asin", u"acos", u"atan", u"abs", u"sqrt", u"pow2",
                               u"pow3", u"pow", u"area", u"floor", u"ceil", u"int", u"exp", u"log", u"log10",
                               u"fact", u"mod", u"rand", u"round", u"trunc", u"sign", u"max", u"min", u"average"};
    auto family = LogicMathFunctions();
    ASSERT_EQ(family.size(), std::size(names));
    for (size_t i = 0; i < family.size(); ++i) {
        const CFunctionInfo& info = family[i];
        SCOPED_TRACE(ToUtf8(info.m_strName));
        EXPECT_EQ(info.m_strName, names[i]);
        EXPECT_EQ(FindFunction(info.m_strName), &FunctionTable()[i]);
        EXPECT_FALSE(info.m_strDescription.empty());
        // "formula → result": evaluating the formula gives the result (rand's
        // depends on how far the sequence has gone).
        if (info.m_strName == u"rand") continue;
        std::u16string example(info.m_strExample);
        size_t arrow = example.find(u" → ");
        ASSERT_NE(arrow, std::u16string::npos);
        CTERNBaseStringAnalyse engine;
        engine.SetInputString(example.substr(0, arrow));
        ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk) << ToUtf8(engine.GetAnalyseErrorInfo());
        EXPECT_EQ(engine.GetOutputString(), example.substr(arrow + 3));
    }
}

TEST(FunctionTable, EveryNameIsUniqueLowerCaseAndFound)
{
    std::set<std::u16string_view> seen;
    for (const CFunctionInfo& info : FunctionTable()) {
        SCOPED_TRACE(ToUtf8(info.m_strName));
        EXPECT_TRUE(seen.insert(info.m_strName).second);
        EXPECT_EQ(ToAsciiLower(info.m_strName), info.m_strName);
        EXPECT_EQ(FindFunction(info.m_strName), &info);
        EXPECT_NE(info.m_pfnFunction, nullptr);
    }
    EXPECT_EQ(FunctionTable().size(), 120u);
    EXPECT_EQ(FindFunction(u"LEFT"), nullptr);
    EXPECT_EQ(FindFunction(u"fname"), nullptr);
}

}  // namespace
}  // namespace kq
