#include "renamer/templates/MacroRules.h"

#include <string_view>

namespace kq {

namespace {

// Two of the lines carry an extra line feed before their line end.
constexpr std::u16string_view kRuleLines[] = {
    u"【0】表达式控制规则",
    u"表达式控制格式为{控制参数;控制字符}，控制参数与控制字符以分号隔开，格式中包含多个控制参数时，"
    u"控制参数间用逗号隔开，例如{t=1,l=5;F}表示取原文件名称的前5个字符，且转为大写格式",
    u"",
    u"",
    u"【1】控制字符说明",
    u"【1.1】字符串控制字符",
    u"{F}：文件名称；例如\"C:\\Path\\Code.txt\"得到Code",
    u"{E}：文件后缀；例如\"C:\\Path\\Code.txt\"得到txt",
    u"{P}：文件路径；例如\"C:\\Path\\Code.txt\"得到Path",
    u"{H}：文件盘符；例如\"C:\\Path\\Code.txt\"得到C",
    u"",
    u"【1.2】整数控制字符",
    u"{I}：文件序号；文件列表中文件的总序号，从1开始",
    u"{L}：目录序号；文件列表中文件的目录序号，从1开始",
    u"{N}：目录子号；文件在所在目录中的子序号，从1开始",
    u"{C}：文件个数；文件列表中文件的总个数",
    u"",
    u"",
    u"【2】控制参数说明",
    u"【2.1】字符串控制参数",
    u"s=2：从左往右删除2个字符\n",
    u"s=\"ab\"：从左往右删除，直到删除第一个\"ab\"为止",
    u"e=5：从右往左删除5个字符\n",
    u"e=\"cd\"：从右往左删除，直到删除第一个\"cd\"为止",
    u"l=2：取左边2个字符",
    u"r=3：取右边3个字符",
    u"m=3.5：从左边第3个字符开始取5个字符",
    u"t=1：将字符串转为大写",
    u"t=2：将字符串转为小写",
    u"",
    u"【2.2】整数控制参数",
    u"v=1：转换为整数",
    u"v=2：转换为实数",
    u"d=1：阿拉伯数字表示",
    u"d=2：大写罗马表示",
    u"d=3：小写罗马表示",
    u"d=4：大写中文表示",
    u"d=5：小写中文表示",
    u"d=6：大写字母表示",
    u"d=7：小写字母表示",
    u"l=2：实数时表示2位小数，整数时表示2位数例如03",
    u"a=1：自动删除小数后导0",
};

}  // namespace

std::u16string MacroRulesText()
{
    std::u16string text;
    for (std::u16string_view line : kRuleLines) {
        text.append(line);
        text.append(u"\r\n");
    }
    return text;
}

}  // namespace kq
