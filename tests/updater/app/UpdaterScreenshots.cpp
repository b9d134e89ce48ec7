// Saves PNGs of the updater's progress window and its question box into
// the folder given (docs/ by default). Run under Xvfb, like the renamer's.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>

#include "ProgressDlg.h"
#include "UpdateApp.h"
#include "qtcommon/QtPrompt.h"
#include "qtcommon/QtSetup.h"

using namespace kq;

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    CTERNUpdateApp::SetUp();  // as the program starts
    SetUpChineseDesktop();
    const QString outDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("docs");
    QDir().mkpath(outDir);
    bool ok = true;

    CProgressDlg progress;
    progress.Open(u"升级 远舟文件改名系统2.16", u"正在下载升级程序......", 0, 100);
    for (int i = 0; i < 45; ++i) progress.StepIt();
    progress.SetPercentText(u"45%");
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
    ok = progress.grab().save(outDir + QStringLiteral("/screenshot-updater-progress.png")) && ok;
    progress.Close();

    // The question, photographed once it shows and then answered No.
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        timer.stop();
        for (int i = 0; i < 20; ++i) QApplication::processEvents();
        ok = box->grab().save(outDir + QStringLiteral("/screenshot-updater-question.png")) && ok;
        box->buttons().last()->click();
    });
    timer.start(50);
    CQtPrompt prompt;
    prompt.AskYesNo(u"远舟文件改名系统的最新版本是2.16，您计算机上安装的版本是2.15，是否需要从网络更新？\n\n新版本升级内容：\n"
                    u"\n【1】.下载改用 HTTPS，并在私有临时目录中保存\n【2】.改名前检查文件夹中的名称冲突",
                    u"远舟在线升级工具");
    std::printf("%s\n", ok ? "updater screenshots saved" : "updater screenshots failed");
    return ok ? 0 : 1;
}
