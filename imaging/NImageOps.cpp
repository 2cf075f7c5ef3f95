// Box-filter reduction of 32-bit images and masked recolouring.
#include "imaging/NImageOps.h"

#include "imaging/NPixelOps.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpImage.h"

#include <algorithm>


#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColorMask = 0x00FFFFFF;
constexpr uint32_t kFullWeight = 255;
constexpr int kAlphaShift = 24;
constexpr uint32_t kChannelMask = 0xFF;
constexpr double kRounding = 0.5;
constexpr int32_t kColumnBand = 256;

// Sums over one block of source pixels.
struct Sums {
    uint64_t fRed = 0;
    uint64_t fGreen = 0;
    uint64_t fBlue = 0;
    uint64_t fWeight = 0;
    uint64_t fCount = 0;   // every pixel of the block
    uint64_t fUsed = 0;
};

// First and end (exclusive) source index of output index r: at least one index each.
inline void BlockEdges(int32_t r, double ratio, int32_t size, int32_t& first, int32_t& end)
{
    // Both values are positive, so the conversion truncates as trunc() does.
    first = static_cast<int32_t>(r * ratio + kRounding);
    end = static_cast<int32_t>((r + 1) * ratio + kRounding);
    if (end > size)
        end = size;
    if (first > end)
        first = end;
    if (end == first) {
        if (end < size)
            ++end;
        else
            --first;
    }
}

// Pixels with alpha: colours weighted by their alpha.
void SumAlpha(const uint8_t* row, ptrdiff_t rowBytes, int32_t width, int32_t height, Sums& sums)
{
    for (int32_t y = 0; y < height; ++y, row += rowBytes) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t pixel = NLoad32(row + x * 4);
            uint32_t a = pixel >> kAlphaShift;
            sums.fWeight += a;
            if (a == kFullWeight) {
                sums.fRed += (pixel >> 16) & kChannelMask;
                sums.fGreen += (pixel >> 8) & kChannelMask;
                sums.fBlue += pixel & kChannelMask;
            } else if (a != 0) {
                sums.fRed += ((pixel >> 16) & kChannelMask) * a / kFullWeight;
                sums.fGreen += ((pixel >> 8) & kChannelMask) * a / kFullWeight;
                sums.fBlue += (pixel & kChannelMask) * a / kFullWeight;
            }
        }
    }
    uint64_t pixels = uint64_t(width) * uint64_t(height);
    sums.fCount += pixels;
    sums.fUsed += pixels;
}

// Pixels without alpha; with transparency, black pixels are not used (they add nothing to
// the channel sums, so only the count of used pixels differs).
template <bool kTransparent>
void SumPlain(const uint8_t* row, ptrdiff_t rowBytes, int32_t width, int32_t height, Sums& sums)
{
    uint64_t unused = 0;
    uint64_t red = 0;
    uint64_t green = 0;
    uint64_t blue = 0;
#if defined(__SSE2__)
    // Channels add up in 16-bit lanes, two pixels a lane per step, emptied into the
    // 64-bit sums before a lane can overflow and at the end of the block.
    constexpr int kStepsPerFlush = 128;
    const __m128i zero = _mm_setzero_si128();
    const __m128i colorMask = _mm_set1_epi32(int(kColorMask));
    __m128i lanes = zero;
    int steps = 0;
    auto flush = [&] {
        __m128i wide = _mm_add_epi32(_mm_unpacklo_epi16(lanes, zero), _mm_unpackhi_epi16(lanes, zero));
        alignas(16) uint32_t channels[4];
        _mm_store_si128(reinterpret_cast<__m128i*>(channels), wide);
        blue += channels[0];
        green += channels[1];
        red += channels[2];
        lanes = zero;
        steps = 0;
    };
#endif
    for (int32_t y = 0; y < height; ++y, row += rowBytes) {
        int32_t x = 0;
#if defined(__SSE2__)
        for (; x + 4 <= width; x += 4) {
            __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x * 4));
            lanes = _mm_add_epi16(lanes, _mm_add_epi16(_mm_unpacklo_epi8(pixels, zero), _mm_unpackhi_epi8(pixels, zero)));
            if (kTransparent) {
                __m128i black = _mm_cmpeq_epi32(_mm_and_si128(pixels, colorMask), zero);
                unused += uint64_t(__builtin_popcount(unsigned(_mm_movemask_ps(_mm_castsi128_ps(black)))));
            }
            if (++steps == kStepsPerFlush)
                flush();
        }
#endif
        for (; x < width; ++x) {
            uint32_t pixel = NLoad32(row + x * 4);
            if (kTransparent && (pixel & kColorMask) == 0)
                ++unused;
            red += (pixel >> 16) & kChannelMask;
            green += (pixel >> 8) & kChannelMask;
            blue += pixel & kChannelMask;
        }
    }
#if defined(__SSE2__)
    flush();
#endif
    uint64_t pixels = uint64_t(width) * uint64_t(height);
    sums.fRed += red;
    sums.fGreen += green;
    sums.fBlue += blue;
    sums.fCount += pixels;
    sums.fUsed += pixels - unused;
    sums.fWeight += (pixels - unused) * kFullWeight;
}

// Exact division by divisors that repeat from block to block: a cached reciprocal times a
// numerator below 2^32 gives the exact quotient (the division is most of the cost of a
// block otherwise); other numerators divide plainly.
class Divider {
public:
    uint64_t Divide(uint64_t numerator, uint64_t divisor)
    {
        if (divisor <= 1 || numerator > UINT32_MAX || divisor > UINT32_MAX)
            return divisor ? numerator / divisor : 0;
        if (divisor != fDivisor) {
            fDivisor = divisor;
            fReciprocal = UINT64_MAX / divisor + 1;
        }
        return uint64_t((static_cast<unsigned __int128>(fReciprocal) * numerator) >> 64);
    }

private:
    uint64_t fDivisor = 0;
    uint64_t fReciprocal = 0;
};

uint32_t Average(const Sums& sums, Divider& byCount, Divider& byWeight)
{
    if (sums.fUsed == 0)
        return 0;
    auto alpha = static_cast<uint32_t>(byCount.Divide(sums.fWeight, sums.fCount));
    if (sums.fWeight == 0)
        return alpha << kAlphaShift;
    auto channel = [&](uint64_t sum) {
        return static_cast<uint32_t>(byWeight.Divide(sum * kFullWeight, sums.fWeight)) & kChannelMask;
    };
    return alpha << kAlphaShift | channel(sums.fRed) << 16 | channel(sums.fGreen) << 8 | channel(sums.fBlue);
}

bool Inside(const NRect& rect, const NSpImage& image)
{
    return !rect.IsEmpty() && rect.fX >= 0 && rect.fY >= 0 && rect.Right() <= image.Width()
        && rect.Bottom() <= image.Height();
}

} // namespace

bool AverageShrink(const NSpImage& source, const NRect& sourceRect, NSpImage& destination,
                   const NRect& destinationRect)
{
    const uint8_t* sourceBits = source.GetBits();
    uint8_t* destinationBits = destination.GetBits();
    if (source.Depth() != 32 || destination.Depth() != 32 || !sourceBits || !destinationBits
        || !Inside(sourceRect, source) || !Inside(destinationRect, destination)
        || source.RowBytes() < source.Width() * 4 || destination.RowBytes() < destination.Width() * 4)
        return false;
    double rowRatio = double(sourceRect.fHeight) / destinationRect.fHeight;
    double columnRatio = double(sourceRect.fWidth) / destinationRect.fWidth;
    bool alpha = source.HasFlag(kImageAlpha);
    bool transparent = source.HasFlag(kImageTransparent);
    bool anyClear = false;
    ptrdiff_t sourceRowBytes = source.RowBytes();
    Divider byCount;
    Divider byWeight;
    // Column edges are the same on every row: they are worked out once per band of
    // columns, in a table on the stack.
    int32_t firstColumns[kColumnBand];
    int32_t endColumns[kColumnBand];
    for (int32_t band = 0; band < destinationRect.fWidth; band += kColumnBand) {
        int32_t columns = std::min<int32_t>(kColumnBand, destinationRect.fWidth - band);
        for (int32_t c = 0; c < columns; ++c)
            BlockEdges(band + c, columnRatio, sourceRect.fWidth, firstColumns[c], endColumns[c]);
        for (int32_t r = 0; r < destinationRect.fHeight; ++r) {
            int32_t firstRow = 0;
            int32_t endRow = 0;
            BlockEdges(r, rowRatio, sourceRect.fHeight, firstRow, endRow);
            uint8_t* out = destinationBits + ptrdiff_t(destinationRect.fY + r) * destination.RowBytes()
                + ptrdiff_t(destinationRect.fX + band) * 4;
            const uint8_t* rows = sourceBits + ptrdiff_t(sourceRect.fY + firstRow) * sourceRowBytes
                + ptrdiff_t(sourceRect.fX) * 4;
            int32_t height = endRow - firstRow;
            for (int32_t c = 0; c < columns; ++c) {
                const uint8_t* block = rows + ptrdiff_t(firstColumns[c]) * 4;
                int32_t width = endColumns[c] - firstColumns[c];
                Sums sums;
                if (alpha)
                    SumAlpha(block, sourceRowBytes, width, height, sums);
                else if (transparent)
                    SumPlain<true>(block, sourceRowBytes, width, height, sums);
                else
                    SumPlain<false>(block, sourceRowBytes, width, height, sums);
                uint32_t word = Average(sums, byCount, byWeight);
                anyClear |= word < kOpaque;
                NStore32(out + c * 4, word);
            }
        }
    }
    destination.SetFlag(kImageAlpha, anyClear);
    destination.SetFlag(kImagePremultiplied, false);
    return true;
}

bool AverageShrink(const NSpImage& source, NSpImage& destination)
{
    return AverageShrink(source, source.Bounds(), destination, destination.Bounds());
}

bool AverageShrink(const NSpFrame& source, NSpFrame& destination)
{
    const NSpImage* from = source.GetImage();
    NSpImage* to = destination.GetImage();
    return from && to && AverageShrink(*from, *to);
}

void FillMasked(NSpImage& image, const NRect& imageRect, const NRect& rect, uint32_t value, uint32_t mask)
{
    uint8_t* bits = image.GetBits();
    if (image.Depth() != 32 || !bits)
        return;
    NRect area = rect.Intersect(imageRect).Offset(-imageRect.fX, -imageRect.fY).Intersect(image.Bounds());
    if (area.IsEmpty())
        return;
    uint32_t fill = value & mask;
    for (int32_t y = area.fY; y < area.Bottom(); ++y) {
        uint8_t* at = bits + ptrdiff_t(y) * image.RowBytes() + ptrdiff_t(area.fX) * 4;
        for (int32_t x = 0; x < area.fWidth; ++x, at += 4)
            NStore32(at, fill | (NLoad32(at) & ~mask));
    }
}
