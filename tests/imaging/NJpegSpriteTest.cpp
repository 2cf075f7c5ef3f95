// Tests of JPEG sprites: queries, decoding at once and by the timer task, and saving.
#include "imaging/NJpegSprite.h"

#include "imaging/NSpChangeGrid.h"
#include "imaging/NSpGroup.h"

#include "imaging/NDrawTransformed.h"
#include "framework/NAppClock.h"
#include "framework/NIdleTaskRegistry.h"
#include "tests/imaging/NImagingTestSupport.h"
#include "tests/imaging/NJpegTestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// Every reading moves the clock on by one millisecond, so a slice ends after a few rows.
class ManualClock : public NAppClock::Source {
public:
    uint32_t Milliseconds() override { return fNow++; }
    uint32_t fNow = 5000;
};

class CountingSprite : public NJpegSprite {
public:
    void JpegDone() override
    {
        ++fDone;
        NJpegSprite::JpegDone();
    }
    int fDone = 0;
};

class NJpegSpriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NAppClock::The().SetSource(&fClock);
        fBytes = NTestEncode(NTestPattern(100, 75));
        fPhoto = fPrefix.Root() / "photo.jpg";
        NTestWriteBytes(fPhoto, fBytes);
    }

    void TearDown() override { NAppClock::The().SetSource(nullptr); }

    void Pass(uint32_t milliseconds)
    {
        fClock.fNow += milliseconds;
        NIdleTaskRegistry::The().RunDueTasks();
    }

    std::vector<uint32_t> Pixels(NJpegSprite& sprite)
    {
        NSpImage& image = *sprite.CurrentImage();
        std::vector<uint32_t> pixels;
        for (int y = 0; y < image.Height(); ++y) {
            const auto* row = reinterpret_cast<const uint32_t*>(image.GetBits() + y * image.RowBytes());
            pixels.insert(pixels.end(), row, row + image.Width());
        }
        return pixels;
    }

    NTestPrefix fPrefix;
    ManualClock fClock;
    std::vector<uint8_t> fBytes;
    fs::path fPhoto;
};

TEST_F(NJpegSpriteTest, InfoAndProbeAnswerForJpegsOnlyAndNeverThrow)
{
    int components = 0;
    EXPECT_EQ(NJpegSprite::JpegInfo(NTestSpec(fPhoto), &components), NRect(0, 0, 100, 75));
    EXPECT_EQ(components, 3);
    EXPECT_TRUE(NJpegSprite::IsJpegFile(NTestSpec(fPhoto)));

    fs::path ink = fs::path(LUMORA_TEST_DATA) / "imaging" / "cmyk.jpg";
    EXPECT_EQ(NJpegSprite::JpegInfo(NTestSpec(ink), &components), NRect());
    EXPECT_EQ(components, 4);
    EXPECT_TRUE(NJpegSprite::IsJpegFile(NTestSpec(ink)));

    fs::path other = fPrefix.Root() / "other.jpg";
    NTestWriteBytes(other, { 0xFF, 0xD8, 0xFF, 0xD9 });
    EXPECT_FALSE(NJpegSprite::IsJpegFile(NTestSpec(other)));
    NTestWriteBytes(other, { 'P', 'K', 3, 4 });
    EXPECT_FALSE(NJpegSprite::IsJpegFile(NTestSpec(other)));
    EXPECT_FALSE(NJpegSprite::IsJpegFile(NTestSpec(fPrefix.Root() / "missing.jpg")));
    EXPECT_EQ(NJpegSprite::JpegInfo(NTestSpec(fPrefix.Root() / "missing.jpg")), NRect());
}

TEST_F(NJpegSpriteTest, LoadsAtOnceIntoAThirtyTwoBitSpriteOnly)
{
    CountingSprite sprite;
    ASSERT_TRUE(sprite.MakeMemory(NRect(0, 0, 100, 75), 32, nullptr));
    sprite.CurrentImage()->SetFlag(kImageTransparent, true);
    sprite.LoadJpeg(NTestSpec(fPhoto), 1);
    EXPECT_EQ(sprite.DecodedSize(), NRect(0, 0, 100, 75));
    EXPECT_EQ(sprite.fDone, 1);
    EXPECT_FALSE(sprite.IsDecoding());
    EXPECT_FALSE(sprite.CurrentImage()->HasFlag(kImageTransparent));
    EXPECT_EQ(Pixels(sprite), NTestDecodeBytes(fBytes).fPicture.fPixels);

    // An eighth into a sprite of that size; a sprite of another depth is left alone.
    CountingSprite small;
    ASSERT_TRUE(small.MakeMemory(NRect(0, 0, 13, 10), 32, nullptr));
    small.LoadJpeg(NTestSpec(fPhoto), 8);
    EXPECT_EQ(small.DecodedSize(), NRect(0, 0, 13, 10));
    EXPECT_EQ(Pixels(small), NTestDecodeBytes(fBytes, 8).fPicture.fPixels);

    NPalette palette = NTestPalette();
    CountingSprite indexed;
    ASSERT_TRUE(indexed.MakeMemory(NRect(0, 0, 100, 75), 8, &palette));
    indexed.LoadJpeg(NTestSpec(fPhoto), 1);
    EXPECT_EQ(indexed.DecodedSize(), NRect());
    EXPECT_EQ(indexed.fDone, 0);

    // A file that cannot be opened or decoded: nothing decoded, and the decode still ends.
    CountingSprite missing;
    ASSERT_TRUE(missing.MakeMemory(NRect(0, 0, 10, 10), 32, nullptr));
    missing.LoadJpeg(NTestSpec(fPrefix.Root() / "missing.jpg"), 1);
    EXPECT_EQ(missing.DecodedSize(), NRect());
    EXPECT_TRUE(missing.HadFileError());
    EXPECT_EQ(missing.fDone, 1);
}

TEST_F(NJpegSpriteTest, SlicedLoadWaitsForTheStartDelayThenDecodesASlicePerTick)
{
    NSpGroup parent;
    CountingSprite sprite;
    parent.AddChild(sprite, 0);
    ASSERT_TRUE(sprite.MakeMemory(NRect(0, 0, 100, 75), 32, nullptr));
    sprite.SetSliceTime(3);
    sprite.SetStartDelay(50);
    sprite.CurrentImage()->FillRect(sprite.CurrentImage()->Bounds(), 0x01020304);
    size_t before = NIdleTaskRegistry::The().Count();
    sprite.LoadJpeg(NTestSpec(fPhoto), 1);
    EXPECT_TRUE(sprite.IsDecoding());
    EXPECT_EQ(NIdleTaskRegistry::The().Count(), before + 1);

    Pass(1);    // start: the delay begins
    Pass(30);   // still waiting
    EXPECT_EQ(Pixels(sprite).front(), 0x01020304u);
    int ticks = 0;
    int shown = 0;
    NSpChangeGrid grid(NRect(0, 0, 640, 480));
    while (sprite.IsDecoding() && ticks < 500) {
        sprite.CollectChanges(grid);
        Pass(30);
        ++ticks;
        shown += sprite.IsChanged() ? 1 : 0;
    }
    // Every slice is shown, so the rows decoded so far reach the screen; only the pass
    // that ends the finished task decodes nothing.
    EXPECT_GE(shown, ticks - 1);
    EXPECT_FALSE(sprite.IsDecoding());
    EXPECT_GT(ticks, 20);
    EXPECT_EQ(sprite.fDone, 1);
    EXPECT_EQ(NIdleTaskRegistry::The().Count(), before);
    EXPECT_EQ(Pixels(sprite), NTestDecodeBytes(fBytes).fPicture.fPixels);
}

TEST_F(NJpegSpriteTest, ANewLoadOrTheSpritesEndCancelsThePendingTask)
{
    size_t before = NIdleTaskRegistry::The().Count();
    {
        CountingSprite sprite;
        ASSERT_TRUE(sprite.MakeMemory(NRect(0, 0, 100, 75), 32, nullptr));
        sprite.SetSliceTime(1);
        sprite.LoadJpeg(NTestSpec(fPhoto), 1);
        sprite.LoadJpeg(NTestSpec(fPhoto), 2);
        EXPECT_EQ(NIdleTaskRegistry::The().Count(), before + 1);
        EXPECT_EQ(sprite.DecodedSize(), NRect(0, 0, 50, 38));
        Pass(1);
        Pass(1);
        EXPECT_TRUE(sprite.IsDecoding());
        EXPECT_EQ(sprite.fDone, 0);
    }
    EXPECT_EQ(NIdleTaskRegistry::The().Count(), before);
    Pass(1);   // the cancelled task's record is gone; nothing runs on a destroyed sprite
}

TEST_F(NJpegSpriteTest, SavesTheImageAndDrawsScaledIntoAnotherSprite)
{
    CountingSprite sprite;
    ASSERT_TRUE(sprite.MakeMemory(NRect(0, 0, 100, 75), 32, nullptr));
    sprite.LoadJpeg(NTestSpec(fPhoto), 1);
    NMemSprite half;
    ASSERT_TRUE(half.MakeMemory(NRect(0, 0, 50, 38), 32, nullptr));
    NTransformPoint from[3] = { { 0, 0 }, { 100, 0 }, { 0, 75 } };
    NTransformPoint to[3] = { { 0, 0 }, { 50, 0 }, { 0, 37.5 } };
    ASSERT_TRUE(DrawTransformed(sprite, half, sprite.CurrentImage()->Bounds(), half.CurrentImage()->Bounds(), from,
                                to, 0xFF000000, true, kTransformOpaque, 100));
    fs::path saved = fPrefix.Root() / "saved.jpg";
    NTestWriteBytes(saved, { 'o', 'l', 'd' });
    NJpegSprite halfJpeg;
    ASSERT_TRUE(halfJpeg.MakeMemory(NRect(0, 0, 50, 38), 32, nullptr));
    half.CurrentImage()->DrawAt(half.CurrentImage()->Bounds(), *halfJpeg.CurrentImage(), NPoint(0, 0), nullptr, false,
                                false);
    ASSERT_TRUE(halfJpeg.SaveJpeg(NTestSpec(saved), 90));
    NTestDecode decoded = NTestDecodeBytes(NTestReadBytes(saved));
    ASSERT_TRUE(decoded.fOk);
    EXPECT_EQ(decoded.fDecoded, NRect(0, 0, 50, 38));
    // The last row lies half outside the source: filled with opaque black.
    EXPECT_LT(decoded.fPicture.At(25, 37) & 0xFFFFFF, 0x202020u);
    EXPECT_GT(decoded.fPicture.At(45, 20) >> 16 & 255, 200u);

    NPalette palette = NTestPalette();
    NJpegSprite indexed;
    ASSERT_TRUE(indexed.MakeMemory(NRect(0, 0, 4, 4), 8, &palette));
    EXPECT_FALSE(indexed.SaveJpeg(NTestSpec(saved), 90));
}

} // namespace
