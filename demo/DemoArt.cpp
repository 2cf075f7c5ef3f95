// Makes the demo's sprite files in palette colours: the two-frame button, and the gallery's
// buttons, radio buttons, slider, scroll bar and thermometer bar.
#include "tools/XpsWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int16_t kWidth = 120;
constexpr int16_t kHeight = 80;
constexpr int kCorner = 10;
// Indexes of the platform palette: a blue face and, pressed, an olive one.
constexpr uint8_t kFaces[2] = { 0x1B, 0xB4 };
constexpr uint8_t kEdge = 10;      // black
constexpr uint8_t kShine = 245;    // white
// The gallery's colours: the cube of the platform palette starts at 10 (10 + 36r + 6g + b).
constexpr uint8_t kSilver = 7;
constexpr uint8_t kSky = 9;
constexpr uint8_t kSteel = 10 + 2 * 36 + 3 * 6 + 4;
constexpr uint8_t kGrey = 248;
constexpr uint8_t kGreen = 10 + 1 * 36 + 4 * 6 + 1;

// What a gallery frame carries on its face.
enum class Mark { kNone, kDot, kLeft, kRight, kUp, kDown };

XpsImage Face(uint8_t face)
{
    XpsImage image;
    image.fWidth = kWidth;
    image.fHeight = kHeight;
    image.fTransparent = true;
    image.fPixels.resize(size_t(kWidth) * size_t(kHeight));
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            int dx = x < kCorner ? kCorner - x : x >= kWidth - kCorner ? x - (kWidth - kCorner - 1) : 0;
            int dy = y < kCorner ? kCorner - y : y >= kHeight - kCorner ? y - (kHeight - kCorner - 1) : 0;
            int distance = dx * dx + dy * dy;
            uint8_t value = face;
            if (distance > kCorner * kCorner)
                value = 0;   // transparent corner
            else if (distance > (kCorner - 2) * (kCorner - 2) || x < 2 || y < 2 || x >= kWidth - 2 || y >= kHeight - 2)
                value = kEdge;
            else if (y < kHeight / 3 && (x + y) % 7 == 0)
                value = kShine;
            image.fPixels[size_t(y) * size_t(kWidth) + size_t(x)] = value;
        }
    }
    return image;
}

/// A frame of the given face with a black border; round frames leave their corners
/// transparent. The mark is drawn in black in the middle.
XpsImage GalleryFace(int16_t width, int16_t height, uint8_t face, Mark mark, bool round)
{
    XpsImage image;
    image.fWidth = width;
    image.fHeight = height;
    image.fTransparent = round;
    image.fPixels.assign(size_t(width) * size_t(height), face);
    const double cx = (width - 1) / 2.0;
    const double cy = (height - 1) / 2.0;
    const double radius = std::min(width, height) / 2.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t& pixel = image.fPixels[size_t(y) * size_t(width) + size_t(x)];
            double dx = x - cx;
            double dy = y - cy;
            double distance = std::sqrt(dx * dx + dy * dy);
            if (round && distance > radius)
                pixel = 0;
            else if (round ? distance > radius - 1.5 : x == 0 || y == 0 || x == width - 1 || y == height - 1)
                pixel = kEdge;
            // Triangles pointing the arrow's way, a third of the frame in size.
            double third = std::min(width, height) / 3.0;
            double along = 0;
            double across = 0;
            switch (mark) {
            case Mark::kNone: continue;
            case Mark::kDot:
                if (distance <= third * 0.75)
                    pixel = kEdge;
                continue;
            case Mark::kLeft: along = -dx; across = dy; break;
            case Mark::kRight: along = dx; across = dy; break;
            case Mark::kUp: along = -dy; across = dx; break;
            case Mark::kDown: along = dy; across = dx; break;
            }
            // along runs from -third/2 (the base) to +third/2 (the tip).
            if (along >= -third / 2 && along <= third / 2 && std::abs(across) <= (third / 2 - along))
                pixel = kEdge;
        }
    }
    return image;
}

bool WriteSet(const std::string& path, const std::vector<XpsImage>& images)
{
    std::vector<XpsFrame> frames;
    for (size_t i = 0; i < images.size(); ++i)
        frames.push_back({ int32_t(i), 0, 0 });
    std::vector<uint8_t> bytes = XpsWriteFile(frames, images, "system.pal", true);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        std::fprintf(stderr, "%s: cannot write the file\n", path.c_str());
        return false;
    }
    return true;
}

/// A button's four frames: at rest, pressed, disabled, under the pointer.
std::vector<XpsImage> ButtonFrames(int16_t width, int16_t height, Mark mark)
{
    std::vector<XpsImage> images;
    for (uint8_t face : { kSilver, kSteel, kGrey, kSky })
        images.push_back(GalleryFace(width, height, face, mark, false));
    return images;
}

bool WriteGallery(const std::string& folder)
{
    // A radio button's eight frames; the selected ones carry the dot.
    std::vector<XpsImage> radio;
    const uint8_t radioFaces[8] = { kShine, kShine, kGrey, kSky, kGrey, kSky, kSilver, kSilver };
    const bool radioDots[8] = { false, true, false, false, true, true, false, true };
    for (int i = 0; i < 8; ++i)
        radio.push_back(GalleryFace(18, 18, radioFaces[i], radioDots[i] ? Mark::kDot : Mark::kNone, true));
    return WriteSet(folder + "/gallery-button.xps", ButtonFrames(120, 32, Mark::kNone))
        && WriteSet(folder + "/gallery-radio.xps", radio)
        && WriteSet(folder + "/gallery-left.xps", ButtonFrames(18, 18, Mark::kLeft))
        && WriteSet(folder + "/gallery-right.xps", ButtonFrames(18, 18, Mark::kRight))
        && WriteSet(folder + "/gallery-knob.xps", { GalleryFace(24, 18, kSteel, Mark::kNone, false) })
        && WriteSet(folder + "/gallery-up.xps", ButtonFrames(16, 16, Mark::kUp))
        && WriteSet(folder + "/gallery-down.xps", ButtonFrames(16, 16, Mark::kDown))
        && WriteSet(folder + "/gallery-thumb.xps", { GalleryFace(16, 24, kSteel, Mark::kNone, false) })
        && WriteSet(folder + "/gallery-bar.xps", { GalleryFace(300, 14, kGreen, Mark::kNone, false) });
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER/button.xps  (the gallery's files go beside it)\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> bytes = XpsWriteFile({ { 0, 0, 0 }, { 1, 0, 0 } }, { Face(kFaces[0]), Face(kFaces[1]) },
                                              "system.pal", true);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    if (!file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        std::fprintf(stderr, "%s: cannot write the file\n", argv[1]);
        return 1;
    }
    std::string folder = std::filesystem::path(argv[1]).parent_path().string();
    return WriteGallery(folder.empty() ? "." : folder) ? 0 : 1;
}
