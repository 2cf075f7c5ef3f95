// Sprites: frames from sprite files, animation ranges, frame origins, hit tests and timers.
#include "imaging/NSprite.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NCanvasSprite.h"
#include "imaging/NSpFrame.h"
#include "tests/imaging/NSpriteTestSupport.h"
#include "tests/support/NTestPrefix.h"
#include "tools/XpsWriter.h"

#include <fstream>

namespace {

/// Six frames; frame i shows image i % 3 at offset (i, -i). Image k is (10 + k) x (5 + k),
/// transparent key 0, with a pixel of value 7 only at (1, 1).
std::vector<uint8_t> SixFrameFile(const std::string& palette = "none.pal")
{
    std::vector<XpsFrame> frames;
    for (int i = 0; i < 6; ++i)
        frames.push_back({ i % 3, int16_t(i), int16_t(-i) });
    std::vector<XpsImage> images;
    for (int k = 0; k < 3; ++k) {
        XpsImage image;
        image.fWidth = int16_t(10 + k);
        image.fHeight = int16_t(5 + k);
        image.fTransparent = true;
        image.fPixels.assign(size_t(image.fWidth) * size_t(image.fHeight), 0);
        image.fPixels[size_t(image.fWidth) + 1] = 7;
        images.push_back(image);
    }
    return XpsWriteFile(frames, images, palette, true);
}

class NSpriteTest : public NSpSceneTest {
protected:
    NFileSpec WriteFile(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::filesystem::path path = fPrefix.Root() / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return NTestSpec(path);
    }

    NTestPrefix fPrefix;
};

} // namespace

TEST_F(NSpriteTest, LoadingShowsFrameZeroAtThePositionPlusItsOffset)
{
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    sprite.SetRect(NRect(100, 50, 0, 0));
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("six.xps", SixFrameFile())));
    EXPECT_EQ(sprite.CurrentIndex(), 0);
    EXPECT_EQ(sprite.Rect(), NRect(100, 50, 10, 5));
    EXPECT_EQ(sprite.FirstFrame(), 0);
    EXPECT_EQ(sprite.LastFrame(), 5);
    EXPECT_TRUE(sprite.IsVisible());
    EXPECT_TRUE(sprite.IsChanged());

    // Frame 4 shows image 1 at offset (4, -4); the position stays (100, 50).
    sprite.ShowFrame(4);
    EXPECT_EQ(sprite.Rect(), NRect(104, 46, 11, 6));
    EXPECT_EQ(sprite.Position(), NPoint(100, 50));
    sprite.MoveTo(NPoint(0, 0));
    EXPECT_EQ(sprite.Rect(), NRect(4, -4, 11, 6));
    EXPECT_TRUE(sprite.FrameChanged());
    // Beyond the last frame (and negative) means frame 0.
    sprite.ShowFrame(6);
    EXPECT_EQ(sprite.CurrentIndex(), 0);
    sprite.ShowFrame(3);
    sprite.ShowFrame(-2);
    EXPECT_EQ(sprite.CurrentIndex(), 0);
    EXPECT_EQ(sprite.Rect(), NRect(0, 0, 10, 5));
}

TEST_F(NSpriteTest, MissingOrDamagedFilesLeaveAnEmptySpriteAtItsPosition)
{
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    sprite.SetRect(NRect(30, 40, 0, 0));
    EXPECT_FALSE(sprite.LoadSpriteFile(NTestSpec(fPrefix.Root() / "missing.xps")));
    EXPECT_EQ(sprite.Rect(), NRect(30, 40, 0, 0));
    EXPECT_FALSE(sprite.ShowFrame(0));
    EXPECT_FALSE(sprite.IsDrawable());

    std::vector<uint8_t> truncated = SixFrameFile();
    truncated.resize(60);
    EXPECT_FALSE(sprite.LoadSpriteFile(WriteFile("short.xps", truncated)));
    EXPECT_EQ(sprite.Rect(), NRect(30, 40, 0, 0));
    EXPECT_EQ(sprite.Set(), nullptr);
    Render();   // nothing to draw, nothing to crash on
}

TEST_F(NSpriteTest, AFrameWithoutAnImageShowsNothingAndHitsNothing)
{
    std::vector<XpsFrame> frames { { 5, 2, 3 } };   // names an image the file lacks
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("noimage.xps", XpsWriteFile(frames, {}, "x.pal", false))));
    EXPECT_EQ(sprite.Rect(), NRect(2, 3, 0, 0));
    EXPECT_EQ(sprite.CurrentImage(), nullptr);
    EXPECT_FALSE(sprite.HitTest(NPoint(2, 3)));
    Render();
}

TEST_F(NSpriteTest, AnimationRangesWrapOrFinish)
{
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("six.xps", SixFrameFile())));
    sprite.SetAnimationRange(2, 5, 1);
    sprite.ShowFrame(2);
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        sprite.Animate();
        shown.push_back(sprite.CurrentIndex());
    }
    EXPECT_EQ(shown, std::vector<int>({ 3, 4, 5, 2, 3 }));

    sprite.ShowFrame(5);
    sprite.SetPlayOnce(true);
    sprite.Animate();
    EXPECT_EQ(sprite.CurrentIndex(), 5);
    EXPECT_TRUE(sprite.IsFinished());

    sprite.SetPlayOnce(false);
    sprite.SetAnimationRange(2, 5, -1);
    sprite.ShowFrame(2);
    sprite.Animate();
    EXPECT_EQ(sprite.CurrentIndex(), 5);
    sprite.Animate();
    EXPECT_EQ(sprite.CurrentIndex(), 4);
    sprite.SetPlayOnce(true);
    sprite.ShowFrame(2);
    sprite.Animate();
    EXPECT_EQ(sprite.CurrentIndex(), 2);
    EXPECT_TRUE(sprite.IsFinished());

    sprite.SetAnimationRange(0, 5, 0);
    sprite.ShowFrame(3);
    EXPECT_EQ(sprite.NextFrameIndex(), 3);
}

TEST_F(NSpriteTest, MirroredAndFlippedFrameOriginsAndDrawing)
{
    // One 40 x 2 frame at offset (-10, 0) whose left column is 5 and the rest 6.
    XpsImage image;
    image.fWidth = 40;
    image.fHeight = 2;
    image.fPixels.assign(80, 6);
    image.fPixels[0] = image.fPixels[40] = 5;
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("wide.xps", XpsWriteFile({ { 0, -10, 0 } }, { image }, "x.pal", false))));
    sprite.MoveTo(NPoint(100, 100));
    EXPECT_EQ(sprite.Rect(), NRect(90, 100, 40, 2));
    sprite.SetMirror(true);
    EXPECT_EQ(sprite.Rect(), NRect(70, 100, 40, 2));   // position - 30
    EXPECT_EQ(sprite.Position(), NPoint(100, 100));
    sprite.SetFlipVertically(true);
    EXPECT_EQ(sprite.Rect(), NRect(70, 98, 40, 2));
    Render();
    // Mirrored, the image's left column lands on the right edge.
    const NSpImage& back = *fUniverse->Surface()->GetImage();
    NPalette system;   // the file's palette is missing
    system.FromSystem();
    const NPaletteData& colors = *system.Data();
    auto at = [&](int x, int y) {
        uint32_t pixel;
        std::memcpy(&pixel, back.GetBits() + y * back.RowBytes() + x * 4, 4);
        return pixel;
    };
    EXPECT_EQ(at(109, 98), colors.Table32()[5]);
    EXPECT_EQ(at(70, 98), colors.Table32()[6]);
    EXPECT_EQ(fWindow->Pixel(109, 99), colors.Table32()[5]);
}

TEST_F(NSpriteTest, TransparentPixelsDoNotHitWithTheChildrenHitFlag)
{
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("six.xps", SixFrameFile())));
    sprite.MoveTo(NPoint(10, 10));
    EXPECT_TRUE(sprite.HitTest(NPoint(10, 10)));
    sprite.SetChildrenHit(true);
    EXPECT_FALSE(sprite.HitTest(NPoint(10, 10)));
    EXPECT_TRUE(sprite.HitTest(NPoint(11, 11)));
    EXPECT_FALSE(sprite.HitTest(NPoint(9, 11)));
}

TEST_F(NSpriteTest, CopiesShareTheSet)
{
    NSprite first;
    fUniverse->AddChild(first, 0);
    ASSERT_TRUE(first.LoadSpriteFile(WriteFile("six.xps", SixFrameFile())));
    first.ShowFrame(4);
    first.SetMirror(true);
    int16_t holders = first.Set()->HolderCount();
    {
        NSprite second;
        fUniverse->AddChild(second, 0);
        second.CopyFrom(first);
        EXPECT_EQ(second.Set(), first.Set());
        EXPECT_EQ(first.Set()->HolderCount(), holders + 1);
        EXPECT_EQ(second.CurrentIndex(), 4);
        EXPECT_TRUE(second.IsMirrored());
        EXPECT_EQ(second.Rect(), first.Rect());
    }
    EXPECT_EQ(first.Set()->HolderCount(), holders);
}

TEST_F(NSpriteTest, TimersAnimateOnTheCachedClockAndCatchUpWhenAsked)
{
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("six.xps", SixFrameFile())));
    Tick(0);
    sprite.RunTimer(100, 250);
    Tick(249);
    Render();
    EXPECT_EQ(sprite.CurrentIndex(), 0);
    Tick(1);
    Render();
    EXPECT_EQ(sprite.CurrentIndex(), 1);
    // Without catch-up a late tick starts afresh from now: one frame per render at most.
    Tick(1000);
    Render();
    EXPECT_EQ(sprite.CurrentIndex(), 2);
    Render();
    EXPECT_EQ(sprite.CurrentIndex(), 2);
    EXPECT_EQ(sprite.TimerNextDue(), NAppClock::The().Cached() + 100);

    sprite.SetTimerCatchUp(true);
    Tick(350);
    for (int i = 0; i < 5; ++i)
        Render();
    EXPECT_EQ(sprite.CurrentIndex(), 5);   // three periods were due
    sprite.StopTimer();
    Tick(1000);
    Render();
    EXPECT_EQ(sprite.CurrentIndex(), 5);
}

TEST_F(NSpriteTest, ASpriteFileDrawsThroughItsPaletteIndexes)
{
    NSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.LoadSpriteFile(WriteFile("six.xps", SixFrameFile())));
    sprite.MoveTo(NPoint(32, 32));
    Render();
    // The key is transparent: the clear colour shows through; the 7 comes through the
    // palette the file names, or the system colours when that palette is missing.
    NPalette system;
    system.FromSystem();
    EXPECT_EQ(fWindow->Pixel(32, 32), kBackground);
    EXPECT_EQ(fWindow->Pixel(33, 33), system.Data()->Table32()[7]);
}

TEST_F(NSpriteTest, CanvasSpritesShowTheirSurfaceAndRemakeItCleanly)
{
    NCanvasSprite sprite;
    fUniverse->AddChild(sprite, 0);
    ASSERT_TRUE(sprite.MakeCanvas(NPoint(40, 20), 8, nullptr));
    sprite.MoveTo(NPoint(64, 64));
    EXPECT_EQ(sprite.Rect(), NRect(64, 64, 40, 20));
    NCanvasImage* first = sprite.Canvas().CurrentImage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(static_cast<NSpImage*>(first), sprite.CurrentImage());
    first->SetFlags(0);
    first->FillRect(first->Bounds(), 77);
    sprite.MarkChanged();
    Render();
    EXPECT_EQ(fWindow->Pixel(70, 70), NPaletteRegistry::The().GetScreenPalette()->Data()->Table32()[77]);

    // A new surface replaces the old one (whose bitmap the sanitizer build would see
    // leak or be used after it is gone) and keeps the position.
    ASSERT_TRUE(sprite.MakeCanvas(NPoint(10, 10), 32, nullptr));
    EXPECT_NE(sprite.Canvas().CurrentImage(), nullptr);
    EXPECT_EQ(sprite.Rect(), NRect(64, 64, 10, 10));
    EXPECT_FALSE(sprite.MakeCanvas(NPoint(0, 10), 32, nullptr));
    EXPECT_EQ(sprite.Canvas().CurrentImage(), nullptr);
    EXPECT_EQ(sprite.Rect(), NRect(64, 64, 0, 0));
    Render();
}
