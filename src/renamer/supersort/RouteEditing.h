// What the chooser, the rule editor and the CLI do to rules: export,
// import, and the clause moves and deletions of the rule editor.
#pragma once

#include <string>
#include <vector>

#include "renamer/supersort/SortRoute.h"

namespace kq {

// The picked rules (indices into from) in list order, each whole: name,
// description, time, origin and clauses.
CSortRouteList ExportRoutes(const CSortRouteList& from, const std::vector<int>& picked);

// Appends the picked rules of from to target, each renamed with " 导入"
// until its name is free, with origin 2 and the current time. Returns the
// names given, in order.
std::vector<std::u16string> ImportRoutes(CSortRouteList& target, const CSortRouteList& from,
                                         const std::vector<int>& picked);

// Results of MoveClauses.
enum class EClauseMove { Moved, Nothing, NotContiguous };

// 上移 (step -1) / 下移 (step +1) of the selected clauses (ascending,
// without repeats): a consecutive block moves by one and the selection
// follows it; a block at the edge stays. A selection with gaps shows
// "条款上下移操作时，只能连续选择条款！" ("选择不连续") and moves nothing.
EClauseMove MoveClauses(CSortRouteItem& item, std::vector<int>& selection, int step);
// Removes the clauses of the selection (indices out of range ignored).
void DeleteClauses(CSortRouteItem& item, std::vector<int> selection);

}  // namespace kq
