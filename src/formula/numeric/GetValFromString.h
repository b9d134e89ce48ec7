// The numeric evaluator of control expressions: numbers, named real
// variables, ^ * / + -, round brackets, one-argument functions and the
// degrees,minutes,seconds shorthand ("30,30" is 30.5).
//
// It rewrites the text: every innermost bracket is evaluated and replaced by
// its value written with six decimals (a negative one as "[abs]"), and the
// flat remainder is reduced operator by operator, each step's result again
// written with six decimals. So 1/3*3 is 0.999999 and every level of
// operators groups from the left (2^3^2 is 64).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "formula/numeric/TERNMathVar.h"

namespace kq {

// Result codes of GetValue (0 is success).
enum EGetValResult {
    kGetValOk = 0,
    kGetValUnbalanced = -1,         // unbalanced round brackets
    kGetValMisplacedOperator = -2,  // * / ^ first, two operators in a row, operator last
    kGetValNoOperand = -3,
    kGetValUnknownVariable = -4,
    kGetValBadNumber = -5,          // malformed number, or a value too large for a number
    kGetValMissingOperand = -6,
    kGetValDivideByZero = -7,
    kGetValUnknownFunction = -8,
    kGetValOutOfDomain = -9,        // function argument outside its domain
    kGetValBadAfterBracket = -10,   // ")" followed by other than ) * / + - ^ ,
    kGetValBadCharacter = -12,      // "[" or "{" in the text
    kGetValEmpty = -13,
};

class CGetValFromString {
public:
    CGetValFromString() = default;
    CGetValFromString(const CGetValFromString&) = default;
    CGetValFromString& operator=(const CGetValFromString&) = default;
    virtual ~CGetValFromString() = default;

    // Replaces the variables by a copy of `list`: 1, or 0 for an empty list.
    int SetVarList(const std::vector<CTERNMathVar>& list);
    // 0 and the value, or a negative EGetValResult (value untouched).
    // Infinite or undefined intermediate values (1e300*1e300, log(0)) fail
    // with kGetValBadNumber, or kGetValOutOfDomain for a function.
    EGetValResult GetValue(std::u16string_view expression, double& value);

    std::u16string m_strCurrent;  // the token last read, for diagnostics
    std::vector<CTERNMathVar> m_aVarList;

private:
    EGetValResult EvaluateFlat(std::u16string_view text, double& value);
    EGetValResult ReadOperand(std::u16string_view operand, double& value);
    EGetValResult ApplyFunction(std::u16string_view name, double x, double& value);
};

// value written with "%f" and read back: the rounding of every step.
double RoundToSixDecimals(double value);

}  // namespace kq
