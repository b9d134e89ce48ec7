// Folders the system keeps its files in.
#pragma once

#include <string>

namespace kq {

// The common application-data folder: KQ_CONFIG_HOME, else XDG_CONFIG_HOME,
// else ~/.config (on Windows the common application-data folder).
std::u16string ConfigFolder();
// The folder for temporary files (TMPDIR, else /tmp), without trailing separator.
std::u16string TempFolder();
// Folder of the running program (empty when it cannot be told).
std::u16string ProgramFolder();

}  // namespace kq
