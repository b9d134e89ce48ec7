// The main window driven as a user would: buttons, menus, keys and drops,
// on real temporary folders, with message boxes answered by a script.
#include <iterator>

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
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
#include "AppSetup.h"
#include "FileListModel.h"
#include "FileListView.h"
#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
#include "qtcommon/QtPrompt.h"
#include "renamer/list/LaunchCommands.h"
#include "platform/Crt.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "renamer/app/pages/EaPage.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/app/pages/EePage.h"
#include "renamer/app/pages/EnPage.h"
#include "support/MediaSamples.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

QString S(const std::u16string& text) { return QString::fromStdU16String(text); }

// Adds files through the "添加" button with the file dialog answered.
void AddThroughButton(CKQToolsDlg& dlg, const QStringList& paths)
{
    dlg.m_fnOpenFiles = [paths](QWidget*, const QString&, const QStringList&) { return paths; };
    QTest::mouseClick(Find<QPushButton>(dlg, "AddButton"), Qt::LeftButton);
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
    QWidget* target = Find<CFileListView>(dlg, "FileList")->viewport();
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
    void AddFolder_ListsInNameOrderAfterTheQuestion();
    void DeleteKeyAndButton_RemoveSelectedRowsAndRefresh();
    void Move_KeepsSelectionAndRefusesGaps();
    void Sorts_ReorderRowsAndRefreshNames();
    void HandEdits_SurviveNameCyclesUntilCleared();
    void CountPane_FollowsSelection();
    void ExecuteRename_RenamesRealFiles();
    void ExecuteRename_DeclinedTouchesNothing();
    void Export_WritesCsvOrRefusesEmptyList();
    void ShellCommands_UseRegistryFolders();
    void AboutBox_ShowsTitleAndVersion();
    void EscapeCloses_EnterNeverDoes();
    void Drop_ReportsCopyNeverMove_data();
    void Drop_ReportsCopyNeverMove();
    void Titles_ReadExactlyAsWritten();
    void Layout_ButtonsAndPanesStandApartAndPagesStayPut();
    void FormulaPage_NamesFilesFromWhatIsInsideThem();
};

void MainWindowTest::StartUp_ShowsDefaults()
{
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("远舟文件改名系统"));
    QCOMPARE(VisiblePages(dlg), QStringList{QStringLiteral("CEaPage")});
    QVERIFY(ModeButton(dlg, 0)->isChecked());
    QVERIFY(Find<QCheckBox>(dlg, "KeepExtension")->isChecked());
    QVERIFY(!Find<QCheckBox>(dlg, "FilterEnabled")->isChecked());
    QCOMPARE(Find<QLineEdit>(dlg, "Filter")->text(), QStringLiteral("*.*"));
    QVERIFY(!Find<QLineEdit>(dlg, "Filter")->isEnabled());
    QCOMPARE(Find<QLabel>(dlg, "Pane0")->text(), QStringLiteral("可以从资源管理器拖动文件到列表"));
    QCOMPARE(Find<QLabel>(dlg, "Pane1")->text(), QStringLiteral("共计：0个   选择：0个"));
    QCOMPARE(Find<QLabel>(dlg, "Pane2")->text(), QStringLiteral("2.15"));
    const QStringList headers = {"原文件名", "新文件名", "状态", "目录"};
    for (int c = 0; c < 4; ++c)
        QCOMPARE(Find<CFileListModel>(dlg, "FileListModel")->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(),
                 headers[c]);
    QVERIFY(Find<CFileListView>(dlg, "FileList")->showGrid());
    QCOMPARE(Find<CFileListView>(dlg, "FileList")->selectionBehavior(), QAbstractItemView::SelectRows);
    // Never smaller than at start-up; growing grows the list only.
    QCOMPARE(dlg.minimumSize(), dlg.size());
    const QSize pageBefore = Find<QStackedWidget>(dlg, "PageArea")->size();
    const QSize listBefore = Find<CFileListView>(dlg, "FileList")->size();
    dlg.resize(dlg.width() + 200, dlg.height() + 100);
    QTRY_COMPARE(Find<CFileListView>(dlg, "FileList")->width(), listBefore.width() + 200);
    QCOMPARE(Find<CFileListView>(dlg, "FileList")->height(), listBefore.height() + 100);
    QCOMPARE(Find<QStackedWidget>(dlg, "PageArea")->size(), pageBefore);
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
        QTest::mouseClick(ModeButton(dlg, row.mode), Qt::LeftButton);
        QCOMPARE(dlg.m_nMode, row.mode);
        QCOMPARE(VisiblePages(dlg), QStringList{QString::fromUtf8(row.page)});
        QCOMPARE(Column(dlg.List(), kColNewName), row.names);
        // The view shows what the list holds.
        QCOMPARE(Find<CFileListModel>(dlg, "FileListModel")->index(1, kColNewName).data().toString(), row.names[1]);
    }
}

void MainWindowTest::KeepExtension_ClearedRefillsWithoutExtension()
{
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.jpg", "README"}));
    QTest::mouseClick(ModeButton(dlg, 3), Qt::LeftButton);
    static_cast<CEePage*>(dlg.Page(3))->m_pMacro->setPlainText(QStringLiteral("{F}"));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"a.jpg", "README."}));
    QTest::mouseClick(Find<QCheckBox>(dlg, "KeepExtension"), Qt::LeftButton);
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
        if (row.enabled) QTest::mouseClick(Find<QCheckBox>(dlg, "FilterEnabled"), Qt::LeftButton);
        QCOMPARE(Find<QLineEdit>(dlg, "Filter")->isEnabled(), row.enabled);
        Find<QLineEdit>(dlg, "Filter")->setText(row.text);
        QString title;
        QStringList filters;
        dlg.m_fnOpenFiles = [&](QWidget*, const QString& t, const QStringList& f) {
            title = t;
            filters = f;
            return QStringList{};
        };
        QTest::mouseClick(Find<QPushButton>(dlg, "AddButton"), Qt::LeftButton);
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
    QCOMPARE(Find<CFileListModel>(dlg, "FileListModel")->rowCount(), 3);
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

void MainWindowTest::AddFolder_ListsInNameOrderAfterTheQuestion()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    // Made in reverse: the list must not show the file system's own order.
    for (const char16_t* name : {u"IMG_0010", u"sub/IMG_0003", u"IMG_0002", u"img_0001"}) dir.MakeFile(name);
    CKQToolsDlg dlg;
    dlg.show();
    QString asked;
    dlg.m_fnChooseFolder = [&](QWidget*, const QString& title) {
        asked = title;
        return S(dir.Path());
    };
    prompt.Answer(EPromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(dlg, "AddFolderButton"), Qt::LeftButton);
    QCOMPARE(asked, QStringLiteral("添加文件夹"));
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(S(prompt.Shown()[0].m_strTitle), QStringLiteral("是否需要包含子文件夹"));
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"img_0001", "IMG_0002", "IMG_0010", "IMG_0003"}));
    // Chosen nothing: nothing asked, nothing added.
    dlg.m_fnChooseFolder = [](QWidget*, const QString&) { return QString(); };
    QTest::mouseClick(Find<QPushButton>(dlg, "AddFolderButton"), Qt::LeftButton);
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(dlg.List().GetItemCount(), 4);
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
    QTest::mouseClick(ModeButton(dlg, 1), Qt::LeftButton);
    Find<CFileListView>(dlg, "FileList")->SetSelectedRows({1});
    Find<CFileListView>(dlg, "FileList")->setFocus();
    QTest::keyClick(Find<CFileListView>(dlg, "FileList"), Qt::Key_Delete);
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"a.jpg", "c.jpg", "d.jpg"}));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"1 a.jpg", "2 c.jpg", "3 d.jpg"}));
    Find<CFileListView>(dlg, "FileList")->SetSelectedRows({0, 2});
    QTest::mouseClick(Find<QPushButton>(dlg, "DeleteButton"), Qt::LeftButton);
    QCOMPARE(Column(dlg.List(), kColNewName), QStringList{"1 c.jpg"});
    QCOMPARE(Find<CFileListModel>(dlg, "FileListModel")->rowCount(), 1);
}

void MainWindowTest::Move_KeepsSelectionAndRefusesGaps()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, MakeFiles(dir, {"a.jpg", "b.jpg", "c.jpg", "d.jpg"}));
    QTest::mouseClick(ModeButton(dlg, 1), Qt::LeftButton);

    struct {
        CRowSet selection;
        QPushButton* button;
        QStringList order;
        CRowSet selectionAfter;
        size_t messages;
    } rows[] = {
        {{2, 3}, Find<QPushButton>(dlg, "UpButton"), {"a.jpg", "c.jpg", "d.jpg", "b.jpg"}, {1, 2}, 0},
        {{1, 2}, Find<QPushButton>(dlg, "UpButton"), {"c.jpg", "d.jpg", "a.jpg", "b.jpg"}, {0, 1}, 0},
        {{0, 1}, Find<QPushButton>(dlg, "UpButton"), {"c.jpg", "d.jpg", "a.jpg", "b.jpg"}, {0, 1}, 0},
        {{0}, Find<QPushButton>(dlg, "DownButton"), {"d.jpg", "c.jpg", "a.jpg", "b.jpg"}, {1}, 0},
        {{3}, Find<QPushButton>(dlg, "DownButton"), {"d.jpg", "c.jpg", "a.jpg", "b.jpg"}, {3}, 0},
        {{0, 2}, Find<QPushButton>(dlg, "DownButton"), {"d.jpg", "c.jpg", "a.jpg", "b.jpg"}, {0, 2}, 1},
    };
    for (const auto& row : rows) {
        prompt.Clear();
        Find<CFileListView>(dlg, "FileList")->SetSelectedRows(row.selection);
        QTest::mouseClick(row.button, Qt::LeftButton);
        QCOMPARE(Column(dlg.List(), kColOldName), row.order);
        QCOMPARE(Find<CFileListView>(dlg, "FileList")->SelectedRows(), row.selectionAfter);
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
    QTest::mouseClick(ModeButton(dlg, 1), Qt::LeftButton);
    const QString x = S(dir.Child(u"x")), y = S(dir.Child(u"y")), Y = S(dir.Child(u"Y"));
    struct {
        QAction* action;
        QStringList names;
        QStringList folders;
    } rows[] = {
        {Find<QAction>(dlg, "SortNameUp"), {"a.txt", "b.txt", "B.txt", "c.txt"}, {x, x, y, Y}},
        {Find<QAction>(dlg, "SortNameDown"), {"c.txt", "b.txt", "B.txt", "a.txt"}, {Y, x, y, x}},
        {Find<QAction>(dlg, "SortFolderUp"), {"c.txt", "a.txt", "b.txt", "B.txt"}, {Y, x, x, y}},
        {Find<QAction>(dlg, "SortFolderDown"), {"B.txt", "a.txt", "b.txt", "c.txt"}, {y, x, x, Y}},
        {Find<QAction>(dlg, "SortNaturalUp"), {"a.txt", "b.txt", "B.txt", "c.txt"}, {x, x, y, Y}},
        {Find<QAction>(dlg, "SortNaturalDown"), {"c.txt", "b.txt", "B.txt", "a.txt"}, {Y, x, y, x}},
    };
    for (const auto& row : rows) {
        row.action->trigger();
        QCOMPARE(Column(dlg.List(), kColOldName), row.names);
        QCOMPARE(Column(dlg.List(), kColFolder), row.folders);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(dlg.List().GetText(r, kColNewName), FormatInt(r + 1) + u" " + dlg.List().GetText(r, kColOldName));
    }
    QVERIFY(Find<QAction>(dlg, "SuperSortUp")->isEnabled() && Find<QAction>(dlg, "SuperSortDown")->isEnabled());
}

void MainWindowTest::HandEdits_SurviveNameCyclesUntilCleared()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    AddThroughButton(dlg, MakeFiles(dir, {"a.txt", "b.txt", "c.txt"}));
    auto* view = Find<CFileListView>(dlg, "FileList");
    auto* templ = static_cast<CEaPage*>(dlg.Page(0))->m_pTemplate;
    auto editCell = [&](int row, int column, bool byKey, const QString& name) {
        const QModelIndex cell = view->model()->index(row, column);
        view->setCurrentIndex(cell);
        if (byKey) {
            QTest::keyClick(view, Qt::Key_F2);
        } else {
            const QPoint at = view->visualRect(cell).center();
            QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseDClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        }
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->setText(name);
        QTest::keyClick(editor, Qt::Key_Return);  // ends the edit, never the program
        QTRY_COMPARE(S(dlg.List().GetText(row, kColNewName)), name);
    };
    editCell(1, kColNewName, false, QStringLiteral("手写.txt"));
    editCell(2, kColOldName, true, QStringLiteral("second.txt"));  // F2 from another column
    QVERIFY(dlg.isVisible());
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"a.txt", "手写.txt", "second.txt"}));
    QVERIFY(!dlg.List().IsEdited(0) && dlg.List().IsEdited(1) && dlg.List().IsEdited(2));
    QCOMPARE(view->model()->index(1, kColNewName).data(Qt::FontRole).value<QFont>().italic(), true);

    // A name cycle, a sort and a move leave the edited names with their rows.
    templ->setText(QStringLiteral("x<原文件名>"));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"xa.txt", "手写.txt", "second.txt"}));
    Find<QAction>(dlg, "SortNameDown")->trigger();
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"c.txt", "b.txt", "a.txt"}));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"second.txt", "手写.txt", "xa.txt"}));

    // Renamed as edited.
    prompt.Answer(EPromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    QCOMPARE(dir.List(), (std::vector<std::u16string>{u"second.txt", u"xa.txt", u"手写.txt"}));

    // "清除手工修改" gives the rows the page's names again; so does a change of mode.
    Find<QAction>(dlg, "ClearEdits")->trigger();
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"xsecond.txt", "x手写.txt", "xxa.txt"}));
    editCell(0, kColNewName, true, QStringLiteral("again.txt"));
    QTest::mouseClick(ModeButton(dlg, 3), Qt::LeftButton);
    QTest::mouseClick(ModeButton(dlg, 0), Qt::LeftButton);
    QVERIFY(!dlg.List().IsEdited(0));
    QCOMPARE(Column(dlg.List(), kColNewName).first(), QStringLiteral("xsecond.txt"));
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
        {[&] {
             Find<CFileListView>(dlg, "FileList")->SetSelectedRows({0, 2});
         },
         "共计：3个   选择：2个"},
        {[&] { Find<QAction>(dlg, "InvertSelection")->trigger(); }, "共计：3个   选择：1个"},
        {[&] { Find<QAction>(dlg, "SelectAll")->trigger(); }, "共计：3个   选择：3个"},
        {[&] {
             QTest::mouseClick(Find<CFileListView>(dlg, "FileList")->viewport(), Qt::LeftButton, Qt::NoModifier,
                               Find<CFileListView>(dlg, "FileList")
                                   ->visualRect(Find<CFileListModel>(dlg, "FileListModel")->index(1, 0))
                                   .center());
         },
         "共计：3个   选择：1个"},
        {[&] { Find<QAction>(dlg, "ClearList")->trigger(); }, "共计：0个   选择：0个"},
    };
    for (const auto& row : rows) {
        row.act();
        QCOMPARE(Find<QLabel>(dlg, "Pane1")->text(), row.text);
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
    QTest::mouseClick(ModeButton(dlg, 2), Qt::LeftButton);
    {
        CScopedClipboard clipboard(u"b\na\n");
        QTest::mouseClick(static_cast<CElPage*>(dlg.Page(2))->m_pAdd, Qt::LeftButton);
    }
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"b.txt", "a.txt"}));
    dir.MakeFile(u"a.txt", "first");
    dir.MakeFile(u"b.txt", "second");
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    QCOMPARE(dir.ReadFile(u"b.txt"), std::string("first"));
    QCOMPARE(dir.ReadFile(u"a.txt"), std::string("second"));
    QCOMPARE(Column(dlg.List(), kColStatus), (QStringList{"已处理", "已处理"}));
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"b.txt", "a.txt"}));
    QCOMPARE(Find<CFileListModel>(dlg, "FileListModel")->index(0, kColStatus).data().toString(),
             QStringLiteral("已处理"));
    QCOMPARE(S(prompt.Shown().front().m_strTitle), QStringLiteral("确认改名"));
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("成功完成"));
}

void MainWindowTest::ExecuteRename_DeclinedTouchesNothing()
{
    CScriptedPrompt prompt;
    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("列表为空"));
    AddThroughButton(dlg, MakeFiles(dir, {"a.txt"}));
    static_cast<CEaPage*>(dlg.Page(0))->m_pTemplate->setText(QStringLiteral("x<原文件名>"));
    prompt.Answer(EPromptAnswer::No);
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
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
    Find<QAction>(dlg, "ExportList")->trigger();
    QVERIFY(!asked);
    QCOMPARE(S(prompt.Shown().back().m_strText), QStringLiteral("当前文件列表为空，无法导出文件列表！"));

    AddThroughButton(dlg, MakeFiles(dir, {"a.txt", "b,c.txt"}));
    dir.MakeFile(u"list.csv", "old content that is longer than the new one........................");
    Find<QAction>(dlg, "ExportList")->trigger();
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
        {Find<QAction>(dlg, "HelpTopics"), "\"/opt/kq/help/KQTools.html\"", ""},
        {Find<QAction>(dlg, "OnlineUpdate"), "\"/opt/common/TernSoft Share/TERNControlUpdate\"",
         "\"/opt/common/TernSoft Share/TERNRenameUpdate.cfg\""},
        {Find<QAction>(dlg, "WebPage"), S(std::u16string(kMakerWebAddress)), ""},
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
    Find<QAction>(dlg, "About")->trigger();
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

void MainWindowTest::EscapeCloses_EnterNeverDoes()
{
    CTempDir dir;
    const QStringList files = MakeFiles(dir, {"a.txt"});
    struct {
        const char* focus;
        int key;
        bool closes;
    } cases[] = {
        {"template", Qt::Key_Escape, true}, {"template", Qt::Key_Return, false}, {"template", Qt::Key_Enter, false},
        {"filter", Qt::Key_Return, false},  {"list", Qt::Key_Return, false},     {"list", Qt::Key_Escape, true},
    };
    for (const auto& c : cases) {
        CKQToolsDlg dlg;
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        AddThroughButton(dlg, files);
        QWidget* focus = QByteArray(c.focus) == "template" ? static_cast<CEaPage*>(dlg.Page(0))->m_pTemplate
                         : QByteArray(c.focus) == "filter" ? static_cast<QWidget*>(Find<QLineEdit>(dlg, "Filter"))
                                                           : Find<CFileListView>(dlg, "FileList");
        focus->setEnabled(true);
        focus->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(c.key));
        QCOMPARE(!dlg.isVisible(), c.closes);
        QCOMPARE(dlg.List().GetItemCount(), 1);
    }
}

// What a drag source learns from the list: a copy (or a link), never a
// move, after which a file manager may delete its files.
void MainWindowTest::Drop_ReportsCopyNeverMove_data()
{
    QTest::addColumn<int>("possible");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("expected");
    QTest::addColumn<int>("rows");
    const int copyMove = int(Qt::CopyAction | Qt::MoveAction);
    QTest::newRow("copy or move, move proposed") << copyMove << int(Qt::ShiftModifier) << int(Qt::CopyAction) << 1;
    QTest::newRow("copy or move, copy proposed") << copyMove << int(Qt::NoModifier) << int(Qt::CopyAction) << 1;
    QTest::newRow("link or move") << int(Qt::LinkAction | Qt::MoveAction) << int(Qt::ShiftModifier)
                                  << int(Qt::LinkAction) << 1;
    QTest::newRow("move only") << int(Qt::MoveAction) << int(Qt::NoModifier) << int(Qt::IgnoreAction) << 0;
}

void MainWindowTest::Drop_ReportsCopyNeverMove()
{
    QFETCH(int, possible);
    QFETCH(int, modifiers);
    QFETCH(int, expected);
    QFETCH(int, rows);
    CScriptedPrompt prompt;
    CTempDir dir;
    const QStringList paths = MakeFiles(dir, {QStringLiteral("a.txt")});
    CKQToolsDlg dlg;
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(paths[0])});
    QWidget* target = Find<CFileListView>(dlg, "FileList")->viewport();
    const QPoint at = target->rect().center();
    const auto actions = Qt::DropActions(possible);
    const auto keys = Qt::KeyboardModifiers(modifiers);
    QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), actions, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(target, &drop);
    const bool accepted = expected != int(Qt::IgnoreAction);
    QCOMPARE(enter.isAccepted(), accepted);
    QCOMPARE(move.isAccepted(), accepted);
    QCOMPARE(drop.isAccepted(), accepted);
    if (accepted) {
        QCOMPARE(int(enter.dropAction()), expected);
        QCOMPARE(int(move.dropAction()), expected);
        QCOMPARE(int(drop.dropAction()), expected);
    }
    QCOMPARE(dlg.List().GetItemCount(), rows);
    QVERIFY(QFileInfo::exists(paths[0]));
}

void MainWindowTest::Titles_ReadExactlyAsWritten()
{
    ConfigureApplication();
    // A display name would be appended to every window title on Linux
    // ("确认改名 — ..."): the program sets none.
    QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());

    CTempDir dir;
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    QCOMPARE(dlg.windowTitle(), QStringLiteral("远舟文件改名系统"));
    QString addTitle;
    dlg.m_fnOpenFiles = [&](QWidget*, const QString& title, const QStringList&) {
        addTitle = title;
        return MakeFiles(dir, {QStringLiteral("a.txt"), QStringLiteral("b.txt"), QStringLiteral("c.txt")});
    };

    // The real message boxes, closed by their escape button ("否" / "确定").
    CQtPrompt prompt;
    SetPromptProvider(&prompt);
    QStringList titles;
    const auto close = [&titles](QMessageBox* box) {
        titles << box->windowTitle();
        box->escapeButton()->click();
    };
    WhenModal<QMessageBox>(close);
    Find<QAction>(dlg, "ExportList")->trigger();  // the list is empty
    Find<QPushButton>(dlg, "AddButton")->click();
    Find<CFileListView>(dlg, "FileList")->SetSelectedRows({0, 2});
    WhenModal<QMessageBox>(close);
    Find<QPushButton>(dlg, "UpButton")->click();
    WhenModal<QMessageBox>(close);
    Find<QPushButton>(dlg, "ExecuteButton")->click();
    SetPromptProvider(nullptr);

    QCOMPARE(addTitle, QStringLiteral("添加被改名文件"));
    QCOMPARE(titles,
             (QStringList{QStringLiteral("列表为空"), QStringLiteral("文件选择不连续"), QStringLiteral("确认改名")}));
    QVERIFY(QFileInfo::exists(S(dir.Child(u"a.txt"))));  // the rename was declined
}

void MainWindowTest::Layout_ButtonsAndPanesStandApartAndPagesStayPut()
{
    CKQToolsDlg dlg;
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    // The command buttons left to right, each with room before the next.
    const char* buttons[] = {"AddButton",  "AddFolderButton", "DeleteButton", "UpButton",
                             "DownButton", "SortButton",      "MoreButton",   "ExecuteButton"};
    for (size_t i = 0; i + 1 < std::size(buttons); ++i) {
        const QRect left = Find<QPushButton>(dlg, buttons[i])->geometry();
        const QRect right = Find<QPushButton>(dlg, buttons[i + 1])->geometry();
        QVERIFY2(right.left() - left.right() > 4, buttons[i]);
    }
    // Each status bar pane in its own sunken frame, apart from the next.
    for (int i = 0; i < 4; ++i) {
        auto* pane = Find<QLabel>(dlg, qPrintable(QStringLiteral("Pane%1").arg(i)));
        QCOMPARE(pane->frameShadow(), QFrame::Sunken);
        QVERIFY(pane->frameWidth() > 0);
        if (i < 3) {
            auto* next = Find<QLabel>(dlg, qPrintable(QStringLiteral("Pane%1").arg(i + 1)));
            QVERIFY(next->geometry().left() > pane->geometry().right());
        }
    }
    // The page area and its group box keep their place and size in every mode.
    auto* area = Find<QStackedWidget>(dlg, "PageArea");
    QWidget* box = area->parentWidget();
    const QRect first(area->mapTo(&dlg, QPoint(0, 0)), area->size());
    const QRect firstBox = box->geometry();
    for (int mode : {2, 0, 1, 3, 4, 2}) {
        ModeButton(dlg, mode)->click();
        QTest::qWait(50);
        QCOMPARE(QRect(area->mapTo(&dlg, QPoint(0, 0)), area->size()), first);
        QCOMPARE(box->geometry(), firstBox);
        QCOMPARE(dlg.Page(mode)->mapTo(&dlg, QPoint(0, 0)), first.topLeft());
    }
}

void MainWindowTest::FormulaPage_NamesFilesFromWhatIsInsideThem()
{
    if (!HaveImageLibrary() || !HaveAudioLibrary()) QSKIP("built without the metadata libraries");
    CScriptedPrompt prompt;
    CScopedEnv tz("TZ", "UTC0");
    CTempDir dir;
    dir.MakeFile(u"DSC_0001.jpg", MakeJpeg(4000, 3000));
    QVERIFY(WriteImageTags(ToUtf8(dir.Child(u"DSC_0001.jpg")),
                           {{"Exif.Photo.DateTimeOriginal", "2024:02:29 23:59:58"}, {"Exif.Image.Orientation", "6"}}));
    dir.MakeFile(u"track01.mp3", MakeMp3(2.5));
    QVERIFY(WriteAudioTags(ToUtf8(dir.Child(u"track01.mp3")), {{"ARTIST", "Alice"}, {"TITLE", "Song"}}));
    CKQToolsDlg dlg;
    dlg.show();
    AddThroughButton(dlg, {S(dir.Child(u"DSC_0001.jpg")), S(dir.Child(u"track01.mp3"))});
    QTest::mouseClick(ModeButton(dlg, 4), Qt::LeftButton);
    QPlainTextEdit* formula = static_cast<CEfPage*>(dlg.Page(4))->m_pFormula;

    const struct {
        const char* m_szFormula;
        QStringList m_aNames;
    } rows[] = {
        {"if(exifdate()>0,timeformat(exifdate(),\"%Y%m%d_%H%M%S\"),ftitle())", {"20240229_235958.jpg", "track01.mp3"}},
        {"mediatag(\"artist\")&\" - \"&mediatag(\"title\")&\" \"&mediaduration()", {" -  0.jpg", "Alice - Song 2.mp3"}},
        {"imagewidth()&\"x\"&imageheight()", {"3000x4000.jpg", "0x0.mp3"}},
    };
    for (const auto& row : rows) {
        // Typed a key at a time, as a user does: every state in between is
        // evaluated too and must leave the list usable.
        formula->clear();
        formula->setFocus();
        QTest::keyClicks(formula, QString::fromUtf8(row.m_szFormula));
        QCOMPARE(Column(dlg.List(), kColNewName), row.m_aNames);
    }
    QVERIFY(prompt.Shown().empty());
}

QTEST_MAIN(MainWindowTest)
#include "MainWindow_test.moc"

