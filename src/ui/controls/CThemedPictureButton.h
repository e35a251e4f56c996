#pragma once
// The picture button the windows instantiate. It paints its face and frame
// exactly as CPictureButton does; it exists as the one place to give all
// windows' buttons a different face or frame at once.

#include "ui/controls/CPictureButton.h"

namespace ostiva {

class CThemedPictureButton : public CPictureButton {
    Q_OBJECT
  public:
    using CPictureButton::CPictureButton;

  protected:
    void PaintFace(QPainter& painter, QRect& rect, const ItemState& state) override;
    void PaintFrame(QPainter& painter, const QRect& rect, const ItemState& state) override;
};

}  // namespace ostiva
