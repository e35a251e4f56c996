#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QTest>
#include <QWidget>

#include "ui/controls/GradientBackground.h"

using namespace ostiva;

class GradientBackgroundTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void levels();
    void windowAndSeeThroughControls();
};

void GradientBackgroundTest::levels() {
    for (int h : {32, 33, 100, 453, 1000}) {
        QCOMPARE(GradientBackground::Level(0, h), 245);
        QCOMPARE(GradientBackground::Level(h - 1, h), 214);
        int previous = 245;
        for (int y = 0; y < h; ++y) {
            const int level = GradientBackground::Level(y, h);
            QVERIFY(level <= previous && level >= 214);
            previous = level;
        }
    }
    // Short areas do not reach the bottom level: 245 - 32 * 9 / 10.
    QCOMPARE(GradientBackground::Level(9, 10), 217);
    QCOMPARE(GradientBackground::Level(50, 100), 229);
    QCOMPARE(GradientBackground::Level(0, 0), 245);
}

void GradientBackgroundTest::windowAndSeeThroughControls() {
    QWidget window;
    window.resize(60, 100);
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(10, 120, 10));
    window.setPalette(palette);
    auto* label = new QLabel(&window);
    label->setGeometry(10, 10, 30, 30);
    auto* box = new QCheckBox(&window);
    box->setGeometry(10, 60, 40, 30);
    GradientBackground::Install(&window);
    GradientBackground::ShowThrough(label);
    GradientBackground::ShowThrough(box);
    QCOMPARE(GradientBackground::Install(&window), window.findChild<GradientBackground*>());

    const QImage image = window.grab().toImage();
    const auto grey = [](int level) { return QColor(level, level, level); };
    QCOMPARE(QColor(image.pixel(0, 0)), grey(245));
    QCOMPARE(QColor(image.pixel(59, 99)), grey(214));
    QCOMPARE(QColor(image.pixel(0, 50)), grey(GradientBackground::Level(50, 100)));
    // Through the label's empty area and beside the check box's indicator.
    QCOMPARE(QColor(image.pixel(30, 30)), grey(GradientBackground::Level(30, 100)));
    QCOMPARE(QColor(image.pixel(48, 88)), grey(GradientBackground::Level(88, 100)));
}

QTEST_MAIN(GradientBackgroundTest)
#include "test_gradient_background.moc"
