// The eighteen ready-made formulas of "常用公式", with their descriptions.
#pragma once

#include <span>

#include "renamer/templates/MacroPresets.h"

namespace kq {

inline constexpr int kFormulaPresetCount = 18;
// In list order.
std::span<const CExpressionPreset> FormulaPresets();

// Window title of the picker in formula mode.
extern const char16_t* const kFormulaPickerTitle;  // "常用公式"

}  // namespace kq
