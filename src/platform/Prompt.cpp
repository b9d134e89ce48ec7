#include "platform/Prompt.h"

#include <atomic>
#include <string>

#include "platform/Console.h"
#include "platform/Text.h"

namespace kq {

namespace {

std::atomic<IPromptProvider*> g_prompt{nullptr};

void Show(const std::u16string& text, const std::u16string& title, const char* choices)
{
    std::string line = ToUtf8(title) + ": " + ToUtf8(text);
    if (choices) line += std::string(" ") + choices;
    WriteStdText(EStdStream::Err, line + "\n");
}

// Reads one answer line; false at end of input.
bool ReadAnswer(std::string& answer)
{
    if (!ReadStdLine(answer)) return false;
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    return true;
}

bool IsYes(const std::string& a) { return a == "y" || a == "Y" || a == "yes" || a == "是"; }
bool IsCancel(const std::string& a) { return a == "c" || a == "C" || a == "cancel" || a == "取消"; }

}  // namespace

void CConsolePrompt::Inform(const std::u16string& text, const std::u16string& title) { Show(text, title, nullptr); }

EPromptAnswer CConsolePrompt::AskYesNo(const std::u16string& text, const std::u16string& title)
{
    Show(text, title, "[y/N]");
    std::string answer;
    if (!ReadAnswer(answer)) return EPromptAnswer::No;
    return IsYes(answer) ? EPromptAnswer::Yes : EPromptAnswer::No;
}

EPromptAnswer CConsolePrompt::AskYesNoCancel(const std::u16string& text, const std::u16string& title)
{
    Show(text, title, "[y/n/C]");
    std::string answer;
    if (!ReadAnswer(answer)) return EPromptAnswer::Cancel;
    if (IsYes(answer)) return EPromptAnswer::Yes;
    if (IsCancel(answer) || answer.empty()) return EPromptAnswer::Cancel;
    return EPromptAnswer::No;
}

void SetPromptProvider(IPromptProvider* provider) { g_prompt = provider; }

IPromptProvider& GetPromptProvider()
{
    static CConsolePrompt s_console;
    IPromptProvider* provider = g_prompt.load();
    if (provider) return *provider;
    return s_console;
}

}  // namespace kq
