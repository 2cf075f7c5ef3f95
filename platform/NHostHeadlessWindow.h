// A window without a screen: it keeps what was presented, as a user would have seen it.
#pragma once

#include "platform/NHostWindow.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

/// Presented pixels are kept as 0x..RRGGBB, whatever the depth of the surface they came
/// from, and read back as 0xFFRRGGBB, so tests and screenshots see the colours on the
/// glass. The display depth is settable to emulate a 256-colour display.
class NHostHeadlessWindow : public NHostWindow {
public:
    /// One CopyFrom call, after clipping (in window coordinates).
    struct Copy {
        int32_t fX = 0;
        int32_t fY = 0;
        int32_t fWidth = 0;
        int32_t fHeight = 0;
        bool operator==(const Copy& other) const = default;
    };

    static constexpr uint32_t kBlank = 0xFF000000;

    NHostHeadlessWindow(int32_t width, int32_t height, int32_t displayDepth = kTrueColorDepth);
    ~NHostHeadlessWindow() override;

    int32_t DisplayDepth() const override { return fDisplayDepth; }
    void SetDisplayDepth(int32_t depth) { fDisplayDepth = depth; }
    int32_t Width() const override { return fWidth; }
    int32_t Height() const override { return fHeight; }

    NHostDeviceContext& AcquireContext() override;
    void ReleaseContext() override;
    int32_t ContextUsers() const { return fContextUsers; }

    bool CopyFrom(const NHostDeviceContext& source, int32_t sourceX, int32_t sourceY, int32_t x, int32_t y,
                  int32_t width, int32_t height) override;

    /// 0xFFRRGGBB at (x, y); 0 outside the window.
    uint32_t Pixel(int32_t x, int32_t y) const;
    const std::vector<Copy>& Copies() const { return fCopies; }
    void ClearCopies() { fCopies.clear(); }
    /// Writes the window's pixels as a PNG file; false with a reason.
    bool SavePng(const std::string& path, std::string& error) const;

private:
    int32_t fWidth;
    int32_t fHeight;
    int32_t fDisplayDepth;
    std::unique_ptr<NHostDeviceContext> fContext;
    int32_t fContextUsers = 0;
    std::vector<uint32_t> fPixels;
    std::vector<Copy> fCopies;
};
