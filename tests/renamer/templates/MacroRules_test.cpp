#include "renamer/templates/MacroRules.h"

#include <gtest/gtest.h>

#include <string>

namespace kq {
namespace {

// The rules dialog shows the text line by line: every line ends in CR LF,
// and the lines that end in an extra LF show a blank line after them.
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
