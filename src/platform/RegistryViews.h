// The real Windows registry read in its 64-bit or 32-bit view (elsewhere the
// registry file stands in, and the views are worked out by its reader).
#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>
#include <vector>

namespace kq {

// Subkey names of HKEY_LOCAL_MACHINE\key in the 32-bit (b32View) or 64-bit
// view; false when the key cannot be opened.
bool EnumMachineSubKeys(std::u16string_view key, bool b32View, std::vector<std::u16string>& names);
// A string value of HKEY_LOCAL_MACHINE\key; false when missing or not text.
bool ReadMachineString(std::u16string_view key, std::u16string_view name, bool b32View, std::u16string& value);

}  // namespace kq

#endif  // _WIN32
