#include "ui/controls/DialogUnits.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "ui/controls/FontFallbacks.h"

namespace ostiva {

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t product = int64_t(a) * b;
    const int64_t half = (c < 0 ? -int64_t(c) : int64_t(c)) / 2;
    // Round the magnitude, then put the sign back: halves go away from zero.
    const bool negative = (product < 0) != (c < 0);
    const int64_t magnitude =
        ((product < 0 ? -product : product) + half) / (c < 0 ? -int64_t(c) : int64_t(c));
    return int(negative ? -magnitude : magnitude);
}

DialogBaseUnits DialogBaseUnits::FromMetrics(int widthOf52Letters, int fontHeight) {
    DialogBaseUnits base;
    base.x = (widthOf52Letters / 26 + 1) / 2;
    base.y = fontHeight;
    return base;
}

DialogUnits::DialogUnits(const QFont& font) : font_(font) {
    const QFontMetrics metrics(font);
    base_ = DialogBaseUnits::FromMetrics(
        metrics.horizontalAdvance(
            QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")),
        metrics.height());
}

DialogUnits::DialogUnits(const QFont& font, DialogBaseUnits base) : font_(font), base_(base) {}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(width), Y(height));
}

QSize DialogUnits::Size(int width, int height) const {
    return QSize(X(width), Y(height));
}

int DialogUnits::ScreenDpi() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const int dpi = int(std::lround(screen->logicalDotsPerInchY()));
            if (dpi > 0) return dpi;
        }
    }
    return 96;
}

QFont DialogUnits::WindowsFont(const QString& face, double points, int dpi) {
    if (dpi <= 0) dpi = ScreenDpi();
    QFont font(FontFallbacks::Resolve(face));
    // A Windows font height is -MulDiv(points, dpi, 72); tenths of a point
    // keep 8.5 exact.
    const int tenths = int(std::lround(points * 10));
    font.setPixelSize(std::max(1, MulDiv(tenths, dpi, 720)));
    return font;
}

QFont DialogUnits::TemplateFont(DialogTemplate dialog, UiLanguage language, int dpi) {
    if (language == UiLanguage::Japanese) {
        return WindowsFont(QStringLiteral("MS PGothic"), 10, dpi);
    }
    switch (dialog) {
        case DialogTemplate::Main:
        case DialogTemplate::Login:
            return WindowsFont(QStringLiteral("Verdana"), 8, dpi);
        case DialogTemplate::Setting:
        case DialogTemplate::Report:
            break;
    }
    return WindowsFont(QStringLiteral("MS Shell Dlg"), 8, dpi);
}

}  // namespace ostiva
