// TERNControlPanel: the configuration centre. `--list` and `--page NAME`
// print for scripts without opening a window; otherwise one window per user
// session, a second start bringing the first to the front.
#include <QApplication>
#include <cstdio>
#include <string>
#include <vector>

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
    kq::SetUpControlPanelApplication();

    kq::CSingleInstance instance;
    if (!instance.ShouldOpenWindow()) return 0;

    kq::SetUpChineseDesktop();

    kq::CTERNControlPanelDlg dialog(kq::ProgramFolder());
    instance.Listen(&dialog);  // no single instance without the lock
    dialog.show();
    return app.exec();
}
