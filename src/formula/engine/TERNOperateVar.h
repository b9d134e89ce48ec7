// One value or node of a formula evaluation: a literal, a preset variable,
// or the node of an operator or a function call with its argument indexes.
#pragma once

#include <string>
#include <vector>

namespace kq {

// Value kinds; the same codes are the engine's output types.
inline constexpr int OVT_NONE = 0;    // not evaluated yet
inline constexpr int OVT_STRING = 1;  // m_strValue
inline constexpr int OVT_INT = 2;     // m_nValue
inline constexpr int OVT_DOUBLE = 3;  // m_dValue
inline constexpr int OVT_BOOL = 4;    // m_nValue, 0 or 1

class CTERNOperateVar {
public:
    CTERNOperateVar();
    CTERNOperateVar(const CTERNOperateVar& other);
    CTERNOperateVar& operator=(const CTERNOperateVar& other);
    // Moves keep node lists cheap to grow.
    CTERNOperateVar(CTERNOperateVar&& other) noexcept = default;
    CTERNOperateVar& operator=(CTERNOperateVar&& other) noexcept = default;
    virtual ~CTERNOperateVar();

    void TERNClear();
    void TERNCopySet(const CTERNOperateVar& other);

    int GetParamSize() const { return static_cast<int>(m_aParamIndex.size()); }
    // Index of argument i. An index outside the list is a programming error
    // and throws std::invalid_argument (user input never reaches it).
    int operator[](const int& i) const;
    void AddParamIndex(int index);
    void AddParamIndex(const std::vector<int>& list);

    // 1 for an operator node: m_strOperate starts with a non-letter.
    int IsOperate() const;

    // The value read as real, integer, logical (0/1) or text.
    double GetDValue() const;
    int GetIValue() const;
    int GetOValue() const;
    std::u16string GetSValue() const;

    std::u16string m_strName;     // "SFV<n>" for engine nodes, the preset's name, empty for literals
    std::u16string m_strOperate;  // empty, one operator character, or a function name
    std::vector<int> m_aParamIndex;
    int m_nType = OVT_NONE;
    std::u16string m_strValue;
    double m_dValue = 0.0;
    int m_nValue = 0;
};

}  // namespace kq
