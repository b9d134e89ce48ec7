// The command line and the standard streams, as UTF-8 on every platform.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kq {

// The program's arguments (without the program name) in UTF-8. POSIX passes
// them as given; Windows reads the wide command line, so names outside the
// ANSI code page arrive intact.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

enum class EStdStream { Out, Err };

// Writes UTF-8 text. A Windows console gets it in its own wide form; files
// and pipes get the UTF-8 bytes unchanged (no line-end translation).
void WriteStdText(EStdStream stream, std::string_view utf8);

// One line of standard input in UTF-8, without its line end; false at the end
// of input.
bool ReadStdLine(std::string& utf8);

}  // namespace kq
