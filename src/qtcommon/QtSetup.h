// Set-up that every desktop program of the suite shares: Chinese glyphs,
// locale and catalogues, and the Qt providers behind the core's prompts and
// clipboard.
#pragma once

#include "qtcommon/QtPrompt.h"

namespace kq {

// All of the Chinese set-up below, once the QApplication exists and before
// the first window is made: what each program's main() calls.
void SetUpChineseDesktop();

// Han characters in their Simplified Chinese forms: the application font
// lists "Noto Sans CJK SC" after its own family (or instead of a CJK family
// of another region), where fontconfig would pick the forms of the user's
// locale. False when that font is not installed (the font stays as it was).
bool PreferSimplifiedChineseFont();

// Qt's default locale becomes zh_CN: dates, file types and number formats
// that Qt's own widgets derive from it read in Chinese.
void UseChineseLocale();

// Loads Qt's own Chinese catalogue, so that the standard dialogs and buttons
// read in Chinese whatever the user's locale (the interface is Chinese by
// design), and the few texts it leaves in English. False when the catalogue
// is not installed (the few texts are still installed).
bool InstallQtChineseCatalogue();

// The widgets' own file dialogs show sizes and modification times in the
// Chinese locale (Qt formats them in the system's) from now on.
void LocaliseFileDialogs();

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
