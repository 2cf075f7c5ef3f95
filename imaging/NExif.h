// The orientation tag of an EXIF block, as cameras record how they were held.
#pragma once

#include <cstddef>
#include <cstdint>

// EXIF orientations: where row 0 and column 0 of the stored picture belong.
enum : int {
    kExifUpright = 1,          // as stored
    kExifMirrored = 2,         // mirrored left to right
    kExifUpsideDown = 3,       // turned 180 degrees
    kExifFlipped = 4,          // mirrored top to bottom
    kExifTransposed = 5,       // mirrored along the main diagonal
    kExifTurnedRight = 6,      // to be turned 90 degrees clockwise
    kExifTransverse = 7,       // mirrored along the other diagonal
    kExifTurnedLeft = 8,       // to be turned 90 degrees anticlockwise
};

/// The orientation recorded in an APP1 marker's body ("Exif\0\0" and a TIFF block);
/// kExifUpright when there is none or the block is damaged.
int NExifOrientation(const uint8_t* body, size_t size);

/// Orientations 5 to 8 exchange width and height.
constexpr bool NExifSwapsSize(int orientation)
{
    return orientation >= kExifTransposed && orientation <= kExifTurnedLeft;
}
