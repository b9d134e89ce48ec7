#include "formula/engine/TERNOperateVar.h"

#include <stdexcept>

#include "formula/text/TERNString.h"
#include "platform/Crt.h"
#include "platform/Text.h"

namespace kq {

CTERNOperateVar::CTERNOperateVar() { TERNClear(); }

CTERNOperateVar::CTERNOperateVar(const CTERNOperateVar& other) { TERNCopySet(other); }

CTERNOperateVar& CTERNOperateVar::operator=(const CTERNOperateVar& other)
{
    if (this != &other) TERNCopySet(other);
    return *this;
}

CTERNOperateVar::~CTERNOperateVar() = default;

void CTERNOperateVar::TERNClear()
{
    m_strName.clear();
    m_strOperate.clear();
    m_strValue.clear();
    std::vector<int>().swap(m_aParamIndex);
    m_nType = OVT_NONE;
    m_nValue = 0;
    m_dValue = 0.0;
}

void CTERNOperateVar::TERNCopySet(const CTERNOperateVar& other)
{
    if (this == &other) return;
    m_strName = other.m_strName;
    m_strOperate = other.m_strOperate;
    m_aParamIndex.clear();
    m_aParamIndex.insert(m_aParamIndex.end(), other.m_aParamIndex.begin(), other.m_aParamIndex.end());
    m_nType = other.m_nType;
    m_strValue = other.m_strValue;
    m_dValue = other.m_dValue;
    m_nValue = other.m_nValue;
}

int CTERNOperateVar::operator[](const int& i) const
{
    if (i < 0 || i >= GetParamSize()) throw std::invalid_argument("CTERNOperateVar: parameter index out of range");
    return m_aParamIndex[static_cast<size_t>(i)];
}

void CTERNOperateVar::AddParamIndex(int index) { m_aParamIndex.push_back(index); }

void CTERNOperateVar::AddParamIndex(const std::vector<int>& list)
{
    m_aParamIndex.insert(m_aParamIndex.end(), list.begin(), list.end());
}

int CTERNOperateVar::IsOperate() const
{
    return (!m_strOperate.empty() && !IsAsciiLetter(m_strOperate[0])) ? 1 : 0;
}

double CTERNOperateVar::GetDValue() const
{
    switch (m_nType) {
    case OVT_STRING: return Wtof(m_strValue);
    case OVT_INT:
    case OVT_BOOL: return static_cast<double>(m_nValue);
    case OVT_DOUBLE: return m_dValue;
    default: return 0.0;
    }
}

int CTERNOperateVar::GetIValue() const
{
    switch (m_nType) {
    case OVT_STRING: return Wtoi(m_strValue);
    case OVT_INT:
    case OVT_BOOL: return m_nValue;
    case OVT_DOUBLE: return DoubleToInt(m_dValue);
    default: return 0;
    }
}

int CTERNOperateVar::GetOValue() const { return GetIValue() != 0 ? 1 : 0; }

std::u16string CTERNOperateVar::GetSValue() const
{
    switch (m_nType) {
    case OVT_STRING: return m_strValue;
    case OVT_INT: return FormatInt(m_nValue);
    case OVT_DOUBLE: return CTERNString::GetDoubleString(m_dValue, -7);
    case OVT_BOOL: return m_nValue != 0 ? u"1" : u"0";
    default: return {};
    }
}

}  // namespace kq
