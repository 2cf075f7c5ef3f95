// A memory device context: the bitmap, palette, font and colours that drawing uses.
#pragma once

#include "platform/NHostPalette.h"

#include <cstdint>
#include <memory>

class NHostBitmap;

// Background modes of text drawing.
enum : int {
    kBackgroundTransparent = 1,   // only the glyphs' pixels are drawn
    kBackgroundOpaque = 2,        // each line's box is filled with the background colour first
};

/// A context compatible with the screen. It only records what is selected into it; the
/// bitmap it draws into is owned elsewhere and must be deselected before it is deleted.
class NHostDeviceContext {
public:
    /// Fonts are opaque to the context: whoever makes a font keeps it alive while selected.
    using FontHandle = const void*;

    static std::unique_ptr<NHostDeviceContext> CreateCompatible();
    ~NHostDeviceContext();

    NHostDeviceContext(const NHostDeviceContext&) = delete;
    NHostDeviceContext& operator=(const NHostDeviceContext&) = delete;

    /// Selects a bitmap (or none) and returns the one selected before.
    NHostBitmap* SelectBitmap(NHostBitmap* bitmap);
    NHostBitmap* SelectedBitmap() const { return fBitmap; }

    /// Keeps a copy of the palette's colours, so the palette object may go away after.
    void SelectPalette(const NHostPalette& palette);
    /// Makes the selected palette the one drawing maps to; returns the entries mapped.
    int RealizePalette();
    bool HasRealizedPalette() const { return fRealized; }
    const NHostPalette& SelectedPalette() const { return fPalette; }

    FontHandle SelectFont(FontHandle font);
    FontHandle SelectedFont() const { return fFont; }

    /// Colours as 0x00BBGGRR values.
    uint32_t SetTextColor(uint32_t color);
    uint32_t SetBackgroundColor(uint32_t color);
    uint32_t TextColor() const { return fTextColor; }
    uint32_t BackgroundColor() const { return fBackgroundColor; }
    /// Returns the mode set before.
    int SetBackgroundMode(int mode);
    int BackgroundMode() const { return fBackgroundMode; }

private:
    static constexpr uint32_t kWhite = 0x00FFFFFF;

    NHostDeviceContext();

    NHostBitmap* fBitmap = nullptr;
    NHostPalette fPalette;
    bool fRealized = false;
    FontHandle fFont = nullptr;
    uint32_t fTextColor = 0;
    uint32_t fBackgroundColor = kWhite;
    int fBackgroundMode = kBackgroundOpaque;
};
