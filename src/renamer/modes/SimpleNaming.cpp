#include "renamer/modes/SimpleNaming.h"

#include <cstdint>

#include "platform/Crt.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameCycle.h"
#include "renamer/modes/NameParts.h"

namespace kq {

const char16_t* const kEaPageNote = u"新文件名称中的序号只能出现在新文件名称前或新文件名称后。";
const char16_t* const kIndexPositionItems[2] = {u"文件名称前", u"文件名称后"};
const char16_t* const kDeletePositionItems[4] = {u"原文件名前", u"原文件名后", u"新文件名前", u"新文件名后"};
const char16_t* const kStepItems[4] = {u"-2", u"-1", u"1", u"2"};
const std::u16string kOldNamePlaceholder = u"<原文件名>";

void CEaFields::FillNewNames(CFileNameList& list, bool keepExtension, std::u16string* pReplaceError) const
{
    // One cycle on this thread: the window runs the same plan on several.
    const std::u16string note = RunPlanInOrder(*PrepareNames(list, keepExtension), list);
    if (pReplaceError) *pReplaceError = note;
}

namespace {

class CSimplePlan : public CNamePlan {
public:
    CSimplePlan(const CEaFields& fields, const CFileNameList& list, bool keepExtension)
        : CNamePlan(list.GetItemCount()),
          m_fields(fields),
          m_list(list),
          m_bKeepExtension(keepExtension),
          m_pattern(fields.m_strTemplate, kOldNamePlaceholder),
          m_counter(fields.m_strRepeat),
          m_nStart(Wtoi(fields.m_strStart)),
          m_nStep(Wtoi(fields.m_strStep))
    {
        m_strNote = naming::CFindReplace(m_fields).GetErrorInfo();
    }

    std::unique_ptr<CRowNamer> MakeNamer() const override { return std::make_unique<CNamer>(*this); }

private:
    class CNamer : public CRowNamer {
    public:
        explicit CNamer(const CSimplePlan& plan) : m_plan(plan), m_replace(plan.m_fields) {}
        void Name(int r, CRowName& out) override
        {
            const CEaFields& f = m_plan.m_fields;
            f.MakeBase(m_plan.m_list.GetText(r, kColOldName), m_plan.m_bKeepExtension, m_strStem, m_strExtension,
                       m_strBase);
            std::u16string& result = out.m_strName;
            m_plan.m_pattern.Fill(result, m_strBase);
            if (f.m_bIndexEnabled) {
                const int shown = m_plan.m_counter.ValueOf(r, m_plan.m_nStart, m_plan.m_nStep);
                m_strIndex = (f.m_nDigits == 0 && shown == 0) ? std::u16string() : FormatInt(shown);
                if (f.m_nDigits > 0 && m_strIndex.size() < static_cast<size_t>(f.m_nDigits))
                    m_strIndex.insert(0, static_cast<size_t>(f.m_nDigits) - m_strIndex.size(), u'0');
                if (f.m_nIndexPosition == 0)
                    result.insert(0, m_strIndex);
                else
                    result += m_strIndex;
            }
            if (!f.FinishName(result, m_plan.m_bKeepExtension, m_strExtension, m_replace, r))
                Note(r, m_replace.GetRowErrorInfo());
            out.m_bFailed = false;
        }

    private:
        const CSimplePlan& m_plan;
        naming::CFindReplace m_replace;
        std::u16string m_strStem, m_strExtension, m_strBase, m_strIndex;
    };

    const CEaFields m_fields;
    const CFileNameList& m_list;
    const bool m_bKeepExtension;
    const naming::CPlaceholderText m_pattern;
    const naming::CRepeatCounter m_counter;
    const int m_nStart;
    const int m_nStep;
};

}  // namespace

std::shared_ptr<const CNamePlan> CEaFields::PrepareNames(const CFileNameList& list, bool keepExtension) const
{
    return std::make_shared<CSimplePlan>(*this, list, keepExtension);
}

}  // namespace kq
