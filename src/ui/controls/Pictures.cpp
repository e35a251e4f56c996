#include "ui/controls/Pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <cmath>

namespace ostiva {

namespace {

// Every colour here stays clear of pure white, which the buttons treat as
// transparent; "paper" is a light cream for that reason.
const QColor kPaper(255, 252, 224);
const QColor kOutline(80, 80, 88);
const QColor kRed(204, 32, 32);
const QColor kGreen(24, 150, 48);
const QColor kBlue(36, 84, 176);

void DrawCross(QPainter& p) {
    p.setPen(QPen(kRed, 3, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(4, 4, 11, 11);
    p.drawLine(11, 4, 4, 11);
}

void DrawCheckMark(QPainter& p) {
    p.setPen(QPen(kGreen, 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawPolyline(QPolygon({QPoint(3, 8), QPoint(6, 11), QPoint(12, 4)}));
}

void DrawConnect(QPainter& p) {
    // An arrow into a socket bar.
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(1, 6, 7, 4);
    p.drawPolygon(QPolygon({QPoint(7, 2), QPoint(12, 8), QPoint(7, 13)}));
    p.setBrush(kOutline);
    p.drawRect(13, 2, 2, 12);
}

void DrawSheet(QPainter& p, const QRect& r) {
    // A page with a folded top-right corner and a few lines of text.
    const int fold = 3;
    const QPolygon page({r.topLeft(), QPoint(r.right() - fold, r.top()),
                         QPoint(r.right(), r.top() + fold), r.bottomRight(), r.bottomLeft()});
    p.setPen(kOutline);
    p.setBrush(kPaper);
    p.drawPolygon(page);
    p.drawLine(r.right() - fold, r.top(), r.right() - fold, r.top() + fold);
    p.drawLine(r.right() - fold, r.top() + fold, r.right(), r.top() + fold);
    p.setPen(QColor(120, 140, 180));
    for (int y = r.top() + fold + 2; y < r.bottom() - 1; y += 2) {
        p.drawLine(r.left() + 2, y, r.right() - 2, y);
    }
}

void DrawCopy(QPainter& p) {
    DrawSheet(p, QRect(1, 1, 9, 10));
    DrawSheet(p, QRect(5, 5, 9, 10));
}

void DrawCreate(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawRect(6, 2, 4, 12);
    p.drawRect(2, 6, 12, 4);
}

void DrawDelete(QPainter& p) {
    // A waste bin with its lid.
    p.setPen(kOutline);
    p.setBrush(QColor(150, 152, 164));
    p.drawRect(6, 1, 3, 1);
    p.drawRect(2, 3, 11, 2);
    p.drawRect(3, 5, 9, 9);
    p.setPen(QColor(96, 98, 110));
    for (int x = 5; x <= 10; x += 2) p.drawLine(x, 7, x, 12);
}

void DrawExit(QPainter& p) {
    // A door and an arrow leaving through it.
    p.setPen(kOutline);
    p.setBrush(QColor(150, 96, 48));
    p.drawRect(1, 1, 8, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(kGreen);
    p.drawRect(6, 7, 5, 3);
    p.drawPolygon(QPolygon({QPoint(11, 4), QPoint(15, 8), QPoint(11, 12)}));
}

void DrawSave(QPainter& p) {
    // A floppy disk.
    p.setPen(QColor(20, 30, 80));
    p.setBrush(QColor(40, 64, 150));
    p.drawRect(1, 1, 13, 13);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(208, 210, 216));
    p.drawRect(4, 2, 7, 4);
    p.setBrush(QColor(40, 64, 150));
    p.drawRect(8, 3, 2, 2);
    p.setBrush(kPaper);
    p.drawRect(3, 8, 9, 6);
}

// Icons are drawn on a 32-unit square and scaled.
void DrawApplicationIcon(QPainter& p) {
    QLinearGradient ground(0, 0, 0, 32);
    ground.setColorAt(0, QColor(70, 130, 210));
    ground.setColorAt(1, QColor(24, 60, 140));
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    p.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    // A screen with a pointer: someone else's desktop.
    p.setPen(QPen(Qt::white, 2));
    p.setBrush(QColor(24, 60, 140));
    p.drawRoundedRect(QRectF(6, 7, 20, 14), 1.5, 1.5);
    p.drawLine(QPointF(16, 21), QPointF(16, 25));
    p.drawLine(QPointF(11, 25), QPointF(21, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 160, 40));
    p.drawPolygon(QPolygonF({QPointF(14, 10), QPointF(22, 15), QPointF(18, 16), QPointF(20, 20),
                             QPointF(18.5, 20.5), QPointF(16.5, 16.5), QPointF(14, 19)}));
}

void DrawLoginIcon(QPainter& p) {
    // A key.
    const QColor gold(226, 176, 40);
    const QColor edge(140, 100, 10);
    p.setPen(QPen(edge, 1.5));
    p.setBrush(gold);
    QPainterPath key;
    key.addEllipse(QPointF(10, 16), 8, 8);
    key.addRect(QRectF(16, 13.5, 14, 5));
    key.addRect(QRectF(24, 18, 3, 5));
    key.addRect(QRectF(19, 18, 3, 4));
    p.drawPath(key.simplified());
    p.setBrush(QColor(255, 240, 190));
    p.drawEllipse(QPointF(8, 16), 2.5, 2.5);
}

void DrawSettingIcon(QPainter& p) {
    // A gear.
    QPainterPath gear;
    const QPointF centre(16, 16);
    const int teeth = 8;
    QPolygonF outline;
    for (int i = 0; i < teeth * 4; ++i) {
        const double angle = (i + 0.5) * M_PI * 2 / (teeth * 4);
        const double radius = (i % 4 == 0 || i % 4 == 1) ? 15 : 11.5;
        outline << centre + QPointF(std::cos(angle) * radius, std::sin(angle) * radius);
    }
    gear.addPolygon(outline);
    gear.closeSubpath();
    gear.addEllipse(centre, 5, 5);
    gear.setFillRule(Qt::OddEvenFill);
    QRadialGradient metal(centre, 16);
    metal.setColorAt(0, QColor(190, 196, 206));
    metal.setColorAt(1, QColor(110, 118, 132));
    p.setPen(QPen(QColor(60, 64, 74), 1.2));
    p.setBrush(metal);
    p.drawPath(gear);
}

}  // namespace

QImage Pictures::Button(int id) {
    void (*draw)(QPainter&) = nullptr;
    switch (id) {
        case Cross:
            draw = DrawCross;
            break;
        case CheckMark:
            draw = DrawCheckMark;
            break;
        case Connect:
            draw = DrawConnect;
            break;
        case Copy:
            draw = DrawCopy;
            break;
        case Create:
            draw = DrawCreate;
            break;
        case Sheet:
            draw = [](QPainter& p) { DrawSheet(p, QRect(2, 1, 11, 13)); };
            break;
        case Delete:
            draw = DrawDelete;
            break;
        case Exit:
            draw = DrawExit;
            break;
        case Save:
            draw = DrawSave;
            break;
        default:
            return QImage();
    }
    QImage image(kButtonSize, kButtonSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    // Hard edges: a blended edge pixel would not be white and would show as a
    // pale fringe on the button face.
    painter.setRenderHint(QPainter::Antialiasing, false);
    draw(painter);
    return image;
}

QImage Pictures::IconImage(int id, int size) {
    void (*draw)(QPainter&) = nullptr;
    switch (id) {
        case ApplicationIcon:
            draw = DrawApplicationIcon;
            break;
        case LoginIcon:
            draw = DrawLoginIcon;
            break;
        case SettingIcon:
            draw = DrawSettingIcon;
            break;
        default:
            return QImage();
    }
    if (size <= 0) return QImage();
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.scale(size / 32.0, size / 32.0);
    draw(painter);
    return image;
}

QIcon Pictures::Icon(int id) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        const QImage image = IconImage(id, size);
        if (image.isNull()) return QIcon();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

QPixmap Pictures::IconPixmap(int id, int size) {
    return QPixmap::fromImage(IconImage(id, size));
}

}  // namespace ostiva
