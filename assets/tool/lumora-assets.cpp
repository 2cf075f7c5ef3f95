// lumora-assets: the small jobs of the asset build that rsvg-convert, pal, xps, xst and xpb
// do not do: JPEG, BMP and GIF files from PNGs, frame strips cut into frames, palette
// montages, theme feature lists, and the check of a built archive against its table.
#include "imaging/NJpeg.h"
#include "imaging/NSpMemImage.h"
#include "storage/NBinder.h"
#include "storage/NBinderElement.h"
#include "storage/NFileException.h"
#include "tools/ImageToolSupport.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr int kBytesPerPixel = 4;
constexpr int kOpaqueThreshold = 128;
constexpr int kMinQuality = 1;
constexpr int kMaxQuality = 100;
// Archives are read under a root no real path has.
constexpr char kMountRoot[] = "\\\\lumora-assets\\";

const char kUsage[] =
    "usage: lumora-assets jpeg IN.png OUT.jpg QUALITY\n"
    "       lumora-assets bmp IN.png OUT.bmp\n"
    "       lumora-assets gif IN.png OUT.gif\n"
    "       lumora-assets slice STRIP.png FRAMES OUTPREFIX [PALETTE.pal]\n"
    "       lumora-assets montage OUT.png IN.png...\n"
    "       lumora-assets features OUT.nfo TAG=LEVEL...\n"
    "       lumora-assets check ARCHIVE.xpb TABLE.txt APP TAG\n"
    "jpeg writes a baseline JPEG (alpha dropped); bmp a bottom-up 24-bit Windows bitmap;\n"
    "gif an 8-bit GIF (exact colours when there are at most 255, else a 6x7x6 cube;\n"
    "pixels with alpha below 128 transparent). slice cuts a strip of FRAMES equal frames\n"
    "laid side by side into OUTPREFIX0.png, OUTPREFIX1.png..., with a palette each frame's\n"
    "opaque pixels take its nearest colours of entries 10-245, error-diffused (so that the\n"
    "sprite tool finds every colour exactly and gradients do not band); montage stacks pictures\n"
    "for a palette. features writes an \"LMxI\" version 1 chunk file of integer chunks.\n"
    "check prints each element of the table (one \":\"-path a line, '#' comments) as ok or\n"
    "MISSING, then the archive's number, tag and seal; any fault exits 1.\n";

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(value >> shift));
}

void PutLittle(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

int Jpeg(int argc, char** argv)
{
    if (argc != 5)
        ToolFail("jpeg needs IN.png OUT.jpg QUALITY");
    int quality = std::atoi(argv[4]);
    if (quality < kMinQuality || quality > kMaxQuality)
        ToolFail("the quality must lie between 1 and 100");
    NHostRgbaImage png = ToolReadPng(argv[2]);
    std::vector<uint32_t> pixels(size_t(png.fWidth) * size_t(png.fHeight));
    for (size_t i = 0; i < pixels.size(); ++i) {
        const uint8_t* p = &png.fPixels[i * kBytesPerPixel];
        pixels[i] = 0xFF000000u | uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    }
    NSpMemImage image;
    image.SetBits(reinterpret_cast<uint8_t*>(pixels.data()), int16_t(png.fWidth), int16_t(png.fHeight),
                  png.fWidth * kBytesPerPixel, 32, nullptr);
    NFileSpec target = ToolHostFile(argv[3]);
    target.Delete();
    bool written = false;
    try {
        NStream stream = target.Open(NStreamMode::kWrite, true);
        written = WriteJpeg(stream, image, quality);
        stream.Close();
    } catch (const NFileException& error) {
        ToolFail(std::string(argv[3]) + ": cannot write (" + error.what() + ")");
    }
    image.SetBits(nullptr, 0, 0, 0, 32, nullptr);
    if (!written)
        ToolFail(std::string(argv[3]) + ": the picture cannot be encoded");
    return 0;
}

int Bmp(int argc, char** argv)
{
    if (argc != 4)
        ToolFail("bmp needs IN.png OUT.bmp");
    NHostRgbaImage png = ToolReadPng(argv[2]);
    // BITMAPFILEHEADER (14) + BITMAPINFOHEADER (40), rows bottom-up, padded to 4 bytes,
    // blue-green-red; transparent pixels show the white the icon lies on.
    constexpr uint32_t kHeaders = 14 + 40;
    uint32_t rowBytes = (uint32_t(png.fWidth) * 3 + 3) & ~3u;
    uint32_t imageBytes = rowBytes * uint32_t(png.fHeight);
    std::vector<uint8_t> out = { 'B', 'M' };
    PutLittle(out, kHeaders + imageBytes, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, kHeaders, 4);
    PutLittle(out, 40, 4);
    PutLittle(out, uint32_t(png.fWidth), 4);
    PutLittle(out, uint32_t(png.fHeight), 4);
    PutLittle(out, 1, 2);
    PutLittle(out, 24, 2);
    PutLittle(out, 0, 4);
    PutLittle(out, imageBytes, 4);
    PutLittle(out, 2835, 4);   // 72 dots per inch
    PutLittle(out, 2835, 4);
    PutLittle(out, 0, 4);
    PutLittle(out, 0, 4);
    for (int32_t y = png.fHeight - 1; y >= 0; --y) {
        size_t start = out.size();
        for (int32_t x = 0; x < png.fWidth; ++x) {
            const uint8_t* p = &png.fPixels[(size_t(y) * size_t(png.fWidth) + size_t(x)) * kBytesPerPixel];
            for (int c = 2; c >= 0; --c)
                out.push_back(uint8_t((p[c] * p[3] + 255 * (255 - p[3])) / 255));
        }
        out.resize(start + rowBytes, 0);
    }
    ToolWriteFile(argv[3], out);
    return 0;
}

// GIF with "uncompressed" LZW: 9-bit codes, every pixel a literal, a clear code before
// the table would grow to 10 bits. Larger than real LZW, but tiny pictures stay tiny.
int Gif(int argc, char** argv)
{
    if (argc != 4)
        ToolFail("gif needs IN.png OUT.gif");
    NHostRgbaImage png = ToolReadPng(argv[2]);
    constexpr int kTransparent = 255;
    std::map<uint32_t, int> exact;
    std::vector<uint32_t> colours;
    bool fits = true;
    for (size_t i = 0; i < png.fPixels.size() && fits; i += kBytesPerPixel) {
        if (png.fPixels[i + 3] < kOpaqueThreshold)
            continue;
        uint32_t rgb = uint32_t(png.fPixels[i]) << 16 | uint32_t(png.fPixels[i + 1]) << 8 | png.fPixels[i + 2];
        if (exact.emplace(rgb, int(colours.size())).second)
            colours.push_back(rgb);
        fits = colours.size() <= kTransparent;
    }
    constexpr int kRedSteps = 6, kGreenSteps = 7, kBlueSteps = 6;
    if (!fits) {
        colours.clear();
        for (int r = 0; r < kRedSteps; ++r)
            for (int g = 0; g < kGreenSteps; ++g)
                for (int b = 0; b < kBlueSteps; ++b)
                    colours.push_back(uint32_t(r * 255 / (kRedSteps - 1)) << 16
                                      | uint32_t(g * 255 / (kGreenSteps - 1)) << 8 | uint32_t(b * 255 / (kBlueSteps - 1)));
    }
    std::vector<uint8_t> indexes;
    for (size_t i = 0; i < png.fPixels.size(); i += kBytesPerPixel) {
        const uint8_t* p = &png.fPixels[i];
        if (p[3] < kOpaqueThreshold)
            indexes.push_back(kTransparent);
        else if (fits)
            indexes.push_back(uint8_t(exact[uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]]));
        else
            indexes.push_back(uint8_t(((p[0] * (kRedSteps - 1) + 127) / 255 * kGreenSteps + (p[1] * (kGreenSteps - 1) + 127) / 255)
                                          * kBlueSteps + (p[2] * (kBlueSteps - 1) + 127) / 255));
    }
    std::vector<uint8_t> out = { 'G', 'I', 'F', '8', '9', 'a' };
    PutLittle(out, uint32_t(png.fWidth), 2);
    PutLittle(out, uint32_t(png.fHeight), 2);
    out.insert(out.end(), { 0xF7, 0, 0 });   // global table of 256 entries
    for (int i = 0; i < 256; ++i) {
        uint32_t rgb = i < int(colours.size()) ? colours[size_t(i)] : 0xFFFFFF;
        out.insert(out.end(), { uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb) });
    }
    out.insert(out.end(), { 0x21, 0xF9, 4, 1, 0, 0, kTransparent, 0 });   // transparency
    out.push_back(0x2C);
    PutLittle(out, 0, 4);
    PutLittle(out, uint32_t(png.fWidth), 2);
    PutLittle(out, uint32_t(png.fHeight), 2);
    out.push_back(0);
    out.push_back(8);   // minimum code size
    constexpr uint32_t kClear = 256, kEnd = 257, kCodeBits = 9, kLiteralsPerClear = 254;
    std::vector<uint8_t> codes;
    uint32_t bits = 0;
    int used = 0;
    auto emit = [&](uint32_t code) {
        bits |= code << used;
        used += kCodeBits;
        while (used >= 8) {
            codes.push_back(uint8_t(bits));
            bits >>= 8;
            used -= 8;
        }
    };
    for (size_t i = 0; i < indexes.size(); ++i) {
        if (i % kLiteralsPerClear == 0)
            emit(kClear);
        emit(indexes[i]);
    }
    emit(kEnd);
    if (used > 0)
        codes.push_back(uint8_t(bits));
    constexpr size_t kBlock = 255;
    for (size_t i = 0; i < codes.size(); i += kBlock) {
        size_t n = std::min(kBlock, codes.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), codes.begin() + long(i), codes.begin() + long(i + n));
    }
    out.push_back(0);
    out.push_back(0x3B);
    ToolWriteFile(argv[3], out);
    return 0;
}

// The colours 10-245 of a RIFF palette file (a 24-byte header, then red, green, blue and
// flags per entry).
std::vector<uint32_t> PaletteColours(const std::string& path)
{
    constexpr size_t kHeader = 24, kEntries = 256, kFirst = 10, kLast = 245;
    std::vector<uint8_t> file = ToolReadFile(path);
    if (file.size() < kHeader + 4 * kEntries)
        ToolFail(path + ": not a 256-colour palette file");
    std::vector<uint32_t> colours;
    for (size_t i = kFirst; i <= kLast; ++i) {
        const uint8_t* entry = &file[kHeader + 4 * i];
        colours.push_back(uint32_t(entry[0]) << 16 | uint32_t(entry[1]) << 8 | entry[2]);
    }
    return colours;
}

// Floyd-Steinberg over the opaque pixels; transparent ones neither take nor pass error.
void Quantise(NHostRgbaImage& image, const std::vector<uint32_t>& colours)
{
    std::map<uint32_t, uint32_t> nearest;
    auto find = [&](int r, int g, int b) {
        uint32_t key = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        auto known = nearest.find(key);
        if (known != nearest.end())
            return known->second;
        uint32_t best = colours[0];
        int bestDistance = INT32_MAX;
        for (uint32_t c : colours) {
            int dr = int(c >> 16) - r, dg = int(c >> 8 & 0xFF) - g, db = int(c & 0xFF) - b;
            int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = c;
            }
        }
        nearest[key] = best;
        return best;
    };
    int32_t w = image.fWidth;
    std::vector<int> error(size_t(w + 2) * 3 * 2, 0);   // this row and the next, with a guard column each side
    for (int32_t y = 0; y < image.fHeight; ++y) {
        int* here = &error[size_t(y % 2) * size_t(w + 2) * 3];
        int* next = &error[size_t((y + 1) % 2) * size_t(w + 2) * 3];
        std::fill(next, next + (w + 2) * 3, 0);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* p = &image.fPixels[(size_t(y) * size_t(w) + size_t(x)) * kBytesPerPixel];
            if (p[3] < kOpaqueThreshold)
                continue;
            int want[3];
            for (int c = 0; c < 3; ++c)
                want[c] = std::clamp(int(p[c]) + here[(x + 1) * 3 + c] / 16, 0, 255);
            uint32_t got = find(want[0], want[1], want[2]);
            int have[3] = { int(got >> 16), int(got >> 8 & 0xFF), int(got & 0xFF) };
            for (int c = 0; c < 3; ++c) {
                int e = want[c] - have[c];
                here[(x + 2) * 3 + c] += e * 7;
                next[x * 3 + c] += e * 3;
                next[(x + 1) * 3 + c] += e * 5;
                next[(x + 2) * 3 + c] += e;
                p[c] = uint8_t(have[c]);
            }
            p[3] = 255;
        }
    }
}

int Slice(int argc, char** argv)
{
    if (argc != 5 && argc != 6)
        ToolFail("slice needs STRIP.png FRAMES OUTPREFIX [PALETTE.pal]");
    std::vector<uint32_t> colours;
    if (argc == 6)
        colours = PaletteColours(argv[5]);
    NHostRgbaImage strip = ToolReadPng(argv[2]);
    int frames = std::atoi(argv[3]);
    if (frames < 1 || strip.fWidth % frames != 0)
        ToolFail(std::string(argv[2]) + ": the width is not a whole number of frames");
    int32_t width = strip.fWidth / frames;
    for (int f = 0; f < frames; ++f) {
        NHostRgbaImage frame;
        frame.fWidth = width;
        frame.fHeight = strip.fHeight;
        for (int32_t y = 0; y < strip.fHeight; ++y) {
            auto row = strip.fPixels.begin() + long((size_t(y) * size_t(strip.fWidth) + size_t(f * width)) * kBytesPerPixel);
            frame.fPixels.insert(frame.fPixels.end(), row, row + long(width) * kBytesPerPixel);
        }
        if (!colours.empty())
            Quantise(frame, colours);
        ToolWritePng(std::string(argv[4]) + std::to_string(f) + ".png", frame);
    }
    return 0;
}

int Montage(int argc, char** argv)
{
    if (argc < 4)
        ToolFail("montage needs OUT.png and pictures");
    std::vector<NHostRgbaImage> parts;
    NHostRgbaImage all;
    for (int i = 3; i < argc; ++i) {
        parts.push_back(ToolReadPng(argv[i]));
        all.fWidth = std::max(all.fWidth, parts.back().fWidth);
        all.fHeight += parts.back().fHeight;
    }
    if (all.fHeight > NHostPng::kMaxSide)
        ToolFail("the montage would be taller than 32767 pixels");
    all.fPixels.assign(size_t(all.fWidth) * size_t(all.fHeight) * kBytesPerPixel, 0);
    int32_t top = 0;
    for (const NHostRgbaImage& part : parts) {
        for (int32_t y = 0; y < part.fHeight; ++y)
            std::memcpy(&all.fPixels[size_t(top + y) * size_t(all.fWidth) * kBytesPerPixel],
                        &part.fPixels[size_t(y) * size_t(part.fWidth) * kBytesPerPixel], size_t(part.fWidth) * kBytesPerPixel);
        top += part.fHeight;
    }
    ToolWritePng(argv[2], all);
    return 0;
}

uint32_t FourCharacters(const std::string& text)
{
    if (text.size() != 4)
        ToolFail("\"" + text + "\" is not a four-character tag");
    return uint32_t(uint8_t(text[0])) << 24 | uint32_t(uint8_t(text[1])) << 16 | uint32_t(uint8_t(text[2])) << 8
        | uint8_t(text[3]);
}

int Features(int argc, char** argv)
{
    if (argc < 3)
        ToolFail("features needs OUT.nfo");
    std::vector<uint8_t> out;
    Put32(out, FourCharacters("LMxI"));
    Put32(out, 1);
    for (int i = 3; i < argc; ++i) {
        std::string entry = argv[i];
        size_t equals = entry.find('=');
        if (equals == std::string::npos)
            ToolFail("\"" + entry + "\" is not TAG=LEVEL");
        Put32(out, FourCharacters(entry.substr(0, equals)));
        Put32(out, 4);
        Put32(out, uint32_t(std::atoi(entry.c_str() + equals + 1)));
    }
    Put32(out, FourCharacters("fini"));
    Put32(out, 0);
    ToolWriteFile(argv[2], out);
    return 0;
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

void CollectFiles(const NBinderFolder& folder, const std::string& prefix, std::set<std::string>& files)
{
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        if (element->IsFile())
            files.insert(prefix + element->fName);
        else if (element->fFolder)
            CollectFiles(*element->fFolder, prefix + element->fName + ":", files);
    }
}

int Check(int argc, char** argv)
{
    if (argc != 6)
        ToolFail("check needs ARCHIVE.xpb TABLE.txt APP TAG");
    std::ifstream table(argv[3]);
    if (!table)
        ToolFail(std::string(argv[3]) + ": cannot read the table");
    NFileSpec file = ToolHostFile(argv[2]);
    if (!file.Exists())
        ToolFail(std::string(argv[2]) + ": no such archive");
    std::set<std::string> files;
    NBinderPlace place;
    uint32_t computed = 0;
    try {
        NStream stream = file.Open(NStreamMode::kRead, false, 1);
        place = NBinder::Locate(stream, 0);
        if (!place.fValid)
            ToolFail(std::string(argv[2]) + ": not a binder archive");
        computed = NBinder::ComputeChecksum(stream, place);
        stream.Close();
        NFDirSpec mount { NFDriveSpec(kMountRoot) };
        NBinder binder;
        if (binder.Open(file, mount, NBinderMode::kRead) < 0 || !binder.Root())
            ToolFail(std::string(argv[2]) + ": the archive does not open");
        CollectFiles(*binder.Root(), "", files);
        (void)binder.Close(); // opened for reading: nothing to lose
    } catch (const NFileException& error) {
        ToolFail(std::string(argv[2]) + ": " + error.what());
    }
    int missing = 0;
    std::string line;
    while (std::getline(table, line)) {
        while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back())))
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        bool present = files.count(Lowered(line)) != 0;
        std::printf("%-8s %s\n", present ? "ok" : "MISSING", line.c_str());
        missing += present ? 0 : 1;
    }
    const NBinderHeader& header = place.fHeader;
    char tag[5] = { char(header.fTag >> 24), char(header.fTag >> 16), char(header.fTag >> 8), char(header.fTag), 0 };
    bool numberOk = header.fApplication == std::atoi(argv[4]);
    bool tagOk = std::string(tag) == argv[5];
    bool sealOk = header.fChecksum != 0 && uint32_t(header.fChecksum) == computed;
    std::printf("%zu files in the archive; application %d%s, tag %s%s, %s\n", files.size(), header.fApplication,
                numberOk ? "" : " (WRONG)", tag, tagOk ? "" : " (WRONG)", sealOk ? "sealed ok" : "SEAL WRONG");
    if (missing > 0)
        ToolFail(std::to_string(missing) + " file(s) of the table missing from " + argv[2]);
    if (!numberOk || !tagOk || !sealOk)
        ToolFail(std::string(argv[2]) + ": wrong number, tag or seal");
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return ToolMain("lumora-assets", kUsage, argc, argv,
                    { { "jpeg", Jpeg }, { "bmp", Bmp }, { "gif", Gif }, { "slice", Slice }, { "montage", Montage },
                      { "features", Features }, { "check", Check } });
}
