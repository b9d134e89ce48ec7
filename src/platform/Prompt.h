// Message boxes shown by library code: one process-wide provider.
#pragma once

#include <string>

namespace kq {

enum class EPromptAnswer { Yes, No, Cancel };

class IPromptProvider {
public:
    virtual ~IPromptProvider() = default;
    // Information icon, OK.
    virtual void Inform(const std::u16string& text, const std::u16string& title) = 0;
    // Question icon, Yes/No.
    virtual EPromptAnswer AskYesNo(const std::u16string& text, const std::u16string& title) = 0;
    // Question icon, Yes/No/Cancel.
    virtual EPromptAnswer AskYesNoCancel(const std::u16string& text, const std::u16string& title) = 0;
};

// Texts on stderr, answers read from stdin ("y"/"是" is Yes, "c"/"取消" is
// Cancel, anything else - end of input included - is No; Cancel for a
// three-way question at end of input).
class CConsolePrompt : public IPromptProvider {
public:
    void Inform(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNo(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNoCancel(const std::u16string& text, const std::u16string& title) override;
};

// The provider in force (default: a CConsolePrompt). The caller keeps
// ownership; nullptr restores the default.
void SetPromptProvider(IPromptProvider* provider);
IPromptProvider& GetPromptProvider();

}  // namespace kq
