#include <gtest/gtest.h>

#include "FormulaRows.h"

namespace kq {
namespace {

using test::CFormulaRow;
using test::CheckRows;

TEST(TextFunctions, MeasureAndReadNumbers)
{
    const CFormulaRow rows[] = {
        {u"len(\"\")", u"0"},
        {u"len(\"文件\")", u"2"},
        {u"len(123)", u"3"},
        {u"atoi(\" 12ab\")", u"12"},
        {u"atoi(\"abc\")", u"0"},
        {u"atoi(\"-7.9\")", u"-7"},
        {u"atof(\"2.5kg\")", u"2.5"},
        {u"atof(\"1e3\")", u"1000"},
        {u"atof(\"x\")", u"0"},
    };
    CheckRows(rows);
}

TEST(TextFunctions, LeftRightMidCutAndRefuse)
{
    const CFormulaRow rows[] = {
        {u"left(\"abc\",5)", u"\"abc\""},
        {u"left(\"abc\",0)", u"\"\""},
        {u"left(\"abc\",2147483647)", u"\"abc\""},
        {u"left(\"abc\",-1)", u"left函数第二个参数必须大于或等于0", kAnalyseBadArgument},
        {u"right(\"abcdef\",2)", u"\"ef\""},
        {u"right(\"abc\",9)", u"\"abc\""},
        {u"right(\"abc\",-1)", u"right函数的第二个参数必须大于或等于0", kAnalyseBadArgument},
        {u"mid(\"abcdef\",2,3)", u"\"bcd\""},
        {u"mid(\"abc\",3,5)", u"\"c\""},
        {u"mid(\"abc\",2,0)", u"\"\""},
        {u"mid(\"abc\",4,1)", u"mid函数的第二个参数必须小于或等于字符串长度", kAnalyseBadArgument},
        {u"mid(\"\",1,1)", u"mid函数的第二个参数必须小于或等于字符串长度", kAnalyseBadArgument},
        {u"mid(\"abc\",0,1)", u"mid函数的第二个参数必须大于0", kAnalyseBadArgument},
        {u"mid(\"abc\",0,-1)", u"mid函数的第二个参数必须大于0", kAnalyseBadArgument},  // the position is tested first
        {u"mid(\"abc\",1,-2147483648)", u"mid函数的第三个参数必须大于0", kAnalyseBadArgument},
        {u"mid2(\"abcdef\",2,4)", u"\"bcd\""},
        {u"mid2(\"abcdef\",3,3)", u"\"c\""},
        {u"mid2(\"abcdef\",4,2)", u"mid2函数的第三个参数必须大于第二个参数且小于或等于字符串长度", kAnalyseBadArgument},
        {u"mid2(\"abc\",1,4)", u"mid2函数的第三个参数必须大于第二个参数且小于或等于字符串长度", kAnalyseBadArgument},
        {u"mid2(\"abc\",0,1)", u"mid2函数的第二个参数必须大于0", kAnalyseBadArgument},
        {u"mid2(\"abc\",4,4)", u"mid2函数的第二个参数必须小于或等于字符串长度", kAnalyseBadArgument},
    };
    CheckRows(rows);
}

TEST(TextFunctions, Mid3TakesTheTextBetweenTwoMarks)
{
    const CFormulaRow rows[] = {
        {u"mid3(\"a[1]b[2]c\",\"[\",\"]\",1)", u"\"1\""},
        {u"mid3(\"a[1]b[2]c\",\"[\",\"]\",-1)", u"\"2\""},
        {u"mid3(\"a[1]b[2]c\",\"[\",\"]\",3)", u"\"2\""},
        {u"mid3(\"abc\",\"[\",\"]\",1)", u"\"\""},
        {u"mid3(\"a[1b\",\"[\",\"]\",1)", u"\"\""},
        {u"mid3(\"a[]b\",\"[\",\"]\",1)", u"\"\""},
        {u"mid3(\"a<<b\",\"<<\",\"<\",1)", u"\"\""},  // B found inside A's occurrence
        {u"mid3(\"x--y--z\",\"--\",\"--\",-1)", u"\"\""},
        {u"mid3(\"a[1]b\",\"[\",\"]\",0)", u"mid3函数的第4个参数必须大于0", kAnalyseBadArgument},
        {u"mid3(\"a[1]b\",\"[\",\"]\",-2)", u"mid3函数的第4个参数必须大于0", kAnalyseBadArgument},
        {u"mid3(\"ab\",\"[\",\"]\",3)", u"mid3函数的第4个参数必须小于或等于字符串长度", kAnalyseBadArgument},
    };
    CheckRows(rows);
}

TEST(TextFunctions, CompareAndSearch)
{
    const CFormulaRow rows[] = {
        {u"lequ(\"abc\",\"\")", u"TRUE"},
        {u"lequ(\"ab\",\"abc\")", u"FALSE"},
        {u"requ(\"abc\",\"bc\")", u"TRUE"},
        {u"requ(\"c\",\"bc\")", u"FALSE"},
        {u"exact(\"A\",\"a\")", u"FALSE"},
        {u"exact(\"文\",\"文\")", u"TRUE"},
        {u"exactl(\"abc\",\"ab\")", u"TRUE"},
        {u"exactr(\"abc\",\"ab\")", u"FALSE"},
        {u"find(\"abcabc\",\"b\",3)", u"5"},
        {u"find(\"abc\",\"z\",1)", u"0"},
        {u"find(\"abc\",\"b\",9)", u"0"},
        {u"find(\"abc\",\"\",2)", u"2"},
        {u"find(\"abc\",\"\",4)", u"0"},
        {u"find(\"abc\",\"b\",0)", u"find函数的第3个参数必须大于0", kAnalyseBadArgument},
        {u"findr(\"abcabc\",\"b\")", u"5"},
        {u"findr(\"aaa\",\"aa\")", u"2"},
        {u"findr(\"abc\",\"z\")", u"0"},
        {u"findr(\"\",\"\")", u"0"},
    };
    CheckRows(rows);
}

TEST(TextFunctions, FirstAndLastFindCharacterClasses)
{
    const CFormulaRow rows[] = {
        {u"first(\"ab12\",1)", u"3"},    {u"first(\"12a\",2)", u"3"},   {u"last(\"ab12\",3)", u"2"},
        {u"first(\"Ab_c\",4)", u"3"},    {u"first(\"文a\",3)", u"2"},    {u"last(\"a b.c\",5)", u"2"},
        {u"first(\" x\",6)", u"2"},      {u"first(\"a b.c\",7)", u"4"}, {u"last(\"x..\",8)", u"1"},
        {u"first(\"abc\",1)", u"-1"},    {u"last(\"\",1)", u"-1"},
        {u"first(\"abc\",9)", u"", kAnalyseBadArgument},   {u"last(\"abc\",0)", u"", kAnalyseBadArgument},   {u"first(\"\",9)", u"", kAnalyseBadArgument},
    };
    CheckRows(rows);
}

TEST(TextFunctions, CharactersAndCase)
{
    const CFormulaRow rows[] = {
        {u"char(65)", u"\"A\""},
        {u"char(20013)", u"\"中\""},
        {u"char(65536)", u"\"\""},
        {u"char(0)", u"char函数的第一个参数必须大于0", kAnalyseBadArgument},
        {u"upper(\"abc中\")", u"\"ABC中\""},
        {u"lower(\"ÀBC\")", u"\"Àbc\""},
        {u"proper(\"hello wORLD-2nd\")", u"\"Hello World-2Nd\""},
        {u"proper(\"\")", u"\"\""},
    };
    CheckRows(rows);
}

TEST(TextFunctions, TrimWhiteSpaceAndRepetitions)
{
    const CFormulaRow rows[] = {
        {u"triml(\"  ab \")", u"\"ab \""},
        {u"trimr(\" ab  \")", u"\" ab\""},
        {u"trimlr(char(12288)&\"a\"&char(9)&char(10))", u"\"a\""},
        {u"trimlr(\"   \")", u"\"\""},
        {u"triml2(\"000123\",\"0\")", u"\"123\""},
        {u"trimr2(\"a.txt.txt\",\".txt\")", u"\"a\""},
        {u"trimlr2(\"--a--\",\"-\")", u"\"a\""},
        {u"trimlr2(\"xxx\",\"xx\")", u"\"x\""},
        {u"trimlr2(\"\",\"x\")", u"\"\""},
        // An empty repetition leaves the text alone instead of looping.
        {u"triml2(\"abc\",\"\")", u"\"abc\""},
        {u"trimr2(\"abc\",\"\")", u"\"abc\""},
        {u"trimlr2(\"abc\",\"\")", u"\"abc\""},
    };
    CheckRows(rows);
}

TEST(TextFunctions, EditByPositionAndByMarks)
{
    const CFormulaRow rows[] = {
        {u"delete(\"abcdef\",2,2)", u"\"adef\""},
        {u"delete(\"abcdef\",5,9)", u"\"abcd\""},
        {u"delete(\"abc\",0,1)", u"\"abc\""},
        {u"delete(\"abc\",1,0)", u"\"abc\""},
        {u"delete(\"abc\",4,1)", u"\"abc\""},
        {u"delete(\"abc\",1,2147483647)", u"\"\""},
        {u"replace(\"abcdef\",2,2,\"XY\")", u"\"aXYdef\""},
        {u"replace(\"abc\",4,1,\"X\")", u"\"abc\""},
        {u"replace(\"abc\",3,99,\"Z\")", u"\"abZ\""},
        {u"replace2(\"a[1]b\",\"[\",\"]\",\"22\")", u"\"a[22]b\""},
        {u"replace2(\"ab\",\"[\",\"]\",\"x\")", u"\"ab\""},
        {u"replace2(\"a<<b\",\"<<\",\"<\",\"x\")", u"\"a<<xb\""},
        {u"substitute(\"a-b-c\",\"-\",\"_\")", u"\"a_b_c\""},
        {u"substitute(\"aaa\",\"aa\",\"b\")", u"\"ba\""},
        {u"substitute(\"abc\",\"\",\"x\")", u"\"abc\""},
        {u"substitute(\"abc\",\"b\",\"\")", u"\"ac\""},
        {u"len(substitute(rept(\"a\",4096),\"a\",rept(\"b\",4096)))", u"16777216"},
        {u"substitute(rept(\"a\",4097),\"a\",rept(\"b\",4096))", u"运算结果的长度不能超过16777216个字符", kAnalyseTextTooLong},
    };
    CheckRows(rows);
}

TEST(TextFunctions, ReptAndTextBuildText)
{
    const CFormulaRow rows[] = {
        {u"rept(\"ab\",3)", u"\"ababab\""},
        {u"rept(\"ab\",-2)", u"\"\""},
        {u"rept(\"\",2147483647)", u"\"\""},
        {u"len(rept(\"a\",32767))", u"32767"},
        {u"rept(\"ab\",16384)", u"rept函数结果的长度不能超过32767个字符", kAnalyseBadArgument},
        {u"rept(\"a\",2147483647)", u"rept函数结果的长度不能超过32767个字符", kAnalyseBadArgument},
        {u"text(3.14159,2)", u"\"3.14\""},
        {u"text(2.5,-3)", u"\"2.5\""},
        {u"text(2,0)", u"\"2\""},
        {u"text(2.5,3)", u"\"2.500\""},
        {u"text(1,-2147483648)", u"\"1\""},
        {u"text(1/3,99)", u"\"0.3333333333\""},
    };
    CheckRows(rows);
}

TEST(TextFunctions, NestedEvaluationNeverFailsTheCaller)
{
    const CFormulaRow rows[] = {
        {u"strcal(\"1+2\")", u"\"3\""},
        {u"strcal(\"1+\")", u"\"1+\""},
        {u"strcal(\"ftitle()\")", u"\"ftitle()\""},                     // no file functions inside
        {u"strcal(char(34)&\"ab\"&char(34))", u"\"ab\""},                 // a text result loses its quotes
        {u"strcal(\"1<2\")", u"\"TRUE\""},
        {u"strcal(\"strcal(\"&char(34)&\"2*4\"&char(34)&\")\")", u"\"8\""},
        {u"calreplace(\"a(1)b\",\"[\",\"]\",\"x\",1)", u"\"a(1)b\""},
        {u"calreplace(\"a[2]b\",\"[\",\"]\",\"x*3\",1)", u"\"a[6]b\""},
        {u"calreplace(\"a[2]b[5]c\",\"[\",\"]\",\"x+1\",-1)", u"\"a[2]b[6]c\""},
        {u"calreplace(\"a[xy]b\",\"[\",\"]\",\"upper(x)\",1)", u"\"a[XY]b\""},
        {u"calreplace(\"a[]b\",\"[\",\"]\",\"len(x)\",1)", u"\"a[0]b\""},
        {u"calreplace(\"a[2]b\",\"[\",\"]\",\"1/0\",1)", u"\"a[2]b\""},
        {u"calreplace(\"a[2]b\",\"[\",\"]\",\"x\",0)", u"strcal函数的第5个参数必须大于0", kAnalyseBadArgument},
        {u"calreplace(\"a[2]b\",\"[\",\"]\",\"x\",9)", u"strcal函数的第5个参数必须小于或等于字符串长度", kAnalyseBadArgument},
    };
    CheckRows(rows);
}

TEST(TextFunctions, NestedEvaluationIsBounded)
{
    // f rebuilds its own call around x = f: it would evaluate itself for ever.
    const std::u16string f = u"calreplace(char(1)&x&char(2),char(1),char(2),x,1)";
    const test::CEvalResult endless = test::Evaluate(u"calreplace(char(1)&\"" + f + u"\"&char(2),char(1),char(2),\"" + f + u"\",1)");
    EXPECT_EQ(endless.m_nCode, kAnalyseTooDeep);
    EXPECT_EQ(ToUtf8(endless.m_strError), "strcal和calreplace嵌套计算的层数不能超过16层");

    // A text far longer than any typed formula is not cut into nodes: it
    // comes back as it is, like any text that is no formula.
    const test::CEvalResult longText = test::Evaluate(u"len(strcal(rept(\"1+\",16383)&\"1+1\"))");
    EXPECT_EQ(longText.m_nCode, kAnalyseOk);
    EXPECT_EQ(ToUtf8(longText.m_strOutput), "32769");
    const test::CEvalResult shortText = test::Evaluate(u"strcal(rept(\"1+\",16383)&\"1\")");
    EXPECT_EQ(ToUtf8(shortText.m_strOutput), "\"16384\"");
}

}  // namespace
}  // namespace kq
