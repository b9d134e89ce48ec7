#include "platform/DynamicLibrary.h"

#include <dlfcn.h>

#include "platform/Text.h"

namespace kq {

std::u16string SharedLibraryFileName(std::u16string_view name)
{
#ifdef __APPLE__
    return u"lib" + std::u16string(name) + u".dylib";
#else
    return u"lib" + std::u16string(name) + u".so";
#endif
}

void* LoadSharedLibrary(std::u16string_view path)
{
    // A name without a slash would make dlopen search; only paths are taken.
    if (path.find(u'/') == std::u16string_view::npos) return nullptr;
    return dlopen(ToNativeName(path).c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* FindLibraryExport(void* library, const char* name)
{
    return library ? dlsym(library, name) : nullptr;
}

void UnloadSharedLibrary(void* library)
{
    if (library) dlclose(library);
}

}  // namespace kq
