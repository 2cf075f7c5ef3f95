// PNG files in memory as rows of 8-bit red, green, blue and alpha.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/// A picture of width x height pixels, four bytes each (red, green, blue, alpha), rows
/// top-down and packed.
struct NHostRgbaImage {
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    std::vector<uint8_t> fPixels;
};

class NHostPng {
public:
    static constexpr int32_t kMaxSide = 32767;
    static constexpr int kBytesPerPixel = 4;

    /// Decodes a PNG of any colour type and bit depth into 8-bit RGBA; false with a reason
    /// for data that are not a PNG, are damaged, or exceed kMaxSide on either side.
    static bool Decode(const uint8_t* data, size_t size, NHostRgbaImage& image, std::string& error);
    /// Encodes 8-bit RGBA rows as a PNG; false with a reason.
    static bool Encode(const NHostRgbaImage& image, std::vector<uint8_t>& data, std::string& error);
};
