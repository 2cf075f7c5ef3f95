// Writing sprite files: run-length rows and the plain and compressed file layouts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XpsFrame {
    int32_t fImageIndex = -1;
    int16_t fX = 0;
    int16_t fY = 0;
};

/// An 8-bit picture; pixels equal to the key are transparent when transparent is set.
struct XpsImage {
    int16_t fWidth = 0;
    int16_t fHeight = 0;
    uint8_t fKey = 0;
    bool fTransparent = false;
    std::vector<uint8_t> fPixels;   // width x height indexes, rows top-down
};

/// One row as codes: runs of the key always as runs, other repeats of three or more as
/// runs, everything else as literals (a lone pixel as a run of 1); ends with end-of-row,
/// or end-of-image for the last row.
std::vector<uint8_t> XpsEncodeRow(const uint8_t* pixels, int32_t width, bool transparent, uint8_t key, bool lastRow);

/// The whole file; the palette name must fit in 16 bytes.
std::vector<uint8_t> XpsWriteFile(const std::vector<XpsFrame>& frames, const std::vector<XpsImage>& images,
                                  const std::string& paletteName, bool compressed);
