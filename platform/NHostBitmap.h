// Memory bitmaps with a colour table, the platform's drawing surfaces.
#pragma once

#include "platform/NHostPalette.h"

#include <cstdint>
#include <memory>

class NHostDeviceContext;

// One colour-table entry: blue, green, red and a flag byte, in this order in memory.
struct NHostRgbQuad {
    uint8_t fBlue = 0;
    uint8_t fGreen = 0;
    uint8_t fRed = 0;
    uint8_t fReserved = 0;
};

// Colour-table flags of the fourth byte.
enum : uint8_t {
    kColorTableNoCollapse = 4,   // keep the entry distinct when the palette is realised
};

/// The 40-byte bitmap information header and its colour table. A negative height means
/// the rows run top-down.
struct NHostBitmapInfo {
    static constexpr int32_t kHeaderSize = 40;
    static constexpr uint32_t kUncompressed = 0;

    int32_t fSize = kHeaderSize;
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    uint16_t fPlanes = 1;
    uint16_t fBitCount = 0;
    uint32_t fCompression = kUncompressed;
    uint32_t fSizeImage = 0;
    int32_t fXPelsPerMeter = 0;
    int32_t fYPelsPerMeter = 0;
    uint32_t fColorsUsed = 0;
    uint32_t fColorsImportant = 0;
    NHostRgbQuad fColors[NHostPalette::kEntries] {};
};

/// A top-down memory bitmap of 8, 16 or 32 bits per pixel whose rows are
/// (width x depth / 8 + 3) rounded down to a multiple of 4 bytes apart. Made only by
/// CreateDibSection, deleted by whoever made it.
class NHostBitmap {
public:
    static constexpr int32_t kMaxSide = 32767;

    /// A new bitmap for the header, its pixels zeroed; null when the header is not a
    /// top-down one of 8, 16 or 32 bits, 1 plane, uncompressed, or the memory is short.
    static std::unique_ptr<NHostBitmap> CreateDibSection(const NHostBitmapInfo& info, NHostDeviceContext& context);
    ~NHostBitmap();

    NHostBitmap(const NHostBitmap&) = delete;
    NHostBitmap& operator=(const NHostBitmap&) = delete;

    uint8_t* Bits() const { return fBits.get(); }
    int32_t Width() const { return fWidth; }
    int32_t Height() const { return fHeight; }
    int32_t Depth() const { return fDepth; }
    int32_t RowBytes() const { return fRowBytes; }

    const NHostRgbQuad* ColorTable() const { return fColors; }
    /// Sets count colour-table entries from first on; returns how many were set.
    int SetColorTable(int first, int count, const NHostRgbQuad* colors);

    /// The surface rule for row bytes.
    static int32_t SurfaceRowBytes(int32_t width, int32_t depth) { return (width * depth / 8 + 3) & ~3; }

private:
    NHostBitmap(int32_t width, int32_t height, int32_t depth, std::unique_ptr<uint8_t[]> bits);

    int32_t fWidth;
    int32_t fHeight;
    int32_t fDepth;
    int32_t fRowBytes;
    std::unique_ptr<uint8_t[]> fBits;
    NHostRgbQuad fColors[NHostPalette::kEntries] {};
};
