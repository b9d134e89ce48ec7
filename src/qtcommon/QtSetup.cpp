#include "qtcommon/QtSetup.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

namespace kq {

bool InstallQtChineseCatalogue()
{
    // Owned by the application; the pointer clears when it goes.
    static QPointer<QTranslator> installed;
    if (installed) return true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

CQtProviderScope::CQtProviderScope()
{
    SetPromptProvider(&m_prompt);
    SetClipboardProvider(&m_clipboard);
}

CQtProviderScope::~CQtProviderScope()
{
    SetPromptProvider(nullptr);
    SetClipboardProvider(nullptr);
}

}  // namespace kq
