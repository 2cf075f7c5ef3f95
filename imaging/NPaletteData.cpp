// Palette records: colours, tables, nearest-colour search and palette files.
//
// Palette files are standard RIFF palettes; the reader takes only what it needs:
//
//   offset  size  field
//   0       4     "RIFF", little-endian length, skipped
//   8       4     "PAL ", skipped
//   12      4     "data", skipped
//   16      4     chunk length, skipped
//   20      2     version, ignored
//   22      2     entry count, ignored: exactly 256 entries are taken
//   24      1024  256 entries of red, green, blue and a flags byte (ignored)
//
// The reader asks for 1032 bytes after the header; a file that ends after the last entry
// (1028 bytes) is complete, one that ends inside the entries is refused.
#include "imaging/NPaletteData.h"

#include "imaging/NPaletteRegistry.h"
#include "storage/NFileException.h"

#include <algorithm>

namespace {

constexpr int kHeaderBytes = 20;
constexpr int kBlockBytes = 1032;
constexpr int kEntriesOffset = 4;
constexpr int kEntryBytes = 4;
// The block must reach the blue byte of the last entry.
constexpr int kMinimumBlockBytes = kEntriesOffset + kEntryBytes * (kPaletteEntries - 1) + 3;
constexpr int kFirstUnique = kPaletteBlack;
constexpr int kLastUnique = kPaletteWhite;
constexpr int kChannels = 3;
constexpr int kMaxChannel = 255;
constexpr int kFarDistance = 999999;
// Damaged files could in principle make the stepping walk in circles; an entry is left as
// it stands after this many steps.
constexpr int kMaxUniqueSteps = 4096;
constexpr int kFiveBitShift = 3;
constexpr int kRedShift16 = 10;
constexpr int kGreenShift16 = 5;

constexpr bool IsReserved(int index)
{
    return index == 0 || index == 8 || index == 9 || index == 246 || index == 247 || index == 255;
}

constexpr bool IsStatic(int index)
{
    return index < NHostPalette::kLowStatic || index >= NHostPalette::kHighStatic;
}

// Reads up to length bytes until the end of data; returns the count.
int32_t ReadUpTo(NStream& stream, int32_t length, uint8_t* buffer)
{
    int32_t done = 0;
    try {
        while (done < length) {
            int32_t count = stream.Read(length - done, buffer + done);
            if (count <= 0)
                break;
            done += count;
        }
    } catch (const NFileException& error) {
        if (!error.IsEndOfData())
            throw;
    }
    return done;
}

} // namespace

NPaletteData::NPaletteData()
{
    SetFromSystem();
}

NPaletteData::~NPaletteData()
{
    if (NPaletteRegistry::Alive())
        NPaletteRegistry::The().RemoveData(this);
}

void NPaletteData::SetColor(int index, uint8_t red, uint8_t green, uint8_t blue)
{
    index &= kPaletteEntries - 1;
    fRed[index] = red;
    fGreen[index] = green;
    fBlue[index] = blue;
}

void NPaletteData::SetFromSystem()
{
    NHostColor system[kPaletteEntries];
    bool complete = NHostPalette::GetSystemPaletteEntries(system, kPaletteEntries) == kPaletteEntries;
    for (int i = 0; i < kPaletteEntries; ++i) {
        if (complete)
            SetColor(i, system[i].fRed, system[i].fGreen, system[i].fBlue);
        else
            SetColor(i, uint8_t(i), uint8_t(i), uint8_t(i));
    }
    BuildTables();
    BuildPlatformPalette();
}

bool NPaletteData::ReadFile(const NFileSpec& spec, bool reserveSystemColors, int32_t& errorCode)
{
    uint8_t block[kBlockBytes];
    try {
        NStream stream = spec.Open(NStreamMode::kRead);
        uint8_t header[kHeaderBytes];
        stream.ReadFully(kHeaderBytes, header);
        if (ReadUpTo(stream, kBlockBytes, block) < kMinimumBlockBytes)
            throw NFileException(kFileEndOfData, spec.DisplayName());
        stream.Close();
    } catch (const NFileException& error) {
        errorCode = error.Code();
        return false;
    }
    for (int i = 0; i < kPaletteEntries; ++i) {
        const uint8_t* entry = block + kEntriesOffset + kEntryBytes * i;
        SetColor(i, entry[0], entry[1], entry[2]);
    }
    if (reserveSystemColors) {
        NHostColor system[kPaletteEntries];
        if (NHostPalette::GetSystemPaletteEntries(system, kPaletteEntries) == kPaletteEntries) {
            for (int i = 0; i < kPaletteEntries; ++i) {
                if (IsStatic(i))
                    SetColor(i, system[i].fRed, system[i].fGreen, system[i].fBlue);
            }
        }
    }
    MakeUnique();
    BuildPlatformPalette();
    BuildTables();
    return true;
}

void NPaletteData::MakeUnique()
{
    uint8_t* planes[kChannels] = { fRed, fGreen, fBlue };
    int channel = 0;   // carries on from one duplicate to the next
    for (int i = kFirstUnique; i <= kLastUnique; ++i) {
        int steps = 0;
        int k = 0;
        while (k < kPaletteEntries) {
            if (k == i || fRed[k] != fRed[i] || fGreen[k] != fGreen[i] || fBlue[k] != fBlue[i]) {
                ++k;
                continue;
            }
            if (++steps > kMaxUniqueSteps)
                break;
            // Deltas 1, -1, 2, -2, ...; the delta changes each time the channel wraps.
            int delta = 1;
            for (;;) {
                int value = planes[channel][i] + delta;
                bool stored = value >= 0 && value <= kMaxChannel;
                if (stored)
                    planes[channel][i] = static_cast<uint8_t>(value);
                if (++channel == kChannels) {
                    channel = 0;
                    delta = delta < 0 ? 1 - delta : -delta;
                }
                if (stored)
                    break;
            }
            k = 0;
        }
    }
}

uint8_t NPaletteData::NearestIndex(int red, int green, int blue) const
{
    if (red == 0 && green == 0 && blue == 0)
        return kPaletteBlack;
    if (red == kMaxChannel && green == kMaxChannel && blue == kMaxChannel)
        return kPaletteWhite;
    int best = kFarDistance;
    int answer = kPaletteBlack;
    for (int i = 0; i < kPaletteEntries && best != 0; ++i) {
        if (IsReserved(i))
            continue;
        int dr = fRed[i] - red;
        int dg = fGreen[i] - green;
        int db = fBlue[i] - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            answer = i;
        }
    }
    return static_cast<uint8_t>(answer);
}

uint8_t NPaletteData::NearestIndexIn(int red, int green, int blue, int first, int last) const
{
    first = std::clamp(first, 0, kPaletteEntries - 1);
    last = std::clamp(last, first, kPaletteEntries - 1);
    int best = kFarDistance;
    int answer = first;
    for (int i = first; i <= last && best != 0; ++i) {
        int dr = fRed[i] - red;
        int dg = fGreen[i] - green;
        int db = fBlue[i] - blue;
        int distance = dr * dr + dg * dg + db * db;
        if (distance < best) {
            best = distance;
            answer = i;
        }
    }
    return static_cast<uint8_t>(answer);
}

void NPaletteData::BuildTables()
{
    for (int i = 0; i < kPaletteEntries; ++i) {
        fTable32[i] = kOpaque | uint32_t(fRed[i]) << 16 | uint32_t(fGreen[i]) << 8 | fBlue[i];
        fTable16[i] = static_cast<uint16_t>((fRed[i] >> kFiveBitShift) << kRedShift16
                                            | (fGreen[i] >> kFiveBitShift) << kGreenShift16 | (fBlue[i] >> kFiveBitShift));
    }
}

void NPaletteData::BuildPlatformPalette()
{
    NHostColor entries[kPaletteEntries];
    for (int i = 0; i < kPaletteEntries; ++i)
        entries[i] = { fRed[i], fGreen[i], fBlue[i], 0 };
    fPlatformPalette = std::make_unique<NHostPalette>(NHostPalette::kLogicalVersion, entries);
}
