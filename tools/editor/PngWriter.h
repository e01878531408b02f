#pragma once

#include <cstdint>
#include <vector>

// An 8-bit RGB picture, rows top to bottom, three bytes a pixel.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The picture as a PNG file: one IDAT chunk, rows unfiltered, deflated by zlib.
std::vector<uint8_t> EncodePng(const RgbImage& image);
