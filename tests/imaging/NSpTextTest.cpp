// Tests of text sprites: when they rebuild, smoothing, wrapping, backgrounds and shadows.
#include "imaging/NSpText.h"

#include "imaging/NCanvas.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"
#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>

namespace {

constexpr uint8_t kText = 10;
constexpr uint8_t kShadow = 50;
constexpr uint8_t kBackground = 245;

class NSpTextTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // The test palette with a black entry 0, as the platform's first static colour is.
        auto palette = std::make_unique<NPalette>(NTestPalette());
        palette->Data()->SetColor(0, 0, 0, 0);
        palette->Data()->BuildTables();
        palette->Data()->BuildPlatformPalette();
        NPaletteRegistry::The().SetScreenPalette(std::move(palette));
        fFont.FontFromText("Arial,12");
    }

    // What a canvas with the font (times the factor) measures and reports.
    NRect Measure(const std::string& text, int32_t factor, int32_t width = 0, bool wrap = false)
    {
        NCanvas canvas;
        NFont font = fFont;
        font.Scale(factor);
        canvas.SetFont(font);
        fMetrics = canvas.GetMetrics();
        return canvas.MeasureText(text, NRect(0, 0, int16_t(width), 0), kAlignLeftTop, wrap, false);
    }

    static std::multiset<uint8_t> Values(const NSpImage& image)
    {
        std::multiset<uint8_t> values;
        for (int y = 0; y < image.Height(); ++y) {
            for (int x = 0; x < image.Width(); ++x)
                values.insert(image.GetBits()[y * image.RowBytes() + x]);
        }
        return values;
    }

    NFont fFont;
    NFontMetrics fMetrics;
};

TEST_F(NSpTextTest, UnchangedTextDoesNothingAndForceRebuilds)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetText("Label", kText, 0, 0, false);
    EXPECT_EQ(text.RebuildCount(), 1u);
    const NSpImage* image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    text.SetText("Label", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    text.SetText("Label", kText, 0, 0, false);
    EXPECT_EQ(text.RebuildCount(), 1u);
    EXPECT_EQ(text.CurrentImage(), image);
    text.SetText("Label", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, true);
    EXPECT_EQ(text.RebuildCount(), 2u);

    // A colour, the text or a marked change rebuilds; an equal font marks nothing.
    text.SetText("Label", 11, NSpText::kKeepColor, NSpText::kKeepColor, false);
    EXPECT_EQ(text.RebuildCount(), 3u);
    EXPECT_EQ(text.TextIndex(), 11);
    text.SetText("Label!", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    EXPECT_EQ(text.RebuildCount(), 4u);
    text.SetFont(fFont);
    EXPECT_FALSE(text.NeedsRebuild());
    NFont bigger = fFont;
    bigger.SetSize(20);
    text.SetFontAndText(bigger, "Label!", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    EXPECT_EQ(text.RebuildCount(), 5u);
    EXPECT_FALSE(text.NeedsRebuild());
    text.SetWordWrap(true);
    text.SetText("Label!", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    EXPECT_EQ(text.RebuildCount(), 6u);
}

TEST_F(NSpTextTest, PlainTextIsAnEightBitImageOfTheMeasuredSize)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetText("Plain label", kText, 0, 0, false);
    NRect measured = Measure("Plain label", 1);
    const NSpImage* image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Depth(), 8);
    EXPECT_EQ(image->Width(), measured.fWidth);
    EXPECT_EQ(image->Height(), measured.fHeight);
    ASSERT_TRUE(text.MetricsValid());
    EXPECT_EQ(text.Metrics(), fMetrics);
    // Background 0 is the transparent index of memory sprites: only the ink is drawn.
    std::multiset<uint8_t> values = Values(*image);
    EXPECT_GT(values.count(kText), 20u);
    EXPECT_EQ(values.count(kText) + values.count(0), values.size());
}

TEST_F(NSpTextTest, EightBitTextKeepsItsIndexWhereAnotherEntryHasTheSameColour)
{
    // The platform palette is black at 0 (transparent in sprites) and again at 10; text and
    // background asked for by index must land on that index, not the first of that colour.
    auto palette = std::make_unique<NPalette>();
    palette->FromSystem();
    const NPaletteData& colors = *palette->Data();
    ASSERT_EQ(colors.Table32()[0], colors.Table32()[10]);
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));

    NSpText ink;
    ink.SetFont(fFont);
    ink.SetText("Black label", 10, 0, 0, false);
    ASSERT_NE(ink.CurrentImage(), nullptr);
    ASSERT_EQ(ink.CurrentImage()->Depth(), 8);
    std::multiset<uint8_t> values = Values(*ink.CurrentImage());
    EXPECT_GT(values.count(10), 20u);
    EXPECT_EQ(values.count(10) + values.count(0), values.size());

    NSpText boxed;
    boxed.SetFont(fFont);
    boxed.SetText("White on black", 245, 10, 0, false);
    ASSERT_NE(boxed.CurrentImage(), nullptr);
    values = Values(*boxed.CurrentImage());
    EXPECT_EQ(values.count(0), 0u);
    EXPECT_GT(values.count(10), values.size() / 2);
    EXPECT_GT(values.count(245), 20u);
}

TEST_F(NSpTextTest, SmoothingByFourRendersLargeAndReducesWithAlphaEdges)
{
    NFont bold = fFont;
    bold.SetBold(true);
    fFont = bold;
    NSpText text;
    text.SetFont(fFont);
    text.SetSmoothing(true, 4);
    text.SetText("Smooth", kText, 0, 0, false);
    NRect large = Measure("Smooth", 4);
    NFontMetrics largeMetrics = fMetrics;
    NRect plain = Measure("Smooth", 1);
    ASSERT_GT(large.fWidth, 3 * plain.fWidth); // rendered at 48 points

    const NSpImage* image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Depth(), 32);
    EXPECT_EQ(image->Width(), large.fWidth / 4);
    EXPECT_EQ(image->Height(), large.fHeight / 4);
    EXPECT_EQ(text.Metrics().fAscent, largeMetrics.fAscent / 4);
    EXPECT_EQ(text.Metrics().fDescent, largeMetrics.fDescent / 4);
    EXPECT_EQ(text.Metrics().fHeight, largeMetrics.fHeight / 4);

    size_t clear = 0;
    size_t partial = 0;
    size_t solid = 0;
    for (int y = 0; y < image->Height(); ++y) {
        for (int x = 0; x < image->Width(); ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, image->GetBits() + y * image->RowBytes() + x * 4, 4);
            uint32_t alpha = pixel >> 24;
            clear += alpha == 0;
            partial += alpha > 0 && alpha < 255;
            solid += alpha == 255;
            if (alpha == 255) {
                EXPECT_EQ(pixel, 0xFF0A14F5u); // entry 10: (10, 20, 245)
            }
        }
    }
    EXPECT_GT(clear, 0u);
    EXPECT_GT(partial, 10u);
    EXPECT_GT(solid, 0u);
    EXPECT_TRUE(image->HasFlag(kImageAlpha));
}

TEST_F(NSpTextTest, WrapWidthZeroBreaksOnlyAtLineBreaks)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetWordWrap(true);
    text.SetText("one two three\nfour", kText, 0, 0, false);
    const NSpImage* image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    NRect line = Measure("one two three", 1);
    EXPECT_EQ(image->Width(), line.fWidth);
    EXPECT_EQ(image->Height(), 2 * fMetrics.fHeight);

    text.SetWrapWidth(40);
    text.SetText("one two three\nfour", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), 40);
    EXPECT_EQ(image->Height(), Measure("one two three\nfour", 1, 40, true).fHeight);
    EXPECT_GE(image->Height(), 4 * fMetrics.fHeight);
}

TEST_F(NSpTextTest, LengthsKeepTheirSizeWhenSmoothingChanges)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetWordWrap(true);
    text.SetWrapWidth(100);
    text.SetMargins(3, 2);
    text.SetSmoothing(true, 4);
    EXPECT_EQ(text.WrapWidth(), 400);
    text.SetText("A few words to wrap in a hundred pixels", kText, 0, 0, false);
    ASSERT_NE(text.CurrentImage(), nullptr);
    EXPECT_EQ(text.CurrentImage()->Width(), 100 + 2 * 3);
    text.SetSmoothing(false, 4);
    EXPECT_EQ(text.SmoothingFactor(), 1);
    EXPECT_EQ(text.WrapWidth(), 100);
    text.SetText("A few words to wrap in a hundred pixels", NSpText::kKeepColor, NSpText::kKeepColor,
        NSpText::kKeepColor, false);
    EXPECT_EQ(text.CurrentImage()->Width(), 106);
    EXPECT_EQ(text.CurrentImage()->Depth(), 8);
}

TEST_F(NSpTextTest, ShadowGrowsTheImageAndSurvivesAnOpaqueBackground)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetText("Shadow", kText, kBackground, kShadow, false);
    NRect measured = Measure("Shadow", 1);
    const NSpImage* image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Width(), measured.fWidth + 1);
    EXPECT_EQ(image->Height(), measured.fHeight + 1);
    // Inside the text's own box, where an opaque text background would have covered it.
    size_t shadowInside = 0;
    for (int y = 0; y < measured.fHeight; ++y) {
        for (int x = 0; x < measured.fWidth; ++x)
            shadowInside += image->GetBits()[y * image->RowBytes() + x] == kShadow;
    }
    EXPECT_GT(shadowInside, 10u);
    std::multiset<uint8_t> values = Values(*image);
    EXPECT_EQ(values.count(kText) + values.count(kShadow) + values.count(kBackground), values.size());
    EXPECT_EQ(image->GetBits()[0], kBackground);
}

TEST_F(NSpTextTest, RebuildsKeepPositionAndVisibilityAndEmptyTextDropsTheImage)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetText("A", kText, 0, 0, false);
    text.MoveTo(NPoint(30, 40));
    text.SetVisible(false);
    text.SetText("Much longer", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    EXPECT_EQ(text.Position(), NPoint(30, 40));
    EXPECT_FALSE(text.IsVisible());
    ASSERT_NE(text.CurrentImage(), nullptr);
    EXPECT_EQ(text.CurrentImage()->Width(), Measure("Much longer", 1).fWidth);
    EXPECT_EQ(text.LocalRect(), NRect(30, 40, text.CurrentImage()->Width(), text.CurrentImage()->Height()));

    text.SetText("", NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    EXPECT_EQ(text.CurrentImage(), nullptr);
    EXPECT_EQ(text.Position(), NPoint(30, 40));
    EXPECT_TRUE(text.LocalRect().IsEmpty());
    EXPECT_FALSE(text.MetricsValid());
}

TEST_F(NSpTextTest, FixedHeightAlignmentAndAbsurdFontsStayDefined)
{
    NSpText text;
    text.SetFont(fFont);
    text.SetFixedHeight(40);
    text.SetAlignment(kAlignCentreBottom);
    text.SetText("Low", kText, 0, 0, false);
    const NSpImage* image = text.CurrentImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->Height(), 40);
    int firstInkRow = -1;
    for (int y = 0; y < image->Height() && firstInkRow < 0; ++y) {
        for (int x = 0; x < image->Width(); ++x) {
            if (image->GetBits()[y * image->RowBytes() + x] == kText) {
                firstInkRow = y;
                break;
            }
        }
    }
    EXPECT_GT(firstInkRow, 40 - text.Metrics().fHeight - 1);

    for (const char* entry : { "Arial,10000", "Arial,-10000", "Arial,0", "No Such Face,12bi", ",,,," }) {
        NFont font;
        font.FontFromText(entry);
        NSpText label;
        label.SetSmoothing(true, 4);
        label.SetFontAndText(font, "Absurd", kText, 0, 0, false);
        ASSERT_NE(label.CurrentImage(), nullptr) << entry;
        EXPECT_GT(label.CurrentImage()->Width(), 0) << entry;
        EXPECT_TRUE(label.MetricsValid()) << entry;
    }
}

} // namespace
