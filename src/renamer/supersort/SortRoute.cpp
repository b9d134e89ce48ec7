#include "renamer/supersort/SortRoute.h"

#include "platform/Clock.h"
#include "platform/Crt.h"
#include "platform/Text.h"

#include <ctime>

namespace kq {

namespace {

const char16_t* const kCombinationTexts[kCombinationCount] = {
    u"A", u"A & B", u"A | B", u"A & B & C", u"A | B | C", u"A & ( B | C )", u"A | ( B & C )"};
const char16_t* const kConditionModeTexts[kConditionModeCount] = {
    u"包含", u"不包含", u"等于", u"不等于", u"左等于", u"左不等于", u"右等于", u"右不等于"};
const char16_t* const kLoopModeTexts[kLoopModeCount] = {u"不循环", u"指定区间循环", u"自动截止循环"};
const char16_t* const kOriginTexts[4] = {u"软件自带", u"用户创建", u"用户导入", u"网络更新"};

template <size_t N>
std::u16string TableText(const char16_t* const (&table)[N], int index)
{
    if (index >= 0 && size_t(index) < N) return table[index];
    return FormatInt(index);
}

}  // namespace

std::u16string CombinationText(int combination) { return TableText(kCombinationTexts, combination); }
std::u16string ConditionModeText(int mode) { return TableText(kConditionModeTexts, mode); }
std::u16string LoopModeText(int mode) { return TableText(kLoopModeTexts, mode); }
std::u16string OriginText(int origin) { return TableText(kOriginTexts, origin); }

int ConditionsInUse(int combination) { return combination == kCombineA ? 1 : combination <= kCombineAOrB ? 2 : 3; }

std::u16string CSortRouteClause::GetLoopText() const
{
    if (m_nLoopMode == kLoopNone) return u"无循环";
    if (m_nLoopMode == kLoopRange)
        return FormatInt(m_nLoopStart) + u"→" + FormatInt(m_nLoopEnd) + u"/" + FormatInt(m_nLoopStep);
    return FormatInt(m_nLoopStart) + u"→∞/" + FormatInt(m_nLoopStep);
}

std::u16string CSortRouteClause::GetConditionText(int j) const
{
    if (j < 0 || j > 2) return {};
    return ConditionModeText(m_aConditionMode[size_t(j)]) + u"{" + m_aConditionText[size_t(j)] + u"} ";
}

EOperatorStatus CSortRouteClause::StoreVersion1(CArchive& ar) const
{
    ar.WriteInt32(m_nCombination);
    ar.WriteInt32(m_nLoopMode);
    ar.WriteInt32(m_nLoopStart);
    ar.WriteInt32(m_nLoopEnd);
    ar.WriteInt32(m_nLoopStep);
    ar.WriteString(m_strWeight);
    for (size_t j = 0; j < 3; ++j) {
        ar.WriteInt32(m_aConditionMode[j]);
        ar.WriteString(m_aConditionText[j]);
    }
    return kOperatorOk;
}

EOperatorStatus CSortRouteClause::LoadVersion1(CArchive& ar)
{
    int32_t v[5];
    for (auto& x : v) ar.ReadInt32(x);
    m_nCombination = v[0];
    m_nLoopMode = v[1];
    m_nLoopStart = v[2];
    m_nLoopEnd = v[3];
    m_nLoopStep = v[4];
    ar.ReadString(m_strWeight);
    for (size_t j = 0; j < 3; ++j) {
        int32_t mode = 0;
        ar.ReadInt32(mode);
        m_aConditionMode[j] = mode;
        ar.ReadString(m_aConditionText[j]);
    }
    return ar.Failed() ? kOperatorDamaged : kOperatorOk;
}

bool CSortRouteClause::operator==(const CSortRouteClause& o) const
{
    return m_nCombination == o.m_nCombination && m_nLoopMode == o.m_nLoopMode && m_nLoopStart == o.m_nLoopStart &&
           m_nLoopEnd == o.m_nLoopEnd && m_nLoopStep == o.m_nLoopStep && m_strWeight == o.m_strWeight &&
           m_aConditionMode == o.m_aConditionMode && m_aConditionText == o.m_aConditionText;
}

CSortRouteItem::CSortRouteItem() : m_nTime(CurrentTime()) {}

EOperatorStatus CSortRouteItem::StoreVersion1(CArchive& ar) const
{
    ar.WriteString(m_strName);
    ar.WriteString(m_strDescription);
    ar.WriteInt64(m_nTime);
    ar.WriteInt32(m_nOrigin);
    ar.WriteInt32(static_cast<int32_t>(m_aClauses.size()));
    for (const auto& clause : m_aClauses) clause.StoreObject(ar);
    return kOperatorOk;
}

EOperatorStatus CSortRouteItem::LoadVersion1(CArchive& ar)
{
    ar.ReadString(m_strName);
    ar.ReadString(m_strDescription);
    int64_t time = 0;
    ar.ReadInt64(time);
    m_nTime = time;
    int32_t origin = 0, count = 0;
    ar.ReadInt32(origin);
    m_nOrigin = origin;
    ar.ReadInt32(count);
    m_aClauses.clear();
    if (ar.Failed() || count < 0) return kOperatorDamaged;
    // No room is made from the count: it is only as good as the file. A
    // rule with a damaged or refused clause is incomplete and is dropped.
    for (int32_t k = 0; k < count; ++k) {
        CSortRouteClause clause;
        int status = clause.LoadObject(ar);
        if (ar.Failed() || ar.Refused() || status != kOperatorOk)
            return status == kOperatorNewer ? kOperatorNewer : kOperatorDamaged;
        m_aClauses.push_back(std::move(clause));
    }
    return kOperatorOk;
}

bool CSortRouteItem::operator==(const CSortRouteItem& o) const
{
    return m_strName == o.m_strName && m_strDescription == o.m_strDescription && m_nTime == o.m_nTime &&
           m_nOrigin == o.m_nOrigin && m_aClauses == o.m_aClauses;
}

std::u16string FormatRouteTime(int64_t time)
{
    std::tm tm{};
    if (!LocalTime(time, tm)) return {};
    char text[64];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &tm) == 0) return {};
    return FromAscii(text);
}

std::u16string RouteDescriptionText(const CSortRouteItem& item)
{
    return u"规则名称：" + item.m_strName + u"\n创建时间：" + FormatRouteTime(item.m_nTime) + u"\n创建方式：" +
           item.GetOriginText() + u"\n规则说明：" + item.m_strDescription;
}

int CSortRouteList::AddRoute(const std::u16string& name, const std::u16string& description)
{
    CSortRouteItem item;
    item.m_strName = name;
    item.m_strDescription = description;
    item.m_nTime = CurrentTime();
    item.m_nOrigin = kOriginUser;
    m_aRoutes.push_back(std::move(item));
    return GetCount() - 1;
}

bool CSortRouteList::HasRouteName(const std::u16string& name) const { return FindRoute(name) >= 0; }

int CSortRouteList::FindRoute(const std::u16string& name) const
{
    for (size_t i = 0; i < m_aRoutes.size(); ++i)
        if (m_aRoutes[i].m_strName == name) return static_cast<int>(i);
    return -1;
}

void CSortRouteList::RemoveRoute(int index)
{
    if (index >= 0 && index < GetCount()) m_aRoutes.erase(m_aRoutes.begin() + index);
}

EOperatorStatus CSortRouteList::StoreVersion1(CArchive& ar) const
{
    ar.WriteInt32(GetCount());
    for (const auto& item : m_aRoutes) item.StoreObject(ar);
    return kOperatorOk;
}

EOperatorStatus CSortRouteList::LoadVersion1(CArchive& ar)
{
    int32_t count = 0;
    if (!ar.ReadInt32(count)) return kOperatorDamaged;
    m_aRoutes.clear();
    if (count < 0) return kOperatorDamaged;
    // The rules read completely before any damage are kept.
    for (int32_t k = 0; k < count; ++k) {
        CSortRouteItem item;
        int status = item.LoadObject(ar);
        if (ar.Failed() || ar.Refused() || status != kOperatorOk)
            return status == kOperatorNewer ? kOperatorNewer : kOperatorDamaged;
        m_aRoutes.push_back(std::move(item));
    }
    return kOperatorOk;
}

}  // namespace kq
