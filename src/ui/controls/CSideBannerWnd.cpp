#include "ui/controls/CSideBannerWnd.h"

#include <QEvent>
#include <QLayout>
#include <QPainter>
#include <QVariant>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "ui/controls/DialogUnits.h"

namespace ostiva {

namespace {

// One bold title font for every band of the run, made by the first attach
// from that band's title description.
std::optional<QFont>& SharedTitleFont() {
    static std::optional<QFont> font;
    return font;
}

int FontHeight(const QFont& font, int dpi) {
    if (font.pixelSize() > 0) return -font.pixelSize();
    if (font.pointSizeF() > 0) return -MulDiv(int(std::lround(font.pointSizeF() * 10)), dpi, 720);
    return 0;
}

}  // namespace

CSideBannerWnd::CSideBannerWnd(QWidget* parent)
    : QWidget(parent),
      titleFont_(DialogUnits::WindowsFont(QStringLiteral("Tahoma"), 11)),
      subtitleFont_(DialogUnits::WindowsFont(QStringLiteral("Tahoma"), 8.5)),
      gradientStart_(151, 154, 173),
      gradientEnd_(27, 27, 37),
      edgeLine_(0, 0, 0),
      titleColor_(255, 255, 255),
      subtitleColor_(255, 255, 255) {
    setObjectName(QStringLiteral("SideBanner"));
    setProperty("controlId", kControlId);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(width(), height_);
}

CSideBannerWnd::~CSideBannerWnd() = default;

int CSideBannerWnd::ScaleForDialogFont(int value, int fontHeight, int dpi) {
    if (dpi <= 0 || fontHeight == 0) return value;
    const double points = std::fabs(fontHeight * 72.0 / dpi);
    return int(std::floor(points / 8.25 * (dpi / 96.0 * value) + 0.5));
}

int CSideBannerWnd::ScaleForDialogFont(int value, const QWidget* dialog) {
    if (dialog == nullptr) return value;
    const int dpi = dialog->logicalDpiY();
    return ScaleForDialogFont(value, FontHeight(dialog->font(), dpi), dpi);
}

QColor CSideBannerWnd::GradientColor(const QColor& start, const QColor& end, int y, int h) {
    if (h <= 1) return start;
    const auto mix = [&](int a, int b) { return a + (b - a) * y / (h - 1); };
    return QColor(mix(start.red(), end.red()), mix(start.green(), end.green()),
                  mix(start.blue(), end.blue()));
}

void CSideBannerWnd::MoveDialogChildren(int dy) {
    if (!dialog_ || dy == 0) return;
    if (QLayout* layout = dialog_->layout()) {
        QMargins margins = layout->contentsMargins();
        margins.setTop(margins.top() + dy);
        layout->setContentsMargins(margins);
        return;
    }
    const QObjectList children = dialog_->children();
    for (QObject* child : children) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget == nullptr || widget == this || widget->isWindow()) continue;
        widget->move(widget->pos() + QPoint(0, dy));
    }
}

void CSideBannerWnd::GrowDialog(int dy) {
    if (!dialog_ || dy == 0) return;
    QWidget* dialog = dialog_;
    QRect frame = dialog->geometry();
    frame.setTop(frame.top() - dy);
    if (frame.top() < 0) frame.moveTop(0);
    const QSize size = frame.size();
    if (dialog->minimumSize() == dialog->maximumSize()) {
        dialog->setFixedSize(size);
    } else {
        if (dialog->maximumHeight() < size.height()) dialog->setMaximumHeight(size.height());
        if (dialog->minimumHeight() > size.height()) dialog->setMinimumHeight(size.height());
    }
    // A window not placed yet keeps being placed by the window manager (or
    // centred by its owner); it only grows.
    if (dialog->isWindow() && !dialog->testAttribute(Qt::WA_Moved)) {
        dialog->resize(size);
    } else {
        dialog->setGeometry(frame);
    }
}

void CSideBannerWnd::AttachToDialog(QWidget* dialog) {
    if (dialog == nullptr || dialog_) return;
    dialog_ = dialog;
    edge_ = EdgeTop;
    MoveDialogChildren(height_);
    GrowDialog(height_);
    setParent(dialog);
    setGeometry(0, 0, dialog->width(), height_);
    dialog->installEventFilter(this);
    show();
    raise();

    const int scaled = ScaleForDialogFont(height_, dialog);
    if (scaled != height_) ResizeBanner(scaled);
    spacings_.titleAlong = ScaleForDialogFont(spacings_.titleAlong, dialog);
    spacings_.titleAcross = ScaleForDialogFont(spacings_.titleAcross, dialog);
    spacings_.subtitleIndent = ScaleForDialogFont(spacings_.subtitleIndent, dialog);
    spacings_.subtitleGap = ScaleForDialogFont(spacings_.subtitleGap, dialog);

    SetColors(QColor(151, 154, 173), QColor(27, 27, 37), QColor(0, 0, 0), QColor(255, 255, 255),
              QColor(255, 255, 255));

    std::optional<QFont>& shared = SharedTitleFont();
    if (!shared) {
        shared = titleFont_;
        shared->setWeight(QFont::Bold);
    }
    titleFont_ = *shared;
    update();
}

void CSideBannerWnd::ResizeBanner(int newHeight) {
    const int oldHeight = height_;
    if (dialog_) {
        MoveDialogChildren(newHeight - oldHeight);
        GrowDialog(newHeight - oldHeight);
        setGeometry(0, 0, dialog_->width(), newHeight);
        dialog_->update();
    } else {
        resize(width(), newHeight);
    }
    height_ = newHeight;
}

bool CSideBannerWnd::SetBannerIcon(const QPixmap& icon) {
    icon_ = icon;
    if (icon_.isNull()) {
        update();
        return false;
    }
    iconPlacement_ = IconStart | IconCentred;
    update();
    return true;
}

void CSideBannerWnd::SetTitle(const QString& title) {
    title_ = title;
    update();
}

void CSideBannerWnd::SetSubtitle(const QString& subtitle) {
    subtitle_ = subtitle;
    update();
}

void CSideBannerWnd::SetColors(const QColor& gradientStart, const QColor& gradientEnd,
                               const QColor& edgeLine, const QColor& title,
                               const QColor& subtitle) {
    gradientStart_ = gradientStart;
    gradientEnd_ = gradientEnd;
    edgeLine_ = edgeLine;
    titleColor_ = title;
    subtitleColor_ = subtitle;
    update();
}

int CSideBannerWnd::TextLeft() const {
    return icon_.isNull() ? 0 : spacings_.titleAlong + icon_.width();
}

QPoint CSideBannerWnd::TitleAt(int textLeft, int top) const {
    return QPoint(textLeft + spacings_.titleAlong, top + spacings_.titleAcross + 3);
}

QPoint CSideBannerWnd::SubtitleAt(int textLeft, int top) const {
    return QPoint(textLeft + spacings_.titleAlong + spacings_.subtitleIndent,
                  top + spacings_.titleAcross + spacings_.subtitleGap +
                      std::abs(FontHeight(titleFont_, logicalDpiY())));
}

QPoint CSideBannerWnd::TitleOrigin() const {
    return TitleAt(TextLeft(), 0);
}

QPoint CSideBannerWnd::SubtitleOrigin() const {
    return SubtitleAt(TextLeft(), 0);
}

void CSideBannerWnd::DrawBannerBackground(QPainter& painter, const QRect& area) const {
    if (gradientStart_ == gradientEnd_) {
        painter.fillRect(area, gradientStart_);
        return;
    }
    for (int y = 0; y < area.height(); ++y) {
        painter.fillRect(QRect(area.left(), area.top() + y, area.width(), 1),
                         GradientColor(gradientStart_, gradientEnd_, y, area.height()));
    }
}

void CSideBannerWnd::DrawEdgeLine(QPainter& painter, const QRect& area) const {
    painter.fillRect(QRect(area.left(), area.bottom(), area.width(), 1), edgeLine_);
}

int CSideBannerWnd::DrawBannerIcon(QPainter& painter, const QRect& area) const {
    if (icon_.isNull()) return area.left();
    const int bottom = area.top() + area.height();
    const int y = (area.top() + bottom) / 2 - icon_.height() / 2;
    painter.drawPixmap(area.left() + spacings_.titleAlong, y, icon_);
    return area.left() + spacings_.titleAlong + icon_.width();
}

void CSideBannerWnd::DrawBannerContent(QPainter& painter, const QRect& area, int textLeft) const {
    constexpr int flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine;
    const QPoint title = TitleAt(textLeft, area.top());
    const QPoint subtitle = SubtitleAt(textLeft, area.top());
    // Each line at a fixed point, cut at the band's edges.
    painter.setFont(titleFont_);
    painter.setPen(titleColor_);
    painter.drawText(QRect(title, area.bottomRight()), flags, title_);
    painter.setFont(subtitleFont_);
    painter.setPen(subtitleColor_);
    painter.drawText(QRect(subtitle, area.bottomRight()), flags, subtitle_);
}

QImage CSideBannerWnd::Render() const {
    QImage image(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    QPainter painter(&image);
    const QRect area = image.rect();
    DrawBannerBackground(painter, area);
    DrawEdgeLine(painter, area);
    const int textLeft = DrawBannerIcon(painter, area);
    DrawBannerContent(painter, area, textLeft);
    return image;
}

bool CSideBannerWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == dialog_ && event->type() == QEvent::Resize && dialog_->width() != width()) {
        resize(dialog_->width(), height_);
    }
    return false;
}

void CSideBannerWnd::paintEvent(QPaintEvent*) {
    // Composed off screen and copied in one block, so a repaint never shows
    // the band half drawn.
    const QImage image = Render();
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

}  // namespace ostiva
