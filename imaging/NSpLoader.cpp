// Universe surfaces: creation, presenting to the window and the 8-bit error diffusion.
#include "imaging/NSpLoader.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NPaletteRegistry.h"
#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostTime.h"
#include "platform/NHostWindow.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int kChannels = 3;
// Shares of the error spread to the neighbours, in sixteenths.
constexpr int kShareRight = 7;
constexpr int kShareBelowLeft = 3;
constexpr int kShareBelow = 5;
constexpr int kShareShift = 4;

const NPalette* ApplicationPalette()
{
    return NPaletteRegistry::The().GetScreenPalette();
}

void FillColorTable(NHostRgbQuad* table, const NPaletteData* colors)
{
    for (int i = 0; i < NHostPalette::kEntries; ++i)
        table[i] = colors ? NHostRgbQuad { colors->Blue(i), colors->Green(i), colors->Red(i), 0 } : NHostRgbQuad {};
}

uint8_t ClampChannel(int32_t value)
{
    return uint8_t(std::clamp(value, int32_t(0), int32_t(255)));
}

// The running errors of one channel along a row.
struct Diffusion {
    int32_t fRight = 0;      // for the next pixel of this row
    int32_t fOwedHere = 0;   // for the pixel below the current one
    int32_t fOwedNext = 0;   // for the pixel below the next one

    uint8_t Value(int32_t channel, int32_t fromAbove) const { return ClampChannel(channel + fromAbove + fRight); }
    /// Spreads the error; answers the finished total of the pixel below-left.
    int32_t Spread(int32_t e)
    {
        int32_t toRight = (kShareRight * e) >> kShareShift;
        int32_t belowLeft = (kShareBelowLeft * e) >> kShareShift;
        int32_t straightBelow = (kShareBelow * e) >> kShareShift;
        int32_t finished = fOwedHere + belowLeft;
        fOwedHere = fOwedNext + straightBelow;
        fOwedNext = e - belowLeft - straightBelow - toRight;
        fRight = toRight;
        return finished;
    }
};

} // namespace

NSpLoader::NSpLoader() = default;

NSpLoader::~NSpLoader()
{
    fChained.reset();
    ReleaseBitmap();
}

NSpImage* NSpLoader::GetImage()
{
    return &fImage;
}

const NSpImage* NSpLoader::GetImage() const
{
    return &fImage;
}

void NSpLoader::ReleaseBitmap()
{
    // The image only borrows the bitmap's pixels.
    fImage.SetBits(nullptr, 0, 0, 0, fDepth ? fDepth : kTrueColorDepth, nullptr);
    fBitmap.reset();
}

bool NSpLoader::Create(const NRect& rect, int16_t depth, NHostWindow* window)
{
    ReleaseBitmap();
    fWindow = window;
    fDepth = depth;
    fRect = rect;
    // Rows of 32-bit surfaces are whole words anyway; 8-bit ones end on a word when the
    // right edge does, so the conversion between them never splits a word.
    int32_t right = rect.Right();
    int32_t remainder = ((right % kWidthMultiple) + kWidthMultiple) % kWidthMultiple;
    if (remainder != 0)
        fRect.fWidth = NClampCoordinate(int32_t(rect.fWidth) + kWidthMultiple - remainder);
    if (fRect.IsEmpty())
        return false;

    const NPalette* palette = ApplicationPalette();
    NHostBitmapInfo info;
    info.fWidth = fRect.fWidth;
    info.fHeight = -int32_t(fRect.fHeight);
    info.fBitCount = uint16_t(depth);
    info.fColorsImportant = NHostPalette::kEntries;
    FillColorTable(info.fColors, palette ? palette->Data() : nullptr);
    NHostDeviceContext& context = window ? window->AcquireContext() : NCanvasImage::SharedContext();
    fBitmap = NHostBitmap::CreateDibSection(info, context);
    if (window)
        window->ReleaseContext();
    if (!fBitmap)
        return false;
    fImage.SetBits(fBitmap->Bits(), fRect.fWidth, fRect.fHeight, fBitmap->RowBytes(), depth, palette);
    fImage.SetFlags(0);
    fImage.FillRect(fImage.Bounds(), depth == kTrueColorDepth ? kClear32 : kClear8);
    return true;
}

NSpLoader& NSpLoader::LastOfChain()
{
    NSpLoader* surface = this;
    while (surface->fChained)
        surface = surface->fChained.get();
    return *surface;
}

void NSpLoader::BeginPresent()
{
    NSpLoader* surface = this;
    while (surface->fDepth == kTrueColorDepth) {
        if (!fWindow || fWindow->DisplayDepth() != NHostWindow::kPaletteDepth) {
            surface->fChained.reset();
            surface->fErrors = {};
            break;
        }
        if (!surface->fChained) {
            auto chained = std::make_unique<NSpLoader>();
            if (!chained->Create(surface->fRect, kIndexedDepth, fWindow))
                break;
            surface->fChained = std::move(chained);
        }
        if (surface->fErrors.empty())
            surface->fErrors.assign(size_t(surface->fRect.fWidth + 2) * kChannels * 2, 0);
        surface = surface->fChained.get();
    }
    if (!fWindow || !surface->fBitmap)
        return;
    surface->fWindowContext = &fWindow->AcquireContext();
    surface->fMemoryContext = NHostDeviceContext::CreateCompatible();
    surface->fPreviousBitmap = surface->fMemoryContext->SelectBitmap(surface->fBitmap.get());
    const NPalette* palette = ApplicationPalette();
    if (surface->fDepth == kIndexedDepth && palette && palette->Data() && palette->Data()->PlatformPalette()) {
        surface->fPreviousPalette = surface->fWindowContext->SelectedPalette();
        surface->fWindowContext->SelectPalette(*palette->Data()->PlatformPalette());
        surface->fRealized = surface->fWindowContext->RealizePalette();
    }
}

void NSpLoader::Present(const NRect& rect)
{
    NSpLoader* surface = this;
    for (; surface->fChained; surface = surface->fChained.get())
        surface->ConvertTo(*surface->fChained, rect);
    if (!fWindow || !surface->fMemoryContext)
        return;
    fWindow->CopyFrom(*surface->fMemoryContext, int32_t(rect.fX) - surface->fRect.fX,
                      int32_t(rect.fY) - surface->fRect.fY, rect.fX, rect.fY, rect.fWidth, rect.fHeight);
}

void NSpLoader::EndPresent()
{
    uint32_t now = NHostTime::Milliseconds();
    for (NSpLoader* surface = this; surface; surface = surface->fChained.get())
        surface->fLastPresent = now;
    NSpLoader& last = LastOfChain();
    if (!last.fMemoryContext)
        return;
    if (last.fPreviousPalette) {
        last.fWindowContext->SelectPalette(*last.fPreviousPalette);
        last.fPreviousPalette.reset();
        last.fRealized = 0;
    }
    last.fMemoryContext->SelectBitmap(last.fPreviousBitmap);
    last.fPreviousBitmap = nullptr;
    last.fMemoryContext.reset();
    last.fWindowContext = nullptr;
    fWindow->ReleaseContext();
}

void NSpLoader::SetColors(const NPalette& palette)
{
    NHostRgbQuad table[NHostPalette::kEntries];
    FillColorTable(table, palette.Data());
    for (NSpLoader* surface = this; surface; surface = surface->fChained.get()) {
        if (!surface->fBitmap)
            continue;
        surface->fBitmap->SetColorTable(0, NHostPalette::kEntries, table);
        surface->fImage.SetBits(surface->fBitmap->Bits(), surface->fRect.fWidth, surface->fRect.fHeight,
                                surface->fBitmap->RowBytes(), surface->fDepth, &palette);
    }
    if (fWindow && fWindow->DisplayDepth() == NHostWindow::kPaletteDepth && palette.Data()
        && palette.Data()->PlatformPalette()) {
        NHostDeviceContext& context = fWindow->AcquireContext();
        context.SelectPalette(*palette.Data()->PlatformPalette());
        context.RealizePalette();
        fWindow->ReleaseContext();
    }
}

void NSpLoader::ConvertTo(NSpLoader& target, const NRect& rect)
{
    NRect area = rect.Intersect(fRect).Intersect(target.fRect);
    const NPalette* palette = ApplicationPalette();
    const uint8_t* cube = NPaletteRegistry::The().InverseCube();
    if (area.IsEmpty() || !palette || !palette->Data() || !cube || fDepth != kTrueColorDepth || target.fDepth != kIndexedDepth
        || !fImage.GetBits() || !target.fImage.GetBits())
        return;
    const uint32_t* colors = palette->Data()->Table32();
    // One slot per pixel and channel with a spare pixel at each end; the row below
    // receives its shares here while the row is walked, and becomes the current row next.
    size_t rowSlots = size_t(area.fWidth + 2) * kChannels;
    if (fErrors.size() < rowSlots)
        fErrors.assign(rowSlots, 0);
    int32_t* below = fErrors.data();
    std::fill(below, below + rowSlots, 0);

    for (int32_t y = area.fY; y < area.Bottom(); ++y) {
        const uint8_t* from = fImage.GetBits() + size_t(y - fRect.fY) * size_t(fImage.RowBytes())
            + size_t(area.fX - fRect.fX) * 4;
        uint8_t* to = target.fImage.GetBits() + size_t(y - target.fRect.fY) * size_t(target.fImage.RowBytes())
            + size_t(area.fX - target.fRect.fX);
        // Per channel: the share for the next pixel of this row, and the shares already
        // owed to the pixels below this one and below the next one, all in registers. The
        // slots of this row are read just before the row below overwrites them.
        Diffusion red;
        Diffusion green;
        Diffusion blue;
        below[0] = below[1] = below[2] = 0;
        for (int32_t i = 0; i < area.fWidth; ++i) {
            uint32_t pixel;
            std::memcpy(&pixel, from + size_t(i) * 4, sizeof pixel);
            int32_t* slot = below + size_t(i + 1) * kChannels;
            uint8_t r = red.Value(int32_t(pixel >> 16 & 0xFF), slot[0]);
            uint8_t g = green.Value(int32_t(pixel >> 8 & 0xFF), slot[1]);
            uint8_t b = blue.Value(int32_t(pixel & 0xFF), slot[2]);
            uint8_t index = cube[NPaletteRegistry::CubeIndex(r, g, b)];
            to[i] = index;
            uint32_t color = colors[index];
            slot[-3] = red.Spread(r - int32_t(color >> 16 & 0xFF));
            slot[-2] = green.Spread(g - int32_t(color >> 8 & 0xFF));
            slot[-1] = blue.Spread(b - int32_t(color & 0xFF));
        }
        int32_t* end = below + size_t(area.fWidth + 1) * kChannels;
        end[-3] = red.fOwedHere;
        end[-2] = green.fOwedHere;
        end[-1] = blue.fOwedHere;
        end[0] = red.fOwedNext;
        end[1] = green.fOwedNext;
        end[2] = blue.fOwedNext;
    }
}
