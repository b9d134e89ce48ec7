// Windows side of the command line and the standard streams.
#ifdef _WIN32

#include "platform/Console.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <iostream>

#include "platform/Text.h"

namespace kq {

namespace {

std::u16string FromWide(const wchar_t* text) { return std::u16string(reinterpret_cast<const char16_t*>(text)); }

// Output to files and pipes is byte for byte what the POSIX build writes:
// UTF-8 with "\n" line ends, so scripts and --json readers see one format.
struct CBinaryStreams {
    CBinaryStreams()
    {
        _setmode(_fileno(stdout), _O_BINARY);
        _setmode(_fileno(stderr), _O_BINARY);
    }
};

void EnsureBinaryStreams() { static CBinaryStreams s_streams; }

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode) != 0;
}

}  // namespace

std::vector<std::string> CommandLineArguments(int, char**)
{
    // argv holds the ANSI form, where characters outside the code page are
    // already '?'; the wide command line keeps them.
    std::vector<std::string> args;
    int count = 0;
    LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return args;
    for (int i = 1; i < count; ++i) args.push_back(ToUtf8(FromWide(wide[i])));
    LocalFree(wide);
    return args;
}

void WriteStdText(EStdStream stream, std::string_view utf8)
{
    EnsureBinaryStreams();
    FILE* file = stream == EStdStream::Out ? stdout : stderr;
    if (stream == EStdStream::Err) std::fflush(stdout);
    HANDLE handle = GetStdHandle(stream == EStdStream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
    if (IsConsole(handle)) {
        // The console shows UTF-16 whatever its code page is.
        std::fflush(file);
        std::u16string text = FromUtf8(utf8);
        const auto* data = reinterpret_cast<const wchar_t*>(text.data());
        size_t left = text.size();
        while (left > 0) {
            DWORD written = 0;
            DWORD chunk = static_cast<DWORD>(left > 8192 ? 8192 : left);
            if (!WriteConsoleW(handle, data, chunk, &written, nullptr) || written == 0) break;
            data += written;
            left -= written;
        }
        return;
    }
    std::fwrite(utf8.data(), 1, utf8.size(), file);
    if (stream == EStdStream::Err) std::fflush(stderr);
}

bool ReadStdLine(std::string& utf8)
{
    HANDLE handle = GetStdHandle(STD_INPUT_HANDLE);
    if (!IsConsole(handle)) {
        if (!std::getline(std::cin, utf8)) return false;
        if (!utf8.empty() && utf8.back() == '\r') utf8.pop_back();
        return true;
    }
    // Typed text comes as UTF-16 from the console, not in the ANSI code page.
    std::u16string line;
    wchar_t c = 0;
    DWORD got = 0;
    bool any = false;
    while (ReadConsoleW(handle, &c, 1, &got, nullptr) && got == 1) {
        any = true;
        if (c == L'\n') break;
        if (c != L'\r') line.push_back(static_cast<char16_t>(c));
    }
    if (!any) return false;
    utf8 = ToUtf8(line);
    return true;
}

}  // namespace kq

#endif  // _WIN32
