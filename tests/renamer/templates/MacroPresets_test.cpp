#include "renamer/templates/MacroPresets.h"
#include "renamer/templates/MacroRules.h"

#include <gtest/gtest.h>

#include "platform/Path.h"
#include "platform/Text.h"
#include "renamer/templates/StringOperatorMacro.h"

namespace kq {
namespace {

TEST(MacroPresets, EachReadyMadeExpressionGivesTheExpectedNameForASampleRow)
{
    // "Ab cdefg.Txt" in folder "Docs", third of 12 rows.
    const char* expected[] = {
        "AB CDEFG.TXT", "ab cdefg.txt", "AB CDEFG.Txt", "ab cdefg.Txt", "AB CDEFG.txt",   " cdefg",
        "Ab cdefg.Txt", "Ab cdefg.doc", "Ab cd",        "03Ab cdefg",   "(03)Ab cdefg",   "第三文件",
        "Docs_Ab cdefg", "Part 3 of 12", "cdefg",       "03 cdefg",     "Ab[003] cdefg",
    };
    auto presets = MacroPresets();
    ASSERT_EQ(presets.size(), std::size(expected));
    const std::u16string folder = std::u16string(u"home") + kPathSeparator + u"Docs";
    for (size_t i = 0; i < presets.size(); ++i) {
        SCOPED_TRACE(ToUtf8(presets[i].m_strExpression));
        EXPECT_FALSE(presets[i].m_strDescription.empty());
        CStringOperatorMacro macro;
        macro.BeginRun(std::u16string(presets[i].m_strExpression), 12);
        ASSERT_EQ(macro.AnalyseRow(u"Ab cdefg.Txt", folder, 3), 1);
        EXPECT_EQ(ToUtf8(macro.m_strResult), expected[i]);
    }
}

TEST(MacroRules, RulesTextHasItsFortyTwoLinesWithCrLf)
{
    const std::u16string text = MacroRulesText();
    size_t lines = 0;
    for (size_t at = text.find(u"\r\n"); at != std::u16string::npos; at = text.find(u"\r\n", at + 2)) ++lines;
    EXPECT_EQ(lines, 42u);
    EXPECT_EQ(text.rfind(u"【0】表达式控制规则\r\n", 0), 0u);
    EXPECT_NE(text.find(u"s=2：从左往右删除2个字符\n\r\ns=\"ab\""), std::u16string::npos);
    EXPECT_NE(text.find(u"e=5：从右往左删除5个字符\n\r\n"), std::u16string::npos);
    EXPECT_TRUE(text.ends_with(u"a=1：自动删除小数后导0\r\n"));
}

}  // namespace
}  // namespace kq
