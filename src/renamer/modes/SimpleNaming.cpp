#include "renamer/modes/SimpleNaming.h"

#include <cstdint>

#include "platform/Crt.h"
#include "renamer/list/FileNameList.h"
#include "renamer/modes/NameParts.h"

namespace kq {

const char16_t* const kEaPageNote = u"新文件名称中的序号只能出现在新文件名称前或新文件名称后。";
const char16_t* const kIndexPositionItems[2] = {u"文件名称前", u"文件名称后"};
const char16_t* const kDeletePositionItems[4] = {u"原文件名前", u"原文件名后", u"新文件名前", u"新文件名后"};
const char16_t* const kStepItems[4] = {u"-2", u"-1", u"1", u"2"};
const std::u16string kOldNamePlaceholder = u"<原文件名>";

void CEaFields::FillNewNames(CFileNameList& list, bool keepExtension, std::u16string* pReplaceError) const
{
    naming::CFindReplace replace(*this);
    long long value = Wtoi(m_strStart);
    const long long step = Wtoi(m_strStep);
    naming::CRepeatCounter counter(m_strRepeat);
    std::u16string stem, extension, base, result, index;
    const naming::CPlaceholderText pattern(m_strTemplate, kOldNamePlaceholder);
    for (int r = 0; r < list.GetItemCount(); ++r) {
        const std::u16string& name = list.GetText(r, kColOldName);
        MakeBase(name, keepExtension, stem, extension, base);
        pattern.Fill(result, base);
        if (m_bIndexEnabled) {
            // The value is an int in the page; wrap as the 32-bit counter did.
            int shown = static_cast<int>(static_cast<uint32_t>(value));
            index = (m_nDigits == 0 && shown == 0) ? std::u16string() : FormatInt(shown);
            if (m_nDigits > 0 && index.size() < static_cast<size_t>(m_nDigits))
                index.insert(0, static_cast<size_t>(m_nDigits) - index.size(), u'0');
            if (counter.Step()) value = static_cast<int>(static_cast<uint32_t>(value + step));
            if (m_nIndexPosition == 0)
                result.insert(0, index);
            else
                result += index;
        }
        FinishName(result, keepExtension, extension, replace, r);
        list.SetText(r, kColNewName, result);
    }
    if (pReplaceError) *pReplaceError = replace.GetErrorInfo();
}

}  // namespace kq
