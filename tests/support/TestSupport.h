// Helpers for the core tests: real temporary folders, scripted message
// boxes, an in-memory clipboard and small text conveniences.
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Clipboard.h"
#include "platform/Prompt.h"

namespace kq::test {

// A fresh folder under the temporary folder, removed with everything in it
// when the object goes away.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::u16string& Path() const { return m_strPath; }
    // UTF-8 form of the path.
    std::string NativePath() const;
    // Path of a child (relative, '/'-separated; the platform's separator in
    // the result).
    std::u16string Child(std::u16string_view relative) const;
    // Creates a file (and its parent folders) with the given content.
    void MakeFile(std::u16string_view relative, std::string_view content = {}) const;
    void MakeFolder(std::u16string_view relative) const;
    // Names in a folder (relative to the root), sorted; "." and ".." left out.
    std::vector<std::u16string> List(std::u16string_view relative = {}) const;
    std::string ReadFile(std::u16string_view relative) const;

private:
    std::u16string m_strPath;
};

// Message boxes answered from a script; every shown box is recorded.
class CScriptedPrompt : public IPromptProvider {
public:
    struct CShown {
        std::u16string m_strKind;  // "inform", "yesno", "yesnocancel"
        std::u16string m_strText;
        std::u16string m_strTitle;
    };

    CScriptedPrompt();   // installs itself
    ~CScriptedPrompt() override;  // restores the default

    void Answer(EPromptAnswer answer) { m_aAnswers.push_back(answer); }
    const std::vector<CShown>& Shown() const { return m_aShown; }
    void Clear() { m_aShown.clear(); m_aAnswers.clear(); }

    void Inform(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNo(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNoCancel(const std::u16string& text, const std::u16string& title) override;

private:
    EPromptAnswer Next(EPromptAnswer fallback);
    std::deque<EPromptAnswer> m_aAnswers;
    std::vector<CShown> m_aShown;
};

// An in-memory clipboard installed for the object's lifetime.
class CScopedClipboard : public CMemoryClipboard {
public:
    CScopedClipboard();
    explicit CScopedClipboard(std::u16string text);
    ~CScopedClipboard() override;
};

// Sets an environment variable for the object's lifetime.
class CScopedEnv {
public:
    CScopedEnv(const char* name, const std::string& value);
    ~CScopedEnv();

private:
    std::string m_strName;
    std::string m_strOld;
    bool m_bHadOld = false;
};

// A path the build wrote down (a program, the test data) in the form this
// platform's calls take: on Windows forward slashes become backslashes and a
// Unix path of a cross-build run under Wine gets Wine's drive for "/" (Z:).
std::string HostPath(std::string path);

// '/' replaced by the platform's separator (for paths the core splits).
std::string WithPlatformSeparators(std::string path);

// Backslashes doubled: a Windows path as JSON, the rename journal and the
// CLI's escaped name fields write it (unchanged where there are none).
std::string BackslashesDoubled(const std::string& text);

// Tests write paths the POSIX way. On Windows the separator is '\\' and '/'
// an ordinary character, so exchanging the two turns a POSIX path and the
// result expected from it into their Windows counterparts (an involution:
// applied to an output it gives the POSIX form back). Identity on POSIX.
std::u16string PlatformPath(std::u16string_view posixPath);
// The same inside the double-quoted texts of a formula or a result only, so
// '/' still divides outside them.
std::u16string PlatformQuotedPaths(std::u16string_view formula);

// Runs a program with arguments (no shell), feeding stdin_text, and collects
// its exit status and output. extraEnv holds "NAME=value" entries;
// addressSpaceLimit, when not 0, caps the child's address space in bytes
// (POSIX only).
struct CRunResult {
    int m_nExitCode = -1;
    std::string m_strOut;
    std::string m_strErr;
};
CRunResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                      const std::string& stdinText = {}, const std::vector<std::string>& extraEnv = {},
                      size_t addressSpaceLimit = 0);

}  // namespace kq::test
