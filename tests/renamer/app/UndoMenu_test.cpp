// "撤销上次改名" in the "列表" menu: offered only when there is a run to undo,
// asks with the count, undoes and refreshes the list.
#include <QAction>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include "GuiTestSupport.h"
#include "HistoryDlg.h"
#include "KQToolsDlg.h"
#include "ProgressRun.h"
#include "renamer/safety/RenameUndo.h"
#include "platform/Crt.h"
#include "platform/FileSystem.h"
#include "platform/Text.h"
#include "renamer/app/pages/ElPage.h"
#include "renamer/safety/RenameHistory.h"
#include "support/TestSupport.h"

using namespace kq;
using namespace kq::test;

namespace {

QString S(const std::u16string& text) { return QString::fromStdU16String(text); }

}  // namespace

class UndoMenuTest : public QObject {
    Q_OBJECT
private slots:
    void UndoMenu_AsksWithCountUndoesAndRefreshes();
    void LongRename_ShowsProgressAndCancelsBetweenChains();
    void History_ListsRunsNewestFirstAndUndoesOneAtATime();
};

void UndoMenuTest::UndoMenu_AsksWithCountUndoesAndRefreshes()
{
    CTempDir config;
    CScopedEnv home("KQ_CONFIG_HOME", config.NativePath());
    CScriptedPrompt prompt;
    CTempDir dir;
    dir.MakeFile(u"a.txt", "first");
    dir.MakeFile(u"b.txt", "second");
    CKQToolsDlg dlg;
    dlg.show();
    auto* undo = Find<QAction>(dlg, "UndoLastRename");
    QVERIFY(!undo->isEnabled());

    // Exchange the two names through the List page.
    dlg.m_fnOpenFiles = [&](QWidget*, const QString&, const QStringList&) {
        return QStringList{S(dir.Child(u"a.txt")), S(dir.Child(u"b.txt"))};
    };
    QTest::mouseClick(Find<QPushButton>(dlg, "AddButton"), Qt::LeftButton);
    QTest::mouseClick(ModeButton(dlg, 2), Qt::LeftButton);
    {
        CScopedClipboard clipboard(u"b\na\n");
        QTest::mouseClick(static_cast<CElPage*>(dlg.Page(2))->m_pAdd, Qt::LeftButton);
    }
    prompt.Answer(EPromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    QCOMPARE(dir.ReadFile(u"a.txt"), std::string("second"));
    QVERIFY(undo->isEnabled());

    if (qEnvironmentVariableIsSet("KQ_UNDO_MENU_PNG")) {
        // Under a real display: the menu as the user sees it.
        auto* menu = Find<QMenu>(dlg, "ListMenu");
        QTimer::singleShot(300, [&] {
            QGuiApplication::primaryScreen()->grabWindow(0).save(qEnvironmentVariable("KQ_UNDO_MENU_PNG"));
            menu->close();
        });
        QTest::mouseClick(Find<QPushButton>(dlg, "MoreButton"), Qt::LeftButton);
    }

    // Declined: nothing changes.
    prompt.Clear();
    prompt.Answer(EPromptAnswer::No);
    undo->trigger();
    QCOMPARE(prompt.Shown().size(), size_t(1));
    QCOMPARE(S(prompt.Shown()[0].m_strTitle), QStringLiteral("撤销上次改名"));
    QVERIFY(S(prompt.Shown()[0].m_strText).contains(QStringLiteral("共改动2个文件")));
    QCOMPARE(dir.ReadFile(u"a.txt"), std::string("second"));

    prompt.Clear();
    prompt.Answer(EPromptAnswer::Yes);
    undo->trigger();
    QCOMPARE(dir.ReadFile(u"a.txt"), std::string("first"));
    QCOMPARE(dir.ReadFile(u"b.txt"), std::string("second"));
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("撤销完成"));
    QCOMPARE(Column(dlg.List(), kColOldName), (QStringList{"a.txt", "b.txt"}));
    QCOMPARE(Column(dlg.List(), kColStatus), (QStringList{"未处理", "未处理"}));
    QCOMPARE(Column(dlg.List(), kColNewName), (QStringList{"b.txt", "a.txt"}));
    QVERIFY(!undo->isEnabled());

    // A run made elsewhere (another window, the command line) shows when
    // the menu opens.
    CFileNameList other;
    other.AddFile(dir.Child(u"a.txt"));
    other.SetText(0, kColNewName, u"c.txt");
    CRenameOptions options;
    options.m_bConfirmed = true;
    QCOMPARE(other.ExecuteRename(options), int(kRenameDone));
    emit Find<QMenu>(dlg, "ListMenu")->aboutToShow();
    QVERIFY(undo->isEnabled());
}

QTEST_MAIN(UndoMenuTest)
void UndoMenuTest::LongRename_ShowsProgressAndCancelsBetweenChains()
{
    CTempDir config;
    CScopedEnv home("KQ_CONFIG_HOME", config.NativePath());
    CScriptedPrompt prompt;
    CTempDir dir;
    const int count = 400;
    QStringList paths;
    for (int i = 0; i < count; ++i) {
        const std::u16string name = u"f" + FormatInt(i) + u".txt";
        dir.MakeFile(name, "x");
        paths << S(dir.Child(name));
    }
    CKQToolsDlg dlg;
    dlg.show();
    dlg.m_fnOpenFiles = [&](QWidget*, const QString&, const QStringList&) { return paths; };
    QTest::mouseClick(Find<QPushButton>(dlg, "AddButton"), Qt::LeftButton);
    QCOMPARE(dlg.List().GetItemCount(), count);
    QTest::mouseClick(ModeButton(dlg, 2), Qt::LeftButton);
    {
        std::u16string names;
        for (int i = 0; i < count; ++i) names += u"g" + FormatInt(i) + u"\n";
        CScopedClipboard clipboard(names);
        QTest::mouseClick(static_cast<CElPage*>(dlg.Page(2))->m_pAdd, Qt::LeftButton);
    }
    QCOMPARE(dlg.List().GetText(count - 1, kColNewName), u"g" + FormatInt(count - 1) + u".txt");

    // Every move is slowed down, so that the progress window shows; once it
    // has, "取消" is pressed and Escape tried (the window must stay).
    dlg.m_fnAfterMove = [](size_t) { QThread::msleep(5); };
    g_nProgressDelayMs = 100;
    bool cancelled = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* progress = dlg.findChild<QProgressDialog*>(QStringLiteral("ProgressDialog"));
        if (!progress || !progress->isVisible() || cancelled) return;
        QVERIFY(progress->value() > 0);
        cancelled = true;
        QPushButton* button = progress->findChild<QPushButton*>();
        QVERIFY(button && button->text() == QStringLiteral("取消"));
        QTest::mouseClick(button, Qt::LeftButton);
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    poll.start(20);
    prompt.Answer(EPromptAnswer::Yes);
    QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    poll.stop();
    QVERIFY(cancelled);
    QVERIFY(dlg.isVisible());

    int done = 0;
    for (int r = 0; r < count; ++r) {
        const bool renamed = dlg.List().GetText(r, kColStatus) == u"已处理";
        done += renamed;
        // Every row is under exactly one of its names, as the list says.
        const std::u16string old = u"f" + FormatInt(r) + u".txt";
        QCOMPARE(PathExists(dir.Child(old)), !renamed);
        QCOMPARE(PathExists(dir.Child(dlg.List().GetText(r, kColOldName))), true);
    }
    QVERIFY2(done > 0 && done < count, qPrintable(QStringLiteral("%1 of %2 renamed").arg(done).arg(count)));
    QCOMPARE(S(prompt.Shown().back().m_strTitle), QStringLiteral("改名已取消"));
    QVERIFY(S(prompt.Shown().back().m_strText).contains(QStringLiteral("已改名%1个文件").arg(done)));
    QVERIFY(Find<QPushButton>(dlg, "ExecuteButton")->isEnabled());

    // The history holds what was done, and the undo (not slowed) takes it back.
    dlg.m_fnAfterMove = nullptr;
    g_nProgressDelayMs = 500;
    prompt.Clear();
    prompt.Answer(EPromptAnswer::Yes);
    Find<QAction>(dlg, "UndoLastRename")->trigger();
    QVERIFY(S(prompt.Shown()[0].m_strText).contains(QStringLiteral("共改动%1个文件").arg(done)));
    QCOMPARE(dir.List().size(), size_t(count));
    for (int i = 0; i < count; ++i) QVERIFY(PathExists(dir.Child(u"f" + FormatInt(i) + u".txt")));
}

void UndoMenuTest::History_ListsRunsNewestFirstAndUndoesOneAtATime()
{
    CTempDir config;
    CScopedEnv home("KQ_CONFIG_HOME", config.NativePath());
    CScriptedPrompt prompt;
    CTempDir one, two;
    one.MakeFile(u"a.txt", "a");
    one.MakeFile(u"b.txt", "b");
    two.MakeFile(u"c.txt", "c");
    CKQToolsDlg dlg;
    dlg.show();
    // Two runs: both files of "one", then the file of "two".
    auto rename = [&](const QStringList& paths, const std::u16string& names) {
        QTest::mouseClick(ModeButton(dlg, 0), Qt::LeftButton);
        Find<QAction>(dlg, "ClearList")->trigger();
        dlg.m_fnOpenFiles = [paths](QWidget*, const QString&, const QStringList&) { return paths; };
        QTest::mouseClick(Find<QPushButton>(dlg, "AddButton"), Qt::LeftButton);
        QTest::mouseClick(ModeButton(dlg, 2), Qt::LeftButton);
        CScopedClipboard clipboard(names);
        QTest::mouseClick(static_cast<CElPage*>(dlg.Page(2))->m_pAdd, Qt::LeftButton);
        prompt.Answer(EPromptAnswer::Yes);
        QTest::mouseClick(Find<QPushButton>(dlg, "ExecuteButton"), Qt::LeftButton);
    };
    rename({S(one.Child(u"a.txt")), S(one.Child(u"b.txt"))}, u"x\ny\n");
    rename({S(two.Child(u"c.txt"))}, u"z\n");  // the page's list still starts with "x"
    QCOMPARE(two.List(), std::vector<std::u16string>{u"x.txt"});

    QStringList counts, folders, afterUndo;
    QTimer::singleShot(0, [&] {
        auto* history = dlg.findChild<CHistoryDlg*>();
        QVERIFY(history);
        auto* runs = history->findChild<QTreeWidget*>(QStringLiteral("HistoryRuns"));
        for (int i = 0; i < runs->topLevelItemCount(); ++i) {
            counts << runs->topLevelItem(i)->text(1);
            folders << runs->topLevelItem(i)->text(2);
        }
        prompt.Clear();
        prompt.Answer(EPromptAnswer::Yes);
        history->findChild<QPushButton*>(QStringLiteral("HistoryUndo"))->click();
        for (int i = 0; i < runs->topLevelItemCount(); ++i) afterUndo << runs->topLevelItem(i)->text(1);
        history->reject();
    });
    Find<QAction>(dlg, "RenameHistory")->trigger();
    QCOMPARE(counts, (QStringList{"1", "2"}));
    QCOMPARE(folders, (QStringList{S(two.Path()), S(one.Path())}));
    // The question names the folder, the time and the count of the newest run.
    const QString asked = S(prompt.Shown()[0].m_strText);
    QVERIFY2(asked.contains(S(two.Path())) && asked.contains(QStringLiteral("共改动1个文件")), qPrintable(asked));
    QVERIFY(asked.contains(QRegularExpression(QStringLiteral("\\d{4}-\\d{2}-\\d{2} \\d{2}:\\d{2}"))));
    QCOMPARE(afterUndo, QStringList{"2"});
    QCOMPARE(two.List(), std::vector<std::u16string>{u"c.txt"});
    QCOMPARE(one.List(), (std::vector<std::u16string>{u"x.txt", u"y.txt"}));
}

#include "UndoMenu_test.moc"
