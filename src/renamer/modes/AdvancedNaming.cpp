#include "renamer/modes/AdvancedNaming.h"

#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameParts.h"
#include "renamer/templates/StringOperatorMacro.h"

namespace kq {

const char16_t* const kEePageNote =
    u"通过“常用控制表达式”可以选择常用的控制描述表达式，详细的表达式格式要求可以查阅“表达式控制规则”。";

void CEeFields::FillNewNames(CFileNameList& list, bool keepExtension) const
{
    const int count = list.GetItemCount();
    CStringOperatorMacro macro;
    macro.m_eFolderPolicy = list.Policy();
    macro.BeginRun(m_strMacro, count);
    std::u16string name;
    for (int r = 0; r < count; ++r) {
        const std::u16string& oldName = list.GetText(r, kColOldName);
        const bool expanded = macro.ExpandRow(oldName, list.GetText(r, kColFolder), r + 1, name);
        if (keepExtension) {
            name += u'.';
            name += naming::ExtensionOf(oldName);
        }
        list.SetText(r, kColNewName, name);
        if (!expanded) list.SetNameFailed(r, macro.GetLastError());
    }
}

}  // namespace kq
