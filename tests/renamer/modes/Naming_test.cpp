#include <gtest/gtest.h>

#include <functional>

#include "formula/regex/Regex.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/AdvancedNaming.h"
#include "renamer/modes/EnhancedNaming.h"
#include "renamer/modes/FormulaNaming.h"
#include "renamer/modes/FormulaPresets.h"
#include "renamer/modes/ListNaming.h"
#include "renamer/modes/SimpleNaming.h"
#include "support/TestSupport.h"
#include "support/TestSupport.h"

namespace kq {
namespace {

using Names = std::vector<std::u16string>;

CFileNameList MakeList(const Names& names, const std::u16string& folder = u"/f")
{
    CFileNameList list;
    for (const auto& n : names) list.AddRow(test::PlatformPath(folder), n);
    return list;
}

Names NewNames(const CFileNameList& list)
{
    Names names;
    for (int r = 0; r < list.GetItemCount(); ++r) names.push_back(list.GetText(r, kColNewName));
    return names;
}

TEST(SimpleNaming, FillNewNames)
{
    struct Case {
        const char* what;
        std::function<void(CEaFields&)> set;
        bool keep;
        Names rows;
        Names expected;
    } cases[] = {
        {"defaults keep the name", [](CEaFields&) {}, true, {u"photo.jpg", u"README"}, {u"photo.jpg", u"README."}},
        {"no extension kept", [](CEaFields&) {}, false, {u"README", u"a.b.c"}, {u"README", u"a.b.c"}},
        {"index after, three digits",
         [](CEaFields& f) {
             f.m_strTemplate = u"img_<原文件名>";
             f.m_bIndexEnabled = true;
             f.m_nDigits = 3;
             f.m_nIndexPosition = 1;
         },
         true, {u"a.jpg", u"b.jpg"}, {u"img_a001.jpg", u"img_b002.jpg"}},
        {"repeat 1",
         [](CEaFields& f) {
             f.m_strTemplate = u"";
             f.m_bIndexEnabled = true;
             f.m_strRepeat = u"1";
         },
         false, {u"a", u"b", u"c", u"d", u"e"}, {u"1", u"1", u"2", u"2", u"3"}},
        {"negative repeat counts as its absolute value",
         [](CEaFields& f) {
             f.m_strTemplate = u"";
             f.m_bIndexEnabled = true;
             f.m_strRepeat = u"-1";
         },
         false, {u"a", u"b", u"c"}, {u"1", u"1", u"2"}},
        {"step -1 into negatives, padded in front of the sign",
         [](CEaFields& f) {
             f.m_strTemplate = u"x";
             f.m_bIndexEnabled = true;
             f.m_strStart = u"1";
             f.m_strStep = u"-2";
             f.m_nDigits = 4;
         },
         false, {u"a", u"b", u"c"}, {u"0001x", u"00-1x", u"00-3x"}},
        {"start 0 with no digits writes nothing",
         [](CEaFields& f) {
             f.m_strTemplate = u"n";
             f.m_bIndexEnabled = true;
             f.m_strStart = u"abc";
         },
         false, {u"a", u"b"}, {u"n", u"1n"}},
        {"start 0 with two digits",
         [](CEaFields& f) {
             f.m_strTemplate = u"n";
             f.m_bIndexEnabled = true;
             f.m_strStart = u"0";
             f.m_nDigits = 2;
         },
         false, {u"a"}, {u"00n"}},
        {"delete from the old name's end",
         [](CEaFields& f) {
             f.m_bDeleteEnabled = true;
             f.m_nDeletePosition = 1;
             f.m_nDeleteCount = 2;
         },
         true, {u"abcdef.txt"}, {u"abcd.txt"}},
        {"delete more than there is",
         [](CEaFields& f) {
             f.m_bDeleteEnabled = true;
             f.m_nDeletePosition = 1;
             f.m_nDeleteCount = 20;
         },
         true, {u"abcdef.txt"}, {u".txt"}},
        {"delete from the new name's front after the index",
         [](CEaFields& f) {
             f.m_bIndexEnabled = true;
             f.m_nDigits = 3;
             f.m_bDeleteEnabled = true;
             f.m_nDeletePosition = 2;
             f.m_nDeleteCount = 3;
         },
         true, {u"abc.txt"}, {u"abc.txt"}},
        {"deletion off ignores the count",
         [](CEaFields& f) { f.m_nDeleteCount = 3; }, true, {u"abcdef.txt"}, {u"abcdef.txt"}},
        {"replace acts on the index too",
         [](CEaFields& f) {
             f.m_strTemplate = u"banana";
             f.m_bIndexEnabled = true;
             f.m_strStart = u"10";
             f.m_bReplaceEnabled = true;
             f.m_strFind = u"a";
             f.m_strReplace = u"b";
         },
         false, {u"x"}, {u"10bbnbnb"}},
        {"empty find changes nothing",
         [](CEaFields& f) {
             f.m_bReplaceEnabled = true;
             f.m_strReplace = u"z";
         },
         false, {u"abc"}, {u"abc"}},
        {"placeholder twice",
         [](CEaFields& f) { f.m_strTemplate = u"<原文件名>-<原文件名>"; }, true, {u"a.b.txt"}, {u"a.b-a.b.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CEaFields fields;
        c.set(fields);
        CFileNameList list = MakeList(c.rows);
        fields.FillNewNames(list, c.keep);
        EXPECT_EQ(NewNames(list), c.expected);
    }
}

TEST(EnhancedNaming, FillNewNames)
{
    struct Case {
        const char* what;
        std::function<void(CEnFields&)> set;
        bool keep;
        Names rows;
        Names expected;
    } cases[] = {
        {"defaults", [](CEnFields&) {}, true, {u"a.jpg", u"b.jpg", u"c.jpg"}, {u"1 a.jpg", u"2 b.jpg", u"3 c.jpg"}},
        {"capital letters",
         [](CEnFields& f) {
             f.m_nKind = 0;
             f.RefillStartList();
             f.m_strTemplate = u"*_<原文件名>";
         },
         true, {u"a.jpg", u"b.jpg"}, {u"A_a.jpg", u"B_b.jpg"}},
        {"three digits start at 001",
         [](CEnFields& f) {
             f.m_nDigits = 3;
             f.RefillStartList();
             f.m_strTemplate = u"*";
         },
         false, {u"a", u"b", u"c"}, {u"001", u"002", u"003"}},
        {"index inside the name",
         [](CEnFields& f) {
             f.m_strStart = u"7";
             f.m_strTemplate = u"<原文件名*2>|<原文件名*-1>|<原文件名*99>|<原文件名*";
         },
         true, {u"photo.jpg"}, {u"ph7oto|phot7o|photo7|7photo.jpg"}},
        {"two stars, same index", [](CEnFields& f) { f.m_strTemplate = u"*-*"; }, false, {u"a", u"b"},
         {u"1-1", u"2-2"}},
        {"enumeration runs out",
         [](CEnFields& f) {
             f.m_nKind = 7;
             f.m_strEnumList = u"甲,乙";
             f.RefillStartList();
             f.m_strTemplate = u"*";
         },
         false, {u"a", u"b", u"c"}, {u"甲", u"乙", u""}},
        {"start that is no member",
         [](CEnFields& f) {
             f.m_strStart = u"Z9";
             f.m_nDigits = 2;
             f.m_strTemplate = u"*";
         },
         false, {u"a", u"b"}, {u"00", u"01"}},
        {"repeat 2",
         [](CEnFields& f) {
             f.m_strRepeat = u"2";
             f.m_strTemplate = u"*";
         },
         false, {u"a", u"b", u"c", u"d"}, {u"1", u"1", u"1", u"2"}},
        {"counting down past the start",
         [](CEnFields& f) {
             f.m_nKind = 3;
             f.m_strStart = u" 三 ";
             f.m_strStep = u"-1";
             f.m_strTemplate = u"*";
         },
         false, {u"a", u"b", u"c", u"d"}, {u"三", u"二", u"一", u""}},
        {"a name holding the placeholder expands once",
         [](CEnFields& f) { f.m_strTemplate = u"<原文件名>"; }, false, {u"x<原文件名*"}, {u"x1x<原文件名1"}},
        {"replace and delete as in Simple mode",
         [](CEnFields& f) {
             f.m_strTemplate = u"*_<原文件名>";
             f.m_bReplaceEnabled = true;
             f.m_strFind = u"_";
             f.m_strReplace = u"-";
             f.m_bDeleteEnabled = true;
             f.m_nDeletePosition = 0;
             f.m_nDeleteCount = 1;
         },
         true, {u"xab.txt"}, {u"1-ab.txt"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CEnFields fields;
        c.set(fields);
        CFileNameList list = MakeList(c.rows);
        fields.FillNewNames(list, c.keep);
        EXPECT_EQ(NewNames(list), c.expected);
    }
}

// The find-and-replace of the Simple and Enhanced pages with "正则表达式" on
// (and one case off for contrast), run through both modes with a template
// that is just the old name.
TEST(ReplaceNaming, RegexFindAndReplaceInBothModes)
{
    const std::u16string limit = u"第2行：" + RegexLimitMessage();
    struct Case {
        const char* what;
        std::u16string find, replace;
        bool regex;
        bool keep;
        Names rows;
        Names expected;
        std::u16string error;
    } cases[] = {
        {"groups in the replacement", u"(\\d+)", u"<$1>", true, true, {u"ep12.mp4", u"v2.mp4"}, {u"ep<12>.mp4", u"v<2>.mp4"}, u""},
        {"the extension stays out of reach", u"\\d", u"#", true, true, {u"a.mp4"}, {u"a.mp4"}, u""},
        {"the whole name without keepExtension", u"\\.(\\w+)$", u"_$1", true, false, {u"a.mp4"}, {u"a_mp4"}, u""},
        {"swap two parts", u"^(\\w+)-(\\w+)$", u"$2-$1", true, true, {u"ab-cd.txt", u"abc.txt"}, {u"cd-ab.txt", u"abc.txt"}, u""},
        {"case ignored with (?i)", u"(?i)img_", u"", true, true, {u"IMG_1.jpg", u"img_2.jpg"}, {u"1.jpg", u"2.jpg"}, u""},
        {"Chinese text", u"第(\\d+)集", u"E$1", true, true, {u"剧第3集.mp4"}, {u"剧E3.mp4"}, u""},
        {"literal when off", u".", u"_", false, true, {u"a.b.txt"}, {u"a_b.txt"}, u""},
        {"a pattern when on", u".", u"_", true, true, {u"a.b.txt"}, {u"___.txt"}, u""},
        {"an empty pattern changes nothing", u"", u"x", true, true, {u"abc.txt"}, {u"abc.txt"}, u""},
        {"an invalid pattern replaces nothing", u"(a", u"b", true, true, {u"abc.txt", u"a.txt"}, {u"abc.txt", u"a.txt"},
         u"正则表达式有误（第2个字符）：缺少右括号“)”"},
        {"also on an empty list", u"[", u"", true, true, {}, {}, u"正则表达式有误（第1个字符）：字符集缺少右方括号“]”"},
        {"a replacement naming no group", u"a", u"$1", true, true, {u"abc.txt"}, {u"abc.txt"},
         u"替换文本有误（第1个字符）：没有第1个分组"},
        {"a row beyond the limit keeps its text", u"(a+)+$", u"x", true, false,
         {u"aaa", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", u"aa"}, {u"x", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaab", u"x"}, limit},
    };
    for (const auto& c : cases) {
        for (bool enhanced : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (enhanced ? " (enhanced)" : " (simple)"));
            CFileNameList list = MakeList(c.rows);
            std::u16string error = u"not set";
            auto setReplace = [&](naming::CReplaceDeleteFields& f) {
                f.m_bReplaceEnabled = true;
                f.m_strFind = c.find;
                f.m_strReplace = c.replace;
                f.m_bRegex = c.regex;
            };
            if (enhanced) {
                CEnFields fields;
                fields.m_strTemplate = u"<原文件名>";
                setReplace(fields);
                fields.FillNewNames(list, c.keep, &error);
            } else {
                CEaFields fields;
                setReplace(fields);
                fields.FillNewNames(list, c.keep, &error);
            }
            EXPECT_EQ(NewNames(list), c.expected);
            EXPECT_EQ(ToUtf8(error), ToUtf8(c.error));
        }
    }
}

// With replacing off the pattern is not used, so it cannot fail.
TEST(ReplaceNaming, AnUnusedPatternIsNoError)
{
    CEaFields fields;
    fields.m_bRegex = true;
    fields.m_strFind = u"(";
    CFileNameList list = MakeList({u"a(.txt"});
    std::u16string error = u"not set";
    fields.FillNewNames(list, true, &error);
    EXPECT_EQ(NewNames(list), Names{u"a(.txt"});
    EXPECT_EQ(error, u"");
}

TEST(EnhancedNaming, StartListAndOrdinal)
{
    struct Case {
        int kind;
        int digits;
        std::u16string list;
        size_t items;
        std::u16string first;
        std::u16string start;
        int ordinal;
    } cases[] = {
        {2, 1, u"", 20, u"1", u"5", 4},
        {2, 3, u"", 20, u"001", u"005", 4},
        {2, 3, u"", 20, u"001", u"5", -1},
        {0, 1, u"", 20, u"A", u"AA", 26},
        {5, 1, u"", 20, u"Ⅰ", u"Ⅳ", 3},
        {7, 1, u"子,丑,寅", 3, u"子", u"寅", 2},
        {7, 1, u"", 0, u"", u"x", -1},
        {4, 1, u"", 20, u"壹", u"", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.first + u" " + c.start));
        CEnFields fields;
        fields.m_nKind = c.kind;
        fields.m_nDigits = c.digits;
        fields.m_strEnumList = c.list;
        fields.m_strStart = u"unchanged";
        auto items = fields.RefillStartList();
        EXPECT_EQ(items.size(), c.items);
        EXPECT_EQ(fields.m_strStart, c.items ? c.first : u"unchanged");
        fields.m_strStart = c.start;
        EXPECT_EQ(fields.StartOrdinal(), c.ordinal);
    }
}

TEST(ListNaming, PasteAndFill)
{
    CElFields fields;
    {
        test::CScopedClipboard clipboard(u"alpha\r\nbeta\t\r\n\r\n  gamma \r\n");
        EXPECT_EQ(fields.Paste(), EPasteResult::Done);
        EXPECT_EQ(fields.Paste(), EPasteResult::Done);
    }
    EXPECT_EQ(fields.m_aNames, (Names{u"alpha", u"beta", u"gamma", u"alpha", u"beta", u"gamma"}));
    fields.m_aNames = {u"alpha", u"beta"};

    struct Case {
        const char16_t* repeat;
        int cycle;
        bool keep;
        Names expected;
    } cases[] = {
        {u"0", 1, true, {u"alpha.a", u"beta.b", u"alpha.", u"beta.d", u"alpha.e"}},
        {u"0", 0, true, {u"alpha.a", u"beta.b", u".", u".d", u".e"}},
        {u"1", 0, false, {u"alpha", u"alpha", u"beta", u"beta", u""}},
        {u"-1", 1, false, {u"alpha", u"alpha", u"beta", u"beta", u"alpha"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.repeat) + std::to_string(c.cycle));
        fields.m_strRepeat = c.repeat;
        fields.m_nCycle = c.cycle;
        CFileNameList list = MakeList({u"x.a", u"y.b", u"z", u"w.d", u"v.e"});
        fields.FillNewNames(list, c.keep);
        EXPECT_EQ(NewNames(list), c.expected);
    }
    CElFields empty;
    CFileNameList list = MakeList({u"x.a"});
    empty.FillNewNames(list, true);
    EXPECT_EQ(NewNames(list), Names{u".a"});
}

TEST(ListNaming, PasteOfNothingShowsTheMessage)
{
    test::CScriptedPrompt prompt;
    CElFields fields;
    fields.m_aNames = {u"kept"};
    EXPECT_EQ(fields.PasteText(u" \r\n\t\r\n"), EPasteResult::Empty);
    {
        test::CScopedClipboard clipboard;  // holds no text
        EXPECT_EQ(fields.Paste(), EPasteResult::Empty);
    }
    ASSERT_EQ(prompt.Shown().size(), 2u);
    EXPECT_EQ(prompt.Shown()[0].m_strTitle, u"剪贴板为空");
    EXPECT_EQ(
        prompt.Shown()[0].m_strText,
        u"添加操作是将剪贴板上的文本粘贴到文件名称列表，建议通过Excel以多行方式组织文件名称列表然后再执行添加操作！");
    EXPECT_EQ(fields.m_aNames, Names{u"kept"});
    EXPECT_EQ(fields.PasteText(u"a\tb"), EPasteResult::Done);
    EXPECT_EQ(fields.m_aNames.back(), u"a\tb");
}

TEST(ListNaming, DeleteAndMoveNames)
{
    struct Case {
        const char* op;
        int selection;
        bool changed;
        Names after;
        int selectionAfter;
    } cases[] = {
        {"up", 0, false, {u"a", u"b", u"c"}, 0},
        {"up", 2, true, {u"a", u"c", u"b"}, 1},
        {"down", 2, false, {u"a", u"b", u"c"}, 2},
        {"down", 0, true, {u"b", u"a", u"c"}, 1},
        {"delete", 2, true, {u"a", u"b"}, 1},
        {"delete", 0, true, {u"b", u"c"}, 0},
        {"delete", -1, false, {u"a", u"b", u"c"}, -1},
        {"up", 5, false, {u"a", u"b", u"c"}, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.op) + std::to_string(c.selection));
        CElFields fields;
        fields.m_aNames = {u"a", u"b", u"c"};
        int selection = c.selection;
        std::string op = c.op;
        bool changed = op == "up" ? fields.MoveNameUp(selection)
                       : op == "down" ? fields.MoveNameDown(selection)
                                      : fields.DeleteName(selection);
        EXPECT_EQ(changed, c.changed);
        EXPECT_EQ(fields.m_aNames, c.after);
        EXPECT_EQ(selection, c.selectionAfter);
    }
    CElFields one;
    one.m_aNames = {u"only"};
    int selection = 0;
    EXPECT_TRUE(one.DeleteName(selection));
    EXPECT_EQ(selection, -1);
}

TEST(FormulaNaming, FillNewNames)
{
    struct Case {
        const char16_t* formula;
        bool keep;
        Names expected;
    } cases[] = {
        {u"Fname()", false, {u"a.txt", u"b", u"c.x.y"}},
        {u"Fname()", true, {u"a.txt.txt", u"b.", u"c.x.y.y"}},
        {u"Upper(Ftitle())", true, {u"A.txt", u"B.", u"C.X.y"}},
        {u"6*2", false, {u"12", u"12", u"12"}},
        {u"1<2", false, {u"TRUE", u"TRUE", u"TRUE"}},
        {u"\"Part \"&index()&\" of \"&count()", false, {u"Part 1 of 3", u"Part 2 of 3", u"Part 3 of 3"}},
        {u"Upper(Ftitle(", false, {u"", u"", u""}},
        {u"", true, {u".txt", u".", u".y"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.formula));
        test::CScriptedPrompt prompt;
        CEfFields fields;
        fields.m_strFormula = c.formula;
        CFileNameList list = MakeList({u"a.txt", u"b", u"c.x.y"});
        fields.FillNewNames(list, c.keep);
        EXPECT_EQ(NewNames(list), c.expected);
        EXPECT_TRUE(prompt.Shown().empty());
    }
}

TEST(FormulaNaming, FoldersAreNumberedUpperCased)
{
    CFileNameList list;
    // Folders written the POSIX way; see test::PlatformPath.
    list.AddRow(test::PlatformPath(u"/C/x"), u"a");
    list.AddRow(test::PlatformPath(u"/C/y"), u"b");
    list.AddRow(test::PlatformPath(u"/C/X"), u"c");
    CEfFields fields;
    fields.m_strFormula = u"lpath()&\"-\"&ftitle()";
    fields.FillNewNames(list, false);
    EXPECT_EQ(NewNames(list), (Names{u"x-a", u"y-b", u"X-c"}));
    CEeFields advanced;
    advanced.m_strMacro = u"{L}-{N}";
    list.SetText(2, kColFolder, test::PlatformPath(u"/C/x"));
    advanced.FillNewNames(list, false);
    EXPECT_EQ(NewNames(list), (Names{u"1-1", u"2-1", u"1-2"}));
}

TEST(FormulaPresets, EveryReadyMadeFormulaEvaluates)
{
    Names expected = {u"01 AB-CD.PDF", u"01 ab-cd.pdf", u"01 AB-CD", u"01 ab-cd", u"01 AB-CD.pdf", u"01 Ab-Cd.pdf",
                      u"01 Ab", u"0101 Ab-Cd.pdf", u"第一文件", u"f_01 Ab-Cd", u"Part 1 of 1", u"Ab-Cd",
                      u"001 Ab-Cd", u"001-Ab-Cd", u"文档01 Ab-Cd",
                      // No such file: no date (the title stays), no tags, no hash.
                      u"01 Ab-Cd", u" - ", u""};
    ASSERT_EQ(expected.size(), size_t(kFormulaPresetCount));
    for (int p = 0; p < kFormulaPresetCount; ++p) {
        SCOPED_TRACE(ToUtf8(FormulaPresets()[p].m_strExpression));
        CEfFields fields;
        fields.m_strFormula = FormulaPresets()[p].m_strExpression;
        CFileNameList list = MakeList({u"01 Ab-Cd.pdf"});
        fields.FillNewNames(list, false);
        EXPECT_EQ(list.GetText(0, kColNewName), expected[size_t(p)]);
    }
}

TEST(AdvancedNaming, FillNewNames)
{
    struct Case {
        const char16_t* macro;
        bool keep;
        Names expected;
    } cases[] = {
        {u"", true, {u".txt", u".", u".y"}},
        {u"", false, {u"", u"", u""}},
        {u"Part {I} of {C}", true, {u"Part 1 of 3.txt", u"Part 2 of 3.", u"Part 3 of 3.y"}},
        {u"{l=2;I}{F}", false, {u"01a", u"02b", u"03c.x"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ToUtf8(c.macro));
        CEeFields fields;
        fields.m_strMacro = c.macro;
        CFileNameList list = MakeList({u"a.txt", u"b", u"c.x.y"});
        fields.FillNewNames(list, c.keep);
        EXPECT_EQ(NewNames(list), c.expected);
    }
}

}  // namespace
}  // namespace kq
