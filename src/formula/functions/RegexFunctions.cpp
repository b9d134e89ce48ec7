// Regular-expression functions of the formula language: test, extract,
// replace and count matches of a pattern. A pattern is compiled once per
// thread and reused for every row that gives the same text.
#include <string>
#include <string_view>

#include "formula/functions/FunctionTable.h"
#include "formula/functions/TextFunctionSupport.h"
#include "formula/regex/Regex.h"
#include "platform/Crt.h"

namespace kq {

using namespace fn;

namespace {

constexpr std::u16string_view kCategory = u"正则表达式函数";

// Argument i as text: the node's own text when it is one, so that a name
// is not copied for every row; otherwise its text form.
class CTextArgument {
public:
    CTextArgument(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, int i)
    {
        const CTERNOperateVar* value = engine.GetValueNode(node[i]);
        if (value && value->m_nType == OVT_STRING) {
            m_view = value->m_strValue;
        } else {
            m_strOwn = engine.GetSValue(node[i]);
            m_view = m_strOwn;
        }
    }
    CTextArgument(const CTextArgument&) = delete;
    CTextArgument& operator=(const CTextArgument&) = delete;

    std::u16string_view View() const { return m_view; }

private:
    std::u16string m_strOwn;
    std::u16string_view m_view;
};

// The pattern of argument 1, compiled; a refusal with its message when it
// is invalid.
int CompilePattern(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, CRegex& regex)
{
    CTextArgument pattern(engine, node, 1);
    return regex.Compile(pattern.View()) ? 0 : Refuse(engine, regex.GetErrorInfo());
}

int FnRegexMatch(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    CRegex regex;
    if (int rc = CompilePattern(engine, node, regex)) return rc;
    CTextArgument text(engine, node, 0);
    bool found = false;
    if (regex.Match(text.View(), found) != ERegexCode::Ok) return Refuse(engine, regex.GetErrorInfo());
    return SetBool(node, found);
}

int FnRegexExtract(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    CRegex regex;
    if (int rc = CompilePattern(engine, node, regex)) return rc;
    int group = 0;
    if (int rc = ReadInt(engine, node, 2, group)) return rc;
    if (group < 0 || group > regex.GetGroupCount())
        return Refuse(engine, u"regexextract函数的第3个参数必须在0到" + FormatInt(regex.GetGroupCount()) + u"之间");
    CTextArgument text(engine, node, 0);
    std::u16string out;
    if (regex.Extract(text.View(), group, out) != ERegexCode::Ok) return Refuse(engine, regex.GetErrorInfo());
    return SetText(node, std::move(out));
}

int FnRegexReplace(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    CRegex regex;
    if (int rc = CompilePattern(engine, node, regex)) return rc;
    CTextArgument text(engine, node, 0);
    CTextArgument replacement(engine, node, 2);
    // Built in the node's own buffer, which stays with it between rows.
    switch (regex.Replace(text.View(), replacement.View(), node.m_strValue, kMaxTextLength)) {
    case ERegexCode::Ok: node.m_nType = OVT_STRING; return kAnalyseOk;
    case ERegexCode::TooLong: engine.SetLastErrorInfo(TextTooLongMessage()); return kAnalyseTextTooLong;
    default: return Refuse(engine, regex.GetErrorInfo());
    }
}

int FnRegexCount(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node)
{
    CRegex regex;
    if (int rc = CompilePattern(engine, node, regex)) return rc;
    CTextArgument text(engine, node, 0);
    int count = 0;
    if (regex.Count(text.View(), count) != ERegexCode::Ok) return Refuse(engine, regex.GetErrorInfo());
    return SetInt(node, count);
}

constexpr CFunctionInfo kRegexFunctions[] = {
    {u"regexmatch", 2, FnRegexMatch, kCategory, u"text s, text p", u"逻辑",
     u"判断文本s中是否有与正则表达式p匹配的部分；(?i)开头时不区分大小写。", u"regexmatch(\"IMG_0042\",\"\\d{4}\") → TRUE"},
    {u"regexextract", 3, FnRegexExtract, kCategory, u"text s, text p, int n", u"文本",
     u"返回正则表达式p在文本s中第一个匹配的第n个分组（0为整个匹配），没有匹配或该分组未参与匹配时为空。",
     u"regexextract(\"第12集\",\"第(\\d+)集\",1) → \"12\""},
    {u"regexreplace", 3, FnRegexReplace, kCategory, u"text s, text p, text r", u"文本",
     u"把文本s中与正则表达式p匹配的每一处替换为r；r中$1…$99和${名称}代表分组，$$代表$。",
     u"regexreplace(\"IMG_42\",\"(\\w+)_(\\d+)\",\"$2-$1\") → \"42-IMG\""},
    {u"regexcount", 2, FnRegexCount, kCategory, u"text s, text p", u"整数",
     u"返回文本s中与正则表达式p匹配的不重叠部分的个数。", u"regexcount(\"a1b22c333\",\"\\d+\") → 3"},
};

}  // namespace

std::span<const CFunctionInfo> RegexFunctions() { return kRegexFunctions; }

}  // namespace kq
