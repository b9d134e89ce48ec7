// Set-up that every desktop program of the suite shares: Qt's Chinese
// catalogue and the Qt providers behind the core's prompts and clipboard.
#pragma once

#include "qtcommon/QtPrompt.h"

namespace kq {

// Loads Qt's own Chinese catalogue, so that the standard dialogs and buttons
// read in Chinese whatever the user's locale (the interface is Chinese by
// design). False when the catalogue is not installed.
bool InstallQtChineseCatalogue();

// The desktop's message boxes and clipboard serve the core for as long as
// this lives; the core falls back to its defaults afterwards.
class CQtProviderScope {
public:
    CQtProviderScope();
    ~CQtProviderScope();
    CQtProviderScope(const CQtProviderScope&) = delete;
    CQtProviderScope& operator=(const CQtProviderScope&) = delete;

private:
    CQtPrompt m_prompt;
    CQtClipboard m_clipboard;
};

}  // namespace kq
