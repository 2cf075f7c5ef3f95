// The image base class: geometry, flags, palette and the pixel operations all images share.
#pragma once

#include "imaging/NPalette.h"
#include "geometry/NRect.h"

#include <cstdint>

// Bits of NSpImage::Flags(). Bits 5 to 7 carry nothing and are kept as they are.
enum : uint8_t {
    kImageTransparent = 0x01,    // the transparent value is not drawn
    kImageRunLength = 0x02,      // rows are run-length encoded (file images)
    kImageHeaderRead = 0x04,     // a file image's header has been read
    kImageAlpha = 0x08,          // 32 bits: alpha is meaningful; 8 bits: values are coverage
    kImagePremultiplied = 0x10,  // 32-bit colours are already multiplied by alpha
};

// Modes of MaskTo.
enum : int {
    kMaskCopy = 0,          // destination alpha (or byte) := v for every pixel
    kMaskCovered = 1,       // := v where v is not 0
    kMaskClearCovered = 2,  // := 0 where v is not 0
};

/// Pixel (x, y) lies at bits + y x row bytes + x x depth / 8, rows top to bottom. Depths
/// are 8 (palette indexes), 16 (5-5-5, destinations only) and 32 (0xAARRGGBB).
class NSpImage {
public:
    static constexpr int16_t kDefaultDepth = 8;
    static constexpr int kFullPercent = 100;

    virtual ~NSpImage();

    // Residency
    /// Makes the pixels resident; nothing for images in memory.
    virtual void Load();
    /// Drops pixels that can be read again; nothing for images in memory.
    virtual void Unload();

    // Clipping
    /// Moves each edge of destination inside clip (top, bottom, left, right) and the source
    /// by the same amounts; false when nothing is left.
    virtual bool ClipRects(NRect& source, NRect& destination, const NRect& clip) const;

    // Pixels
    /// Scales alpha (32 bits) or coverage (8 bits) of an image with the alpha flag.
    virtual void ScaleAlpha(int percent);
    virtual const uint8_t* GetBits() const = 0;
    virtual uint8_t* GetBits() = 0;
    virtual void ReservedHook1();
    virtual void ReservedHook2();
    virtual void FreeBits() = 0;

    // Drawing
    /// Draws the source rectangle (already clipped) into the destination image with its
    /// top-left pixel at destination; false for unsupported depth pairs.
    virtual bool DrawTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, bool flipVertically,
                        bool mirror)
        = 0;
    /// Writes the source's coverage into the destination's alpha (32 bits) or bytes (8 bits).
    virtual bool MaskTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, int mode, int percent)
        = 0;

    /// Stores the geometry; a null palette keeps the current one, any other is shared.
    void Init(int16_t width, int16_t height, int32_t rowBytes, int16_t depth, const NPalette* palette);
    /// Clips and draws part of this image at point of the destination; with no clip
    /// rectangle the destination's bounds clip.
    bool DrawAt(const NRect& source, NSpImage& destination, NPoint point, const NRect* clip, bool flipVertically,
                bool mirror);
    void FillRect(const NRect& rect, uint32_t value);
    /// A frame thickness pixels wide inside rect: left and top in first, right and bottom in
    /// second, the colours meeting on diagonals at the top-right and bottom-left corners.
    void DrawBevel(const NRect& rect, const NRect& clip, uint32_t first, uint32_t second, int thickness);
    /// The 8-bit value at (x, y); 0 outside the image and for 32-bit images.
    uint8_t GetPixel(int x, int y);

    uint8_t Flags() const { return fFlags; }
    void SetFlags(uint8_t flags) { fFlags = flags; }
    bool HasFlag(uint8_t flag) const { return (fFlags & flag) != 0; }
    void SetFlag(uint8_t flag, bool on) { fFlags = on ? uint8_t(fFlags | flag) : uint8_t(fFlags & ~flag); }
    uint8_t KeyIndex() const { return fKeyIndex; }
    void SetKeyIndex(uint8_t key) { fKeyIndex = key; }
    int16_t Depth() const { return fDepth; }
    int16_t Width() const { return fWidth; }
    int16_t Height() const { return fHeight; }
    int32_t RowBytes() const { return fRowBytes; }
    NRect Bounds() const { return NRect(0, 0, fWidth, fHeight); }
    const NPalette& Palette() const { return fPalette; }
    /// Bytes per pixel of the depth: 1, 2 or 4; 0 for a depth no operation supports.
    static int BytesPerPixel(int depth) { return depth == 8 || depth == 16 || depth == 32 ? depth / 8 : 0; }

protected:
    NSpImage();
    NSpImage(const NSpImage&) = delete;
    NSpImage& operator=(const NSpImage&) = delete;

    uint8_t fFlags = kImageTransparent;
    uint8_t fKeyIndex = 0;
    int16_t fDepth = kDefaultDepth;
    int16_t fWidth = 0;
    int16_t fHeight = 0;
    // Wider than the 16 bits of the geometry: a 32-bit row of more than 8191 pixels
    // would not fit.
    int32_t fRowBytes = 0;
    NPalette fPalette;
};
