#include "ui/controls/GradientBackground.h"

#include <QEvent>
#include <QPainter>
#include <QPalette>
#include <QWidget>

namespace ostiva {

int GradientBackground::Level(int y, int h) {
    if (h <= 0) return 245;
    return 245 - (32 * y) / h;
}

void GradientBackground::Paint(QPainter& painter, const QRect& area) {
    const int h = area.height();
    for (int y = 0; y < h; ++y) {
        const int level = Level(y, h);
        painter.fillRect(QRect(area.left(), area.top() + y, area.width(), 1),
                         QColor(level, level, level));
    }
}

GradientBackground::GradientBackground(QWidget* window) : QObject(window) {
    window->installEventFilter(this);
    // The filter paints every pixel; the system background would only flicker.
    window->setAttribute(Qt::WA_OpaquePaintEvent);
    window->setAutoFillBackground(false);
}

GradientBackground* GradientBackground::Install(QWidget* window) {
    if (window == nullptr) return nullptr;
    if (auto* existing =
            window->findChild<GradientBackground*>(QString(), Qt::FindDirectChildrenOnly)) {
        return existing;
    }
    return new GradientBackground(window);
}

void GradientBackground::ShowThrough(QWidget* control) {
    if (control == nullptr) return;
    control->setAutoFillBackground(false);
    control->setAttribute(Qt::WA_NoSystemBackground);
    // Only the window role: a check box keeps its white indicator box.
    QPalette palette = control->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setBrush(group, QPalette::Window, Qt::transparent);
    }
    control->setPalette(palette);
}

bool GradientBackground::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Paint && watched == parent()) {
        auto* window = static_cast<QWidget*>(watched);
        QPainter painter(window);
        Paint(painter, window->rect());
    }
    return false;
}

}  // namespace ostiva
