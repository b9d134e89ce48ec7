// Reads arbitrary bytes as a version file, as the updater does with what a
// server sent. A read that succeeds must leave a latest version and a change
// list that the change text can be built from; a crash or sanitizer report
// is a finding.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/FileSystem.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "updater/core/PRKFileVersion.h"
#include "updater/core/UpdateFlow.h"

namespace {

class CQuietPrompt : public kq::IPromptProvider {
public:
    void Inform(const std::u16string& text, const std::u16string&) override
    {
        if (text.empty()) std::abort();
    }
    kq::EPromptAnswer AskYesNo(const std::u16string&, const std::u16string&) override { return kq::EPromptAnswer::No; }
    kq::EPromptAnswer AskYesNoCancel(const std::u16string&, const std::u16string&) override
    {
        return kq::EPromptAnswer::Cancel;
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CQuietPrompt s_prompt;
    static const std::u16string s_path = kq::FromAscii("/tmp/version_file_fuzz." + std::to_string(getpid()) + ".txt");
    kq::SetPromptProvider(&s_prompt);
    if (!kq::WriteFileBytes(s_path, std::string_view(reinterpret_cast<const char*>(data), size), false)) return 0;
    // The first byte picks the installed version, so baselines vary too.
    const double installed = size > 0 ? data[0] / 10.0 : 0.0;
    kq::CPRKFileVersion file(installed);
    file.SetFilePath(s_path);
    if (file.ReadVersionFile() == 1) {
        if (file.m_dFormatVersion > 1.0) std::abort();
        const std::u16string text = kq::BuildChangeText(file.m_aChangeList);
        if (!file.m_aChangeList.empty() && text.empty()) std::abort();
        (void)kq::IsUpToDate(file.m_strInstalledVersion, file.m_strLatestVersion);
    }
    return 0;
}
