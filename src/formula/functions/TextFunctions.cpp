// Text functions of the formula language: measuring, cutting, searching,
// comparing, cleaning, editing and building text, and nested evaluation.
#include <cstdint>

#include "formula/text/TERNString.h"
#include "formula/functions/FileBase.h"
#include "formula/functions/FunctionTable.h"
#include "formula/functions/TextFunctionSupport.h"
#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {

using namespace fn;

namespace {

constexpr size_t npos = std::u16string::npos;

// rept refuses longer results; a text of this size is far beyond any name.
constexpr int64_t kMaxReptLength = 32767;
// strcal/calreplace texts can build formulas that evaluate themselves again.
thread_local int g_nNestedEvaluations = 0;

// Counts one level of nested evaluation for as long as it lives, also when
// the evaluation ends by an exception.
class CNestingLevel {
public:
    CNestingLevel() { ++g_nNestedEvaluations; }
    ~CNestingLevel() { --g_nNestedEvaluations; }
    CNestingLevel(const CNestingLevel&) = delete;
    CNestingLevel& operator=(const CNestingLevel&) = delete;
};

// A search that finds nothing when it starts at or past the end, also for an
// empty pattern.
size_t FindFrom(std::u16string_view s, std::u16string_view t, size_t from)
{
    if (from >= s.size()) return npos;
    return s.find(t, from);
}

size_t FindLast(std::u16string_view s, std::u16string_view t)
{
    size_t last = npos;
    for (size_t pos = FindFrom(s, t, 0); pos != npos; pos = FindFrom(s, t, pos + 1)) last = pos;
    return last;
}

// 1-based position of a hit, 0 for none.
int Position(size_t index) { return index == npos ? 0 : index >= 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(index) + 1; }

bool StartsWith(std::u16string_view s, std::u16string_view t) { return s.substr(0, t.size()) == t; }
bool EndsWith(std::u16string_view s, std::u16string_view t)
{
    return s.substr(s.size() > t.size() ? s.size() - t.size() : 0) == t;
}

// The text s of mid3 and calreplace and, when found, the bounds of the text
// between an occurrence of A and the next occurrence of B in it.
struct CBetween {
    std::u16string m_strText;
    bool m_bFound = false;
    size_t m_nAEnd = 0;
    size_t m_nBStart = 0;
};

// Reads s, A and B (arguments 0 to 2) and the start n (argument nArg), and
// locates the text between: n = -1 takes the last A, otherwise the first A
// at or after position n; B is searched from one character after the start
// of A. Returns 0, or a refusal naming argument nArg of function name.
int LocateBetween(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, int nArg, std::u16string_view name,
                  CBetween& between)
{
    const std::u16string& s = between.m_strText = ReadText(engine, node, 0);
    const std::u16string a = ReadText(engine, node, 1), b = ReadText(engine, node, 2);
    int n = 0;
    if (int rc = ReadInt(engine, node, nArg, n)) return rc;
    size_t aStart;
    if (n == -1) {
        aStart = FindLast(s, a);
    } else {
        const std::u16string argument = std::u16string(name) + u"函数的第" + FormatInt(nArg + 1) + u"个参数必须";
        if (n < 1) return Refuse(engine, argument + u"大于0");
        if (n > TextLength(s)) return Refuse(engine, argument + u"小于或等于字符串长度");
        aStart = FindFrom(s, a, static_cast<size_t>(n) - 1);
    }
    if (aStart == npos) return 0;
    between.m_nBStart = FindFrom(s, b, aStart + 1);
    if (between.m_nBStart == npos) return 0;
    between.m_nAEnd = aStart + a.size();
    between.m_bFound = true;
    return 0;
}

// The result text of a nested evaluation: a text result without the quotes
// the output form puts around it, any other result as its output text.
std::u16string NestedResult(const CTERNBaseStringAnalyse& nested)
{
    std::u16string out = nested.GetOutputString();
    if (nested.GetOutputType() == OVT_STRING && out.size() >= 2) return out.substr(1, out.size() - 2);
    return out;
}

bool IsLimitCode(int code)
{
    return code == kAnalyseTextTooLong || code == kAnalyseTooDeep || code == kAnalyseOutOfMemory;
}

// Evaluates formula with a fresh base engine that shows errors the way the
// caller does; x, when given, is a text preset. Returns kAnalyseOk with the
// result; a formula error gives kAnalyseBadArgument (the caller keeps its
// text, the error is not passed on); a limit of memory or depth gives its
// code with the message recorded, which ends the calling formula too.
int EvaluateNested(CTERNBaseStringAnalyse& engine, const std::u16string& formula, const std::u16string* x,
                   std::u16string& result)
{
    if (g_nNestedEvaluations >= kMaxNestedEvaluations) {
        engine.SetLastErrorInfo(u"strcal和calreplace嵌套计算的层数不能超过" + FormatInt(kMaxNestedEvaluations) + u"层");
        return kAnalyseTooDeep;
    }
    // A text this long is no formula anyone typed; cutting it would cost
    // far more memory than the text itself.
    if (formula.size() > kMaxNestedFormulaLength) return kAnalyseBadArgument;
    CTERNBaseStringAnalyse nested;
    nested.SetShowErrorInfo(engine.GetShowErrorInfo());
    nested.SetMessageWnd(engine.GetMessageWnd());
    if (x) {
        CTERNOperateVar var;
        var.m_strName = u"x";
        var.m_nType = OVT_STRING;
        var.m_strValue = *x;
        nested.m_aPresetVarList.push_back(var);
    }
    nested.SetInputString(formula);
    int code;
    {
        CNestingLevel level;
        code = nested.DoAnalyse();
    }
    if (IsLimitCode(code)) {
        engine.SetLastErrorInfo(nested.GetAnalyseErrorInfo());
        return code;
    }
    if (code != kAnalyseOk) return kAnalyseBadArgument;
    result = NestedResult(nested);
    return kAnalyseOk;
}

// ---- measuring and reading --------------------------------------------------

int FnLen(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return SetInt(node, TextLength(ReadText(e, node, 0))); }
int FnAtoi(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return SetInt(node, Wtoi(ReadText(e, node, 0))); }
int FnAtof(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return SetReal(node, Wtof(ReadText(e, node, 0))); }

// ---- cutting ----------------------------------------------------------------

int FnLeft(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int n = 0;
    if (int rc = ReadInt(e, node, 1, n)) return rc;
    if (n < 0) return Refuse(e, u"left函数第二个参数必须大于或等于0");
    return SetText(node, s.substr(0, static_cast<size_t>(n)));
}

int FnRight(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int n = 0;
    if (int rc = ReadInt(e, node, 1, n)) return rc;
    if (n < 0) return Refuse(e, u"right函数的第二个参数必须大于或等于0");
    size_t count = static_cast<size_t>(n) < s.size() ? static_cast<size_t>(n) : s.size();
    return SetText(node, s.substr(s.size() - count));
}

int FnMid(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int a = 0, n = 0;
    if (int rc = ReadInt(e, node, 1, a)) return rc;
    if (a < 1) return Refuse(e, u"mid函数的第二个参数必须大于0");
    if (a > TextLength(s)) return Refuse(e, u"mid函数的第二个参数必须小于或等于字符串长度");
    if (int rc = ReadInt(e, node, 2, n)) return rc;
    if (n < 0) return Refuse(e, u"mid函数的第三个参数必须大于0");
    return SetText(node, s.substr(static_cast<size_t>(a) - 1, static_cast<size_t>(n)));
}

int FnMid2(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int a = 0, b = 0;
    if (int rc = ReadInt(e, node, 1, a)) return rc;
    if (int rc = ReadInt(e, node, 2, b)) return rc;
    if (a < 1) return Refuse(e, u"mid2函数的第二个参数必须大于0");
    if (a > TextLength(s)) return Refuse(e, u"mid2函数的第二个参数必须小于或等于字符串长度");
    if (b < a || b > TextLength(s)) return Refuse(e, u"mid2函数的第三个参数必须大于第二个参数且小于或等于字符串长度");
    return SetText(node, s.substr(static_cast<size_t>(a) - 1, static_cast<size_t>(b - a) + 1));
}

int FnMid3(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    CBetween located;
    if (int rc = LocateBetween(e, node, 3, u"mid3", located)) return rc;
    const size_t aEnd = located.m_nAEnd, bStart = located.m_nBStart;
    if (!located.m_bFound || bStart <= aEnd) return SetText(node, {});
    return SetText(node, located.m_strText.substr(aEnd, bStart - aEnd));
}

// ---- comparing and searching ------------------------------------------------

int FnLequ(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), t = ReadText(e, node, 1);
    return SetBool(node, StartsWith(s, t));
}

int FnRequ(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), t = ReadText(e, node, 1);
    return SetBool(node, EndsWith(s, t));
}

int FnExact(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), t = ReadText(e, node, 1);
    return SetBool(node, s == t);
}

int FnFind(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), t = ReadText(e, node, 1);
    int k = 0;
    if (int rc = ReadInt(e, node, 2, k)) return rc;
    if (k < 1) return Refuse(e, u"find函数的第3个参数必须大于0");
    return SetInt(node, Position(FindFrom(s, t, static_cast<size_t>(k) - 1)));
}

int FnFindr(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), t = ReadText(e, node, 1);
    return SetInt(node, Position(FindLast(s, t)));
}

// Character classes 1-8 of first/last; -1 for a class outside them.
int InClass(char16_t c, int k)
{
    switch (k) {
    case 1: return IsAsciiDigit(c);
    case 2: return !IsAsciiDigit(c);
    case 3: return IsAsciiLetter(c);
    case 4: return !IsAsciiLetter(c);
    case 5: return c == u' ';
    case 6: return c != u' ';
    case 7: return c == u'.';
    case 8: return c != u'.';
    default: return -1;
    }
}

int FirstOrLast(CTERNBaseStringAnalyse& e, CTERNOperateVar& node, bool backward)
{
    std::u16string s = ReadText(e, node, 0);
    int k = 0;
    if (int rc = ReadInt(e, node, 1, k)) return rc;
    if (InClass(u'0', k) < 0) return kAnalyseBadArgument;  // no message of its own
    const int size = TextLength(s);
    for (int i = 0; i < size; ++i) {
        int at = backward ? size - 1 - i : i;
        if (InClass(s[static_cast<size_t>(at)], k)) return SetInt(node, at + 1);
    }
    return SetInt(node, -1);
}

int FnFirst(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return FirstOrLast(e, node, false); }
int FnLast(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return FirstOrLast(e, node, true); }

// ---- characters and case ----------------------------------------------------

int FnChar(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    int n = 0;
    if (int rc = ReadInt(e, node, 0, n)) return rc;
    if (n <= 0) return Refuse(e, u"char函数的第一个参数必须大于0");
    // One code unit only; larger codes have no single-unit character.
    if (n > 0xFFFF) return SetText(node, {});
    return SetText(node, std::u16string(1, static_cast<char16_t>(n)));
}

int FnUpper(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return SetText(node, ToAsciiUpper(ReadText(e, node, 0))); }
int FnLower(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return SetText(node, ToAsciiLower(ReadText(e, node, 0))); }

int FnProper(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ToAsciiLower(ReadText(e, node, 0));
    for (size_t i = 0; i < s.size(); ++i) {
        if (i == 0 || !IsAsciiLetter(s[i - 1])) s[i] = AsciiUpper(s[i]);
    }
    return SetText(node, std::move(s));
}

// ---- cleaning ---------------------------------------------------------------

int Trim(CTERNBaseStringAnalyse& e, CTERNOperateVar& node, bool left, bool right)
{
    std::u16string s = ReadText(e, node, 0);
    return SetText(node, std::u16string(CFileBase::TrimWideSpace(s, left, right)));
}

int FnTriml(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return Trim(e, node, true, false); }
int FnTrimr(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return Trim(e, node, false, true); }
int FnTrimlr(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return Trim(e, node, true, true); }

// Repetitions of t removed at either end; an empty t removes nothing (every
// text begins and ends with it, so the loop would never end).
int Trim2(CTERNBaseStringAnalyse& e, CTERNOperateVar& node, bool left, bool right)
{
    std::u16string s = ReadText(e, node, 0), t = ReadText(e, node, 1);
    if (t.empty()) return SetText(node, std::move(s));
    std::u16string_view rest(s);
    if (left) {
        while (StartsWith(rest, t)) rest.remove_prefix(t.size());
    }
    if (right) {
        while (EndsWith(rest, t)) rest.remove_suffix(t.size());
    }
    return SetText(node, std::u16string(rest));
}

int FnTriml2(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return Trim2(e, node, true, false); }
int FnTrimr2(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return Trim2(e, node, false, true); }
int FnTrimlr2(CTERNBaseStringAnalyse& e, CTERNOperateVar& node) { return Trim2(e, node, true, true); }

// ---- editing ----------------------------------------------------------------

// Bounds of delete/replace: false when there is nothing to do.
bool EditRange(const std::u16string& s, int a, int n, size_t& from, size_t& count)
{
    if (a < 1 || a > TextLength(s) || n < 1) return false;
    from = static_cast<size_t>(a) - 1;
    count = static_cast<size_t>(n) < s.size() - from ? static_cast<size_t>(n) : s.size() - from;
    return true;
}

int FnDelete(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int a = 0, n = 0;
    if (int rc = ReadInt(e, node, 1, a)) return rc;
    if (int rc = ReadInt(e, node, 2, n)) return rc;
    size_t from = 0, count = 0;
    if (EditRange(s, a, n, from, count)) s.erase(from, count);
    return SetText(node, std::move(s));
}

int FnReplace(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int a = 0, n = 0;
    if (int rc = ReadInt(e, node, 1, a)) return rc;
    if (int rc = ReadInt(e, node, 2, n)) return rc;
    std::u16string r = ReadText(e, node, 3);
    size_t from = 0, count = 0;
    if (EditRange(s, a, n, from, count)) s.replace(from, count, r);
    return SetText(node, std::move(s));
}

int FnReplace2(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), a = ReadText(e, node, 1), b = ReadText(e, node, 2), r = ReadText(e, node, 3);
    size_t aStart = FindFrom(s, a, 0);
    if (aStart == npos) return SetText(node, std::move(s));
    size_t bStart = FindFrom(s, b, aStart + 1);
    if (bStart == npos) return SetText(node, std::move(s));
    size_t aEnd = aStart + a.size();
    return SetText(node, s.substr(0, aEnd) + r + s.substr(bStart > aEnd ? bStart : aEnd));
}

int FnSubstitute(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0), from = ReadText(e, node, 1), to = ReadText(e, node, 2);
    if (from.empty()) return SetText(node, std::move(s));
    int64_t hits = 0;
    for (size_t pos = s.find(from); pos != npos; pos = s.find(from, pos + from.size())) ++hits;
    int64_t size = static_cast<int64_t>(s.size()) + hits * (static_cast<int64_t>(to.size()) - static_cast<int64_t>(from.size()));
    if (size > static_cast<int64_t>(kMaxTextLength)) {
        e.SetLastErrorInfo(TextTooLongMessage());
        return kAnalyseTextTooLong;
    }
    std::u16string out;
    out.reserve(static_cast<size_t>(size));
    size_t done = 0;
    for (size_t pos = s.find(from); pos != npos; pos = s.find(from, done)) {
        out.append(s, done, pos - done);
        out += to;
        done = pos + from.size();
    }
    out.append(s, done, npos);
    return SetText(node, std::move(out));
}

// ---- building ---------------------------------------------------------------

int FnRept(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    int n = 0;
    if (int rc = ReadInt(e, node, 1, n)) return rc;
    if (n <= 0 || s.empty()) return SetText(node, {});
    if (static_cast<int64_t>(s.size()) * n > kMaxReptLength) return Refuse(e, u"rept函数结果的长度不能超过32767个字符");
    std::u16string out;
    out.reserve(s.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out += s;
    return SetText(node, std::move(out));
}

int FnText(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    double x = 0;
    int n = 0;
    if (int rc = ReadReal(e, node, 0, x)) return rc;
    if (int rc = ReadInt(e, node, 1, n)) return rc;
    return SetText(node, CTERNString::GetDoubleString(x, n));
}

// ---- nested evaluation ------------------------------------------------------

int FnStrcal(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    std::u16string s = ReadText(e, node, 0);
    std::u16string result;
    const int code = EvaluateNested(e, s, nullptr, result);
    if (IsLimitCode(code)) return code;
    return SetText(node, code == kAnalyseOk ? std::move(result) : std::move(s));
}

int FnCalreplace(CTERNBaseStringAnalyse& e, CTERNOperateVar& node)
{
    CBetween located;
    // Its messages speak of strcal, as they always have.
    if (int rc = LocateBetween(e, node, 4, u"strcal", located)) return rc;
    std::u16string& s = located.m_strText;
    const size_t aEnd = located.m_nAEnd, bStart = located.m_nBStart;
    if (!located.m_bFound) return SetText(node, std::move(s));
    const std::u16string f = ReadText(e, node, 3);
    std::u16string between = bStart > aEnd ? s.substr(aEnd, bStart - aEnd) : std::u16string();
    std::u16string result;
    const int code = EvaluateNested(e, f, &between, result);
    if (IsLimitCode(code)) return code;
    if (code != kAnalyseOk) return SetText(node, std::move(s));
    if (s.size() - (bStart > aEnd ? bStart - aEnd : 0) + result.size() > kMaxTextLength) {
        e.SetLastErrorInfo(TextTooLongMessage());
        return kAnalyseTextTooLong;
    }
    return SetText(node, s.substr(0, aEnd) + result + s.substr(bStart > aEnd ? bStart : aEnd));
}

constexpr std::u16string_view kCategory = u"文本函数";

constexpr CFunctionInfo kTextFunctions[] = {
    {u"len", 1, FnLen, kCategory, u"text s", u"整数", u"返回文本s的字符个数。", u"len(\"文件abc\") → 5"},
    {u"atoi", 1, FnAtoi, kCategory, u"text s", u"整数", u"返回文本s开头的整数，没有数字时为0。", u"atoi(\" 12ab\") → 12"},
    {u"atof", 1, FnAtof, kCategory, u"text s", u"实数", u"返回文本s开头的实数，没有数字时为0。", u"atof(\"2.5kg\") → 2.5"},
    {u"left", 2, FnLeft, kCategory, u"text s, int n", u"文本", u"返回文本s左边的n个字符。", u"left(\"abcdef\",2) → \"ab\""},
    {u"right", 2, FnRight, kCategory, u"text s, int n", u"文本", u"返回文本s右边的n个字符。", u"right(\"abcdef\",2) → \"ef\""},
    {u"lequ", 2, FnLequ, kCategory, u"text s, text t", u"逻辑", u"判断文本s是否以文本t开头。", u"lequ(\"abc\",\"ab\") → TRUE"},
    {u"requ", 2, FnRequ, kCategory, u"text s, text t", u"逻辑", u"判断文本s是否以文本t结尾。", u"requ(\"abc\",\"bc\") → TRUE"},
    {u"exact", 2, FnExact, kCategory, u"text s, text t", u"逻辑", u"判断两个文本是否完全相同（区分大小写）。", u"exact(\"A\",\"a\") → FALSE"},
    {u"exactl", 2, FnLequ, kCategory, u"text s, text t", u"逻辑", u"判断文本s的左边是否与文本t相同。", u"exactl(\"abc\",\"a\") → TRUE"},
    {u"exactr", 2, FnRequ, kCategory, u"text s, text t", u"逻辑", u"判断文本s的右边是否与文本t相同。", u"exactr(\"abc\",\"c\") → TRUE"},
    {u"mid", 3, FnMid, kCategory, u"text s, int a, int n", u"文本", u"返回文本s从第a个字符开始的n个字符。", u"mid(\"abcdef\",2,3) → \"bcd\""},
    {u"mid2", 3, FnMid2, kCategory, u"text s, int a, int b", u"文本", u"返回文本s从第a个到第b个字符的部分。", u"mid2(\"abcdef\",2,4) → \"bcd\""},
    {u"mid3", 4, FnMid3, kCategory, u"text s, text A, text B, int n", u"文本",
     u"返回文本s中从第n个字符起第一个A与其后的B之间的文本，n为-1时取最后一个A。", u"mid3(\"a[1]b[2]c\",\"[\",\"]\",-1) → \"2\""},
    {u"find", 3, FnFind, kCategory, u"text s, text t, int k", u"整数", u"返回文本t在文本s中从第k个字符起第一次出现的位置，找不到为0。",
     u"find(\"abcabc\",\"b\",3) → 5"},
    {u"findr", 2, FnFindr, kCategory, u"text s, text t", u"整数", u"返回文本t在文本s中最后一次出现的位置，找不到为0。", u"findr(\"abcabc\",\"b\") → 5"},
    {u"first", 2, FnFirst, kCategory, u"text s, int k", u"整数",
     u"返回文本s中第一个属于第k类的字符的位置（1数字,2非数字,3字母,4非字母,5空格,6非空格,7点,8非点），没有为-1。", u"first(\"ab12\",1) → 3"},
    {u"last", 2, FnLast, kCategory, u"text s, int k", u"整数", u"返回文本s中最后一个属于第k类的字符的位置，分类同first，没有为-1。",
     u"last(\"ab12\",3) → 2"},
    {u"char", 1, FnChar, kCategory, u"int n", u"文本", u"返回字符编码为n的单个字符。", u"char(65) → \"A\""},
    {u"upper", 1, FnUpper, kCategory, u"text s", u"文本", u"把文本s中的英文字母转为大写。", u"upper(\"abc中\") → \"ABC中\""},
    {u"lower", 1, FnLower, kCategory, u"text s", u"文本", u"把文本s中的英文字母转为小写。", u"lower(\"ABC\") → \"abc\""},
    {u"proper", 1, FnProper, kCategory, u"text s", u"文本", u"把文本s中每个单词的首字母大写，其余字母小写。",
     u"proper(\"hello wORLD\") → \"Hello World\""},
    {u"triml", 1, FnTriml, kCategory, u"text s", u"文本", u"去掉文本s左边的空白字符。", u"triml(\"  ab \") → \"ab \""},
    {u"trimr", 1, FnTrimr, kCategory, u"text s", u"文本", u"去掉文本s右边的空白字符。", u"trimr(\" ab  \") → \" ab\""},
    {u"trimlr", 1, FnTrimlr, kCategory, u"text s", u"文本", u"去掉文本s两边的空白字符。", u"trimlr(\"  ab  \") → \"ab\""},
    {u"triml2", 2, FnTriml2, kCategory, u"text s, text t", u"文本", u"去掉文本s左边重复出现的文本t。", u"triml2(\"000123\",\"0\") → \"123\""},
    {u"trimr2", 2, FnTrimr2, kCategory, u"text s, text t", u"文本", u"去掉文本s右边重复出现的文本t。",
     u"trimr2(\"a.txt.txt\",\".txt\") → \"a\""},
    {u"trimlr2", 2, FnTrimlr2, kCategory, u"text s, text t", u"文本", u"去掉文本s两边重复出现的文本t。", u"trimlr2(\"--a--\",\"-\") → \"a\""},
    {u"delete", 3, FnDelete, kCategory, u"text s, int a, int n", u"文本", u"删除文本s从第a个字符开始的n个字符。",
     u"delete(\"abcdef\",2,2) → \"adef\""},
    {u"replace", 4, FnReplace, kCategory, u"text s, int a, int n, text r", u"文本", u"把文本s从第a个字符开始的n个字符替换为文本r。",
     u"replace(\"abcdef\",2,2,\"XY\") → \"aXYdef\""},
    {u"replace2", 4, FnReplace2, kCategory, u"text s, text A, text B, text r", u"文本", u"把文本s中第一个A与其后的B之间的文本替换为文本r。",
     u"replace2(\"a[1]b\",\"[\",\"]\",\"22\") → \"a[22]b\""},
    {u"substitute", 3, FnSubstitute, kCategory, u"text s, text old, text new", u"文本", u"把文本s中所有的old替换为new。",
     u"substitute(\"a-b-c\",\"-\",\"_\") → \"a_b_c\""},
    {u"rept", 2, FnRept, kCategory, u"text s, int n", u"文本", u"返回文本s重复n次的结果。", u"rept(\"ab\",3) → \"ababab\""},
    {u"text", 2, FnText, kCategory, u"real x, int n", u"文本", u"把实数x转为保留n位小数的文本，n为负数时去掉末尾的0。",
     u"text(3.14159,2) → \"3.14\""},
    {u"strcal", 1, FnStrcal, kCategory, u"text s", u"文本", u"把文本s当作公式计算并返回结果，公式有错时返回s本身。", u"strcal(\"1+2*3\") → \"7\""},
    {u"calreplace", 5, FnCalreplace, kCategory, u"text s, text A, text B, text f, int n", u"文本",
     u"把文本s中A与B之间的文本x替换为公式f的计算结果，n的含义同mid3。", u"calreplace(\"a[2]b\",\"[\",\"]\",\"x*3\",1) → \"a[6]b\""},
};

}  // namespace

std::span<const CFunctionInfo> TextFunctions() { return kTextFunctions; }

}  // namespace kq
