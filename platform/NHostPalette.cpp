// The platform's palette object and the standard system palette.
#include "platform/NHostPalette.h"

#include <algorithm>
#include <iterator>

namespace {

// The twenty static colours with their standard values, low ten then high ten.
constexpr NHostColor kLowStatics[NHostPalette::kLowStatic] = {
    { 0, 0, 0, 0 },       { 128, 0, 0, 0 },     { 0, 128, 0, 0 },     { 128, 128, 0, 0 },
    { 0, 0, 128, 0 },     { 128, 0, 128, 0 },   { 0, 128, 128, 0 },   { 192, 192, 192, 0 },
    { 192, 220, 192, 0 }, { 166, 202, 240, 0 },
};
constexpr NHostColor kHighStatics[NHostPalette::kEntries - NHostPalette::kHighStatic] = {
    { 255, 251, 240, 0 }, { 160, 160, 164, 0 }, { 128, 128, 128, 0 }, { 255, 0, 0, 0 },
    { 0, 255, 0, 0 },     { 255, 255, 0, 0 },   { 0, 0, 255, 0 },     { 255, 0, 255, 0 },
    { 0, 255, 255, 0 },   { 255, 255, 255, 0 },
};

constexpr int kCubeLevels = 6;
constexpr int kCubeStep = 51;   // 255 / (kCubeLevels - 1)
constexpr int kGreySteps = NHostPalette::kHighStatic - NHostPalette::kLowStatic - kCubeLevels * kCubeLevels * kCubeLevels;
constexpr int kFullChannel = 255;

// Black first and white last, so that the cube begins at index 10 with black.
void FillCubeAndRamp(NHostColor* entries)
{
    int index = NHostPalette::kLowStatic;
    for (int red = 0; red < kCubeLevels; ++red) {
        for (int green = 0; green < kCubeLevels; ++green) {
            for (int blue = 0; blue < kCubeLevels; ++blue)
                entries[index++] = { uint8_t(red * kCubeStep), uint8_t(green * kCubeStep), uint8_t(blue * kCubeStep), 0 };
        }
    }
    // The ramp ends in white at 245, the last index of the programs' own range.
    for (int step = 1; step <= kGreySteps; ++step) {
        auto grey = static_cast<uint8_t>(step * kFullChannel / kGreySteps);
        entries[index++] = { grey, grey, grey, 0 };
    }
}

} // namespace

NHostPalette::NHostPalette(uint16_t version, const NHostColor* entries)
{
    if (version == kLogicalVersion && entries)
        std::copy(entries, entries + kEntries, fEntries);
}

void NHostPalette::SetEntries(int first, int count, const NHostColor* entries)
{
    for (int i = 0; i < count; ++i) {
        if (first + i >= 0 && first + i < kEntries)
            fEntries[first + i] = entries[i];
    }
}

int NHostPalette::GetSystemPaletteEntries(NHostColor* out, int capacity)
{
    NHostColor system[kEntries];
    std::copy(std::begin(kLowStatics), std::end(kLowStatics), system);
    FillCubeAndRamp(system);
    std::copy(std::begin(kHighStatics), std::end(kHighStatics), system + kHighStatic);
    if (out)
        std::copy(system, system + std::clamp(capacity, 0, kEntries), out);
    return kEntries;
}
