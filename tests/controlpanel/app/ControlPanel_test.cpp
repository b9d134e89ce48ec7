#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QLocalServer>
#include <QRegularExpression>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "qtcommon/WhenModal.h"
#include "InfoSheets.h"
#include "PanelIcons.h"
#include "SingleInstance.h"
#include "TERNControlPanelDlg.h"
#include "platform/DynamicLibrary.h"
#include "platform/Maker.h"
#include "platform/Shell.h"
#include "platform/SystemInfo.h"
#include "support/TestSupport.h"

using namespace kq;

namespace {

QStringList Labels(const QListWidget* list)
{
    QStringList labels;
    for (int i = 0; i < list->count(); ++i) labels << list->item(i)->text();
    return labels;
}

QStringList TabTitles(const CUIPropertySheet* sheet)
{
    QStringList titles;
    for (int i = 0; i < sheet->Tabs()->count(); ++i) titles << sheet->Tabs()->tabText(i);
    return titles;
}

QStringList Row(const QTreeWidgetItem* item)
{
    QStringList cells;
    for (int i = 0; i < item->columnCount(); ++i) cells << item->text(i);
    return cells;
}

void ClickAt(QListWidget* list, QPoint pos)
{
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, pos);
}

}  // namespace

class CControlPanelTest : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_runtime;

private slots:
    void initTestCase()
    {
        // A private session folder: the single-instance socket of the tests
        // meets no one else's.
        QVERIFY(m_runtime.isValid());
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime.path()));
        SetUpControlPanelApplication();
    }

    void NoPluginsShowsExactlyTheBuiltInCommands()
    {
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("远舟软件配置中心"));
        QCOMPARE(Labels(dlg.m_pList), (QStringList{"系统信息", "致谢名单", "官方网站"}));
        QVERIFY(dlg.findChild<QGroupBox*>()->title() == QStringLiteral("软件配置："));
        for (int i = 0; i < 3; ++i) QVERIFY(!dlg.m_pList->item(i)->icon().isNull());
    }

    void ClickShowsTheDescriptionAndEmptySpaceClearsIt()
    {
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        ClickAt(dlg.m_pList, dlg.m_pList->visualItemRect(dlg.m_pList->item(1)).center());
        QCOMPARE(dlg.m_pDescription->text(), QString::fromStdU16String(dlg.Commands()[1].m_strDescription));
        QVERIFY(dlg.m_pDescription->text().startsWith(QStringLiteral("显示给远舟工作室提供帮助")));
        const QRect viewport = dlg.m_pList->viewport()->rect();
        ClickAt(dlg.m_pList, viewport.bottomRight() - QPoint(4, 4));
        QVERIFY(dlg.m_pList->selectedItems().isEmpty());
        QCOMPARE(dlg.m_pDescription->text(), QString());
    }

    void PluginCommandRunsWithItsOwnIndexAndTheWindowAsParent()
    {
        test::CTempDir folder;
        QVERIFY(QFile::copy(QStringLiteral(KQ_SAMPLE_PANEL),
                            QString::fromStdU16String(folder.Child(SharedLibraryFileName(u"TERNToolPanel")))));
        CTERNControlPanelDlg dlg(folder.Path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QCOMPARE(Labels(dlg.m_pList), (QStringList{"系统信息", "致谢名单", "官方网站", "样例命令", "样例命令三"}));
        QListWidgetItem* third = dlg.m_pList->item(4);
        const QPoint at = dlg.m_pList->visualItemRect(third).center();
        // The view takes a double-click only on the item its press landed on.
        QTest::mouseClick(dlg.m_pList->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(dlg.m_pList->viewport(), Qt::LeftButton, {}, at);
        void* library = dlg.Commands()[4].m_hContext;
        auto last = reinterpret_cast<int (*)()>(FindLibraryExport(library, "Sample_LastExecuted"));
        auto parent = reinterpret_cast<intptr_t (*)()>(FindLibraryExport(library, "Sample_LastParent"));
        QVERIFY(last && parent);
        QCOMPARE(last(), 2);
        QCOMPARE(parent(), intptr_t(dlg.winId()));
    }

    void WebSiteCommandOpensTheMakersAddress()
    {
        std::u16string opened;
        SetShellOpenHook([&opened](std::u16string_view target, std::u16string_view) {
            opened = target;
            return true;
        });
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        QVERIFY(dlg.RunCommand(2));
        SetShellOpenHook(nullptr);
        QCOMPARE(QString::fromStdU16String(opened), QString::fromStdU16String(kMakerWebAddress));
        QVERIFY(!dlg.RunBuiltIn(3));
        QVERIFY(!dlg.RunCommand(99));
    }

    void BuiltInCommandsOpenTheirSheetsModally()
    {
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        for (int index : {0, 1}) {
            QStringList seen;
            test::WhenModal<CUIPropertySheet>([&seen](CUIPropertySheet* sheet) {
                seen << sheet->windowTitle() << TabTitles(sheet);
                sheet->accept();
            });
            QVERIFY(dlg.RunBuiltIn(index));
            const QStringList expected = index == 0 ? QStringList{"系统信息", "版权", "系统", "软件", "平台", "社区"}
                                                    : QStringList{"致谢名单", "开发", "用户"};
            QCOMPARE(seen, expected);
        }
    }

    // A keyboard user selects a command and presses Enter: it runs, and the
    // centre stays open.
    void EnterOnASelectedCommandRunsIt()
    {
        int opened = 0;
        SetShellOpenHook([&opened](std::u16string_view, std::u16string_view) { return ++opened > 0; });
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.m_pList->setFocus();
        dlg.m_pList->setCurrentRow(kCmdWebSite);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) QTest::keyClick(dlg.m_pList, key);
        SetShellOpenHook(nullptr);
        QCOMPARE(opened, 2);
        QVERIFY(dlg.isVisible());
        QCOMPARE(dlg.result(), 0);
    }

    // No suffix from an application display name, and no window without
    // the program's icons.
    void WindowsAreTitledExactlyAndCarryTheirIcons()
    {
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        std::unique_ptr<CUIPropertySheet> system(CreateSystemInfoSheet(&dlg)), credits(CreateCreditsSheet(&dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("远舟软件配置中心"));
        QCOMPARE(system->windowTitle(), QStringLiteral("系统信息"));
        QCOMPARE(credits->windowTitle(), QStringLiteral("致谢名单"));
        const qint64 program = PanelIcon(kIconPanel).cacheKey();
        QCOMPARE(QApplication::windowIcon().cacheKey(), program);
        QCOMPARE(dlg.windowIcon().cacheKey(), program);
        QCOMPARE(system->windowIcon().cacheKey(), PanelIcon(kIconSystemInfo).cacheKey());
        QCOMPARE(credits->windowIcon().cacheKey(), PanelIcon(kIconCredits).cacheKey());
    }

    // Without a session folder the socket lived in /tmp, where another user
    // could plant one and the centre would hand over to it and quit.
    void PlantedSocketsAreNeverContacted()
    {
        const QByteArray runtime = qgetenv("XDG_RUNTIME_DIR");
        qunsetenv("XDG_RUNTIME_DIR");
        test::CTempDir tmp;
        test::CScopedEnv tmpdir("TMPDIR", tmp.NativePath());
        const QString shared = QString::fromStdString(tmp.NativePath());
        const QString user =
            QString::fromStdU16String(LoggedOnUserName()).replace(QRegularExpression("[^A-Za-z0-9]"), "_");
        // Where the centre listened before, with no session folder.
        QLocalServer oldPlace;
        QVERIFY(oldPlace.listen(shared + "/TERNSOFTCONTROLCENTER-" + user));
        test::CTempDir elsewhere;
        QLocalServer planted;
        QVERIFY(planted.listen(QString::fromStdString(elsewhere.NativePath()) + "/TERNSOFTCONTROLCENTER"));
        const QString privateFolder = shared + "/kqtools-" + QString::number(geteuid());

        struct Row {
            const char* name;
            bool usable;  // the private folder can be had
        } rows[] = {
            {"fresh private folder", true}, {"a link to another folder", false}, {"another user's folder", false}};
        for (const Row& row : rows) {
            QDir(privateFolder).removeRecursively();
            QFile::remove(privateFolder);
            if (QByteArray(row.name) == "a link to another folder") {
                QVERIFY(QFile::link(QString::fromStdString(elsewhere.NativePath()), privateFolder));
            } else if (QByteArray(row.name) == "another user's folder") {
                if (geteuid() != 0) continue;  // only root can give a folder away
                QVERIFY(QDir().mkdir(privateFolder));
                QVERIFY(chown(QFile::encodeName(privateFolder).constData(), 65534, 65534) == 0);
                QVERIFY(chmod(QFile::encodeName(privateFolder).constData(), 0777) == 0);
            }
            test::CTempDir empty;
            CTERNControlPanelDlg dlg(empty.Path());
            CSingleInstance instance;
            QCOMPARE(!instance.ServerName().isEmpty(), row.usable);
            if (row.usable) QCOMPARE(instance.ServerName(), privateFolder + "/TERNSOFTCONTROLCENTER");
            QVERIFY2(instance.ShouldOpenWindow(), row.name);
            QCOMPARE(instance.Listen(&dlg), row.usable);
            QTest::qWait(50);
            QVERIFY(!oldPlace.hasPendingConnections());
            QVERIFY(!planted.hasPendingConnections());
        }
        QDir(privateFolder).removeRecursively();
        QFile::remove(privateFolder);
        qputenv("XDG_RUNTIME_DIR", runtime);
    }

    void SheetsShowTheRowsOfTheRegistry()
    {
        test::CScopedEnv registry("KQ_REGISTRY_FILE", KQ_CP_REGISTRY);
        std::unique_ptr<CUIPropertySheet> sheet(CreateSystemInfoSheet(nullptr));
        sheet->show();
        QVERIFY(QTest::qWaitForWindowExposed(sheet.get()));

        sheet->Tabs()->setCurrentIndex(2);
        auto* software = qobject_cast<CSoftInfoPage*>(sheet->Tabs()->widget(2));
        QVERIFY(software);
        QTreeWidget* tree = software->Tree();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->currentItem(), tree->topLevelItem(0));
        QCOMPARE(tree->topLevelItem(1)->text(0), QStringLiteral("远舟钢筋算量"));
        QCOMPARE(tree->topLevelItem(1)->child(0)->text(0), QStringLiteral("软件版本："));
        for (int i = 0; i < 2; ++i) QVERIFY(tree->topLevelItem(i)->isExpanded());

        sheet->Tabs()->setCurrentIndex(3);
        auto* platform = qobject_cast<CSystemInfoPage*>(sheet->Tabs()->widget(3));
        QVERIFY(platform);
        QTreeWidget* list = platform->List();
        QCOMPARE(list->topLevelItemCount(), 5);
        QCOMPARE(Row(list->topLevelItem(0)).mid(0, 2), (QStringList{"AutoCAD 2010", "64"}));
        QCOMPARE(Row(list->topLevelItem(4)).mid(0, 2), (QStringList{"AutoCAD 2010", "32"}));
        QVERIFY(!list->topLevelItem(0)->icon(0).isNull());
        QCOMPARE(list->headerItem()->text(5), QStringLiteral("键值"));
        QCOMPARE(list->columnWidth(4), 300);

        sheet->Tabs()->setCurrentIndex(1);
        auto* system = qobject_cast<CSystemInfoPage*>(sheet->Tabs()->widget(1));
        QCOMPARE(system->List()->topLevelItemCount(), 8);
        QCOMPARE(system->List()->topLevelItem(2)->text(1), QStringLiteral("64位"));
    }

    void SecondStartActivatesTheRunningWindowAndEnds()
    {
        test::CTempDir empty;
        CTERNControlPanelDlg dlg(empty.Path());
        CSingleInstance instance;
        QVERIFY(instance.TryLock());
        QVERIFY(instance.Listen(&dlg));
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        dlg.showMinimized();
        QTRY_VERIFY(dlg.isMinimized());

        QProcess second;
        second.start(QStringLiteral(KQ_CONTROLPANEL_PATH), {});
        QVERIFY(second.waitForStarted());
        // The event loop must run meanwhile: this process answers the second.
        QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 15000);
        QCOMPARE(second.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.exitCode(), 0);
        QTRY_VERIFY(!dlg.isMinimized());
        QVERIFY(dlg.isVisible());
        QTRY_VERIFY(dlg.isActiveWindow());
    }

    void KilledInstanceDoesNotBlockTheNextStart()
    {
        QProcess first;
        first.start(QStringLiteral(KQ_CONTROLPANEL_PATH), {});
        QVERIFY(first.waitForStarted());
        CSingleInstance probe;
        QTRY_VERIFY_WITH_TIMEOUT(probe.ActivateRunning(), 15000);
        // A second real start while the first runs only hands over.
        QProcess second;
        second.start(QStringLiteral(KQ_CONTROLPANEL_PATH), {});
        QVERIFY(second.waitForFinished(15000));
        QCOMPARE(second.exitCode(), 0);
        QCOMPARE(first.state(), QProcess::Running);

        first.kill();  // leaves its socket and lock behind
        QVERIFY(first.waitForFinished(5000));
        QVERIFY(!probe.ActivateRunning());

        QProcess next;
        next.start(QStringLiteral(KQ_CONTROLPANEL_PATH), {});
        QVERIFY(next.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(probe.ActivateRunning(), 15000);
        QCOMPARE(next.state(), QProcess::Running);
        next.kill();
        next.waitForFinished(5000);
    }
};

QTEST_MAIN(CControlPanelTest)
#include "ControlPanel_test.moc"
