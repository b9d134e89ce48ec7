// Saves a PNG of the main window in each of the five modes, with a sample
// list, and of the add-files and export dialogs into the folder given (docs/
// by default). Run under a real display server (Xvfb) so that fonts and
// styles are those of a desktop.
#include <cstdio>
#include <functional>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QClipboard>
#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QTimer>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "AppSetup.h"
#include "FileListView.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "QtPrompt.h"
#include "platform/Text.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EePage.h"
#include "support/TestSupport.h"

using namespace kq;
using kq::test::Find;
using kq::test::ModeButton;

namespace {

bool Save(const QPixmap& picture, const QString& path)
{
    if (!picture.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s\n", qPrintable(path));
    return true;
}

// Opens a file dialog with open(), saves its picture once it is shown and
// closes it.
bool SaveFileDialog(const QString& path, const std::function<void()>& open)
{
    bool saved = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible()) return;
        poll.stop();
        QTest::qWait(300);
        saved = Save(dialog->grab(), path);
        dialog->reject();
    });
    poll.start();
    open();
    return saved;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ConfigureApplication();
    if (!InstallQtChineseCatalogue()) std::fprintf(stderr, "Qt's Chinese catalogue is missing\n");
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(outDir);

    test::CScriptedPrompt prompt;
    CQtClipboard clipboard;
    SetClipboardProvider(&clipboard);

    test::CTempDir dir;
    const char16_t* files[] = {u"样本/IMG 0001.jpg", u"样本/IMG 0002.jpg", u"样本/IMG 0003.jpg",
                               u"样本/会议纪要.docx", u"样本/Report final.pdf", u"样本/图纸/底层平面图.dwg",
                               u"样本/图纸/立面图.dwg", u"样本/readme"};
    for (const char16_t* file : files) dir.MakeFile(file);

    CKQToolsDlg dlg;
    dlg.show();
    if (!QTest::qWaitForWindowExposed(&dlg)) std::fprintf(stderr, "window not shown\n");
    prompt.Answer(EPromptAnswer::Yes);
    dlg.AddDroppedPaths({QString::fromStdU16String(dir.Child(u"样本"))});
    Find<CFileListView>(dlg, "FileList")->SetSelectedRows({1, 2});

    auto* ea = static_cast<CEaPage*>(dlg.Page(0));
    ea->m_pTemplate->setText(QStringLiteral("项目_<原文件名>"));
    ea->m_pIndexEnabled->click();
    ea->m_pDigits->setCurrentIndex(3);
    ea->m_pPosition->setCurrentIndex(1);

    QGuiApplication::clipboard()->setText(QStringLiteral("封面\n目录\n第一章\n第二章\n第三章\n附录\n参考文献\n索引\n"));
    static_cast<CElPage*>(dlg.Page(2))->m_pAdd->click();
    static_cast<CEePage*>(dlg.Page(3))->m_pMacro->setPlainText(QStringLiteral("{l=2;I}_{P}_{t=1;F}"));
    static_cast<CEfPage*>(dlg.Page(4))->m_pFormula->setPlainText(
        QStringLiteral("StrIndex(Index(),3)&\" \"&Upper(Ftitle())"));

    const char* names[5] = {"simple", "enhanced", "list", "advanced", "formula"};
    for (int mode = 0; mode < 5; ++mode) {
        ModeButton(dlg, mode)->click();
        QTest::qWait(100);
        const QString path = outDir + QStringLiteral("/screenshot-%1.png").arg(QLatin1String(names[mode]));
        if (!Save(dlg.grab(), path)) return 1;
    }
    if (!SaveFileDialog(outDir + QStringLiteral("/screenshot-add-files.png"),
                        [&] { Find<QPushButton>(dlg, "AddButton")->click(); }) ||
        !SaveFileDialog(outDir + QStringLiteral("/screenshot-export.png"),
                        [&] { Find<QAction>(dlg, "ExportList")->trigger(); }))
        return 1;
    SetClipboardProvider(nullptr);
    return 0;
}
