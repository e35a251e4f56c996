#pragma once
// Dialog units to pixels, as the Windows dialog manager converts a dialog
// template: the dialog font gives two base units, the average width of the
// 52 letters A-Z a-z (rounded) and the font's height; a horizontal dialog unit
// is a quarter of the first, a vertical one an eighth of the second. The
// windows are laid out from their template rectangles this way, so that they
// keep the proportions they were designed with in either language.
//
// Usage in a window:
//     const DialogUnits units(DialogUnits::TemplateFont(DialogTemplate::Login, language));
//     setFont(units.Font());
//     setFixedSize(units.Size(176, 92));
//     idEdit->setGeometry(units.Rect(56, 6, 112, 17));

#include <QFont>
#include <QRect>
#include <QSize>

#include "ui/controls/UiLanguage.h"

namespace ostiva {

// The console's dialog templates; their fonts differ between the languages.
enum class DialogTemplate { Main, Login, Setting, Report };

// Multiplies a by b and divides by c, rounding half away from zero, as the
// Windows MulDiv does. c == 0 gives -1, MulDiv's failure value.
int MulDiv(int a, int b, int c);

struct DialogBaseUnits {
    int x = 0;  // average letter width, pixels
    int y = 0;  // font height, pixels

    // From the total advance of "A..Za..z" and the font height, rounding the
    // average the dialog manager's way: (total / 26 + 1) / 2.
    static DialogBaseUnits FromMetrics(int widthOf52Letters, int fontHeight);
};

class DialogUnits {
  public:
    // Measures the base units of the font.
    explicit DialogUnits(const QFont& font);
    // Known base units (tests, or a window that measured them already).
    DialogUnits(const QFont& font, DialogBaseUnits base);

    const QFont& Font() const { return font_; }
    DialogBaseUnits Base() const { return base_; }

    int X(int du) const { return MulDiv(du, base_.x, 4); }
    int Y(int du) const { return MulDiv(du, base_.y, 8); }
    // Each of x, y, width and height converted on its own, as the dialog
    // manager creates a template's controls.
    QRect Rect(int x, int y, int width, int height) const;
    QSize Size(int width, int height) const;

    // The template font of a window in a language, with the installed
    // fallback face: English "Verdana" 8 (main, login) or "MS Shell Dlg" 8
    // (setting, report); Japanese "MS PGothic" 10. The size is given in pixels
    // for `dpi` dots per inch (0: the primary screen's logical resolution, or
    // 96 without a screen), as a Windows font height would be.
    static QFont TemplateFont(DialogTemplate dialog, UiLanguage language, int dpi = 0);

    // A font of a Windows face name and point size at `dpi` (0 as above);
    // fractional sizes such as 8.5 are rounded as Windows rounds tenths.
    static QFont WindowsFont(const QString& face, double points, int dpi = 0);

    // The resolution that fonts are converted with when none is given.
    static int ScreenDpi();

  private:
    QFont font_;
    DialogBaseUnits base_;
};

}  // namespace ostiva
