#include "formula/text/PRKGetIndexString.h"

#include "formula/text/TERNString.h"

namespace kq {

std::u16string CPRKGetIndexString::GetNumber(int index, int width) { return CTERNString::GetNumber(index, width); }
std::u16string CPRKGetIndexString::GetUpperAlpha(int index) { return CTERNString::GetAlpha(index, 1); }
std::u16string CPRKGetIndexString::GetLowerAlpha(int index) { return CTERNString::GetAlpha(index, 0); }
std::u16string CPRKGetIndexString::GetChineseNumber(int index, int financial) { return CTERNString::GetChineseNumber(index, financial); }
std::u16string CPRKGetIndexString::GetRomanNum(int index, int upper) { return CTERNString::GetRomanNum(index, upper); }
std::u16string CPRKGetIndexString::GetDefineString(int index, std::u16string_view list) { return CTERNString::GetDefineString(index, list); }

}  // namespace kq
