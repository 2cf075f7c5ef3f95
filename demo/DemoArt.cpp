// Makes the demo's sprite files: a two-frame button drawn in palette colours.
#include "tools/XpsWriter.h"

#include <cstdio>
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

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.xps\n", argv[0]);
        return 2;
    }
    std::vector<uint8_t> bytes = XpsWriteFile({ { 0, 0, 0 }, { 1, 0, 0 } }, { Face(kFaces[0]), Face(kFaces[1]) },
                                              "system.pal", true);
    std::ofstream file(argv[1], std::ios::binary | std::ios::trunc);
    if (!file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()))) {
        std::fprintf(stderr, "%s: cannot write the file\n", argv[1]);
        return 1;
    }
    return 0;
}
