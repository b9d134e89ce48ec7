// The ready-made control expressions offered by the Advanced page's picker,
// with the description shown for each; the GUI and the CLI read the same
// table. The formula page's picker offers its formulas the same way.
#pragma once

#include <span>
#include <string_view>

namespace kq {

struct CExpressionPreset {
    std::u16string_view m_strExpression;
    std::u16string_view m_strDescription;
};

// In list order (17 entries).
std::span<const CExpressionPreset> MacroPresets();

}  // namespace kq
