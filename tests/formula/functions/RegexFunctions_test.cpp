#include <gtest/gtest.h>

#include "FormulaRows.h"
#include "formula/engine/FileNameStringAnalyse.h"
#include "formula/regex/Regex.h"

namespace kq {
namespace {

using test::CFormulaRow;
using test::CheckRows;

constexpr int kOk = kAnalyseOk;
constexpr int kRefused = kAnalyseBadArgument;

TEST(RegexFunctions, MatchAndCountFollowUnicodeAndCase)
{
    const CFormulaRow rows[] = {
        {u"regexmatch(\"IMG_0042\",\"\\d{4}\")", u"TRUE", kOk, OVT_BOOL},
        {u"regexmatch(\"abc\",\"^b\")", u"FALSE", kOk, OVT_BOOL},
        {u"regexmatch(\"ABC\",\"abc\")", u"FALSE"},
        {u"regexmatch(\"ABC\",\"(?i)abc\")", u"TRUE"},
        {u"regexmatch(\"\",\"\")", u"TRUE"},
        // "." is one character: a Chinese one, and a pair of surrogates.
        {u"regexmatch(\"文件\",\"^..$\")", u"TRUE"},
        {u"regexmatch(\"😀\",\"^.$\")", u"TRUE"},
        // \d is ASCII unless (*UCP) asks for Unicode digits.
        {u"regexmatch(\"１２\",\"\\d\")", u"FALSE"},
        {u"regexmatch(\"１２\",\"(*UCP)\\d\")", u"TRUE"},
        {u"regexmatch(12.5,\"^\\d+\\.5$\")", u"TRUE"},  // a number is matched as its text
        {u"regexcount(\"a1b22c333\",\"\\d+\")", u"3", kOk, OVT_INT},
        {u"regexcount(\"aaaa\",\"aa\")", u"2"},  // not overlapping
        {u"regexcount(\"aaa\",\"aa\")", u"1"},
        {u"regexcount(\"abc\",\"x*\")", u"4"},  // the empty match before each character and at the end
        {u"regexcount(\"\",\"x*\")", u"1"},
        {u"regexcount(\"abc\",\"x\")", u"0"},
        {u"regexcount(\"第1集第2集\",\"第\\d集\")", u"2"},
    };
    CheckRows(rows, false);
}

TEST(RegexFunctions, ExtractTakesAGroupOfTheFirstMatch)
{
    const CFormulaRow rows[] = {
        {u"regexextract(\"第12集\",\"第(\\d+)集\",1)", u"\"12\"", kOk, OVT_STRING},
        {u"regexextract(\"第12集\",\"第(\\d+)集\",0)", u"\"第12集\""},
        {u"regexextract(\"a1b2\",\"[a-z](\\d)\",1)", u"\"1\""},
        {u"regexextract(\"2015-06-01\",\"(?<year>\\d{4})-(?<month>\\d\\d)\",2)", u"\"06\""},
        {u"regexextract(\"abc\",\"x(\\d)\",1)", u"\"\""},   // no match
        {u"regexextract(\"ab\",\"a|(b)\",1)", u"\"\""},     // the group took no part in the first match
        {u"regexextract(\"ABC\",\"(?i)(b)\",1)", u"\"B\""},
        {u"regexextract(\"abc\",\"(a)\",2)", u"regexextract函数的第3个参数必须在0到1之间", kRefused},
        {u"regexextract(\"abc\",\"a\",-1)", u"regexextract函数的第3个参数必须在0到0之间", kRefused},
    };
    CheckRows(rows, false);
}

TEST(RegexFunctions, ReplaceExpandsGroupsNamesAndDollars)
{
    const CFormulaRow rows[] = {
        {u"regexreplace(\"IMG_42\",\"(\\w+)_(\\d+)\",\"$2-$1\")", u"\"42-IMG\"", kOk, OVT_STRING},
        {u"regexreplace(\"a1b22\",\"(\\d+)\",\"<$1>\")", u"\"a<1>b<22>\""},
        {u"regexreplace(\"2015-06\",\"(?<y>\\d+)-(?<m>\\d+)\",\"${m}.${y}\")", u"\"06.2015\""},
        {u"regexreplace(\"abc\",\"(b)\",\"${1}0\")", u"\"ab0c\""},
        {u"regexreplace(\"aaa\",\"a\",\"$0$0\")", u"\"aaaaaa\""},
        {u"regexreplace(\"a1\",\"\\d\",\"$$\")", u"\"a$\""},
        {u"regexreplace(\"a1\",\"\\d\",\"$$1\")", u"\"a$1\""},
        {u"regexreplace(\"a1\",\"\\d\",\"US$\")", u"\"aUS$\""},  // a "$" that starts no reference is itself
        {u"regexreplace(\"a1\",\"\\d\",\"$x\")", u"\"a$x\""},
        {u"regexreplace(\"ab\",\"(a)|b\",\"[$1]\")", u"\"[a][]\""},  // a group that took no part is empty
        {u"regexreplace(\"abc\",\"x\",\"y\")", u"\"abc\""},
        {u"regexreplace(\"ab12\",\"\\d+$\",\"\")", u"\"ab\""},
        {u"regexreplace(\"ABC\",\"(?i)b\",\"x\")", u"\"AxC\""},
        // Empty matches: before each character and at the end; an empty
        // match right after a longer one counts too.
        {u"regexreplace(\"abc\",\"x*\",\"-\")", u"\"-a-b-c-\""},
        {u"regexreplace(\"abc\",\"b*\",\"-\")", u"\"-a--c-\""},
        {u"regexreplace(\"\",\"^\",\"x\")", u"\"x\""},
        // Chinese text and a character outside the basic plane.
        {u"regexreplace(\"第1集第2集\",\"第(\\d)集\",\"E0$1\")", u"\"E01E02\""},
        {u"regexreplace(\"文件名\",\"文件\",\"资料\")", u"\"资料名\""},
        {u"regexreplace(\"a😀b\",\".\",\"-\")", u"\"---\""},
        {u"regexreplace(\"😀😀\",\"\",\"|\")", u"\"|😀|😀|\""},
        {u"regexreplace(\"b\",\"(?J)(?<n>a)|(?<n>b)\",\"[${n}]\")", u"\"[b]\""},  // the group of that name that took part
        {u"regexreplace(\"abc\",\"(b)\",\"$10\")", u"替换文本有误（第1个字符）：没有第10个分组", kRefused},
        {u"regexreplace(\"abc\",\"b\",\"x$1\")", u"替换文本有误（第2个字符）：没有第1个分组", kRefused},
        {u"regexreplace(\"abc\",\"(?<n>b)\",\"${x}\")", u"替换文本有误（第1个字符）：没有名为“x”的分组", kRefused},
        {u"regexreplace(\"abc\",\"b\",\"a${\")", u"替换文本有误（第2个字符）：“${”缺少右花括号“}”", kRefused},
        {u"regexreplace(\"abc\",\"b\",\"${}\")", u"替换文本有误（第1个字符）：“${}”中缺少分组的序号或名称", kRefused},
        // The replacement is checked even where nothing matches.
        {u"regexreplace(\"abc\",\"x\",\"$1\")", u"替换文本有误（第1个字符）：没有第1个分组", kRefused},
    };
    CheckRows(rows, false);
}

TEST(RegexFunctions, InvalidPatternsGiveTheReasonAndPosition)
{
    const CFormulaRow rows[] = {
        {u"regexmatch(\"a\",\"ab)\")", u"正则表达式有误（第3个字符）：右括号“)”没有对应的左括号", kRefused},
        {u"regexmatch(\"a\",\"(abc\")", u"正则表达式有误（第4个字符）：缺少右括号“)”", kRefused},
        {u"regexmatch(\"a\",\"[a\")", u"正则表达式有误（第2个字符）：字符集缺少右方括号“]”", kRefused},
        {u"regexmatch(\"a\",\"*a\")", u"正则表达式有误（第1个字符）：重复符号前面没有可以重复的内容", kRefused},
        {u"regexmatch(\"a\",\"a{2,1}\")", u"正则表达式有误（第6个字符）：重复次数{m,n}中前一个数大于后一个数", kRefused},
        {u"regexmatch(\"a\",\"[z-a]\")", u"正则表达式有误（第4个字符）：字符集中范围的起点大于终点", kRefused},
        {u"regexmatch(\"a\",\"a\\\")", u"正则表达式有误（第2个字符）：末尾的“\\”后面缺少字符", kRefused},
        {u"regexmatch(\"a\",\"(?<n>a)(?<n>b)\")", u"正则表达式有误（第13个字符）：两个分组用了同一个名称", kRefused},
        // Positions count characters as the system does: 文件 is two.
        {u"regexmatch(\"a\",\"文件(\")", u"正则表达式有误（第3个字符）：缺少右括号“)”", kRefused},
        {u"regexextract(\"a\",\"(\",0)", u"正则表达式有误（第1个字符）：缺少右括号“)”", kRefused},
        {u"regexreplace(\"a\",\"\\C\",\"\")", u"正则表达式有误（第2个字符）：不能使用“\\C”", kRefused},
        {u"regexmatch(\"a\",rept(\"a\",32767)&\"b\")", u"正则表达式有误：不能超过32767个字符", kRefused},
        {u"regexcount(\"a\",\"(?<1a>x)\")", u"正则表达式有误（第4个字符）：分组名称不能以数字开头", kRefused},
    };
    CheckRows(rows, false);
}

// A pattern whose backtracking explodes stops at the limit with its own
// message instead of running for minutes.
TEST(RegexFunctions, CatastrophicPatternsStopAtTheLimit)
{
    const std::u16string limit = RegexLimitMessage();
    const std::u16string subject = u"rept(\"a\",30)&\"b\"";
    const CFormulaRow rows[] = {
        {u"regexmatch(" + subject + u",\"(a+)+$\")", limit, kRefused},
        {u"regexmatch(" + subject + u",\"(*NO_JIT)(a+)+$\")", limit, kRefused},  // the interpreter is bounded too
        {u"regexcount(" + subject + u",\"(a|aa)+$\")", limit, kRefused},
        {u"regexextract(" + subject + u",\"((a+)+)+$\",1)", limit, kRefused},
        {u"regexreplace(rept(\"a\",30)&\"!\",\"^(\\w+\\s?)*$\",\"x\")", limit, kRefused},
        // The same patterns on a text they handle quickly.
        {u"regexmatch(rept(\"a\",30),\"(a+)+$\")", u"TRUE"},
        {u"regexreplace(rept(\"a\",3)&\"b\",\"(a+)+$\",\"x\")", u"\"aaab\""},
    };
    CheckRows(rows, false);
}

TEST(RegexFunctions, AResultBeyondTheLongestTextIsRefused)
{
    // 17 empty matches, each replaced by a million characters.
    std::u16string million = u"rept(\"b\",32767)";
    for (int i = 0; i < 5; ++i) million = million + u"&" + million;
    test::CEvalResult r = test::Evaluate(u"regexreplace(rept(\"a\",16),\"\"," + million + u")");
    EXPECT_EQ(r.m_nCode, kAnalyseTextTooLong);
    EXPECT_EQ(ToUtf8(r.m_strError), ToUtf8(TextTooLongMessage()));
}

// A pattern that every row gives is compiled once for the whole list, also
// when the same text serves several calls and when the pattern is invalid.
TEST(RegexFunctions, APatternIsCompiledOncePerList)
{
    CFileNameStringAnalyse engine;
    // Patterns no other test uses, so that none is in the cache yet.
    engine.SetInputString(u"regexreplace(ftitle(),\"(\\d+)集\",\"<$1>\")&regexcount(ftitle(),\"(\\d+)集\")&"
                          u"if(regexmatch(fname(),\"[集\"),\"\",\"\")");
    const long long before = CRegex::GetCompileCount();
    int refused = 0;
    for (int row = 0; row < 1000; ++row) {
        engine.m_strFileName = u"第" + FromAscii(std::to_string(row)) + u"集.mp4";
        if (engine.DoAnalyse() != kAnalyseOk) ++refused;
    }
    EXPECT_EQ(refused, 1000);  // the invalid "[" ends every row
    EXPECT_EQ(CRegex::GetCompileCount() - before, 2);

    engine.SetInputString(u"regexreplace(ftitle(),\"(\\d+)集\",\"<$1>\")");
    engine.m_strFileName = u"第7集.mp4";
    ASSERT_EQ(engine.DoAnalyse(), kAnalyseOk) << ToUtf8(engine.GetAnalyseErrorInfo());
    EXPECT_EQ(ToUtf8(engine.GetOutputString()), "\"第<7>\"");
    EXPECT_EQ(CRegex::GetCompileCount() - before, 2);
}

}  // namespace
}  // namespace kq
