#include "AppIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace ostiva::pictures {

QImage AppIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Everything is drawn on a 64-unit grid and scaled, so the shapes keep
    // their proportions at every size.
    p.scale(size / 64.0, size / 64.0);

    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(72, 140, 224));
    tile.setColorAt(1, QColor(28, 84, 168));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);

    // The technician's monitor.
    p.setBrush(QColor(245, 248, 252));
    p.drawRoundedRect(QRectF(9, 12, 34, 24), 3, 3);
    p.setBrush(QColor(48, 112, 200));
    p.drawRect(QRectF(12, 15, 28, 18));
    p.setBrush(QColor(245, 248, 252));
    p.drawRect(QRectF(23, 36, 6, 5));
    p.drawRoundedRect(QRectF(17, 40, 18, 3.5), 1.5, 1.5);

    // The customer's screen, joined by the link.
    p.setPen(QPen(QColor(255, 214, 102), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(36, 30), QPointF(44, 38));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 214, 102));
    p.drawRoundedRect(QRectF(38, 36, 18, 14), 2, 2);
    p.setBrush(QColor(36, 38, 44));
    p.drawRect(QRectF(40.5, 38.5, 13, 9));
    return image;
}

}  // namespace ostiva::pictures
