#include "ScreenPicture.h"

#include <string>

namespace ostiva::viewer {

namespace {

// 3 x 5 glyphs, one row per entry, the high bit on the left.
constexpr uint8_t kDigits[10][5] = {
    {7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7}, {5, 5, 7, 1, 1},
    {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1}, {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7},
};
constexpr uint8_t kDash[5] = {0, 0, 7, 0, 0};
constexpr int kScale = 2;
constexpr int kAdvance = 4 * kScale;  // glyph and one column of space

void DrawGlyph(RgbImage* image, const uint8_t rows[5], int left, int top, uint32_t rgb) {
    for (int row = 0; row < 5; ++row) {
        for (int column = 0; column < 3; ++column) {
            if (rows[row] & (4 >> column)) {
                image->Fill(left + column * kScale, top + row * kScale,
                            left + (column + 1) * kScale, top + (row + 1) * kScale, rgb);
            }
        }
    }
}

void DrawText(RgbImage* image, const std::string& text, int centreX, int top, uint32_t rgb) {
    int left = centreX - static_cast<int>(text.size()) * kAdvance / 2;
    for (char c : text) {
        if (c >= '0' && c <= '9') DrawGlyph(image, kDigits[c - '0'], left, top, rgb);
        if (c == '-') DrawGlyph(image, kDash, left, top, rgb);
        left += kAdvance;
    }
}

}  // namespace

RgbImage DrawRemoteScreen(int32_t code, unsigned frame) {
    RgbImage image(kPictureWidth, kPictureHeight);
    // Desktop: a vertical teal gradient.
    for (int y = 0; y < kPictureHeight; ++y) {
        const uint32_t g = 0x60 + static_cast<uint32_t>(y);
        image.Fill(0, y, kPictureWidth, y + 1, (0x10u << 16) | (g << 8) | (g + 0x10));
    }
    // A window with its title bar and the code in its body.
    image.Fill(8, 6, 112, 60, 0x404040);
    image.Fill(9, 7, 111, 16, 0x1F4E9C);
    image.Fill(104, 9, 109, 14, 0xD04040);
    image.Fill(9, 16, 111, 59, 0xECECEC);
    const std::string text = std::to_string(code / 1000) + "-" + std::to_string(code % 1000);
    DrawText(&image, text, kPictureWidth / 2, 28, 0x202020);
    // Taskbar with a start button and a bar that grows frame by frame.
    image.Fill(0, 68, kPictureWidth, kPictureHeight, 0x303038);
    image.Fill(2, 70, 16, 78, 0x3C9A3C);
    image.Fill(20, 72, 20 + static_cast<int>(frame % 90), 76, 0xF0C020);
    return image;
}

}  // namespace ostiva::viewer
