#include <QApplication>
#include <QFile>
#include <QTest>

#include "ui/controls/Pictures.h"

using namespace ostiva;

namespace {

bool HasPixel(const QImage& image, const std::function<bool(QRgb)>& test) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (test(image.pixel(x, y))) return true;
        }
    }
    return false;
}

}  // namespace

class PicturesTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void buttonPicturesOnWhite();
    void icons();
    void statePictureFiles();
};

void PicturesTest::buttonPicturesOnWhite() {
    const int ids[] = {129, 131, 136, 137, 138, 139, 141, 143, 145};
    QList<QImage> seen;
    for (int id : ids) {
        const QImage image = Pictures::Button(id);
        QVERIFY2(!image.isNull(), qPrintable(QString::number(id)));
        QCOMPARE(image.size(), QSize(16, 16));
        QCOMPARE(image.pixel(0, 0) & 0xFFFFFF, 0xFFFFFFu);
        QCOMPARE(image.pixel(15, 15) & 0xFFFFFF, 0xFFFFFFu);
        QVERIFY(HasPixel(image, [](QRgb p) { return (p & 0xFFFFFF) != 0xFFFFFF; }));
        // No near-white pixels: they would show as a pale fringe on the face.
        QVERIFY(!HasPixel(image, [](QRgb p) {
            return (p & 0xFFFFFF) != 0xFFFFFF && qRed(p) > 250 && qGreen(p) > 250 && qBlue(p) > 250;
        }));
        QVERIFY2(!seen.contains(image), qPrintable(QString::number(id)));
        seen.append(image);
    }
    QVERIFY(Pictures::Button(130).isNull());
    QVERIFY(Pictures::Button(0).isNull());
}

void PicturesTest::icons() {
    QList<QImage> seen;
    for (int id : {128, 132, 133}) {
        const QImage image = Pictures::IconImage(id, 32);
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
        QVERIFY(HasPixel(image, [](QRgb p) { return qAlpha(p) == 255; }));
        QVERIFY(!seen.contains(image));
        seen.append(image);
        const QIcon icon = Pictures::Icon(id);
        QVERIFY(!icon.isNull());
        QVERIFY(icon.availableSizes().contains(QSize(16, 16)));
        QCOMPARE(Pictures::IconPixmap(id, 48).size(), QSize(48, 48));
    }
    QVERIFY(Pictures::IconImage(129, 32).isNull());
    QVERIFY(Pictures::Icon(999).isNull());
}

void PicturesTest::statePictureFiles() {
    const QString dir = QStringLiteral(OSTIVA_BINARY_DIR "/bin/");
    QList<QImage> seen;
    for (const char* name : {"ready.png", "connecting.png", "disconnected.png"}) {
        const QString path = dir + QString::fromLatin1(name);
        QVERIFY2(QFile::exists(path), qPrintable(path));
        QImage image(path);
        QVERIFY2(!image.isNull(), qPrintable(path));
        QCOMPARE(image.size(), QSize(120, 80));
        image = image.convertToFormat(QImage::Format_RGB32);
        for (const QImage& other : seen) {
            // Clearly different, not a recolouring of a few pixels.
            int differing = 0;
            for (int y = 0; y < 80; ++y) {
                for (int x = 0; x < 120; ++x) differing += image.pixel(x, y) != other.pixel(x, y);
            }
            QVERIFY2(differing > 120 * 80 / 4, name);
        }
        seen.append(image);
    }
}

QTEST_MAIN(PicturesTest)
#include "test_pictures.moc"
