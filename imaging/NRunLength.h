// Run-length row decoders for 8-, 16- and 32-bit destinations and for masks.
#pragma once

#include <cstdint>

/// One row's codes, from codes up to end (the end of the image's pixel data: no code is
/// read past it). Every decoder first skips skip pixels (splitting the code that
/// straddles the boundary), then produces count pixels; an end-of-row or end-of-image
/// code, or a code that does not fit before end, ends the row and leaves the rest of the
/// destination untouched. Mirrored decoders write from destination leftwards (destination
/// is then the rightmost pixel). With transparent set, runs of the key leave their pixels
/// untouched; literal pixels are always written.
struct NRunLengthRow {
    const uint8_t* fCodes;
    const uint8_t* fEnd;
    int32_t fSkip;
    int32_t fCount;
    bool fMirror;
    bool fTransparent;
    uint8_t fKey;
};

/// Indexes copied, runs as whole fills.
void NDecodeRow8(const NRunLengthRow& row, uint8_t* destination);
/// Indexes through the palette's 16-bit table.
void NDecodeRow16(const NRunLengthRow& row, uint8_t* destination, const uint16_t* table);
/// Indexes through the palette's 32-bit table.
void NDecodeRow32(const NRunLengthRow& row, uint8_t* destination, const uint32_t* table);
/// Values are coverage: 0 leaves the pixel, 255 makes it 0, other values v scale red,
/// green and blue by (255 - v) / 256.
void NDecodeRowShadow32(const NRunLengthRow& row, uint8_t* destination);
/// Mask values (already scaled through scale) into bytes bytesPerPixel apart at offset
/// (the alpha byte of 32-bit pixels, or each byte of 8-bit ones), by mask mode. Neither
/// the key nor mirroring applies.
void NDecodeRowMask(const NRunLengthRow& row, uint8_t* destination, int bytesPerPixel, int mode,
                    const uint8_t* scale);
