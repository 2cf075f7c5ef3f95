// Box-filter reduction and masked recolouring.
#include "imaging/NImageOps.h"

#include "imaging/NSpFrame.h"
#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

namespace {

class NImageOpsTest : public ::testing::Test {
protected:
    // A row of 32-bit pixels.
    static void Row(NTestImage& image, std::initializer_list<uint32_t> pixels)
    {
        int x = 0;
        for (uint32_t pixel : pixels)
            image.Set32(x++, 0, pixel);
    }
};

TEST_F(NImageOpsTest, ThreeColumnsToTwoAverageBlocksZeroOneAndTwo)
{
    NTestImage source(3, 1, 32);
    source.Image().SetFlags(0);
    Row(source, { 0xFF000010, 0xFF000030, 0xFF000090 });
    NTestImage target(2, 1, 32);
    target.Image().SetFlags(kImageAlpha | kImagePremultiplied);
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    EXPECT_EQ(target.Get32(0, 0), 0xFF000020u);
    EXPECT_EQ(target.Get32(1, 0), 0xFF000090u);
    EXPECT_FALSE(target.Image().HasFlag(kImageAlpha)) << "all opaque";
    EXPECT_FALSE(target.Image().HasFlag(kImagePremultiplied));
}

TEST_F(NImageOpsTest, RowsUseTheSameBlocksAndEnlargingReadsAtLeastOnePixel)
{
    NTestImage source(1, 3, 32);
    source.Image().SetFlags(0);
    source.Set32(0, 0, 0xFF100000);
    source.Set32(0, 1, 0xFF300000);
    source.Set32(0, 2, 0xFF900000);
    NTestImage target(1, 2, 32);
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    EXPECT_EQ(target.Get32(0, 0), 0xFF200000u);
    EXPECT_EQ(target.Get32(0, 1), 0xFF900000u);

    NTestImage one(1, 1, 32);
    one.Image().SetFlags(0);
    one.Set32(0, 0, 0xFF445566);
    NTestImage two(2, 2, 32);
    ASSERT_TRUE(AverageShrink(one.Image(), two.Image()));
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 2; ++x)
            EXPECT_EQ(two.Get32(x, y), 0xFF445566u);
    }
}

TEST_F(NImageOpsTest, TransparentBlackBlocksBecomeClear)
{
    NTestImage source(4, 1, 32);
    source.Image().SetFlags(kImageTransparent);
    Row(source, { 0xFF000000, 0x12000000, 0xFF000000, 0xFF00FF00 });
    NTestImage target(2, 1, 32);
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    EXPECT_EQ(target.Get32(0, 0), 0u);
    // One of two pixels used: alpha 255 / 2, the colour of the used one.
    EXPECT_EQ(target.Get32(1, 0), 0x7F00FF00u);
    EXPECT_TRUE(target.Image().HasFlag(kImageAlpha));
}

TEST_F(NImageOpsTest, WideBlocksCountTheirBlackPixels)
{
    NTestImage source(9, 2, 32);
    source.Image().SetFlags(kImageTransparent);
    for (int x = 0; x < 9; ++x) {
        source.Set32(x, 0, x % 2 ? 0xFF000000 : 0xFF00FF00);
        source.Set32(x, 1, 0xFF00FF00);
    }
    NTestImage target(1, 1, 32);
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    // 14 of 18 pixels used: alpha 255 * 14 / 18, all of them green.
    EXPECT_EQ(target.Get32(0, 0), (255u * 14 / 18) << 24 | 0x00FF00);
}

TEST_F(NImageOpsTest, WideImagesShrinkAcrossColumnBands)
{
    NTestImage source(600, 2, 32);
    source.Image().SetFlags(0);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 600; ++x)
            source.Set32(x, y, 0xFF000000 | uint32_t(x / 2 % 256) | uint32_t(x / 2 / 256) << 16);
    }
    NTestImage target(300, 1, 32);
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    for (int c : { 0, 1, 255, 256, 257, 299 })
        EXPECT_EQ(target.Get32(c, 0), 0xFF000000u | uint32_t(c % 256) | uint32_t(c / 256) << 16) << "column " << c;
}

TEST_F(NImageOpsTest, AlphaSourcesWeightColoursByAlpha)
{
    NTestImage source(4, 1, 32);
    source.Image().SetFlags(kImageAlpha);
    Row(source, { 0x80FF0000, 0x00000000, 0xFF0000FF, 0xFF0000FF });
    NTestImage target(2, 1, 32);
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    // Weight 128 over two pixels; red 255 * 128 / 255 = 128, then 128 * 255 / 128.
    EXPECT_EQ(target.Get32(0, 0), 0x40FF0000u);
    EXPECT_EQ(target.Get32(1, 0), 0xFF0000FFu);
    EXPECT_TRUE(target.Image().HasFlag(kImageAlpha));

    Row(source, { 0, 0, 0, 0 });
    ASSERT_TRUE(AverageShrink(source.Image(), target.Image()));
    EXPECT_EQ(target.Get32(0, 0), 0u) << "fully clear pixels give alpha 0 and no colour";
}

TEST_F(NImageOpsTest, ShrinkRefusesOtherDepthsAndRectanglesOutside)
{
    NTestImage narrow(4, 4, 8);
    NTestImage wide(2, 2, 32, 0x33);
    EXPECT_FALSE(AverageShrink(narrow.Image(), wide.Image()));
    EXPECT_FALSE(AverageShrink(wide.Image(), narrow.Image()));
    NTestImage source(4, 4, 32);
    EXPECT_FALSE(AverageShrink(source.Image(), NRect(2, 2, 4, 4), wide.Image(), wide.Image().Bounds()));
    EXPECT_FALSE(AverageShrink(source.Image(), source.Image().Bounds(), wide.Image(), NRect(0, 0, 0, 2)));
    EXPECT_EQ(wide.Bytes(), std::vector<uint8_t>(16, 0x33));
}

TEST_F(NImageOpsTest, FramesShrinkTheirImages)
{
    NTestImage source(2, 2, 32);
    source.Image().SetFlags(0);
    source.Fill32(0xFF204060);
    NTestImage target(1, 1, 32);
    NSpFrame from;
    NSpFrame to;
    EXPECT_FALSE(AverageShrink(from, to));
    from.fImage = &source.Image();
    to.fImage = &target.Image();
    ASSERT_TRUE(AverageShrink(from, to));
    EXPECT_EQ(target.Get32(0, 0), 0xFF204060u);
}

TEST_F(NImageOpsTest, FillMaskedRecoloursWithinTheSpriteAndKeepsAlpha)
{
    NTestImage image(4, 4, 32);
    image.Fill32(0x80112233);
    FillMasked(image.Image(), NRect(10, 10, 4, 4), NRect(12, 11, 5, 1), 0xFFAABBCC, 0x00FFFFFF);
    EXPECT_EQ(image.Get32(2, 1), 0x80AABBCCu);
    EXPECT_EQ(image.Get32(3, 1), 0x80AABBCCu);
    EXPECT_EQ(image.Get32(1, 1), 0x80112233u);
    EXPECT_EQ(image.Get32(2, 2), 0x80112233u);
    FillMasked(image.Image(), NRect(10, 10, 4, 4), NRect(0, 0, 5, 5), 0, 0xFFFFFFFF);
    EXPECT_EQ(image.Get32(0, 0), 0x80112233u) << "outside the sprite";
}

} // namespace
