// The window the sprite universe presents into, and its device context.
#pragma once

#include "platform/NHostDeviceContext.h"

#include <cstdint>

/// What presenting needs of a window: the display depth, a device context to realise the
/// palette in, and a copy of pixels from a memory context's bitmap onto the window. The
/// first back end is headless (NHostHeadlessWindow); the desktop one draws through SDL2.
class NHostWindow {
public:
    static constexpr int32_t kPaletteDepth = 8;
    static constexpr int32_t kTrueColorDepth = 32;

    virtual ~NHostWindow();

    /// The program's main window, or null before one exists.
    static NHostWindow* Main();
    static void SetMain(NHostWindow* window);

    /// Bits per pixel of the display the window is on: 8 means a 256-colour palette.
    virtual int32_t DisplayDepth() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;

    /// The window's context: its selected palette decides what 8-bit pixels look like on
    /// a palette display. Balanced by ReleaseContext.
    virtual NHostDeviceContext& AcquireContext() = 0;
    virtual void ReleaseContext() = 0;

    /// Copies width x height pixels from (sourceX, sourceY) of the bitmap selected into
    /// source to (x, y) of the window, clipped to both. 32-bit pixels are 0x00RRGGBB
    /// (alpha ignored); 8-bit ones are indexes into the bitmap's colour table, or on a
    /// palette display into the window's realised palette. False without a bitmap.
    virtual bool CopyFrom(const NHostDeviceContext& source, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y,
                          int32_t width, int32_t height)
        = 0;

protected:
    NHostWindow() = default;
    NHostWindow(const NHostWindow&) = delete;
    NHostWindow& operator=(const NHostWindow&) = delete;
};
