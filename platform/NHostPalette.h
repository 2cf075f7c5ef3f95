// The platform's palette object and its system palette: 256 colours held by us.
#pragma once

#include <cstdint>

// One palette entry as the platform's logical palettes hold it.
struct NHostColor {
    uint8_t fRed = 0;
    uint8_t fGreen = 0;
    uint8_t fBlue = 0;
    uint8_t fFlags = 0;

    bool operator==(const NHostColor& other) const = default;
};

/// A logical palette of exactly kEntries colours, the form every palette of the programs
/// takes. The system palette is the platform's standard one: twenty static colours at
/// 0-9 and 246-255 and, between them, a 6 x 6 x 6 colour cube and a grey ramp.
class NHostPalette {
public:
    static constexpr int kEntries = 256;
    static constexpr uint16_t kLogicalVersion = 0x300;
    static constexpr int kLowStatic = 10;     // entries 0-9 are static
    static constexpr int kHighStatic = 246;   // entries 246-255 are static

    /// Copies kEntries colours; the version must be kLogicalVersion, otherwise the
    /// palette starts all black.
    NHostPalette(uint16_t version, const NHostColor* entries);

    const NHostColor& Entry(int index) const { return fEntries[index & (kEntries - 1)]; }
    const NHostColor* Entries() const { return fEntries; }
    /// Replaces count entries from first on; entries past the end are ignored.
    void SetEntries(int first, int count, const NHostColor* entries);

    /// Copies up to capacity entries of the system palette into out and returns how many
    /// the platform reported (kEntries on this platform).
    static int GetSystemPaletteEntries(NHostColor* out, int capacity);

private:
    NHostColor fEntries[kEntries] {};
};
