#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/SpecialFolders.h"
#include "platform/Text.h"

namespace fs = std::filesystem;

namespace kq::test {

CTempDir::CTempDir()
{
    std::string pattern = ToNativeName(TempFolder()) + "/kqtest_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    char* made = mkdtemp(buffer.data());
    if (!made) throw std::runtime_error("mkdtemp failed");
    m_strPath = FromNativeName(made);
}

CTempDir::~CTempDir()
{
    std::error_code ec;
    // Give back write permission that a test may have taken away.
    for (auto it = fs::recursive_directory_iterator(NativePath(), ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec)) {
        if (it->is_directory(ec)) fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    fs::permissions(NativePath(), fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(NativePath(), ec);
}

std::string CTempDir::NativePath() const { return ToNativeName(m_strPath); }

std::u16string CTempDir::Child(std::u16string_view relative) const
{
    return relative.empty() ? m_strPath : m_strPath + u"/" + std::u16string(relative);
}

void CTempDir::MakeFile(std::u16string_view relative, std::string_view content) const
{
    fs::path path = fs::u8path(ToNativeName(Child(relative)));
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

void CTempDir::MakeFolder(std::u16string_view relative) const
{
    fs::create_directories(fs::u8path(ToNativeName(Child(relative))));
}

std::vector<std::u16string> CTempDir::List(std::u16string_view relative) const
{
    std::vector<std::u16string> names;
    for (const auto& entry : fs::directory_iterator(fs::u8path(ToNativeName(Child(relative)))))
        names.push_back(FromNativeName(entry.path().filename().string()));
    std::sort(names.begin(), names.end());
    return names;
}

std::string CTempDir::ReadFile(std::u16string_view relative) const
{
    std::ifstream in(fs::u8path(ToNativeName(Child(relative))), std::ios::binary);
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
CScopedClipboard::CScopedClipboard(std::u16string text) : CMemoryClipboard(std::move(text))
{
    SetClipboardProvider(this);
}
CScopedClipboard::~CScopedClipboard() { SetClipboardProvider(nullptr); }

CScopedEnv::CScopedEnv(const char* name, const std::string& value) : m_strName(name)
{
    if (const char* old = getenv(name)) {
        m_bHadOld = true;
        m_strOld = old;
    }
    setenv(name, value.c_str(), 1);
}

CScopedEnv::~CScopedEnv()
{
    if (m_bHadOld) setenv(m_strName.c_str(), m_strOld.c_str(), 1);
    else unsetenv(m_strName.c_str());
}

CRunResult RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& stdinText,
                      const std::vector<std::string>& extraEnv)
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

}  // namespace kq::test
