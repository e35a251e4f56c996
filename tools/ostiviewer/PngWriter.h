#pragma once
// Encodes an 8-bit RGB picture as PNG (one IDAT, no interlace) and writes
// it so that a reader never sees a half-written file.

#include <cstdint>
#include <string>
#include <vector>

namespace ostiva::viewer {

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;  // width * height * 3, rows top to bottom

    RgbImage(int w, int h) : width(w), height(h), pixels(static_cast<size_t>(w * h * 3)) {}
    void Set(int x, int y, uint32_t rgb);
    void Fill(int x0, int y0, int x1, int y1, uint32_t rgb);  // [x0, x1) x [y0, y1), clipped
};

// The PNG file's bytes; empty when compression fails.
std::vector<uint8_t> EncodePng(const RgbImage& image);

// Writes `bytes` to "<path>.tmp.<pid>" and renames it over `path`. False on
// any failure, with the temporary file removed.
bool WriteFileAtomically(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace ostiva::viewer
