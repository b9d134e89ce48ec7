#ifdef _WIN32

#include "platform/RegistryViews.h"

#include <windows.h>

namespace kq {

namespace {

std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

HKEY OpenKey(std::u16string_view key, bool b32View)
{
    HKEY h = nullptr;
    REGSAM access = KEY_READ | (b32View ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), 0, access, &h) != ERROR_SUCCESS) return nullptr;
    return h;
}

}  // namespace

bool EnumMachineSubKeys(std::u16string_view key, bool b32View, std::vector<std::u16string>& names)
{
    HKEY h = OpenKey(key, b32View);
    if (!h) return false;
    wchar_t name[256];  // key names are limited to 255 characters
    for (DWORD i = 0;; ++i) {
        DWORD size = 256;
        LONG rc = RegEnumKeyExW(h, i, name, &size, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc != ERROR_SUCCESS) continue;
        names.emplace_back(reinterpret_cast<const char16_t*>(name), size);
    }
    RegCloseKey(h);
    return true;
}

bool ReadMachineString(std::u16string_view key, std::u16string_view name, bool b32View, std::u16string& value)
{
    HKEY h = OpenKey(key, b32View);
    if (!h) return false;
    std::wstring wideName = Wide(name);
    DWORD type = 0;
    DWORD size = 0;
    bool ok = false;
    if (RegQueryValueExW(h, wideName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ) && size <= 64 * 1024) {
        std::wstring buffer(size / sizeof(wchar_t) + 1, L'\0');
        DWORD got = size;
        if (RegQueryValueExW(h, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &got) == ERROR_SUCCESS) {
            buffer.resize(wcsnlen(buffer.c_str(), got / sizeof(wchar_t)));
            value.assign(buffer.begin(), buffer.end());
            ok = true;
        }
    }
    RegCloseKey(h);
    return ok;
}

}  // namespace kq

#endif  // _WIN32
