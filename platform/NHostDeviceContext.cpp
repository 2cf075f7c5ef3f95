// A memory device context that records its selections.
#include "platform/NHostDeviceContext.h"

#include <utility>

std::unique_ptr<NHostDeviceContext> NHostDeviceContext::CreateCompatible()
{
    return std::unique_ptr<NHostDeviceContext>(new NHostDeviceContext());
}

NHostDeviceContext::NHostDeviceContext()
    : fPalette(NHostPalette::kLogicalVersion, nullptr)
{
    NHostColor system[NHostPalette::kEntries];
    NHostPalette::GetSystemPaletteEntries(system, NHostPalette::kEntries);
    fPalette.SetEntries(0, NHostPalette::kEntries, system);
}

NHostDeviceContext::~NHostDeviceContext() = default;

NHostBitmap* NHostDeviceContext::SelectBitmap(NHostBitmap* bitmap)
{
    return std::exchange(fBitmap, bitmap);
}

void NHostDeviceContext::SelectPalette(const NHostPalette& palette)
{
    fPalette = palette;
    fRealized = false;
}

int NHostDeviceContext::RealizePalette()
{
    fRealized = true;
    return NHostPalette::kEntries;
}

NHostDeviceContext::FontHandle NHostDeviceContext::SelectFont(FontHandle font)
{
    return std::exchange(fFont, font);
}

uint32_t NHostDeviceContext::SetTextColor(uint32_t color)
{
    return std::exchange(fTextColor, color);
}

uint32_t NHostDeviceContext::SetBackgroundColor(uint32_t color)
{
    return std::exchange(fBackgroundColor, color);
}

int NHostDeviceContext::SetBackgroundMode(int mode)
{
    return std::exchange(fBackgroundMode, mode);
}
