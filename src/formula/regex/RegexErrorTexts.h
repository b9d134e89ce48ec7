// The Chinese reasons of the regular-expression library's compile errors.
#pragma once

#include <string>

namespace kq {

// The reason for compile error `code` (PCRE2's numbering).
std::u16string RegexCompileReason(int code);

}  // namespace kq
