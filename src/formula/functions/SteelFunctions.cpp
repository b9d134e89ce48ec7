// Steel-bar functions of the formula language, answered from the bar table.
#include "formula/functions/FunctionTable.h"
#include "formula/functions/SteelTable.h"
#include "formula/functions/TextFunctionSupport.h"

namespace kq {

using namespace fn;

namespace {

constexpr std::u16string_view kNotStandard = u"非标准钢筋直径";
constexpr std::u16string_view kBadGrade = u"第二个参数钢筋等级必须为1～4";

int FnStrd(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int d = 0;
    if (int rc = ReadInt(e, node, 0, d)) return rc;
    return SetBool(node, CTERNSteelPropInfo::IsStandRadio(d) != 0);
}

enum class ESize { Outer, Inner, Density };

template <ESize size>
int FnSize(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int d = 0;
    if (int rc = ReadInt(e, node, 0, d)) return rc;
    if (!CTERNSteelPropInfo::IsStandRadio(d)) return Refuse(e, kNotStandard);
    CTERNSteelPropInfo info;
    const double diameter = d;
    switch (size) {
    case ESize::Outer: return SetReal(node, info.GetOutRadio(diameter));
    case ESize::Inner: return SetReal(node, info.GetIntRadio(diameter));
    case ESize::Density: return SetReal(node, info.GetDensity(diameter));
    }
    return SetReal(node, 0);
}

// Reads diameter and 1-based grade and tests them, the diameter first.
int ReadBarAndGrade(CTERNBaseStringAnalyse& e, CTERNOperateVar& node, int& d, int& grade)
{
    if (int rc = ReadInt(e, node, 0, d)) return rc;
    if (int rc = ReadInt(e, node, 1, grade)) return rc;
    if (!CTERNSteelPropInfo::IsStandRadio(d)) return Refuse(e, kNotStandard);
    if (grade < 1 || grade > 4) return Refuse(e, kBadGrade);
    return 0;
}

template <int angle>
int FnIncrease(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int d = 0, grade = 0;
    if (int rc = ReadBarAndGrade(e, node, d, grade)) return rc;
    return SetReal(node, CTERNSteelPropInfo().GetIncrease(grade - 1, d, angle));
}

template <int angle, int large>
int FnDecrease(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int d = 0, grade = 0;
    if (int rc = ReadBarAndGrade(e, node, d, grade)) return rc;
    return SetReal(node, CTERNSteelPropInfo().GetDecrease(grade - 1, d, angle, large));
}

constexpr std::u16string_view kCategory = u"钢筋函数";

constexpr CFunctionInfo kSteelFunctions[] = {
    {u"strd", 1, FnStrd, kCategory, u"int d", u"逻辑", u"判断d是否为标准钢筋直径（毫米）。", u"strd(10) → TRUE"},
    {u"stor", 1, FnSize<ESize::Outer>, kCategory, u"int d", u"实数", u"返回直径为d的钢筋的外径（毫米）。", u"stor(10) → 11.3"},
    {u"stir", 1, FnSize<ESize::Inner>, kCategory, u"int d", u"实数", u"返回直径为d的钢筋的内径（毫米）。", u"stir(10) → 9.3"},
    {u"stds", 1, FnSize<ESize::Density>, kCategory, u"int d", u"实数", u"返回直径为d的钢筋每米的质量（千克）。", u"stds(10) → 0.617"},
    {u"stin90", 2, FnIncrease<90>, kCategory, u"int d, int g", u"实数", u"返回g级钢筋（1～4）90°弯钩的增加长度（厘米），-1表示无此值。",
     u"stin90(10,1) → 10.5"},
    {u"stin135", 2, FnIncrease<135>, kCategory, u"int d, int g", u"实数", u"返回g级钢筋135°弯钩的增加长度（厘米），-1表示无此值。",
     u"stin135(20,2) → 15.8"},
    {u"stin180", 2, FnIncrease<180>, kCategory, u"int d, int g", u"实数", u"返回g级钢筋180°弯钩的增加长度（厘米），-1表示无此值。",
     u"stin180(10,1) → 6.3"},
    {u"stde45", 2, FnDecrease<45, 0>, kCategory, u"int d, int g", u"实数", u"返回g级钢筋45°弯折的量度差值（厘米），-1表示无此值。",
     u"stde45(10,2) → 0.5"},
    {u"stde90", 2, FnDecrease<90, 0>, kCategory, u"int d, int g", u"实数", u"返回g级钢筋90°弯折的量度差值（厘米），-1表示无此值。",
     u"stde90(10,1) → 0.8"},
    {u"stde90m", 2, FnDecrease<90, 1>, kCategory, u"int d, int g", u"实数", u"返回g级钢筋按大弯曲直径90°弯折的量度差值（厘米）。",
     u"stde90m(25,4) → 11.3"},
};

}  // namespace

std::span<const CFunctionInfo> SteelFunctions() { return kSteelFunctions; }

}  // namespace kq
