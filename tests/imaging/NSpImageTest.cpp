// Clipping, drawing per depth pair, masks, alpha scaling, fills, bevels and pixel reads.
#include "imaging/NSpImage.h"

#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

namespace {

class NSpImageTest : public ::testing::Test {
protected:
    // An 8-bit source whose pixel (x, y) holds 1 + x + 10 y.
    static void Number(NTestImage& image)
    {
        for (int y = 0; y < image.Image().Height(); ++y) {
            for (int x = 0; x < image.Image().Width(); ++x)
                image.Set8(x, y, uint8_t(1 + x + 10 * y));
        }
    }

    NPalette fPalette = NTestPalette();
};

// --- clipping ---

TEST_F(NSpImageTest, ClipRectsMovesTheSourceWithEveryDestinationEdge)
{
    NTestImage image(1, 1, 8);
    NRect source(0, 0, 10, 10);
    NRect destination(-3, -2, 10, 10);
    ASSERT_TRUE(image.Image().ClipRects(source, destination, NRect(0, 0, 20, 20)));
    EXPECT_EQ(source, NRect(3, 2, 7, 8));
    EXPECT_EQ(destination, NRect(0, 0, 7, 8));

    source = NRect(0, 0, 10, 10);
    destination = NRect(15, 16, 10, 10);
    ASSERT_TRUE(image.Image().ClipRects(source, destination, NRect(0, 0, 20, 20)));
    EXPECT_EQ(source, NRect(0, 0, 5, 4));
    EXPECT_EQ(destination, NRect(15, 16, 5, 4));

    for (NRect outside : { NRect(20, 0, 5, 5), NRect(-5, 0, 5, 5), NRect(0, 20, 5, 5), NRect(0, -5, 5, 5) }) {
        source = NRect(0, 0, 5, 5);
        EXPECT_FALSE(image.Image().ClipRects(source, outside, NRect(0, 0, 20, 20)));
    }
}

TEST_F(NSpImageTest, DrawAtLeftOfAndAboveTheClipShiftsTheSource)
{
    NTestImage source(10, 10, 8);
    Number(source);
    source.Image().SetFlag(kImageTransparent, false);
    NTestImage target(20, 20, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(-3, -2), nullptr, false, false));
    EXPECT_EQ(target.Get8(0, 0), 1 + 3 + 20);
    EXPECT_EQ(target.Get8(6, 7), 1 + 9 + 90);
    EXPECT_EQ(target.Get8(7, 0), 0xEE);
    EXPECT_EQ(target.Get8(0, 8), 0xEE);

    NRect clip(8, 6, 4, 4);
    NTestImage clipped(20, 20, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), clipped.Image(), NPoint(5, 5), &clip, false, false));
    EXPECT_EQ(clipped.Get8(8, 6), 1 + 3 + 10);
    EXPECT_EQ(clipped.Get8(11, 9), 1 + 6 + 40);
    EXPECT_EQ(clipped.Get8(7, 6), 0xEE);
    EXPECT_EQ(clipped.Get8(12, 9), 0xEE);
}

TEST_F(NSpImageTest, ClipsLargerThanTheDestinationStillDrawTheVisiblePart)
{
    NTestImage source(4, 4, 8);
    Number(source);
    source.Image().SetFlag(kImageTransparent, false);
    NTestImage target(3, 3, 8, 0xEE);
    NRect clip(-10, -10, 100, 100);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(1, 1), &clip, false, false));
    EXPECT_EQ(target.Get8(0, 0), 0xEE);
    EXPECT_EQ(target.Get8(1, 1), 1);
    EXPECT_EQ(target.Get8(2, 2), 12);
}

TEST_F(NSpImageTest, DrawAtEntirelyOutsideWritesNothing)
{
    NTestImage source(4, 4, 8, 7);
    NTestImage target(8, 8, 8, 0xEE);
    std::vector<uint8_t> before = target.Bytes();
    EXPECT_FALSE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(8, 0), nullptr, false, false));
    EXPECT_FALSE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(-4, 2), nullptr, false, false));
    EXPECT_FALSE(source.Image().DrawAt(NRect(10, 10, 3, 3), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Bytes(), before);
}

// --- mirror and flip ---

TEST_F(NSpImageTest, MirroredLeftHalfShowsTheRightHalfReversed)
{
    NTestImage source(4, 1, 8);
    Number(source);
    source.Image().SetFlag(kImageTransparent, false);
    NTestImage target(4, 1, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(NRect(0, 0, 2, 1), target.Image(), NPoint(0, 0), nullptr, false, true));
    EXPECT_EQ(target.Get8(0, 0), 4);
    EXPECT_EQ(target.Get8(1, 0), 3);
    EXPECT_EQ(target.Get8(2, 0), 0xEE);

    // The same through the palette, at 32 bits, and with transparent groups.
    NTestImage wide(4, 1, 32, 0, &fPalette);
    source.Image().Init(4, 1, 4, 8, &fPalette);
    ASSERT_TRUE(source.Image().DrawAt(NRect(0, 0, 2, 1), wide.Image(), NPoint(0, 0), nullptr, false, true));
    EXPECT_EQ(wide.Get32(0, 0), fPalette.Data()->Table32()[4]);
    EXPECT_EQ(wide.Get32(1, 0), fPalette.Data()->Table32()[3]);
}

TEST_F(NSpImageTest, FlipTakesRowsFromTheBottom)
{
    NTestImage source(2, 3, 8);
    Number(source);
    source.Image().SetFlag(kImageTransparent, false);
    NTestImage target(2, 3, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(0, 0), nullptr, true, false));
    EXPECT_EQ(target.Get8(0, 0), 21);
    EXPECT_EQ(target.Get8(1, 2), 2);
    NTestImage top(2, 2, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(NRect(0, 0, 2, 2), top.Image(), NPoint(0, 0), nullptr, true, true));
    EXPECT_EQ(top.Get8(0, 0), 22);
    EXPECT_EQ(top.Get8(1, 1), 11);
}

// --- transparency and alpha ---

TEST_F(NSpImageTest, TransparentZeroSourceLeavesDestinationsUnchanged)
{
    NTestImage zeros(9, 2, 8, 0, &fPalette);
    NTestImage narrow(9, 2, 8, 0x5A);
    NTestImage wide(9, 2, 32, 0x5A);
    ASSERT_TRUE(zeros.Image().HasFlag(kImageTransparent));
    for (bool mirror : { false, true }) {
        EXPECT_TRUE(zeros.Image().DrawAt(zeros.Image().Bounds(), narrow.Image(), NPoint(0, 0), nullptr, false, mirror));
        EXPECT_TRUE(zeros.Image().DrawAt(zeros.Image().Bounds(), wide.Image(), NPoint(0, 0), nullptr, false, mirror));
    }
    EXPECT_EQ(narrow.Bytes(), std::vector<uint8_t>(18, 0x5A));
    EXPECT_EQ(wide.Bytes(), std::vector<uint8_t>(72, 0x5A));

    zeros.Image().SetFlag(kImageTransparent, false);
    zeros.Image().DrawAt(zeros.Image().Bounds(), narrow.Image(), NPoint(0, 0), nullptr, false, false);
    zeros.Image().DrawAt(zeros.Image().Bounds(), wide.Image(), NPoint(0, 0), nullptr, false, false);
    EXPECT_EQ(narrow.Bytes(), std::vector<uint8_t>(18, 0));
    EXPECT_EQ(wide.Get32(8, 1), fPalette.Data()->Table32()[0]);
}

TEST_F(NSpImageTest, TransparentGroupsStillDrawTheirNonZeroBytes)
{
    NTestImage source(10, 1, 8);
    source.Set8(4, 0, 5);
    source.Set8(9, 0, 6);
    source.Set8(1, 0, 7);
    NTestImage target(10, 1, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Bytes(), (std::vector<uint8_t> { 0xEE, 7, 0xEE, 0xEE, 5, 0xEE, 0xEE, 0xEE, 0xEE, 6 }));
    NTestImage mirrored(10, 1, 8, 0xEE);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), mirrored.Image(), NPoint(0, 0), nullptr, false, true));
    EXPECT_EQ(mirrored.Bytes(), (std::vector<uint8_t> { 6, 0xEE, 0xEE, 0xEE, 0xEE, 5, 0xEE, 0xEE, 7, 0xEE }));
}

TEST_F(NSpImageTest, AlphaBlendKeepsOpaqueWordsAndSkipsClearOnes)
{
    NTestImage source(4, 1, 32);
    source.Image().SetFlags(kImageAlpha);
    source.Set32(0, 0, 0xFF123456);
    source.Set32(1, 0, 0x00FFFFFF);
    source.Set32(2, 0, 0x80FF4020);
    source.Set32(3, 0, 0x40402010);
    NTestImage target(4, 1, 32);
    target.Fill32(0x11806040);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Get32(0, 0), 0xFF123456u);
    EXPECT_EQ(target.Get32(1, 0), 0x11806040u);
    // Straight alpha: (d (255 - a) + s a) >> 8 per channel, destination alpha kept.
    auto straight = [](uint32_t d, uint32_t s, uint32_t a) { return (d * (255 - a) + s * a) >> 8; };
    uint32_t expected = 0x11000000 | straight(0x80, 0xFF, 0x80) << 16 | straight(0x60, 0x40, 0x80) << 8
        | straight(0x40, 0x20, 0x80);
    EXPECT_EQ(target.Get32(2, 0), expected);

    source.Image().SetFlags(kImageAlpha | kImagePremultiplied);
    target.Fill32(0x11806040);
    ASSERT_TRUE(source.Image().DrawAt(NRect(3, 0, 1, 1), target.Image(), NPoint(3, 0), nullptr, false, false));
    auto premultiplied = [](uint32_t d, uint32_t s, uint32_t a) { return ((d * (255 - a)) >> 8) + s; };
    expected = 0x11000000 | premultiplied(0x80, 0x40, 0x40) << 16 | premultiplied(0x60, 0x20, 0x40) << 8
        | premultiplied(0x40, 0x10, 0x40);
    EXPECT_EQ(target.Get32(3, 0), expected);
}

TEST_F(NSpImageTest, WholeRowBlendsMatchPixelByPixelBlends)
{
    // Mirrored rows blend one pixel at a time; plain rows take several at once.
    for (uint8_t flags : { uint8_t(kImageAlpha), uint8_t(kImageAlpha | kImagePremultiplied) }) {
        NTestImage source(37, 3, 32);
        source.Image().SetFlags(flags);
        uint32_t seed = 12345;
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 37; ++x) {
                seed = seed * 1103515245 + 12345;
                uint32_t alpha = (seed >> 8) % 4 == 0 ? 255 : (seed >> 8) % 4 == 1 ? 0 : seed >> 24;
                source.Set32(x, y, alpha << 24 | (seed & 0xFFFFFF));
            }
        }
        NTestImage plain(37, 3, 32);
        NTestImage mirrored(37, 3, 32);
        for (int i = 0; i < 37 * 3; ++i) {
            plain.Set32(i % 37, i / 37, 0x5A000000u + uint32_t(i) * 0x10305);
            mirrored.Set32(36 - i % 37, i / 37, 0x5A000000u + uint32_t(i) * 0x10305);
        }
        ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), plain.Image(), NPoint(0, 0), nullptr, false, false));
        ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), mirrored.Image(), NPoint(0, 0), nullptr, false, true));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 37; ++x)
                ASSERT_EQ(plain.Get32(x, y), mirrored.Get32(36 - x, y)) << "flags " << int(flags) << " at " << x << "," << y;
        }
    }
}

TEST_F(NSpImageTest, ThirtyTwoToSixteenConvertsAndBlendsOnFiveBitChannels)
{
    NTestImage source(3, 1, 32);
    source.Set32(0, 0, 0xFFF80408);
    source.Set32(1, 0, 0);
    source.Set32(2, 0, 0x12FFFFFF);
    NTestImage target(3, 1, 16, 0x21);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Get16(0, 0), (31 << 10) | 1);
    EXPECT_EQ(target.Get16(1, 0), 0x2121);
    EXPECT_EQ(target.Get16(2, 0), 0x7FFF);

    source.Image().SetFlags(kImageAlpha);
    source.Set32(0, 0, 0x80F80000);
    NTestImage blended(1, 1, 16);
    ASSERT_TRUE(source.Image().DrawAt(NRect(0, 0, 1, 1), blended.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(blended.Get16(0, 0), ((31 * 0x80) >> 8) << 10);
}

TEST_F(NSpImageTest, ShadowDarkensByCoverage)
{
    NTestImage coverage(3, 1, 8);
    coverage.Image().SetFlags(kImageAlpha);
    coverage.Set8(0, 0, 0);
    coverage.Set8(1, 0, 255);
    coverage.Set8(2, 0, 128);
    NTestImage target(3, 1, 32);
    target.Fill32(0x7F8040C0);
    ASSERT_TRUE(coverage.Image().DrawAt(coverage.Image().Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Get32(0, 0), 0x7F8040C0u);
    EXPECT_EQ(target.Get32(1, 0), 0u);
    EXPECT_EQ(target.Get32(2, 0), 0x7F000000u | ((0x80u * 127) >> 8) << 16 | ((0x40u * 127) >> 8) << 8 | ((0xC0u * 127) >> 8));
}

TEST_F(NSpImageTest, UnsupportedDepthPairsDrawNothing)
{
    NTestImage narrow(2, 2, 8, 3, &fPalette);
    NTestImage mid(2, 2, 16, 3);
    NTestImage wide(2, 2, 32, 3);
    std::vector<uint8_t> before = mid.Bytes();
    EXPECT_FALSE(narrow.Image().DrawAt(narrow.Image().Bounds(), mid.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_FALSE(mid.Image().DrawAt(mid.Image().Bounds(), wide.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_FALSE(wide.Image().DrawAt(wide.Image().Bounds(), narrow.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(mid.Bytes(), before);
}

TEST_F(NSpImageTest, DrawToRefusesRectanglesOutsideEitherImage)
{
    NTestImage source(4, 4, 8, 9);
    NTestImage target(4, 4, 8);
    EXPECT_FALSE(source.Image().DrawTo(target.At(0, 0), target.Image(), NRect(2, 2, 4, 4), false, false));
    EXPECT_FALSE(source.Image().DrawTo(target.At(2, 2), target.Image(), NRect(0, 0, 4, 4), false, false));
    EXPECT_EQ(target.Bytes(), std::vector<uint8_t>(16, 0));
}

// --- masks and alpha scaling ---

TEST_F(NSpImageTest, MaskModesWriteScaledCoverage)
{
    NTestImage coverage(3, 1, 8);
    coverage.Set8(0, 0, 0);
    coverage.Set8(1, 0, 100);
    coverage.Set8(2, 0, 255);
    auto alphas = [&](int mode, int percent) {
        NTestImage target(3, 1, 32);
        target.Fill32(0x77123456);
        EXPECT_TRUE(coverage.Image().MaskTo(target.At(0, 0), target.Image(), coverage.Image().Bounds(), mode, percent));
        EXPECT_EQ(target.Get32(0, 0) & 0xFFFFFF, 0x123456u);
        return std::vector<uint32_t> { target.Get32(0, 0) >> 24, target.Get32(1, 0) >> 24, target.Get32(2, 0) >> 24 };
    };
    EXPECT_EQ(alphas(kMaskCopy, 100), (std::vector<uint32_t> { 0, 100, 255 }));
    EXPECT_EQ(alphas(kMaskCovered, 100), (std::vector<uint32_t> { 0x77, 100, 255 }));
    EXPECT_EQ(alphas(kMaskClearCovered, 100), (std::vector<uint32_t> { 0x77, 0, 0 }));
    EXPECT_EQ(alphas(kMaskCopy, 50), (std::vector<uint32_t> { 0, 50, 127 }));
    EXPECT_EQ(alphas(kMaskCopy, 300), (std::vector<uint32_t> { 0, 255, 255 }));

    NTestImage bytes(3, 1, 8, 9);
    ASSERT_TRUE(coverage.Image().MaskTo(bytes.At(0, 0), bytes.Image(), coverage.Image().Bounds(), kMaskCovered, 100));
    EXPECT_EQ(bytes.Bytes(), (std::vector<uint8_t> { 9, 100, 255 }));
}

TEST_F(NSpImageTest, MaskFromThirtyTwoBitsNeedsTheAlphaFlag)
{
    NTestImage source(1, 1, 32);
    source.Set32(0, 0, 0x40FFFFFF);
    source.Image().SetFlags(0);
    NTestImage target(1, 1, 32);
    EXPECT_FALSE(source.Image().MaskTo(target.At(0, 0), target.Image(), NRect(0, 0, 1, 1), kMaskCopy, 100));
    source.Image().SetFlags(kImageAlpha);
    EXPECT_TRUE(source.Image().MaskTo(target.At(0, 0), target.Image(), NRect(0, 0, 1, 1), kMaskCopy, 100));
    EXPECT_EQ(target.Get32(0, 0), 0x40000000u);
    NTestImage narrow(1, 1, 8);
    EXPECT_FALSE(source.Image().MaskTo(narrow.At(0, 0), narrow.Image(), NRect(0, 0, 1, 1), kMaskCopy, 100));
}

TEST_F(NSpImageTest, ScaleAlphaByHalfTurnsOpaqueIntoHalfway)
{
    NTestImage wide(2, 1, 32);
    wide.Set32(0, 0, 0xFF102030);
    wide.Set32(1, 0, 0x01102030);
    wide.Image().SetFlags(kImageAlpha);
    wide.Image().ScaleAlpha(50);
    EXPECT_EQ(wide.Get32(0, 0), 0x80102030u);
    EXPECT_EQ(wide.Get32(1, 0), 0x01102030u);   // (32768 + 32768) >> 16
    wide.Image().ScaleAlpha(1000);
    EXPECT_EQ(wide.Get32(0, 0) >> 24, 255u);

    NTestImage coverage(1, 1, 8, 255);
    coverage.Image().ScaleAlpha(50);
    EXPECT_EQ(coverage.Get8(0, 0), 255) << "without the alpha flag nothing changes";
    coverage.Image().SetFlags(kImageAlpha);
    coverage.Image().ScaleAlpha(50);
    EXPECT_EQ(coverage.Get8(0, 0), 128);
}

// --- fills, bevels, pixels ---

TEST_F(NSpImageTest, FillRectClipsAndWritesEachDepth)
{
    NTestImage mid(5, 2, 16);
    mid.Image().FillRect(NRect(1, 1, 3, 5), 0x12345678);
    EXPECT_EQ(mid.Get16(0, 1), 0);
    EXPECT_EQ(mid.Get16(1, 1), 0x5678);
    EXPECT_EQ(mid.Get16(3, 1), 0x5678);
    EXPECT_EQ(mid.Get16(4, 1), 0);
    EXPECT_EQ(mid.Get16(1, 0), 0);
    NTestImage narrow(3, 1, 8);
    narrow.Image().FillRect(NRect(-2, -2, 4, 4), 0x1FF);
    EXPECT_EQ(narrow.Bytes(), (std::vector<uint8_t> { 0xFF, 0xFF, 0 }));
    NTestImage wide(2, 1, 32);
    wide.Image().FillRect(NRect(1, 0, 1, 1), 0xDEADBEEF);
    EXPECT_EQ(wide.Get32(0, 0), 0u);
    EXPECT_EQ(wide.Get32(1, 0), 0xDEADBEEFu);
}

TEST_F(NSpImageTest, BevelColoursMeetOnDiagonals)
{
    NTestImage image(6, 6, 8);
    image.Image().DrawBevel(NRect(0, 0, 6, 6), NRect(0, 0, 6, 6), 1, 2, 2);
    const char* expected[] = { "111111", "111112", "110022", "110022", "122222", "222222" };
    for (int y = 0; y < 6; ++y) {
        std::string row;
        for (int x = 0; x < 6; ++x)
            row.push_back(char('0' + image.Get8(x, y)));
        EXPECT_EQ(row, expected[y]) << "row " << y;
    }
    NTestImage clipped(6, 6, 32);
    clipped.Image().DrawBevel(NRect(0, 0, 6, 6), NRect(0, 0, 3, 6), 0xAAAAAAAA, 0xBBBBBBBB, 1);
    EXPECT_EQ(clipped.Get32(0, 0), 0xAAAAAAAAu);
    EXPECT_EQ(clipped.Get32(2, 5), 0xBBBBBBBBu);
    EXPECT_EQ(clipped.Get32(5, 5), 0u);
    EXPECT_EQ(clipped.Get32(3, 0), 0u);
}

TEST_F(NSpImageTest, GetPixelReadsBytesButNeverThirtyTwoBitImages)
{
    NTestImage narrow(3, 2, 8);
    narrow.Set8(2, 1, 77);
    EXPECT_EQ(narrow.Image().GetPixel(2, 1), 77);
    EXPECT_EQ(narrow.Image().GetPixel(3, 1), 0);
    EXPECT_EQ(narrow.Image().GetPixel(-1, 0), 0);
    NTestImage wide(2, 2, 32);
    wide.Fill32(0xFFFFFFFF);
    EXPECT_EQ(wide.Image().GetPixel(1, 1), 0);
    NSpMemImage empty;
    EXPECT_EQ(empty.GetPixel(0, 0), 0);
}

} // namespace
