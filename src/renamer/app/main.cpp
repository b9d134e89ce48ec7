// KQTools: the renamer's desktop program. Files and folders named on the
// command line are put into the list as if they had been dropped on it.
#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "AppIcons.h"
#include "KQToolsDlg.h"
#include "QtPrompt.h"
#include "platform/Clipboard.h"
#include "platform/Prompt.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("KQTools"));
    QApplication::setApplicationDisplayName(QStringLiteral("远舟文件改名系统"));
    QApplication::setApplicationVersion(kq::CKQToolsDlg::VersionText());
    QApplication::setDesktopFileName(QStringLiteral("KQTools"));
    QApplication::setWindowIcon(kq::ProgramIcon());

    // The standard dialogs (file dialogs, their questions) in Chinese too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    kq::CQtPrompt prompt;
    kq::CQtClipboard clipboard;
    kq::SetPromptProvider(&prompt);
    kq::SetClipboardProvider(&clipboard);

    {
        kq::CKQToolsDlg dialog;
        const QStringList paths = QApplication::arguments().mid(1);
        if (!paths.isEmpty())
            QTimer::singleShot(0, &dialog, [&dialog, paths] { dialog.AddDroppedPaths(paths); });
        dialog.exec();
    }
    kq::SetPromptProvider(nullptr);
    kq::SetClipboardProvider(nullptr);
    return 0;
}
