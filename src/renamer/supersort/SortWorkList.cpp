#include "renamer/supersort/SortWorkList.h"

#include "platform/Crt.h"
#include "renamer/list/FileNameList.h"
#include "renamer/supersort/WeightOrder.h"

namespace kq {

const std::u16string kConditionErrorTitle = u"条件文本公式错误";
const std::u16string kWeightErrorTitle = u"条款权值公式错误";

void CSortWorkList::Clear()
{
    m_aFolders.clear();
    m_aTitles.clear();
    m_aExtensions.clear();
    m_aStatuses.clear();
    m_aWeights.clear();
    m_aHasDot.clear();
    m_aSource.clear();
}

void CSortWorkList::Build(const CFileNameList& list)
{
    Clear();
    const size_t n = static_cast<size_t>(list.GetItemCount());
    m_aFolders.reserve(n);
    m_aTitles.reserve(n);
    m_aExtensions.reserve(n);
    m_aStatuses.reserve(n);
    m_aHasDot.reserve(n);
    for (int r = 0; r < static_cast<int>(n); ++r) {
        m_aFolders.push_back(list.GetText(r, kColFolder));
        m_aStatuses.push_back(list.GetText(r, kColStatus));
        const std::u16string& name = list.GetText(r, kColOldName);
        const size_t dot = name.rfind(u'.');
        if (dot == std::u16string::npos) {
            m_aTitles.push_back(name);
            m_aExtensions.emplace_back();
            m_aHasDot.push_back(0);
        } else {
            m_aTitles.push_back(name.substr(0, dot));
            m_aExtensions.push_back(name.substr(dot + 1));
            m_aHasDot.push_back(1);
        }
        m_aSource.push_back(r);
    }
    m_aWeights.assign(n, 0);
}

std::u16string CSortWorkList::RestoredName(int entry) const
{
    const size_t e = size_t(entry);
    return m_aHasDot[e] ? m_aTitles[e] + u"." + m_aExtensions[e] : m_aTitles[e];
}

ESuperSortResult CSortWorkList::Evaluate(const std::u16string& text, int i, const std::u16string& title,
                                         std::u16string& output)
{
    CTERNBaseStringAnalyse engine;
    engine.SetShowErrorInfo(1);
    engine.SetMessageWnd(m_hMessageWnd);
    engine.SetErrorTitle(title);
    engine.SetInputString(text);
    CTERNOperateVar var;
    var.m_strName = u"i";
    var.m_nType = OVT_INT;
    var.m_nValue = i;
    engine.m_aPresetVarList.push_back(var);
    if (engine.DoAnalyse() != 0) {
        m_strLastError = engine.GetAnalyseErrorInfo();
        return kSuperSortFormula;
    }
    output = engine.GetOutputString();
    return kSuperSortOk;
}

ESuperSortResult CSortWorkList::EvalConditionText(const std::u16string& text, int i, std::u16string& out)
{
    if (text.empty() || text[0] != u'=') {
        out = text;
        return kSuperSortOk;
    }
    std::u16string output;
    if (ESuperSortResult status = Evaluate(text, i, kConditionErrorTitle, output)) return status;
    if (output.size() < 2) {
        m_strLastError.clear();
        return kSuperSortFormula;
    }
    out = output.substr(1, output.size() - 2);
    return kSuperSortOk;
}

ESuperSortResult CSortWorkList::EvalClauseWeight(const std::u16string& text, int i, int& weight)
{
    std::u16string output;
    if (ESuperSortResult status = Evaluate(text, i, kWeightErrorTitle, output)) return status;
    weight = Wtoi(output);
    return kSuperSortOk;
}

bool CSortWorkList::TestCondition(std::u16string_view s, int mode, std::u16string_view t)
{
    switch (mode) {
    case kConditionContains: return s.find(t) != std::u16string_view::npos;
    case kConditionExcludes: return s.find(t) == std::u16string_view::npos;
    case kConditionEquals: return s == t;
    case kConditionDiffers: return s != t;
    case kConditionStartsWith: return s.starts_with(t);
    case kConditionNotStartsWith: return !s.starts_with(t);
    case kConditionEndsWith: return s.ends_with(t);
    case kConditionNotEndsWith: return !s.ends_with(t);
    default: return true;  // only a foreign file holds other modes
    }
}

bool CSortWorkList::MatchClause(const CSortRouteClause& clause, int entry, std::u16string_view tA,
                                std::u16string_view tB, std::u16string_view tC) const
{
    const std::u16string& title = m_aTitles[size_t(entry)];
    const int combination = clause.m_nCombination;
    const bool a = TestCondition(title, clause.m_aConditionMode[0], tA);
    if (combination == kCombineA) return a;
    const bool b = TestCondition(title, clause.m_aConditionMode[1], tB);
    if (combination == kCombineAAndB) return a && b;
    if (combination == kCombineAOrB) return a || b;
    const bool c = TestCondition(title, clause.m_aConditionMode[2], tC);
    switch (combination) {
    case kCombineAll: return a && b && c;
    case kCombineAny: return a || b || c;
    case kCombineAAndBOrC: return a && (b || c);
    case kCombineAOrBAndC: return a || (b && c);
    default: return false;  // an unknown combination matches nothing
    }
}

ESuperSortResult CSortWorkList::ApplyClause(int index)
{
    const CSortRouteClause& clause = m_pRoute->m_aClauses[size_t(index)];
    const int step = clause.m_nLoopStep;
    if (clause.m_nLoopMode != kLoopNone && step == 0) return kSuperSortZeroStep;
    // A range loop counts in 64 bits and ends when i would leave the 32-bit
    // range (wrapping there could loop for ever). The self-ending loop keeps
    // 32-bit wrapping arithmetic: its i meets the end after 10000 steps
    // whatever the wrap, so it never exceeds 10001 passes.
    const bool range = clause.m_nLoopMode == kLoopRange;
    int64_t i = clause.m_nLoopMode == kLoopNone ? 1 : clause.m_nLoopStart;
    const int64_t end = range ? int64_t(clause.m_nLoopEnd)
                              : int64_t(int32_t(uint32_t(clause.m_nLoopStart) + 10000u * uint32_t(step)));
    const int used = ConditionsInUse(clause.m_nCombination);
    std::u16string texts[3];
    for (;;) {
        for (int j = 0; j < used; ++j)
            if (ESuperSortResult status = EvalConditionText(clause.m_aConditionText[size_t(j)], int(i), texts[j]))
                return status;
        int weight = 0;
        if (ESuperSortResult status = EvalClauseWeight(clause.m_strWeight, int(i), weight)) return status;
        const int count = GetCount();
        for (int e = 0; e < count; ++e) {
            if (MatchClause(clause, e, texts[0], texts[1], texts[2]))
                m_aWeights[size_t(e)] = int32_t(uint32_t(m_aWeights[size_t(e)]) + uint32_t(weight));
        }
        if (clause.m_nLoopMode == kLoopNone) break;
        if (step > 0 ? i >= end : i <= end) break;
        if (range) {
            i += step;
            if (i > INT32_MAX || i < INT32_MIN) break;
        } else {
            i = int32_t(uint32_t(i) + uint32_t(step));
        }
    }
    return kSuperSortOk;
}

ESuperSortResult CSortWorkList::ApplyRule()
{
    m_aWeights.assign(m_aTitles.size(), 0);
    m_strLastError.clear();
    for (int k = 0; k < static_cast<int>(m_pRoute->m_aClauses.size()); ++k)
        if (ESuperSortResult status = ApplyClause(k)) return status;
    return kSuperSortOk;
}

namespace {

template <class T>
void Permute(std::vector<T>& values, const std::vector<int>& order)
{
    std::vector<T> sorted;
    sorted.reserve(values.size());
    for (int from : order) sorted.push_back(std::move(values[size_t(from)]));
    values.swap(sorted);
}

}  // namespace

void CSortWorkList::SortByWeight()
{
    const std::vector<int> order = ExchangeSortOrder(m_aWeights, m_bAscending);
    Permute(m_aFolders, order);
    Permute(m_aTitles, order);
    Permute(m_aExtensions, order);
    Permute(m_aStatuses, order);
    Permute(m_aWeights, order);
    Permute(m_aHasDot, order);
    Permute(m_aSource, order);
}

ESuperSortResult PrepareSuperSort(CSortWorkList& work, const CFileNameList& list, const CSortRouteItem& rule,
                                  bool ascending)
{
    work.m_pRoute = &rule;
    work.m_bAscending = ascending;
    work.Build(list);
    if (work.GetCount() == 0) return kSuperSortNothing;
    if (ESuperSortResult status = work.ApplyRule()) return status;
    work.SortByWeight();
    return kSuperSortOk;
}

ESuperSortResult RunSuperSort(CFileNameList& list, bool ascending, const CSuperSortSteps& steps, MessageWindow owner)
{
    const CSortRouteItem* rule = steps.m_fnChoose ? steps.m_fnChoose() : nullptr;
    if (!rule) return kSuperSortNothing;
    CSortWorkList work;
    work.m_hMessageWnd = owner;
    if (ESuperSortResult status = PrepareSuperSort(work, list, *rule, ascending)) return status;
    if (!steps.m_fnPreview || !steps.m_fnPreview(work)) return kSuperSortNothing;
    // Only the row order changes: the names, statuses and folders were
    // taken from these rows, so moving the rows writes them back exactly.
    list.ReorderRows(work.Source());
    return kSuperSortOk;
}

}  // namespace kq
