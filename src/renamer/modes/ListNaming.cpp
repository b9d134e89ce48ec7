#include "renamer/modes/ListNaming.h"

#include <cstdlib>
#include <utility>

#include "platform/Clipboard.h"
#include "platform/Crt.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/modes/NameParts.h"

namespace kq {

const char16_t* const kCycleItems[2] = {u"否", u"是"};

namespace {

void ShowEmptyClipboard()
{
    GetPromptProvider().Inform(
        u"添加操作是将剪贴板上的文本粘贴到文件名称列表，建议通过Excel以多行方式组织文件名称列表然后再执行添加操作！",
        u"剪贴板为空");
}

// White space as the list trims it: blanks, tabs, CR and LF.
bool IsTrimmed(char16_t c) { return IsAsciiSpace(c); }

}  // namespace

EPasteResult CElFields::Paste()
{
    std::u16string text;
    if (!GetClipboardProvider().GetText(text)) {
        ShowEmptyClipboard();
        return EPasteResult::Empty;
    }
    return PasteText(text);
}

EPasteResult CElFields::PasteText(const std::u16string& text)
{
    size_t added = 0;
    size_t start = 0;
    for (;;) {
        size_t lf = text.find(u'\n', start);
        size_t end = lf == std::u16string::npos ? text.size() : lf;
        size_t b = start, e = end;
        while (b < e && IsTrimmed(text[b])) ++b;
        while (e > b && IsTrimmed(text[e - 1])) --e;
        if (e > b) {
            m_aNames.push_back(text.substr(b, e - b));
            ++added;
        }
        if (lf == std::u16string::npos) break;
        start = lf + 1;
    }
    if (added == 0) {
        ShowEmptyClipboard();
        return EPasteResult::Empty;
    }
    return EPasteResult::Done;
}

bool CElFields::DeleteName(int& selection)
{
    if (selection < 0 || static_cast<size_t>(selection) >= m_aNames.size()) return false;
    m_aNames.erase(m_aNames.begin() + selection);
    if (static_cast<size_t>(selection) >= m_aNames.size()) selection = static_cast<int>(m_aNames.size()) - 1;
    return true;
}

bool CElFields::MoveNameUp(int& selection)
{
    if (selection <= 0 || static_cast<size_t>(selection) >= m_aNames.size()) return false;
    std::swap(m_aNames[static_cast<size_t>(selection)], m_aNames[static_cast<size_t>(selection) - 1]);
    --selection;
    return true;
}

bool CElFields::MoveNameDown(int& selection)
{
    if (selection < 0 || static_cast<size_t>(selection) + 1 >= m_aNames.size()) return false;
    std::swap(m_aNames[static_cast<size_t>(selection)], m_aNames[static_cast<size_t>(selection) + 1]);
    ++selection;
    return true;
}

void CElFields::FillNewNames(CFileNameList& list, bool keepExtension) const
{
    // One cycle on this thread: the window runs the same plan on several.
    RunPlanInOrder(*PrepareNames(list, keepExtension), list);
}

namespace {

class CListPlan : public CNamePlan {
public:
    CListPlan(const CElFields& fields, const CFileNameList& list, bool keepExtension)
        : CNamePlan(list.GetItemCount()),
          m_fields(fields),
          m_list(list),
          m_bKeepExtension(keepExtension),
          m_counter(fields.m_strRepeat)
    {
    }

    std::unique_ptr<CRowNamer> MakeNamer() const override { return std::make_unique<CNamer>(*this); }

private:
    class CNamer : public CRowNamer {
    public:
        explicit CNamer(const CListPlan& plan) : m_plan(plan) {}
        void Name(int r, CRowName& out) override
        {
            const std::vector<std::u16string>& names = m_plan.m_fields.m_aNames;
            const size_t n = names.size();
            const size_t j = static_cast<size_t>(m_plan.m_counter.GroupOf(r));
            if (n == 0 || (m_plan.m_fields.m_nCycle == 0 && j >= n))
                out.m_strName.clear();
            else
                out.m_strName = names[j % n];
            if (m_plan.m_bKeepExtension) {
                out.m_strName += u'.';
                out.m_strName += naming::ExtensionOf(m_plan.m_list.GetText(r, kColOldName));
            }
            out.m_bFailed = false;
        }

    private:
        const CListPlan& m_plan;
    };

    const CElFields m_fields;
    const CFileNameList& m_list;
    const bool m_bKeepExtension;
    const naming::CRepeatCounter m_counter;
};

}  // namespace

std::shared_ptr<const CNamePlan> CElFields::PrepareNames(const CFileNameList& list, bool keepExtension) const
{
    return std::make_shared<CListPlan>(*this, list, keepExtension);
}

}  // namespace kq
