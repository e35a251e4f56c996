#pragma once
// The program's icon: a monitor on a blue tile with a second, smaller screen
// joined to it, the technician reaching the customer's desktop. Drawn at any
// size so that every hicolor size is sharp rather than scaled.

#include <QImage>

namespace ostiva::pictures {

// The icon sizes the desktop's icon theme looks for.
constexpr int kIconSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

QImage AppIcon(int size);

}  // namespace ostiva::pictures
