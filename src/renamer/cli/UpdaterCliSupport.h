// What the updater's subcommands share: a prompt provider that records
// every message box, and a progress bar on the terminal.
#pragma once

#include <string>
#include <vector>

#include "platform/Prompt.h"
#include "updater/core/Download.h"

namespace kq::cli {

// Records each box (title and text) and passes it on to an inner provider
// (none: quiet, questions answered No); fixed answers, when set, replace
// the inner provider's for questions.
class CRecordingPrompt : public IPromptProvider {
public:
    struct CMessage {
        std::u16string m_strTitle;
        std::u16string m_strText;
    };

    explicit CRecordingPrompt(IPromptProvider* inner);  // installs itself
    ~CRecordingPrompt() override;                        // restores the default

    void SetFixedAnswer(EPromptAnswer answer) { m_bFixed = true; m_eFixed = answer; }
    const std::vector<CMessage>& Messages() const { return m_aMessages; }

    void Inform(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNo(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNoCancel(const std::u16string& text, const std::u16string& title) override;

private:
    EPromptAnswer Answer(EPromptAnswer fallback, EPromptAnswer (IPromptProvider::*ask)(const std::u16string&, const std::u16string&),
                         const std::u16string& text, const std::u16string& title);

    IPromptProvider* m_pInner;
    bool m_bFixed = false;
    EPromptAnswer m_eFixed = EPromptAnswer::No;
    std::vector<CMessage> m_aMessages;
};

// The progress window as one redrawn line on stderr.
class CTerminalProgress : public IProgressWindow {
public:
    void Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh) override;
    void StepIt() override;
    void SetPercentText(const std::u16string& text) override;
    void PumpMessages() override {}
    bool TakeCancelRequest() override { return false; }
    void Close() override;

private:
    int m_nLow = 0;
    int m_nHigh = 100;
    int m_nPos = 0;
    bool m_bOpen = false;
};

}  // namespace kq::cli
