// Naming logic of mode 3 ("高级", page CEePage).
#pragma once

#include <memory>
#include <string>

namespace kq {

class CFileNameList;
class CNamePlan;

// Fields of CEePage. Controls:
//   m_strMacro  multi-line edit "新文件名：" (empty at start); every change
//               refreshes the new names.
//   "常用控制表达式" opens CMarcoInputDlg with the control expressions; on
//               OK its choice replaces m_strMacro.
//   "表达式控制规则" opens CMarcoRuleDlg.
// The ready-made expressions and the rules text live in renamer/templates.
// Note beside the icon: kEePageNote.
struct CEeFields {
    std::u16string m_strMacro;

    // One expansion object for the whole list, so folder numbers start afresh.
    // A row that cannot be expanded gets the empty name and is marked failed
    // with the expansion's syntax message.
    void FillNewNames(CFileNameList& list, bool keepExtension) const;

    // The same names as FillNewNames, as a plan whose rows can be named on
    // any thread in any order (NameCycle.h). The plan keeps a copy of the
    // fields and reads the list, which must stay unchanged while it lives.
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) const;
};

extern const char16_t* const kEePageNote;

}  // namespace kq
