// Whole-image operations: box-filter reduction and masked recolouring.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>

class NSpFrame;
class NSpImage;

/// Reduces sourceRect of a 32-bit source into destinationRect of a 32-bit destination,
/// averaging each block of source pixels (straight colours, alpha from coverage). Sets the
/// destination's alpha flag when any result is not opaque and clears its premultiplied
/// flag. False, with nothing written, for other depths, missing pixels or rectangles that
/// are empty or not inside their images.
bool AverageShrink(const NSpImage& source, const NRect& sourceRect, NSpImage& destination,
                   const NRect& destinationRect);
/// The whole source into the whole destination.
bool AverageShrink(const NSpImage& source, NSpImage& destination);
/// The image of one frame into the image of another, both whole; the caller marks the
/// receiving sprite for redrawing.
bool AverageShrink(const NSpFrame& source, NSpFrame& destination);

/// On a 32-bit image placed at imageRect, within rect (both in the same coordinates),
/// each pixel becomes (value & mask) | (pixel & ~mask).
void FillMasked(NSpImage& image, const NRect& imageRect, const NRect& rect, uint32_t value, uint32_t mask);
