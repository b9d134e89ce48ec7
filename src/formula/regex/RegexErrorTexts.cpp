#include "formula/regex/RegexErrorTexts.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include "platform/Crt.h"

namespace kq {

namespace {

struct CReason {
    int m_nCode;
    const char16_t* m_pszText;
};

// Every compile error of the library, in its own order.
constexpr CReason kReasons[] = {
    {PCRE2_ERROR_END_BACKSLASH, u"末尾的“\\”后面缺少字符"},
    {PCRE2_ERROR_END_BACKSLASH_C, u"末尾的“\\c”后面缺少字符"},
    {PCRE2_ERROR_UNKNOWN_ESCAPE, u"“\\”后面是无法识别的字符"},
    {PCRE2_ERROR_QUANTIFIER_OUT_OF_ORDER, u"重复次数{m,n}中前一个数大于后一个数"},
    {PCRE2_ERROR_QUANTIFIER_TOO_BIG, u"重复次数{}中的数太大"},
    {PCRE2_ERROR_MISSING_SQUARE_BRACKET, u"字符集缺少右方括号“]”"},
    {PCRE2_ERROR_ESCAPE_INVALID_IN_CLASS, u"字符集中不能使用这个转义序列"},
    {PCRE2_ERROR_CLASS_RANGE_ORDER, u"字符集中范围的起点大于终点"},
    {PCRE2_ERROR_QUANTIFIER_INVALID, u"重复符号前面没有可以重复的内容"},
    {PCRE2_ERROR_INTERNAL_UNEXPECTED_REPEAT, u"内部错误：意外的重复"},
    {PCRE2_ERROR_INVALID_AFTER_PARENS_QUERY, u"“(?”或“(?-”后面是无法识别的字符"},
    {PCRE2_ERROR_POSIX_CLASS_NOT_IN_CLASS, u"POSIX字符类只能写在方括号中"},
    {PCRE2_ERROR_POSIX_NO_SUPPORT_COLLATING, u"不支持POSIX排序元素"},
    {PCRE2_ERROR_MISSING_CLOSING_PARENTHESIS, u"缺少右括号“)”"},
    {PCRE2_ERROR_BAD_SUBPATTERN_REFERENCE, u"引用了不存在的分组"},
    {PCRE2_ERROR_NULL_PATTERN, u"没有给出正则表达式"},
    {PCRE2_ERROR_BAD_OPTIONS, u"无法识别的编译选项"},
    {PCRE2_ERROR_MISSING_COMMENT_CLOSING, u"注释“(?#”缺少右括号“)”"},
    {PCRE2_ERROR_PARENTHESES_NEST_TOO_DEEP, u"括号嵌套太深"},
    {PCRE2_ERROR_PATTERN_TOO_LARGE, u"正则表达式编译后太大"},
    {PCRE2_ERROR_HEAP_FAILED, u"内存不足"},
    {PCRE2_ERROR_UNMATCHED_CLOSING_PARENTHESIS, u"右括号“)”没有对应的左括号"},
    {PCRE2_ERROR_INTERNAL_CODE_OVERFLOW, u"内部错误：编译结果溢出"},
    {PCRE2_ERROR_MISSING_CONDITION_CLOSING, u"条件分组的条件缺少右括号“)”"},
    {PCRE2_ERROR_LOOKBEHIND_NOT_FIXED_LENGTH, u"后顾断言的长度不固定"},
    {PCRE2_ERROR_ZERO_RELATIVE_REFERENCE, u"相对引用不能为0"},
    {PCRE2_ERROR_TOO_MANY_CONDITION_BRANCHES, u"条件分组的分支多于两个"},
    {PCRE2_ERROR_CONDITION_ASSERTION_EXPECTED, u"“(?(”或“(?(?C)”后面应是断言"},
    {PCRE2_ERROR_BAD_RELATIVE_REFERENCE, u"“(?+”或“(?-”后面应是数字"},
    {PCRE2_ERROR_UNKNOWN_POSIX_CLASS, u"未知的POSIX字符类名称"},
    {PCRE2_ERROR_INTERNAL_STUDY_ERROR, u"内部错误：分析失败"},
    {PCRE2_ERROR_UNICODE_NOT_SUPPORTED, u"正则表达式库不支持Unicode"},
    {PCRE2_ERROR_PARENTHESES_STACK_CHECK, u"括号嵌套太深（栈空间不足）"},
    {PCRE2_ERROR_CODE_POINT_TOO_BIG, u"\\x{}或\\o{}中的字符编码太大"},
    {PCRE2_ERROR_LOOKBEHIND_TOO_COMPLICATED, u"后顾断言太复杂"},
    {PCRE2_ERROR_LOOKBEHIND_INVALID_BACKSLASH_C, u"后顾断言中不能使用“\\C”"},
    {PCRE2_ERROR_UNSUPPORTED_ESCAPE_SEQUENCE, u"不支持\\F、\\L、\\l、\\N{name}、\\U和\\u"},
    {PCRE2_ERROR_CALLOUT_NUMBER_TOO_BIG, u"“(?C”后面的数大于255"},
    {PCRE2_ERROR_MISSING_CALLOUT_CLOSING, u"“(?C”缺少右括号“)”"},
    {PCRE2_ERROR_ESCAPE_INVALID_IN_VERB, u"(*…)名称中的转义序列无效"},
    {PCRE2_ERROR_UNRECOGNIZED_AFTER_QUERY_P, u"“(?P”后面是无法识别的字符"},
    {PCRE2_ERROR_MISSING_NAME_TERMINATOR, u"分组名称有误（缺少结束符号？）"},
    {PCRE2_ERROR_DUPLICATE_SUBPATTERN_NAME, u"两个分组用了同一个名称"},
    {PCRE2_ERROR_INVALID_SUBPATTERN_NAME, u"分组名称不能以数字开头"},
    {PCRE2_ERROR_UNICODE_PROPERTIES_UNAVAILABLE, u"不支持\\P、\\p和\\X"},
    {PCRE2_ERROR_MALFORMED_UNICODE_PROPERTY, u"\\P或\\p的写法有误"},
    {PCRE2_ERROR_UNKNOWN_UNICODE_PROPERTY, u"\\P或\\p后面是未知的属性"},
    {PCRE2_ERROR_SUBPATTERN_NAME_TOO_LONG, u"分组名称太长（最多32个字符）"},
    {PCRE2_ERROR_TOO_MANY_NAMED_SUBPATTERNS, u"命名分组太多（最多10000个）"},
    {PCRE2_ERROR_CLASS_INVALID_RANGE, u"字符集中的范围无效"},
    {PCRE2_ERROR_OCTAL_BYTE_TOO_BIG, u"八进制值大于\\377"},
    {PCRE2_ERROR_INTERNAL_OVERRAN_WORKSPACE, u"内部错误：编译工作区溢出"},
    {PCRE2_ERROR_INTERNAL_MISSING_SUBPATTERN, u"内部错误：找不到已检查过的分组"},
    {PCRE2_ERROR_DEFINE_TOO_MANY_BRANCHES, u"DEFINE分组的分支多于一个"},
    {PCRE2_ERROR_BACKSLASH_O_MISSING_BRACE, u"“\\o”后面缺少左花括号“{”"},
    {PCRE2_ERROR_INTERNAL_UNKNOWN_NEWLINE, u"内部错误：未知的换行设置"},
    {PCRE2_ERROR_BACKSLASH_G_SYNTAX, u"“\\g”后面应是带括号或引号的名称或序号，或者一个数"},
    {PCRE2_ERROR_PARENS_QUERY_R_MISSING_CLOSING, u"“(?R”后面应是右括号“)”"},
    {PCRE2_ERROR_VERB_ARGUMENT_NOT_ALLOWED, u"(*ACCEPT)、(*FAIL)和(*COMMIT)不能带参数"},
    {PCRE2_ERROR_VERB_UNKNOWN, u"无法识别的(*…)或写法有误"},
    {PCRE2_ERROR_SUBPATTERN_NUMBER_TOO_BIG, u"分组序号太大"},
    {PCRE2_ERROR_SUBPATTERN_NAME_EXPECTED, u"这里应是分组名称"},
    {PCRE2_ERROR_INTERNAL_PARSED_OVERFLOW, u"内部错误：解析结果溢出"},
    {PCRE2_ERROR_INVALID_OCTAL, u"\\o{}中有非八进制字符（缺少右花括号？）"},
    {PCRE2_ERROR_SUBPATTERN_NAMES_MISMATCH, u"同一序号的分组不能有不同的名称"},
    {PCRE2_ERROR_MARK_MISSING_ARGUMENT, u"(*MARK)必须带参数"},
    {PCRE2_ERROR_INVALID_HEXADECIMAL, u"\\x{}中有非十六进制字符（缺少右花括号？）"},
    {PCRE2_ERROR_BACKSLASH_C_SYNTAX, u"“\\c”后面必须是可打印的ASCII字符"},
    {PCRE2_ERROR_BACKSLASH_K_SYNTAX, u"“\\k”后面应是带括号或引号的名称"},
    {PCRE2_ERROR_INTERNAL_BAD_CODE_LOOKBEHINDS, u"内部错误：检查后顾断言时遇到未知代码"},
    {PCRE2_ERROR_BACKSLASH_N_IN_CLASS, u"字符集中不能使用“\\N”"},
    {PCRE2_ERROR_CALLOUT_STRING_TOO_LONG, u"“(?C”中的文本太长"},
    {PCRE2_ERROR_UNICODE_DISALLOWED_CODE_POINT, u"不能使用代理区的字符编码（0xd800～0xdfff）"},
    {PCRE2_ERROR_UTF_IS_DISABLED, u"不能使用UTF选项"},
    {PCRE2_ERROR_UCP_IS_DISABLED, u"不能使用UCP选项"},
    {PCRE2_ERROR_VERB_NAME_TOO_LONG, u"(*MARK)、(*PRUNE)、(*SKIP)或(*THEN)的名称太长"},
    {PCRE2_ERROR_BACKSLASH_U_CODE_POINT_TOO_BIG, u"\\u….中的字符编码太大"},
    {PCRE2_ERROR_MISSING_OCTAL_OR_HEX_DIGITS, u"\\x{}、\\o{}或\\N{U+}中缺少数字"},
    {PCRE2_ERROR_VERSION_CONDITION_SYNTAX, u"(?(VERSION条件的写法有误或数太大"},
    {PCRE2_ERROR_INTERNAL_BAD_CODE_AUTO_POSSESS, u"内部错误：优化重复时遇到未知代码"},
    {PCRE2_ERROR_CALLOUT_NO_STRING_DELIMITER, u"“(?C”的文本缺少结束分隔符"},
    {PCRE2_ERROR_CALLOUT_BAD_STRING_DELIMITER, u"“(?C”后面是无法识别的文本分隔符"},
    {PCRE2_ERROR_BACKSLASH_C_CALLER_DISABLED, u"不能使用“\\C”"},
    {PCRE2_ERROR_QUERY_BARJX_NEST_TOO_DEEP, u"(?|、(?J:或(?x:括号嵌套太深"},
    {PCRE2_ERROR_BACKSLASH_C_LIBRARY_DISABLED, u"正则表达式库不支持“\\C”"},
    {PCRE2_ERROR_PATTERN_TOO_COMPLICATED, u"正则表达式太复杂"},
    {PCRE2_ERROR_LOOKBEHIND_TOO_LONG, u"后顾断言太长"},
    {PCRE2_ERROR_PATTERN_STRING_TOO_LONG, u"正则表达式太长"},
    {PCRE2_ERROR_INTERNAL_BAD_CODE, u"内部错误：解析结果中有未知代码"},
    {PCRE2_ERROR_INTERNAL_BAD_CODE_IN_SKIP, u"内部错误：跳过解析结果时遇到错误代码"},
    {PCRE2_ERROR_NO_SURROGATES_IN_UTF16, u"不能转义代理区的字符"},
    {PCRE2_ERROR_BAD_LITERAL_OPTIONS, u"按原文匹配时的选项无效"},
    {PCRE2_ERROR_SUPPORTED_ONLY_IN_UNICODE, u"\\N{U+dddd}只能在Unicode模式下使用"},
    {PCRE2_ERROR_INVALID_HYPHEN_IN_OPTIONS, u"选项中的“-”位置不对"},
    {PCRE2_ERROR_ALPHA_ASSERTION_UNKNOWN, u"无法识别的(*…)断言"},
    {PCRE2_ERROR_SCRIPT_RUN_NOT_AVAILABLE, u"不支持文字连续段（script run）"},
    {PCRE2_ERROR_TOO_MANY_CAPTURES, u"捕获分组太多（最多65535个）"},
    {PCRE2_ERROR_CONDITION_ATOMIC_ASSERTION_EXPECTED, u"“(?(”或“(?(?C)”后面应是原子断言"},
    {PCRE2_ERROR_BACKSLASH_K_IN_LOOKAROUND, u"环视断言中不能使用“\\K”"},
};

}  // namespace

std::u16string RegexCompileReason(int code)
{
    for (const CReason& reason : kReasons)
        if (reason.m_nCode == code) return reason.m_pszText;
    // A newer library may know more errors than this table.
    return u"无法识别的写法（错误" + FormatInt(code) + u"）";
}

}  // namespace kq
