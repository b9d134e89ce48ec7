// Result codes of the formula engine and its limits.
#pragma once

#include <cstddef>
#include <string>

namespace kq {

// Result codes of DoAnalyse and of the library functions.
enum EAnalyseCode {
    kAnalyseOk = 0,
    kAnalyseEmptyInput = 1,
    kAnalyseUnknownFunction = 2,
    kAnalyseArgumentCount = 3,
    kAnalyseBadArgument = 4,
    kAnalyseBracket = 5,
    kAnalyseBadToken = 6,
    kAnalyseQuote = 7,
    kAnalyseOperand = 8,
    kAnalyseBadNumber = 9,
    kAnalyseUnknownOperator = 10,
    // Limits that keep a formula from exhausting memory or time. Once an
    // engine object hits one, later evaluations of the same formula by it
    // fail at once with the same code: each row would hit it again.
    kAnalyseTextTooLong = 11,   // a text value beyond kMaxTextLength
    kAnalyseTooDeep = 12,       // strcal/calreplace nested beyond kMaxNestedEvaluations
    kAnalyseOutOfMemory = 13,   // an allocation failed; nothing is kept of the evaluation
    kAnalyseNothing = 99,
};

// The longest text a formula value may hold (16 M code units, 32 MB): far
// beyond any name, small enough that a few such values fit in memory.
inline constexpr size_t kMaxTextLength = 16 * 1024 * 1024;
// How deep strcal and calreplace may evaluate formulas inside formulas.
inline constexpr int kMaxNestedEvaluations = 16;
// Texts longer than this are not evaluated by strcal/calreplace: they come
// back unchanged like any text that is no formula. A formula costs about a
// kilobyte per node while it is cut and evaluated.
inline constexpr size_t kMaxNestedFormulaLength = 32767;

// The message of kAnalyseTextTooLong.
std::u16string TextTooLongMessage();

}  // namespace kq
