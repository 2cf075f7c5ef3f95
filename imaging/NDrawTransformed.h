// Resampling one image into another through an affine map given by three point pairs.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>

class NSpImage;
class NSprite;

// Modes of DrawTransformed.
enum : int {
    kTransformOpaque = 0,      // the sample's colour, alpha 255
    kTransformCopy = 1,        // the sample's colour and alpha
    kTransformKeepAlpha = 2,   // the sample's colour, the destination's alpha
    kTransformBlend = 3,       // blended over the destination by the sample's alpha
};

struct NTransformPoint {
    double fX = 0;
    double fY = 0;
};

/// Maps sourcePoints[i] onto destinationPoints[i] and fills destinationRect from
/// sourceRect through the inverse map, sampling at pixel centres: the identity map copies
/// pixel for pixel. Pixels whose centre maps outside the source get the fill value when it
/// is not 0 and are left alone otherwise. Filtering (bilinear) is used only when both
/// images are 32-bit; opacity below 100 scales 32-bit source colours. Both rectangles are
/// clipped to their images. False for depth pairs other than 32 to 32, 8 to 32 and 8 to 8,
/// or missing pixels. Sets the destination's alpha flag after a non-zero fill of a 32-bit
/// destination (on exactly when the fill is not opaque) and clears its premultiplied flag.
bool DrawTransformed(const NSpImage& source, NSpImage& destination, const NRect& sourceRect,
                     const NRect& destinationRect, const NTransformPoint sourcePoints[3],
                     const NTransformPoint destinationPoints[3], uint32_t fill, bool filter, int mode, int opacity);
/// The same between the current images of two sprites; marks the destination sprite changed.
/// False when either sprite shows no image.
bool DrawTransformed(const NSprite& source, NSprite& destination, const NRect& sourceRect,
                     const NRect& destinationRect, const NTransformPoint sourcePoints[3],
                     const NTransformPoint destinationPoints[3], uint32_t fill, bool filter, int mode, int opacity);
