#include "formula/engine/TERNBaseStringAnalyse.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "formula/engine/FormulaParser.h"
#include "formula/text/TERNString.h"
#include "formula/functions/FunctionTable.h"
#include "platform/Crt.h"
#include "platform/Prompt.h"
#include "platform/Text.h"

namespace kq {

namespace {

// Text buffers up to this size stay with their node between rows, so that
// a list of short names allocates nothing; larger ones go as soon as the
// last reader has them.
constexpr size_t kKeepCapacity = 1024;

const std::u16string kDefaultErrorTitle = u"远舟基本类库";

const CTERNOperateVar& EmptyNode()
{
    static const CTERNOperateVar empty;
    return empty;
}

ENodeKind KindOf(const CTERNOperateVar& node)
{
    if (node.m_strOperate.empty()) return ENodeKind::Value;
    if (node.IsOperate()) return ENodeKind::Operator;
    if (node.m_strOperate == u"if") return ENodeKind::If;
    if (node.m_strOperate == u"and") return ENodeKind::And;
    if (node.m_strOperate == u"or") return ENodeKind::Or;
    return ENodeKind::Function;
}

std::u16string AtLeastOneMessage(const std::u16string& name)
{
    return u"函数" + name + u"的形参个数至少1个,当前指定的个数是0个";
}

void ReleaseText(std::u16string& text)
{
    if (text.capacity() > kKeepCapacity) std::u16string().swap(text);
    else text.clear();
}

}  // namespace

std::u16string TextTooLongMessage() { return u"运算结果的长度不能超过16777216个字符"; }

CTERNBaseStringAnalyse::CTERNBaseStringAnalyse() : m_strErrorTitle(kDefaultErrorTitle) {}
CTERNBaseStringAnalyse::CTERNBaseStringAnalyse(const CTERNBaseStringAnalyse& other) = default;
CTERNBaseStringAnalyse& CTERNBaseStringAnalyse::operator=(const CTERNBaseStringAnalyse& other) = default;
CTERNBaseStringAnalyse::~CTERNBaseStringAnalyse() = default;

void CTERNBaseStringAnalyse::SetInputString(const std::u16string& text)
{
    if (!text.empty() && text[0] == u'=')
        m_strInput.assign(text, 1, std::u16string::npos);
    else
        m_strInput = text;
}

void CTERNBaseStringAnalyse::ShowLastError() const { GetPromptProvider().Inform(m_strErrorInfo, m_strErrorTitle); }

void CTERNBaseStringAnalyse::InitParam(int clearPresets)
{
    m_strInput.clear();
    m_strErrorInfo.clear();
    m_bShowErrorInfo = 0;
    m_hMessageWnd = nullptr;
    m_strErrorTitle = kDefaultErrorTitle;
    m_aValueList.clear();
    m_bValueListReady = false;
    m_nLimitCode = kAnalyseOk;
    if (clearPresets) m_aPresetVarList.clear();
}

std::u16string CTERNBaseStringAnalyse::GetDoubleString(double value, int decimals)
{
    return CTERNString::GetDoubleString(value, decimals);
}

const CTERNOperateVar* CTERNBaseStringAnalyse::GetValueNode(int index) const
{
    if (index < 0 || index >= static_cast<int>(m_aValueList.size())) return nullptr;
    return &m_aValueList[static_cast<size_t>(index)];
}

int CTERNBaseStringAnalyse::GetDValue(double& out, int index) const
{
    const CTERNOperateVar* node = GetValueNode(index);
    out = (node ? *node : EmptyNode()).GetDValue();
    return 0;
}

int CTERNBaseStringAnalyse::GetIValue(int& out, int index) const
{
    const CTERNOperateVar* node = GetValueNode(index);
    out = (node ? *node : EmptyNode()).GetIValue();
    return 0;
}

int CTERNBaseStringAnalyse::GetOValue(int& out, int index) const
{
    const CTERNOperateVar* node = GetValueNode(index);
    out = (node ? *node : EmptyNode()).GetOValue();
    return 0;
}

std::u16string CTERNBaseStringAnalyse::GetSValue(int index) const
{
    const CTERNOperateVar* node = GetValueNode(index);
    return node ? node->GetSValue() : std::u16string();
}

void CTERNBaseStringAnalyse::SetLastErrorInfo(const std::u16string& message)
{
    m_strErrorInfo = message;
    if (m_bShowErrorInfo) ShowLastError();
}

int CTERNBaseStringAnalyse::CheckParamSize(const std::u16string& name, int given, int expected)
{
    if (given == expected) return 1;
    SetLastErrorInfo(u"函数" + name + u"的形参个数应该为" + FormatInt(expected) + u"个,当前指定的个数是" +
                     FormatInt(given));
    return 0;
}

int CTERNBaseStringAnalyse::GetExtendFunValue(CTERNOperateVar& /*node*/) { return kAnalyseUnknownFunction; }

// Shared by GetFunValue and the evaluation loop (which found the entry
// when the formula was parsed).
static int CallLibrary(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, const CFunctionInfo* info,
                       const std::u16string& lowerName)
{
    if (!info) {
        engine.SetLastErrorInfo(u"函数" + lowerName + u"不存在");
        return kAnalyseUnknownFunction;
    }
    if (info->m_nArgCount == kOneOrMoreArguments) {
        if (node.GetParamSize() == 0) {
            engine.SetLastErrorInfo(AtLeastOneMessage(lowerName));
            return kAnalyseArgumentCount;
        }
    } else if (!engine.CheckParamSize(lowerName, node.GetParamSize(), info->m_nArgCount)) {
        return kAnalyseArgumentCount;
    }
    return info->m_pfnFunction(engine, node);
}

int CTERNBaseStringAnalyse::GetFunValue(CTERNOperateVar& node)
{
    int code = GetExtendFunValue(node);
    if (code != kAnalyseUnknownFunction) return code;
    std::u16string lower = ToAsciiLower(node.m_strOperate);
    return CallLibrary(*this, node, FindFunction(lower), lower);
}

int CTERNBaseStringAnalyse::CallFunction(int index)
{
    CTERNOperateVar& node = m_aValueList[static_cast<size_t>(index)];
    int code = GetExtendFunValue(node);
    if (code != kAnalyseUnknownFunction) return code;
    if (m_bValueListReady && m_pParsed && index < static_cast<int>(m_pParsed->m_aPlan.size()))
        return CallLibrary(*this, node, m_pParsed->m_aPlan[static_cast<size_t>(index)].m_pInfo, node.m_strOperate);
    std::u16string lower = ToAsciiLower(node.m_strOperate);
    return CallLibrary(*this, node, FindFunction(lower), lower);
}

void CTERNBaseStringAnalyse::AppendSValue(std::u16string& out, int index) const
{
    const CTERNOperateVar* node = GetValueNode(index);
    if (!node) return;
    switch (node->m_nType) {
    case OVT_STRING: out += node->m_strValue; break;
    case OVT_BOOL: out.push_back(node->m_nValue ? u'1' : u'0'); break;
    case OVT_NONE: break;
    default: out += node->GetSValue(); break;
    }
}

int CTERNBaseStringAnalyse::DoOperate(CTERNOperateVar& node)
{
    const int left = node.GetParamSize() > 0 ? node.m_aParamIndex[0] : -1;
    const int right = node.GetParamSize() > 1 ? node.m_aParamIndex[1] : -1;
    const char16_t op = node.m_strOperate.empty() ? u'\0' : node.m_strOperate[0];
    if (op == u'&') {
        // Built in the node's own buffer: no temporary text per row. A long
        // left text that nothing else reads is taken over, so a chain of
        // "&" grows one text instead of copying it at every step.
        std::u16string& text = node.m_strValue;
        if (!StealText(left, text)) {
            text.clear();
            AppendSValue(text, left);
        }
        const CTERNOperateVar* rightNode = GetValueNode(right);
        const size_t rightSize = rightNode && rightNode->m_nType == OVT_STRING ? rightNode->m_strValue.size() : 0;
        if (text.size() + rightSize > kMaxTextLength) {
            ReleaseText(text);
            SetLastErrorInfo(TextTooLongMessage());
            return kAnalyseTextTooLong;
        }
        AppendSValue(text, right);
        node.m_nType = OVT_STRING;
        return kAnalyseOk;
    }
    double l = 0.0;
    double r = 0.0;
    GetDValue(l, left);
    GetDValue(r, right);
    double real = 0.0;
    int logical = -1;
    switch (op) {
    case u'^': real = std::pow(l, r); break;
    case u'*': real = l * r; break;
    case u'/':
        if (r == 0.0) {
            SetLastErrorInfo(u"除数为0错误");
            return kAnalyseOperand;
        }
        real = l / r;
        break;
    case u'+': real = l + r; break;
    case u'-': real = l - r; break;
    case u'<': logical = l < r; break;
    case u'>': logical = l > r; break;
    case u'=': logical = l == r; break;
    case u'!': logical = l != r; break;
    default: SetLastErrorInfo(u"不存在的运算符号"); return kAnalyseUnknownOperator;
    }
    if (logical >= 0) {
        node.m_nType = OVT_BOOL;
        node.m_nValue = logical;
    } else {
        node.m_nType = OVT_DOUBLE;
        node.m_dValue = real;
    }
    return 0;
}

int CTERNBaseStringAnalyse::FinishFun(CTERNOperateVar& node)
{
    if (!m_aValueList.empty() && &node >= m_aValueList.data() && &node < m_aValueList.data() + m_aValueList.size()) {
        if (m_aDone.size() != m_aValueList.size()) {
            m_aDone.assign(m_aValueList.size(), 0);
            for (size_t i = 0; i < m_aValueList.size(); ++i)
                m_aDone[i] = m_aValueList[i].m_strOperate.empty() ? 1 : 0;
        }
        return Evaluate(static_cast<int>(&node - m_aValueList.data()));
    }
    // A node outside the list: its arguments, then the node.
    if (node.m_strOperate.empty()) return kAnalyseOk;
    for (int i = 0; i < node.GetParamSize(); ++i) {
        int arg = node.m_aParamIndex[static_cast<size_t>(i)];
        if (arg < 0 || arg >= static_cast<int>(m_aValueList.size())) continue;
        int code = FinishFun(m_aValueList[static_cast<size_t>(arg)]);
        if (code != 0) return code;
    }
    if (node.IsOperate()) return DoOperate(node);
    node.m_strOperate = ToAsciiLower(node.m_strOperate);
    return GetFunValue(node);
}

// Depth-first over argument indexes with an explicit stack, so that the
// depth of a formula never depends on the call stack. A node is evaluated
// once per evaluation even when several nodes name it.
int CTERNBaseStringAnalyse::Evaluate(int root)
{
    const bool planned = m_bValueListReady && m_pParsed && m_pParsed->m_aPlan.size() == m_aValueList.size();
    auto kindOf = [&](int index) {
        return planned ? m_pParsed->m_aPlan[static_cast<size_t>(index)].m_eKind
                       : KindOf(m_aValueList[static_cast<size_t>(index)]);
    };
    const int size = static_cast<int>(m_aValueList.size());
    m_aStack.clear();
    m_aStack.push_back({root, 0});
    while (!m_aStack.empty()) {
        const int index = m_aStack.back().m_nNode;
        if (m_aDone[static_cast<size_t>(index)]) {
            m_aStack.pop_back();
            continue;
        }
        CTERNOperateVar& node = m_aValueList[static_cast<size_t>(index)];
        const int params = node.GetParamSize();
        const int next = m_aStack.back().m_nNext;
        auto descend = [&](int child) {
            ++m_aStack.back().m_nNext;
            if (child >= 0 && child < size && !m_aDone[static_cast<size_t>(child)]) m_aStack.push_back({child, 0});
        };
        int code = 0;
        switch (kindOf(index)) {
        case ENodeKind::Value: break;
        case ENodeKind::Operator:
        case ENodeKind::Function:
            if (next < params) {
                descend(node.m_aParamIndex[static_cast<size_t>(next)]);
                continue;
            }
            code = kindOf(index) == ENodeKind::Operator ? DoOperate(node) : CallFunction(index);
            break;
        case ENodeKind::If:
            if (next == 0) {
                if (!CheckParamSize(node.m_strOperate, params, 3)) return kAnalyseArgumentCount;
                descend(node.m_aParamIndex[0]);
                continue;
            }
            if (next == 1) {
                int condition = 0;
                GetOValue(condition, node.m_aParamIndex[0]);
                descend(node.m_aParamIndex[condition ? 1 : 2]);
                continue;
            }
            code = CallFunction(index);
            break;
        case ENodeKind::And:
        case ENodeKind::Or: {
            if (params == 0) {
                SetLastErrorInfo(AtLeastOneMessage(node.m_strOperate));
                return kAnalyseArgumentCount;
            }
            const bool isAnd = kindOf(index) == ENodeKind::And;
            bool decided = false;
            if (next > 0) {
                int value = 0;
                GetOValue(value, node.m_aParamIndex[static_cast<size_t>(next) - 1]);
                decided = isAnd ? value == 0 : value != 0;
            }
            if (!decided && next < params) {
                descend(node.m_aParamIndex[static_cast<size_t>(next)]);
                continue;
            }
            node.m_nType = OVT_BOOL;
            node.m_nValue = decided ? (isAnd ? 0 : 1) : (isAnd ? 1 : 0);
            break;
        }
        }
        if (code != kAnalyseOk) return code;
        if (node.m_nType == OVT_STRING && node.m_strValue.size() > kMaxTextLength) {
            ReleaseText(node.m_strValue);
            SetLastErrorInfo(TextTooLongMessage());
            return kAnalyseTextTooLong;
        }
        Consumed(node);
        m_aDone[static_cast<size_t>(index)] = 1;
        m_aStack.pop_back();
    }
    return kAnalyseOk;
}

// The node has read its arguments: a computed argument that no other node
// reads any more gives its text back.
void CTERNBaseStringAnalyse::Consumed(const CTERNOperateVar& node)
{
    if (m_aUsesLeft.size() != m_aValueList.size()) return;
    const size_t presets = m_aPresetVarList.size();
    for (int arg : node.m_aParamIndex) {
        if (arg < static_cast<int>(presets) || arg >= static_cast<int>(m_aUsesLeft.size())) continue;
        CTERNOperateVar& child = m_aValueList[static_cast<size_t>(arg)];
        if (child.m_strOperate.empty()) continue;  // literals stay for the next row
        if (--m_aUsesLeft[static_cast<size_t>(arg)] == 0) ReleaseText(child.m_strValue);
    }
}

// Moves the text of node `index` into out when this is its last reader and
// the text is long enough to be worth it.
bool CTERNBaseStringAnalyse::StealText(int index, std::u16string& out)
{
    if (index < static_cast<int>(m_aPresetVarList.size()) || index >= static_cast<int>(m_aUsesLeft.size()) ||
        m_aUsesLeft.size() != m_aValueList.size())
        return false;
    CTERNOperateVar& child = m_aValueList[static_cast<size_t>(index)];
    if (child.m_strOperate.empty() || child.m_nType != OVT_STRING || m_aUsesLeft[static_cast<size_t>(index)] != 1 ||
        child.m_strValue.size() <= kKeepCapacity || &child.m_strValue == &out)
        return false;
    out = std::move(child.m_strValue);
    child.m_strValue = std::u16string();
    return true;
}

int CTERNBaseStringAnalyse::SetOutput(const CTERNOperateVar& root)
{
    switch (root.m_nType) {
    case OVT_STRING:
        m_strOutput.assign(1, u'"');
        m_strOutput += root.m_strValue;
        m_strOutput.push_back(u'"');
        break;
    case OVT_INT: m_strOutput = FormatInt(root.m_nValue); break;
    case OVT_DOUBLE: m_strOutput = CTERNString::GetDoubleString(root.m_dValue, -7); break;
    case OVT_BOOL: m_strOutput = root.m_nValue ? u"TRUE" : u"FALSE"; break;
    default: m_strOutput.clear(); break;
    }
    m_nOutputType = root.m_nType;
    return kAnalyseOk;
}

bool CTERNBaseStringAnalyse::PrepareParsed()
{
    if (m_pParsed && ParsedMatches(*m_pParsed, m_strInput, m_aPresetVarList)) return true;
    m_pParsed = CachedParseFormula(m_strInput, m_aPresetVarList);
    m_bValueListReady = false;
    return false;
}

int CTERNBaseStringAnalyse::DoAnalyse()
{
    if (m_strInput.empty()) {
        SetLastErrorInfo(u"用户输入的表达式为空");
        return kAnalyseEmptyInput;
    }
    try {
        if (!PrepareParsed()) m_nLimitCode = kAnalyseOk;
        if (m_nLimitCode != kAnalyseOk) {
            SetLastErrorInfo(m_strLimitError);
            return m_nLimitCode;
        }
        int code = Analyse();
        if (code == kAnalyseTextTooLong || code == kAnalyseTooDeep || code == kAnalyseOutOfMemory) {
            m_nLimitCode = code;
            m_strLimitError = m_strErrorInfo;
        }
        if (code != kAnalyseOk && !m_aValueList.empty()) {
            // What a failed evaluation left in its nodes is not needed.
            for (size_t i = m_aPresetVarList.size(); i < m_aValueList.size(); ++i)
                if (!m_aValueList[i].m_strOperate.empty()) ReleaseText(m_aValueList[i].m_strValue);
        }
        return code;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // Out of memory: drop everything of this evaluation; the engine stays usable.
    std::vector<CTERNOperateVar>().swap(m_aValueList);
    std::vector<CFrame>().swap(m_aStack);
    m_bValueListReady = false;
    m_strErrorInfo.clear();
    m_nLimitCode = kAnalyseOutOfMemory;
    m_strLimitError = u"内存不足，无法计算公式";
    SetLastErrorInfo(m_strLimitError);
    return kAnalyseOutOfMemory;
}

int CTERNBaseStringAnalyse::Analyse()
{
    const CParsedFormula& parsed = *m_pParsed;
    if (parsed.m_nCode != kAnalyseOk) {
        if (parsed.m_nCode != kAnalyseNothing) SetLastErrorInfo(parsed.m_strError);
        return parsed.m_nCode;
    }
    const size_t presets = m_aPresetVarList.size();
    if (!m_bValueListReady) {
        m_aValueList = parsed.m_aNodes;
        m_bValueListReady = true;
    } else {
        for (size_t i = presets; i < m_aValueList.size(); ++i)
            if (parsed.m_aPlan[i].m_eKind != ENodeKind::Value) m_aValueList[i].m_nType = OVT_NONE;
    }
    for (size_t i = 0; i < presets; ++i) {
        const CTERNOperateVar& preset = m_aPresetVarList[i];
        CTERNOperateVar& slot = m_aValueList[i];
        slot.m_nType = preset.m_nType;
        slot.m_strValue = preset.m_strValue;
        slot.m_dValue = preset.m_dValue;
        slot.m_nValue = preset.m_nValue;
    }
    if (parsed.m_nRootSource >= 0) {
        const CTERNOperateVar& source = m_aValueList[static_cast<size_t>(parsed.m_nRootSource)];
        CTERNOperateVar& root = m_aValueList.back();
        root.m_nType = source.m_nType;
        root.m_strValue = source.m_strValue;
        root.m_dValue = source.m_dValue;
        root.m_nValue = source.m_nValue;
    }
    m_aDone.resize(m_aValueList.size());
    for (size_t i = 0; i < m_aValueList.size(); ++i)
        m_aDone[i] = parsed.m_aPlan[i].m_eKind == ENodeKind::Value ? 1 : 0;
    m_aUsesLeft = parsed.m_aUses;
    const int root = static_cast<int>(m_aValueList.size()) - 1;
    int code = Evaluate(root);
    m_aUsesLeft.clear();  // the counts hold for this evaluation only
    if (code != kAnalyseOk) return code;
    code = SetOutput(m_aValueList.back());
    if (!m_aValueList.back().m_strOperate.empty()) ReleaseText(m_aValueList.back().m_strValue);
    return code;
}

}  // namespace kq
