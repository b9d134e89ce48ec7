#include "formula/numeric/TERNMathVar.h"

namespace kq {

const CTERNMathVar* FindMathVar(const std::vector<CTERNMathVar>& list, std::u16string_view name)
{
    for (const auto& var : list)
        if (var.strVarName == name) return &var;
    return nullptr;
}

}  // namespace kq
