#include "StatePictures.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace ostiva::pictures {

namespace {

// A card with a monitor in the middle; `screen` fills the monitor's screen.
QImage Card(const QColor& top, const QColor& bottom,
            const std::function<void(QPainter&, const QRectF&)>& screen) {
    QImage image(kStateWidth, kStateHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient ground(0, 0, 0, kStateHeight);
    ground.setColorAt(0, top);
    ground.setColorAt(1, bottom);
    p.fillRect(image.rect(), ground);

    // The monitor: bezel, screen, neck and foot.
    const QRectF bezel(28, 8, 64, 46);
    p.setPen(QPen(QColor(40, 44, 52), 1.5));
    p.setBrush(QColor(70, 76, 88));
    p.drawRoundedRect(bezel, 4, 4);
    const QRectF screenRect = bezel.adjusted(5, 5, -5, -5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 76, 88));
    p.drawRect(QRectF(55, 54, 10, 9));
    p.drawRoundedRect(QRectF(42, 62, 36, 6), 3, 3);
    p.save();
    p.setClipRect(screenRect);
    screen(p, screenRect);
    p.restore();
    return image;
}

}  // namespace

QImage ReadyPicture() {
    // Waiting for the customer: a calm blue screen with a clock.
    return Card(QColor(226, 238, 250), QColor(178, 204, 232), [](QPainter& p, const QRectF& r) {
        p.fillRect(r, QColor(48, 112, 200));
        const QPointF centre = r.center();
        p.setPen(QPen(Qt::white, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(centre, 12, 12);
        p.setPen(QPen(Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(centre, centre + QPointF(0, -8));
        p.drawLine(centre, centre + QPointF(6, 0));
    });
}

QImage ConnectingPicture() {
    // The customer is connecting: an amber screen with arrows passing both ways.
    return Card(QColor(252, 242, 218), QColor(238, 206, 140), [](QPainter& p, const QRectF& r) {
        p.fillRect(r, QColor(232, 150, 32));
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        const double cx = r.center().x();
        const double cy = r.center().y();
        p.drawRect(QRectF(cx - 16, cy - 9, 22, 5));
        p.drawPolygon(QPolygonF(
            {QPointF(cx + 6, cy - 14), QPointF(cx + 16, cy - 6.5), QPointF(cx + 6, cy + 1)}));
        p.drawRect(QRectF(cx - 6, cy + 4, 22, 5));
        p.drawPolygon(QPolygonF(
            {QPointF(cx - 6, cy - 1), QPointF(cx - 16, cy + 6.5), QPointF(cx - 6, cy + 14)}));
    });
}

QImage DisconnectedPicture() {
    // The session has ended: a dark screen crossed out in red.
    return Card(QColor(232, 232, 234), QColor(184, 184, 190), [](QPainter& p, const QRectF& r) {
        p.fillRect(r, QColor(36, 38, 44));
        const QPointF c = r.center();
        p.setPen(QPen(QColor(220, 44, 44), 5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(c + QPointF(-10, -10), c + QPointF(10, 10));
        p.drawLine(c + QPointF(10, -10), c + QPointF(-10, 10));
    });
}

}  // namespace ostiva::pictures
