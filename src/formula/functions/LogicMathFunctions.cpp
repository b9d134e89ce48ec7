// Logical and numeric functions of the formula language.
#include <cmath>
#include <cstdint>

#include "formula/engine/TERNBaseStringAnalyse.h"
#include "formula/functions/FunctionTable.h"
#include "formula/functions/TextFunctionSupport.h"
#include "platform/Crt.h"

namespace kq {

namespace {

// The program's own approximation of pi; results such as asin(1) =
// 90.0000015 depend on it.
constexpr double kPi = 3.1415926;
constexpr double kRadToDeg = 57.295780490442965;

using fn::Refuse;
using fn::SetReal;

int SetInt(CTERNOperateVar& node, int value, int kind = OVT_INT)
{
    node.m_nValue = value;
    node.m_nType = kind;
    return 0;
}

// One real argument in, one real out.
template <double (*F)(double)>
int RealFunction(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    return SetReal(node, F(x));
}

double Radians(double x) { return x * kPi / 180; }
double Degrees(double x) { return x * 180 / kPi; }
double Sin(double x) { return std::sin(x * kPi / 180); }
double Cos(double x) { return std::cos(x * kPi / 180); }
double Atan(double x) { return std::atan(x) * kRadToDeg; }
double Abs(double x) { return std::fabs(x); }
double Pow2(double x) { return x * x; }
double Pow3(double x) { return x * x * x; }
double Area(double r) { return kPi * r * r; }
double Floor(double x) { return std::floor(x); }
double Ceil(double x) { return std::ceil(x); }
double Exp(double x) { return std::exp(x); }
// Truncation through a 32-bit integer, as the original arithmetic does;
// out of range and NaN give INT_MIN without undefined behaviour.
double Int(double x) { return static_cast<double>(DoubleToInt(x)); }

int FnIf(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    int condition = 0;
    if (int code = engine.GetOValue(condition, node[0])) return code;
    const CTERNOperateVar* chosen = engine.GetValueNode(node[condition ? 1 : 2]);
    if (!chosen) return SetInt(node, 0, OVT_NONE);
    node.m_nType = chosen->m_nType;
    node.m_strValue = chosen->m_strValue;
    node.m_dValue = chosen->m_dValue;
    node.m_nValue = chosen->m_nValue;
    return 0;
}

int FnTrue(CTERNBaseStringAnalyse&, CTERNOperateVar& node) { return SetInt(node, 1, OVT_BOOL); }
int FnFalse(CTERNBaseStringAnalyse&, CTERNOperateVar& node) { return SetInt(node, 0, OVT_BOOL); }

int FnNot(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    int value = 0;
    if (int code = engine.GetOValue(value, node[0])) return code;
    return SetInt(node, value == 0 ? 1 : 0, OVT_BOOL);
}

// Every argument is read, even after the result is decided.
template <bool kAnd>
int FnAndOr(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    bool result = kAnd;
    for (int i = 0; i < node.GetParamSize(); ++i) {
        int value = 0;
        if (int code = engine.GetOValue(value, node[i])) return code;
        if (kAnd && value == 0) result = false;
        if (!kAnd && value != 0) result = true;
    }
    return SetInt(node, result ? 1 : 0, OVT_BOOL);
}

int FnPi(CTERNBaseStringAnalyse&, CTERNOperateVar& node) { return SetReal(node, kPi); }

int FnTan(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    double rest = x - 180 * std::trunc(x / 180);
    if (rest == 90.0 || rest == -90.0) return Refuse(engine, u"tan函数的参数不能为κπ＋π/2");
    return SetReal(node, std::tan(x * kPi / 180));
}

int FnAsin(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (x < -1 || x > 1) return Refuse(engine, u"asin函数的参数必须位于区间[-1,1]");
    return SetReal(node, std::asin(x) * kRadToDeg);
}

int FnAcos(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (x < -1 || x > 1) return Refuse(engine, u"acos函数的参数必须位于区间[-1,1]");
    return SetReal(node, std::acos(x) * kRadToDeg);
}

int FnSqrt(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (x < 0) return Refuse(engine, u"sqrt函数的参数必须大于或等于0");
    return SetReal(node, std::sqrt(x));
}

int FnPow(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    double y = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (int code = engine.GetDValue(y, node[1])) return code;
    return SetReal(node, std::pow(x, y));
}

int FnLog(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (x <= 0) return Refuse(engine, u"log函数的参数必须大于0");
    return SetReal(node, std::log(x));
}

int FnLog10(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (x <= 0) return Refuse(engine, u"log10函数的参数必须大于0");
    return SetReal(node, std::log10(x));
}

int FnFact(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    int n = 0;
    if (int code = engine.GetIValue(n, node[0])) return code;
    return SetInt(node, Base_fact(n));
}

int FnMod(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    int a = 0;
    int b = 0;
    if (int code = engine.GetIValue(a, node[0])) return code;
    if (int code = engine.GetIValue(b, node[1])) return code;
    if (b == 0) return Refuse(engine, u"mod函数除数不得为0");
    // INT_MIN % -1 traps on x86; its remainder is 0.
    if (b == -1) return SetInt(node, 0);
    return SetInt(node, a % b);
}

int FnRand(CTERNBaseStringAnalyse&, CTERNOperateVar& node)
{
    // The runtime's classic generator, never seeded: the same sequence on
    // every run, integers 0 to 32767.
    thread_local std::uint32_t state = 1;
    state = state * 214013u + 2531011u;
    int value = static_cast<int>((state >> 16) & 0x7FFF);
    return SetReal(node, value / 32767.0);
}

double TenPower(int n) { return std::pow(10.0, static_cast<double>(n)); }

// round and trunc: x scaled to n decimals, offset, cut to an integer and
// scaled back; a negative n is refused with the function's message.
int CutToDecimals(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, double offset, std::u16string_view refusal)
{
    double x = 0.0;
    int n = 0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    if (int code = engine.GetIValue(n, node[1])) return code;
    if (n < 0) return Refuse(engine, refusal);
    double scale = TenPower(n);
    return SetReal(node, DoubleToInt(x * scale + offset) / scale);
}

int FnRound(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    return CutToDecimals(engine, node, 0.5, u"round函数小数位数不能为负数");
}

int FnTrunc(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    return CutToDecimals(engine, node, 0.0, u"trunc函数小数位数不能为负数");
}

int FnSign(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double x = 0.0;
    if (int code = engine.GetDValue(x, node[0])) return code;
    return SetInt(node, x < 0 ? -1 : (x > 0 ? 1 : 0));
}

// max/min: a later argument replaces the value only when strictly beyond it.
template <bool kMax>
int FnMaxMin(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double best = 0.0;
    if (int code = engine.GetDValue(best, node[0])) return code;
    for (int i = 1; i < node.GetParamSize(); ++i) {
        double x = 0.0;
        if (int code = engine.GetDValue(x, node[i])) return code;
        if (kMax ? x > best : x < best) best = x;
    }
    return SetReal(node, best);
}

int FnAverage(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    double sum = 0.0;
    for (int i = 0; i < node.GetParamSize(); ++i) {
        double x = 0.0;
        if (int code = engine.GetDValue(x, node[i])) return code;
        sum += x;
    }
    return SetReal(node, sum / node.GetParamSize());
}

constexpr std::u16string_view kCategory = u"逻辑与数学函数";
constexpr std::u16string_view kLogical = u"逻辑值";
constexpr std::u16string_view kReal = u"实数";
constexpr std::u16string_view kInteger = u"整数";

constexpr CFunctionInfo kLogicMathFunctions[] = {
    {u"if", 3, FnIf, kCategory, u"bool c, any a, any b", u"同所选参数", u"条件为真时取第二个参数，否则取第三个参数，未选中的参数不计算。", u"if(1>2,\"大\",\"小\") → \"小\""},
    {u"true", 0, FnTrue, kCategory, u"", kLogical, u"返回逻辑真。", u"true() → TRUE"},
    {u"false", 0, FnFalse, kCategory, u"", kLogical, u"返回逻辑假。", u"false() → FALSE"},
    {u"not", 1, FnNot, kCategory, u"bool b", kLogical, u"参数为假时返回真，否则返回假。", u"not(0) → TRUE"},
    {u"and", kOneOrMoreArguments, FnAndOr<true>, kCategory, u"bool b1, bool b2, ...", kLogical, u"所有参数都为真时返回真，遇到假的参数即停止计算。", u"and(1,0,1) → FALSE"},
    {u"or", kOneOrMoreArguments, FnAndOr<false>, kCategory, u"bool b1, bool b2, ...", kLogical, u"任一参数为真时返回真，遇到真的参数即停止计算。", u"or(0,0,1) → TRUE"},
    {u"pi", 0, FnPi, kCategory, u"", kReal, u"返回圆周率的近似值3.1415926。", u"pi() → 3.1415926"},
    {u"radians", 1, RealFunction<Radians>, kCategory, u"real x", kReal, u"将角度转换为弧度。", u"radians(180) → 3.1415926"},
    {u"degrees", 1, RealFunction<Degrees>, kCategory, u"real x", kReal, u"将弧度转换为角度。", u"degrees(3.1415926) → 180"},
    {u"sin", 1, RealFunction<Sin>, kCategory, u"real x", kReal, u"返回角度x的正弦值。", u"sin(30) → 0.5"},
    {u"cos", 1, RealFunction<Cos>, kCategory, u"real x", kReal, u"返回角度x的余弦值。", u"cos(60) → 0.5"},
    {u"tan", 1, FnTan, kCategory, u"real x", kReal, u"返回角度x的正切值，x不能为90的奇数倍。", u"tan(45) → 1"},
    {u"asin", 1, FnAsin, kCategory, u"real x", kReal, u"返回x的反正弦值（角度），x须位于[-1,1]。", u"asin(0.5) → 30.0000005"},
    {u"acos", 1, FnAcos, kCategory, u"real x", kReal, u"返回x的反余弦值（角度），x须位于[-1,1]。", u"acos(1) → 0"},
    {u"atan", 1, RealFunction<Atan>, kCategory, u"real x", kReal, u"返回x的反正切值（角度）。", u"atan(0) → 0"},
    {u"abs", 1, RealFunction<Abs>, kCategory, u"real x", kReal, u"返回x的绝对值。", u"abs(-2.5) → 2.5"},
    {u"sqrt", 1, FnSqrt, kCategory, u"real x", kReal, u"返回x的平方根，x不能为负数。", u"sqrt(16) → 4"},
    {u"pow2", 1, RealFunction<Pow2>, kCategory, u"real x", kReal, u"返回x的平方。", u"pow2(3) → 9"},
    {u"pow3", 1, RealFunction<Pow3>, kCategory, u"real x", kReal, u"返回x的立方。", u"pow3(2) → 8"},
    {u"pow", 2, FnPow, kCategory, u"real x, real y", kReal, u"返回x的y次方。", u"pow(2,10) → 1024"},
    {u"area", 1, RealFunction<Area>, kCategory, u"real r", kReal, u"返回半径为r的圆的面积。", u"area(1) → 3.1415926"},
    {u"floor", 1, RealFunction<Floor>, kCategory, u"real x", kReal, u"返回不大于x的最大整数。", u"floor(-3.7) → -4"},
    {u"ceil", 1, RealFunction<Ceil>, kCategory, u"real x", kReal, u"返回不小于x的最小整数。", u"ceil(3.2) → 4"},
    {u"int", 1, RealFunction<Int>, kCategory, u"real x", kReal, u"将x向零方向截为整数。", u"int(-3.7) → -3"},
    {u"exp", 1, RealFunction<Exp>, kCategory, u"real x", kReal, u"返回e的x次方。", u"exp(0) → 1"},
    {u"log", 1, FnLog, kCategory, u"real x", kReal, u"返回x的自然对数，x须大于0。", u"log(1) → 0"},
    {u"log10", 1, FnLog10, kCategory, u"real x", kReal, u"返回x的常用对数，x须大于0。", u"log10(100) → 2"},
    {u"fact", 1, FnFact, kCategory, u"int n", kInteger, u"返回n的阶乘（32位整数）。", u"fact(5) → 120"},
    {u"mod", 2, FnMod, kCategory, u"int a, int b", kInteger, u"返回a除以b的余数，符号与a相同，b不能为0。", u"mod(-7,3) → -1"},
    {u"rand", 0, FnRand, kCategory, u"", kReal, u"返回0到1之间的伪随机数。", u"rand() → 0.0012513"},
    {u"round", 2, FnRound, kCategory, u"real x, int n", kReal, u"将x四舍五入到n位小数，n不能为负数。", u"round(3.76,1) → 3.8"},
    {u"trunc", 2, FnTrunc, kCategory, u"real x, int n", kReal, u"将x截断到n位小数，n不能为负数。", u"trunc(3.789,2) → 3.78"},
    {u"sign", 1, FnSign, kCategory, u"real x", kInteger, u"x为负数返回-1，为0返回0，为正数返回1。", u"sign(-2) → -1"},
    {u"max", kOneOrMoreArguments, FnMaxMin<true>, kCategory, u"real x1, real x2, ...", kReal, u"返回各参数中的最大值。", u"max(1,\"7\",3) → 7"},
    {u"min", kOneOrMoreArguments, FnMaxMin<false>, kCategory, u"real x1, real x2, ...", kReal, u"返回各参数中的最小值。", u"min(4,2,8) → 2"},
    {u"average", kOneOrMoreArguments, FnAverage, kCategory, u"real x1, real x2, ...", kReal, u"返回各参数的平均值。", u"average(1,2) → 1.5"},
};

}  // namespace

int Base_fact(int n)
{
    // Iterative, in unsigned arithmetic: the low 32 bits of n!.
    std::uint32_t product = 1;
    for (int i = 2; i <= n; ++i) {
        product *= static_cast<std::uint32_t>(i);
        if (product == 0) break;  // from 34! on every further product stays 0
    }
    return static_cast<int>(product);
}

std::span<const CFunctionInfo> LogicMathFunctions() { return kLogicMathFunctions; }

}  // namespace kq
