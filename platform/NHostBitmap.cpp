// Memory bitmaps: pixels in ordinary memory behind the surface's header.
#include "platform/NHostBitmap.h"

#include "platform/NHostDeviceContext.h"

#include <algorithm>
#include <cstring>
#include <new>

static bool SupportedDepth(int32_t depth)
{
    return depth == 8 || depth == 16 || depth == 32;
}

std::unique_ptr<NHostBitmap> NHostBitmap::CreateDibSection(const NHostBitmapInfo& info, NHostDeviceContext&)
{
    int32_t height = -info.fHeight;
    if (info.fSize != NHostBitmapInfo::kHeaderSize || info.fPlanes != 1 || info.fCompression != NHostBitmapInfo::kUncompressed
        || !SupportedDepth(info.fBitCount) || info.fWidth <= 0 || info.fWidth > kMaxSide || height <= 0
        || height > kMaxSide)
        return nullptr;
    int32_t rowBytes = SurfaceRowBytes(info.fWidth, info.fBitCount);
    size_t size = static_cast<size_t>(rowBytes) * static_cast<size_t>(height);
    std::unique_ptr<uint8_t[]> bits(new (std::nothrow) uint8_t[size]);
    if (!bits)
        return nullptr;
    std::memset(bits.get(), 0, size);
    std::unique_ptr<NHostBitmap> bitmap(new NHostBitmap(info.fWidth, height, info.fBitCount, std::move(bits)));
    if (info.fBitCount == 8)
        bitmap->SetColorTable(0, NHostPalette::kEntries, info.fColors);
    return bitmap;
}

NHostBitmap::NHostBitmap(int32_t width, int32_t height, int32_t depth, std::unique_ptr<uint8_t[]> bits)
    : fWidth(width)
    , fHeight(height)
    , fDepth(depth)
    , fRowBytes(SurfaceRowBytes(width, depth))
    , fBits(std::move(bits))
{
}

NHostBitmap::~NHostBitmap() = default;

int NHostBitmap::SetColorTable(int first, int count, const NHostRgbQuad* colors)
{
    if (first < 0 || first >= NHostPalette::kEntries || count <= 0 || colors == nullptr)
        return 0;
    int set = std::min(count, NHostPalette::kEntries - first);
    std::copy(colors, colors + set, fColors + first);
    return set;
}
