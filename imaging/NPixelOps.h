// The pixel loops behind DrawTo, MaskTo and ScaleAlpha, one per depth pair.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>
#include <cstring>

class NSpImage;

// Unaligned-safe word access; compilers turn these into plain moves.
inline uint32_t NLoad32(const uint8_t* at)
{
    uint32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

inline void NStore32(uint8_t* at, uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
}

inline void NStore16(uint8_t* at, uint16_t value)
{
    std::memcpy(at, &value, sizeof value);
}

/// True when rect lies inside the image's bounds and the image has pixels.
bool NSourceFits(const NSpImage& image, const uint8_t* bits, const NRect& rect);
/// True when width x height pixels starting at destination lie inside the destination
/// image's memory, each row within one image row; rowStep is the distance between rows.
bool NDestinationFits(const NSpImage& image, const uint8_t* destination, int32_t width, int32_t height,
                      int32_t rowStep);

/// Draws rect of the source's pixels (at sourceBits, the source's row bytes apart) to
/// destination. Supported pairs: 8 to 8, 8 to 32, 32 to 16, 32 to 32; false otherwise.
bool NDrawPixels(const NSpImage& source, const uint8_t* sourceBits, uint8_t* destination,
                 const NSpImage& destinationImage, const NRect& rect, bool flipVertically, bool mirror);
/// Writes coverage (8-bit source) or alpha (32-bit source with the alpha flag) into the
/// alpha of a 32-bit or the bytes of an 8-bit destination. Pairs 8 to 32, 32 to 32, 8 to 8.
bool NMaskPixels(const NSpImage& source, const uint8_t* sourceBits, uint8_t* destination,
                 const NSpImage& destinationImage, const NRect& rect, int mode, int percent);
/// Fills a table of the mask values for each source value under percent scaling.
void NMaskScaleTable(int percent, uint8_t table[256]);
/// Scales the alpha bytes (32 bits) or coverage bytes (8 bits) of an image with the
/// alpha flag.
void NScaleAlphaPixels(NSpImage& image, uint8_t* bits, int percent);
