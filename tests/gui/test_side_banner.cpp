#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "ui/controls/CSideBannerWnd.h"

using namespace ostiva;

namespace {

// A dialog with a Windows-style font of `pixels` height (8 pt at 96 dpi is
// 11, 10 pt is 13) and two controls, one at the client area's corner.
struct TestDialog {
    QDialog dialog;
    QLabel* corner;
    QPushButton* button;

    explicit TestDialog(int pixels) {
        QFont font = dialog.font();
        font.setPixelSize(pixels);
        dialog.setFont(font);
        dialog.resize(300, 200);
        corner = new QLabel(QStringLiteral("ID : "), &dialog);
        corner->setGeometry(0, 0, 40, 20);
        button = new QPushButton(QStringLiteral("Login"), &dialog);
        button->setGeometry(120, 150, 60, 23);
    }
};

// Leftmost column holding a bright (text) pixel within the rows; the band
// itself is darker than 180 in every channel below its first rows.
int FirstWhiteColumn(const QImage& image, int top, int bottom) {
    for (int x = 0; x < image.width(); ++x) {
        for (int y = top; y <= bottom; ++y) {
            const QColor c(image.pixel(x, y));
            if (c.red() > 200 && c.green() > 200 && c.blue() > 200) return x;
        }
    }
    return -1;
}

}  // namespace

class SideBannerTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase();
    void scalesWithTheDialogFont();
    void attachGrowsTheDialogByTheBand();
    void attachWithTenPointFont();
    void attachToFixedSizeAndLaidOutDialogs();
    void resizeMovesControlsByTheDifference();
    void paintsGradientEdgeAndTexts();
    void iconMovesTheTitle();
    void longTitleIsCutAtTheEdge();
};

void SideBannerTest::initTestCase() {
    // The arithmetic below is for the standard 96 dots per inch.
    QDialog probe;
    if (probe.logicalDpiY() != 96) QSKIP("the screen is not at 96 dpi");
}

void SideBannerTest::scalesWithTheDialogFont() {
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, -11, 96), 50);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(5, -11, 96), 5);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, -13, 96), 59);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(5, -13, 96), 6);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(3, -13, 96), 4);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(4, -13, 96), 5);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(10, -13, 96), 12);
    // A positive (cell) height counts by its size as well.
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, 13, 96), 59);
    // 8 points at 120 dpi is 13 pixels: 7.8 / 8.25 * 62.5 = 59.09.
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, -13, 120), 59);
    // Nothing to scale by.
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, 0, 96), 50);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, -11, 0), 50);
    QCOMPARE(CSideBannerWnd::ScaleForDialogFont(50, nullptr), 50);
}

void SideBannerTest::attachGrowsTheDialogByTheBand() {
    TestDialog d(11);
    CSideBannerWnd banner;
    banner.AttachToDialog(&d.dialog);

    QCOMPARE(d.dialog.size(), QSize(300, 250));
    QCOMPARE(d.corner->geometry(), QRect(0, 50, 40, 20));
    QCOMPARE(d.button->geometry(), QRect(120, 200, 60, 23));
    QCOMPARE(banner.parentWidget(), &d.dialog);
    QCOMPARE(banner.geometry(), QRect(0, 0, 300, 50));
    QCOMPARE(banner.EdgeBits(), int(CSideBannerWnd::EdgeTop));
    const CSideBannerWnd::Spacings& s = banner.BannerSpacings();
    QCOMPARE(QList<int>({s.titleAlong, s.titleAcross, s.subtitleIndent, s.subtitleGap}),
             QList<int>({5, 3, 4, 10}));

    // Once only.
    banner.AttachToDialog(&d.dialog);
    QCOMPARE(d.dialog.height(), 250);
    QCOMPARE(d.corner->pos(), QPoint(0, 50));

    // The band follows the window's width.
    d.dialog.show();
    d.dialog.resize(420, 250);
    QCOMPARE(banner.width(), 420);
}

void SideBannerTest::attachWithTenPointFont() {
    TestDialog d(13);
    CSideBannerWnd banner;
    banner.AttachToDialog(&d.dialog);
    QCOMPARE(banner.BannerHeight(), 59);
    QCOMPARE(banner.height(), 59);
    QCOMPARE(d.dialog.height(), 259);
    QCOMPARE(d.corner->geometry(), QRect(0, 59, 40, 20));
    const CSideBannerWnd::Spacings& s = banner.BannerSpacings();
    QCOMPARE(QList<int>({s.titleAlong, s.titleAcross, s.subtitleIndent, s.subtitleGap}),
             QList<int>({6, 4, 5, 12}));
}

void SideBannerTest::attachToFixedSizeAndLaidOutDialogs() {
    // Windows built from fixed templates have a fixed size; it grows too.
    TestDialog fixed(11);
    fixed.dialog.setFixedSize(300, 200);
    CSideBannerWnd banner;
    banner.AttachToDialog(&fixed.dialog);
    QCOMPARE(fixed.dialog.size(), QSize(300, 250));
    QCOMPARE(fixed.dialog.maximumHeight(), 250);

    // A window with a layout makes room through its top margin.
    QDialog laidOut;
    QFont font = laidOut.font();
    font.setPixelSize(11);
    laidOut.setFont(font);
    auto* layout = new QVBoxLayout(&laidOut);
    layout->setContentsMargins(7, 7, 7, 7);
    layout->addWidget(new QLabel(QStringLiteral("text")));
    laidOut.resize(300, 200);
    CSideBannerWnd band;
    band.AttachToDialog(&laidOut);
    QCOMPARE(layout->contentsMargins().top(), 57);
    QCOMPARE(laidOut.height(), 250);
}

void SideBannerTest::resizeMovesControlsByTheDifference() {
    TestDialog d(11);
    CSideBannerWnd banner;
    banner.AttachToDialog(&d.dialog);
    banner.ResizeBanner(64);
    QCOMPARE(banner.BannerHeight(), 64);
    QCOMPARE(banner.geometry(), QRect(0, 0, 300, 64));
    QCOMPARE(d.dialog.height(), 264);
    QCOMPARE(d.corner->geometry(), QRect(0, 64, 40, 20));
    banner.ResizeBanner(40);
    QCOMPARE(d.dialog.height(), 240);
    QCOMPARE(d.button->pos(), QPoint(120, 190));
}

void SideBannerTest::paintsGradientEdgeAndTexts() {
    TestDialog d(11);
    CSideBannerWnd banner;
    banner.AttachToDialog(&d.dialog);
    banner.SetTitle(QStringLiteral("Ostiva Login"));
    banner.SetSubtitle(QStringLiteral("Please enter your ID/Password."));

    const QImage image = banner.Render();
    QCOMPARE(image.size(), QSize(300, 50));
    QCOMPARE(QColor(image.pixel(299, 0)), QColor(151, 154, 173));
    QCOMPARE(QColor(image.pixel(0, 49)), QColor(0, 0, 0));
    QCOMPARE(QColor(image.pixel(299, 49)), QColor(0, 0, 0));
    // Darker downwards, by rows only.
    QVERIFY(QColor(image.pixel(299, 40)).blue() < QColor(image.pixel(299, 10)).blue());
    QCOMPARE(image.pixel(298, 30), image.pixel(299, 30));
    QCOMPARE(CSideBannerWnd::GradientColor(QColor(151, 154, 173), QColor(27, 27, 37), 49, 50),
             QColor(27, 27, 37));

    // 8 pt at 96 dpi, no icon: title at (5, 6), subtitle at (9, 13 + 15).
    QCOMPARE(banner.TitleOrigin(), QPoint(5, 6));
    QCOMPARE(banner.SubtitleOrigin(), QPoint(9, 28));
    QCOMPARE(banner.TitleFont().pixelSize(), 15);
    QVERIFY(banner.TitleFont().bold());
    const int titleLeft = FirstWhiteColumn(image, 6, 20);
    QVERIFY2(titleLeft >= 5 && titleLeft <= 8, qPrintable(QString::number(titleLeft)));
    const int subtitleLeft = FirstWhiteColumn(image, 28, 38);
    QVERIFY2(subtitleLeft >= 9 && subtitleLeft <= 12, qPrintable(QString::number(subtitleLeft)));
}

void SideBannerTest::iconMovesTheTitle() {
    TestDialog d(11);
    CSideBannerWnd banner;
    banner.AttachToDialog(&d.dialog);
    QPixmap icon(32, 32);
    icon.fill(QColor(200, 0, 0));
    QVERIFY(banner.SetBannerIcon(icon));
    QCOMPARE(banner.IconPlacementBits(), 5);
    banner.SetTitle(QStringLiteral("Ostiva Setting"));
    QCOMPARE(banner.TitleOrigin(), QPoint(42, 6));

    const QImage image = banner.Render();
    // Icon at x = 5, y = 25 - 16 = 9.
    QCOMPARE(QColor(image.pixel(5, 9)), QColor(200, 0, 0));
    QCOMPARE(QColor(image.pixel(36, 40)), QColor(200, 0, 0));
    QVERIFY(QColor(image.pixel(4, 9)) != QColor(200, 0, 0));
    QVERIFY(QColor(image.pixel(5, 8)) != QColor(200, 0, 0));
    const int titleLeft = FirstWhiteColumn(image, 6, 20);
    QVERIFY2(titleLeft >= 42 && titleLeft <= 45, qPrintable(QString::number(titleLeft)));

    QVERIFY(!banner.SetBannerIcon(QPixmap()));
    QCOMPARE(banner.TitleOrigin(), QPoint(5, 6));
}

void SideBannerTest::longTitleIsCutAtTheEdge() {
    TestDialog d(11);
    CSideBannerWnd banner;
    banner.AttachToDialog(&d.dialog);
    // Full blocks: white to the last column when the text is cut, not
    // shortened with an ellipsis or wrapped.
    banner.SetTitle(QString(200, QChar(0x2588)));
    const QImage image = banner.Render();
    QCOMPARE(QColor(image.pixel(299, 14)), QColor(Qt::white));
    QVERIFY(QColor(image.pixel(299, 45)) != QColor(Qt::white));
}

QTEST_MAIN(SideBannerTest)
#include "test_side_banner.moc"
