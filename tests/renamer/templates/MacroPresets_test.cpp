#include "renamer/templates/MacroPresets.h"

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

}  // namespace
}  // namespace kq
