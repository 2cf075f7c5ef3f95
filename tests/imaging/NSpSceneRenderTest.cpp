// A whole scene through RenderChanges: a background photo, sprites from a sprite file,
// a framed group and smoothed text, compared pixel for pixel with a reference picture.
// LUMORA_UPDATE_REFERENCE=1 writes the reference afresh (look at it before checking it in).
#include "imaging/NFont.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpText.h"
#include "imaging/NSprite.h"
#include "platform/NHostPng.h"
#include "tests/imaging/NSpriteTestSupport.h"
#include "tests/support/NTestPrefix.h"
#include "tools/XpsWriter.h"

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

const std::string kReference = std::string(LUMORA_TEST_DATA) + "/imaging/scene.png";

/// A ball on the key over three frames, and a 30 x 12 bar.
std::vector<uint8_t> SceneSprites()
{
    std::vector<XpsImage> images;
    for (int k = 0; k < 3; ++k) {
        XpsImage ball;
        ball.fWidth = ball.fHeight = 24;
        ball.fTransparent = true;
        ball.fPixels.assign(24 * 24, 0);
        for (int y = 0; y < 24; ++y) {
            for (int x = 0; x < 24; ++x) {
                int dx = x - 12, dy = y - 12;
                if (dx * dx + dy * dy < 120)
                    ball.fPixels[size_t(y * 24 + x)] = uint8_t(20 + 40 * k + (x + y) / 4);
            }
        }
        images.push_back(ball);
    }
    XpsImage bar;
    bar.fWidth = 30;
    bar.fHeight = 12;
    bar.fPixels.assign(30 * 12, 200);
    for (int x = 0; x < 10; ++x)
        bar.fPixels[size_t(x)] = 100;
    images.push_back(bar);
    return XpsWriteFile({ { 0, 0, 0 }, { 1, 0, 0 }, { 2, 0, 0 }, { 3, -5, 2 } }, images, "scene.pal", true);
}

class NSpSceneRenderTest : public NSpSceneTest {
protected:
    NTestPrefix fPrefix;
};

} // namespace

TEST_F(NSpSceneRenderTest, TheSceneLooksAsItsReference)
{
    // The sprite file's palette sits beside it: the test palette's colours.
    std::filesystem::path folder = fPrefix.Root();
    std::vector<uint8_t> colors;
    for (int i = 0; i < 256; ++i)
        colors.insert(colors.end(), { uint8_t(i), uint8_t(2 * i), uint8_t(255 - i) });
    std::ofstream(folder / "scene.pal", std::ios::binary) << NRiffPalette(colors);
    std::vector<uint8_t> file = SceneSprites();
    std::ofstream(folder / "scene.xps", std::ios::binary).write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    NFileSpec spriteFile = NTestSpec(folder / "scene.xps");

    NMemSprite background;
    ASSERT_TRUE(background.MakeMemory(NRect(0, 0, 640, 480), 32, nullptr));
    NSpImage& photo = *background.CurrentImage();
    photo.SetFlags(0);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            uint32_t pixel = 0xFF000000u | uint32_t(x * 255 / 639) << 16 | uint32_t(y * 255 / 479) << 8 | 0x80;
            std::memcpy(photo.GetBits() + y * photo.RowBytes() + x * 4, &pixel, 4);
        }
    }
    fUniverse->AddChild(background, 100);

    NSpGroup panel;
    fUniverse->AddChild(panel, 50);
    panel.SetRect(NRect(40, 300, 560, 140));
    panel.SetFill(0xFF303848);
    panel.SetBorder(0xFFE0E0E0, 3);

    std::vector<std::unique_ptr<NSprite>> balls;
    for (int i = 0; i < 6; ++i) {
        auto ball = std::make_unique<NSprite>();
        ASSERT_TRUE(ball->LoadSpriteFile(spriteFile));
        fUniverse->AddChild(*ball, 10);
        ball->SetAnimationRange(0, 2, 1);
        ball->ShowFrame(i % 3);
        ball->MoveTo(NPoint(int16_t(60 + 90 * i), int16_t(80 + 20 * i)));
        balls.push_back(std::move(ball));
    }
    NSprite bar;
    ASSERT_TRUE(bar.LoadSpriteFile(spriteFile));
    fUniverse->AddChild(bar, 10);
    bar.ShowFrame(3);
    bar.SetMirror(true);
    bar.MoveTo(NPoint(500, 40));

    NFont font;
    font.SetFace("Arial");
    font.SetSize(14);
    font.SetBold(true);
    NSpText label;
    panel.AddChild(label, 0);
    label.SetSmoothing(true, 4);
    label.SetFont(font);
    label.MoveTo(NPoint(20, 20));
    label.SetText("Lumora: your photos, your album", 245, 0, 10, false);
    NSpText plain;
    panel.AddChild(plain, 0);
    plain.SetFont(font);
    plain.MoveTo(NPoint(20, 80));
    plain.SetText("Plain 8-bit text & more", 200, 0, 0, false);

    // The window's first paint shows everything.
    fUniverse->RepaintAll(kScreen);
    Render();
    // One animation step later only the balls' cells are presented.
    for (auto& ball : balls)
        ball->Animate();
    auto copies = Render();
    EXPECT_GE(copies.size(), 1u);
    for (const auto& copy : copies)
        EXPECT_LT(int64_t(copy.fWidth) * copy.fHeight, 640 * 480 / 4);

    if (std::getenv("LUMORA_UPDATE_REFERENCE")) {
        std::string error;
        std::filesystem::create_directories(std::filesystem::path(kReference).parent_path());
        ASSERT_TRUE(fWindow->SavePng(kReference, error)) << error;
    }
    std::ifstream in(kReference, std::ios::binary);
    ASSERT_TRUE(in) << kReference << " is missing";
    std::vector<uint8_t> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    NHostRgbaImage reference;
    std::string error;
    ASSERT_TRUE(NHostPng::Decode(data.data(), data.size(), reference, error)) << error;
    ASSERT_EQ(reference.fWidth, 640);
    ASSERT_EQ(reference.fHeight, 480);
    int differing = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x) {
            const uint8_t* expected = reference.fPixels.data() + (size_t(y) * 640 + size_t(x)) * 4;
            uint32_t want = 0xFF000000u | uint32_t(expected[0]) << 16 | uint32_t(expected[1]) << 8 | expected[2];
            if (fWindow->Pixel(x, y) != want && differing++ < 5)
                ADD_FAILURE() << "pixel (" << x << ", " << y << "): " << std::hex << fWindow->Pixel(x, y) << " != " << want;
        }
    }
    EXPECT_EQ(differing, 0);
}
