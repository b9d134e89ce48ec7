#ifdef _WIN32

#include "platform/DynamicLibrary.h"

#include <windows.h>

namespace kq {

std::u16string SharedLibraryFileName(std::u16string_view name)
{
    return std::u16string(name) + u".dll";
}

void* LoadSharedLibrary(std::u16string_view path)
{
    if (path.find_first_of(u"\\/") == std::u16string_view::npos) return nullptr;
    std::wstring wide(path.begin(), path.end());
    // The altered search path resolves the library's own dependencies beside
    // it rather than in the current folder.
    return LoadLibraryExW(wide.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* FindLibraryExport(void* library, const char* name)
{
    return library ? reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name)) : nullptr;
}

void UnloadSharedLibrary(void* library)
{
    if (library) FreeLibrary(static_cast<HMODULE>(library));
}

}  // namespace kq

#endif  // _WIN32
