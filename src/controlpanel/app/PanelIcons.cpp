#include "PanelIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kq {

namespace {

const QColor kBlue(0x2f, 0x6f, 0xb3), kPale(0xcf, 0xe0, 0xf3), kGrey(0x9b, 0xb5, 0xd1), kOrange(0xf3, 0x9c, 0x12),
    kRed(0xc0, 0x39, 0x2b), kGold(0xff, 0xd5, 0x4a);

QPainterPath Polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

void PaintPanel(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);
    p.setPen(QPen(kPale, 4, Qt::SolidLine, Qt::RoundCap));
    for (qreal x : {18.0, 32.0, 46.0}) p.drawLine(QLineF(x, 14, x, 50));
    p.setPen(QPen(kOrange, 3));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(18, 38), 6, 6);
    p.drawEllipse(QPointF(32, 22), 6, 6);
    p.drawEllipse(QPointF(46, 32), 6, 6);
}

void PaintSystemInfo(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(6, 8, 52, 38), 4, 4);
    p.drawRoundedRect(QRectF(18, 52, 28, 4), 2, 2);
    p.setBrush(kPale);
    p.drawRect(QRectF(11, 13, 42, 28));
    p.setBrush(kGrey);
    p.drawRect(QRectF(26, 46, 12, 6));
    p.setBrush(kOrange);
    p.drawEllipse(QPointF(32, 27), 10, 10);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(32, 22), 1.8, 1.8);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QLineF(32, 26, 32, 33));
}

void PaintCredits(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kRed);
    p.drawPath(Polygon({{22, 36}, {14, 58}, {22, 54}, {26, 61}, {32, 40}}));
    p.drawPath(Polygon({{42, 36}, {50, 58}, {42, 54}, {38, 61}, {32, 40}}));
    p.setBrush(kOrange);
    p.drawEllipse(QPointF(32, 26), 20, 20);
    p.setBrush(kGold);
    p.drawEllipse(QPointF(32, 26), 14, 14);
    p.setBrush(Qt::white);
    p.drawPath(Polygon({{32, 16}, {35, 23}, {42, 23}, {36.5, 27.5}, {38.5, 35}, {32, 30.5}, {25.5, 35}, {27.5, 27.5}, {22, 23}, {29, 23}}));
}

void PaintWebSite(QPainter& p)
{
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(32, 32), 26, 26);
    p.setPen(QPen(kPale, 3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(32, 32), 11, 26);
    p.drawLine(QLineF(6, 32, 58, 32));
    p.drawLine(QLineF(32, 6, 32, 58));
    p.drawLine(QLineF(10, 19, 54, 19));
    p.drawLine(QLineF(10, 45, 54, 45));
    p.setPen(QPen(kGrey, 2));
    p.drawEllipse(QPointF(32, 32), 26, 26);
}

QIcon Painted(void (*paint)(QPainter&))
{
    QIcon icon;
    for (int size : {16, 18, 24, 32, 48, 64, 128}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 64.0, size / 64.0);
        paint(p);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

}  // namespace

QIcon PanelIcon(EPanelIcon id)
{
    static const QIcon panel = Painted(PaintPanel), info = Painted(PaintSystemInfo), credits = Painted(PaintCredits),
                       web = Painted(PaintWebSite);
    switch (id) {
    case kIconSystemInfo: return info;
    case kIconCredits: return credits;
    case kIconWebSite: return web;
    default: return panel;
    }
}

QIcon CommandIcon(const CPanelExecute& command)
{
    if (command.IsBuiltIn()) {
        static const EPanelIcon builtIn[] = {kIconSystemInfo, kIconCredits, kIconWebSite};
        return command.m_nCommandIndex >= 0 && command.m_nCommandIndex < kBuiltInCommands
                   ? PanelIcon(builtIn[command.m_nCommandIndex]) : PanelIcon(kIconPanel);
    }
    QPixmap pixmap;
    if (!command.m_strIconImage.empty())
        pixmap.loadFromData(reinterpret_cast<const uchar*>(command.m_strIconImage.data()), uint(command.m_strIconImage.size()));
    else if (!command.m_strIconFile.empty())
        pixmap.load(QString::fromStdU16String(command.m_strIconFile));
    return pixmap.isNull() ? PanelIcon(kIconPanel) : QIcon(pixmap);
}

}  // namespace kq
