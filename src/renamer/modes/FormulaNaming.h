// Naming logic of mode 4 ("公式", page CEfPage).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace kq {

class CFileNameList;
class CNamePlan;

// Fields of CEfPage. Controls:
//   m_strFormula  multi-line edit "新文件名：" (empty at start); every change
//                 refreshes the new names.
//   "常用公式" opens CMarcoInputDlg with FormulaPresets(), title "常用公式";
//                 on OK the choice replaces m_strFormula.
//   "公式帮助" opens calhelp.html in the installation folder.
// Hint text: kEfPageNote.
struct CEfFields {
    std::u16string m_strFormula;

    // Evaluates the formula once per row with the whole old name, the folder,
    // the row number, the folder number and the number within the folder
    // (folders compared upper-cased). A failing row gets the empty name and
    // is marked failed with FormulaFailureText; a text result loses its quotes.
    void FillNewNames(CFileNameList& list, bool keepExtension) const;

    // The same names as FillNewNames, as a plan whose rows can be named on
    // any thread in any order (NameCycle.h). The plan keeps a copy of the
    // fields and reads the list, which must stay unchanged while it lives.
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) const;
};

extern const char16_t* const kEfPageNote;

// A failed row's reason: "错误<code>：<message>", the message without the
// engine's names of reduced sub-expressions.
std::u16string FormulaFailureText(int code, std::u16string_view message);

// Reads what the formula's metadata and hash functions need from every
// row's file at once, on all cores, before the rows are evaluated.
void ReadRowFilesAhead(const std::u16string& formula, const CFileNameList& list);

}  // namespace kq
