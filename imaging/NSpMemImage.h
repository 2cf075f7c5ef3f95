// An image whose pixels lie in memory given to it by SetBits.
#pragma once

#include "imaging/NSpImage.h"

/// Whoever calls SetBits decides who owns the memory; FreeBits releases it with the
/// general allocator (std::free), so only memory from std::malloc may be freed that way.
class NSpMemImage : public NSpImage {
public:
    NSpMemImage();
    ~NSpMemImage() override;

    // Pixels
    void ScaleAlpha(int percent) override;
    const uint8_t* GetBits() const override { return fBits; }
    uint8_t* GetBits() override { return fBits; }
    void FreeBits() override;

    // Drawing
    bool DrawTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, bool flipVertically,
                bool mirror) override;
    bool MaskTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, int mode, int percent) override;

    // Memory
    /// Sets the pixel memory, then Init with the rest.
    virtual void SetBits(uint8_t* bits, int16_t width, int16_t height, int32_t rowBytes, int16_t depth,
                         const NPalette* palette);

protected:
    uint8_t* fBits = nullptr;
};
