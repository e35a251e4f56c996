#pragma once
// The stand-in's "remote screen": a small desktop with one window that shows
// the access code, and a taskbar whose progress bar moves with every frame,
// so a changing picture shows the viewer is alive.

#include <cstdint>

#include "PngWriter.h"

namespace ostiva::viewer {

inline constexpr int kPictureWidth = 120;
inline constexpr int kPictureHeight = 80;

RgbImage DrawRemoteScreen(int32_t code, unsigned frame);

}  // namespace ostiva::viewer
