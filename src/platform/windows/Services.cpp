// Windows side of the small services: folders, shell, clipboard, code
// pages, clock and the registry.
#ifdef _WIN32

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/Clipboard.h"
#include "platform/Crt.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Registry.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"
#include "platform/windows/FileTime.h"

namespace kq {

namespace {
std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string Narrow16(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }
}  // namespace

// ---- folders ---------------------------------------------------------------

std::u16string ConfigFolder()
{
    if (const wchar_t* env = _wgetenv(L"KQ_CONFIG_HOME"); env && *env) return Narrow16(env);
    wchar_t path[MAX_PATH];
    if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
        return Narrow16(path);
    return {};
}

std::u16string TempFolder()
{
    wchar_t path[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, path);
    std::u16string folder(reinterpret_cast<const char16_t*>(path), n);
    while (folder.size() > 3 && folder.back() == u'\\') folder.pop_back();
    return folder;
}

std::u16string ProgramFolder()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::u16string full(reinterpret_cast<const char16_t*>(path), n);
    size_t slash = full.rfind(u'\\');
    return slash == std::u16string::npos ? std::u16string() : full.substr(0, slash);
}

// ---- shell -----------------------------------------------------------------

namespace {
std::mutex g_shellMutex;
ShellOpenHook g_shellHook;
}  // namespace

bool ShellOpen(std::u16string_view target, std::u16string_view params)
{
    {
        std::lock_guard lock(g_shellMutex);
        if (g_shellHook) return g_shellHook(target, params);
    }
    std::wstring file = Wide(target), args = Wide(params);
    auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(nullptr, L"open", file.c_str(), args.empty() ? nullptr : args.c_str(), nullptr, SW_SHOWNORMAL));
    return result > 32;
}

void SetShellOpenHook(ShellOpenHook hook)
{
    std::lock_guard lock(g_shellMutex);
    g_shellHook = std::move(hook);
}

// ---- clipboard ---------------------------------------------------------------

bool CSystemClipboard::GetText(std::u16string& text)
{
    if (!OpenClipboard(nullptr)) return false;
    bool ok = false;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = Narrow16(p);
            GlobalUnlock(data);
            ok = true;
        }
    }
    CloseClipboard();
    return ok;
}

bool CSystemClipboard::SetText(const std::u16string& text)
{
    if (!OpenClipboard(nullptr)) return false;
    if (!EmptyClipboard()) {
        CloseClipboard();
        return false;
    }
    size_t bytes = (text.size() + 1) * sizeof(char16_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, bytes);
    bool ok = false;
    if (block) {
        std::memcpy(GlobalLock(block), text.c_str(), bytes);
        GlobalUnlock(block);
        ok = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
        if (!ok) GlobalFree(block);
    }
    CloseClipboard();
    return ok;
}

// ---- code pages --------------------------------------------------------------

std::string LocaleCharset() { return "CP" + std::to_string(GetACP()); }

namespace {
UINT CodePageOf(const std::string& charset)
{
    UINT cp = 0;
    if (charset == "GBK" || charset == "CP936")
        cp = 936;
    else if (charset == "UTF-8")
        cp = CP_UTF8;
    else if (charset.rfind("CP", 0) == 0)
        cp = static_cast<UINT>(std::atoi(charset.c_str() + 2));
    return cp && IsValidCodePage(cp) ? cp : 0;
}

// Windows' code-page tables map a few bytes no character starts with into the
// private-use area (0xFF in code page 936 reads U+F8F5); iconv calls them
// malformed. Both sides read U+FFFD for them.
bool IsSingleBytePlaceholder(char16_t c) { return c >= 0xE000 && c <= 0xF8FF; }
}  // namespace

bool EncodeText(std::u16string_view text, const std::string& charset, std::string& bytes)
{
    UINT cp = CodePageOf(charset);
    if (!cp) return false;
    if (cp == CP_UTF8) {
        bytes = ToUtf8(text);
        return true;
    }
    // A character the code page cannot hold is one '?', also when it takes
    // two units (a surrogate pair) or is a lone surrogate: the conversion
    // would write one '?' per unit.
    std::u16string units;
    units.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c >= 0xD800 && c <= 0xDFFF) {
            if (c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) ++i;
            c = u'?';
        }
        units.push_back(c);
    }
    auto* w = reinterpret_cast<const wchar_t*>(units.data());
    // No best fit: "é" must not quietly become "e".
    const DWORD flags = WC_NO_BEST_FIT_CHARS;
    int n = WideCharToMultiByte(cp, flags, w, static_cast<int>(units.size()), nullptr, 0, "?", nullptr);
    bytes.resize(static_cast<size_t>(n));
    WideCharToMultiByte(cp, flags, w, static_cast<int>(units.size()), bytes.data(), n, "?", nullptr);
    return true;
}

bool DecodeText(std::string_view bytes, const std::string& charset, std::u16string& text)
{
    UINT cp = CodePageOf(charset);
    if (!cp) return false;
    if (cp == CP_UTF8) {
        text = FromUtf8(bytes);
        return true;
    }
    // Character by character, so that a malformed byte costs only itself:
    // a lead byte with its trail byte, else the byte alone.
    text.clear();
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text.push_back(b);
            ++i;
            continue;
        }
        wchar_t out[2];
        int got = 0;
        if (IsDBCSLeadByteEx(cp, b) && i + 1 < bytes.size())
            got = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data() + i, 2, out, 2);
        if (got == 1) {
            text.push_back(static_cast<char16_t>(out[0]));
            i += 2;
            continue;
        }
        got = MultiByteToWideChar(cp, MB_ERR_INVALID_CHARS, bytes.data() + i, 1, out, 2);
        text.push_back(got == 1 && !IsSingleBytePlaceholder(static_cast<char16_t>(out[0]))
                           ? static_cast<char16_t>(out[0])
                           : u'\uFFFD');
        ++i;
    }
    return true;
}

// ---- clock -------------------------------------------------------------------

// The precise system time, the one files are stamped from.
int64_t CurrentTime()
{
    FILETIME now;
    GetSystemTimePreciseAsFileTime(&now);
    return ToUnixSeconds(now);
}

int64_t ThreadCpuMicroseconds()
{
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0;
    auto ticks = [](const FILETIME& t) { return (static_cast<int64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return (ticks(kernel) + ticks(user)) / 10;  // 100 ns units
}

bool LocalTime(int64_t t, std::tm& out)
{
    _tzset();
    __time64_t value = t;
    return _localtime64_s(&out, &value) == 0;
}

bool LocalTimeToSeconds(std::tm tm, int64_t& t)
{
    _tzset();
    const __time64_t value = _mktime64(&tm);
    if (value == -1) return false;
    t = static_cast<int64_t>(value);
    return true;
}

// ---- registry (the real one, 64-bit view) -------------------------------------

namespace {
// Reads a value; kind REG_SZ or REG_DWORD; false on any failure.
bool QueryValue(std::u16string_view key, std::u16string_view name, DWORD& type, std::u16string& text, DWORD& number)
{
    HKEY h;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Wide(key).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &h) != ERROR_SUCCESS)
        return false;
    BYTE buffer[1000];
    DWORD size = sizeof buffer;
    LONG rc = RegQueryValueExW(h, Wide(name).c_str(), nullptr, &type, buffer, &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS) return false;
    if (type == REG_SZ) {
        text.assign(reinterpret_cast<const char16_t*>(buffer), size / 2);
        while (!text.empty() && text.back() == 0) text.pop_back();
    } else if (type == REG_DWORD && size == sizeof(DWORD)) {
        std::memcpy(&number, buffer, sizeof number);
    } else {
        return false;
    }
    return true;
}
}  // namespace

int CTERNRegeditBase::ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind,
                                 std::u16string& strValue)
{
    DWORD type = 0, number = 0;
    std::u16string text;
    if (nKind != 2 || !QueryValue(strKey, strName, type, text, number) || type != REG_SZ) return 0;
    strValue = text;
    return 1;
}

int CTERNRegeditBase::ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, double& dValue)
{
    DWORD type = 0, number = 0;
    std::u16string text;
    if (nKind != 1 || !QueryValue(strKey, strName, type, text, number) || type != REG_SZ) return 0;
    dValue = Wtof(text);
    return 1;
}

int CTERNRegeditBase::ReadKeyVal(std::u16string_view strKey, std::u16string_view strName, int nKind, int& nValue)
{
    DWORD type = 0, number = 0;
    std::u16string text;
    if ((nKind != 0 && nKind != 4) || !QueryValue(strKey, strName, type, text, number) || type != REG_DWORD) return 0;
    nValue = static_cast<int>(number);
    return 1;
}

}  // namespace kq

#endif  // _WIN32
