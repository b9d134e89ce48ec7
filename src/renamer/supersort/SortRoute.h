// Super-sort rules: a rule is an ordered list of clauses; a clause tests the
// file title with up to three conditions, may loop over an integer i and
// adds a formula weight to every file it matches.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "renamer/supersort/Operator.h"

namespace kq {

// The values a rule file stores, in the order of their display texts; a
// damaged or foreign file may hold others, so fields stay plain integers.
enum ELoopMode { kLoopNone = 0, kLoopRange = 1, kLoopAuto = 2 };
// How a clause combines its conditions A, B and C.
enum ECombination {
    kCombineA = 0,         // A
    kCombineAAndB = 1,     // A & B
    kCombineAOrB = 2,      // A | B
    kCombineAll = 3,       // A & B & C
    kCombineAny = 4,       // A | B | C
    kCombineAAndBOrC = 5,  // A & ( B | C )
    kCombineAOrBAndC = 6,  // A | ( B & C )
};
// How a condition compares the file title with its text.
enum EConditionMode {
    kConditionContains = 0,       // 包含
    kConditionExcludes = 1,       // 不包含
    kConditionEquals = 2,         // 等于
    kConditionDiffers = 3,        // 不等于
    kConditionStartsWith = 4,     // 左等于
    kConditionNotStartsWith = 5,  // 左不等于
    kConditionEndsWith = 6,       // 右等于
    kConditionNotEndsWith = 7,    // 右不等于
};
enum ERouteOrigin { kOriginShipped = 0, kOriginUser = 1, kOriginImported = 2, kOriginUpdate = 3 };

inline constexpr int kCombinationCount = 7;
inline constexpr int kConditionModeCount = 8;
inline constexpr int kLoopModeCount = 3;

// Display texts by index ("A" … "A | ( B & C )", "包含" … "右不等于",
// "不循环" … "自动截止循环"); a value outside the table reads as its number.
std::u16string CombinationText(int combination);
std::u16string ConditionModeText(int mode);
std::u16string LoopModeText(int mode);
std::u16string OriginText(int origin);

// Conditions in use: 1 for combination 0, 2 for 1 and 2, 3 from 3 on.
int ConditionsInUse(int combination);

class CSortRouteClause : public COperator {
public:
    int m_nCombination = 0;
    int m_nLoopMode = kLoopNone;
    int m_nLoopStart = 1;
    int m_nLoopEnd = 10;
    int m_nLoopStep = 1;
    std::u16string m_strWeight = u"10";
    std::array<int, 3> m_aConditionMode{0, 0, 0};
    std::array<std::u16string, 3> m_aConditionText;

    std::u16string GetModeText() const { return CombinationText(m_nCombination); }
    // "无循环", "%d→%d/%d" (start, end, step) or "%d→∞/%d" (start, step).
    std::u16string GetLoopText() const;
    // Mode text + "{" + text + "} ".
    std::u16string GetConditionText(int j) const;

    EOperatorStatus StoreVersion1(CArchive& ar) const override;
    EOperatorStatus LoadVersion1(CArchive& ar) override;
    bool operator==(const CSortRouteClause& other) const;
};

class CSortRouteItem : public COperator {
public:
    CSortRouteItem();  // origin 1, the current time

    std::u16string m_strName;
    std::u16string m_strDescription;
    int64_t m_nTime = 0;  // seconds since 1970-01-01 UTC
    int m_nOrigin = kOriginUser;
    std::vector<CSortRouteClause> m_aClauses;

    std::u16string GetOriginText() const { return OriginText(m_nOrigin); }

    EOperatorStatus StoreVersion1(CArchive& ar) const override;
    EOperatorStatus LoadVersion1(CArchive& ar) override;
    bool operator==(const CSortRouteItem& other) const;
};

// "%Y-%m-%d %H:%M:%S" in local time; empty when it cannot be converted.
std::u16string FormatRouteTime(int64_t time);
// The chooser's description: "规则名称：%s\n创建时间：%s\n创建方式：%s\n规则说明：%s".
std::u16string RouteDescriptionText(const CSortRouteItem& item);

class CSortRouteList : public COperator {
public:
    int GetCount() const { return static_cast<int>(m_aRoutes.size()); }
    CSortRouteItem& operator[](int index) { return m_aRoutes[size_t(index)]; }
    const CSortRouteItem& operator[](int index) const { return m_aRoutes[size_t(index)]; }
    void SetAt(int index, const CSortRouteItem& item) { m_aRoutes[size_t(index)] = item; }

    // A new rule (current time, origin 1, no clauses) at the end; its index.
    int AddRoute(const std::u16string& name, const std::u16string& description);
    // Exact, case-sensitive comparison.
    bool HasRouteName(const std::u16string& name) const;
    // Index of the first rule with that name, or -1.
    int FindRoute(const std::u16string& name) const;
    void RemoveRoute(int index);
    void RemoveAll() { m_aRoutes.clear(); }

    EOperatorStatus StoreVersion1(CArchive& ar) const override;
    EOperatorStatus LoadVersion1(CArchive& ar) override;

    std::vector<CSortRouteItem> m_aRoutes;
};

}  // namespace kq
