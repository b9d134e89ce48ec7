#include "AppSetup.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QPointer>
#include <QTranslator>

#include "AppIcons.h"
#include "KQToolsDlg.h"

namespace kq {

void ConfigureApplication()
{
    QApplication::setApplicationName(QStringLiteral("KQTools"));
    QApplication::setApplicationVersion(CKQToolsDlg::VersionText());
    QApplication::setDesktopFileName(QStringLiteral("KQTools"));
    QApplication::setWindowIcon(ProgramIcon());
}

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

}  // namespace kq
