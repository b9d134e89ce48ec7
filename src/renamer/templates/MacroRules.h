// The rules of the template language as the rules dialog shows them, one
// line after another with CR LF line ends.
#pragma once

#include <string>

namespace kq {

std::u16string MacroRulesText();

}  // namespace kq
