// TERNControlPanel: the configuration centre. `--list` and `--page NAME`
// print for scripts without opening a window; otherwise one window per user
// session, a second start bringing the first to the front.
#include <QApplication>
#include <QThread>
#include <cstdio>
#include <string>
#include <vector>

#include "PanelIcons.h"
#include "SingleInstance.h"
#include "TERNControlPanelDlg.h"
#include "controlpanel/core/Diagnostics.h"
#include "platform/SpecialFolders.h"
#include "qtcommon/QtSetup.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    kq::CDiagnosticsResult diagnostics = kq::RunDiagnostics(args, kq::ProgramFolder());
    if (diagnostics.m_nExitCode >= 0) {
        std::fwrite(diagnostics.m_strOut.data(), 1, diagnostics.m_strOut.size(), stdout);
        std::fwrite(diagnostics.m_strErr.data(), 1, diagnostics.m_strErr.size(), stderr);
        return diagnostics.m_nExitCode;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TERNControlPanel"));
    QApplication::setApplicationDisplayName(QStringLiteral("远舟软件配置中心"));
    QApplication::setOrganizationName(QStringLiteral("远舟工作室"));
    QApplication::setDesktopFileName(QStringLiteral("TERNControlPanel"));
    QApplication::setWindowIcon(kq::PanelIcon(kq::kIconPanel));

    kq::CSingleInstance instance;
    if (instance.ActivateRunning()) return 0;
    if (!instance.TryLock()) {
        // Another instance is starting right now: let it come up, then ask it.
        for (int i = 0; i < 30 && !instance.ActivateRunning(); ++i) QThread::msleep(100);
        return 0;
    }

    kq::InstallQtChineseCatalogue();

    kq::CTERNControlPanelDlg dialog(kq::ProgramFolder());
    instance.Listen(&dialog);
    dialog.show();
    return app.exec();
}
