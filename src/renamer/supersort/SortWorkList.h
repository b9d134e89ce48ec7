// One super-sort run: the rows' titles, extensions, folders and statuses,
// the weight the rule gives each, and the order they are sorted into.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "formula/engine/TERNBaseStringAnalyse.h"
#include "renamer/supersort/SortRoute.h"

namespace kq {

class CFileNameList;

// Results of ApplyClause and of a run.
enum ESuperSortResult {
    kSuperSortOk = 0,
    kSuperSortNothing = 1,    // chooser or preview cancelled, or no rows: the list is unchanged
    kSuperSortZeroStep = 2,   // a looping clause with step 0 (no message)
    kSuperSortFormula = 3,    // a formula failed, or a condition result was shorter than 2
};

extern const std::u16string kConditionErrorTitle;  // "条件文本公式错误"
extern const std::u16string kWeightErrorTitle;     // "条款权值公式错误"

class CSortWorkList {
public:
    // Entries in row order: names split at their last "."; weights 0.
    void Build(const CFileNameList& list);
    void Clear();

    int GetCount() const { return static_cast<int>(m_aTitles.size()); }
    // Title, plus "." and the extension when the name had a dot.
    std::u16string RestoredName(int entry) const;

    // Every clause of the rule in order; stops at the first that fails.
    ESuperSortResult ApplyRule();
    ESuperSortResult ApplyClause(int index);
    // A text beginning with "=" is a formula with i preset; its text result
    // loses its first and last character. Status 0 or 3.
    ESuperSortResult EvalConditionText(const std::u16string& text, int i, std::u16string& out);
    // Always a formula; the output read as a decimal integer. Status 0 or 3.
    ESuperSortResult EvalClauseWeight(const std::u16string& text, int i, int& weight);
    static bool TestCondition(std::u16string_view subject, int mode, std::u16string_view text);
    bool MatchClause(const CSortRouteClause& clause, int entry, std::u16string_view a, std::u16string_view b,
                     std::u16string_view c) const;
    // Reorders every array together, in the exchange sort's order.
    void SortByWeight();

    // Row r of the list is to receive the former row Source()[r].
    const std::vector<int>& Source() const { return m_aSource; }

    std::vector<std::u16string> m_aFolders;
    std::vector<std::u16string> m_aTitles;
    std::vector<std::u16string> m_aExtensions;
    std::vector<std::u16string> m_aStatuses;
    std::vector<int32_t> m_aWeights;
    std::vector<char> m_aHasDot;
    const CSortRouteItem* m_pRoute = nullptr;
    bool m_bAscending = true;
    MessageWindow m_hMessageWnd = nullptr;
    // The engine's message of the last failing formula (empty when none).
    std::u16string m_strLastError;

private:
    ESuperSortResult Evaluate(const std::u16string& text, int i, const std::u16string& title, std::u16string& output);
    std::vector<int> m_aSource;
};

// The flow of one run, list in, order out. The caller's steps: choose
// returns the rule (nullptr: cancelled); preview shows the sorted work list
// and returns true to apply it. On kSuperSortOk the list rows (columns 0, 2,
// 3) are in the new order; otherwise the list is as it was.
struct CSuperSortSteps {
    std::function<const CSortRouteItem*()> m_fnChoose;
    std::function<bool(const CSortWorkList&)> m_fnPreview;
};
ESuperSortResult RunSuperSort(CFileNameList& list, bool ascending, const CSuperSortSteps& steps,
                              MessageWindow owner = nullptr);

// The evaluation and sort without dialogs (the CLI and the preview use it).
ESuperSortResult PrepareSuperSort(CSortWorkList& work, const CFileNameList& list, const CSortRouteItem& rule,
                                  bool ascending);

}  // namespace kq
