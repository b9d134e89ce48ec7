#include "formula/engine/FormulaParser.h"

#include <unordered_map>

#include "formula/functions/FunctionTable.h"
#include "platform/Crt.h"
#include "platform/PerThread.h"
#include "platform/Text.h"

namespace kq {

namespace {

constexpr int kParseFailed = -1;

bool IsAsciiAlnum(char16_t c) { return IsAsciiLetter(c) || IsAsciiDigit(c); }

// End of the quoted string that starts at `start` within [start, to), or -1.
int ClosingQuote(const std::u16string& text, int start, int to)
{
    for (int q = start + 1; q < to; ++q) {
        if (text[static_cast<size_t>(q)] != u'"') continue;
        if (q + 1 < to && text[static_cast<size_t>(q) + 1] == u'"') {
            ++q;  // escaped quote
            continue;
        }
        return q;
    }
    return -1;
}

bool IsLevelOperator(char16_t c, int level)
{
    switch (level) {
    case 1: return c == u'^';
    case 2: return c == u'*' || c == u'/';
    case 3: return c == u'+' || c == u'-' || c == u'&';
    default: return c == u'>' || c == u'<' || c == u'=' || c == u'!';
    }
}

bool EqualsNoCase(std::u16string_view a, std::u16string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
    return true;
}

// The rewriting of one formula text into nodes. Each step works as a single
// left-to-right pass with an output buffer: everything left of the current
// position is already reduced, which is exactly where the rewrite would
// resume after restarting from the beginning, but without its quadratic
// cost on long formulas.
class CFormulaParser {
public:
    explicit CFormulaParser(CParsedFormula& result) : m_r(result) {}

    void AddPresets(const std::vector<CTERNOperateVar>& presets)
    {
        for (const auto& preset : presets) {
            CTERNOperateVar slot;
            slot.m_strName = preset.m_strName;
            m_r.m_aPresetNames.push_back(preset.m_strName);
            AppendNode(std::move(slot));
        }
    }

    // Spaces out, then brackets and calls, then the operators of what is
    // left, then the last token; the root is the last node afterwards.
    int Parse(std::u16string text)
    {
        int code = DoWithSpace(text);
        if (code == 0) code = DoWithBracket(text);
        if (code == 0) code = CalChildString(text);
        if (code != 0) return code;
        if (!text.empty()) {
            int index = AddToVarList(text);
            if (index < 0) return kAnalyseBadToken;
            if (index != static_cast<int>(m_r.m_aNodes.size()) - 1) {
                CTERNOperateVar copy = m_r.m_aNodes[static_cast<size_t>(index)];
                if (index < static_cast<int>(m_r.m_aPresetNames.size())) m_r.m_nRootSource = index;
                m_r.m_aNodes.push_back(std::move(copy));
            }
        }
        if (m_r.m_aNodes.empty()) return kAnalyseNothing;
        return kAnalyseOk;
    }

private:
    int Fail(int code, std::u16string message)
    {
        m_r.m_strError = std::move(message);
        return code;
    }

    // Copies the quoted string that starts at text[i] to out and leaves i on
    // its closing quote; false when the string is not closed.
    static bool CopyQuoted(const std::u16string& text, int& i, int n, std::u16string& out)
    {
        int end = ClosingQuote(text, i, n);
        if (end < 0) return false;
        out.append(text, static_cast<size_t>(i), static_cast<size_t>(end - i + 1));
        i = end;
        return true;
    }

    void AppendNode(CTERNOperateVar node)
    {
        if (!node.m_strName.empty())
            m_mapNames.try_emplace(node.m_strName, static_cast<int>(m_r.m_aNodes.size()));
        m_r.m_aNodes.push_back(std::move(node));
    }

    std::u16string NextName() const
    {
        return u"SFV" + FormatInt(static_cast<long long>(m_r.m_aNodes.size()) + 1);
    }

    // Spaces outside quoted strings go; other white space stays.
    int DoWithSpace(std::u16string& text)
    {
        std::u16string out;
        out.reserve(text.size());
        const int n = static_cast<int>(text.size());
        for (int i = 0; i < n; ++i) {
            char16_t c = text[static_cast<size_t>(i)];
            if (c == u'"') {
                if (!CopyQuoted(text, i, n, out)) return Fail(kAnalyseQuote, u"引号不匹配");
            } else if (c != u' ') {
                out.push_back(c);
            }
        }
        text.swap(out);
        return 0;
    }

    // Innermost bracket first; a letter-led name before "(" makes it a call.
    int DoWithBracket(std::u16string& text)
    {
        std::u16string out;
        out.reserve(text.size());
        std::vector<size_t> opens;
        const int n = static_cast<int>(text.size());
        for (int i = 0; i < n; ++i) {
            char16_t c = text[static_cast<size_t>(i)];
            if (c == u'"') {
                if (!CopyQuoted(text, i, n, out)) return Fail(kAnalyseQuote, u"引号不匹配");
            } else if (c == u'(') {
                opens.push_back(out.size());
                out.push_back(c);
            } else if (c == u')') {
                if (opens.empty()) return Fail(kAnalyseBracket, u"括号不匹配");
                size_t open = opens.back();
                opens.pop_back();
                std::u16string content = out.substr(open + 1);
                size_t nameStart = open;
                while (nameStart > 0 && IsAsciiAlnum(out[nameStart - 1])) --nameStart;
                if (nameStart < open && IsAsciiLetter(out[nameStart])) {
                    std::u16string name = out.substr(nameStart, open - nameStart);
                    std::u16string nodeName;
                    int code = AddFunction(nodeName, name, content);
                    if (code != 0) return code;
                    out.resize(nameStart);
                    out += nodeName;
                } else {
                    int code = CalChildString(content);
                    if (code != 0) return code;
                    out.resize(open);
                    out += content;
                }
            } else {
                out.push_back(c);
            }
        }
        text.swap(out);
        return 0;
    }

    // Argument list of a call: split at commas outside quotes, reduce each
    // argument, then enter the node.
    int AddFunction(std::u16string& nodeName, const std::u16string& name, const std::u16string& argText)
    {
        std::vector<int> commas;
        const int n = static_cast<int>(argText.size());
        for (int i = 0; i < n; ++i) {
            char16_t c = argText[static_cast<size_t>(i)];
            if (c == u'"') {
                int end = ClosingQuote(argText, i, n);
                if (end < 0) return Fail(kAnalyseQuote, u"引号不匹配");
                i = end;
            } else if (c == u',') {
                commas.push_back(i);
            }
        }
        if (!commas.empty() && (commas.front() == 0 || commas.back() == n - 1))
            return Fail(kAnalyseBadArgument, u"函数" + name + u"参数错误");
        std::vector<std::u16string> args;
        if (commas.empty()) {
            if (!argText.empty()) args.push_back(argText);
        } else {
            int from = 0;
            for (int comma : commas) {
                args.push_back(argText.substr(static_cast<size_t>(from), static_cast<size_t>(comma - from)));
                from = comma + 1;
            }
            args.push_back(argText.substr(static_cast<size_t>(from)));
        }
        for (auto& arg : args) {
            int code = CalChildString(arg);
            if (code != 0) return code;
        }
        CTERNOperateVar node;
        node.m_strName = NextName();
        node.m_strOperate = name;
        for (const auto& arg : args) {
            int index = AddToVarList(arg);
            if (index < 0) return kAnalyseBadToken;
            node.AddParamIndex(index);
        }
        nodeName = node.m_strName;
        AppendNode(std::move(node));
        return 0;
    }

    // The four precedence levels, each reduced from the left.
    int CalChildString(std::u16string& text)
    {
        if (!text.empty() && text[0] == u'+')
            text.erase(0, 1);
        else if (!text.empty() && text[0] == u'-')
            text.insert(text.begin(), u'0');
        for (int level = 1; level <= 4; ++level) {
            int code = ReduceLevel(text, level);
            if (code != 0) return code;
        }
        return 0;
    }

    int ReduceLevel(std::u16string& text, int level)
    {
        // Quick exit: most texts hold no operator of most levels.
        bool any = false;
        for (char16_t c : text)
            if (IsLevelOperator(c, level)) {
                any = true;
                break;
            }
        if (!any) return 0;

        std::u16string out;
        out.reserve(text.size());
        std::vector<size_t> quoteStarts;  // starts of the quoted strings in `out`
        const int n = static_cast<int>(text.size());
        int i = 0;
        while (i < n) {
            char16_t c = text[static_cast<size_t>(i)];
            if (c == u'"') {
                int end = ClosingQuote(text, i, n);
                if (end < 0) return Fail(kAnalyseQuote, u"引号不匹配");
                quoteStarts.push_back(out.size());
                out.append(text, static_cast<size_t>(i), static_cast<size_t>(end - i + 1));
                i = end + 1;
                continue;
            }
            if (!IsLevelOperator(c, level)) {
                out.push_back(c);
                ++i;
                continue;
            }
            // Right operand.
            if (i == n - 1) return Fail(kAnalyseOperand, u"运算符号后面没有参数");
            int rightFrom = i + 1;
            int rightTo;
            if (text[static_cast<size_t>(rightFrom)] == u'"') {
                rightTo = ClosingQuote(text, rightFrom, n);
                if (rightTo < 0) return Fail(kAnalyseQuote, u"引号不匹配");
            } else {
                int j = rightFrom;
                while (j < n && !IsOperateCode(text[static_cast<size_t>(j)])) {
                    if (text[static_cast<size_t>(j)] == u'"') return Fail(kAnalyseOperand, u"运算符号后面参数中出现意外引号");
                    ++j;
                }
                if (j == rightFrom) return Fail(kAnalyseOperand, u"出现连续运算符号或运算符号后面没有参数");
                rightTo = j - 1;
                std::u16string_view operand(text.data() + rightFrom, static_cast<size_t>(j - rightFrom));
                if (!IsAsciiLetter(operand[0]) && !CheckConst(operand)) return Fail(kAnalyseBadNumber, u"常量错误");
            }
            // Left operand, in what is already reduced.
            if (out.empty()) return Fail(kAnalyseOperand, u"运算符号前面没有参数");
            size_t leftFrom;
            if (out.back() == u'"') {
                leftFrom = quoteStarts.back();
            } else {
                size_t k = out.size();
                while (k > 0 && !IsOperateCode(out[k - 1])) {
                    if (out[k - 1] == u'"') return Fail(kAnalyseOperand, u"运算符号前面参数中出现意外引号");
                    --k;
                }
                if (k == out.size()) return Fail(kAnalyseOperand, u"出现连续运算符号或运算符号前面没有参数");
                leftFrom = k;
                std::u16string_view operand(out.data() + k, out.size() - k);
                if (!IsAsciiLetter(operand[0]) && !CheckConst(operand)) return Fail(kAnalyseBadNumber, u"常量错误");
            }
            int left = AddToVarList(out.substr(leftFrom));
            if (left < 0) return kAnalyseBadToken;
            int right = AddToVarList(
                text.substr(static_cast<size_t>(rightFrom), static_cast<size_t>(rightTo - rightFrom + 1)));
            if (right < 0) return kAnalyseBadToken;
            CTERNOperateVar node;
            node.m_strName = NextName();
            node.m_strOperate.assign(1, c);
            node.AddParamIndex(left);
            node.AddParamIndex(right);
            out.resize(leftFrom);
            while (!quoteStarts.empty() && quoteStarts.back() >= leftFrom) quoteStarts.pop_back();
            out += node.m_strName;
            AppendNode(std::move(node));
            i = rightTo + 1;
        }
        text.swap(out);
        return 0;
    }

    // A token: a known name, or a new literal node; -1 with a message otherwise.
    int AddToVarList(const std::u16string& token)
    {
        if (token.empty()) {
            Fail(kAnalyseBadToken, u"常量或变量为空错误");
            return kParseFailed;
        }
        auto found = m_mapNames.find(token);
        if (found != m_mapNames.end()) return found->second;
        CTERNOperateVar node;
        bool allDigits = true;
        for (char16_t c : token)
            if (!IsAsciiDigit(c)) {
                allDigits = false;
                break;
            }
        if (token.size() >= 2 && token.front() == u'"' && token.back() == u'"') {
            node.m_nType = OVT_STRING;
            node.m_strValue = token.substr(1, token.size() - 2);
        } else if (allDigits) {
            node.m_nType = OVT_INT;
            node.m_nValue = Wtoi(token);
        } else if (CheckConst(token)) {
            node.m_nType = OVT_DOUBLE;
            node.m_dValue = Wtof(token);
        } else if (EqualsNoCase(token, u"TRUE") || EqualsNoCase(token, u"FALSE")) {
            node.m_nType = OVT_BOOL;
            node.m_nValue = EqualsNoCase(token, u"TRUE") ? 1 : 0;
        } else {
            Fail(kAnalyseBadToken, u"变量或常量" + token + u"错误");
            return kParseFailed;
        }
        m_r.m_aNodes.push_back(std::move(node));
        return static_cast<int>(m_r.m_aNodes.size()) - 1;
    }

    CParsedFormula& m_r;
    std::unordered_map<std::u16string, int> m_mapNames;
};

void BuildPlan(CParsedFormula& r)
{
    const size_t presets = r.m_aPresetNames.size();
    r.m_aPlan.assign(r.m_aNodes.size(), CNodePlan{});
    r.m_aUses.assign(r.m_aNodes.size(), 0);
    if (!r.m_aNodes.empty()) ++r.m_aUses.back();
    for (const CTERNOperateVar& node : r.m_aNodes)
        for (int arg : node.m_aParamIndex)
            if (arg >= 0 && arg < static_cast<int>(r.m_aUses.size())) ++r.m_aUses[static_cast<size_t>(arg)];
    for (size_t i = presets; i < r.m_aNodes.size(); ++i) {
        CTERNOperateVar& node = r.m_aNodes[i];
        CNodePlan& plan = r.m_aPlan[i];
        if (node.m_strOperate.empty()) continue;
        if (node.IsOperate()) {
            plan.m_eKind = ENodeKind::Operator;
            continue;
        }
        // Function names are matched in lower case; the node keeps that form.
        node.m_strOperate = ToAsciiLower(node.m_strOperate);
        if (node.m_strOperate == u"if")
            plan.m_eKind = ENodeKind::If;
        else if (node.m_strOperate == u"and")
            plan.m_eKind = ENodeKind::And;
        else if (node.m_strOperate == u"or")
            plan.m_eKind = ENodeKind::Or;
        else
            plan.m_eKind = ENodeKind::Function;
        plan.m_pInfo = FindFunction(node.m_strOperate);
    }
}

}  // namespace

bool IsOperateCode(char16_t c)
{
    switch (c) {
    case u'&': case u'*': case u'+': case u'-': case u'/': case u'<': case u'=': case u'>': return true;
    default: return false;
    }
}

bool CheckConst(std::u16string_view text)
{
    if (text.empty()) return true;
    char16_t first = text[0];
    if (!(IsAsciiDigit(first) || first == u'.' || first == u'+' || first == u'-')) return false;
    int points = first == u'.' ? 1 : 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] == u'.') {
            if (++points > 1) return false;
        } else if (!IsAsciiDigit(text[i])) {
            return false;
        }
    }
    return true;
}

int GetStringMark(int& start, int& end, const std::u16string& text, int from, int to)
{
    const int size = static_cast<int>(text.size());
    if (from < 0) from = 0;
    if (to < 0 || to > size) to = size;
    start = end = -1;
    for (int i = from; i < to; ++i) {
        if (text[static_cast<size_t>(i)] != u'"') continue;
        int close = ClosingQuote(text, i, to);
        if (close < 0) {
            start = i;
            return kAnalyseQuote;
        }
        start = i;
        end = close;
        return 0;
    }
    return 0;
}

std::shared_ptr<const CParsedFormula> ParseFormula(const std::u16string& text,
                                                   const std::vector<CTERNOperateVar>& presets)
{
    auto result = std::make_shared<CParsedFormula>();
    result->m_strText = text;
    CFormulaParser parser(*result);
    parser.AddPresets(presets);
    if (text.empty()) {
        result->m_nCode = kAnalyseEmptyInput;
        result->m_strError = u"用户输入的表达式为空";
    } else {
        result->m_nCode = parser.Parse(text);
    }
    if (result->m_nCode == kAnalyseOk) BuildPlan(*result);
    else if (result->m_nCode != kAnalyseNothing) result->m_aNodes.clear();
    return result;
}

bool ParsedMatches(const CParsedFormula& parsed, const std::u16string& text,
                   const std::vector<CTERNOperateVar>& presets)
{
    if (parsed.m_strText != text || parsed.m_aPresetNames.size() != presets.size()) return false;
    for (size_t i = 0; i < presets.size(); ++i)
        if (parsed.m_aPresetNames[i] != presets[i].m_strName) return false;
    return true;
}

std::shared_ptr<const CParsedFormula> CachedParseFormula(const std::u16string& text,
                                                         const std::vector<CTERNOperateVar>& presets)
{
    // Nested engines (strcal, super-sort clauses) evaluate the same few texts
    // row after row; long texts are not worth keeping.
    constexpr size_t kMaxEntries = 32;
    constexpr size_t kMaxText = 4096;
    struct CacheTag;
    auto& cache = PerThread<std::vector<std::shared_ptr<const CParsedFormula>>, CacheTag>();
    if (text.size() > kMaxText) return ParseFormula(text, presets);
    for (size_t i = 0; i < cache.size(); ++i) {
        if (!ParsedMatches(*cache[i], text, presets)) continue;
        auto hit = cache[i];
        if (i != 0) {
            cache.erase(cache.begin() + static_cast<long>(i));
            cache.insert(cache.begin(), hit);
        }
        return hit;
    }
    auto parsed = ParseFormula(text, presets);
    cache.insert(cache.begin(), parsed);
    if (cache.size() > kMaxEntries) cache.pop_back();
    return parsed;
}

}  // namespace kq
