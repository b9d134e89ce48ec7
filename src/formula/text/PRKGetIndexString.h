// Index texts of the renamer: a 0-based index written as a padded number,
// letters, Chinese or Roman numerals, or an item of an enumeration list.
// The same texts as CTERNString; this class only forwards.
#pragma once

#include <string>
#include <string_view>

namespace kq {

class CPRKGetIndexString {
public:
    virtual ~CPRKGetIndexString() = default;

    static std::u16string GetNumber(int index, int width);
    static std::u16string GetUpperAlpha(int index);
    static std::u16string GetLowerAlpha(int index);
    static std::u16string GetChineseNumber(int index, int financial);
    static std::u16string GetRomanNum(int index, int upper);
    static std::u16string GetDefineString(int index, std::u16string_view list);
};

}  // namespace kq
