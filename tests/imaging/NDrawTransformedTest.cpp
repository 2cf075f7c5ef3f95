// Tests of DrawTransformed: identity, scaling, turning, the fill rules and the modes.
#include "imaging/NDrawTransformed.h"

#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

namespace {

using Points = NTransformPoint[3];

// Source corners (0, 0), (w, 0), (0, h) onto destination corners scaled by sx, sy.
void Corners(Points from, Points to, double w, double h, double sx, double sy, double ox = 0, double oy = 0)
{
    from[0] = { 0, 0 };
    from[1] = { w, 0 };
    from[2] = { 0, h };
    to[0] = { ox, oy };
    to[1] = { ox + w * sx, oy };
    to[2] = { ox, oy + h * sy };
}

uint32_t Pattern(int x, int y)
{
    return 0xFF000000 | uint32_t(x * 37 % 256) << 16 | uint32_t(y * 53 % 256) << 8 | uint32_t((x + y) * 11 % 256);
}

void FillPattern(NTestImage& image)
{
    for (int y = 0; y < image.Image().Height(); ++y) {
        for (int x = 0; x < image.Image().Width(); ++x)
            image.Set32(x, y, Pattern(x, y));
    }
}

TEST(NDrawTransformedTest, IdentityCopiesEveryPixelWithAndWithoutFiltering)
{
    for (bool filter : { false, true }) {
        NTestImage source(13, 9, 32);
        FillPattern(source);
        NTestImage destination(13, 9, 32);
        Points from, to;
        Corners(from, to, 13, 9, 1, 1);
        ASSERT_TRUE(DrawTransformed(source.Image(), destination.Image(), source.Image().Bounds(),
                                    destination.Image().Bounds(), from, to, 0, filter, kTransformCopy, 100));
        EXPECT_EQ(destination.Bytes(), source.Bytes()) << "filter " << filter;
    }
}

TEST(NDrawTransformedTest, HalvingWithFilteringAveragesEachBlockAndDoublingRepeatsPixels)
{
    NTestImage source(8, 6, 32);
    FillPattern(source);
    NTestImage half(4, 3, 32);
    Points from, to;
    Corners(from, to, 8, 6, 0.5, 0.5);
    ASSERT_TRUE(DrawTransformed(source.Image(), half.Image(), source.Image().Bounds(), half.Image().Bounds(), from, to,
                                0, true, kTransformOpaque, 100));
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 4; ++x) {
            for (int shift = 0; shift < 24; shift += 8) {
                auto c = [&](int px, int py) { return (source.Get32(px, py) >> shift) & 255; };
                // Two rounded halvings: first along the row, then between the rows.
                uint32_t top = (c(2 * x, 2 * y) * 32768 + c(2 * x + 1, 2 * y) * 32768 + 0x8000) >> 16;
                uint32_t bottom = (c(2 * x, 2 * y + 1) * 32768 + c(2 * x + 1, 2 * y + 1) * 32768 + 0x8000) >> 16;
                EXPECT_EQ((half.Get32(x, y) >> shift) & 255, (top * 32768 + bottom * 32768 + 0x8000) >> 16)
                    << x << "," << y << " shift " << shift;
            }
            EXPECT_EQ(half.Get32(x, y) >> 24, 255u);
        }
    }

    NTestImage twice(16, 12, 32);
    Corners(from, to, 8, 6, 2, 2);
    ASSERT_TRUE(DrawTransformed(source.Image(), twice.Image(), source.Image().Bounds(), twice.Image().Bounds(), from,
                                to, 0, false, kTransformCopy, 100));
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(twice.Get32(x, y), source.Get32(x / 2, y / 2)) << x << "," << y;
    }
}

TEST(NDrawTransformedTest, QuarterTurnMovesEveryPixelToItsTurnedPlace)
{
    NTestImage source(5, 3, 32);
    FillPattern(source);
    NTestImage turned(3, 5, 32);
    // Turned clockwise: top-left goes to top-right, top-right to bottom-right.
    Points from = { { 0, 0 }, { 5, 0 }, { 0, 3 } };
    Points to = { { 3, 0 }, { 3, 5 }, { 0, 0 } };
    for (bool filter : { false, true }) {
        ASSERT_TRUE(DrawTransformed(source.Image(), turned.Image(), source.Image().Bounds(), turned.Image().Bounds(),
                                    from, to, 0, filter, kTransformCopy, 100));
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < 5; ++x)
                EXPECT_EQ(turned.Get32(2 - y, x), source.Get32(x, y)) << x << "," << y << " filter " << filter;
        }
    }
}

TEST(NDrawTransformedTest, PixelsOutsideTheSourceGetANonZeroFillAndAreLeftAloneByZero)
{
    NTestImage source(4, 4, 32);
    FillPattern(source);
    Points from, to;
    Corners(from, to, 4, 4, 1, 1, 2, 3);   // the source lands at (2, 3) in a 10 x 10 image

    NTestImage kept(10, 10, 32);
    kept.Fill32(0xFF010203);
    ASSERT_TRUE(DrawTransformed(source.Image(), kept.Image(), source.Image().Bounds(), kept.Image().Bounds(), from, to,
                                0, true, kTransformCopy, 100));
    NTestImage filled(10, 10, 32);
    filled.Image().SetFlag(kImagePremultiplied, true);
    ASSERT_TRUE(DrawTransformed(source.Image(), filled.Image(), source.Image().Bounds(), filled.Image().Bounds(), from,
                                to, 0x80FF00FF, false, kTransformCopy, 100));
    for (int y = 0; y < 10; ++y) {
        for (int x = 0; x < 10; ++x) {
            bool inside = x >= 2 && x < 6 && y >= 3 && y < 7;
            EXPECT_EQ(kept.Get32(x, y), inside ? source.Get32(x - 2, y - 3) : 0xFF010203u) << x << "," << y;
            EXPECT_EQ(filled.Get32(x, y), inside ? source.Get32(x - 2, y - 3) : 0x80FF00FFu) << x << "," << y;
        }
    }
    EXPECT_TRUE(filled.Image().HasFlag(kImageAlpha));
    EXPECT_FALSE(filled.Image().HasFlag(kImagePremultiplied));
    EXPECT_FALSE(kept.Image().HasFlag(kImageAlpha));

    // An opaque fill clears the alpha flag; a map that squashes everything onto a line fills
    // the whole destination rectangle and nothing else.
    filled.Image().SetFlag(kImageAlpha, true);
    ASSERT_TRUE(DrawTransformed(source.Image(), filled.Image(), source.Image().Bounds(), filled.Image().Bounds(), from,
                                to, 0xFF00FF00, false, kTransformCopy, 100));
    EXPECT_FALSE(filled.Image().HasFlag(kImageAlpha));
    Points line = { { 0, 0 }, { 4, 0 }, { 8, 0 } };
    ASSERT_TRUE(DrawTransformed(source.Image(), filled.Image(), source.Image().Bounds(), NRect(1, 1, 2, 2), from, line,
                                0xFF0000FF, false, kTransformCopy, 100));
    EXPECT_EQ(filled.Get32(1, 1), 0xFF0000FFu);
    EXPECT_EQ(filled.Get32(2, 2), 0xFF0000FFu);
    EXPECT_EQ(filled.Get32(3, 3), source.Get32(1, 0));
}

TEST(NDrawTransformedTest, ModesTreatAlphaAsDocumentedAndIndexZeroIsSkippedWhenBlending)
{
    NTestImage source(2, 1, 32);
    source.Set32(0, 0, 0x80FF0000);   // half-transparent red
    source.Set32(1, 0, 0x0000FF00);   // fully transparent green
    Points from, to;
    Corners(from, to, 2, 1, 1, 1);
    auto run = [&](int mode, int opacity) {
        NTestImage destination(2, 1, 32);
        destination.Fill32(0x400000FF);
        EXPECT_TRUE(DrawTransformed(source.Image(), destination.Image(), source.Image().Bounds(),
                                    destination.Image().Bounds(), from, to, 0, false, mode, opacity));
        return std::pair{destination.Get32(0, 0), destination.Get32(1, 0)};
    };
    EXPECT_EQ(run(kTransformOpaque, 100), std::pair(0xFFFF0000u, 0xFF00FF00u));
    EXPECT_EQ(run(kTransformCopy, 100), std::pair(0x80FF0000u, 0x0000FF00u));
    EXPECT_EQ(run(kTransformKeepAlpha, 100), std::pair(0x40FF0000u, 0x4000FF00u));
    // Blend: (d (255 - a) + s a) >> 8 per channel, the destination's alpha kept; alpha 0 skips.
    EXPECT_EQ(run(kTransformBlend, 100), std::pair(0x407F0000u | (255 * 127 >> 8), 0x400000FFu));
    EXPECT_EQ(run(kTransformOpaque, 50), std::pair(0xFF7F0000u, 0xFF007F00u));

    NPalette palette = NTestPalette();
    NTestImage indexes(2, 1, 8, 0, &palette);
    indexes.Set8(1, 0, 7);
    NTestImage colours(2, 1, 32);
    colours.Fill32(0x11111111);
    ASSERT_TRUE(DrawTransformed(indexes.Image(), colours.Image(), indexes.Image().Bounds(), colours.Image().Bounds(),
                                from, to, 0, true, kTransformBlend, 100));
    EXPECT_EQ(colours.Get32(0, 0), 0x11111111u);
    EXPECT_EQ(colours.Get32(1, 0), palette.Data()->Table32()[7]);
    NTestImage bytes(2, 1, 8, 9);
    ASSERT_TRUE(DrawTransformed(indexes.Image(), bytes.Image(), indexes.Image().Bounds(), bytes.Image().Bounds(), from,
                                to, 0, false, kTransformCopy, 100));
    EXPECT_EQ(bytes.Get8(0, 0), 0);
    EXPECT_EQ(bytes.Get8(1, 0), 7);
    NTestImage sixteen(2, 1, 16);
    EXPECT_FALSE(DrawTransformed(source.Image(), sixteen.Image(), source.Image().Bounds(), sixteen.Image().Bounds(),
                                 from, to, 0, false, kTransformCopy, 100));
}

} // namespace
