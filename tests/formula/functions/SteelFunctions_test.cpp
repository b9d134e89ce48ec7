#include <gtest/gtest.h>

#include "FormulaRows.h"

namespace kq {
namespace {

using test::CFormulaRow;
using test::CheckRows;

TEST(SteelFunctions, LookupsAndRefusals)
{
    const CFormulaRow rows[] = {
        {u"strd(10)", u"TRUE"},
        {u"strd(11)", u"FALSE"},
        {u"strd(10.7)", u"TRUE"},  // read as the integer 10
        {u"strd(-6)", u"FALSE"},
        {u"stor(10)", u"11.3"},
        {u"stir(10)", u"9.3"},
        {u"stds(10)", u"0.617"},
        {u"stds(50)", u"15.41"},
        {u"stds(6)", u"0.222"},
        {u"stds(14)", u"1.21"},
        {u"stin90(10,1)", u"10.5"},
        {u"stin90(10,4)", u"0"},
        {u"stin90(6,1)", u"-1"},
        {u"stin135(20,2)", u"15.8"},
        {u"stin135(50,3)", u"42.9"},
        {u"stin180(10,1)", u"6.3"},
        {u"stin180(10,2)", u"0"},
        {u"stde45(10,1)", u"-1"},
        {u"stde45(10,2)", u"0.5"},
        {u"stde45(10,4)", u"-1"},
        {u"stde90(10,1)", u"0.8"},
        {u"stde90(25,1)", u"-1"},
        {u"stde90(25,3)", u"3.2"},
        {u"stde90m(25,4)", u"11.3"},
        {u"stde90m(8,1)", u"3.6"},
        {u"stor(11)", u"非标准钢筋直径", kAnalyseBadArgument},
        {u"stir(0)", u"非标准钢筋直径", kAnalyseBadArgument},
        {u"stds(-2147483647)", u"非标准钢筋直径", kAnalyseBadArgument},
        {u"stin90(10,5)", u"第二个参数钢筋等级必须为1～4", kAnalyseBadArgument},
        {u"stde90m(10,0)", u"第二个参数钢筋等级必须为1～4", kAnalyseBadArgument},
        {u"stin90(11,5)", u"非标准钢筋直径", kAnalyseBadArgument},  // the diameter is tested first
        {u"stde45(\"x\",1)", u"非标准钢筋直径", kAnalyseBadArgument},
    };
    CheckRows(rows);
}

}  // namespace
}  // namespace kq
