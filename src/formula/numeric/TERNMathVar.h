// A named real variable of the numeric evaluator (C, I, L, N of a control
// expression).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kq {

struct CTERNMathVar {
    std::u16string strVarName;
    double dVarValue = 0.0;
};

// The first variable named exactly `name` (case-sensitive), or nullptr.
const CTERNMathVar* FindMathVar(const std::vector<CTERNMathVar>& list, std::u16string_view name);

}  // namespace kq
