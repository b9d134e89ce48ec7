// Naming logic of mode 1 ("增强", page CEnPage).
#pragma once

#include "renamer/modes/NameParts.h"

#include <memory>
#include <string>
#include <vector>

namespace kq {

class CFileNameList;
class CNamePlan;

// Fields of CEnPage. Controls, items and defaults:
//   m_strTemplate      edit "新文件名（序号用*代替）："  default "* <原文件名>"
//   m_nKind            drop-down "序号类别："  kIndexKindItems, default 2; "枚举序列："
//                      is enabled exactly for kind 7, "序号位数：" exactly for kind 2
//   m_strEnumList      drop-down "枚举序列："  kEnumerationLists, default the first
//   m_nDigits          drop-down "序号位数："  items "1".."9"; digits = item index + 1, default 1
//   m_strStart         editable combo "起始序号："  items = StartItems(), default the first
//   m_strStep          editable combo "递增公差："  "-2","-1","1","2", default "1"
//   m_strRepeat        drop-down "序号重复："  "0".."9", default "0"
//   m_bReplaceEnabled  check "启用文本替换"  enables the find and replace edits
//   m_strFind / m_strReplace  edits "查找文本：" / "替换文本："
//   m_bRegex           check "正则表达式"  enabled with them: the find text is a pattern
//   m_bDeleteEnabled   check "启用文本删除"  enables position and count
//   m_nDeletePosition  drop-down "删除位置："  kDeletePositionItems, default 0
//   m_nDeleteCount     drop-down "删字符数："  "0".."20", item index, default 0
// A change of kind, digits or enumeration list refills the start list with
// StartItems() and sets m_strStart to its first item (RefillStartList).
// Note under the controls: kEnPageNote.
struct CEnFields : naming::CReplaceDeleteFields {
    std::u16string m_strTemplate = u"* <原文件名>";
    int m_nKind = 2;
    std::u16string m_strEnumList = u"㈠,㈡,㈢,㈣,㈤,㈥,㈦,㈧,㈨,㈩";
    int m_nDigits = 1;
    std::u16string m_strStart = u"1";
    std::u16string m_strStep = u"1";
    std::u16string m_strRepeat = u"0";

    // Index text of ordinal k in the current kind ("" past either end).
    std::u16string IndexText(int k) const;
    // Items of the start list: the texts of ordinals 0..19, up to the first empty one.
    std::vector<std::u16string> StartItems() const;
    // Sets m_strStart to the first start item (when there is one); returns the items.
    std::vector<std::u16string> RefillStartList();
    // Ordinal of m_strStart in the sequence: 0 for an empty text, -1 when it is
    // no member.
    int StartOrdinal() const;

    // As CEaFields::FillNewNames, also for pReplaceError.
    void FillNewNames(CFileNameList& list, bool keepExtension, std::u16string* pReplaceError = nullptr) const;

    // The same names as FillNewNames, as a plan whose rows can be named on
    // any thread in any order (NameCycle.h). The plan keeps a copy of the
    // fields and reads the list, which must stay unchanged while it lives.
    std::shared_ptr<const CNamePlan> PrepareNames(const CFileNameList& list, bool keepExtension) const;
};

extern const char16_t* const kEnPageNote;  // "新文件名称中的序号用字符*代替，例如“*-<原文件名>”。"
extern const char16_t* const kIndexKindItems[8];     // "A,B,C,D……" … "枚举序列"
extern const char16_t* const kEnumerationLists[6];   // "㈠,㈡,…" … "子,丑,…"

}  // namespace kq
