// The image base class: clipping, placement, fills, bevels and single-pixel reads.
#include "imaging/NSpImage.h"

#include "imaging/NSpMemImage.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kLowByteMask = 0xFF;
constexpr int kLowWordMask = 0xFFFF;

// Sets pixels [left, right) of one row, limited to the area.
void FillSpan(NSpImage& image, uint8_t* bits, int32_t left, int32_t right, int32_t y, const NRect& area, uint32_t value)
{
    if (y < area.fY || y >= area.Bottom())
        return;
    left = std::max<int32_t>(left, area.fX);
    right = std::min(right, area.Right());
    if (right <= left)
        return;
    uint8_t* row = bits + static_cast<ptrdiff_t>(y) * image.RowBytes();
    if (image.Depth() == 32) {
        for (int32_t x = left; x < right; ++x)
            std::memcpy(row + x * 4, &value, 4);
    } else {
        std::memset(row + left, static_cast<int>(value & kLowByteMask), static_cast<size_t>(right - left));
    }
}

} // namespace

NSpImage::NSpImage() = default;

NSpImage::~NSpImage() = default;

void NSpImage::Load() {}

void NSpImage::Unload() {}

void NSpImage::ScaleAlpha(int) {}

void NSpImage::ReservedHook1() {}

void NSpImage::ReservedHook2() {}

bool NSpImage::ClipRects(NRect& source, NRect& destination, const NRect& clip) const
{
    // Edges are computed in 32 bits; every stored result is within the old rectangles.
    if (destination.fY < clip.fY) {
        int32_t k = int32_t(clip.fY) - destination.fY;
        bool nothingLeft = clip.fY >= destination.Bottom();
        source.fY = static_cast<int16_t>(source.fY + k);
        source.fHeight = static_cast<int16_t>(source.fHeight - k);
        destination.fHeight = static_cast<int16_t>(destination.fHeight - k);
        destination.fY = clip.fY;
        if (nothingLeft)
            return false;
    }
    if (clip.Bottom() < destination.Bottom()) {
        int32_t k = destination.Bottom() - clip.Bottom();
        source.fHeight = static_cast<int16_t>(source.fHeight - k);
        destination.fHeight = static_cast<int16_t>(clip.Bottom() - destination.fY);
        if (destination.fY >= clip.Bottom())
            return false;
    }
    if (destination.fX < clip.fX) {
        int32_t k = int32_t(clip.fX) - destination.fX;
        bool nothingLeft = clip.fX >= destination.Right();
        source.fX = static_cast<int16_t>(source.fX + k);
        source.fWidth = static_cast<int16_t>(source.fWidth - k);
        destination.fWidth = static_cast<int16_t>(destination.fWidth - k);
        destination.fX = clip.fX;
        if (nothingLeft)
            return false;
    }
    if (clip.Right() < destination.Right()) {
        int32_t k = destination.Right() - clip.Right();
        source.fWidth = static_cast<int16_t>(source.fWidth - k);
        destination.fWidth = static_cast<int16_t>(clip.Right() - destination.fX);
        if (destination.fX >= clip.Right())
            return false;
    }
    return destination.fHeight != 0;
}

void NSpImage::Init(int16_t width, int16_t height, int32_t rowBytes, int16_t depth, const NPalette* palette)
{
    fWidth = width;
    fHeight = height;
    fRowBytes = rowBytes;
    fDepth = depth;
    if (palette)
        fPalette.Share(*palette);
}

bool NSpImage::DrawAt(const NRect& source, NSpImage& destination, NPoint point, const NRect* clip, bool flipVertically,
                      bool mirror)
{
    NRect from = source.Intersect(Bounds());
    NRect to(point.fX, point.fY, std::max<int16_t>(from.fWidth, 0), std::max<int16_t>(from.fHeight, 0));
    // A clip reaching past the destination is held to it, so nothing lands outside.
    NRect limit = clip ? clip->Intersect(destination.Bounds()) : destination.Bounds();
    if (!ClipRects(from, to, limit))
        return false;
    uint8_t* bits = destination.GetBits();
    int bytes = BytesPerPixel(destination.Depth());
    if (!bits || bytes == 0)
        return false;
    uint8_t* address = bits + static_cast<ptrdiff_t>(to.fY) * destination.RowBytes() + static_cast<ptrdiff_t>(to.fX) * bytes;
    return DrawTo(address, destination, from, flipVertically, mirror);
}

void NSpImage::FillRect(const NRect& rect, uint32_t value)
{
    NRect area = rect.Intersect(Bounds());
    uint8_t* bits = GetBits();
    if (area.IsEmpty() || !bits)
        return;
    for (int32_t y = area.fY; y < area.Bottom(); ++y) {
        uint8_t* row = bits + static_cast<ptrdiff_t>(y) * fRowBytes;
        switch (fDepth) {
        case 32: {
            uint8_t* at = row + area.fX * 4;
            for (int32_t x = 0; x < area.fWidth; ++x, at += 4)
                std::memcpy(at, &value, 4);
            break;
        }
        case 16: {
            // Whole words of two pixels, the odd pixel at either end on its own.
            auto pixel = static_cast<uint16_t>(value & kLowWordMask);
            uint32_t pair = uint32_t(pixel) << 16 | pixel;
            uint8_t* at = row + area.fX * 2;
            int32_t count = area.fWidth;
            for (; count >= 2; count -= 2, at += 4)
                std::memcpy(at, &pair, 4);
            if (count)
                std::memcpy(at, &pixel, 2);
            break;
        }
        case 8:
            std::memset(row + area.fX, static_cast<int>(value & kLowByteMask), static_cast<size_t>(area.fWidth));
            break;
        default:
            return;
        }
    }
}

void NSpImage::DrawBevel(const NRect& rect, const NRect& clip, uint32_t first, uint32_t second, int thickness)
{
    NRect area = clip.Intersect(Bounds());
    uint8_t* bits = GetBits();
    if (area.IsEmpty() || rect.IsEmpty() || !bits || thickness <= 0)
        return;
    int32_t left = rect.fX;
    int32_t top = rect.fY;
    int32_t right = rect.Right();
    int32_t bottom = rect.Bottom();
    int32_t bands = std::min<int32_t>(thickness, std::max(rect.fWidth, rect.fHeight));
    // Left and right bands whole, then the top and bottom bands over them, each one pixel
    // shorter per row at its far end, so the colours meet on diagonals.
    for (int32_t y = top; y < bottom; ++y) {
        FillSpan(*this, bits, left, left + bands, y, area, first);
        FillSpan(*this, bits, right - bands, right, y, area, second);
    }
    for (int32_t i = 0; i < bands && i < rect.fHeight; ++i) {
        FillSpan(*this, bits, left, right - i, top + i, area, first);
        FillSpan(*this, bits, left + i, right, bottom - 1 - i, area, second);
    }
}

uint8_t NSpImage::GetPixel(int x, int y)
{
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight || fDepth == 32)
        return 0;
    const uint8_t* bits = static_cast<const NSpImage*>(this)->GetBits();
    // File images go through their own drawing too, which checks their data against
    // their size and decodes runs, into one byte that starts at 0 so that a transparent
    // pixel reads as 0.
    if (HasFlag(kImageRunLength) || HasFlag(kImageHeaderRead) || !bits) {
        uint8_t pixel = 0;
        NSpMemImage target;
        target.SetBits(&pixel, 1, 1, 1, kDefaultDepth, nullptr);
        DrawTo(&pixel, target, NRect(int16_t(x), int16_t(y), 1, 1), false, false);
        return pixel;
    }
    int bytes = BytesPerPixel(fDepth);
    return bytes ? bits[static_cast<ptrdiff_t>(y) * fRowBytes + static_cast<ptrdiff_t>(x) * bytes] : 0;
}
