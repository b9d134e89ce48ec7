#include "renamer/cli/UpdaterCliSupport.h"

#include <charconv>
#include <cmath>

#include "platform/Console.h"
#include "platform/Text.h"
#include "renamer/cli/CliSupport.h"

namespace kq::cli {

CRecordingPrompt::CRecordingPrompt(IPromptProvider* inner) : m_pInner(inner) { SetPromptProvider(this); }

CRecordingPrompt::~CRecordingPrompt() { SetPromptProvider(nullptr); }

void CRecordingPrompt::Inform(const std::u16string& text, const std::u16string& title)
{
    m_aMessages.push_back({title, text});
    if (m_pInner) m_pInner->Inform(text, title);
}

EPromptAnswer CRecordingPrompt::Answer(EPromptAnswer fallback,
                                       EPromptAnswer (IPromptProvider::*ask)(const std::u16string&, const std::u16string&),
                                       const std::u16string& text, const std::u16string& title)
{
    m_aMessages.push_back({title, text});
    if (m_bFixed) {
        // Shown all the same, so the terminal reads like the boxes would.
        if (m_pInner) m_pInner->Inform(text, title);
        return m_eFixed;
    }
    return m_pInner ? (m_pInner->*ask)(text, title) : fallback;
}

EPromptAnswer CRecordingPrompt::AskYesNo(const std::u16string& text, const std::u16string& title)
{
    return Answer(EPromptAnswer::No, &IPromptProvider::AskYesNo, text, title);
}

EPromptAnswer CRecordingPrompt::AskYesNoCancel(const std::u16string& text, const std::u16string& title)
{
    return Answer(EPromptAnswer::Cancel, &IPromptProvider::AskYesNoCancel, text, title);
}

void CTerminalProgress::Open(const std::u16string& caption, const std::u16string& status, int nLow, int nHigh)
{
    m_nLow = nLow;
    m_nHigh = nHigh > nLow ? nHigh : nLow + 1;
    m_nPos = nLow;
    m_bOpen = true;
    PrintErr(ToUtf8(caption) + "  " + ToUtf8(status));
    SetPercentText(u" 0 %");
}

void CTerminalProgress::StepIt()
{
    if (m_nPos < m_nHigh) ++m_nPos;
}

void CTerminalProgress::SetPercentText(const std::u16string& text)
{
    if (!m_bOpen) return;
    constexpr int kWidth = 40;
    const int filled = int(static_cast<long long>(m_nPos - m_nLow) * kWidth / (m_nHigh - m_nLow));
    std::string line = "\r[" + std::string(size_t(filled), '#') + std::string(size_t(kWidth - filled), ' ') + "] " +
                       ToUtf8(text);
    WriteStdText(EStdStream::Err, line);
}

void CTerminalProgress::Close()
{
    if (!m_bOpen) return;
    m_bOpen = false;
    WriteStdText(EStdStream::Err, "\n");
}

}  // namespace kq::cli
