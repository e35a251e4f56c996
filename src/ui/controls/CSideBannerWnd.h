#pragma once
// The heading band along the top of every console window: a vertical colour
// gradient with a thin dark line along its bottom, a bold white title, a
// smaller white subtitle and, optionally, an icon at the left.
//
// AttachToDialog makes the window taller by the band's height, moves the
// window's controls down by as much and puts the band in the freed strip, so
// a window laid out without the band gets it without changing its own layout.
// Height and spacings grow with the window's font (ScaleForDialogFont).
//
// Usage in a window's constructor, after its controls are placed:
//     banner.AttachToDialog(this);
//     banner.SetBannerIcon(Pictures::IconPixmap(Pictures::LoginIcon, 32));
//     banner.SetTitle(UiText(StringId::LoginBannerTitle));
//     banner.SetSubtitle(UiText(StringId::LoginBannerSubtitle));
// The band becomes a child of the window: keep it as a member of the window
// class (members go before the window's children) or create it with new.

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace ostiva {

class CSideBannerWnd : public QWidget {
    Q_OBJECT
  public:
    // The band's edge (attached at the top) and the icon's placement bits.
    enum Edge { EdgeLeft = 1, EdgeTop = 2, EdgeRight = 4, EdgeBottom = 8 };
    enum IconPlacement {
        IconStart = 1,
        IconEnd = 2,
        IconCentred = 4,
        IconTop = 8,
        IconBottom = 16
    };

    static constexpr int kControlId = 0xFFF0;  // objectName "SideBanner", property "controlId"
    static constexpr int kDefaultHeight = 50;

    struct Spacings {
        int titleAlong = 5;      // title's distance from the band's (text area's) left
        int titleAcross = 3;     // title's distance from the band's top (plus 3)
        int subtitleIndent = 4;  // subtitle's indent relative to the title
        int subtitleGap = 10;    // extra distance of the subtitle below the title
    };

    explicit CSideBannerWnd(QWidget* parent = nullptr);
    ~CSideBannerWnd() override;

    // Attaches the band to the top of a window (once; a second call does
    // nothing). A window with a layout gets a larger top margin instead of
    // moved children.
    void AttachToDialog(QWidget* dialog);
    QWidget* Dialog() const { return dialog_; }

    // Changes the band's height after attaching: the window grows or shrinks
    // by the difference and its controls move with it.
    void ResizeBanner(int newHeight);
    int BannerHeight() const { return height_; }

    // Takes the icon (its size is the pixmap's); false for a null pixmap,
    // which leaves the band without an icon.
    bool SetBannerIcon(const QPixmap& icon);
    const QPixmap& BannerIcon() const { return icon_; }
    int IconPlacementBits() const { return iconPlacement_; }

    void SetTitle(const QString& title);
    void SetSubtitle(const QString& subtitle);
    QString Title() const { return title_; }
    QString Subtitle() const { return subtitle_; }

    void SetColors(const QColor& gradientStart, const QColor& gradientEnd, const QColor& edgeLine,
                   const QColor& title, const QColor& subtitle);

    const Spacings& BannerSpacings() const { return spacings_; }
    const QFont& TitleFont() const { return titleFont_; }
    const QFont& SubtitleFont() const { return subtitleFont_; }
    int EdgeBits() const { return edge_; }

    // Where the title and the subtitle start, in band coordinates.
    QPoint TitleOrigin() const;
    QPoint SubtitleOrigin() const;

    // The band as painted, at its current size.
    QImage Render() const;

    // value scaled by the size of a font of height `fontHeight` (logical
    // units, negative for a character height as Windows stores it) at `dpi`:
    // floor(|h * 72 / dpi| / 8.25 * (dpi / 96 * value) + 0.5). An 8-point
    // font at 96 dpi (h = -11) leaves the value as it is; a 10-point one
    // (h = -13) turns 50 into 59.
    static int ScaleForDialogFont(int value, int fontHeight, int dpi);
    // The same with the window's font and resolution; the value unchanged
    // without a window.
    static int ScaleForDialogFont(int value, const QWidget* dialog);

    // Colour of row y of a gradient h rows high from start (top row) to end
    // (bottom row).
    static QColor GradientColor(const QColor& start, const QColor& end, int y, int h);

  protected:
    virtual void DrawBannerBackground(QPainter& painter, const QRect& area) const;
    virtual void DrawEdgeLine(QPainter& painter, const QRect& area) const;
    // Draws the icon and returns the left of the text area.
    virtual int DrawBannerIcon(QPainter& painter, const QRect& area) const;
    virtual void DrawBannerContent(QPainter& painter, const QRect& area, int textLeft) const;

    void paintEvent(QPaintEvent* event) override;
    // Keeps the band as wide as its window.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void MoveDialogChildren(int dy);
    void GrowDialog(int dy);
    int TextLeft() const;
    QPoint TitleAt(int textLeft, int top) const;
    QPoint SubtitleAt(int textLeft, int top) const;

    QPointer<QWidget> dialog_;
    int height_ = kDefaultHeight;
    int edge_ = 0;
    int iconPlacement_ = IconEnd;
    QString title_ = QStringLiteral(" ");
    QString subtitle_ = QStringLiteral(" ");
    QPixmap icon_;
    Spacings spacings_;
    QFont titleFont_;
    QFont subtitleFont_;
    QColor gradientStart_;
    QColor gradientEnd_;
    QColor edgeLine_;
    QColor titleColor_;
    QColor subtitleColor_;
};

}  // namespace ostiva
