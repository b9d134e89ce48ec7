#include "formula/numeric/GetValFromString.h"

#include <cmath>
#include <iterator>

#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {

namespace {

// The constants of the function table are the ones users have always got.
constexpr double kDegreePi = 3.1415926;
constexpr double kAreaPi = 3.1415;
// From 2^52 on every double is a whole number: "%f" writes it exactly.
constexpr double kExactlyWritten = 4503599627370496.0;

constexpr bool IsOperator(char16_t c) { return c == u'^' || c == u'*' || c == u'/' || c == u'+' || c == u'-'; }

// Characters that end a function name when reading back from its "(".
constexpr bool EndsName(char16_t c) { return IsOperator(c) || c == u'(' || c == u','; }

constexpr bool MayFollowBracket(char16_t c) { return c == u')' || IsOperator(c) || c == u','; }

// A bracket's value as it goes back into the text. A negative value is
// written "[abs]" so its minus sign is not read as an operator; negative
// zero is plain zero for the same reason.
std::u16string ValueText(double value)
{
    if (value < 0) return u"[" + FormatFixed(-value, 6) + u"]";
    return FormatFixed(value == 0 ? 0.0 : value, 6);
}

// Part n (0-based) of a comma-separated text; a missing or empty part is "0".
std::u16string_view CommaPart(std::u16string_view text, int n)
{
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        size_t comma = text.find(u',', start);
        if (comma == std::u16string_view::npos) return u"0";
        start = comma + 1;
    }
    size_t end = text.find(u',', start);
    std::u16string_view part = text.substr(start, end == std::u16string_view::npos ? std::u16string_view::npos : end - start);
    return part.empty() ? u"0" : part;
}

using MathFunction = EGetValResult (*)(double x, double& value);

EGetValResult Finite(double result, double& value)
{
    if (!std::isfinite(result)) return kGetValOutOfDomain;
    value = result;
    return kGetValOk;
}

EGetValResult FnSin(double x, double& v) { return Finite(std::sin(x * kDegreePi / 180), v); }
EGetValResult FnCos(double x, double& v) { return Finite(std::cos(x * kDegreePi / 180), v); }
EGetValResult FnTan(double x, double& v)
{
    if (std::fabs(std::fmod(x, 180.0)) == 90.0) return kGetValOutOfDomain;
    return Finite(std::tan(x * kDegreePi / 180), v);
}
EGetValResult FnSqrt(double x, double& v) { return x < 0 ? kGetValOutOfDomain : Finite(std::sqrt(x), v); }
EGetValResult FnAcos(double x, double& v) { return (x < -1 || x > 1) ? kGetValOutOfDomain : Finite(std::acos(x), v); }
EGetValResult FnAsin(double x, double& v) { return (x < -1 || x > 1) ? kGetValOutOfDomain : Finite(std::asin(x), v); }
EGetValResult FnAtan(double x, double& v) { return Finite(std::atan(x), v); }
EGetValResult FnCosh(double x, double& v) { return Finite(std::cosh(x), v); }
EGetValResult FnSinh(double x, double& v) { return Finite(std::sinh(x), v); }
EGetValResult FnTanh(double x, double& v) { return Finite(std::tanh(x), v); }
EGetValResult FnArea(double x, double& v) { return Finite(x * x * kAreaPi, v); }
EGetValResult FnExp(double x, double& v) { return Finite(std::exp(x), v); }
EGetValResult FnFabs(double x, double& v) { return Finite(std::fabs(x), v); }
EGetValResult FnFloor(double x, double& v) { return Finite(std::floor(x), v); }
EGetValResult FnInt(double x, double& v) { return Finite(std::trunc(x), v); }
EGetValResult FnLog(double x, double& v) { return Finite(std::log(x), v); }
EGetValResult FnLog10(double x, double& v) { return Finite(std::log10(x), v); }
EGetValResult FnDtor(double x, double& v) { return Finite(x * kDegreePi / 180, v); }
EGetValResult FnRtod(double x, double& v) { return Finite(x * 180 / kDegreePi, v); }
EGetValResult FnPow2(double x, double& v) { return Finite(x * x, v); }
EGetValResult FnPow3(double x, double& v) { return Finite(x * x * x, v); }

struct CMathFunctionEntry {
    std::u16string_view m_strName;  // lower case
    MathFunction m_pfnFunction;
};

constexpr CMathFunctionEntry kFunctions[] = {
    {u"sin", FnSin},     {u"cos", FnCos},     {u"tan", FnTan},     {u"sqrt", FnSqrt},   {u"acos", FnAcos},
    {u"asin", FnAsin},   {u"atan", FnAtan},   {u"cosh", FnCosh},   {u"sinh", FnSinh},   {u"tanh", FnTanh},
    {u"area", FnArea},   {u"exp", FnExp},     {u"fabs", FnFabs},   {u"floor", FnFloor}, {u"int", FnInt},
    {u"log", FnLog},     {u"log10", FnLog10}, {u"dtor", FnDtor},   {u"rtod", FnRtod},   {u"pow2", FnPow2},
    {u"pow3", FnPow3},
};

EGetValResult ApplyOperator(char16_t op, double left, double right, double& value)
{
    double result = 0;
    switch (op) {
    case u'^': result = std::pow(left, right); break;
    case u'*': result = left * right; break;
    case u'/':
        if (right == 0) return kGetValDivideByZero;
        result = left / right;
        break;
    case u'+': result = left + right; break;
    default: result = left - right; break;
    }
    if (!std::isfinite(result)) return kGetValBadNumber;
    value = RoundToSixDecimals(result);
    return kGetValOk;
}

}  // namespace

double RoundToSixDecimals(double value)
{
    // Whole numbers are written exactly; the row numbers take this path.
    if (!std::isfinite(value) || std::fabs(value) >= kExactlyWritten || value == std::trunc(value)) return value;
    return Atof(FormatFixedA(value, 6));
}

int CGetValFromString::SetVarList(const std::vector<CTERNMathVar>& list)
{
    m_aVarList = list;
    return list.empty() ? 0 : 1;
}

EGetValResult CGetValFromString::GetValue(std::u16string_view expression, double& value)
{
    size_t begin = 0;
    size_t end = expression.size();
    while (begin < end && IsAsciiSpace(expression[begin])) ++begin;
    while (end > begin && IsAsciiSpace(expression[end - 1])) --end;
    if (begin == end) return kGetValEmpty;

    std::u16string text;
    text.reserve(end - begin);
    for (size_t i = begin; i < end; ++i)
        if (expression[i] != u' ') text.push_back(expression[i]);
    if (text.find_first_of(u"[{") != std::u16string::npos) return kGetValBadCharacter;

    long long depth = 0;
    for (char16_t c : text) {
        if (c == u'(') ++depth;
        if (c == u')' && --depth < 0) return kGetValUnbalanced;
    }
    if (depth != 0) return kGetValUnbalanced;
    if (text.find(u'(') == std::u16string::npos) {
        double result = 0;
        EGetValResult code = EvaluateFlat(text, result);
        if (code == kGetValOk) value = result;
        return code;
    }

    // Brackets are rewritten in the order of their ")": what lies left of
    // the current ")" is already rewritten text, so one pass with a stack of
    // the open brackets gives the same text as searching the first ")" anew
    // each time, in linear time.
    std::u16string rewritten;
    rewritten.reserve(text.size());
    std::vector<size_t> opens;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c == u'(') {
            opens.push_back(rewritten.size());
            rewritten.push_back(c);
            continue;
        }
        if (c != u')') {
            rewritten.push_back(c);
            continue;
        }
        if (i + 1 < text.size() && !MayFollowBracket(text[i + 1])) return kGetValBadAfterBracket;
        if (opens.empty()) return kGetValUnbalanced;
        size_t open = opens.back();
        opens.pop_back();
        double inner = 0;
        EGetValResult code = EvaluateFlat(std::u16string_view(rewritten).substr(open + 1), inner);
        if (code != kGetValOk) return code;
        size_t nameStart = open;
        while (nameStart > 0 && !EndsName(rewritten[nameStart - 1])) --nameStart;
        if (nameStart < open) {
            code = ApplyFunction(std::u16string_view(rewritten).substr(nameStart, open - nameStart), inner, inner);
            if (code != kGetValOk) return code;
        }
        rewritten.resize(nameStart);
        rewritten += ValueText(inner);
    }

    double result = 0;
    EGetValResult code = EvaluateFlat(rewritten, result);
    if (code != kGetValOk) return code;
    value = result;
    return kGetValOk;
}

EGetValResult CGetValFromString::EvaluateFlat(std::u16string_view flat, double& value)
{
    std::u16string rewritten;
    std::u16string_view text = flat;
    if (flat.find(u',') != std::u16string_view::npos) {
        // Degrees, minutes, seconds.
        rewritten.append(CommaPart(flat, 0)).append(u"+").append(CommaPart(flat, 1)).append(u"/60+");
        rewritten.append(CommaPart(flat, 2)).append(u"/3600");
        text = rewritten;
    }
    if (!text.empty() && (text[0] == u'-' || text[0] == u'+')) {
        rewritten = u"0" + std::u16string(text);
        text = rewritten;
    }

    if (text.empty()) return kGetValNoOperand;
    if (text[0] == u'*' || text[0] == u'/' || text[0] == u'^' || IsOperator(text.back()))
        return kGetValMisplacedOperator;
    for (size_t i = 0; i + 1 < text.size(); ++i)
        if (IsOperator(text[i]) && IsOperator(text[i + 1])) return kGetValMisplacedOperator;

    std::vector<double> operands;
    std::u16string operators;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsOperator(text[i])) continue;
        double operand = 0;
        EGetValResult code = ReadOperand(text.substr(start, i - start), operand);
        if (code != kGetValOk) return code;
        if (i == text.size() && operands.empty()) {
            value = operand;  // a lone operand: nothing to reduce
            return kGetValOk;
        }
        operands.push_back(operand);
        if (i < text.size()) operators.push_back(text[i]);
        start = i + 1;
    }

    // One left-to-right pass per level: the same steps, in the same order,
    // as taking the leftmost operator of the highest level each time.
    for (std::u16string_view level : {std::u16string_view(u"^"), std::u16string_view(u"*/"), std::u16string_view(u"+-")}) {
        std::vector<double> keptOperands{operands.front()};
        std::u16string keptOperators;
        for (size_t k = 0; k < operators.size(); ++k) {
            if (level.find(operators[k]) == std::u16string_view::npos) {
                keptOperators.push_back(operators[k]);
                keptOperands.push_back(operands[k + 1]);
                continue;
            }
            if (k + 1 >= operands.size()) return kGetValMissingOperand;
            EGetValResult code = ApplyOperator(operators[k], keptOperands.back(), operands[k + 1], keptOperands.back());
            if (code != kGetValOk) return code;
        }
        operands.swap(keptOperands);
        operators.swap(keptOperators);
    }
    value = operands.back();
    return kGetValOk;
}

EGetValResult CGetValFromString::ReadOperand(std::u16string_view operand, double& value)
{
    m_strCurrent.assign(operand);
    if (operand.empty()) return kGetValNoOperand;
    if (operand.size() >= 2 && operand.front() == u'[' && operand.back() == u']') {
        value = -Wtof(operand.substr(1, operand.size() - 2));
        return kGetValOk;
    }
    if (IsAsciiLetter(operand.front())) {
        const CTERNMathVar* var = FindMathVar(m_aVarList, operand);
        if (!var) return kGetValUnknownVariable;
        if (!std::isfinite(var->dVarValue)) return kGetValBadNumber;
        value = RoundToSixDecimals(var->dVarValue);
        return kGetValOk;
    }
    size_t i = operand.front() == u'-' ? 1 : 0;
    int digits = 0;
    int points = 0;
    int exponents = 0;
    for (; i < operand.size(); ++i) {
        char16_t c = operand[i];
        if (IsAsciiDigit(c)) ++digits;
        else if (c == u'.') ++points;
        else if (c == u'e' || c == u'E') ++exponents;
        else return kGetValBadNumber;
    }
    if (digits == 0 || points > 1 || exponents > 1) return kGetValBadNumber;
    value = Wtof(operand);
    // "1e999" has no finite value to carry on with.
    return std::isfinite(value) ? kGetValOk : kGetValBadNumber;
}

EGetValResult CGetValFromString::ApplyFunction(std::u16string_view name, double x, double& value)
{
    m_strCurrent.assign(name);
    std::u16string lower = ToAsciiLower(name);
    for (const auto& entry : kFunctions)
        if (entry.m_strName == lower) return entry.m_pfnFunction(x, value);
    return kGetValUnknownFunction;
}

}  // namespace kq
