#include "AppIcons.h"

#include <QPainter>
#include <QPainterPath>

namespace kq {

namespace {

// A transparent size x size pixmap; the painter draws on it in units of a
// design square of the given side.
QPixmap BlankPixmap(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void ScaleToDesign(QPainter& p, int size, double design)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / design, size / design);
}

QPixmap PaintProgramIcon(int size)
{
    QPixmap pixmap = BlankPixmap(size);
    QPainter p(&pixmap);
    ScaleToDesign(p, size, 64.0);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x6f, 0xb3));
    p.drawRoundedRect(QRectF(4, 4, 56, 56), 10, 10);

    QPainterPath page;
    page.moveTo(16, 12);
    page.lineTo(38, 12);
    page.lineTo(48, 22);
    page.lineTo(48, 52);
    page.lineTo(16, 52);
    page.closeSubpath();
    p.setBrush(Qt::white);
    p.drawPath(page);
    QPainterPath fold;
    fold.moveTo(38, 12);
    fold.lineTo(38, 22);
    fold.lineTo(48, 22);
    fold.closeSubpath();
    p.setBrush(QColor(0xcf, 0xe0, 0xf3));
    p.drawPath(fold);

    p.setPen(QPen(QColor(0x9b, 0xb5, 0xd1), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QLineF(21, 28, 43, 28));
    p.drawLine(QLineF(21, 34, 43, 34));
    p.drawLine(QLineF(21, 40, 33, 40));

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf3, 0x9c, 0x12));
    p.drawEllipse(QPointF(46, 46), 12, 12);
    p.setPen(QPen(Qt::white, 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawLine(QLineF(39, 46, 52, 46));
    const QPointF head[] = {{47, 41}, {52, 46}, {47, 51}};
    p.drawPolyline(head, 3);
    return pixmap;
}

}  // namespace

QIcon ProgramIcon()
{
    static const QIcon icon = [] {
        QIcon result;
        for (int size : {16, 24, 32, 48, 64, 128, 256}) result.addPixmap(PaintProgramIcon(size));
        return result;
    }();
    return icon;
}

QPixmap PageHintPixmap(int size)
{
    QPixmap pixmap = BlankPixmap(size);
    QPainter p(&pixmap);
    ScaleToDesign(p, size, 32.0);
    p.setPen(QPen(QColor(0xc9, 0x9a, 0x00), 1.5));
    p.setBrush(QColor(0xff, 0xd5, 0x4a));
    p.drawEllipse(QPointF(16, 13), 9, 9);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x8a, 0x8a, 0x8a));
    p.drawRoundedRect(QRectF(12, 21, 8, 7), 1.5, 1.5);
    p.setPen(QPen(QColor(0xd0, 0xd0, 0xd0), 1));
    p.drawLine(QLineF(12, 24.5, 20, 24.5));
    QPainterPath shine;
    shine.moveTo(13, 13);
    shine.quadTo(16, 9, 19, 13);
    p.setPen(QPen(Qt::white, 1.5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(shine);
    return pixmap;
}

}  // namespace kq
