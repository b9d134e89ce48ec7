// The desktop's message boxes and clipboard behind the core's providers.
#pragma once

#include "platform/Clipboard.h"
#include "platform/Prompt.h"

class QWidget;

namespace kq {

// QMessageBox with the system's icons and Chinese button texts. Boxes are
// parented to the active window so they stay on top of it.
class CQtPrompt : public IPromptProvider {
public:
    void Inform(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNo(const std::u16string& text, const std::u16string& title) override;
    EPromptAnswer AskYesNoCancel(const std::u16string& text, const std::u16string& title) override;
};

// The application clipboard (QGuiApplication::clipboard()).
class CQtClipboard : public IClipboardProvider {
public:
    bool GetText(std::u16string& text) override;
    bool SetText(const std::u16string& text) override;
};

}  // namespace kq
