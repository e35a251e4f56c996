#pragma once
// Where a picture button puts its picture and its caption. Kept apart from the
// painting so that the arithmetic, which the windows' look depends on to the
// pixel, can be checked on its own.

#include <QRect>
#include <QSize>

namespace ostiva {

struct PictureButtonLayout {
    // Distance of the picture from the item's left edge when there is a
    // caption, and the shift of picture and caption while pressed.
    static constexpr int kPictureMargin = 3;
    static constexpr int kPressedOffset = 1;

    QRect picture;  // picture rectangle (its own size); empty without a picture
    QRect caption;  // rectangle the caption is laid out in

    // Lays out a picture of `pictureSize` (empty: none) and a caption in the
    // item rectangle. With a caption the picture sits kPictureMargin from the
    // left and the caption takes the rest of the width; without one the
    // picture is centred. Vertically the picture is centred with C++
    // (toward-zero) division, so a picture taller than the item by an odd
    // amount moves up by the rounded-down half. Both rectangles include the
    // pressed shift.
    static PictureButtonLayout Compute(const QRect& item, const QSize& pictureSize, bool hasCaption,
                                       bool pressed);

    // A block of `block` size centred in `area`, halves truncated toward zero.
    static QRect CenterBlock(const QRect& area, const QSize& block);
};

}  // namespace ostiva
