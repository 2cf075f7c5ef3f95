// Fuzz target: reading a sprite file and drawing, masking and probing every frame.
#include "imaging/NSpFrame.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpMemImage.h"
#include "imaging/NSpSet.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"
#include "tests/support/NTestPrefix.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <vector>

namespace {

constexpr int16_t kSide = 48;
constexpr int kFrameBudget = 64;

// One folder for the whole run, holding the sprite file and a palette it may name.
NTestPrefix& Prefix()
{
    static NTestPrefix sPrefix;
    static bool sPaletteWritten = false;
    if (!sPaletteWritten) {
        std::string palette(1048, '\0');
        for (int i = 0; i < 256; ++i)
            palette[24 + 4 * i] = char(i);
        NTestPrefix::WriteFile(sPrefix.Root() / "fuzz.pal", palette);
        sPaletteWritten = true;
    }
    return sPrefix;
}

NFileSpec SpecOf(const std::filesystem::path& path)
{
    NFileSpec spec;
    NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), spec);
    return spec;
}

void Exercise(NSpImage& image)
{
    for (int16_t depth : { 8, 16, 32 }) {
        std::vector<uint8_t> pixels(size_t(kSide) * kSide * 4, 0x5A);
        NSpMemImage target;
        target.SetBits(pixels.data(), kSide, kSide, kSide * depth / 8, depth, nullptr);
        image.DrawAt(image.Bounds(), target, NPoint(0, 0), nullptr, false, false);
        image.DrawAt(image.Bounds(), target, NPoint(-3, -5), nullptr, true, true);
        NRect clip(4, 4, 9, 9);
        image.DrawAt(NRect(1, 1, 20, 20), target, NPoint(2, 2), &clip, false, true);
        NRect part = image.Bounds().Intersect(NRect(0, 0, kSide, kSide));
        if (!part.IsEmpty()) {
            for (int mode = 0; mode < 3; ++mode)
                image.MaskTo(target.GetBits(), target, part, mode, 50 + 50 * mode);
        }
    }
    image.GetPixel(0, 0);
    image.GetPixel(image.Width() - 1, image.Height() - 1);
    image.Unload();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::filesystem::path path = Prefix().Root() / "fuzz.xps";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    NFileSpec spec = SpecOf(path);
    // The directory from memory, the pixels later from the file, as a sprite reads them.
    NSpSet set;
    NStream stream(std::make_unique<NStreamMem>(const_cast<uint8_t*>(data), static_cast<int64_t>(size), NStreamMode::kRead));
    set.ReadSet(stream, spec);
    set.Preload(NSpSet::kAllFrames);
    int budget = kFrameBudget;
    for (int i = 0; i < set.FrameCount() && budget > 0; ++i, --budget) {
        NSpFrame* frame = set.GetFrame(i);
        frame->GetBounds();
        if (NSpImage* image = frame->GetImage())
            Exercise(*image);
    }
    return 0;
}
