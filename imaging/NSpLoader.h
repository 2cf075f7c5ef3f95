// A drawing surface of the universe: a platform bitmap, the image over its pixels and the
// chained 8-bit surface that palette displays are fed from.
#pragma once

#include "geometry/NRect.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpMemImage.h"
#include "platform/NHostPalette.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class NHostBitmap;
class NHostDeviceContext;
class NHostWindow;
class NPalette;

/// The first surface is the 32-bit back buffer. When the display shows 256 colours, a
/// chained 8-bit surface receives each presented rectangle by error diffusion and is what
/// goes to the window.
class NSpLoader : public NSpFrame {
public:
    static constexpr int16_t kTrueColorDepth = 32;
    static constexpr int16_t kIndexedDepth = 8;
    static constexpr uint32_t kClear32 = 0xFF000000;
    static constexpr uint8_t kClear8 = 10;
    static constexpr int kWidthMultiple = 4;

    NSpLoader();
    ~NSpLoader() override;

    NSpImage* GetImage() override;
    const NSpImage* GetImage() const override;

    /// A new surface over rect (x + width widened to a multiple of 4) of the depth, in
    /// the application palette's colours, cleared. False when the bitmap cannot be made.
    bool Create(const NRect& rect, int16_t depth, NHostWindow* window);

    // Presenting, in this order: Begin, Present for each rectangle, End
    void BeginPresent();
    /// rect is in universe coordinates, which are the window's.
    void Present(const NRect& rect);
    void EndPresent();

    /// Gives every surface of the chain the palette's colours; on a palette display the
    /// palette is also selected into the window's context and realised.
    void SetColors(const NPalette& palette);

    /// Error diffusion of rect from this 32-bit surface into target (8-bit, same rect).
    void ConvertTo(NSpLoader& target, const NRect& rect);

    const NRect& Rect() const { return fRect; }
    int16_t Depth() const { return fDepth; }
    NSpMemImage& Image() { return fImage; }
    NSpLoader* Chained() const { return fChained.get(); }
    NHostWindow* Window() const { return fWindow; }
    uint32_t LastPresentTime() const { return fLastPresent; }
    const NHostBitmap* Bitmap() const { return fBitmap.get(); }

private:
    NSpLoader& LastOfChain();
    void ReleaseBitmap();

    NRect fRect;
    int16_t fDepth = 0;
    std::unique_ptr<NHostBitmap> fBitmap;
    NSpMemImage fImage;
    NHostWindow* fWindow = nullptr;
    NHostDeviceContext* fWindowContext = nullptr;
    std::unique_ptr<NHostDeviceContext> fMemoryContext;
    NHostBitmap* fPreviousBitmap = nullptr;
    std::optional<NHostPalette> fPreviousPalette;   // set while a realised palette is selected
    int fRealized = 0;
    uint32_t fLastPresent = 0;
    std::unique_ptr<NSpLoader> fChained;
    std::vector<int32_t> fErrors;   // two rows of (width + 2) x 3 running errors
};
