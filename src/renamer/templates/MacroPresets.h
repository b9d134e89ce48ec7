// The ready-made control expressions offered by the Advanced page's picker,
// with the description shown for each; the GUI and the CLI read the same
// table.
#pragma once

#include <span>
#include <string_view>

namespace kq {

struct CMacroPreset {
    std::u16string_view m_strExpression;
    std::u16string_view m_strDescription;
};

// In list order (17 entries).
std::span<const CMacroPreset> MacroPresets();

}  // namespace kq
