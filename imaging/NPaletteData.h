// Shared palette records: 256 colours, their two lookup tables and the platform palette.
#pragma once

#include "storage/NFileSpec.h"
#include "storage/NVectorPtr.h"
#include "platform/NHostPalette.h"

#include <cstdint>
#include <memory>

// Palette indexes the whole system relies on.
enum : int {
    kPaletteEntries = 256,
    kPaletteBlack = 10,    // first index of the programs' own range
    kPaletteWhite = 245,   // last index of the programs' own range
};

/// One palette, shared through NPalette handles by its holder count. Colours are kept as
/// three planes; the tables follow every change of colours through BuildTables.
class NPaletteData : public NCountedRecord {
public:
    static constexpr uint32_t kOpaque = 0xFF000000;

    /// Starts with the system palette, tables and platform palette built.
    NPaletteData();
    /// Removes the record from the palette file cache while that is alive.
    ~NPaletteData();

    NPaletteData(const NPaletteData&) = delete;
    NPaletteData& operator=(const NPaletteData&) = delete;

    uint8_t Red(int index) const { return fRed[index & (kPaletteEntries - 1)]; }
    uint8_t Green(int index) const { return fGreen[index & (kPaletteEntries - 1)]; }
    uint8_t Blue(int index) const { return fBlue[index & (kPaletteEntries - 1)]; }
    void SetColor(int index, uint8_t red, uint8_t green, uint8_t blue);

    /// 0xFF000000 | red << 16 | green << 8 | blue per index.
    const uint32_t* Table32() const { return fTable32; }
    /// The same colours in 5-5-5 form.
    const uint16_t* Table16() const { return fTable16; }
    const NHostPalette* PlatformPalette() const { return fPlatformPalette.get(); }

    /// Colours from the system palette, or a grey ramp when the platform does not report
    /// exactly 256 entries; then tables and platform palette.
    void SetFromSystem();
    /// Reads a palette file (see the layout in the source). On failure the colours stay as
    /// they were, the NFileException code goes to errorCode and the result is false.
    bool ReadFile(const NFileSpec& spec, bool reserveSystemColors, int32_t& errorCode);

    /// The nearest colour, never one of the platform's reserved indexes 0, 8, 9, 246, 247
    /// and 255; pure black and white answer 10 and 245 at once.
    uint8_t NearestIndex(int red, int green, int blue) const;
    /// The nearest colour among indexes first to last, without the shortcuts.
    uint8_t NearestIndexIn(int red, int green, int blue, int first, int last) const;

    void BuildTables();
    void BuildPlatformPalette();

    /// Makes the colours of indexes 10 to 245 differ from every other entry by stepping
    /// one channel at a time (public for the palette tool, which must predict loads).
    void MakeUnique();

private:
    uint8_t fRed[kPaletteEntries] = {};
    uint8_t fGreen[kPaletteEntries] = {};
    uint8_t fBlue[kPaletteEntries] = {};
    uint32_t fTable32[kPaletteEntries] = {};
    uint16_t fTable16[kPaletteEntries] = {};
    std::unique_ptr<NHostPalette> fPlatformPalette;
};
