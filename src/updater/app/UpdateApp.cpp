#include "UpdateApp.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include "GuiThread.h"
#include "ProgressDlg.h"
#include "updater/core/UpdateFlow.h"

namespace kq {

namespace {

// A globe-blue disc with a downward arrow into a tray: "fetch the new version".
QPixmap PaintUpdaterIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x6f, 0xb3));
    p.drawEllipse(QRectF(4, 4, 56, 56));
    p.setBrush(Qt::white);
    QPainterPath arrow;
    arrow.addPolygon(QPolygonF({{27, 12}, {37, 12}, {37, 30}, {46, 30}, {32, 44}, {18, 30}, {27, 30}}));
    arrow.closeSubpath();
    p.drawPath(arrow);
    p.setBrush(QColor(0xf3, 0x9c, 0x12));
    p.drawRoundedRect(QRectF(16, 47, 32, 5), 2, 2);
    return pixmap;
}

}  // namespace

QIcon UpdaterIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 24, 32, 48, 64, 128}) result.addPixmap(PaintUpdaterIcon(size));
        return result;
    }();
    return icon;
}

void CTERNUpdateApp::SetUp()
{
    QApplication::setOrganizationName(QStringLiteral("远舟工作室"));
    QApplication::setApplicationName(QStringLiteral("远舟在线升级工具"));
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(UpdaterIcon());
}

int CTERNUpdateApp::Run(const QStringList& arguments, const CUpdateTrust& trust)
{
    QString descriptor;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        if (!arguments[i].startsWith(QLatin1Char('-'))) {
            descriptor = arguments[i];
            break;
        }
    }
    std::unique_ptr<IDownloader> downloader = CreateSystemDownloader({trust.m_strCaFile});
    CProgressDlg progress;
    CUpdateServices services;
    services.m_pDownloader = downloader.get();
    services.m_pProgress = &progress;
    services.m_strPublicKey = trust.m_strPublicKey;
    CUpdateOutcome outcome;
    bool downloaded = false;

    IPromptProvider& boxes = GetPromptProvider();
    CGuiThreadPrompt prompt(boxes, &progress);
    SetPromptProvider(&prompt);
    RunOffGuiThread([&] { downloaded = RunUpdate(descriptor.toStdU16String(), services, outcome); });
    SetPromptProvider(&boxes);
    return downloaded && outcome.m_bStarted ? 0 : 1;
}

}  // namespace kq
