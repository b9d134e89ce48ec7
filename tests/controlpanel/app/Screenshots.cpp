// Saves PNGs of the configuration centre: the main dialog with a sample
// plug-in, the system information sheet on each of its pages, and the
// credits sheet, into the folder given (docs/ by default). Run under a real
// display server (Xvfb) so that fonts and styles are those of a desktop.
#include <cstdio>
#include <memory>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QTabWidget>
#include <QTest>

#include "InfoSheets.h"
#include "TERNControlPanelDlg.h"
#include "platform/DynamicLibrary.h"
#include "qtcommon/QtSetup.h"
#include "support/TestSupport.h"

using namespace kq;

namespace {

void Save(QWidget* widget, const QString& path)
{
    QTest::qWait(100);
    if (!widget->grab().save(path)) std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    else std::printf("%s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    SetUpControlPanelApplication();  // as the program starts
    SetUpChineseDesktop();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(outDir);
    test::CScopedEnv registry("KQ_REGISTRY_FILE", KQ_CP_REGISTRY);

    test::CTempDir folder;
    QFile::copy(QStringLiteral(KQ_SAMPLE_PANEL), QString::fromStdU16String(folder.Child(SharedLibraryFileName(u"TERNToolPanel"))));
    CTERNControlPanelDlg dlg(folder.Path());
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) std::fprintf(stderr, "window not shown\n");
    QListWidgetItem* item = dlg.m_pList->item(0);
    QTest::mouseClick(dlg.m_pList->viewport(), Qt::LeftButton, {}, dlg.m_pList->visualItemRect(item).center());
    Save(&dlg, outDir + QStringLiteral("/screenshot-controlpanel.png"));

    std::unique_ptr<CUIPropertySheet> system(CreateSystemInfoSheet(&dlg));
    system->show();
    if (!QTest::qWaitForWindowExposed(system.get())) std::fprintf(stderr, "sheet not shown\n");
    const char* pages[] = {"copyright", "system", "software", "platform", "community"};
    for (int i = 0; i < system->Tabs()->count(); ++i) {
        system->Tabs()->setCurrentIndex(i);
        Save(system.get(), outDir + QStringLiteral("/screenshot-controlpanel-%1.png").arg(QLatin1String(pages[i])));
    }
    system->close();

    std::unique_ptr<CUIPropertySheet> credits(CreateCreditsSheet(&dlg));
    credits->show();
    if (!QTest::qWaitForWindowExposed(credits.get())) std::fprintf(stderr, "sheet not shown\n");
    Save(credits.get(), outDir + QStringLiteral("/screenshot-controlpanel-credits.png"));
    return 0;
}
