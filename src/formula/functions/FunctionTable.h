// The formula function library as one table: dispatch, the help reference
// and the tests all read it.
#pragma once

#include <span>
#include <string_view>

namespace kq {

class CTERNBaseStringAnalyse;
class CTERNOperateVar;

// Computes one call. The argument count has already been checked against
// the entry; the function reads its arguments through the engine's readers
// (node[i] is the value-list index of argument i), stores its result in the
// node and returns 0, or records a message and returns a result code.
using FormulaFunction = int (*)(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node);

inline constexpr int kOneOrMoreArguments = -1;

struct CFunctionInfo {
    std::u16string_view m_strName;         // lower case
    int m_nArgCount;                        // fixed count, or kOneOrMoreArguments
    FormulaFunction m_pfnFunction;
    std::u16string_view m_strCategory;      // e.g. u"逻辑与数学函数"
    std::u16string_view m_strArguments;     // e.g. u"text s, int n"
    std::u16string_view m_strResult;        // e.g. u"文本"
    std::u16string_view m_strDescription;   // one Chinese sentence
    std::u16string_view m_strExample;       // a formula and its result, e.g. u"left(\"abc\",2) → \"ab\""
};

// Each family's entries (defined beside their functions).
std::span<const CFunctionInfo> LogicMathFunctions();   // 36
std::span<const CFunctionInfo> TextFunctions();        // 35
std::span<const CFunctionInfo> FileTimeFunctions();    // 27
std::span<const CFunctionInfo> SteelFunctions();       // 10
std::span<const CFunctionInfo> FileMetaFunctions();    // 8
std::span<const CFunctionInfo> RegexFunctions();       // 4

// All 120 entries in documentation order, and the look-up by lower-case name.
std::span<const CFunctionInfo> FunctionTable();
const CFunctionInfo* FindFunction(std::u16string_view lowerName);

// n! in 32-bit arithmetic (the low 32 bits; 1 for n <= 1), computed without
// recursion. Defined with the logic and math functions.
int Base_fact(int n);

}  // namespace kq
