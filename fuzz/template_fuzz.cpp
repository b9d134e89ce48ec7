// Expands arbitrary templates over a few rows; any crash, sanitizer report or
// hang is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzSupport.h"
#include "platform/Path.h"
#include "platform/Prompt.h"
#include "platform/Text.h"
#include "renamer/templates/StringOperatorMacro.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static kq::fuzz::CSilentPrompt prompt;
    kq::SetPromptProvider(&prompt);
    const std::u16string templateText =
        kq::FromUtf8(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::u16string folder = std::u16string(u"C:") + kq::kPathSeparator + u"Path";

    kq::CStringOperatorMacro macro;
    macro.m_bShowMessage = 1;
    macro.BeginRun(templateText, 3);
    std::u16string text;
    macro.ExpandRow(u"Code.txt", folder, 1, text);
    macro.ExpandRow(u"ab cd", u"", 2, text);
    macro.ExpandRow(u".x.", folder, 3, text);
    kq::SetPromptProvider(nullptr);
    return 0;
}
