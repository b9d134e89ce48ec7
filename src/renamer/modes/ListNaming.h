// Naming logic of mode 2 ("列表", page CElPage).
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace kq {

class CFileNameList;
class CNamePlan;

enum class EPasteResult {
    Done,   // names appended: refresh
    Empty,  // "剪贴板为空" was shown; nothing changed
};

// Fields of CElPage. Controls, items and defaults:
//   m_aNames     list box "新文件名（从剪贴板添加）：" (unsorted, single selection), empty;
//                buttons "添加" (Paste), "删除" (DeleteName),
//                "上移" (MoveNameUp), "下移" (MoveNameDown)
//   m_strRepeat  drop-down "条目重复："  "0".."9", default "0"
//   m_nCycle     drop-down "列表循环："  "否"(0), "是"(1), default 0
// The name operations take the list box selection (-1 for none) and return
// the selection to show afterwards; they return true when the names changed
// (then the page refreshes the new names).
struct CElFields {
    std::vector<std::u16string> m_aNames;
    std::u16string m_strRepeat = u"0";
    int m_nCycle = 0;

    // Appends the clipboard's lines (trimmed, empty ones dropped).
    EPasteResult Paste();
    // Same from a given text (what Paste does with the clipboard's text).
    EPasteResult PasteText(const std::u16string& text);
    bool DeleteName(int& selection);
    bool MoveNameUp(int& selection);
    bool MoveNameDown(int& selection);

    void FillNewNames(CFileNameList& list, bool keepExtension) const;

    // The same names as FillNewNames, as a plan whose rows can be named on
    // any thread in any order (NameCycle.h). The plan keeps a copy of the
    // fields and reads the list, which must stay unchanged while it lives.
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) const;
};

extern const char16_t* const kCycleItems[2];  // "否", "是"

}  // namespace kq
