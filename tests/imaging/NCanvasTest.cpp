// Tests of canvases: text formats, measuring, fills and text on surfaces, and drawing surfaces out.
#include "imaging/NCanvas.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpSet.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostText.h"
#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

constexpr uint8_t kMarker = 77;

class NCanvasTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        NPaletteRegistry::The().SetScreenPalette(std::make_unique<NPalette>(NTestPalette()));
        NFont font;
        font.FontFromText("Arial,12");
        fCanvas.SetFont(font);
    }

    void TearDown() override
    {
        if (fSurface)
            fCanvas.DeleteCanvasImage(std::move(fSurface));
    }

    NCanvasImage& Surface(int16_t width, int16_t height, int16_t depth)
    {
        fSurface = fCanvas.CreateCanvas(NPoint(width, height), depth, nullptr);
        EXPECT_NE(fSurface, nullptr);
        return *fSurface;
    }

    uint8_t At(int x, int y) const { return fSurface->GetBits()[y * fSurface->RowBytes() + x]; }

    std::multiset<uint8_t> Values() const
    {
        std::multiset<uint8_t> values;
        for (int y = 0; y < fSurface->Height(); ++y) {
            for (int x = 0; x < fSurface->Width(); ++x)
                values.insert(At(x, y));
        }
        return values;
    }

    NCanvas fCanvas;
    std::unique_ptr<NCanvasImage> fSurface;
};

TEST_F(NCanvasTest, AlignmentCodesAndChoicesGiveThePlatformFormat)
{
    EXPECT_EQ(NCanvas::TextFormat(kAlignLeftTop, false, 100, false), 0x0820u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignRightTop, false, 100, false), 0x0822u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignCentreTop, false, 100, false), 0x0821u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignLeftMiddle, false, 100, false), 0x0824u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignRightMiddle, false, 100, false), 0x0826u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignCentreMiddle, false, 100, false), 0x0825u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignLeftBottom, false, 100, false), 0x0828u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignRightBottom, false, 100, false), 0x082Au);
    EXPECT_EQ(NCanvas::TextFormat(kAlignCentreBottom, false, 100, false), 0x0829u);
    // Wrapping in a width breaks words (and long words); without a width it breaks nothing.
    EXPECT_EQ(NCanvas::TextFormat(kAlignCentreMiddle, true, 100, false), 0x2815u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignRightBottom, true, 0, false), 0x080Au);
    EXPECT_EQ(NCanvas::TextFormat(kAlignLeftTop, true, -3, true), 0x8800u);
    EXPECT_EQ(NCanvas::TextFormat(kAlignLeftTop, false, 0, true), 0x8820u);
    EXPECT_EQ(NCanvas::TextFormat(42, false, 0, false), 0x0820u);
}

TEST_F(NCanvasTest, ColoursArePaletteRelativeEntriesOfTheApplicationPalette)
{
    // The test palette's entry i is (i, 2i, 255 - i).
    EXPECT_EQ(NCanvas::PaletteColor(100), 0x029BC864u);
    EXPECT_EQ(NCanvas::PaletteColor(0), 0x02FF0000u);
}

TEST_F(NCanvasTest, MeasuringKeepsTheCornerAndFollowsTheWrapRules)
{
    EXPECT_EQ(fCanvas.MeasureText("", NRect(5, 7, 100, 50), kAlignLeftTop, true, false), NRect(5, 7, 0, 0));
    NFontMetrics metrics = fCanvas.GetMetrics();
    NRect line = fCanvas.MeasureText("Hello world", NRect(5, 7, 0, 0), kAlignLeftTop, false, false);
    EXPECT_EQ(line.fX, 5);
    EXPECT_EQ(line.fY, 7);
    EXPECT_GT(line.fWidth, 40);
    EXPECT_EQ(line.fHeight, metrics.fHeight);
    // Wrapping in a width answers that width.
    NRect wrapped
        = fCanvas.MeasureText("Hello world, and more words", NRect(0, 0, 60, 0), kAlignCentreTop, true, false);
    EXPECT_EQ(wrapped.fWidth, 60);
    EXPECT_GE(wrapped.fHeight, 3 * metrics.fHeight);
    // Wrapping without a width breaks only at line breaks.
    NRect unbroken = fCanvas.MeasureText("Hello world\nmore", NRect(0, 0, 0, 0), kAlignLeftTop, true, false);
    EXPECT_EQ(unbroken.fWidth, line.fWidth);
    EXPECT_EQ(unbroken.fHeight, 2 * metrics.fHeight);
    // A single line ignores the breaks.
    EXPECT_EQ(
        fCanvas.MeasureText("Hello\nworld", NRect(0, 0, 0, 0), kAlignLeftTop, false, false).fHeight, metrics.fHeight);
    // The ellipsis keeps the measured width inside the given one.
    EXPECT_LE(fCanvas.MeasureText("Hello world", NRect(0, 0, 40, 0), kAlignLeftTop, false, true).fWidth, 40);
    // The ampersand is always shown.
    EXPECT_GT(fCanvas.MeasureText("&&&", NRect(), kAlignLeftTop, false, false).fWidth,
        fCanvas.MeasureText("&", NRect(), kAlignLeftTop, false, false).fWidth * 2);
}

TEST_F(NCanvasTest, DrawingFillsThenDrawsInTheTwoIndexes)
{
    NCanvasImage& surface = Surface(90, 24, 8);
    EXPECT_EQ(fCanvas.CurrentImage(), &surface);
    surface.FillRect(surface.Bounds(), kMarker);
    fCanvas.SetColors(kPaletteBlack, kPaletteWhite);
    EXPECT_EQ(fCanvas.DrawText("Canvas", NRect(0, 0, 80, 20), kAlignLeftTop, false, false, false),
        fCanvas.GetMetrics().fHeight);
    std::multiset<uint8_t> values = Values();
    EXPECT_GT(values.count(kPaletteBlack), 20u);
    EXPECT_EQ(values.count(kPaletteWhite) + values.count(kPaletteBlack) + values.count(kMarker), values.size());
    EXPECT_EQ(values.count(kMarker), size_t(90 * 24 - 80 * 20)); // the fill covers exactly the rectangle
}

TEST_F(NCanvasTest, BackgroundIndexZeroLeavesThePixelsUnderTheText)
{
    NCanvasImage& surface = Surface(90, 24, 8);
    surface.FillRect(surface.Bounds(), kMarker);
    fCanvas.SetColors(kPaletteBlack, NCanvas::kTransparentIndex);
    fCanvas.DrawText("Canvas", NRect(0, 0, 90, 24), kAlignLeftTop, false, true, false);
    std::multiset<uint8_t> values = Values();
    EXPECT_GT(values.count(kPaletteBlack), 20u);
    EXPECT_EQ(values.count(kPaletteBlack) + values.count(kMarker), values.size());

    // Any other background fills each line's box even without the fill.
    surface.FillRect(surface.Bounds(), kMarker);
    fCanvas.SetColors(kPaletteBlack, kPaletteWhite);
    fCanvas.DrawText("Canvas", NRect(0, 0, 90, 24), kAlignLeftTop, false, true, false);
    EXPECT_GT(Values().count(kPaletteWhite), 100u);
    EXPECT_EQ(At(0, 0), kPaletteWhite);
    EXPECT_EQ(At(89, 23), kMarker);
}

TEST_F(NCanvasTest, ThirtyTwoBitSurfacesTakeTheColoursOfTheEntries)
{
    NCanvasImage& surface = Surface(40, 20, 32);
    fCanvas.SetColors(100, 200);
    fCanvas.FillBackground(NRect(0, 0, 40, 20));
    uint32_t pixel;
    std::memcpy(&pixel, surface.GetBits(), 4);
    EXPECT_EQ(pixel, 0xFFC89037u); // entry 200: (200, 144, 55)
    fCanvas.DrawText("Ink", NRect(0, 0, 40, 20), kAlignLeftTop, false, true, false);
    size_t inked = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            std::memcpy(&pixel, surface.GetBits() + y * surface.RowBytes() + x * 4, 4);
            inked += pixel == 0xFF64C89Bu; // entry 100
        }
    }
    EXPECT_GT(inked, 10u);
}

TEST_F(NCanvasTest, OperationsPutBackWhatTheContextHadSelected)
{
    NCanvasImage& surface = Surface(30, 20, 8);
    NHostDeviceContext& context = NCanvasImage::SharedContext();
    NHostDeviceContext::FontHandle fontBefore = context.SelectedFont();
    NHostBitmap* bitmapBefore = context.SelectedBitmap();
    uint32_t textBefore = context.TextColor();
    int modeBefore = context.BackgroundMode();
    fCanvas.SetColors(kPaletteBlack, 0);
    fCanvas.DrawText("x", surface.Bounds(), kAlignLeftTop, false, false, false);
    fCanvas.FillBackground(surface.Bounds());
    fCanvas.MeasureText("x", surface.Bounds(), kAlignLeftTop, false, false);
    fCanvas.GetMetrics();
    EXPECT_EQ(context.SelectedFont(), fontBefore);
    EXPECT_EQ(context.SelectedBitmap(), bitmapBefore);
    EXPECT_EQ(context.TextColor(), textBefore);
    EXPECT_EQ(context.BackgroundMode(), modeBefore);
}

TEST_F(NCanvasTest, DeletedSurfacesAreForgottenAndDrawNothing)
{
    std::unique_ptr<NCanvasImage> surface = fCanvas.CreateCanvas(NPoint(10, 10), 8, nullptr);
    ASSERT_NE(surface, nullptr);
    NCanvasImage* kept = surface.get();
    fCanvas.DeleteCanvasImage(*kept);
    EXPECT_EQ(fCanvas.CurrentImage(), nullptr);
    EXPECT_EQ(kept->GetBits(), nullptr);
    EXPECT_EQ(fCanvas.DrawText("x", NRect(0, 0, 10, 10), kAlignLeftTop, false, false, false), 0);
    EXPECT_EQ(fCanvas.CreateCanvas(NPoint(0, 10), 8, nullptr), nullptr);
    EXPECT_EQ(fCanvas.CreateCanvas(NPoint(10, 10), 24, nullptr), nullptr);
}

TEST_F(NCanvasTest, DrawImageToCopiesTheSurfaceWithOrWithoutTransparency)
{
    NCanvasImage& surface = Surface(4, 2, 8);
    surface.FillRect(surface.Bounds(), 0);
    surface.FillRect(NRect(1, 0, 2, 1), 33);
    NTestImage target(6, 3, 8, kMarker);
    NSpFrame frame;
    frame.fImage = &target.Image();
    EXPECT_TRUE(fCanvas.DrawImageTo(frame, NRect(0, 0, 4, 2), NPoint(1, 1), true));
    EXPECT_EQ(target.Get8(1, 1), kMarker); // index 0 is not drawn
    EXPECT_EQ(target.Get8(2, 1), 33);
    EXPECT_EQ(target.Get8(3, 1), 33);
    EXPECT_EQ(target.Get8(4, 2), kMarker);
    EXPECT_TRUE(fCanvas.DrawImageTo(frame, NRect(0, 0, 4, 2), NPoint(1, 1), false));
    EXPECT_EQ(target.Get8(1, 1), 0);
    EXPECT_EQ(target.Get8(4, 2), 0);
    EXPECT_EQ(target.Get8(0, 0), kMarker);
    NSpFrame empty;
    EXPECT_FALSE(fCanvas.DrawImageTo(empty, NRect(0, 0, 4, 2), NPoint(0, 0), false));
}

TEST_F(NCanvasTest, ACanvasMakesTheSurfaceOfACanvasSet)
{
    NVectorPtr<NSpSet> set(new NSpSet());
    ASSERT_TRUE(set->MakeCanvasSet(NRect(10, 20, 60, 20), 8, nullptr, fCanvas));
    NSpImage* image = set->GetImageAt(0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(static_cast<NSpImage*>(fCanvas.CurrentImage()), image);
    fCanvas.SetColors(kPaletteBlack, kPaletteWhite);
    fCanvas.DrawText("Set", NRect(0, 0, 60, 20), kAlignCentreMiddle, false, false, false);
    size_t inked = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 60; ++x)
            inked += image->GetBits()[y * image->RowBytes() + x] == kPaletteBlack;
    }
    EXPECT_GT(inked, 10u);
    fCanvas.DeleteCanvasImage(*fCanvas.CurrentImage());
}

} // namespace
