// Opening documents and starting programs through the desktop shell.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kq {

// Opens target with the shell's "open" verb: a program is started with the
// parameter text, anything else is handed to the desktop's opener
// (xdg-open). Double quotes around target and in params group words and are
// removed. Does not wait. Returns false only when nothing could be started.
bool ShellOpen(std::u16string_view target, std::u16string_view params = {});

#ifndef _WIN32
// The argument vector ShellOpen starts: a regular file that may be executed
// runs with the parameters; anything else (a folder, a document, a device)
// goes to the desktop's opener. Empty when target is empty.
std::vector<std::string> ShellOpenArguments(std::u16string_view target, std::u16string_view params);
#endif

// Splits a command-line parameter text into arguments: white space separates,
// double quotes group and are removed.
std::vector<std::u16string> SplitCommandLine(std::u16string_view params);

// Test hook: when set, ShellOpen calls it instead of starting anything.
using ShellOpenHook = std::function<bool(std::u16string_view target, std::u16string_view params)>;
void SetShellOpenHook(ShellOpenHook hook);

}  // namespace kq
