#include "ui/controls/CThemedPictureButton.h"

namespace ostiva {

void CThemedPictureButton::PaintFace(QPainter& painter, QRect& rect, const ItemState& state) {
    CPictureButton::PaintFace(painter, rect, state);
}

void CThemedPictureButton::PaintFrame(QPainter& painter, const QRect& rect,
                                      const ItemState& state) {
    CPictureButton::PaintFrame(painter, rect, state);
}

}  // namespace ostiva
