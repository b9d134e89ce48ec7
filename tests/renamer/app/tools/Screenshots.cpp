// Saves a PNG of the main window in each of the five modes, with a sample
// list, of the add-files and export dialogs, the super-sort dialogs, the
// progress window of a long rename, the rename history and a preset being
// saved into the folder given (docs/ by default). Run under a real display server (Xvfb) so that
// fonts and styles are those of a desktop.
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

#include <QInputDialog>
#include <QProgressDialog>
#include <QThread>

#include "AppSetup.h"
#include "FileListView.h"
#include "GuiTestSupport.h"
#include "HistoryDlg.h"
#include "KQToolsDlg.h"
#include "ProgressRun.h"
#include "qtcommon/QtPrompt.h"
#include "qtcommon/QtSetup.h"
#include "platform/Text.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/EnPage.h"
#include "support/TestSupport.h"
#include "platform/FileSystem.h"
#include "renamer/app/supersort/MdySortRouteDlg.h"
#include "renamer/app/supersort/NewClauseDlg.h"
#include "renamer/app/supersort/RouteDlgs.h"
#include "renamer/app/supersort/SuperSortDlg.h"
#include "renamer/supersort/SortWorkList.h"

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

// Runs open(), which shows a window and waits for it; once ready(window)
// says so, saves the window's picture and, when close is given, closes it.
template <class T>
bool SaveWhenShown(const QString& path, const std::function<void()>& open,
                   const std::function<bool(T*)>& ready, const std::function<void(T*)>& close)
{
    bool saved = false;
    QTimer poll;
    poll.setInterval(50);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        T* window = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* candidate = qobject_cast<T*>(widget); candidate && candidate->isVisible()) window = candidate;
        if (!window || !ready(window)) return;
        poll.stop();
        QTest::qWait(300);
        saved = Save(window->grab(), path);
        if (close) close(window);
    });
    poll.start();
    open();
    return saved;
}

bool SaveFileDialog(const QString& path, const std::function<void()>& open)
{
    return SaveWhenShown<QFileDialog>(
        path, open, [](QFileDialog*) { return true; }, [](QFileDialog* dialog) { dialog->reject(); });
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ConfigureApplication();
    SetUpChineseDesktop();
    if (!InstallQtChineseCatalogue()) std::fprintf(stderr, "Qt's Chinese catalogue is missing\n");
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(outDir);
    // Rules, journal and history in a private configuration folder.
    test::CTempDir config;
    test::CScopedEnv configHome("KQ_CONFIG_HOME", config.NativePath());

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

    auto* en = static_cast<CEnPage*>(dlg.Page(1));
    en->m_replaceDelete.m_pReplaceEnabled->click();
    en->m_replaceDelete.m_pRegex->click();
    en->m_replaceDelete.m_pFind->setText(QStringLiteral("IMG (\\d+)"));
    en->m_replaceDelete.m_pReplace->setText(QStringLiteral("照片$1"));

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

    // Super sort: the chooser, the rule editor, the clause editor and the
    // preview, over a sample rule in a private configuration folder.
    CreateFolder(GetConfigFolder());
    CSortRouteList rules;
    rules.AddRoute(u"图片优先", u"IMG 开头的图片排在最前，图纸其次，其余按章节编号。");
    CSortRouteClause images;
    images.m_aConditionMode = {4, 0, 0};
    images.m_aConditionText = {u"IMG", u"", u""};
    images.m_strWeight = u"-100";
    CSortRouteClause chapters;
    chapters.m_nCombination = 5;
    chapters.m_nLoopMode = 1;
    chapters.m_nLoopEnd = 20;
    chapters.m_aConditionMode = {1, 0, 6};
    chapters.m_aConditionText = {u"IMG", u"=\"000\"&i", u"图"};
    chapters.m_strWeight = u"=i*2";
    CSortRouteClause readme;
    readme.m_nCombination = 2;
    readme.m_aConditionMode = {2, 4, 0};
    readme.m_aConditionText = {u"readme", u"Report", u""};
    readme.m_strWeight = u"50";
    rules[0].m_aClauses = {images, chapters, readme};
    rules.AddRoute(u"按编号", u"");
    SaveRouteFile(RouteStorePath(), rules);

    CSortWorkList work;
    PrepareSuperSort(work, dlg.List(), rules[0], true);
    CSuperSortDlg chooser(&dlg);
    CMdySortRouteDlg editor(rules[0], &dlg);
    editor.SelectRows({1});
    CNewClauseDlg clauseEditor(rules[0].m_aClauses[1], &dlg);
    CPrepSortDlg preview(work, &dlg);
    const std::pair<QDialog*, const char*> dialogs[] = {
        {&chooser, "supersort-chooser"}, {&editor, "supersort-rule"}, {&clauseEditor, "supersort-clause"},
        {&preview, "supersort-preview"}};
    for (const auto& [dialog, name] : dialogs) {
        dialog->show();
        if (!QTest::qWaitForWindowExposed(dialog)) std::fprintf(stderr, "dialog not shown\n");
        QTest::qWait(100);
        const QString path = outDir + QStringLiteral("/screenshot-%1.png").arg(QLatin1String(name));
        if (!Save(dialog->grab(), path)) return 1;
        dialog->hide();
    }

    // A long rename: every move slowed down so that the progress window
    // shows, pictured part-way; then the history with that run in it.
    ModeButton(dlg, 0)->click();
    dlg.m_fnAfterMove = [](size_t) { QThread::msleep(400); };
    g_nProgressDelayMs = 100;
    prompt.Answer(EPromptAnswer::Yes);
    if (!SaveWhenShown<QProgressDialog>(
            outDir + QStringLiteral("/screenshot-progress.png"),
            [&] { Find<QPushButton>(dlg, "ExecuteButton")->click(); },
            [](QProgressDialog* progress) { return progress->value() >= 3; }, nullptr))
        return 1;
    dlg.m_fnAfterMove = nullptr;
    if (!SaveWhenShown<CHistoryDlg>(
            outDir + QStringLiteral("/screenshot-history.png"), [&] { Find<QAction>(dlg, "RenameHistory")->trigger(); },
            [](CHistoryDlg*) { return true; }, [](CHistoryDlg* history) { history->reject(); }))
        return 1;
    // A preset being saved under a name of the user's.
    if (!SaveWhenShown<QInputDialog>(
            outDir + QStringLiteral("/screenshot-preset.png"), [&] { Find<QAction>(dlg, "SavePreset")->trigger(); },
            [](QInputDialog* ask) {
                ask->setTextValue(QStringLiteral("照片按日期编号"));
                return true;
            },
            [](QInputDialog* ask) { ask->accept(); }))
        return 1;
    SetClipboardProvider(nullptr);
    return 0;
}
