// Shared by the fuzz targets.
#pragma once

#include <string>

#include "platform/Prompt.h"

namespace kq::fuzz {

// Message boxes would go to stderr for every input: keep the runs quiet.
class CSilentPrompt : public IPromptProvider {
public:
    void Inform(const std::u16string&, const std::u16string&) override {}
    EPromptAnswer AskYesNo(const std::u16string&, const std::u16string&) override { return EPromptAnswer::No; }
    EPromptAnswer AskYesNoCancel(const std::u16string&, const std::u16string&) override { return EPromptAnswer::Cancel; }
};

}  // namespace kq::fuzz
