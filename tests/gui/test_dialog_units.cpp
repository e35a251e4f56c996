#include <QApplication>
#include <QFontDatabase>
#include <QTest>

#include "ui/controls/DialogUnits.h"

using namespace ostiva;

class DialogUnitsTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void mulDivRoundsHalvesAwayFromZero();
    void baseUnitsFromMetrics();
    void convertsTemplateRectangles();
    void templateFontsPerLanguage();
};

void DialogUnitsTest::mulDivRoundsHalvesAwayFromZero() {
    QCOMPARE(MulDiv(3, 13, 8), 5);    // 4.875
    QCOMPARE(MulDiv(4, 13, 8), 7);    // 6.5
    QCOMPARE(MulDiv(-4, 13, 8), -7);  // -6.5
    QCOMPARE(MulDiv(4, 13, -8), -7);
    QCOMPARE(MulDiv(1, 5, 4), 1);      // 1.25
    QCOMPARE(MulDiv(11, 96, 72), 15);  // 11 points at 96 dpi
    QCOMPARE(MulDiv(85, 96, 720), 11);
    QCOMPARE(MulDiv(1, 1, 0), -1);
    // No overflow in the product.
    QCOMPARE(MulDiv(2000000000, 3, 4), 1500000000);
}

void DialogUnitsTest::baseUnitsFromMetrics() {
    // Average 6.0, 6.25 and 6.5 pixels: the half rounds up.
    QCOMPARE(DialogBaseUnits::FromMetrics(312, 13).x, 6);
    QCOMPARE(DialogBaseUnits::FromMetrics(325, 13).x, 6);
    QCOMPARE(DialogBaseUnits::FromMetrics(338, 13).x, 7);
    QCOMPARE(DialogBaseUnits::FromMetrics(338, 13).y, 13);
}

void DialogUnitsTest::convertsTemplateRectangles() {
    // Base units 6 x 13, the classic 8-point dialog font.
    const DialogUnits units(QFont(), DialogBaseUnits{6, 13});
    QCOMPARE(units.Rect(10, 10, 50, 14), QRect(15, 16, 75, 23));
    // Each value on its own: the width is not right minus left.
    QCOMPARE(units.Rect(1, 1, 1, 1), QRect(2, 2, 2, 2));
    QCOMPARE(units.Size(176, 92), QSize(264, 150));
    QCOMPARE(units.X(613), 920);
    QCOMPARE(units.Y(244), 397);
}

void DialogUnitsTest::templateFontsPerLanguage() {
    const QFont main = DialogUnits::TemplateFont(DialogTemplate::Main, UiLanguage::English, 96);
    QCOMPARE(main.pixelSize(), 11);
    const QFont report = DialogUnits::TemplateFont(DialogTemplate::Report, UiLanguage::English, 96);
    QCOMPARE(report.pixelSize(), 11);
    const QFont japanese =
        DialogUnits::TemplateFont(DialogTemplate::Login, UiLanguage::Japanese, 96);
    QCOMPARE(japanese.pixelSize(), 13);
    QCOMPARE(DialogUnits::WindowsFont(QStringLiteral("Tahoma"), 8.5, 96).pixelSize(), 11);
    QCOMPARE(DialogUnits::WindowsFont(QStringLiteral("Tahoma"), 11, 120).pixelSize(), 18);

    const QStringList installed = QFontDatabase::families();
    if (!installed.contains(QStringLiteral("Verdana")) &&
        installed.contains(QStringLiteral("DejaVu Sans"))) {
        QCOMPARE(main.family(), QStringLiteral("DejaVu Sans"));
    }
    if (!installed.contains(QStringLiteral("MS PGothic")) &&
        installed.contains(QStringLiteral("Noto Sans CJK JP"))) {
        QCOMPARE(japanese.family(), QStringLiteral("Noto Sans CJK JP"));
    }
}

QTEST_MAIN(DialogUnitsTest)
#include "test_dialog_units.moc"
