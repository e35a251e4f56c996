#include "ui/controls/PictureButtonLayout.h"

namespace ostiva {

PictureButtonLayout PictureButtonLayout::Compute(const QRect& item, const QSize& pictureSize,
                                                 bool hasCaption, bool pressed) {
    PictureButtonLayout layout;
    layout.caption = item;
    const int shift = pressed ? kPressedOffset : 0;
    if (!pictureSize.isEmpty()) {
        const int width = pictureSize.width();
        const int height = pictureSize.height();
        const int x =
            hasCaption ? item.left() + kPictureMargin : item.left() + (item.width() - width) / 2;
        const int y = item.top() + (item.height() - height) / 2;
        layout.picture = QRect(x + shift, y + shift, width, height);
        if (hasCaption) {
            layout.caption.setLeft(item.left() + kPictureMargin + width);
        }
    }
    layout.caption.translate(shift, shift);
    return layout;
}

QRect PictureButtonLayout::CenterBlock(const QRect& area, const QSize& block) {
    return QRect(area.left() + (area.width() - block.width()) / 2,
                 area.top() + (area.height() - block.height()) / 2, block.width(), block.height());
}

}  // namespace ostiva
