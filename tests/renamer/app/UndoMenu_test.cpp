// "撤销上次改名" in the "列表" menu: offered only when there is a run to undo,
// asks with the count, undoes and refreshes the list.
#include <QAction>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include "GuiTestSupport.h"
#include "KQToolsDlg.h"
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
#include "UndoMenu_test.moc"
