#include "renamer/templates/StringOperatorMacro.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Text.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

const std::u16string kBadItem = u"以下语句中存在语法错误，请检查后重试！\n{";
const std::u16string kUnmatched = u"'{'找不到匹配的'}'，请检查后重试！";

// A drive-style folder "C:<sep>Path", so that H and P both have a value.
std::u16string DriveFolder() { return std::u16string(u"C:") + kPathSeparator + u"Path"; }

struct CExpandCase {
    const char* m_pszFile;
    const char* m_pszTemplate;
    int m_nResult;           // 1 success, 0 failure
    const char* m_pszText;   // expansion on success
    const char* m_pszMessage;  // expected message on failure ("" none)
};

TEST(StringOperatorMacro, AnalyseRow_ExpandsItemsParametersAndEscapes)
{
    const CExpandCase cases[] = {
        // string items
        {"Code.txt", "{F}.{E}", 1, "Code.txt", ""},
        {"Code.txt", "{t=1;F}.{t=2;E}", 1, "CODE.txt", ""},
        {"Code.txt", "{t=1;f}", 1, "CODE", ""},
        {"Code.txt", "{H}|{P}", 1, "C|Path", ""},
        {"Code", "[{E}]", 1, "[]", ""},
        {"a.b.txt", "{F}|{E}", 1, "a.b|txt", ""},
        {"Code.txt", "{s=2;F}", 1, "de", ""},
        {"Code.txt", "{e=1;F}", 1, "Cod", ""},
        {"Code.txt", "{l=2;F}", 1, "Co", ""},
        {"Code.txt", "{r=3;F}", 1, "ode", ""},
        {"Code.txt", "{m=2.2;F}", 1, "od", ""},
        {"Code.txt", "{m=2;F}", 1, "ode", ""},
        {"Code.txt", "{m=.5;F}", 1, "Code", ""},
        {"Code.txt", "{t=1,l=5;F}", 1, "CODE", ""},
        {"Code.txt", "{ t=1 , , l=2 ;F}", 1, "CO", ""},
        {"Code.txt", "{s=0;F}", 1, "Code", ""},
        {"Code", "{e=9;F}", 1, "", ""},
        {"Code.txt", "{s=1,s=2;F}", 1, "de", ""},   // later pieces override
        {"Code.txt", "{l=2,r=3;F}", 1, "o", ""},    // both cuts measured on the whole title
        {"Code.txt", "{t=3;F}", 1, "Code", ""},
        {"Code.txt", "{m=99999999999.5;F}", 1, "", ""},
        {"Code.txt", "{r=-2147483648;F}", 1, "", ""},
        {"ab cd.txt", "{s=\" \";F}", 1, "cd", ""},
        {"ab cd.txt", "{s=\"b\";F}", 1, "ab cd", ""},  // the search text became upper case
        {"AXBXC.txt", "{s=\"x\";F}|{e=\"x\";F}", 1, "BXC|AXB", ""},
        {"AAA.txt", "{e=\"AA\";F}", 1, "", ""},    // occurrences do not overlap
        {"AAA.txt", "{e=\"\";F}|{s=\"\";F}", 1, "AAA|AAA", ""},
        {"Code.txt", "{s=\"Z\",l=2;F}", 1, "Co", ""},
        // numeric items
        {"Code.txt", "{l=3;I}", 1, "001", ""},
        {"Code.txt", "{I+9}", 1, "10", ""},
        {"Code.txt", "{d=5;I+9}", 1, "十", ""},
        {"Code.txt", "{d=6;C}", 1, "L", ""},
        {"Code.txt", "{I/4}", 1, "0.25", ""},
        {"Code.txt", "{v=1;I/4}", 1, "0", ""},
        {"Code.txt", "{v=2;I}|{v=3;I}", 1, "1.00|1", ""},
        {"Code.txt", "Part {I} of {C}", 1, "Part 1 of 12", ""},
        {"Code.txt", "{d=2;I+3}{d=3;I}", 1, "Ⅳⅰ", ""},
        {"Code.txt", "{d=4;I+120}", 1, "壹佰贰拾壹", ""},
        {"Code.txt", "{d=7;I+26}", 1, "aa", ""},
        {"Code.txt", "{l=3,d=9;I}|{l=8;I+9}|{l=0;I}", 1, "001|10|1", ""},
        {"Code.txt", "{a=1;I}", 1, "1", ""},
        {"Code.txt", "{d=1;I+10000}|{d=1;I+10001}|{d=5;I+1001}|{d=6;I+18278}", 1, "10001|||", ""},
        {"Code.txt", "{0-I}|{d=6;0-I}|{l=3;0-I}", 1, "-1||0-1", ""},
        {"Code.txt", "{d=1;I*1e300}", 1, "", ""},
        {"Code.txt", "{v=2;sqrt(2)}|{sqrt(2)}", 1, "1.41|1.41", ""},
        {"Code.txt", "{L}-{N}", 1, "1-1", ""},
        // escapes and brace texts
        {"Code.txt", "{{F}", 1, "{F}", ""},
        {"Code.txt", "{{{F}}", 1, "{Code}", ""},
        {"Code.txt", "ab{", 1, "ab{", ""},
        {"Code.txt", "a{{", 1, "a{", ""},
        {"Code.txt", "{F}{", 1, "Code{", ""},
        {"Code.txt", "{{}", 1, "{}", ""},
        {"Code.txt", "", 1, "", ""},
        {"Code.txt", "plain", 1, "plain", ""},
        // failures
        {"Code.txt", "a}b", 0, "", ""},
        {"Code.txt", "{F}}", 0, "", ""},
        {"Code.txt", "{F", 0, "", "'{'找不到匹配的'}'，请检查后重试！"},
        {"Code.txt", "{F}{", 1, "Code{", ""},
        {"Code.txt", "{X}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{X}"},
        {"Code.txt", "{d=1;F}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{d=1;F}"},
        {"Code.txt", "{t = 1;F}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{t = 1;F}"},
        {"Code.txt", "{t;F}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{t;F}"},
        {"Code.txt", "{s=1;I}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{s=1;I}"},
        {"Code.txt", "{}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{}"},
        {"Code.txt", "{I/0}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{I/0}"},
        {"Code.txt", "{a{b}", 0, "", "以下语句中存在语法错误，请检查后重试！\n{a{b}"},
        {"Code.txt", "{F}{x}{F", 0, "", "以下语句中存在语法错误，请检查后重试！\n{x}"},  // first failure only
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.m_pszFile) + " " + c.m_pszTemplate);
        test::CScriptedPrompt prompt;
        CStringOperatorMacro macro;
        macro.m_bShowMessage = 1;
        macro.BeginRun(FromUtf8(c.m_pszTemplate), 12);
        macro.m_strResult = u"previous";
        EXPECT_EQ(macro.AnalyseRow(FromUtf8(c.m_pszFile), DriveFolder(), 1), c.m_nResult);
        EXPECT_EQ(ToUtf8(macro.m_strResult), c.m_nResult ? c.m_pszText : "previous");
        std::string message = c.m_pszMessage;
        if (message.empty()) {
            EXPECT_TRUE(prompt.Shown().empty());
        } else {
            ASSERT_EQ(prompt.Shown().size(), 1u);
            EXPECT_EQ(ToUtf8(prompt.Shown()[0].m_strText), message);
            EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"语法错误");
            EXPECT_EQ(prompt.Shown()[0].m_strKind, u"inform");
        }
    }
}

TEST(StringOperatorMacro, AnalyseMacro_ShowsNothingWithoutShowMessage)
{
    test::CScriptedPrompt prompt;
    CStringOperatorMacro macro;
    for (const char16_t* bad : {u"{X}", u"{F"}) {
        macro.BeginRun(bad, 1);
        EXPECT_EQ(macro.AnalyseRow(u"a.txt", u"", 1), 0);
    }
    EXPECT_TRUE(prompt.Shown().empty());
}

TEST(StringOperatorMacro, AnalyseRow_CountsFoldersOverTheRowsOfARun)
{
    const std::u16string a = std::u16string(u"top") + kPathSeparator + u"A";
    const std::u16string b = std::u16string(u"top") + kPathSeparator + u"B";
    const std::u16string lowerA = std::u16string(u"top") + kPathSeparator + u"a";
    const struct {
        ENamePolicy m_ePolicy;
        std::vector<std::u16string> m_aFolders;
        std::vector<std::u16string> m_aExpected;  // "{L}-{N}-{I}-{P}"
    } cases[] = {
        {ENamePolicy::ExactCase, {a, b, a}, {u"1-1-1-A", u"2-1-2-B", u"1-2-3-A"}},
        {ENamePolicy::ExactCase, {a, a, b, b, a}, {u"1-1-1-A", u"1-2-2-A", u"2-1-3-B", u"2-2-4-B", u"1-3-5-A"}},
        {ENamePolicy::ExactCase, {a, lowerA}, {u"1-1-1-A", u"2-1-2-a"}},
        {ENamePolicy::AsciiCaseInsensitive, {a, lowerA, b}, {u"1-1-1-A", u"1-2-2-a", u"2-1-3-B"}},
        {ENamePolicy::ExactCase, {u"", u"", u"D:"}, {u"1-1-1-", u"1-2-2-", u"2-1-3-D"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.m_aFolders.size());
        CStringOperatorMacro macro;
        macro.m_eFolderPolicy = c.m_ePolicy;
        macro.BeginRun(u"{L}-{N}-{I}-{P}", static_cast<int>(c.m_aFolders.size()));
        for (size_t i = 0; i < c.m_aFolders.size(); ++i) {
            std::u16string text;
            EXPECT_TRUE(macro.ExpandRow(u"f.txt", c.m_aFolders[i], static_cast<int>(i) + 1, text));
            EXPECT_EQ(text, c.m_aExpected[i]) << "row " << i;
        }
    }
}

TEST(StringOperatorMacro, BeginRun_StartsTheFolderCountersAgain)
{
    CStringOperatorMacro macro;
    macro.BeginRun(u"{L}.{N}", 2);
    std::u16string text;
    macro.ExpandRow(u"x", u"A", 1, text);
    macro.ExpandRow(u"y", u"B", 2, text);
    EXPECT_EQ(text, u"2.1");
    macro.BeginRun(u"{L}.{N}", 2);
    macro.ExpandRow(u"y", u"B", 1, text);
    EXPECT_EQ(text, u"1.1");
    EXPECT_EQ(macro.m_aPathList.size(), 1u);
}

TEST(StringOperatorMacro, ExpandRow_ReadsANewTemplateAndGivesEmptyTextOnFailure)
{
    CStringOperatorMacro macro;
    macro.BeginRun(u"{1/(I-2)}", 3);
    std::u16string text = u"stale";
    EXPECT_TRUE(macro.ExpandRow(u"a", u"", 1, text));
    EXPECT_EQ(text, u"-1");
    EXPECT_FALSE(macro.ExpandRow(u"a", u"", 2, text));
    EXPECT_EQ(text, u"");
    EXPECT_EQ(macro.m_strResult, u"-1");
    // The caller may change the template between rows.
    macro.m_strTemplate = u"{I}";
    EXPECT_TRUE(macro.ExpandRow(u"a", u"", 3, text));
    EXPECT_EQ(text, u"3");
}

TEST(StringOperatorMacro, AnalyseMacro_SurvivesHugeTemplates)
{
    std::u16string many;
    for (int i = 0; i < 10000; ++i) many += u"{I}";
    std::u16string longItem = u"{v=2;";
    for (int i = 0; i < 25000; ++i) longItem += u"I+1+";
    longItem += u"I}";
    std::u16string longParams = u"{";
    for (int i = 0; i < 20000; ++i) longParams += u"t=1,";
    longParams += u";F}";
    std::u16string unbalanced(50000, u'{');
    unbalanced.append(49999, u'}');
    std::u16string overClosed = u"{F}" + std::u16string(50000, u'}');

    CStringOperatorMacro macro;
    macro.BeginRun(many, 1);
    ASSERT_EQ(macro.AnalyseRow(u"a.b", u"", 7), 1);
    EXPECT_EQ(macro.m_strResult, std::u16string(10000, u'7'));
    macro.m_strTemplate = longItem;
    ASSERT_EQ(macro.AnalyseRow(u"a.b", u"", 7), 1);
    EXPECT_EQ(macro.m_strResult, u"200007.00");
    macro.m_strTemplate = longParams;
    ASSERT_EQ(macro.AnalyseRow(u"a.b", u"", 7), 1);
    EXPECT_EQ(macro.m_strResult, u"A");
    // Pairs of "{" are escapes; what is left is literal text.
    macro.m_strTemplate = unbalanced;
    ASSERT_EQ(macro.AnalyseRow(u"a.b", u"", 7), 1);
    EXPECT_EQ(macro.m_strResult, std::u16string(25000, u'{') + std::u16string(49999, u'}'));
    macro.m_strTemplate = overClosed;
    EXPECT_EQ(macro.AnalyseRow(u"a.b", u"", 7), 0);
}

}  // namespace
}  // namespace kq
