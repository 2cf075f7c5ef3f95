// Layout constants of sprite files (".xps"), shared by the reader and the sprite tool.
//
// All integers are big-endian. Header:
//
//   offset  size  field
//   0       4     version: kSpriteVersionPlain, any other value is a compressed file
//   4       4     frame count (low 16 bits, signed)
//   8       4     image count (low 16 bits, signed)
//   12      4     spare value kept with the set
//   16      16    palette file name, NUL-padded
//   32      16    reserved
//   48      4     compressed files only: absolute offset of the compressed directory
//
// Directory (at 48 in a plain file, compressed at its offset otherwise): frame records,
// then image headers.
//
//   frame record (16)            image header (16)
//   0   4  image index (-1 none)   0   4  absolute offset of the pixel block
//   4   4  reserved                4   4  size of the pixel data
//   8   4  x offset (low 16 bits)  8   2  width
//   12  4  y offset (low 16 bits)  10  2  height
//                                  12  1  depth
//                                  13  1  key index
//                                  14  1  bit 0: transparent
//                                  15  1  bit 0: run-length rows
//
// Pixel block: a row table of height 16-bit values, then the pixel data. Plain files
// store each row's start modulo 65536 (a value smaller than the one before has wrapped);
// compressed files compress each block on its own and store increments instead (row i
// starts at the sum of values 0 to i).
//
// Run-length rows, one code after another:
//
//   n v            n = 1-255: a run of n pixels of value v
//   0 0            end of row
//   0 1            end of image
//   0 n d1 .. dn   n = 2-255: n literal pixels
#pragma once

#include <cstdint>

constexpr int32_t kSpriteVersionPlain = 0x00020000;
constexpr int32_t kSpriteVersionCompressed = 0x00020001;   // what the sprite tool writes
constexpr int kSpritePaletteNameSize = 16;
constexpr int kSpriteReservedSize = 16;
constexpr int kSpriteHeaderSize = 48;
constexpr int kSpriteCompressedHeaderSize = 52;
constexpr int kSpriteFrameRecordSize = 16;
constexpr int kSpriteImageHeaderSize = 16;
constexpr int kSpriteRowEntrySize = 2;
constexpr uint32_t kSpriteRowWrap = 0x10000;

constexpr uint8_t kRunEscape = 0;       // first byte of the codes that are not runs
constexpr uint8_t kRunEndOfRow = 0;
constexpr uint8_t kRunEndOfImage = 1;
constexpr int kRunMaxLength = 255;
constexpr int kRunMinLiteral = 2;
