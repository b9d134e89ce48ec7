// The fifteen ready-made formulas of "常用公式", with their descriptions.
#pragma once

#include <string>

namespace kq {

struct CFormulaPreset {
    const char16_t* m_pszFormula;
    const char16_t* m_pszDescription;
};

inline constexpr int kFormulaPresetCount = 15;
// In list order.
const CFormulaPreset* FormulaPresets();

// Window title of the picker in formula mode.
extern const char16_t* const kFormulaPickerTitle;  // "常用公式"

}  // namespace kq
