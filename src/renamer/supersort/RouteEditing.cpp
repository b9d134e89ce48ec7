#include "renamer/supersort/RouteEditing.h"

#include <algorithm>

#include "platform/Clock.h"
#include "platform/Prompt.h"

namespace kq {

CSortRouteList ExportRoutes(const CSortRouteList& from, const std::vector<int>& picked)
{
    CSortRouteList out;
    for (int r : picked) {
        if (r < 0 || r >= from.GetCount()) continue;
        const int at = out.AddRoute(from[r].m_strName, from[r].m_strDescription);
        out.SetAt(at, from[r]);
    }
    return out;
}

std::vector<std::u16string> ImportRoutes(CSortRouteList& target, const CSortRouteList& from,
                                         const std::vector<int>& picked)
{
    std::vector<std::u16string> names;
    for (int r : picked) {
        if (r < 0 || r >= from.GetCount()) continue;
        std::u16string name = from[r].m_strName;
        while (target.HasRouteName(name)) name += u" 导入";
        const int at = target.AddRoute(name, from[r].m_strDescription);
        target.SetAt(at, from[r]);
        target[at].m_strName = name;
        target[at].m_nTime = CurrentTime();
        target[at].m_nOrigin = kOriginImported;
        names.push_back(name);
    }
    return names;
}

EClauseMove MoveClauses(CSortRouteItem& item, std::vector<int>& selection, int step)
{
    if (selection.empty()) return EClauseMove::Nothing;
    for (size_t k = 1; k < selection.size(); ++k) {
        if (selection[k] != selection[k - 1] + 1) {
            GetPromptProvider().Inform(u"条款上下移操作时，只能连续选择条款！", u"选择不连续");
            return EClauseMove::NotContiguous;
        }
    }
    const int first = selection.front(), last = selection.back();
    const int count = static_cast<int>(item.m_aClauses.size());
    if (first < 0 || last >= count) return EClauseMove::Nothing;
    auto& clauses = item.m_aClauses;
    // The neighbour crosses the block: rotating the block and it by one.
    if (step < 0) {
        if (first == 0) return EClauseMove::Nothing;
        std::rotate(clauses.begin() + first - 1, clauses.begin() + first, clauses.begin() + last + 1);
    } else {
        if (last == count - 1) return EClauseMove::Nothing;
        std::rotate(clauses.begin() + first, clauses.begin() + last + 1, clauses.begin() + last + 2);
    }
    for (int& row : selection) row += step < 0 ? -1 : 1;
    return EClauseMove::Moved;
}

void DeleteClauses(CSortRouteItem& item, std::vector<int> selection)
{
    std::sort(selection.begin(), selection.end());
    selection.erase(std::unique(selection.begin(), selection.end()), selection.end());
    for (auto it = selection.rbegin(); it != selection.rend(); ++it)
        if (*it >= 0 && *it < static_cast<int>(item.m_aClauses.size())) item.m_aClauses.erase(item.m_aClauses.begin() + *it);
}

}  // namespace kq
