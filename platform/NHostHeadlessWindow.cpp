// The headless window: presented pixels kept in memory in the colours a display would show.
#include "platform/NHostHeadlessWindow.h"

#include "platform/NHostBitmap.h"
#include "platform/NHostPng.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kColorMask = 0x00FFFFFF;
constexpr int kFiveBits = 0x1F;

uint32_t Rgb(uint8_t red, uint8_t green, uint8_t blue)
{
    return kOpaque | uint32_t(red) << 16 | uint32_t(green) << 8 | blue;
}

// Expands a 5-bit channel to 8 bits the way displays do (the top bits repeat below).
uint8_t Expand5(int value)
{
    return uint8_t(value << 3 | value >> 2);
}

} // namespace

NHostHeadlessWindow::NHostHeadlessWindow(int32_t width, int32_t height, int32_t displayDepth)
    : fWidth(std::max(width, 0))
    , fHeight(std::max(height, 0))
    , fDisplayDepth(displayDepth)
    , fContext(NHostDeviceContext::CreateCompatible())
    , fPixels(size_t(fWidth) * size_t(fHeight), kBlank)
{
}

NHostHeadlessWindow::~NHostHeadlessWindow() = default;

NHostDeviceContext& NHostHeadlessWindow::AcquireContext()
{
    ++fContextUsers;
    return *fContext;
}

void NHostHeadlessWindow::ReleaseContext()
{
    if (fContextUsers > 0)
        --fContextUsers;
}

bool NHostHeadlessWindow::CopyFrom(const NHostDeviceContext& source, int32_t sourceX, int32_t sourceY, int32_t x,
                                   int32_t y, int32_t width, int32_t height)
{
    const NHostBitmap* bitmap = source.SelectedBitmap();
    if (!bitmap || !bitmap->Bits())
        return false;
    // Clip against the window, then against the bitmap, moving both origins together.
    int32_t left = std::max({ x, int32_t(0), x - sourceX });
    int32_t top = std::max({ y, int32_t(0), y - sourceY });
    int32_t right = std::min({ x + width, fWidth, x - sourceX + bitmap->Width() });
    int32_t bottom = std::min({ y + height, fHeight, y - sourceY + bitmap->Height() });
    if (right <= left || bottom <= top)
        return true;
    fCopies.push_back({ left, top, right - left, bottom - top });

    uint32_t colors[NHostPalette::kEntries];
    if (bitmap->Depth() == kPaletteDepth) {
        bool useWindowPalette = fDisplayDepth == kPaletteDepth && fContext->HasRealizedPalette();
        for (int i = 0; i < NHostPalette::kEntries; ++i) {
            if (useWindowPalette) {
                const NHostColor& entry = fContext->SelectedPalette().Entry(i);
                colors[i] = Rgb(entry.fRed, entry.fGreen, entry.fBlue);
            } else {
                const NHostRgbQuad& quad = bitmap->ColorTable()[i];
                colors[i] = Rgb(quad.fRed, quad.fGreen, quad.fBlue);
            }
        }
    }
    int32_t rowPixels = right - left;
    for (int32_t row = top; row < bottom; ++row) {
        const uint8_t* from = bitmap->Bits() + size_t(row - y + sourceY) * size_t(bitmap->RowBytes());
        int32_t column = left - x + sourceX;
        uint32_t* to = fPixels.data() + size_t(row) * size_t(fWidth) + size_t(left);
        switch (bitmap->Depth()) {
        case kTrueColorDepth:
            // Kept with whatever alpha the surface had; Pixel and SavePng ignore it.
            std::memcpy(to, from + size_t(column) * 4, size_t(rowPixels) * 4);
            break;
        case kPaletteDepth:
            for (int32_t i = 0; i < rowPixels; ++i)
                to[i] = colors[from[column + i]];
            break;
        default: {
            const uint8_t* start = from + size_t(column) * 2;
            for (int32_t i = 0; i < rowPixels; ++i) {
                uint16_t pixel;
                std::memcpy(&pixel, start + size_t(i) * 2, sizeof pixel);
                to[i] = Rgb(Expand5(pixel >> 10 & kFiveBits), Expand5(pixel >> 5 & kFiveBits), Expand5(pixel & kFiveBits));
            }
            break;
        }
        }
    }
    return true;
}

uint32_t NHostHeadlessWindow::Pixel(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= fWidth || y >= fHeight)
        return 0;
    return kOpaque | (fPixels[size_t(y) * size_t(fWidth) + size_t(x)] & kColorMask);
}

bool NHostHeadlessWindow::SavePng(const std::string& path, std::string& error) const
{
    NHostRgbaImage image;
    image.fWidth = fWidth;
    image.fHeight = fHeight;
    image.fPixels.resize(fPixels.size() * NHostPng::kBytesPerPixel);
    for (size_t i = 0; i < fPixels.size(); ++i) {
        uint32_t pixel = fPixels[i];
        image.fPixels[i * 4] = uint8_t(pixel >> 16);
        image.fPixels[i * 4 + 1] = uint8_t(pixel >> 8);
        image.fPixels[i * 4 + 2] = uint8_t(pixel);
        image.fPixels[i * 4 + 3] = uint8_t(kOpaque >> 24);
    }
    std::vector<uint8_t> data;
    if (!NHostPng::Encode(image, data, error))
        return false;
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()))) {
        error = path + ": cannot write the file";
        return false;
    }
    return true;
}
