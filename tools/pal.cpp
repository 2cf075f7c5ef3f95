// pal: makes and prints palette files (standard RIFF palettes of 256 entries).
//
// Layout written (little-endian, as RIFF files are):
//
//   offset  size  field
//   0       4     "RIFF"
//   4       4     1040, the length of what follows
//   8       4     "PAL "
//   12      4     "data"
//   16      4     1028, the chunk length
//   20      2     version 0x0300
//   22      2     256 entries
//   24      1024  red, green, blue, flags (0) per entry
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "storage/NFileException.h"
#include "tools/ImageToolSupport.h"
#include "platform/NHostPalette.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kFileSize = 1048;
constexpr uint32_t kRiffLength = kFileSize - 8;
constexpr uint32_t kChunkLength = kFileSize - 20;
constexpr uint16_t kVersion = 0x0300;
constexpr int kEntriesOffset = 24;
constexpr int kEntryBytes = 4;
constexpr int kCubeLevels = 6;
constexpr int kCubeStep = 51;
constexpr int kGreys = 20;
constexpr int kGreyDivisor = kGreys + 1;
constexpr int kFullChannel = 255;
constexpr int kOpaqueThreshold = 128;
constexpr int kFirstFree = kPaletteBlack + 1;            // 10 is black, 245 white
constexpr int kFreeSlots = kPaletteWhite - kFirstFree;   // 11 to 244

const char kUsage[] =
    "usage: pal make OUT.pal (--from-png IMAGE.png | --cube)\n"
    "       pal dump FILE.pal [--loaded]\n"
    "make writes a 256-entry palette: the platform's static colours at 0-9 and 246-255,\n"
    "black at 10, white at 245 and between them a colour cube with a grey ramp (--cube) or\n"
    "the colours of the picture's opaque pixels (--from-png, reduced by median cut when\n"
    "there are more than 234). dump prints the file's entries, or with --loaded the\n"
    "colours as the programs load them (static colours reserved, entries 10-245 unique).\n";

struct Color {
    uint8_t fRed;
    uint8_t fGreen;
    uint8_t fBlue;

    uint32_t Key() const { return uint32_t(fRed) << 16 | uint32_t(fGreen) << 8 | fBlue; }
};

Color FromKey(uint32_t key)
{
    return { uint8_t(key >> 16), uint8_t(key >> 8), uint8_t(key) };
}

// The cube without black and white, then greys that lie on no cube level.
std::vector<Color> CubeColors()
{
    std::vector<Color> colors;
    for (int r = 0; r < kCubeLevels; ++r) {
        for (int g = 0; g < kCubeLevels; ++g) {
            for (int b = 0; b < kCubeLevels; ++b) {
                Color color { uint8_t(r * kCubeStep), uint8_t(g * kCubeStep), uint8_t(b * kCubeStep) };
                if (color.Key() != 0 && color.Key() != 0xFFFFFF)
                    colors.push_back(color);
            }
        }
    }
    for (int step = 1; step <= kGreys; ++step) {
        auto grey = uint8_t(step * kFullChannel / kGreyDivisor);
        colors.push_back({ grey, grey, grey });
    }
    return colors;
}

struct Box {
    std::vector<std::pair<uint32_t, uint64_t>> fColors;   // colour and pixel count

    int Range(int shift) const
    {
        int low = kFullChannel;
        int high = 0;
        for (const auto& [key, count] : fColors) {
            int value = (key >> shift) & kFullChannel;
            low = std::min(low, value);
            high = std::max(high, value);
        }
        return high - low;
    }
};

// Splits the box with the widest channel at its weighted median until there are count.
std::vector<Color> MedianCut(const std::map<uint32_t, uint64_t>& histogram, size_t count)
{
    std::vector<Box> boxes(1);
    boxes[0].fColors.assign(histogram.begin(), histogram.end());
    while (boxes.size() < count) {
        size_t widest = 0;
        int widestRange = -1;
        int widestShift = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].fColors.size() < 2)
                continue;
            for (int shift : { 16, 8, 0 }) {
                int range = boxes[i].Range(shift);
                if (range > widestRange) {
                    widestRange = range;
                    widest = i;
                    widestShift = shift;
                }
            }
        }
        if (widestRange < 0)
            break;
        Box& box = boxes[widest];
        std::sort(box.fColors.begin(), box.fColors.end(), [widestShift](const auto& a, const auto& b) {
            return ((a.first >> widestShift) & kFullChannel) < ((b.first >> widestShift) & kFullChannel);
        });
        uint64_t total = 0;
        for (const auto& entry : box.fColors)
            total += entry.second;
        uint64_t half = 0;
        size_t cut = 1;
        for (; cut < box.fColors.size() - 1; ++cut) {
            half += box.fColors[cut - 1].second;
            if (half * 2 >= total)
                break;
        }
        Box upper;
        upper.fColors.assign(box.fColors.begin() + long(cut), box.fColors.end());
        box.fColors.resize(cut);
        boxes.push_back(std::move(upper));
    }
    std::vector<Color> colors;
    for (const Box& box : boxes) {
        uint64_t sums[3] = {};
        uint64_t total = 0;
        for (const auto& [key, count] : box.fColors) {
            sums[0] += ((key >> 16) & kFullChannel) * count;
            sums[1] += ((key >> 8) & kFullChannel) * count;
            sums[2] += (key & kFullChannel) * count;
            total += count;
        }
        colors.push_back({ uint8_t(sums[0] / total), uint8_t(sums[1] / total), uint8_t(sums[2] / total) });
    }
    return colors;
}

std::vector<Color> PictureColors(const std::string& path)
{
    NHostRgbaImage image = ToolReadPng(path);
    std::map<uint32_t, uint64_t> histogram;
    for (size_t at = 0; at < image.fPixels.size(); at += NHostPng::kBytesPerPixel) {
        const uint8_t* pixel = &image.fPixels[at];
        if (pixel[3] < kOpaqueThreshold)
            continue;
        Color color { pixel[0], pixel[1], pixel[2] };
        if (color.Key() != 0 && color.Key() != 0xFFFFFF)
            ++histogram[color.Key()];
    }
    if (histogram.size() <= size_t(kFreeSlots)) {
        std::vector<Color> colors;
        for (const auto& entry : histogram)
            colors.push_back(FromKey(entry.first));
        return colors;
    }
    return MedianCut(histogram, kFreeSlots);
}

void PutLittle(std::vector<uint8_t>& bytes, size_t at, uint32_t value, int size)
{
    for (int i = 0; i < size; ++i)
        bytes[at + size_t(i)] = uint8_t(value >> (8 * i));
}

std::vector<uint8_t> PaletteFile(const std::vector<Color>& own)
{
    Color entries[kPaletteEntries] = {};
    NHostColor system[kPaletteEntries];
    NHostPalette::GetSystemPaletteEntries(system, kPaletteEntries);
    for (int i = 0; i < kPaletteEntries; ++i)
        entries[i] = { system[i].fRed, system[i].fGreen, system[i].fBlue };
    entries[kPaletteBlack] = { 0, 0, 0 };
    entries[kPaletteWhite] = { kFullChannel, kFullChannel, kFullChannel };
    // The picture's colours first, then cube colours not yet present, until full.
    std::set<uint32_t> present;
    int slot = kFirstFree;
    auto place = [&](const Color& color) {
        if (slot < kPaletteWhite && present.insert(color.Key()).second)
            entries[slot++] = color;
    };
    for (const Color& color : own)
        place(color);
    for (const Color& color : CubeColors())
        place(color);
    std::vector<uint8_t> bytes(kFileSize, 0);
    std::memcpy(&bytes[0], "RIFF", 4);
    PutLittle(bytes, 4, kRiffLength, 4);
    std::memcpy(&bytes[8], "PAL ", 4);
    std::memcpy(&bytes[12], "data", 4);
    PutLittle(bytes, 16, kChunkLength, 4);
    PutLittle(bytes, 20, kVersion, 2);
    PutLittle(bytes, 22, kPaletteEntries, 2);
    for (int i = 0; i < kPaletteEntries; ++i) {
        size_t at = kEntriesOffset + size_t(i) * kEntryBytes;
        bytes[at] = entries[i].fRed;
        bytes[at + 1] = entries[i].fGreen;
        bytes[at + 2] = entries[i].fBlue;
    }
    return bytes;
}

int Make(int argc, char** argv)
{
    if (argc < 4)
        ToolFail("make needs OUT.pal and --from-png IMAGE.png or --cube");
    std::string out = argv[2];
    std::string mode = argv[3];
    std::vector<Color> own;
    if (mode == "--cube" && argc == 4) {
        own = CubeColors();
    } else if (mode == "--from-png" && argc == 5) {
        own = PictureColors(argv[4]);
    } else {
        ToolFail("make needs OUT.pal and --from-png IMAGE.png or --cube");
    }
    ToolWriteFile(out, PaletteFile(own));
    return 0;
}

int Dump(int argc, char** argv)
{
    if (argc < 3 || argc > 4 || (argc == 4 && std::strcmp(argv[3], "--loaded") != 0))
        ToolFail("dump needs FILE.pal and at most --loaded");
    std::string path = argv[2];
    if (argc == 4) {
        NPalette palette;
        if (!palette.LoadFile(ToolHostFile(path), true))
            ToolFail(path + ": cannot read the palette (file error " + std::to_string(palette.LastError()) + ")");
        for (int i = 0; i < kPaletteEntries; ++i) {
            const NPaletteData& data = *palette.Data();
            std::printf("%3d %3d %3d %3d\n", i, data.Red(i), data.Green(i), data.Blue(i));
        }
        return 0;
    }
    std::vector<uint8_t> bytes = ToolReadFile(path);
    // Files end after the last entry; anything shorter lacks colours.
    if (bytes.size() < size_t(kEntriesOffset + kEntryBytes * kPaletteEntries))
        ToolFail(path + ": too short for 256 entries (" + std::to_string(bytes.size()) + " bytes)");
    if (std::memcmp(&bytes[0], "RIFF", 4) != 0 || std::memcmp(&bytes[8], "PAL ", 4) != 0)
        ToolFail(path + ": not a RIFF palette");
    std::printf("palette version 0x%04X entries %u\n", bytes[20] | bytes[21] << 8, bytes[22] | bytes[23] << 8);
    for (int i = 0; i < kPaletteEntries; ++i) {
        const uint8_t* entry = &bytes[kEntriesOffset + size_t(i) * kEntryBytes];
        std::printf("%3d %3d %3d %3d\n", i, entry[0], entry[1], entry[2]);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return ToolMain("pal", kUsage, argc, argv, { { "make", Make }, { "dump", Dump } });
}
