// Pixel loops per depth pair. Each variant is its own loop (mirroring is a template
// argument), so the inner loops are straight copies, lookups or blends.
#include "imaging/NPixelOps.h"

#include "imaging/NSpImage.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

constexpr uint32_t kAlphaMask = 0xFF000000;
constexpr uint32_t kRedBlueMask = 0x00FF00FF;
constexpr uint32_t kGreenMask = 0x0000FF00;
constexpr int kAlphaShift = 24;
constexpr uint32_t kOpaqueAlpha = 255;
constexpr int kBlendShift = 8;
constexpr int kChannelMax = 255;
constexpr int kAlphaByte = 3;          // byte offset of alpha in a 32-bit pixel
constexpr uint32_t kFiveBits = 0x1F;
constexpr int kRed16Shift = 10;
constexpr int kGreen16Shift = 5;
constexpr int kRedTopFive = 19;
constexpr int kGreenTopFive = 11;
constexpr int kBlueTopFive = 3;
constexpr uint32_t kByte = 0xFF;
constexpr int kScaleShift = 16;
constexpr int64_t kScaleOne = int64_t(1) << kScaleShift;
constexpr int64_t kScaleHalf = kScaleOne / 2;
constexpr int kTableSize = 256;

// One block of rows to walk: first pixels of the first rows and the steps between rows.
struct Block {
    const uint8_t* fSource;
    ptrdiff_t fSourceStep;
    uint8_t* fDestination;
    ptrdiff_t fDestinationStep;
    int32_t fWidth;
    int32_t fHeight;
};

// Walks every pixel; with kMirror the destination row is filled from its right end.
template <int kSourceBytes, int kDestinationBytes, bool kMirror, class Op>
inline void Walk(const Block& block, Op op)
{
    constexpr ptrdiff_t step = kMirror ? -kDestinationBytes : kDestinationBytes;
    for (int32_t y = 0; y < block.fHeight; ++y) {
        const uint8_t* s = block.fSource + y * block.fSourceStep;
        uint8_t* d = block.fDestination + y * block.fDestinationStep;
        if (kMirror)
            d += ptrdiff_t(block.fWidth - 1) * kDestinationBytes;
        for (int32_t x = 0; x < block.fWidth; ++x, s += kSourceBytes, d += step)
            op(s, d);
    }
}

// 8 to 8 and 32 to 32 without transparency or mirroring: whole rows.
void CopyRows(const Block& block, int bytes)
{
    for (int32_t y = 0; y < block.fHeight; ++y)
        std::memcpy(block.fDestination + y * block.fDestinationStep, block.fSource + y * block.fSourceStep,
                    size_t(block.fWidth) * bytes);
}

// 8 to 8 with transparency: groups of four zero bytes are skipped at once.
template <bool kMirror>
void Copy8Transparent(const Block& block)
{
    constexpr ptrdiff_t step = kMirror ? -1 : 1;
    for (int32_t y = 0; y < block.fHeight; ++y) {
        const uint8_t* s = block.fSource + y * block.fSourceStep;
        uint8_t* d = block.fDestination + y * block.fDestinationStep + (kMirror ? block.fWidth - 1 : 0);
        int32_t x = 0;
        for (; x + 4 <= block.fWidth; x += 4, s += 4, d += 4 * step) {
            if (NLoad32(s) == 0)
                continue;
            for (int i = 0; i < 4; ++i) {
                if (s[i])
                    d[i * step] = s[i];
            }
        }
        for (; x < block.fWidth; ++x, ++s, d += step) {
            if (*s)
                *d = *s;
        }
    }
}

template <bool kMirror>
void Lookup8To32(const Block& block, const uint32_t* table, bool transparent)
{
    if (!transparent) {
        Walk<1, 4, kMirror>(block, [table](const uint8_t* s, uint8_t* d) { NStore32(d, table[*s]); });
        return;
    }
    // Runs repeat the same index, so the last lookup is kept.
    unsigned last = 0;
    uint32_t color = table[0];
    Walk<1, 4, kMirror>(block, [&](const uint8_t* s, uint8_t* d) {
        unsigned index = *s;
        if (index == 0)
            return;
        if (index != last) {
            last = index;
            color = table[index];
        }
        NStore32(d, color);
    });
}

// Coverage values darken the destination; 255 clears it to 0.
template <bool kMirror>
void Shadow8To32(const Block& block)
{
    Walk<1, 4, kMirror>(block, [](const uint8_t* s, uint8_t* d) {
        uint32_t v = *s;
        if (v == 0)
            return;
        if (v == kOpaqueAlpha) {
            NStore32(d, 0);
            return;
        }
        uint32_t keep = kChannelMax - v;
        uint32_t pixel = NLoad32(d);
        uint32_t redBlue = ((pixel & kRedBlueMask) * keep >> kBlendShift) & kRedBlueMask;
        uint32_t green = ((pixel & kGreenMask) * keep >> kBlendShift) & kGreenMask;
        NStore32(d, (pixel & kAlphaMask) | redBlue | green);
    });
}

inline uint16_t To555(uint32_t pixel)
{
    // The top five bits of each 8-bit channel.
    return static_cast<uint16_t>(((pixel >> kRedTopFive) & kFiveBits) << kRed16Shift
                                 | ((pixel >> kGreenTopFive) & kFiveBits) << kGreen16Shift
                                 | ((pixel >> kBlueTopFive) & kFiveBits));
}

template <bool kMirror>
void Convert32To16(const Block& block, bool transparent)
{
    if (transparent) {
        Walk<4, 2, kMirror>(block, [](const uint8_t* s, uint8_t* d) {
            uint32_t pixel = NLoad32(s);
            if (pixel)
                NStore16(d, To555(pixel));
        });
    } else {
        Walk<4, 2, kMirror>(block, [](const uint8_t* s, uint8_t* d) { NStore16(d, To555(NLoad32(s))); });
    }
}

// Blends on the destination's 5-bit channels with the top five bits of the source's.
template <bool kMirror, bool kPremultiplied>
void Blend32To16(const Block& block)
{
    Walk<4, 2, kMirror>(block, [](const uint8_t* s, uint8_t* d) {
        uint32_t pixel = NLoad32(s);
        uint32_t a = pixel >> kAlphaShift;
        if (a == 0)
            return;
        if (a == kOpaqueAlpha) {
            NStore16(d, To555(pixel));
            return;
        }
        uint16_t old;
        std::memcpy(&old, d, sizeof old);
        uint32_t keep = kChannelMax - a;
        uint32_t target = To555(pixel);
        uint32_t result = 0;
        for (int shift : { kRed16Shift, kGreen16Shift, 0 }) {
            uint32_t dc = (old >> shift) & kFiveBits;
            uint32_t sc = (target >> shift) & kFiveBits;
            uint32_t c = kPremultiplied ? ((dc * keep) >> kBlendShift) + sc : (dc * keep + sc * a) >> kBlendShift;
            result |= std::min(c, kFiveBits) << shift;
        }
        NStore16(d, static_cast<uint16_t>(result));
    });
}

template <bool kMirror>
void Copy32(const Block& block, bool transparent)
{
    if (transparent) {
        Walk<4, 4, kMirror>(block, [](const uint8_t* s, uint8_t* d) {
            uint32_t pixel = NLoad32(s);
            if (pixel)
                NStore32(d, pixel);
        });
    } else {
        Walk<4, 4, kMirror>(block, [](const uint8_t* s, uint8_t* d) { NStore32(d, NLoad32(s)); });
    }
}

// One pixel: red and blue blend side by side in one word (each product sum stays below
// 65536); opaque pixels replace, clear ones leave the destination.
template <bool kPremultiplied>
inline void BlendPixel(const uint8_t* s, uint8_t* d)
{
    uint32_t pixel = NLoad32(s);
    uint32_t a = pixel >> kAlphaShift;
    if (a == kOpaqueAlpha) {
        NStore32(d, pixel);
        return;
    }
    if (a == 0)
        return;
    uint32_t old = NLoad32(d);
    uint32_t keep = kChannelMax - a;
    uint32_t redBlue;
    uint32_t green;
    if (kPremultiplied) {
        // Each channel is stored in 8 bits, so a sum above 255 keeps its low byte.
        uint32_t b = ((((old & kByte) * keep) >> kBlendShift) + (pixel & kByte)) & kByte;
        uint32_t g = (((((old >> 8) & kByte) * keep) >> kBlendShift) + ((pixel >> 8) & kByte)) & kByte;
        uint32_t r = (((((old >> 16) & kByte) * keep) >> kBlendShift) + ((pixel >> 16) & kByte)) & kByte;
        redBlue = r << 16 | b;
        green = g << 8;
    } else {
        redBlue = (((old & kRedBlueMask) * keep + (pixel & kRedBlueMask) * a) >> kBlendShift) & kRedBlueMask;
        green = (((old & kGreenMask) * keep + (pixel & kGreenMask) * a) >> kBlendShift) & kGreenMask;
    }
    NStore32(d, (old & kAlphaMask) | redBlue | green);
}

#if defined(__SSE2__)
// Two pixels in 16-bit lanes, the same arithmetic as BlendPixel.
template <bool kPremultiplied>
inline __m128i BlendLanes(__m128i source, __m128i destination)
{
    constexpr int kAlphaLanes = 0xFF;   // every lane of a pixel takes its alpha lane
    __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(source, kAlphaLanes), kAlphaLanes);
    __m128i keep = _mm_sub_epi16(_mm_set1_epi16(kChannelMax), alpha);
    if (kPremultiplied) {
        __m128i sum = _mm_add_epi16(_mm_srli_epi16(_mm_mullo_epi16(destination, keep), kBlendShift), source);
        return _mm_and_si128(sum, _mm_set1_epi16(kByte));
    }
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(destination, keep), _mm_mullo_epi16(source, alpha)),
                          kBlendShift);
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Four pixels a step, the rest one by one.
template <bool kPremultiplied>
void BlendRow(const uint8_t* s, uint8_t* d, int32_t width)
{
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(int(kOpaqueAlpha));
    const __m128i alphaMask = _mm_set1_epi32(int(kAlphaMask));
    int32_t x = 0;
    for (; x + 4 <= width; x += 4, s += 16, d += 16) {
        __m128i source = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        __m128i destination = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d));
        __m128i alpha = _mm_srli_epi32(source, kAlphaShift);
        __m128i low = BlendLanes<kPremultiplied>(_mm_unpacklo_epi8(source, zero), _mm_unpacklo_epi8(destination, zero));
        __m128i high = BlendLanes<kPremultiplied>(_mm_unpackhi_epi8(source, zero), _mm_unpackhi_epi8(destination, zero));
        __m128i blended = Select(alphaMask, destination, _mm_packus_epi16(low, high));
        blended = Select(_mm_cmpeq_epi32(alpha, zero), destination, blended);
        blended = Select(_mm_cmpeq_epi32(alpha, opaque), source, blended);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), blended);
    }
    for (; x < width; ++x, s += 4, d += 4)
        BlendPixel<kPremultiplied>(s, d);
}
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define LUMORA_BLEND_AVX2 1
// Eight pixels a step on processors that have the wider registers; the lanes work as in
// BlendRow, each 128-bit half on its own.
template <bool kPremultiplied>
__attribute__((target("avx2"))) inline __m256i BlendLanesWide(__m256i source, __m256i destination)
{
    constexpr int kAlphaLanes = 0xFF;
    __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(source, kAlphaLanes), kAlphaLanes);
    __m256i keep = _mm256_sub_epi16(_mm256_set1_epi16(kChannelMax), alpha);
    if (kPremultiplied) {
        __m256i sum = _mm256_add_epi16(_mm256_srli_epi16(_mm256_mullo_epi16(destination, keep), kBlendShift), source);
        return _mm256_and_si256(sum, _mm256_set1_epi16(kByte));
    }
    return _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(destination, keep), _mm256_mullo_epi16(source, alpha)),
                             kBlendShift);
}

template <bool kPremultiplied>
__attribute__((target("avx2"))) void BlendRowWide(const uint8_t* s, uint8_t* d, int32_t width)
{
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(int(kOpaqueAlpha));
    const __m256i alphaMask = _mm256_set1_epi32(int(kAlphaMask));
    int32_t x = 0;
    for (; x + 8 <= width; x += 8, s += 32, d += 32) {
        __m256i source = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
        __m256i destination = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
        __m256i alpha = _mm256_srli_epi32(source, kAlphaShift);
        __m256i low = BlendLanesWide<kPremultiplied>(_mm256_unpacklo_epi8(source, zero),
                                                     _mm256_unpacklo_epi8(destination, zero));
        __m256i high = BlendLanesWide<kPremultiplied>(_mm256_unpackhi_epi8(source, zero),
                                                      _mm256_unpackhi_epi8(destination, zero));
        // blendv takes its second operand where the mask is set.
        __m256i blended = _mm256_blendv_epi8(_mm256_packus_epi16(low, high), destination, alphaMask);
        blended = _mm256_blendv_epi8(blended, destination, _mm256_cmpeq_epi32(alpha, zero));
        blended = _mm256_blendv_epi8(blended, source, _mm256_cmpeq_epi32(alpha, opaque));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), blended);
    }
    BlendRow<kPremultiplied>(s, d, width - x);
}

bool HasWideRegisters()
{
    static const bool sWide = __builtin_cpu_supports("avx2");
    return sWide;
}
#endif

template <bool kMirror, bool kPremultiplied>
void Blend32(const Block& block)
{
#if defined(__SSE2__)
    if (!kMirror) {
        // Chosen once per draw, not per pixel.
        auto row = BlendRow<kPremultiplied>;
#if defined(LUMORA_BLEND_AVX2)
        if (HasWideRegisters())
            row = BlendRowWide<kPremultiplied>;
#endif
        for (int32_t y = 0; y < block.fHeight; ++y)
            row(block.fSource + y * block.fSourceStep, block.fDestination + y * block.fDestinationStep, block.fWidth);
        return;
    }
#endif
    Walk<4, 4, kMirror>(block, [](const uint8_t* s, uint8_t* d) { BlendPixel<kPremultiplied>(s, d); });
}

template <bool kMirror>
bool DrawBlock(const Block& block, int sourceDepth, int destinationDepth, uint8_t flags, const uint32_t* table)
{
    bool transparent = (flags & kImageTransparent) != 0;
    bool alpha = (flags & kImageAlpha) != 0;
    bool premultiplied = (flags & kImagePremultiplied) != 0;
    if (sourceDepth == 8 && destinationDepth == 8) {
        if (transparent)
            Copy8Transparent<kMirror>(block);
        else if (!kMirror)
            CopyRows(block, 1);
        else
            Walk<1, 1, true>(block, [](const uint8_t* s, uint8_t* d) { *d = *s; });
        return true;
    }
    if (sourceDepth == 8 && destinationDepth == 32) {
        if (alpha)
            Shadow8To32<kMirror>(block);
        else
            Lookup8To32<kMirror>(block, table, transparent);
        return true;
    }
    if (sourceDepth == 32 && destinationDepth == 16) {
        if (!alpha)
            Convert32To16<kMirror>(block, transparent);
        else if (premultiplied)
            Blend32To16<kMirror, true>(block);
        else
            Blend32To16<kMirror, false>(block);
        return true;
    }
    if (sourceDepth == 32 && destinationDepth == 32) {
        if (alpha && premultiplied)
            Blend32<kMirror, true>(block);
        else if (alpha)
            Blend32<kMirror, false>(block);
        else if (!transparent && !kMirror)
            CopyRows(block, 4);
        else
            Copy32<kMirror>(block, transparent);
        return true;
    }
    return false;
}

template <int kSourceBytes, int kSourceOffset, int kDestinationBytes, int kDestinationOffset>
void MaskBlock(const Block& block, int mode, const uint8_t* scale)
{
    auto run = [&](auto op) { Walk<kSourceBytes, kDestinationBytes, false>(block, op); };
    switch (mode) {
    case kMaskCopy:
        run([scale](const uint8_t* s, uint8_t* d) { d[kDestinationOffset] = scale[s[kSourceOffset]]; });
        break;
    case kMaskCovered:
        run([scale](const uint8_t* s, uint8_t* d) {
            if (uint8_t v = scale[s[kSourceOffset]])
                d[kDestinationOffset] = v;
        });
        break;
    default:
        run([scale](const uint8_t* s, uint8_t* d) {
            if (scale[s[kSourceOffset]])
                d[kDestinationOffset] = 0;
        });
        break;
    }
}

} // namespace

bool NSourceFits(const NSpImage& image, const uint8_t* bits, const NRect& rect)
{
    return bits && rect.fX >= 0 && rect.fY >= 0 && rect.fWidth >= 0 && rect.fHeight >= 0
        && rect.Right() <= image.Width() && rect.Bottom() <= image.Height()
        && image.RowBytes() >= int32_t(image.Width()) * NSpImage::BytesPerPixel(image.Depth());
}

bool NDestinationFits(const NSpImage& image, const uint8_t* destination, int32_t width, int32_t height,
                      int32_t rowStep)
{
    // File images hold only their own data; they are never drawn into.
    const uint8_t* bits = image.GetBits();
    int bytes = NSpImage::BytesPerPixel(image.Depth());
    if (!bits || !destination || bytes == 0 || image.HasFlag(kImageHeaderRead) || rowStep <= 0 || width < 0
        || height < 0 || image.Height() <= 0)
        return false;
    if (width == 0 || height == 0)
        return true;
    auto offset = reinterpret_cast<uintptr_t>(destination) - reinterpret_cast<uintptr_t>(bits);
    if (reinterpret_cast<uintptr_t>(destination) < reinterpret_cast<uintptr_t>(bits))
        return false;
    uint64_t total = uint64_t(rowStep) * uint64_t(image.Height());
    uint64_t rowBytes = uint64_t(width) * bytes;
    uint64_t column = offset % uint64_t(rowStep);
    return column + rowBytes <= uint64_t(rowStep) && column + rowBytes <= uint64_t(image.Width()) * bytes
        && offset + uint64_t(height - 1) * rowStep + rowBytes <= total;
}

bool NDrawPixels(const NSpImage& source, const uint8_t* sourceBits, uint8_t* destination,
                 const NSpImage& destinationImage, const NRect& rect, bool flipVertically, bool mirror)
{
    int sourceDepth = source.Depth();
    int destinationDepth = destinationImage.Depth();
    bool supported = (sourceDepth == 8 && (destinationDepth == 8 || destinationDepth == 32))
        || (sourceDepth == 32 && (destinationDepth == 16 || destinationDepth == 32));
    if (!supported || !NSourceFits(source, sourceBits, rect)
        || !NDestinationFits(destinationImage, destination, rect.fWidth, rect.fHeight, destinationImage.RowBytes()))
        return false;
    const NPaletteData* palette = source.Palette().Data();
    if (sourceDepth == 8 && destinationDepth == 32 && !source.HasFlag(kImageAlpha) && !palette)
        return false;
    int sourceBytes = NSpImage::BytesPerPixel(sourceDepth);
    int32_t x = mirror ? source.Width() - rect.fX - rect.fWidth : rect.fX;
    int32_t y = flipVertically ? source.Height() - 1 - rect.fY : rect.fY;
    ptrdiff_t rowBytes = source.RowBytes();
    Block block { sourceBits + y * rowBytes + ptrdiff_t(x) * sourceBytes, flipVertically ? -rowBytes : rowBytes,
                  destination, destinationImage.RowBytes(), rect.fWidth, rect.fHeight };
    const uint32_t* table = palette ? palette->Table32() : nullptr;
    return mirror ? DrawBlock<true>(block, sourceDepth, destinationDepth, source.Flags(), table)
                  : DrawBlock<false>(block, sourceDepth, destinationDepth, source.Flags(), table);
}

void NMaskScaleTable(int percent, uint8_t table[kTableSize])
{
    for (int v = 0; v < kTableSize; ++v) {
        int64_t scaled = v;
        if (v != 0 && percent != NSpImage::kFullPercent)
            scaled = int64_t(percent) * v / NSpImage::kFullPercent;
        table[v] = static_cast<uint8_t>(std::clamp<int64_t>(scaled, 0, kChannelMax));
    }
}

bool NMaskPixels(const NSpImage& source, const uint8_t* sourceBits, uint8_t* destination,
                 const NSpImage& destinationImage, const NRect& rect, int mode, int percent)
{
    int sourceDepth = source.Depth();
    int destinationDepth = destinationImage.Depth();
    bool supported = (sourceDepth == 8 && (destinationDepth == 32 || destinationDepth == 8))
        || (sourceDepth == 32 && destinationDepth == 32 && source.HasFlag(kImageAlpha));
    if (!supported || mode < kMaskCopy || mode > kMaskClearCovered || !NSourceFits(source, sourceBits, rect)
        || !NDestinationFits(destinationImage, destination, rect.fWidth, rect.fHeight, destinationImage.RowBytes()))
        return false;
    uint8_t scale[kTableSize];
    NMaskScaleTable(percent, scale);
    int sourceBytes = NSpImage::BytesPerPixel(sourceDepth);
    ptrdiff_t rowBytes = source.RowBytes();
    Block block { sourceBits + rect.fY * rowBytes + ptrdiff_t(rect.fX) * sourceBytes, rowBytes, destination,
                  destinationImage.RowBytes(), rect.fWidth, rect.fHeight };
    if (sourceDepth == 32)
        MaskBlock<4, kAlphaByte, 4, kAlphaByte>(block, mode, scale);
    else if (destinationDepth == 32)
        MaskBlock<1, 0, 4, kAlphaByte>(block, mode, scale);
    else
        MaskBlock<1, 0, 1, 0>(block, mode, scale);
    return true;
}

void NScaleAlphaPixels(NSpImage& image, uint8_t* bits, int percent)
{
    if (!bits || !image.HasFlag(kImageAlpha) || (image.Depth() != 8 && image.Depth() != 32))
        return;
    int64_t factor = int64_t(percent) * kScaleOne / NSpImage::kFullPercent;
    uint8_t table[kTableSize];
    for (int v = 0; v < kTableSize; ++v)
        table[v] = static_cast<uint8_t>(std::clamp<int64_t>((factor * v + kScaleHalf) >> kScaleShift, 0, kChannelMax));
    int bytes = NSpImage::BytesPerPixel(image.Depth());
    int offset = image.Depth() == 32 ? kAlphaByte : 0;
    for (int32_t y = 0; y < image.Height(); ++y) {
        uint8_t* at = bits + ptrdiff_t(y) * image.RowBytes() + offset;
        for (int32_t x = 0; x < image.Width(); ++x, at += bytes)
            *at = table[*at];
    }
}
