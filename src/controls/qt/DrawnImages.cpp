#include "controls/qt/DrawnImages.h"

#include <QPainter>
#include <QPainterPath>

namespace pm {
namespace {

QPixmap Blank(int w, int h) {
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap SwitchGlyph(int size) {
    QPixmap pixmap = Blank(size, size);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size / 32.0;
    painter.setPen(QPen(QColor(20, 40, 80), 1.5 * s));
    painter.setBrush(QColor(40, 90, 170));
    painter.drawRoundedRect(QRectF(2 * s, 9 * s, 28 * s, 14 * s), 3 * s, 3 * s);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 4; ++i) {
        painter.setBrush(QColor(235, 240, 250));
        painter.drawRect(QRectF((5 + 6 * i) * s, 15 * s, 4 * s, 5 * s));
        painter.setBrush(QColor(60, 210, 90));
        painter.drawEllipse(QRectF((6 + 6 * i) * s, 11 * s, 2 * s, 2 * s));
    }
    return pixmap;
}

}  // namespace

QPixmap StatusImage(int index) {
    if (index == 0) {
        QPixmap pixmap = Blank(16, 16);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 110, 0), 1));
        painter.setBrush(QColor(40, 180, 60));
        painter.drawEllipse(QRectF(3.5, 3.5, 9, 9));
        return pixmap;
    }
    if (index == 1) {
        QPixmap pixmap = Blank(16, 16);
        QPainter painter(&pixmap);
        painter.fillRect(QRect(1, 1, 14, 14), QColor(255, 0, 0));
        painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(QPointF(4, 4), QPointF(12, 12));
        painter.drawLine(QPointF(12, 4), QPointF(4, 12));
        return pixmap;
    }
    return QPixmap();
}

QPixmap DownArrowImage() {
    QPixmap pixmap = Blank(12, 15);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(30, 70, 160));
    QPainterPath arrow;
    arrow.moveTo(4, 0);
    arrow.lineTo(8, 0);
    arrow.lineTo(8, 8);
    arrow.lineTo(12, 8);
    arrow.lineTo(6, 15);
    arrow.lineTo(0, 8);
    arrow.lineTo(4, 8);
    arrow.closeSubpath();
    painter.drawPath(arrow);
    return pixmap;
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addPixmap(SwitchGlyph(size));
    return icon;
}

}  // namespace pm
