// Naming logic of mode 0 ("简洁", page CEaPage).
#pragma once

#include "renamer/modes/NameParts.h"

#include <memory>
#include <string>

namespace kq {

class CFileNameList;
class CNamePlan;

// Fields of CEaPage. Controls, items and defaults:
//   m_strTemplate      edit "新文件名："             default "<原文件名>"
//   m_bIndexEnabled    check "启用文件序号"          default off; enables the five
//                      index controls below and their labels
//   m_strStart         editable combo "起始序号："   items "0".."9", default "1"
//   m_strStep          editable combo "递增公差："   items "-2","-1","1","2", default "1"
//   m_strRepeat        drop-down "序号重复："        items "0".."9", default "0"
//   m_nDigits          drop-down "序号位数："        items "0".."9", item index, default 0
//   m_nIndexPosition   drop-down "序号位置："        "文件名称前"(0), "文件名称后"(1), default 0
//   m_bReplaceEnabled  check "启用文本替换"          default off; enables find and replace
//   m_strFind          edit "查找文本："             default ""
//   m_strReplace       edit "替换文本："             default ""
//   m_bRegex           check "正则表达式"            default off; enabled with find and
//                      replace: the find text is a pattern, the replacement may use $1
//   m_bDeleteEnabled   check "启用文本删除"          default off; enables position and count
//   m_nDeletePosition  drop-down "删除位置："        kDeletePositionItems, default 0
//   m_nDeleteCount     drop-down "删字符数："        items "0".."20", item index, default 0
// Choosing an item of "起始序号：", "递增公差：" or "序号重复：" copies its text
// into the field before the refresh. Every change refreshes the new names.
// Note under the controls: kEaPageNote.
struct CEaFields : naming::CReplaceDeleteFields {
    std::u16string m_strTemplate = u"<原文件名>";
    bool m_bIndexEnabled = false;
    std::u16string m_strStart = u"1";
    std::u16string m_strStep = u"1";
    std::u16string m_strRepeat = u"0";
    int m_nDigits = 0;
    int m_nIndexPosition = 0;

    // Writes column 1 of every row. pReplaceError, when given, receives the
    // message of an invalid pattern or of the first row the pattern could
    // not be matched on ("" when none): such names are left unreplaced.
    void FillNewNames(CFileNameList& list, bool keepExtension, std::u16string* pReplaceError = nullptr) const;

    // The same names as FillNewNames, as a plan whose rows can be named on
    // any thread in any order (NameCycle.h). The plan keeps a copy of the
    // fields and reads the list, which must stay unchanged while it lives.
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) const;
};

extern const char16_t* const kEaPageNote;  // "新文件名称中的序号只能出现在新文件名称前或新文件名称后。"
extern const char16_t* const kIndexPositionItems[2];  // "文件名称前", "文件名称后"
// Items of the deletion-position lists of the Simple and Enhanced pages.
extern const char16_t* const kDeletePositionItems[4];  // "原文件名前", "原文件名后", "新文件名前", "新文件名后"
extern const char16_t* const kStepItems[4];            // "-2", "-1", "1", "2"
// The "<原文件名>" placeholder.
extern const std::u16string kOldNamePlaceholder;

}  // namespace kq
