// The main window driven as a user would: buttons, menus, keys and drops,
// on real temporary folders, with message boxes answered by a script.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>
#include <unistd.h>

#include "AboutDlg.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "renamer/list/LaunchCommands.h"
#include "platform/Crt.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/EnPage.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

QString S(const std::u16string& text) { return QString::fromStdU16String(text); }

// Adds files through the "添加" button with the file dialog answered.
void AddThroughButton(CKQToolsDlg& dlg, const QStringList& paths)
{
    dlg.m_fnOpenFiles = [paths](QWidget*, const QString&, const QStringList&) { return paths; };
    QTest::mouseClick(dlg.m_pAdd, Qt::LeftButton);
}

QStringList MakeFiles(const CTempDir& dir, const QStringList& names)
{
    QStringList paths;
    for (const QString& name : names) {
        dir.MakeFile(name.toStdU16String(), "x");
        paths << S(dir.Child(name.toStdU16String()));
    }
    return paths;
}

// Drops urls on the list view as a file manager would.
void Drop(CKQToolsDlg& dlg, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    QWidget* target = dlg.m_pListView->viewport();
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
}

QStringList VisiblePages(const CKQToolsDlg& dlg)
{
    QStringList names;
    for (int mode = 0; mode < 5; ++mode)
        if (dlg.Page(mode)->isVisible()) names << dlg.Page(mode)->objectName();
    return names;
}

}  // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void StartUp_ShowsDefaults();
    void ModeSwitch_ShowsOnePageAndRefillsNewNames();
    void KeepExtension_ClearedRefillsWithoutExtension();
    void FilterCheck_EnablesEditAndShapesAddDialog();
    void AddButton_AddsChosenFilesInOrder();
    void Drop_AsksOnceForSubfoldersAndHonoursAnswer_data();
    void Drop_AsksOnceForSubfoldersAndHonoursAnswer();
    void Drop_BadPathsAddNothingAndAskNothing();
    void DeleteKeyAndButton_RemoveSelectedRowsAndRefresh();
    void Move_KeepsSelectionAndRefusesGaps();
    void Sorts_ReorderRowsAndRefreshNames();
    void CountPane_FollowsSelection();
    void ExecuteRename_RenamesRealFiles();
    void ExecuteRename_DeclinedTouchesNothing();
    void Export_WritesCsvOrRefusesEmptyList();
    void ShellCommands_UseRegistryFolders();
    void AboutBox_ShowsTitleAndVersion();
    void EscapeAndEnter_CloseLikeCloseBox();
};

void MainWindowTest::StartUp_ShowsDefaults()
{
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("远舟文件改名系统"));
    QCOMPARE(VisiblePages(dlg), QStringList{QStringLiteral("CEaPage")});
    QVERIFY(dlg.m_aModeButtons[0]->isChecked());
    QVERIFY(dlg.m_pKeepExtension->isChecked());
    QVERIFY(!dlg.m_pFilterEnabled->isChecked());
    QCOMPARE(dlg.m_pFilter->text(), QStringLiteral("*.*"));
    QVERIFY(!dlg.m_pFilter->isEnabled());
    QCOMPARE(dlg.m_aPanes[0]->text(), QStringLiteral("可以从资源管理器拖动文件到列表"));
    QCOMPARE(dlg.m_aPanes[1]->text(), QStringLiteral("共计：0个   选择：0个"));
    QCOMPARE(dlg.m_aPanes[2]->text(), QStringLiteral("2.15"));
    const QStringList headers = {"原文件名", "新文件名", "状态", "目录"};
    const int widths[] = {250, 250, 100, 400};
    for (int c = 0; c < 4; ++c) {
        QCOMPARE(dlg.m_pModel->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
        QCOMPARE(dlg.m_pListView->columnWidth(c), widths[c]);
    }
    QVERIFY(dlg.m_pListView->showGrid());
    QCOMPARE(dlg.m_pListView->selectionBehavior(), QAbstractItemView::SelectRows);
    // Never smaller than at start-up; growing grows the list only.
    QCOMPARE(dlg.minimumSize(), dlg.size());
    const QSize pageBefore = dlg.m_pPageArea->size();
    const QSize listBefore = dlg.m_pListView->size();
    dlg.resize(dlg.width() + 200, dlg.height() + 100);
    QTRY_COMPARE(dlg.m_pListView->width(), listBefore.width() + 200);
    QCOMPARE(dlg.m_pListView->height(), listBefore.height() + 100);
    QCOMPARE(dlg.m_pPageArea->size(), pageBefore);
}

void MainWindowTest::ModeSwitch_ShowsOnePageAndRefillsNewNames()
{
    CScriptedPrompt prompt;
    CScopedClipboard clipboard(u"n1\r\nn2\r\n");
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.jpg", "b.jpg"}));
    static_cast<CEePage*>(dlg.Page(3))->m_pMacro->setPlainText(QStringLiteral("{t=1;F}"));
    static_cast<CEfPage*>(dlg.Page(4))->m_pFormula->setPlainText(QStringLiteral("Upper(Ftitle())&\"x\""));
    QTest::mouseClick(static_cast<CElPage*>(dlg.Page(2))->m_pAdd, Qt::LeftButton);

    struct {
        int mode;
        const char* page;
        QStringList names;
    } rows[] = {
        {1, "CEnPage", {"1 a.jpg", "2 b.jpg"}},
        {2, "CElPage", {"n1.jpg", "n2.jpg"}},
        {3, "CEePage", {"A.jpg", "B.jpg"}},
        {4, "CEfPage", {"Ax.jpg", "Bx.jpg"}},
        {0, "CEaPage", {"a.jpg", "b.jpg"}},
    };
    for (const auto& row : rows) {
        QTest::mouseClick(dlg.m_aModeButtons[size_t(row.mode)], Qt::LeftButton);
        QCOMPARE(dlg.m_nMode, row.mode);
        QCOMPARE(VisiblePages(dlg), QStringList{QString::fromUtf8(row.page)});
        QCOMPARE(Column(dlg.List(), kColNewName), row.names);
        // The view shows what the list holds.
        QCOMPARE(dlg.m_pModel->index(1, kColNewName).data().toString(), row.names[1]);
    }
}

void MainWindowTest::KeepExtension_ClearedRefillsWithoutExtension()
{
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.jpg", "README"}));
    QTest::mouseClick(dlg.m_aModeButtons[3], Qt::LeftButton);
    static_cast<CEePage*>(dlg.Page(3))->m_pMacro->setPlainText(QStringLiteral("{F}"));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"a.jpg", "README."}));
    QTest::mouseClick(dlg.m_pKeepExtension, Qt::LeftButton);
    QVERIFY(!dlg.m_bKeepExtension);
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"a", "README"}));
}

void MainWindowTest::FilterCheck_EnablesEditAndShapesAddDialog()
{
    struct {
        bool enabled;
        QString text;
        QStringList filters;
    } rows[] = {
        {false, "*.txt", {"所有文件(*.*) (*)"}},
        {true, "*.txt", {"用户筛选(*.txt)", "所有文件(*.*) (*)"}},
        {true, "*.jpg;*.png", {"用户筛选(*.jpg;*.png) (*.jpg *.png)", "所有文件(*.*) (*)"}},
        {true, "*.*", {"用户筛选(*.*) (*)", "所有文件(*.*) (*)"}},
    };
    for (const auto& row : rows) {
        CKQToolsDlg dlg;
        dlg.show();
        if (row.enabled) QTest::mouseClick(dlg.m_pFilterEnabled, Qt::LeftButton);
        QCOMPARE(dlg.m_pFilter->isEnabled(), row.enabled);
        dlg.m_pFilter->setText(row.text);
        QString title;
        QStringList filters;
        dlg.m_fnOpenFiles = [&](QWidget*, const QString& t, const QStringList& f) {
            title = t;
            filters = f;
            return QStringList{};
        };
        QTest::mouseClick(dlg.m_pAdd, Qt::LeftButton);
        QCOMPARE(title, QStringLiteral("添加被改名文件"));
        QCOMPARE(filters, row.filters);
        QCOMPARE(dlg.List().GetItemCount(), 0);
    }
}

void MainWindowTest::AddButton_AddsChosenFilesInOrder()
{
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    QStringList paths = MakeFiles(dir, {"c.txt", "a.txt", "b.txt"});
    AddThroughButton(dlg, paths);
    // Adding the same files again adds nothing.
    AddThroughButton(dlg, paths);
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"c.txt", "a.txt", "b.txt"}));
    QCOMPARE(Column(dlg.List(), kColStatus), (QStringList{"未处理", "未处理", "未处理"}));
    QCOMPARE(Column(dlg.List(), kColFolder), (QStringList{S(dir.Path()), S(dir.Path()), S(dir.Path())}));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"c.txt", "a.txt", "b.txt"}));
    QCOMPARE(dlg.m_pModel->rowCount(), 3);
}

void MainWindowTest::Drop_AsksOnceForSubfoldersAndHonoursAnswer_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("yes") << int(EPromptAnswer::Yes) << QStringList{"a.txt", "b.txt", "c.txt", "d.txt"};
    QTest::newRow("no") << int(EPromptAnswer::No) << QStringList{"a.txt", "b.txt", "d.txt"};
    QTest::newRow("cancel") << int(EPromptAnswer::Cancel) << QStringList{};
}

void MainWindowTest::Drop_AsksOnceForSubfoldersAndHonoursAnswer()
{
    QFETCH(int, answer);
    QFETCH(QStringList, names);
    CScriptedPrompt prompt;
    prompt.Answer(EPromptAnswer(answer));
    CTempDir dir;
    dir.MakeFile(u"a.txt");
    dir.MakeFile(u"one/b.txt");
    dir.MakeFile(u"one/sub/c.txt");
    dir.MakeFile(u"two/d.txt");
    CKQToolsDlg dlg;
    dlg.show();
    Drop(dlg, {S(dir.Child(u"a.txt")), S(dir.Child(u"one")), S(dir.Child(u"two"))});
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(S(prompt.Shown()[0].m_strKind), QStringLiteral("yesnocancel"));
    QCOMPARE(S(prompt.Shown()[0].m_strText), QStringLiteral("是否需要将子文件夹中文件加入到当前列表？"));
    QCOMPARE(S(prompt.Shown()[0].m_strTitle), QStringLiteral("是否需要包含子文件夹"));
    QStringList listed = Column(dlg.List(), kColOldName);
    listed.sort();
    QCOMPARE(listed, names);
    // The dropped rows received names at once.
    QCOMPARE(Column(dlg.List(), kColNewName), Column(dlg.List(), kColOldName));
}

void MainWindowTest::Drop_BadPathsAddNothingAndAskNothing()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    dir.MakeFile(u"ok.txt");
    CKQToolsDlg dlg;
    dlg.show();
    Drop(dlg, {S(dir.Child(u"missing.txt")), S(dir.Child(u"ok.txt")), S(dir.Child(u"gone/")), QString()});
    QCOMPARE(Column(dlg.List(), kColOldName), QStringList{"ok.txt"});
    QVERIFY(prompt.Shown().empty());

    // A folder that cannot be read contributes nothing and is not taken for
    // a file (as root every folder can be read, so only the rest is checked).
    dir.MakeFile(u"locked/x.txt");
    const std::string locked = ToUtf8(dir.Child(u"locked"));
    chmod(locked.c_str(), 0);
    prompt.Answer(EPromptAnswer::No);
    Drop(dlg, {S(dir.Child(u"locked"))});
    if (geteuid() != 0) QCOMPARE(Column(dlg.List(), kColOldName), QStringList{"ok.txt"});
    QVERIFY(!Column(dlg.List(), kColOldName).contains(QStringLiteral("locked")));
    chmod(locked.c_str(), 0755);
}

void MainWindowTest::DeleteKeyAndButton_RemoveSelectedRowsAndRefresh()
{
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    QTest::mouseClick(dlg.m_aModeButtons[1], Qt::LeftButton);
    dlg.m_pListView->SetSelectedRows({1});
    dlg.m_pListView->setFocus();
    QTest::keyClick(dlg.m_pListView, Qt::Key_Delete);
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"1 a.jpg", "2 c.jpg", "3 d.jpg"}));
    dlg.m_pListView->SetSelectedRows({0, 2});
    QTest::mouseClick(dlg.m_pDelete, Qt::LeftButton);
    QCOMPARE(Column(dlg.List(), kColNewName), QStringList{"1 c.jpg"});
    QCOMPARE(dlg.m_pModel->rowCount(), 1);
}

void MainWindowTest::Move_KeepsSelectionAndRefusesGaps()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    QTest::mouseClick(dlg.m_aModeButtons[1], Qt::LeftButton);

    struct {
        CRowSet selection;
        QPushButton* button;
        QStringList order;
        CRowSet selectionAfter;
        size_t messages;
    } rows[] = {
        {{2, 3}, dlg.m_pUp, {"a.jpg", "c.jpg", "d.jpg", "b.jpg"}, {1, 2}, 0},
        {{1, 2}, dlg.m_pUp, {"c.jpg", "d.jpg", "a.jpg", "b.jpg"}, {0, 1}, 0},
        {{0, 1}, dlg.m_pUp, {"c.jpg", "d.jpg", "a.jpg", "b.jpg"}, {0, 1}, 0},
        {{0}, dlg.m_pDown, {"d.jpg", "c.jpg", "a.jpg", "b.jpg"}, {1}, 0},
        {{3}, dlg.m_pDown, {"d.jpg", "c.jpg", "a.jpg", "b.jpg"}, {3}, 0},
        {{0, 2}, dlg.m_pDown, {"d.jpg", "c.jpg", "a.jpg", "b.jpg"}, {0, 2}, 1},
    };
    for (const auto& row : rows) {
        prompt.Clear();
        dlg.m_pListView->SetSelectedRows(row.selection);
        QTest::mouseClick(row.button, Qt::LeftButton);
        QCOMPARE(Column(dlg.List(), kColOldName), row.order);
        QCOMPARE(dlg.m_pListView->SelectedRows(), row.selectionAfter);
        QCOMPARE(prompt.Shown().size(), row.messages);
        // The running index follows the new order.
        QCOMPARE(dlg.List().GetText(0, kColNewName), u"1 " + dlg.List().GetText(0, kColOldName));
    }
    QCOMPARE(S(prompt.Shown()[0].m_strTitle), QStringLiteral("文件选择不连续"));
}

void MainWindowTest::Sorts_ReorderRowsAndRefreshNames()
{
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"y/B.txt", "x/a.txt", "Y/c.txt", "x/b.txt"}));
    QTest::mouseClick(dlg.m_aModeButtons[1], Qt::LeftButton);
    const QString x = S(dir.Child(u"x")), y = S(dir.Child(u"y")), Y = S(dir.Child(u"Y"));
    struct {
        QAction* action;
        QStringList names;
        QStringList folders;
    } rows[] = {
        {dlg.m_pActNameUp, {"a.txt", "b.txt", "B.txt", "c.txt"}, {x, x, y, Y}},
        {dlg.m_pActNameDown, {"c.txt", "b.txt", "B.txt", "a.txt"}, {Y, x, y, x}},
        {dlg.m_pActFolderUp, {"c.txt", "a.txt", "b.txt", "B.txt"}, {Y, x, x, y}},
        {dlg.m_pActFolderDown, {"B.txt", "a.txt", "b.txt", "c.txt"}, {y, x, x, Y}},
    };
    for (const auto& row : rows) {
        row.action->trigger();
        QCOMPARE(Column(dlg.List(), kColOldName), row.names);
        QCOMPARE(Column(dlg.List(), kColFolder), row.folders);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(dlg.List().GetText(r, kColNewName), FormatInt(r + 1) + u" " + dlg.List().GetText(r, kColOldName));
    }
    QVERIFY(dlg.m_pActSuperUp->isEnabled() && dlg.m_pActSuperDown->isEnabled());
}

void MainWindowTest::CountPane_FollowsSelection()
{
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a", "b", "c"}));
    struct {
        std::function<void()> act;
        QString text;
    } rows[] = {
        {[&] { dlg.m_pListView->SetSelectedRows({0, 2}); }, "共计：3个   选择：2个"},
        {[&] { dlg.m_pActInvert->trigger(); }, "共计：3个   选择：1个"},
        {[&] { dlg.m_pActSelectAll->trigger(); }, "共计：3个   选择：3个"},
        {[&] { QTest::mouseClick(dlg.m_pListView->viewport(), Qt::LeftButton, Qt::NoModifier,
                                 dlg.m_pListView->visualRect(dlg.m_pModel->index(1, 0)).center()); },
         "共计：3个   选择：1个"},
        {[&] { dlg.m_pActClear->trigger(); }, "共计：0个   选择：0个"},
    };
    for (const auto& row : rows) {
        row.act();
        QCOMPARE(dlg.m_aPanes[1]->text(), row.text);
    }
}

void MainWindowTest::ExecuteRename_RenamesRealFiles()
{
    CScriptedPrompt prompt;
    prompt.Answer(EPromptAnswer::Yes);
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.txt", "b.txt"}));
    // Exchange the two names through the List page.
    QTest::mouseClick(dlg.m_aModeButtons[2], Qt::LeftButton);
    {
        CScopedClipboard clipboard(u"b\na\n");
        QTest::mouseClick(static_cast<CElPage*>(dlg.Page(2))->m_pAdd, Qt::LeftButton);
    }
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"b.txt", "a.txt"}));
    dir.MakeFile(u"a.txt", "first");
    dir.MakeFile(u"b.txt", "second");
    QTest::mouseClick(dlg.m_pExecute, Qt::LeftButton);
    QCOMPARE(dir.ReadFile(u"b.txt"), std::string("first"));
    QCOMPARE(dir.ReadFile(u"a.txt"), std::string("second"));
    QCOMPARE(Column(dlg.List(), kColStatus), (QStringList{"已处理", "已处理"}));
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"b.txt", "a.txt"}));
    QCOMPARE(dlg.m_pModel->index(0, kColStatus).data().toString(), QStringLiteral("已处理"));
    QCOMPARE(S(prompt.Shown().front().m_strTitle), QStringLiteral("确认改名"));
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("成功完成"));
}

void MainWindowTest::ExecuteRename_DeclinedTouchesNothing()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    QTest::mouseClick(dlg.m_pExecute, Qt::LeftButton);
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("列表为空"));
    AddThroughButton(dlg, MakeFiles(dir, {"a.txt"}));
    static_cast<CEaPage*>(dlg.Page(0))->m_pTemplate->setText(QStringLiteral("x<原文件名>"));
    prompt.Answer(EPromptAnswer::No);
    QTest::mouseClick(dlg.m_pExecute, Qt::LeftButton);
    QCOMPARE(dir.List(), std::vector<std::u16string>{u"a.txt"});
    QCOMPARE(Column(dlg.List(), kColStatus), QStringList{"未处理"});
}

void MainWindowTest::Export_WritesCsvOrRefusesEmptyList()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    bool asked = false;
    QString shownFilter;
    const QString target = S(dir.Child(u"list.csv"));
    dlg.m_fnSaveFile = [&](QWidget*, const QString& filter) {
        asked = true;
        shownFilter = filter;
        return target;
    };
    dlg.m_pActExport->trigger();
    QVERIFY(!asked);
    QCOMPARE(S(prompt.Shown().back().m_strText), QStringLiteral("当前文件列表为空，无法导出文件列表！"));

    AddThroughButton(dlg, MakeFiles(dir, {"a.txt", "b,c.txt"}));
    dir.MakeFile(u"list.csv", "old content that is longer than the new one........................");
    dlg.m_pActExport->trigger();
    QVERIFY(asked);
    QCOMPARE(shownFilter, QStringLiteral("文件列表（*.csv） (*.csv)"));
    const std::string folder = ToUtf8(dir.Path());
    QCOMPARE(dir.ReadFile(u"list.csv"), "a.txt," + folder + "\r\nb,c.txt," + folder + "\r\n");
}

void MainWindowTest::ShellCommands_UseRegistryFolders()
{
    CTempDir dir;
    CScopedEnv registry("KQ_REGISTRY_FILE", ToUtf8(WriteRegistryFile(dir.Path(), u"/opt/kq/help", u"/opt/common")));
    std::vector<std::pair<QString, QString>> opened;
    SetShellOpenHook([&](std::u16string_view target, std::u16string_view params) {
        opened.emplace_back(S(std::u16string(target)), S(std::u16string(params)));
        return true;
    });
    CKQToolsDlg dlg;
    struct {
        QAction* action;
        QString target;
        QString params;
    } rows[] = {
        {dlg.m_pActHelp, "\"/opt/kq/help/KQTools.html\"", ""},
        {dlg.m_pActUpdate, "\"/opt/common/TernSoft Share/TERNControlUpdate\"",
         "\"/opt/common/TernSoft Share/TERNRenameUpdate.cfg\""},
        {dlg.m_pActWeb, S(std::u16string(kMakerWebAddress)), ""},
    };
    for (const auto& row : rows) {
        opened.clear();
        row.action->trigger();
        QCOMPARE(opened.size(), size_t(1));
        QCOMPARE(opened[0].first, row.target);
        QCOMPARE(opened[0].second, row.params);
        // The parameter text is exactly one argument.
        QCOMPARE(SplitCommandLine(opened[0].second.toStdU16String()).size(), size_t(row.params.isEmpty() ? 0 : 1));
    }
    SetShellOpenHook(nullptr);
}

void MainWindowTest::AboutBox_ShowsTitleAndVersion()
{
    CKQToolsDlg dlg;
    dlg.show();
    QString text;
    WhenModal<CAboutDlg>([&](CAboutDlg* about) {
        text = about->findChild<QLabel*>(QStringLiteral("AboutText"))->text();
        about->accept();
    });
    dlg.m_pActAbout->trigger();
    QVERIFY(text.contains(QStringLiteral("远舟文件改名系统")));
    QVERIFY(text.contains(QStringLiteral("2.15")));
    // A double click on the window background opens it too.
    bool opened = false;
    WhenModal<CAboutDlg>([&](CAboutDlg* about) {
        opened = true;
        about->accept();
    });
    QTest::mouseDClick(&dlg, Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    QVERIFY(opened);
}

void MainWindowTest::EscapeAndEnter_CloseLikeCloseBox()
{
    for (int key : {int(Qt::Key_Escape), int(Qt::Key_Return)}) {
        CKQToolsDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        static_cast<CEaPage*>(dlg.Page(0))->m_pTemplate->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
        QVERIFY(!dlg.isVisible());
    }
}

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"
