#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "LoopbackServer.h"
#include "ProgressDlg.h"
#include "qtcommon/QtPrompt.h"
#include "UpdateApp.h"
#include "platform/CodePage.h"
#include "platform/Shell.h"
#include "platform/Text.h"
#include "support/TestSupport.h"
#include "updater/core/UpdateDescriptor.h"

using namespace kq;

namespace {

struct CBox {
    QString title, text;
    QMessageBox::Icon icon;
};

// Answers every message box that opens: records it, then presses the
// button whose text is `press` (or the only one).
class CBoxAnswerer : public QObject {
public:
    explicit CBoxAnswerer(QString press) : m_press(std::move(press))
    {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box == m_pLast) return;
            m_pLast = box;
            m_aBoxes.push_back({box->windowTitle(), box->text(), box->icon()});
            QAbstractButton* target = box->buttons().size() == 1 ? box->buttons().first() : nullptr;
            for (QAbstractButton* b : box->buttons())
                if (b->text() == m_press) target = b;
            if (target) target->click();
        });
        m_timer.start(20);
    }
    std::vector<CBox> m_aBoxes;

private:
    QString m_press;
    QTimer m_timer;
    QPointer<QMessageBox> m_pLast;
};

}  // namespace

class UpdaterAppTest : public QObject {
    Q_OBJECT
private slots:
    void ProgressDlg_TextsRangeOwnerAndCancel()
    {
        QWidget owner;
        owner.show();
        CProgressDlg dlg(&owner);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("正在下载升级程序"));
        QCOMPARE(dlg.PercentLabel()->text(), QStringLiteral(" 0 %"));
        QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("取消"));
        QVERIFY(!dlg.isModal());

        dlg.Open(u"升级 远舟文件改名系统2.16", u"正在下载升级程序......", 0, 11);
        QVERIFY(dlg.isVisible());
        QVERIFY(!owner.isEnabled());
        QCOMPARE(dlg.windowTitle(), QStringLiteral("升级 远舟文件改名系统2.16"));
        QCOMPARE(dlg.StatusLabel()->text(), QStringLiteral("正在下载升级程序......"));
        QCOMPARE(dlg.ProgressBar()->minimum(), 0);
        QCOMPARE(dlg.ProgressBar()->maximum(), 11);
        for (int i = 0; i < 13; ++i) dlg.StepIt();
        QCOMPARE(dlg.GetPos(), 11);
        dlg.SetPercentText(u"100%");
        QCOMPARE(dlg.PercentLabel()->text(), QStringLiteral("100%"));

        // The button only raises the flag; reading it clears it.
        QVERIFY(!dlg.TakeCancelRequest());
        QTest::mouseClick(dlg.CancelButton(), Qt::LeftButton);
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.TakeCancelRequest());
        QVERIFY(!dlg.TakeCancelRequest());
        // The close box asks the same way and leaves the window up.
        dlg.close();
        QVERIFY(dlg.isVisible());
        QVERIFY(dlg.TakeCancelRequest());

        dlg.Close();
        QVERIFY(!dlg.isVisible());
        QVERIFY(owner.isEnabled());

        // An owner that was disabled already stays so.
        owner.setEnabled(false);
        dlg.Open(u"c", u"s", 0, 2);
        dlg.Close();
        QVERIFY(!owner.isEnabled());
    }

    void Program_AsksDownloadsWithTheWindowAndStarts()
    {
        test::CLoopbackServer server;
        QVERIFY(server.Running());
        test::CTempDir dir;
        test::CScopedEnv runtime("XDG_RUNTIME_DIR", dir.NativePath());
        std::string version;
        ToGbk(u"VER1.0\n[2.15]\n[2.16]\nLen:1\nNot:\nCan:\n更快的下载\n###\n", version);
        server.Serve("version.txt", version);
        server.Serve("kqtools_amd64.deb", std::string(50000, 'd'));
        CUpdateDescriptor d{u"远舟文件改名系统", u"2.15", FromUtf8(server.Url("files/version.txt")),
                            FromUtf8(server.Url("files/kqtools_amd64.deb"))};
        dir.MakeFile(u"TERNRenameUpdate.cfg", FormatUpdateDescriptor(d));

        std::vector<std::u16string> started;
        SetShellOpenHook([&](std::u16string_view target, std::u16string_view) {
            started.emplace_back(target);
            return true;
        });
        CQtPrompt prompt;
        SetPromptProvider(&prompt);
        CBoxAnswerer answerer(QStringLiteral("是(&Y)"));
        const int code = CTERNUpdateApp::Run({"TERNControlUpdate", QString::fromStdU16String(dir.Child(u"TERNRenameUpdate.cfg"))});
        SetPromptProvider(nullptr);
        SetShellOpenHook(nullptr);

        QCOMPARE(code, 0);
        QCOMPARE(answerer.m_aBoxes.size(), size_t(1));
        QCOMPARE(answerer.m_aBoxes[0].title, QStringLiteral("远舟在线升级工具"));
        QCOMPARE(answerer.m_aBoxes[0].icon, QMessageBox::Question);
        QCOMPARE(answerer.m_aBoxes[0].text,
                 QStringLiteral("远舟文件改名系统的最新版本是2.16，您计算机上安装的版本是2.15，是否需要从网络更新？\n\n"
                                "新版本升级内容：\n\n【1】.更快的下载"));
        const std::u16string setup =
            dir.Child(u"kqtools-" + FromAscii(std::to_string(geteuid())) + u"/Setup.deb");
        QCOMPARE(started.size(), size_t(1));
        QCOMPARE(QString::fromStdU16String(started[0]), QString::fromStdU16String(u"\"" + setup + u"\""));
    }

    void Program_StartedDirectlyShowsTheInformationBox()
    {
        CQtPrompt prompt;
        SetPromptProvider(&prompt);
        CBoxAnswerer answerer(QStringLiteral("确定"));
        QCOMPARE(CTERNUpdateApp::Run({"TERNControlUpdate"}), 1);
        SetPromptProvider(nullptr);
        QCOMPARE(answerer.m_aBoxes.size(), size_t(1));
        QCOMPARE(answerer.m_aBoxes[0].icon, QMessageBox::Information);
        QCOMPARE(answerer.m_aBoxes[0].title, QStringLiteral("远舟在线升级工具"));
        QCOMPARE(answerer.m_aBoxes[0].text,
                 QStringLiteral("远舟升级程序不支持直接启动，请通过软件中检测最新版本或配置程序中的在线升级命令启动！"));
    }
};

QTEST_MAIN(UpdaterAppTest)
#include "UpdaterApp_test.moc"
