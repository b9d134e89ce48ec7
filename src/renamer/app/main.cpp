// KQTools: the renamer's desktop program. Files and folders named on the
// command line are put into the list as if they had been dropped on it.
#include <QApplication>
#include <QTimer>

#include "AppSetup.h"
#include "KQToolsDlg.h"
#include "qtcommon/QtSetup.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    kq::ConfigureApplication();
    // The standard dialogs (file dialogs, their questions) in Chinese too.
    kq::SetUpChineseDesktop();

    kq::CQtProviderScope providers;
    kq::CKQToolsDlg dialog;
    const QStringList paths = QApplication::arguments().mid(1);
    if (!paths.isEmpty()) QTimer::singleShot(0, &dialog, [&dialog, paths] { dialog.AddDroppedPaths(paths); });
    dialog.exec();
    return 0;
}
