// The display name of a Windows version and its version line.
#pragma once

#include <string>

#include "platform/SystemInfo.h"

namespace kq {

// "Windows XP Professional Service Pack 3", ...; at most 99 characters.
std::u16string WindowsDisplayName(const CWindowsVersion& version);
// "%d.%d.%d %s Build %d": major, minor, build, service pack, build.
std::u16string WindowsVersionText(const CWindowsVersion& version);

}  // namespace kq
