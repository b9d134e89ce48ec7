#include "AppSetup.h"

#include <QApplication>

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

}  // namespace kq
