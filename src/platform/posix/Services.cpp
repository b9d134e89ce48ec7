// POSIX side of the small services: folders, shell, clipboard commands,
// code pages, clock.
#include <errno.h>
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/Clipboard.h"
#include "platform/Clock.h"
#include "platform/CodePage.h"
#include "platform/Shell.h"
#include "platform/SpecialFolders.h"
#include "platform/Text.h"

namespace kq {

// ---- folders ---------------------------------------------------------------

namespace {
std::u16string FromEnv(const char* name)
{
    const char* value = std::getenv(name);
    return (value && *value) ? FromNativeName(value) : std::u16string();
}
std::u16string StripTrailingSeparators(std::u16string path)
{
    while (path.size() > 1 && path.back() == u'/') path.pop_back();
    return path;
}
}  // namespace

std::u16string ConfigFolder()
{
    std::u16string folder = FromEnv("KQ_CONFIG_HOME");
    if (folder.empty()) folder = FromEnv("XDG_CONFIG_HOME");
    if (folder.empty()) {
        std::u16string home = FromEnv("HOME");
        if (home.empty()) {
            if (const passwd* pw = getpwuid(getuid())) home = FromNativeName(pw->pw_dir);
        }
        folder = home + u"/.config";
    }
    return StripTrailingSeparators(folder);
}

std::u16string TempFolder()
{
    std::u16string folder = FromEnv("TMPDIR");
    if (folder.empty()) folder = u"/tmp";
    return StripTrailingSeparators(folder);
}

std::u16string ProgramFolder()
{
    char buffer[4096];
    ssize_t n = readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    std::string path(buffer, size_t(n));
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::u16string() : FromNativeName(path.substr(0, slash));
}

// ---- shell -----------------------------------------------------------------

namespace {
std::mutex g_shellMutex;
ShellOpenHook g_shellHook;

std::u16string Unquote(std::u16string_view text)
{
    std::u16string out;
    for (char16_t c : text)
        if (c != u'"') out.push_back(c);
    return out;
}

// Starts argv detached (double fork) so that no zombie is left and the
// caller never waits for the program.
bool SpawnDetached(const std::vector<std::string>& args)
{
    if (args.empty()) return false;
    int pipeFd[2];
    if (pipe2(pipeFd, O_CLOEXEC) != 0) return false;
    pid_t child = fork();
    if (child < 0) {
        close(pipeFd[0]);
        close(pipeFd[1]);
        return false;
    }
    if (child == 0) {
        setsid();
        pid_t grandChild = fork();
        if (grandChild == 0) {
            std::vector<char*> argv;
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            int err = errno;
            ssize_t w = write(pipeFd[1], &err, sizeof err);
            (void)w;
            _exit(127);
        }
        _exit(grandChild < 0 ? 1 : 0);
    }
    close(pipeFd[1]);
    int status = 0;
    waitpid(child, &status, 0);
    int err = 0;
    ssize_t got = read(pipeFd[0], &err, sizeof err);
    close(pipeFd[0]);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && got <= 0;
}
}  // namespace

bool ShellOpen(std::u16string_view target, std::u16string_view params)
{
    {
        std::lock_guard lock(g_shellMutex);
        if (g_shellHook) return g_shellHook(target, params);
    }
    const std::vector<std::string> args = ShellOpenArguments(target, params);
    return !args.empty() && SpawnDetached(args);
}

std::vector<std::string> ShellOpenArguments(std::u16string_view target, std::u16string_view params)
{
    std::string path = ToNativeName(Unquote(target));
    if (path.empty()) return {};
    // A folder passes the executable check too; only a regular file is run.
    struct stat st {};
    if (path.find('/') != std::string::npos && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        access(path.c_str(), X_OK) == 0) {
        std::vector<std::string> args{path};
        for (const auto& p : SplitCommandLine(params)) args.push_back(ToNativeName(p));
        return args;
    }
    return {"xdg-open", path};
}

void SetShellOpenHook(ShellOpenHook hook)
{
    std::lock_guard lock(g_shellMutex);
    g_shellHook = std::move(hook);
}

// ---- clipboard through the desktop's command-line tools --------------------

namespace {
bool HaveCommand(const char* name)
{
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

const char* PasteCommand()
{
    if (std::getenv("WAYLAND_DISPLAY") && HaveCommand("wl-paste")) return "wl-paste --no-newline 2>/dev/null";
    if (std::getenv("DISPLAY") && HaveCommand("xclip")) return "xclip -selection clipboard -o 2>/dev/null";
    return nullptr;
}

const char* CopyCommand()
{
    if (std::getenv("WAYLAND_DISPLAY") && HaveCommand("wl-copy")) return "wl-copy 2>/dev/null";
    if (std::getenv("DISPLAY") && HaveCommand("xclip")) return "xclip -selection clipboard -i 2>/dev/null";
    return nullptr;
}
}  // namespace

bool CSystemClipboard::GetText(std::u16string& text)
{
    const char* command = PasteCommand();
    if (!command) return false;
    FILE* pipe = popen(command, "r");
    if (!pipe) return false;
    std::string bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) bytes.append(buffer, n);
    if (pclose(pipe) != 0) return false;
    text = FromUtf8(bytes);
    return true;
}

bool CSystemClipboard::SetText(const std::u16string& text)
{
    const char* command = CopyCommand();
    if (!command) return false;
    FILE* pipe = popen(command, "w");
    if (!pipe) return false;
    std::string bytes = ToUtf8(text);
    bool ok = fwrite(bytes.data(), 1, bytes.size(), pipe) == bytes.size();
    return pclose(pipe) == 0 && ok;
}

// ---- code pages --------------------------------------------------------------

std::string LocaleCharset()
{
    const char* codeset = nl_langinfo(CODESET);
    std::string name = codeset ? codeset : "";
    // The "C" locale reports ASCII; treat it as UTF-8 so nothing is lost.
    if (name.empty() || name == "ANSI_X3.4-1968" || name == "ASCII") name = "UTF-8";
    return name;
}

namespace {
struct CIconv {
    iconv_t m_h;
    CIconv(const char* to, const char* from) : m_h(iconv_open(to, from)) {}
    ~CIconv()
    {
        if (ok()) iconv_close(m_h);
    }
    bool ok() const { return m_h != reinterpret_cast<iconv_t>(-1); }
};
}  // namespace

bool EncodeText(std::u16string_view text, const std::string& charset, std::string& bytes)
{
    CIconv cd(charset.c_str(), "UTF-16LE");
    if (!cd.ok()) return false;
    std::string input;
    input.reserve(text.size() * 2);
    for (char16_t c : text) {
        input.push_back(char(c & 0xFF));
        input.push_back(char(c >> 8));
    }
    bytes.clear();
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd.m_h, &in, &inLeft, &out, &outLeft);
        bytes.append(buffer, size_t(out - buffer));
        if (r == size_t(-1)) {
            if (errno == E2BIG) continue;
            // A character the charset cannot hold (or a lone surrogate): '?'.
            bytes.push_back('?');
            size_t skip = 2;
            unsigned c = static_cast<unsigned char>(in[0]) | (static_cast<unsigned char>(in[1]) << 8);
            if (c >= 0xD800 && c <= 0xDBFF && inLeft >= 4) {
                unsigned low = static_cast<unsigned char>(in[2]) | (static_cast<unsigned char>(in[3]) << 8);
                if (low >= 0xDC00 && low <= 0xDFFF) skip = 4;
            }
            if (skip > inLeft) skip = inLeft;
            in += skip;
            inLeft -= skip;
        }
    }
    char* out = buffer;
    size_t outLeft = sizeof buffer;
    iconv(cd.m_h, nullptr, nullptr, &out, &outLeft);
    bytes.append(buffer, size_t(out - buffer));
    return true;
}

bool DecodeText(std::string_view bytes, const std::string& charset, std::u16string& text)
{
    CIconv cd("UTF-16LE", charset.c_str());
    if (!cd.ok()) return false;
    std::string input(bytes);
    text.clear();
    char* in = input.data();
    size_t inLeft = input.size();
    char buffer[1024];
    auto flush = [&](char* end) {
        for (char* p = buffer; p + 1 < end; p += 2)
            text.push_back(char16_t(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8)));
    };
    while (inLeft > 0) {
        char* out = buffer;
        size_t outLeft = sizeof buffer;
        size_t r = iconv(cd.m_h, &in, &inLeft, &out, &outLeft);
        flush(out);
        if (r == size_t(-1)) {
            if (errno == E2BIG) continue;
            text.push_back(u'\uFFFD');
            ++in;
            --inLeft;
            iconv(cd.m_h, nullptr, nullptr, nullptr, nullptr);
        }
    }
    return true;
}

// ---- clock -------------------------------------------------------------------

// The precise clock, not time()'s: time() reads a clock that lags by up to a
// tick, while the kernel may stamp a file from a finer one, so a file made
// just before a call could otherwise seem to be made after it.
int64_t CurrentTime()
{
    timespec ts{};
    if (clock_gettime(CLOCK_REALTIME, &ts) != 0) return static_cast<int64_t>(std::time(nullptr));
    return static_cast<int64_t>(ts.tv_sec);
}

int64_t ThreadCpuMicroseconds()
{
    timespec ts{};
    if (clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts) != 0) return 0;
    return static_cast<int64_t>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

bool LocalTime(int64_t t, std::tm& out)
{
    tzset();
    time_t value = static_cast<time_t>(t);
    return localtime_r(&value, &out) != nullptr;
}

bool LocalTimeToSeconds(std::tm tm, int64_t& t)
{
    // mktime reads the zone itself (as if by tzset).
    tm.tm_wday = -1;
    const time_t value = mktime(&tm);
    // -1 is also a valid time (one second before 1970); tm_wday tells.
    if (value == time_t(-1) && tm.tm_wday == -1) return false;
    t = static_cast<int64_t>(value);
    return true;
}

}  // namespace kq
