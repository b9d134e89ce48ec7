#include "support/TestSupport.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <fstream>
#include <sstream>

#include "platform/Path.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace kq::test {

namespace {

fs::path FsPath(const std::u16string& path)
{
#ifdef _WIN32
    return fs::path(path);
#else
    return fs::u8path(ToNativeName(path));
#endif
}

std::u16string FromFsPath(const fs::path& path)
{
#ifdef _WIN32
    return path.u16string();
#else
    return FromNativeName(path.string());
#endif
}

#ifdef _WIN32
std::wstring Wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::wstring Wide(std::string_view utf8) { return Wide(FromUtf8(utf8)); }

// Quotes one argument so that CommandLineToArgvW (and the C runtime) read it
// back unchanged.
std::wstring QuoteArgument(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) return arg;
    std::wstring quoted = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        quoted.push_back(c);
    }
    quoted.append(backslashes * 2, L'\\');
    return quoted + L"\"";
}

void SetEnv(const std::string& name, const std::string& value) { _wputenv_s(Wide(name).c_str(), Wide(value).c_str()); }
void UnsetEnv(const std::string& name) { _wputenv_s(Wide(name).c_str(), L""); }
#else
void SetEnv(const std::string& name, const std::string& value) { setenv(name.c_str(), value.c_str(), 1); }
void UnsetEnv(const std::string& name) { unsetenv(name.c_str()); }
#endif

}  // namespace

CTempDir::CTempDir()
{
#ifdef _WIN32
    static std::atomic<unsigned> s_count{0};
    for (int attempt = 0; attempt < 1000 && m_strPath.empty(); ++attempt) {
        std::u16string candidate = JoinPath(TempFolder(), u"kqtest_" + FromAscii(std::to_string(GetCurrentProcessId())) + u"_" +
                                                              FromAscii(std::to_string(s_count++)));
        if (CreateDirectoryW(Wide(candidate).c_str(), nullptr)) m_strPath = candidate;
    }
    if (m_strPath.empty()) throw std::runtime_error("CreateDirectoryW failed");
#else
    std::string pattern = ToNativeName(TempFolder()) + "/kqtest_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    char* made = mkdtemp(buffer.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    m_strPath = FromNativeName(made);
#endif
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    // Give back write permission that a test may have taken away.
    for (auto it = fs::recursive_directory_iterator(FsPath(m_strPath), ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(FsPath(m_strPath), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(FsPath(m_strPath), ec);
}

std::string CTempDir::NativePath() const { return ToNativeName(m_strPath); }

std::u16string CTempDir::Child(std::u16string_view relative) const
{
    if (relative.empty()) return m_strPath;
    std::u16string child = m_strPath + kPathSeparator + std::u16string(relative);
    std::replace(child.begin() + static_cast<long>(m_strPath.size()), child.end(), u'/', kPathSeparator);
    return child;
}

void CTempDir::MakeFile(std::u16string_view relative, std::string_view content) const
{
    fs::path path = FsPath(Child(relative));
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void CTempDir::MakeFolder(std::u16string_view relative) const { fs::create_directories(FsPath(Child(relative))); }

std::vector<std::u16string> CTempDir::List(std::u16string_view relative) const
{
    std::vector<std::u16string> names;
    for (const auto& entry : fs::directory_iterator(FsPath(Child(relative))))
        names.push_back(FromFsPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
}

std::string CTempDir::ReadFile(std::u16string_view relative) const
{
    std::ifstream in(FsPath(Child(relative)), std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

CScriptedPrompt::CScriptedPrompt() { SetPromptProvider(this); }
CScriptedPrompt::~CScriptedPrompt() { SetPromptProvider(nullptr); }

EPromptAnswer CScriptedPrompt::Next(EPromptAnswer fallback)
{
    if (m_aAnswers.empty()) return fallback;
    EPromptAnswer a = m_aAnswers.front();
    m_aAnswers.pop_front();
    return a;
}

void CScriptedPrompt::Inform(const std::u16string& text, const std::u16string& title)
{
    m_aShown.push_back({u"inform", text, title});
}

EPromptAnswer CScriptedPrompt::AskYesNo(const std::u16string& text, const std::u16string& title)
{
    m_aShown.push_back({u"yesno", text, title});
    return Next(EPromptAnswer::No);
}

EPromptAnswer CScriptedPrompt::AskYesNoCancel(const std::u16string& text, const std::u16string& title)
{
    m_aShown.push_back({u"yesnocancel", text, title});
    return Next(EPromptAnswer::Cancel);
}

CScopedClipboard::CScopedClipboard() { SetClipboardProvider(this); }
CScopedClipboard::CScopedClipboard(std::u16string text) : CMemoryClipboard(std::move(text)) { SetClipboardProvider(this); }
CScopedClipboard::~CScopedClipboard() { SetClipboardProvider(nullptr); }

CScopedEnv::CScopedEnv(const char* name, const std::string& value) : m_strName(name)
{
    if (const char* old = std::getenv(name)) {
        m_bHadOld = true;
        m_strOld = old;
    }
    SetEnv(m_strName, value);
}

CScopedEnv::~CScopedEnv()
{
    if (m_bHadOld) SetEnv(m_strName, m_strOld);
    else UnsetEnv(m_strName);
}

std::string HostPath(std::string path)
{
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

std::string WithPlatformSeparators(std::string path)
{
    std::replace(path.begin(), path.end(), '/', static_cast<char>(kPathSeparator));
    return path;
}

std::string BackslashesDoubled(const std::string& text)
{
    std::string out;
    for (char c : text) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

std::u16string PlatformPath(std::u16string_view posixPath)
{
    std::u16string path(posixPath);
#ifdef _WIN32
    for (char16_t& c : path) c = c == u'/' ? u'\\' : c == u'\\' ? u'/' : c;
#endif
    return path;
}

std::u16string PlatformQuotedPaths(std::u16string_view formula)
{
    std::u16string text(formula);
#ifdef _WIN32
    bool quoted = false;
    for (char16_t& c : text) {
        if (c == u'"') quoted = !quoted;  // a doubled quote toggles twice
        else if (quoted && (c == u'/' || c == u'\\')) c = c == u'/' ? u'\\' : u'/';
    }
#endif
    return text;
}

#ifdef _WIN32

CRunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& stdinText,
                      const std::vector<std::string>& extraEnv, size_t addressSpaceLimit)
{
    (void)addressSpaceLimit;  // no per-process address-space cap on Windows
    CTempDir io;
    io.MakeFile(u"in", stdinText);
    CRunResult result;
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    auto open = [&](const char16_t* name, bool write) {
        return CreateFileW(Wide(io.Child(name)).c_str(), write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE in = open(u"in", false), out = open(u"out", true), err = open(u"err", true);
    std::wstring exe = Wide(HostPath(program));
    std::wstring commandLine = QuoteArgument(exe);
    for (const auto& a : args) commandLine += L" " + QuoteArgument(Wide(a));

    // The child inherits this process's environment; extra entries are set
    // around its start.
    std::vector<std::pair<std::string, std::optional<std::string>>> saved;
    for (const auto& e : extraEnv) {
        size_t eq = e.find('=');
        std::string name = e.substr(0, eq), value = eq == std::string::npos ? "" : e.substr(eq + 1);
        const char* old = std::getenv(name.c_str());
        saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        SetEnv(name, value);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = err;
    PROCESS_INFORMATION process{};
    // Under Wine a start can fail for a moment while the machine is busy;
    // a program that truly cannot start fails every time.
    BOOL started = FALSE;
    DWORD startError = 0;
    for (int attempt = 0; attempt < 5 && !started; ++attempt) {
        if (attempt > 0) Sleep(200 * attempt);
        started = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                 &startup, &process);
        if (!started) startError = GetLastError();
    }
    for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
        if (it->second) SetEnv(it->first, *it->second);
        else UnsetEnv(it->first);
    }
    CloseHandle(in);
    CloseHandle(out);
    CloseHandle(err);
    if (started) {
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        result.m_nExitCode = static_cast<int>(code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    result.m_strOut = io.ReadFile(u"out");
    result.m_strErr = io.ReadFile(u"err");
    if (!started) result.m_strErr += "CreateProcessW failed: error " + std::to_string(startError) + "\n";
    return result;
}

#else

CRunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& stdinText,
                      const std::vector<std::string>& extraEnv, size_t addressSpaceLimit)
{
    CTempDir io;
    const std::string in = io.NativePath() + "/in", out = io.NativePath() + "/out", err = io.NativePath() + "/err";
    io.MakeFile(u"in", stdinText);
    CRunResult result;
    pid_t pid = fork();
    if (pid < 0) return result;
    if (pid == 0) {
        int fdIn = open(in.c_str(), O_RDONLY), fdOut = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644),
            fdErr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        dup2(fdErr, 2);
        for (const auto& e : extraEnv) putenv(const_cast<char*>(e.c_str()));
        if (addressSpaceLimit != 0) {
            struct rlimit limit = {addressSpaceLimit, addressSpaceLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.m_nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.m_strOut = io.ReadFile(u"out");
    result.m_strErr = io.ReadFile(u"err");
    return result;
}

#endif

}  // namespace kq::test
