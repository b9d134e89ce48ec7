#include "renamer/modes/AdvancedNaming.h"

#include "platform/Path.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/modes/NameParts.h"
#include "renamer/templates/StringOperatorMacro.h"

namespace kq {

const char16_t* const kEePageNote =
    u"通过“常用控制表达式”可以选择常用的控制描述表达式，详细的表达式格式要求可以查阅“表达式控制规则”。";

void CEeFields::FillNewNames(CFileNameList& list, bool keepExtension) const
{
    // One cycle on this thread: the window runs the same plan on several.
    RunPlanInOrder(*PrepareNames(list, keepExtension), list);
}

namespace {

class CAdvancedPlan : public CNamePlan {
public:
    CAdvancedPlan(const CEeFields& fields, const CFileNameList& list, bool keepExtension)
        : CNamePlan(list.GetItemCount()),
          m_strMacro(fields.m_strMacro),
          m_list(list),
          m_bKeepExtension(keepExtension),
          m_folders(NumberFolders(list, [policy = list.Policy()](const std::u16string& folder) {
              return NameKey(folder, policy);
          }))
    {
    }

    std::unique_ptr<CRowNamer> MakeNamer() const override { return std::make_unique<CNamer>(*this); }

private:
    class CNamer : public CRowNamer {
    public:
        explicit CNamer(const CAdvancedPlan& plan) : m_plan(plan)
        {
            m_macro.m_eFolderPolicy = plan.m_list.Policy();
            m_macro.BeginRun(plan.m_strMacro, plan.RowCount());
        }
        void Name(int r, CRowName& out) override
        {
            const std::u16string& oldName = m_plan.m_list.GetText(r, kColOldName);
            const size_t i = static_cast<size_t>(r);
            const bool expanded =
                m_macro.ExpandRowAt(oldName, m_plan.m_list.GetText(r, kColFolder), r + 1,
                                    m_plan.m_folders.m_aFolder[i], m_plan.m_folders.m_aInFolder[i], out.m_strName);
            if (m_plan.m_bKeepExtension) {
                out.m_strName += u'.';
                out.m_strName += naming::ExtensionOf(oldName);
            }
            out.m_bFailed = !expanded;
            if (!expanded) out.m_strFailure = m_macro.GetLastError();
        }

    private:
        const CAdvancedPlan& m_plan;
        CStringOperatorMacro m_macro;
    };

    const std::u16string m_strMacro;
    const CFileNameList& m_list;
    const bool m_bKeepExtension;
    const CFolderNumbers m_folders;
};

}  // namespace

std::shared_ptr<const CNamePlan> CEeFields::PrepareNames(const CFileNameList& list, bool keepExtension) const
{
    return std::make_shared<CAdvancedPlan>(*this, list, keepExtension);
}

}  // namespace kq
