#include "ui/controls/CPictureButton.h"

#include <QEvent>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/controls/PictureButtonLayout.h"

namespace ostiva {

namespace {

constexpr int kCaptionFlags = Qt::AlignHCenter | Qt::TextWordWrap | Qt::TextShowMnemonic;

// Pure white, or (for pictures that carry alpha) mostly transparent.
bool IsTransparentPixel(QRgb pixel) {
    return qAlpha(pixel) < 128 || (pixel & 0x00FFFFFFu) == 0x00FFFFFFu;
}

void HLine(QPainter& painter, int x0, int x1, int y, const QColor& color) {
    if (x1 >= x0) painter.fillRect(QRect(x0, y, x1 - x0 + 1, 1), color);
}

void VLine(QPainter& painter, int x, int y0, int y1, const QColor& color) {
    if (y1 >= y0) painter.fillRect(QRect(x, y0, 1, y1 - y0 + 1), color);
}

void FrameRect(QPainter& painter, const QRect& r, const QColor& color) {
    HLine(painter, r.left(), r.right(), r.top(), color);
    HLine(painter, r.left(), r.right(), r.bottom(), color);
    VLine(painter, r.left(), r.top(), r.bottom(), color);
    VLine(painter, r.right(), r.top(), r.bottom(), color);
}

// Every other pixel of the rectangle's outline, as the system focus
// rectangle is drawn.
void DottedRect(QPainter& painter, const QRect& r, const QColor& color) {
    if (r.width() <= 0 || r.height() <= 0) return;
    painter.setPen(color);
    for (int x = r.left(); x <= r.right(); ++x) {
        if (((x - r.left()) & 1) == 0) {
            painter.drawPoint(x, r.top());
            painter.drawPoint(x, r.bottom());
        }
    }
    for (int y = r.top(); y <= r.bottom(); ++y) {
        if (((y - r.top()) & 1) == 0) {
            painter.drawPoint(r.left(), y);
            painter.drawPoint(r.right(), y);
        }
    }
}

}  // namespace

CPictureButton::CPictureButton(QWidget* parent) : CPictureButton(QString(), parent) {}

CPictureButton::CPictureButton(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    followPalette_.fill(true);
    ReadPaletteColors();
    // paintEvent covers every pixel of the button.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    // A click also takes the keyboard focus, on every platform.
    connect(this, &QAbstractButton::clicked, this, [this] { setFocus(Qt::MouseFocusReason); });
}

CPictureButton::~CPictureButton() = default;

void CPictureButton::SetFlatLook(bool flat) {
    flat_ = flat;
    update();
}

int CPictureButton::Prepare(const QImage& source, Picture& picture) {
    if (source.width() <= 0 || source.height() <= 0) return 1;
    QImage image = source.convertToFormat(QImage::Format_ARGB32);
    if (image.isNull()) return 1;
    QImage mask(image.size(), QImage::Format_MonoLSB);
    QImage onFace(image.size(), QImage::Format_ARGB32);
    QImage shape(image.size(), QImage::Format_ARGB32);
    if (mask.isNull() || onFace.isNull() || shape.isNull()) return 2;
    mask.fill(0);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (IsTransparentPixel(pixel)) {
                mask.setPixel(x, y, 1);
                image.setPixel(x, y, qRgb(0, 0, 0));
                onFace.setPixel(x, y, 0);
                shape.setPixel(x, y, 0);
            } else {
                const QRgb opaque = pixel | 0xFF000000u;
                image.setPixel(x, y, opaque);
                onFace.setPixel(x, y, opaque);
                shape.setPixel(x, y, 0xFF000000u);
            }
        }
    }
    picture.image = image.convertToFormat(QImage::Format_RGB32);
    picture.mask = std::move(mask);
    picture.onFace = std::move(onFace);
    picture.shape = std::move(shape);
    return 0;
}

int CPictureButton::SetPictures(const QImage& pressed, const QImage& normal) {
    pictures_ = {};
    int result = 0;
    if (!pressed.isNull()) {
        result = Prepare(pressed, pictures_[kPressedPicture]);
        if (result == 0 && !normal.isNull()) result = Prepare(normal, pictures_[kNormalPicture]);
        if (result != 0) pictures_ = {};
    }
    updateGeometry();
    update();
    return result;
}

const CPictureButton::Picture& CPictureButton::PictureFor(bool pressed) const {
    if (pressed || pictures_[kNormalPicture].image.isNull()) return pictures_[kPressedPicture];
    return pictures_[kNormalPicture];
}

QSize CPictureButton::PictureSize(bool pressed) const {
    return PictureFor(pressed).image.size();
}

QSize CPictureButton::DrawnPictureSize() const {
    if (HasPicture()) return PictureSize(false);
    if (!icon().isNull()) return iconSize();
    return QSize();
}

void CPictureButton::SetColor(ColorSlot slot, const QColor& color) {
    colors_[slot] = color;
    followPalette_[slot] = false;
    update();
}

void CPictureButton::FollowPalette(ColorSlot slot) {
    followPalette_[slot] = true;
    ReadPaletteColors();
    update();
}

void CPictureButton::ReadPaletteColors() {
    const QPalette& pal = palette();
    for (int slot = 0; slot < kColorSlots; ++slot) {
        if (!followPalette_[slot]) continue;
        const bool isText = slot == TextPressed || slot == TextNormal || slot == TextFocused;
        colors_[slot] =
            pal.color(QPalette::Active, isText ? QPalette::ButtonText : QPalette::Button);
    }
}

QColor CPictureButton::FaceColor(const ItemState& state) const {
    if (state.pressed) return colors_[FacePressed];
    return colors_[state.focused ? FaceFocused : FaceNormal];
}

QColor CPictureButton::TextColor(const ItemState& state) const {
    if (state.pressed) return colors_[TextPressed];
    return colors_[state.focused ? TextFocused : TextNormal];
}

CPictureButton::ItemState CPictureButton::CurrentState() const {
    ItemState state;
    state.pressed = isDown();
    state.focused = hasFocus();
    state.disabled = !isEnabled();
    state.isDefault = isDefault();
    return state;
}

void CPictureButton::DrawItem(QPainter& painter, const QRect& item, const ItemState& state) {
    painter.save();
    QRect work = item;
    PaintFace(painter, work, state);
    PaintFrame(painter, work, state);

    const QString caption = text();
    const PictureButtonLayout layout = PictureButtonLayout::Compute(
        item, HasPicture() ? PictureSize(state.pressed) : DrawnPictureSize(), !caption.isEmpty(),
        state.pressed);
    if (HasPicture()) {
        PaintPicture(painter, layout.picture, state);
    } else if (!icon().isNull()) {
        PaintIcon(painter, layout.picture, state);
    }
    if (!caption.isEmpty()) PaintCaption(painter, layout.caption, caption, state);

    // A focused raised button has the black frame, so the dots go one pixel
    // further in than on an unframed face.
    if (!flat_ && state.focused) {
        DottedRect(painter, item.adjusted(4, 4, -4, -4), palette().color(QPalette::ButtonText));
    }
    painter.restore();
}

void CPictureButton::PaintFace(QPainter& painter, QRect& rect, const ItemState& state) {
    if (!flat_ && (state.focused || state.isDefault)) {
        FrameRect(painter, rect, Qt::black);
        rect.adjust(1, 1, -1, -1);
    }
    painter.fillRect(rect, FaceColor(state));
}

void CPictureButton::PaintFrame(QPainter& painter, const QRect& r, const ItemState& state) {
    if (flat_) return;
    const QPalette& pal = palette();
    if (state.pressed) {
        FrameRect(painter, r, pal.color(QPalette::Dark));
        return;
    }
    const int l = r.left(), t = r.top(), rr = r.right(), b = r.bottom();
    // Raised edge: light from the top-left, shadow at the bottom-right; the
    // outer strokes first, the inner ones one pixel inside.
    VLine(painter, l, t, b, pal.color(QPalette::Light));
    HLine(painter, l, rr, t, pal.color(QPalette::Light));
    VLine(painter, l + 1, t + 1, b - 1, pal.color(QPalette::Midlight));
    HLine(painter, l + 1, rr - 1, t + 1, pal.color(QPalette::Midlight));
    HLine(painter, l, rr, b, pal.color(QPalette::Shadow));
    VLine(painter, rr, t, b, pal.color(QPalette::Shadow));
    HLine(painter, l + 1, rr - 1, b - 1, pal.color(QPalette::Dark));
    VLine(painter, rr - 1, t + 1, b - 1, pal.color(QPalette::Dark));
}

void CPictureButton::PaintIcon(QPainter& painter, const QRect& pictureRect,
                               const ItemState& state) {
    const QPixmap pixmap =
        icon().pixmap(pictureRect.size(), state.disabled ? QIcon::Disabled : QIcon::Normal);
    painter.drawPixmap(pictureRect.topLeft(), pixmap);
}

void CPictureButton::PaintPicture(QPainter& painter, const QRect& pictureRect,
                                  const ItemState& state) {
    const Picture& picture = PictureFor(state.pressed);
    if (picture.image.isNull()) return;
    if (!state.disabled) {
        painter.drawImage(pictureRect.topLeft(), picture.onFace);
        return;
    }
    // Embossed: the picture's shape in the highlight colour one pixel down
    // and right, then in the shadow colour at its place.
    const QPalette& pal = palette();
    const QSize size = picture.shape.size();
    QImage embossed(size + QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
    embossed.fill(Qt::transparent);
    {
        QPainter p(&embossed);
        for (const auto& [offset, color] : {std::pair{QPoint(1, 1), pal.color(QPalette::Light)},
                                            std::pair{QPoint(0, 0), pal.color(QPalette::Dark)}}) {
            QImage tinted = picture.shape;
            QPainter t(&tinted);
            t.setCompositionMode(QPainter::CompositionMode_SourceIn);
            t.fillRect(tinted.rect(), color);
            t.end();
            p.drawImage(offset, tinted);
        }
    }
    painter.drawImage(pictureRect.topLeft(), embossed);
}

void CPictureButton::PaintCaption(QPainter& painter, const QRect& captionRect,
                                  const QString& caption, const ItemState& state) {
    painter.setFont(font());
    const QRect measured = painter.fontMetrics().boundingRect(captionRect, kCaptionFlags, caption);
    const QRect block = PictureButtonLayout::CenterBlock(captionRect, measured.size());
    if (state.disabled) {
        const QPalette& pal = palette();
        painter.setPen(pal.color(QPalette::Light));
        painter.drawText(block.translated(1, 1), kCaptionFlags, caption);
        painter.setPen(pal.color(QPalette::Dark));
        painter.drawText(block, kCaptionFlags, caption);
        return;
    }
    painter.setPen(TextColor(state));
    painter.drawText(block, kCaptionFlags, caption);
}

void CPictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    DrawItem(painter, rect(), CurrentState());
}

void CPictureButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange) {
        ReadPaletteColors();
        update();
    }
    QPushButton::changeEvent(event);
}

void CPictureButton::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        mousePressEvent(event);
        return;
    }
    QPushButton::mouseDoubleClickEvent(event);
}

QSize CPictureButton::sizeHint() const {
    const QFontMetrics metrics(font());
    const QSize caption = text().isEmpty() ? QSize() : metrics.size(Qt::TextShowMnemonic, text());
    const QSize picture = DrawnPictureSize();
    const int width = PictureButtonLayout::kPictureMargin * 2 + picture.width() +
                      (caption.isEmpty() ? 0 : caption.width() + 12);
    const int height = std::max(picture.height(), caption.height()) + 8;
    return QSize(std::max(width, 23), std::max(height, 23));
}

}  // namespace ostiva
