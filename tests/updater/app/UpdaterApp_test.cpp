#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QFileInfo>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <chrono>

#include "LoopbackServer.h"
#include "UpdateSigning.h"
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
    bool programIcon;  // the window carries the updater's icon
};

bool HasProgramIcon(const QWidget* window) { return window->windowIcon().cacheKey() == UpdaterIcon().cacheKey(); }

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
            m_aBoxes.push_back({box->windowTitle(), box->text(), box->icon(), HasProgramIcon(box)});
            m_tShown = std::chrono::steady_clock::now();
            QAbstractButton* target = box->buttons().size() == 1 ? box->buttons().first() : nullptr;
            for (QAbstractButton* b : box->buttons())
                if (b->text() == m_press) target = b;
            if (target) target->click();
        });
        m_timer.start(2);
    }
    std::vector<CBox> m_aBoxes;
    std::chrono::steady_clock::time_point m_tShown{};

private:
    QString m_press;
    QTimer m_timer;
    QPointer<QMessageBox> m_pLast;
};

}  // namespace

// A served version file that offers 2.16 over 2.15, and a descriptor for it.
struct CSite {
    test::CLoopbackServer server;
    test::CTempDir dir;
    test::CScopedEnv runtime{"XDG_RUNTIME_DIR", dir.NativePath()};

    QString Descriptor(const std::string& setupPath)
    {
        std::string version;
        ToGbk(u"VER1.0\n[2.15]\n[2.16]\nLen:1\nNot:\nCan:\n更快的下载\n###\n", version);
        server.Serve("version.txt", version);
        CUpdateDescriptor d{u"远舟文件改名系统", u"2.15", FromUtf8(server.Url("files/version.txt")),
                            FromUtf8(server.Url(setupPath))};
        dir.MakeFile(u"TERNRenameUpdate.cfg", FormatUpdateDescriptor(d));
        return QString::fromStdU16String(dir.Child(u"TERNRenameUpdate.cfg"));
    }
};

class UpdaterAppTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { CTERNUpdateApp::SetUp(); }

    void ProgressDlg_TextsRangeOwnerAndCancel()
    {
        QWidget owner;
        owner.show();
        CProgressDlg dlg(&owner);
        QCOMPARE(dlg.windowTitle(), QStringLiteral("正在下载升级程序"));
        QCOMPARE(dlg.PercentLabel()->text(), QStringLiteral(" 0 %"));
        QCOMPARE(dlg.CancelButton()->text(), QStringLiteral("取消"));
        QVERIFY(!dlg.isModal());
        QVERIFY(HasProgramIcon(&dlg));

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
        CSite site;
        QVERIFY(site.server.Running());
        const test::CTestSigner signer;
        QVERIFY(signer.Ready());
        const std::string package(50000, 'd');
        site.server.Serve("kqtools_amd64.deb", package);
        site.server.Serve("kqtools_amd64.deb.sig", signer.Sign(package));
        const QString descriptor = site.Descriptor("files/kqtools_amd64.deb");

        std::vector<std::u16string> started;
        SetShellOpenHook([&](std::u16string_view target, std::u16string_view) {
            started.emplace_back(target);
            return true;
        });
        CQtPrompt prompt;
        SetPromptProvider(&prompt);
        CBoxAnswerer answerer(QStringLiteral("是(&Y)"));
        const int code = CTERNUpdateApp::Run({"TERNControlUpdate", descriptor}, {signer.PublicKey(), {}});
        SetPromptProvider(nullptr);
        SetShellOpenHook(nullptr);

        QCOMPARE(code, 0);
        QCOMPARE(answerer.m_aBoxes.size(), size_t(1));
        QCOMPARE(answerer.m_aBoxes[0].title, QStringLiteral("远舟在线升级工具"));
        QCOMPARE(answerer.m_aBoxes[0].icon, QMessageBox::Question);
        QVERIFY(answerer.m_aBoxes[0].programIcon);
        QCOMPARE(answerer.m_aBoxes[0].text,
                 QStringLiteral("远舟文件改名系统的最新版本是2.16，您计算机上安装的版本是2.15，是否需要从网络更新？\n\n"
                                "新版本升级内容：\n\n【1】.更快的下载"));
        const std::u16string setup = site.dir.Child(u"kqtools-" + FromAscii(std::to_string(geteuid())) + u"/Setup.deb");
        QCOMPARE(started.size(), size_t(1));
        QCOMPARE(QString::fromStdU16String(started[0]), QString::fromStdU16String(u"\"" + setup + u"\""));
    }

    // The built-in key (none in a test build, or the release key) never
    // verifies a test's package: it is deleted and the user told.
    void Program_RefusesAPackageTheBuiltInKeyDidNotSign()
    {
        CSite site;
        QVERIFY(site.server.Running());
        const test::CTestSigner signer;
        site.server.Serve("setup.deb", std::string(50000, 'd'));
        site.server.Serve("setup.deb.sig", signer.Sign(std::string(50000, 'd')));
        const QString descriptor = site.Descriptor("files/setup.deb");
        bool started = false;
        SetShellOpenHook([&](std::u16string_view, std::u16string_view) { return started = true; });
        CQtPrompt prompt;
        SetPromptProvider(&prompt);
        CBoxAnswerer answerer(QStringLiteral("是(&Y)"));
        QCOMPARE(CTERNUpdateApp::Run({"TERNControlUpdate", descriptor}), 1);
        SetPromptProvider(nullptr);
        SetShellOpenHook(nullptr);
        QVERIFY(!started);
        QCOMPARE(answerer.m_aBoxes.size(), size_t(2));
        QCOMPARE(answerer.m_aBoxes[1].icon, QMessageBox::Information);
        QVERIFY(answerer.m_aBoxes[1].text.startsWith(QStringLiteral("下载的安装程序没有通过数字签名验证")));
        QVERIFY(!QFileInfo::exists(QString::fromStdU16String(
            site.dir.Child(u"kqtools-" + FromAscii(std::to_string(geteuid())) + u"/Setup.deb"))));
    }

    // "在线升级" never ends without a word when the site cannot be reached.
    void Program_TellsWhenTheSiteCannotBeReached()
    {
        test::CTempDir dir;
        test::CScopedEnv runtime("XDG_RUNTIME_DIR", dir.NativePath());
        CUpdateDescriptor d{u"远舟文件改名系统", u"2.15", u"http://127.0.0.1:1/version.txt",
                            u"http://127.0.0.1:1/s.deb"};
        dir.MakeFile(u"d.cfg", FormatUpdateDescriptor(d));
        CQtPrompt prompt;
        SetPromptProvider(&prompt);
        CBoxAnswerer answerer(QStringLiteral("确定"));
        QCOMPARE(CTERNUpdateApp::Run({"TERNControlUpdate", QString::fromStdU16String(dir.Child(u"d.cfg"))}), 1);
        SetPromptProvider(nullptr);
        QCOMPARE(answerer.m_aBoxes.size(), size_t(1));
        QCOMPARE(answerer.m_aBoxes[0].text, QStringLiteral("网络链接错误或网站繁忙导致无法获取版本信息，请稍后重试！"));
        QVERIFY(answerer.m_aBoxes[0].programIcon);
    }

    // "取消", Escape and the close box while the server sends nothing: the
    // question comes at once; No goes on waiting, Yes ends the download.
    void ProgressDlg_CancelAnswersWhileTheServerIsSilent_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("取消") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("close box") << 2;
    }
    void ProgressDlg_CancelAnswersWhileTheServerIsSilent()
    {
        QFETCH(int, how);
        CSite site;
        QVERIFY(site.server.Running());
        const test::CTestSigner signer;
        site.server.Serve("setup.deb", std::string(200000, 'd'));
        const QString descriptor = site.Descriptor("stall/setup.deb?after=30000");
        CQtPrompt prompt;
        SetPromptProvider(&prompt);
        // Yes to the update; No, then Yes, to the cancel question.
        std::vector<QString> answers = {QStringLiteral("是(&Y)"), QStringLiteral("否(&N)"), QStringLiteral("是(&Y)")};
        std::vector<std::chrono::steady_clock::duration> waits;
        std::vector<QString> texts;
        std::chrono::steady_clock::time_point pressed{};
        QPointer<QMessageBox> last;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); box && box != last) {
                last = box;
                if (pressed != std::chrono::steady_clock::time_point{})
                    waits.push_back(std::chrono::steady_clock::now() - pressed);
                pressed = {};
                texts.push_back(box->text());
                // Anything unexpected is closed, so that the test cannot hang.
                QAbstractButton* target = box->buttons().first();
                for (QAbstractButton* b : box->buttons())
                    if (!answers.empty() && b->text() == answers.front()) target = b;
                if (!answers.empty() && target->text() == answers.front()) answers.erase(answers.begin());
                QMetaObject::invokeMethod(target, &QAbstractButton::click, Qt::QueuedConnection);
                return;
            }
            if (QApplication::activeModalWidget() || pressed != std::chrono::steady_clock::time_point{}) return;
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* dlg = qobject_cast<CProgressDlg*>(w);
                // Pressed once the 30,000 bytes are in and the server is silent.
                if (!dlg || !dlg->isVisible() || dlg->GetPos() < 29 || answers.size() > 2 || answers.empty()) continue;
                QVERIFY(HasProgramIcon(dlg));
                pressed = std::chrono::steady_clock::now();
                if (how == 0)
                    QTest::mouseClick(dlg->CancelButton(), Qt::LeftButton);
                else if (how == 1)
                    QTest::keyClick(dlg, Qt::Key_Escape);
                else
                    dlg->close();
            }
        });
        timer.start(1);
        const int code = CTERNUpdateApp::Run({"TERNControlUpdate", descriptor}, {signer.PublicKey(), {}});
        SetPromptProvider(nullptr);
        QCOMPARE(code, 1);
        QVERIFY(answers.empty());
        // The question twice, and no further message: a cancel is no failure.
        QCOMPARE(texts.size(), size_t(3));
        for (size_t i : {size_t(1), size_t(2)})
            QCOMPARE(texts[i], QStringLiteral("网络升级程序已经启动，确实需要取消吗？"));
        QCOMPARE(waits.size(), size_t(2));
        // Generous: a loaded machine; the benchmark gives the real figure.
        for (auto wait : waits) QVERIFY2(wait < std::chrono::milliseconds(1000), "the question came late");
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
