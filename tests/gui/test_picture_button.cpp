#include <QApplication>
#include <QDialog>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include "ui/controls/CThemedPictureButton.h"
#include "ui/controls/PictureButtonLayout.h"

using namespace ostiva;

namespace {

// Exposes the drawing with a chosen state, so focus and default can be
// rendered without an active window.
class ProbeButton : public CThemedPictureButton {
  public:
    using CPictureButton::ItemState;
    using CThemedPictureButton::CThemedPictureButton;

    QImage Draw(const ItemState& state) {
        QImage image(size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        QPainter painter(&image);
        DrawItem(painter, image.rect(), state);
        return image;
    }
};

const QColor kFace(200, 180, 120);
const QColor kRed(220, 0, 0);

// White ground with a red 8 x 8 square at (4, 4).
QImage SquarePicture() {
    QImage image(16, 16, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter(&image).fillRect(4, 4, 8, 8, kRed);
    return image;
}

QPalette TestPalette() {
    QPalette palette;
    palette.setColor(QPalette::Button, kFace);
    palette.setColor(QPalette::ButtonText, QColor(0, 0, 90));
    palette.setColor(QPalette::Light, QColor(250, 250, 240));
    palette.setColor(QPalette::Midlight, QColor(230, 230, 220));
    palette.setColor(QPalette::Dark, QColor(128, 128, 128));
    palette.setColor(QPalette::Shadow, QColor(20, 20, 20));
    return palette;
}

QColor At(const QImage& image, int x, int y) {
    return QColor(image.pixel(x, y));
}

}  // namespace

class PictureButtonTest : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void layoutPutsPictureBesideCaption();
    void layoutCentresPictureWithoutCaption();
    void layoutTruncatesHalvesTowardZero();
    void whitePixelsShowTheFace();
    void raisedEdgeAndPressedFrame();
    void focusedOrDefaultButtonHasBlackFrame();
    void disabledPictureIsEmbossed();
    void disabledCaptionIsEngraved();
    void doubleClickGivesTwoClicks();
    void colorsFollowThePalette();
    void setPicturesResults();
    void blackFrameFollowsTheDefaultButton();
};

void PictureButtonTest::layoutPutsPictureBesideCaption() {
    const QRect item(0, 0, 75, 23);
    PictureButtonLayout layout = PictureButtonLayout::Compute(item, QSize(16, 16), true, false);
    QCOMPARE(layout.picture, QRect(3, 3, 16, 16));
    QCOMPARE(layout.caption, QRect(19, 0, 56, 23));

    layout = PictureButtonLayout::Compute(item, QSize(16, 16), true, true);
    QCOMPARE(layout.picture, QRect(4, 4, 16, 16));
    QCOMPARE(layout.caption, QRect(20, 1, 56, 23));

    // No picture: the caption has the whole button.
    layout = PictureButtonLayout::Compute(item, QSize(), true, false);
    QVERIFY(layout.picture.isNull());
    QCOMPARE(layout.caption, item);
}

void PictureButtonTest::layoutCentresPictureWithoutCaption() {
    // The copy button of the main window: no caption.
    PictureButtonLayout layout =
        PictureButtonLayout::Compute(QRect(0, 0, 21, 21), QSize(16, 16), false, false);
    QCOMPARE(layout.picture.topLeft(), QPoint(2, 2));
    layout = PictureButtonLayout::Compute(QRect(10, 20, 21, 21), QSize(16, 16), false, true);
    QCOMPARE(layout.picture.topLeft(), QPoint(13, 23));
}

void PictureButtonTest::layoutTruncatesHalvesTowardZero() {
    // 15 - 16 = -1; -1 / 2 is 0 in C++, where a floor would give -1.
    QCOMPARE(
        PictureButtonLayout::Compute(QRect(0, 0, 40, 15), QSize(16, 16), true, false).picture.top(),
        0);
    QCOMPARE(
        PictureButtonLayout::Compute(QRect(0, 0, 40, 13), QSize(16, 16), true, false).picture.top(),
        -1);
    QCOMPARE(PictureButtonLayout::CenterBlock(QRect(0, 0, 10, 10), QSize(13, 3)),
             QRect(-1, 3, 13, 3));
}

void PictureButtonTest::whitePixelsShowTheFace() {
    ProbeButton button;
    button.setPalette(TestPalette());
    button.resize(40, 24);
    button.SetFlatLook(false);
    QCOMPARE(button.SetPictures(SquarePicture(), SquarePicture()), 0);

    // Centred: x = (40 - 16) / 2 = 12, y = (24 - 16) / 2 = 4.
    const QImage image = button.grab().toImage();
    QCOMPARE(At(image, 12 + 1, 4 + 1), kFace);
    QCOMPARE(At(image, 12 + 15, 4 + 15), kFace);
    QCOMPARE(At(image, 12 + 4, 4 + 4), kRed);
    QCOMPARE(At(image, 12 + 11, 4 + 11), kRed);
    QCOMPARE(At(image, 12 + 12, 4 + 12), kFace);
}

void PictureButtonTest::raisedEdgeAndPressedFrame() {
    ProbeButton button;
    const QPalette palette = TestPalette();
    button.setPalette(palette);
    button.resize(40, 24);
    button.SetFlatLook(false);
    button.SetPictures(SquarePicture(), SquarePicture());

    ProbeButton::ItemState state;
    QImage image = button.Draw(state);
    QCOMPARE(At(image, 0, 0), palette.color(QPalette::Light));
    QCOMPARE(At(image, 0, 22), palette.color(QPalette::Light));
    QCOMPARE(At(image, 1, 1), palette.color(QPalette::Midlight));
    QCOMPARE(At(image, 39, 23), palette.color(QPalette::Shadow));
    QCOMPARE(At(image, 0, 23), palette.color(QPalette::Shadow));
    QCOMPARE(At(image, 38, 22), palette.color(QPalette::Dark));
    QCOMPARE(At(image, 2, 2), kFace);
    QCOMPARE(At(image, 16, 8), kRed);
    QCOMPARE(At(image, 15, 7), kFace);

    state.pressed = true;
    image = button.Draw(state);
    // One shadow frame, no raised strokes.
    QCOMPARE(At(image, 0, 0), palette.color(QPalette::Dark));
    QCOMPARE(At(image, 39, 23), palette.color(QPalette::Dark));
    QCOMPARE(At(image, 1, 1), kFace);
    // The picture moved one pixel right and down.
    QCOMPARE(At(image, 16, 8), kFace);
    QCOMPARE(At(image, 17, 9), kRed);
    QCOMPARE(At(image, 24, 16), kRed);
}

void PictureButtonTest::focusedOrDefaultButtonHasBlackFrame() {
    ProbeButton button;
    const QPalette palette = TestPalette();
    button.setPalette(palette);
    button.resize(40, 24);
    button.SetFlatLook(false);

    ProbeButton::ItemState state;
    state.isDefault = true;
    QImage image = button.Draw(state);
    QCOMPARE(At(image, 0, 0), QColor(Qt::black));
    QCOMPARE(At(image, 39, 23), QColor(Qt::black));
    QCOMPARE(At(image, 1, 1), palette.color(QPalette::Light));
    QCOMPARE(At(image, 38, 22), palette.color(QPalette::Shadow));
    // Default but not focused: no focus dots.
    QCOMPARE(At(image, 4, 4), kFace);

    state = {};
    state.focused = true;
    image = button.Draw(state);
    QCOMPARE(At(image, 0, 0), QColor(Qt::black));
    QCOMPARE(At(image, 4, 4), palette.color(QPalette::ButtonText));
    QCOMPARE(At(image, 5, 4), kFace);
    QCOMPARE(At(image, 3, 3), kFace);

    // The flat look has neither frame nor dots.
    button.SetFlatLook(true);
    image = button.Draw(state);
    QCOMPARE(At(image, 0, 0), kFace);
    QCOMPARE(At(image, 4, 4), kFace);
}

void PictureButtonTest::disabledPictureIsEmbossed() {
    ProbeButton button;
    const QPalette palette = TestPalette();
    button.setPalette(palette);
    button.resize(40, 24);
    button.SetFlatLook(false);
    button.SetPictures(SquarePicture(), SquarePicture());

    ProbeButton::ItemState state;
    const QImage enabled = button.Draw(state);
    state.disabled = true;
    const QImage disabled = button.Draw(state);
    QVERIFY(enabled != disabled);
    // The square's shape in the shadow colour, its highlight one pixel down
    // and right, and no trace of the red.
    QCOMPARE(At(disabled, 16, 8), palette.color(QPalette::Dark));
    QCOMPARE(At(disabled, 23, 15), palette.color(QPalette::Dark));
    QCOMPARE(At(disabled, 24, 16), palette.color(QPalette::Light));
    QCOMPARE(At(disabled, 15, 7), kFace);
    for (int y = 0; y < disabled.height(); ++y) {
        for (int x = 0; x < disabled.width(); ++x) QVERIFY(At(disabled, x, y) != kRed);
    }
}

void PictureButtonTest::disabledCaptionIsEngraved() {
    ProbeButton button(QStringLiteral("Save"));
    const QPalette palette = TestPalette();
    button.setPalette(palette);
    button.resize(75, 23);
    button.SetFlatLook(false);

    const auto count = [](const QImage& image, const QColor& color) {
        int n = 0;
        for (int y = 2; y < image.height() - 2; ++y) {
            for (int x = 2; x < image.width() - 2; ++x) n += At(image, x, y) == color;
        }
        return n;
    };
    ProbeButton::ItemState state;
    const QImage enabled = button.Draw(state);
    QVERIFY(count(enabled, palette.color(QPalette::ButtonText)) > 0);
    QCOMPARE(count(enabled, palette.color(QPalette::Light)), 0);
    state.disabled = true;
    const QImage disabled = button.Draw(state);
    QCOMPARE(count(disabled, palette.color(QPalette::ButtonText)), 0);
    QVERIFY(count(disabled, palette.color(QPalette::Light)) > 0);
    QVERIFY(count(disabled, palette.color(QPalette::Dark)) > 0);
}

void PictureButtonTest::doubleClickGivesTwoClicks() {
    CThemedPictureButton button(QStringLiteral("Create"));
    button.resize(75, 23);
    button.show();
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    const QPointF at(10, 10);
    const QPointF global = button.mapToGlobal(at);
    const auto send = [&](QEvent::Type type, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, global, Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    };
    // The order a window system that folds the second press into the
    // double-click delivers: press, release, double-click, release.
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    QCOMPARE(clicks.count(), 2);

    // And Qt's own order, which also delivers the second press.
    clicks.clear();
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    send(QEvent::MouseButtonPress, Qt::LeftButton);
    send(QEvent::MouseButtonDblClick, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, Qt::NoButton);
    QCOMPARE(clicks.count(), 2);
}

void PictureButtonTest::colorsFollowThePalette() {
    ProbeButton button;
    button.setPalette(TestPalette());
    QCOMPARE(button.Color(CPictureButton::FaceNormal), kFace);
    button.SetColor(CPictureButton::FacePressed, QColor(1, 2, 3));

    QPalette changed = TestPalette();
    changed.setColor(QPalette::Button, QColor(90, 90, 200));
    changed.setColor(QPalette::ButtonText, QColor(255, 255, 0));
    button.setPalette(changed);
    QCOMPARE(button.Color(CPictureButton::FaceNormal), QColor(90, 90, 200));
    QCOMPARE(button.Color(CPictureButton::FaceFocused), QColor(90, 90, 200));
    QCOMPARE(button.Color(CPictureButton::TextNormal), QColor(255, 255, 0));
    // Set by hand: kept.
    QCOMPARE(button.Color(CPictureButton::FacePressed), QColor(1, 2, 3));

    button.resize(30, 20);
    button.SetFlatLook(false);
    QCOMPARE(At(button.Draw({}), 10, 10), QColor(90, 90, 200));
}

void PictureButtonTest::setPicturesResults() {
    ProbeButton button;
    button.setPalette(TestPalette());
    button.resize(40, 24);
    QCOMPARE(button.SetPictures(SquarePicture()), 0);
    QVERIFY(button.HasPicture());
    // One picture serves both states.
    QCOMPARE(At(button.Draw({}), 16, 8), kRed);

    QImage big(24, 20, QImage::Format_RGB32);
    big.fill(Qt::white);
    QCOMPARE(button.SetPictures(SquarePicture(), big), 0);
    QCOMPARE(button.PictureSize(false), QSize(24, 20));
    QCOMPARE(button.PictureSize(true), QSize(16, 16));

    QCOMPARE(button.SetPictures(QImage(), SquarePicture()), 0);
    QVERIFY(!button.HasPicture());
    QCOMPARE(At(button.Draw({}), 16, 8), kFace);
}

void PictureButtonTest::blackFrameFollowsTheDefaultButton() {
    QDialog dialog;
    dialog.resize(200, 60);
    auto* login = new CThemedPictureButton(QStringLiteral("Login"), &dialog);
    auto* cancel = new CThemedPictureButton(QStringLiteral("Cancel"), &dialog);
    login->setGeometry(10, 10, 80, 24);
    cancel->setGeometry(100, 10, 80, 24);
    for (CThemedPictureButton* button : {login, cancel}) {
        button->setPalette(TestPalette());
        button->SetFlatLook(false);
    }
    login->setDefault(true);
    dialog.show();
    dialog.activateWindow();
    if (!QTest::qWaitForWindowActive(&dialog, 5000)) QSKIP("no active window on this platform");

    const auto framed = [](QWidget* button) {
        return At(button->grab().toImage(), 0, 0) == QColor(Qt::black);
    };
    login->setFocus(Qt::TabFocusReason);
    QVERIFY(framed(login));
    QVERIFY(!framed(cancel));
    // Tabbing to another push button makes it the default, and the frame
    // goes with it.
    cancel->setFocus(Qt::TabFocusReason);
    QVERIFY(cancel->isDefault());
    QVERIFY(framed(cancel));
    QVERIFY(!framed(login));
}

QTEST_MAIN(PictureButtonTest)
#include "test_picture_button.moc"
