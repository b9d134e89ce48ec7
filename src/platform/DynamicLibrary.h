// Loading shared libraries by full path and finding their exports.
#pragma once

#include <string>
#include <string_view>

namespace kq {

// The platform's file name of a library: "libNAME.so" on POSIX, "NAME.dll"
// on Windows.
std::u16string SharedLibraryFileName(std::u16string_view name);

// Loads the library at path (no search path is consulted); nullptr when it
// cannot be loaded.
void* LoadSharedLibrary(std::u16string_view path);
// Address of the export, nullptr when the library has none by that name.
void* FindLibraryExport(void* library, const char* name);
void UnloadSharedLibrary(void* library);

}  // namespace kq
