#pragma once
// The push button of every console window: a small picture at its left, the
// caption beside it, on a raised button face that the button paints itself
// from the palette (so it looks the same under every widget style).
//
// Look, in short: a raised edge of four one-pixel strokes (Light, Midlight on
// the top-left; Shadow, Dark on the bottom-right); a one-pixel Dark frame
// while pressed, with picture and caption shifted one pixel right and down; a
// black one-pixel frame around a focused or default button; the dotted focus
// rectangle 4 px inside the button. Pictures are drawn with white as the
// transparent colour; a disabled button shows its picture embossed in grey and
// its caption engraved.
//
// Usage in a window:
//     auto* save = new CThemedPictureButton(UiText(...), this);
//     save->SetFlatLook(false);
//     const QImage picture = Pictures::Button(Pictures::Save);
//     save->SetPictures(picture, picture);

#include <QColor>
#include <QImage>
#include <QPushButton>
#include <array>

namespace ostiva {

class CPictureButton : public QPushButton {
    Q_OBJECT
  public:
    // The six state colours; each follows its palette role (faces: Button,
    // texts: ButtonText) until it is set by hand.
    enum ColorSlot { FacePressed, TextPressed, FaceNormal, TextNormal, FaceFocused, TextFocused };
    static constexpr int kColorSlots = 6;

    explicit CPictureButton(QWidget* parent = nullptr);
    explicit CPictureButton(const QString& caption, QWidget* parent = nullptr);
    ~CPictureButton() override;

    // Flat (no frame, no focus marks) or raised. Buttons start flat; the
    // windows switch every button to the raised look.
    void SetFlatLook(bool flat);
    bool FlatLook() const { return flat_; }

    // Takes the pictures for the pressed and the normal state; pure white
    // pixels (and transparent ones) become see-through. Without a normal
    // picture the pressed one serves both states; a null first picture clears
    // the pictures. Returns 0 when done, 1 when a picture's size cannot be
    // read, 2 when its mask cannot be made (the button then has no picture).
    int SetPictures(const QImage& pressed, const QImage& normal = QImage());
    bool HasPicture() const { return !pictures_[kPressedPicture].image.isNull(); }
    QSize PictureSize(bool pressed = false) const;

    void SetColor(ColorSlot slot, const QColor& color);
    void FollowPalette(ColorSlot slot);
    QColor Color(ColorSlot slot) const { return colors_[slot]; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

  protected:
    struct ItemState {
        bool pressed = false;
        bool focused = false;
        bool disabled = false;
        bool isDefault = false;  // the dialog's current default button
    };

    // The button's state as it is now.
    ItemState CurrentState() const;

    // Paints the whole item rectangle for a state; paintEvent passes the
    // current one. The steps below are the points to change the look.
    virtual void DrawItem(QPainter& painter, const QRect& item, const ItemState& state);
    // Fills the face; for a focused or default raised button first draws the
    // black frame and shrinks `rect` by one pixel.
    virtual void PaintFace(QPainter& painter, QRect& rect, const ItemState& state);
    virtual void PaintFrame(QPainter& painter, const QRect& rect, const ItemState& state);
    // The widget's QIcon, for a button given an icon instead of pictures.
    virtual void PaintIcon(QPainter& painter, const QRect& pictureRect, const ItemState& state);
    virtual void PaintPicture(QPainter& painter, const QRect& pictureRect, const ItemState& state);
    virtual void PaintCaption(QPainter& painter, const QRect& captionRect, const QString& caption,
                              const ItemState& state);

    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    // A fast second click arrives as a double-click; it is a click like the
    // first one.
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    enum { kPressedPicture = 0, kNormalPicture = 1 };
    struct Picture {
        QImage image;   // white pixels turned black, as the mask leaves them
        QImage mask;    // one bit per pixel, set where the picture was white
        QImage onFace;  // ready to draw: mask bits transparent
        QImage shape;   // the non-white pixels, for the disabled look
    };

    static int Prepare(const QImage& source, Picture& picture);
    const Picture& PictureFor(bool pressed) const;
    void ReadPaletteColors();
    QColor FaceColor(const ItemState& state) const;
    QColor TextColor(const ItemState& state) const;
    QSize DrawnPictureSize() const;

    bool flat_ = true;
    std::array<QColor, kColorSlots> colors_;
    std::array<bool, kColorSlots> followPalette_;
    std::array<Picture, 2> pictures_;
};

}  // namespace ostiva
