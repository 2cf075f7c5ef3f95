// xps: makes, describes and renders sprite files.
#include "imaging/NPalette.h"
#include "imaging/NPaletteData.h"
#include "imaging/NSpFileImage.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpMemImage.h"
#include "imaging/NSpSet.h"
#include "imaging/NSpriteFile.h"
#include "storage/NFileException.h"
#include "tools/ImageToolSupport.h"
#include "tools/XpsWriter.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int kOpaqueThreshold = 128;
constexpr uint8_t kTransparentKey = 0;   // a static index, never an opaque pixel's
constexpr int kCubeSide = 16;
constexpr int kCubeShift = 4;
constexpr int kCubeEntries = kCubeSide * kCubeSide * kCubeSide;
constexpr int kMaxSide = 32767;
constexpr uint32_t kAlphaShift = 24;

const char kUsage[] =
    "usage: xps make OUT.xps --palette PALFILE [--compressed] FRAME.png[@X,Y]...\n"
    "       xps info FILE.xps\n"
    "       xps render FILE.xps FRAME OUT.png [--depth 8|32] [--mirror] [--flip]\n"
    "make stores one frame and image per PNG (identical PNGs share one image), at offset\n"
    "X,Y (default 0,0). Colours map to the palette's indexes 10-245 as the programs load\n"
    "it: exact colours to their entry, the rest through a 16 x 16 x 16 inverse cube; pixels\n"
    "with alpha below 128 become transparent. The palette's file name goes into the\n"
    "header, and readers look for it beside the sprite file. render draws one frame's\n"
    "image through the run-length decoders; transparent pixels stay transparent.\n";

// --- make ---

struct Mapper {
    const NPaletteData* fPalette;
    std::map<uint32_t, uint8_t> fExact;
    uint8_t fCube[kCubeEntries];

    explicit Mapper(const NPaletteData& palette) : fPalette(&palette)
    {
        // Later duplicates never win, so the lowest index of a colour is used.
        for (int i = kPaletteWhite; i >= kPaletteBlack; --i)
            fExact[Key(palette.Red(i), palette.Green(i), palette.Blue(i))] = uint8_t(i);
        for (int r = 0; r < kCubeSide; ++r) {
            for (int g = 0; g < kCubeSide; ++g) {
                for (int b = 0; b < kCubeSide; ++b)
                    fCube[(r * kCubeSide + g) * kCubeSide + b] = palette.NearestIndexIn(
                        r * kCubeSide, g * kCubeSide, b * kCubeSide, kPaletteBlack, kPaletteWhite);
            }
        }
    }

    static uint32_t Key(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) << 16 | uint32_t(g) << 8 | b; }

    uint8_t Map(uint8_t r, uint8_t g, uint8_t b) const
    {
        auto found = fExact.find(Key(r, g, b));
        if (found != fExact.end())
            return found->second;
        return fCube[(r >> kCubeShift) << (2 * kCubeShift) | (g >> kCubeShift) << kCubeShift | (b >> kCubeShift)];
    }
};

struct FrameArgument {
    std::string fPath;
    int16_t fX = 0;
    int16_t fY = 0;
};

int16_t Coordinate(const std::string& text, const std::string& argument)
{
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || value < -kMaxSide || value > kMaxSide)
        ToolFail("bad frame offset in " + argument);
    return int16_t(value);
}

FrameArgument ParseFrame(const std::string& argument)
{
    FrameArgument frame;
    frame.fPath = argument;
    size_t at = argument.rfind('@');
    if (at == std::string::npos)
        return frame;
    size_t comma = argument.find(',', at);
    if (comma == std::string::npos)
        ToolFail("frame offset must be @X,Y: " + argument);
    frame.fPath = argument.substr(0, at);
    frame.fX = Coordinate(argument.substr(at + 1, comma - at - 1), argument);
    frame.fY = Coordinate(argument.substr(comma + 1), argument);
    return frame;
}

XpsImage IndexImage(const NHostRgbaImage& picture, const Mapper& mapper, const std::string& path)
{
    if (picture.fWidth > kMaxSide || picture.fHeight > kMaxSide)
        ToolFail(path + ": larger than 32767 pixels on a side");
    XpsImage image;
    image.fWidth = int16_t(picture.fWidth);
    image.fHeight = int16_t(picture.fHeight);
    image.fKey = kTransparentKey;
    image.fPixels.resize(size_t(picture.fWidth) * size_t(picture.fHeight));
    for (size_t i = 0; i < image.fPixels.size(); ++i) {
        const uint8_t* rgba = &picture.fPixels[i * NHostPng::kBytesPerPixel];
        if (rgba[3] < kOpaqueThreshold) {
            image.fPixels[i] = kTransparentKey;
            image.fTransparent = true;
        } else {
            image.fPixels[i] = mapper.Map(rgba[0], rgba[1], rgba[2]);
        }
    }
    return image;
}

int Make(int argc, char** argv)
{
    std::string out;
    std::string paletteFile;
    bool compressed = false;
    std::vector<FrameArgument> frameArguments;
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--palette") {
            if (i + 1 >= argc)
                ToolFail("--palette needs a file");
            paletteFile = argv[++i];
        } else if (word == "--compressed") {
            compressed = true;
        } else if (word.starts_with("--")) {
            ToolFail("unknown option " + word);
        } else if (out.empty()) {
            out = word;
        } else {
            frameArguments.push_back(ParseFrame(word));
        }
    }
    if (out.empty() || paletteFile.empty() || frameArguments.empty())
        ToolFail("make needs OUT.xps, --palette PALFILE and at least one FRAME.png");
    std::string paletteName = ToolBaseName(paletteFile);
    if (paletteName.empty() || paletteName.size() > size_t(kSpritePaletteNameSize))
        ToolFail(paletteFile + ": the palette's file name must have 1 to 16 characters");
    NPalette palette;
    if (!palette.LoadFile(ToolHostFile(paletteFile), true))
        ToolFail(paletteFile + ": cannot read the palette (file error " + std::to_string(palette.LastError()) + ")");
    Mapper mapper(*palette.Data());
    std::vector<XpsFrame> frames;
    std::vector<XpsImage> images;
    std::vector<NHostRgbaImage> pictures;
    for (const FrameArgument& argument : frameArguments) {
        NHostRgbaImage picture = ToolReadPng(argument.fPath);
        int32_t index = -1;
        for (size_t i = 0; i < pictures.size(); ++i) {
            if (pictures[i].fWidth == picture.fWidth && pictures[i].fHeight == picture.fHeight
                && pictures[i].fPixels == picture.fPixels)
                index = int32_t(i);
        }
        if (index < 0) {
            images.push_back(IndexImage(picture, mapper, argument.fPath));
            pictures.push_back(std::move(picture));
            index = int32_t(images.size() - 1);
        }
        frames.push_back({ index, argument.fX, argument.fY });
    }
    if (frames.size() > size_t(kMaxSide))
        ToolFail("too many frames");
    ToolWriteFile(out, XpsWriteFile(frames, images, paletteName, compressed));
    return 0;
}

// --- info and render ---

void ReadSprite(const std::string& path, NSpSet& set)
{
    NFileSpec spec = ToolHostFile(path);
    if (!spec.Exists())
        ToolFail(path + ": no such file");
    NStream stream = spec.Open(NStreamMode::kRead, true);
    if (!set.ReadSet(stream, spec))
        ToolFail(path + ": damaged sprite file (read " + std::to_string(set.FramesRead()) + " of "
                 + std::to_string(set.FrameCount()) + " frames, " + std::to_string(set.ImagesRead()) + " of "
                 + std::to_string(set.ImageCount()) + " images)");
}

int Info(int argc, char** argv)
{
    if (argc != 3)
        ToolFail("info needs FILE.xps");
    NSpSet set;
    ReadSprite(argv[2], set);
    std::printf("sprite version=0x%08X %s frames=%d images=%d spare=%d palette=%s\n", uint32_t(set.Version()),
                set.IsCompressed() ? "compressed" : "plain", set.FrameCount(), set.ImageCount(), set.Spare(),
                set.PaletteName().c_str());
    for (int i = 0; i < set.FramesRead(); ++i) {
        const NSpFrame& frame = *set.GetFrame(i);
        std::printf("frame %d image=%d reserved=%d offset=%d,%d\n", i, frame.fImageIndex, frame.fReserved,
                    frame.fOffset.fX, frame.fOffset.fY);
    }
    for (int i = 0; i < set.ImagesRead(); ++i) {
        auto* image = static_cast<NSpFileImage*>(set.GetImageAt(i));
        std::printf("image %d offset=%d size=%d %dx%d depth=%d key=%d transparent=%d runlength=%d\n", i,
                    image->Offset(), image->Size(), image->Width(), image->Height(), image->Depth(),
                    image->KeyIndex(), image->HasFlag(kImageTransparent) ? 1 : 0,
                    image->HasFlag(kImageRunLength) ? 1 : 0);
    }
    return 0;
}

int Render(int argc, char** argv)
{
    std::vector<std::string> positional;
    int depth = 32;
    bool mirror = false;
    bool flip = false;
    for (int i = 2; i < argc; ++i) {
        std::string word = argv[i];
        if (word == "--mirror") {
            mirror = true;
        } else if (word == "--flip") {
            flip = true;
        } else if (word == "--depth") {
            if (i + 1 >= argc)
                ToolFail("--depth needs 8 or 32");
            std::string value = argv[++i];
            if (value != "8" && value != "32")
                ToolFail("--depth must be 8 or 32: " + value);
            depth = std::atoi(value.c_str());
        } else if (word.starts_with("--")) {
            ToolFail("unknown option " + word);
        } else {
            positional.push_back(word);
        }
    }
    if (positional.size() != 3)
        ToolFail("render needs FILE.xps, FRAME and OUT.png");
    const std::string& path = positional[0];
    char* end = nullptr;
    long frameIndex = std::strtol(positional[1].c_str(), &end, 10);
    if (positional[1].empty() || *end != '\0')
        ToolFail("FRAME is not a number: " + positional[1]);
    NSpSet set;
    ReadSprite(path, set);
    NSpFrame* frame = set.IsFrameIndex(int(frameIndex)) ? set.GetFrame(int(frameIndex)) : nullptr;
    if (!frame)
        ToolFail(path + ": no frame " + positional[1] + " (frames 0 to " + std::to_string(set.FrameCount() - 1) + ")");
    NSpImage* image = frame->GetImage();
    if (!image)
        ToolFail(path + ": frame " + positional[1] + " has no image");
    if (image->Width() <= 0 || image->Height() <= 0)
        ToolFail(path + ": frame " + positional[1] + " has an empty image");
    int bytes = depth / 8;
    int32_t rowBytes = image->Width() * bytes;
    // 8-bit output starts as the key, so that untouched pixels read as transparent.
    std::vector<uint8_t> pixels(size_t(rowBytes) * size_t(image->Height()), depth == 8 ? image->KeyIndex() : 0);
    NSpMemImage target;
    target.SetBits(pixels.data(), image->Width(), image->Height(), rowBytes, int16_t(depth), &image->Palette());
    if (!image->DrawAt(image->Bounds(), target, NPoint(0, 0), nullptr, flip, mirror))
        ToolFail(path + ": frame " + positional[1] + " cannot be drawn (pixel data unreadable)");
    NHostRgbaImage picture;
    picture.fWidth = image->Width();
    picture.fHeight = image->Height();
    picture.fPixels.resize(size_t(picture.fWidth) * size_t(picture.fHeight) * NHostPng::kBytesPerPixel);
    const NPaletteData* palette = image->Palette().Data();
    bool transparent = image->HasFlag(kImageTransparent);
    for (size_t i = 0; i < size_t(picture.fWidth) * size_t(picture.fHeight); ++i) {
        uint8_t* rgba = &picture.fPixels[i * NHostPng::kBytesPerPixel];
        if (depth == 32) {
            uint32_t word = uint32_t(pixels[i * 4]) | uint32_t(pixels[i * 4 + 1]) << 8 | uint32_t(pixels[i * 4 + 2]) << 16
                | uint32_t(pixels[i * 4 + 3]) << kAlphaShift;
            rgba[0] = uint8_t(word >> 16);
            rgba[1] = uint8_t(word >> 8);
            rgba[2] = uint8_t(word);
            rgba[3] = uint8_t(word >> kAlphaShift);
        } else if (!(transparent && pixels[i] == image->KeyIndex()) && palette) {
            rgba[0] = palette->Red(pixels[i]);
            rgba[1] = palette->Green(pixels[i]);
            rgba[2] = palette->Blue(pixels[i]);
            rgba[3] = 0xFF;
        }
    }
    ToolWritePng(positional[2], picture);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    return ToolMain("xps", kUsage, argc, argv, { { "make", Make }, { "info", Info }, { "render", Render } });
}
