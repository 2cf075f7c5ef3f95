// Images in memory: the generic drawing, masking and alpha scaling.
#include "imaging/NSpMemImage.h"

#include "imaging/NPixelOps.h"

#include <cstdlib>

NSpMemImage::NSpMemImage() = default;

NSpMemImage::~NSpMemImage() = default;

void NSpMemImage::ScaleAlpha(int percent)
{
    NScaleAlphaPixels(*this, fBits, percent);
}

void NSpMemImage::FreeBits()
{
    std::free(fBits);
    fBits = nullptr;
}

bool NSpMemImage::DrawTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, bool flipVertically,
                         bool mirror)
{
    return NDrawPixels(*this, fBits, destination, destinationImage, source, flipVertically, mirror);
}

bool NSpMemImage::MaskTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, int mode, int percent)
{
    return NMaskPixels(*this, fBits, destination, destinationImage, source, mode, percent);
}

void NSpMemImage::SetBits(uint8_t* bits, int16_t width, int16_t height, int32_t rowBytes, int16_t depth,
                          const NPalette* palette)
{
    fBits = bits;
    Init(width, height, rowBytes, depth, palette);
}
