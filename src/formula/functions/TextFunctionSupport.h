// Small helpers shared by the formula function families:
// argument readers by position, refusals and result setters.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "formula/engine/TERNBaseStringAnalyse.h"
#include "formula/engine/TERNOperateVar.h"

namespace kq::fn {

inline int ReadInt(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, int i, int& out)
{
    return engine.GetIValue(out, node[i]);
}
inline int ReadReal(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, int i, double& out)
{
    return engine.GetDValue(out, node[i]);
}
inline int ReadBool(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, int i, int& out)
{
    return engine.GetOValue(out, node[i]);
}
inline std::u16string ReadText(CTERNBaseStringAnalyse& engine, CTERNOperateVar& node, int i)
{
    return engine.GetSValue(node[i]);
}

// Records the function's message; the call fails with kAnalyseBadArgument.
inline int Refuse(CTERNBaseStringAnalyse& engine, std::u16string_view message)
{
    engine.SetLastErrorInfo(std::u16string(message));
    return kAnalyseBadArgument;
}

inline int SetText(CTERNOperateVar& node, std::u16string value)
{
    node.m_strValue = std::move(value);
    node.m_nType = OVT_STRING;
    return 0;
}
inline int SetInt(CTERNOperateVar& node, int value)
{
    node.m_nValue = value;
    node.m_nType = OVT_INT;
    return 0;
}
inline int SetReal(CTERNOperateVar& node, double value)
{
    node.m_dValue = value;
    node.m_nType = OVT_DOUBLE;
    return 0;
}
inline int SetBool(CTERNOperateVar& node, bool value)
{
    node.m_nValue = value ? 1 : 0;
    node.m_nType = OVT_BOOL;
    return 0;
}

// Length as a formula integer (texts never reach 2^31 units in practice).
inline int TextLength(std::u16string_view text)
{
    return text.size() > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(text.size());
}

}  // namespace kq::fn
