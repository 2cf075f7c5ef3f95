// The pal and xps tools end to end: PNG to sprite file and back, through their command lines.
#include "imaging/NPalette.h"
#include "imaging/NSpSet.h"
#include "tests/imaging/NImagingTestSupport.h"
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"
#include "platform/NHostPng.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int fStatus;
    std::string fOutput;
};

class XpsToolTest : public ::testing::Test {
protected:
    ToolRun Run(const char* tool, const std::string& arguments) const
    {
        ToolRun run { -1, {} };
        run.fStatus = NRunCommand(std::string(tool) + " " + arguments, run.fOutput);
        return run;
    }

    ToolRun Pal(const std::string& arguments) const { return Run(LUMORA_PAL, arguments); }
    ToolRun Xps(const std::string& arguments) const { return Run(LUMORA_XPS, arguments); }
    std::string At(const std::string& relative) const { return "'" + (fPrefix.Root() / relative).string() + "'"; }

    void WritePng(const std::string& name, const NHostRgbaImage& image) const
    {
        std::vector<uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(NHostPng::Encode(image, bytes, error)) << error;
        NTestPrefix::WriteFile(fPrefix.Root() / name, std::string(bytes.begin(), bytes.end()));
    }

    NHostRgbaImage ReadPng(const std::string& name) const
    {
        std::string bytes = NTestPrefix::ReadFile(fPrefix.Root() / name);
        NHostRgbaImage image;
        std::string error;
        EXPECT_TRUE(NHostPng::Decode(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), image, error))
            << name << ": " << error;
        return image;
    }

    // Cube colours that no static colour repeats, with a transparent diagonal.
    static NHostRgbaImage Picture(int32_t width, int32_t height)
    {
        NHostRgbaImage image { width, height, std::vector<uint8_t>(size_t(width * height * 4)) };
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                uint8_t* pixel = &image.fPixels[size_t((y * width + x) * 4)];
                if (x == y || (x > 40 && x < 300))
                    continue;
                pixel[0] = uint8_t(51 * (x % 5));
                pixel[1] = uint8_t(51 * ((y / 2) % 4 + 1));
                pixel[2] = 153;
                pixel[3] = 255;
            }
        }
        return image;
    }

    static NHostRgbaImage Mirrored(const NHostRgbaImage& image, bool horizontal)
    {
        NHostRgbaImage out = image;
        for (int32_t y = 0; y < image.fHeight; ++y) {
            for (int32_t x = 0; x < image.fWidth; ++x) {
                int32_t fromX = horizontal ? image.fWidth - 1 - x : x;
                int32_t fromY = horizontal ? y : image.fHeight - 1 - y;
                std::memcpy(&out.fPixels[size_t((y * image.fWidth + x) * 4)],
                            &image.fPixels[size_t((fromY * image.fWidth + fromX) * 4)], 4);
            }
        }
        return out;
    }

    NTestPrefix fPrefix;
};

TEST_F(XpsToolTest, PngThroughSpriteFileAndBackKeepsEveryPixel)
{
    ASSERT_EQ(Pal("make " + At("cube.pal") + " --cube").fStatus, 0);
    NHostRgbaImage picture = Picture(320, 6);
    WritePng("a.png", picture);
    for (const char* layout : { "", " --compressed" }) {
        ToolRun make = Xps("make " + At("s.xps") + " --palette " + At("cube.pal") + layout + " " + At("a.png"));
        ASSERT_EQ(make.fStatus, 0) << make.fOutput;
        for (const char* depth : { "32", "8" }) {
            ToolRun render = Xps("render " + At("s.xps") + " 0 " + At("out.png") + " --depth " + depth);
            ASSERT_EQ(render.fStatus, 0) << render.fOutput;
            EXPECT_EQ(ReadPng("out.png").fPixels, picture.fPixels) << layout << " at " << depth << " bits";
        }
        ASSERT_EQ(Xps("render " + At("s.xps") + " 0 " + At("m.png") + " --mirror").fStatus, 0);
        EXPECT_EQ(ReadPng("m.png").fPixels, Mirrored(picture, true).fPixels);
        ASSERT_EQ(Xps("render " + At("s.xps") + " 0 " + At("f.png") + " --flip --depth 8").fStatus, 0);
        EXPECT_EQ(ReadPng("f.png").fPixels, Mirrored(picture, false).fPixels);
    }
}

TEST_F(XpsToolTest, IdenticalPicturesShareOneImageAndOffsetsAreKept)
{
    ASSERT_EQ(Pal("make " + At("cube.pal") + " --cube").fStatus, 0);
    WritePng("a.png", Picture(8, 8));
    WritePng("b.png", Picture(8, 8));
    WritePng("c.png", Picture(9, 3));
    ASSERT_EQ(Xps("make " + At("s.xps") + " --palette " + At("cube.pal") + " " + At("a.png") + "@3,-4 "
                  + At("b.png") + " " + At("c.png") + "@0,7")
                  .fStatus,
              0);
    ToolRun info = Xps("info " + At("s.xps"));
    ASSERT_EQ(info.fStatus, 0) << info.fOutput;
    EXPECT_NE(info.fOutput.find("frames=3 images=2 spare=0 palette=cube.pal\n"), std::string::npos) << info.fOutput;
    EXPECT_NE(info.fOutput.find("frame 0 image=0 reserved=-1 offset=3,-4\n"), std::string::npos);
    EXPECT_NE(info.fOutput.find("frame 1 image=0 "), std::string::npos);
    EXPECT_NE(info.fOutput.find("frame 2 image=1 reserved=-1 offset=0,7\n"), std::string::npos);
    EXPECT_NE(info.fOutput.find(" 9x3 depth=8 key=0 transparent=1 runlength=1\n"), std::string::npos);
}

TEST_F(XpsToolTest, PaletteFilesAreStandardAndReadAsShortCounts)
{
    ASSERT_EQ(Pal("make " + At("cube.pal") + " --cube").fStatus, 0);
    EXPECT_EQ(fs::file_size(fPrefix.Root() / "cube.pal"), 1048u);
    NPalette palette;
    ASSERT_TRUE(palette.LoadFile(NTestSpec(fPrefix.Root() / "cube.pal"), false));
    EXPECT_EQ(palette.Data()->Red(11), 0);
    EXPECT_EQ(palette.Data()->Blue(11), 51);
    EXPECT_EQ(palette.Data()->Red(245), 254) << "white at 245 repeats white at 255, so it is stepped";
    ToolRun dump = Pal("dump " + At("cube.pal"));
    EXPECT_EQ(dump.fStatus, 0);
    EXPECT_EQ(dump.fOutput.substr(0, 34), "palette version 0x0300 entries 256");
    EXPECT_NE(dump.fOutput.find("\n 10   0   0   0\n"), std::string::npos);
    EXPECT_NE(Pal("dump " + At("cube.pal") + " --loaded").fOutput.find("\n 10   1   0   0\n"), std::string::npos);

    NHostRgbaImage picture { 2, 1, { 10, 20, 30, 255, 40, 50, 60, 255 } };
    WritePng("p.png", picture);
    ASSERT_EQ(Pal("make " + At("p.pal") + " --from-png " + At("p.png")).fStatus, 0);
    EXPECT_NE(Pal("dump " + At("p.pal")).fOutput.find("\n 11  10  20  30\n 12  40  50  60\n"), std::string::npos);

    // More colours than the palette holds are reduced to distinct representatives.
    NHostRgbaImage many { 20, 15, std::vector<uint8_t>(20 * 15 * 4) };
    for (size_t i = 0; i < 300; ++i) {
        many.fPixels[i * 4] = uint8_t(i * 7);
        many.fPixels[i * 4 + 1] = uint8_t(i / 2);
        many.fPixels[i * 4 + 2] = uint8_t(255 - i % 200);
        many.fPixels[i * 4 + 3] = 255;
    }
    WritePng("many.png", many);
    ASSERT_EQ(Pal("make " + At("many.pal") + " --from-png " + At("many.png")).fStatus, 0);
    std::string bytes = NTestPrefix::ReadFile(fPrefix.Root() / "many.pal");
    ASSERT_EQ(bytes.size(), 1048u);
    std::set<std::string> entries;
    for (int i = 11; i < 245; ++i)
        EXPECT_TRUE(entries.insert(bytes.substr(size_t(24 + 4 * i), 3)).second) << "entry " << i << " repeats";
}

TEST_F(XpsToolTest, FailuresNameTheFileAndExitNonZero)
{
    ToolRun missing = Xps("render " + At("none.xps") + " 0 " + At("o.png"));
    EXPECT_EQ(missing.fStatus, 1);
    EXPECT_NE(missing.fOutput.find("none.xps: no such file"), std::string::npos) << missing.fOutput;
    NTestPrefix::WriteFile(fPrefix.Root() / "cut.xps", std::string("\0\2\0\0\0\0\0\5", 8));
    ToolRun cut = Xps("info " + At("cut.xps"));
    EXPECT_EQ(cut.fStatus, 1);
    EXPECT_NE(cut.fOutput.find("cut.xps: damaged sprite file"), std::string::npos) << cut.fOutput;
    NTestPrefix::WriteFile(fPrefix.Root() / "bad.png", "not a png");
    ASSERT_EQ(Pal("make " + At("cube.pal") + " --cube").fStatus, 0);
    ToolRun png = Xps("make " + At("s.xps") + " --palette " + At("cube.pal") + " " + At("bad.png"));
    EXPECT_EQ(png.fStatus, 1);
    EXPECT_NE(png.fOutput.find("bad.png: not a PNG file"), std::string::npos) << png.fOutput;
    ToolRun palette = Xps("make " + At("s.xps") + " --palette " + At("none.pal") + " " + At("bad.png"));
    EXPECT_NE(palette.fOutput.find("none.pal: cannot read the palette"), std::string::npos) << palette.fOutput;
    EXPECT_EQ(Xps("--help").fStatus, 0);
    EXPECT_EQ(Pal("--help").fStatus, 0);
    EXPECT_EQ(Pal("dump").fStatus, 1);
}

} // namespace
