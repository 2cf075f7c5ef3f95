// Tests of the platform fonts and text drawing: faces, metrics, layout flags, colours and clipping.
#include "platform/NHostText.h"

#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostFont.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr uint32_t kInk = kColorPaletteRelative | 0x000000; // black
constexpr uint32_t kPaper = kColorPaletteRelative | 0xFFFFFF; // white
constexpr uint32_t kInk32 = 0xFF000000;
constexpr uint32_t kPaper32 = 0xFFFFFFFF;
constexpr uint32_t kMarker32 = 0xFF3366CC;

struct Ink {
    int fLeft = INT_MAX;
    int fTop = INT_MAX;
    int fRight = INT_MIN; // exclusive
    int fBottom = INT_MIN; // exclusive
    int fCount = 0;
};

class NHostTextTest : public ::testing::Test {
protected:
    NHostTextTest()
        : fContext(NHostDeviceContext::CreateCompatible())
    {
    }
    ~NHostTextTest() override { fContext->SelectBitmap(nullptr); }

    void MakeBitmap(int width, int height, int depth)
    {
        fContext->SelectBitmap(nullptr);
        NHostBitmapInfo info;
        info.fWidth = width;
        info.fHeight = -height;
        info.fBitCount = uint16_t(depth);
        fBitmap = NHostBitmap::CreateDibSection(info, *fContext);
        ASSERT_NE(fBitmap, nullptr);
        fContext->SelectBitmap(fBitmap.get());
    }

    // Selects a face of the character height (negative) or cell height (positive).
    const NHostFont& UseFont(const std::string& face, int32_t height, int32_t weight = kFontWeightNormal,
        bool italic = false, bool underline = false)
    {
        NHostLogFont request;
        request.fHeight = height;
        request.fWeight = weight;
        request.fItalic = italic;
        request.fUnderline = underline;
        request.fQuality = kFontQualityNonAntialiased;
        request.fPitchAndFamily = kFontFamilySwiss;
        request.fFaceName = face;
        fFont = NHostFont::Create(request);
        EXPECT_NE(fFont, nullptr) << face;
        fContext->SelectFont(fFont ? fFont->Handle() : nullptr);
        return NHostFont::FromHandle(fContext->SelectedFont());
    }

    void Colors(uint32_t text, uint32_t background, int mode)
    {
        fContext->SetTextColor(text);
        fContext->SetBackgroundColor(background);
        fContext->SetBackgroundMode(mode);
    }

    uint32_t Pixel32(int x, int y) const
    {
        uint32_t value;
        std::memcpy(&value, fBitmap->Bits() + y * fBitmap->RowBytes() + x * 4, 4);
        return value;
    }

    uint8_t Pixel8(int x, int y) const { return fBitmap->Bits()[y * fBitmap->RowBytes() + x]; }

    void Fill32(uint32_t value)
    {
        for (int y = 0; y < fBitmap->Height(); ++y) {
            for (int x = 0; x < fBitmap->Width(); ++x)
                std::memcpy(fBitmap->Bits() + y * fBitmap->RowBytes() + x * 4, &value, 4);
        }
    }

    // Every pixel of a 32-bit bitmap that is not the given value.
    Ink FindInk(uint32_t paper) const
    {
        Ink ink;
        for (int y = 0; y < fBitmap->Height(); ++y) {
            for (int x = 0; x < fBitmap->Width(); ++x) {
                if (Pixel32(x, y) == paper)
                    continue;
                ++ink.fCount;
                ink.fLeft = std::min(ink.fLeft, x);
                ink.fTop = std::min(ink.fTop, y);
                ink.fRight = std::max(ink.fRight, x + 1);
                ink.fBottom = std::max(ink.fBottom, y + 1);
            }
        }
        return ink;
    }

    NHostRect Measure(const std::string& text, int32_t width, uint32_t format)
    {
        NHostRect rect { 0, 0, width, 0 };
        NHostText::DrawText(*fContext, text, rect, format | kTextCalculateRect);
        return rect;
    }

    int32_t MeasuredWidth(const std::string& text, uint32_t format = kTextSingleLine | kTextNoPrefix)
    {
        NHostRect rect = Measure(text, 0, format);
        return rect.fRight - rect.fLeft;
    }

    // Draws on white in black, transparent, and answers the ink found.
    Ink DrawInk(const std::string& text, NHostRect rect, uint32_t format)
    {
        Fill32(kPaper32);
        Colors(kInk, kPaper, kBackgroundTransparent);
        NHostText::DrawText(*fContext, text, rect, format);
        return FindInk(kPaper32);
    }

    std::unique_ptr<NHostDeviceContext> fContext;
    std::unique_ptr<NHostBitmap> fBitmap;
    std::unique_ptr<NHostFont> fFont;
};

TEST_F(NHostTextTest, FacesResolveByNameAndMetricCompatibleAlias)
{
    EXPECT_EQ(UseFont("Times New Roman", -16).FamilyName(), "Liberation Serif");
    EXPECT_EQ(UseFont("Arial", -16).FamilyName(), "Liberation Sans");
    EXPECT_EQ(UseFont("arial", -16).FamilyName(), "Liberation Sans");
    EXPECT_EQ(UseFont("DejaVu Sans", -16).FamilyName(), "DejaVu Sans");

    NHostLogFont missing;
    missing.fFaceName = "No Such Face Anywhere";
    EXPECT_EQ(NHostFont::Create(missing), nullptr);
    // Without a name the family's generic face is taken.
    missing.fFaceName.clear();
    EXPECT_NE(NHostFont::Create(missing), nullptr);

    NHostFont& stock = NHostFont::StockSystemFont();
    EXPECT_EQ(&stock, &NHostFont::StockSystemFont());
    EXPECT_EQ(stock.FamilyName(), "DejaVu Sans");
    EXPECT_EQ(&NHostFont::FromHandle(nullptr), &stock);
}

TEST_F(NHostTextTest, HeightsFollowTheLogicalFontRecord)
{
    const NHostFont& character = UseFont("Arial", -16);
    EXPECT_GE(character.Height(), 16); // the cell is taller than the em
    EXPECT_LE(character.Height(), 20);
    EXPECT_EQ(character.Ascent() + character.Descent(), character.Height());
    const NHostFont& cell = UseFont("Arial", 20);
    EXPECT_EQ(cell.Height(), 20);
    // Height 0 is the default character height.
    int32_t defaultHeight = UseFont("Arial", 0).Height();
    EXPECT_EQ(defaultHeight, UseFont("Arial", -NHostFont::kDefaultCharacterHeight).Height());
    // Absurd heights are pinned, with metrics to match.
    for (int32_t absurd : { -10000, 10000, INT_MIN, INT_MAX }) {
        const NHostFont& huge = UseFont("Arial", absurd);
        EXPECT_EQ(std::abs(huge.Request().fHeight), NHostFont::kMaxPixelHeight) << absurd;
        EXPECT_LE(huge.Height(), 2 * NHostFont::kMaxPixelHeight) << absurd;
        EXPECT_GT(huge.Height(), NHostFont::kMaxPixelHeight / 2) << absurd;
    }
}

TEST_F(NHostTextTest, BoldAndItalicChangeTheGlyphs)
{
    EXPECT_FALSE(UseFont("Arial", -32).IsBold());
    int32_t regular = MeasuredWidth("Heavy lines");
    EXPECT_TRUE(UseFont("Arial", -32, kFontWeightBold).IsBold());
    int32_t bold = MeasuredWidth("Heavy lines");
    EXPECT_GT(bold, regular);
    MakeBitmap(400, 60, 32);
    UseFont("Arial", -32);
    Ink upright = DrawInk("l", { 10, 10, 390, 50 }, kTextNoPrefix);
    UseFont("Arial", -32, kFontWeightNormal, true);
    Ink slanted = DrawInk("l", { 10, 10, 390, 50 }, kTextNoPrefix);
    EXPECT_GT(slanted.fRight - slanted.fLeft, upright.fRight - upright.fLeft);
}

TEST_F(NHostTextTest, MeasuringAnswersWidestLineAndTotalHeight)
{
    const NHostFont& font = UseFont("Arial", -16);
    int32_t line = font.Height();
    NHostRect one = Measure("Hello", 0, kTextSingleLine);
    EXPECT_EQ(one.fBottom, line);
    int32_t advances = 0;
    for (char c : std::string("Hello"))
        advances += font.Glyph(char16_t(c)).fAdvance;
    EXPECT_EQ(one.fRight, advances);

    // CR, LF and CRLF each break; a break at the very end starts no empty line.
    EXPECT_EQ(Measure("a\nb\r\nc\rd", 0, 0).fBottom, 4 * line);
    EXPECT_EQ(Measure("a\n", 0, 0).fBottom, line);
    EXPECT_EQ(Measure("a\n\nb", 0, 0).fBottom, 3 * line);
    EXPECT_EQ(Measure("short\nmuch longer line", 0, 0).fRight, MeasuredWidth("much longer line"));
    // On a single line breaks neither break nor take room.
    EXPECT_EQ(Measure("a\r\nb", 0, kTextSingleLine).fBottom, line);
    EXPECT_EQ(MeasuredWidth("a\r\nb"), MeasuredWidth("ab"));

    NHostRect placed { 7, 9, 50, 9 };
    EXPECT_EQ(NHostText::DrawText(*fContext, "Hello", placed, kTextSingleLine | kTextCalculateRect), line);
    EXPECT_EQ(placed.fLeft, 7);
    EXPECT_EQ(placed.fTop, 9);
    EXPECT_EQ(placed.fRight, 7 + advances);
    EXPECT_EQ(placed.fBottom, 9 + line);
    NHostRect empty { 1, 2, 3, 4 };
    EXPECT_EQ(NHostText::DrawText(*fContext, "", empty, kTextCalculateRect), 0);
}

TEST_F(NHostTextTest, AlignmentPutsTheInkWhereAsked)
{
    MakeBitmap(240, 80, 32);
    const NHostFont& font = UseFont("Arial", -16);
    NHostRect area { 0, 0, 240, 80 };
    Ink left = DrawInk("Hi", area, kTextLeft | kTextSingleLine);
    Ink right = DrawInk("Hi", area, kTextRight | kTextSingleLine);
    Ink centre = DrawInk("Hi", area, kTextCentre | kTextSingleLine);
    int32_t width = MeasuredWidth("Hi");
    EXPECT_LT(left.fLeft, 4);
    EXPECT_LE(left.fRight, width);
    EXPECT_GT(right.fRight, 240 - 4);
    EXPECT_GE(right.fLeft, 240 - width);
    EXPECT_NEAR((centre.fLeft + centre.fRight) / 2.0, (left.fLeft + left.fRight) / 2.0 + (240 - width) / 2.0, 1.0);
    EXPECT_LT(left.fTop, font.Ascent());

    Ink bottom = DrawInk("Hi", area, kTextBottom | kTextSingleLine);
    EXPECT_EQ(bottom.fTop - left.fTop, 80 - font.Height());
    Ink middle = DrawInk("Hi", area, kTextVerticalCentre | kTextSingleLine);
    EXPECT_EQ(middle.fTop - left.fTop, (80 - font.Height()) / 2);
    // The result is then the distance from the top to the text's bottom.
    NHostRect again = area;
    EXPECT_EQ(NHostText::DrawText(*fContext, "Hi", again, kTextBottom | kTextSingleLine), 80);
    // Wrapped text is aligned as a block.
    Ink block = DrawInk("Hi\nHi", area, kTextBottom | kTextWordBreak);
    EXPECT_EQ(block.fTop - left.fTop, 80 - 2 * font.Height());
}

TEST_F(NHostTextTest, WordBreakKeepsWordsAndEditControlBreaksLongOnes)
{
    const NHostFont& font = UseFont("Arial", -16);
    int32_t line = font.Height();
    int32_t two = MeasuredWidth("aaa bbb");
    NHostRect words = Measure("aaa bbb ccc ddd", two, kTextWordBreak);
    EXPECT_EQ(words.fBottom, 2 * line);
    EXPECT_EQ(words.fRight, two); // the spaces at the break belong to no line

    const std::string word(16, 'a');
    int32_t narrow = MeasuredWidth(word.substr(0, 4));
    NHostRect runsOn = Measure(word, narrow, kTextWordBreak);
    EXPECT_EQ(runsOn.fBottom, line);
    EXPECT_EQ(runsOn.fRight, MeasuredWidth(word));
    NHostRect broken = Measure(word, narrow, kTextWordBreak | kTextEditControl);
    EXPECT_EQ(broken.fBottom, 4 * line);
    EXPECT_EQ(broken.fRight, narrow);
    // Inside a line, a long word still moves to the next line whole before it is broken.
    EXPECT_EQ(Measure("aa " + word, narrow, kTextWordBreak | kTextEditControl).fBottom, 5 * line);
    // Without the flag nothing wraps, and explicit breaks still do.
    EXPECT_EQ(Measure("aaa bbb ccc ddd\nx", two, 0).fBottom, 2 * line);
    // A width of 0 or less still terminates: a word per line.
    EXPECT_EQ(Measure("aa bb cc", 0, kTextWordBreak).fBottom, 3 * line);
    EXPECT_EQ(Measure("abc", -5, kTextWordBreak | kTextEditControl).fBottom, 3 * line);
}

TEST_F(NHostTextTest, EndEllipsisShortensAndShowsDots)
{
    MakeBitmap(300, 40, 32);
    UseFont("Arial", -16);
    const std::string text = "An ellipsis should appear here";
    const int32_t width = 90;
    ASSERT_GT(MeasuredWidth(text), width);
    NHostRect measured = Measure(text, width, kTextSingleLine | kTextEndEllipsis | kTextNoPrefix);
    EXPECT_LE(measured.fRight, width);
    // The longest start of the text that fits with the dots.
    std::string expected;
    for (size_t length = text.size(); length > 0; --length) {
        std::string candidate = text.substr(0, length) + NHostText::kEllipsis;
        if (MeasuredWidth(candidate) <= width) {
            expected = candidate;
            break;
        }
    }
    ASSERT_FALSE(expected.empty());
    Ink shortened = DrawInk(text, { 0, 0, width, 40 }, kTextSingleLine | kTextEndEllipsis | kTextNoPrefix);
    std::vector<uint32_t> first;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x)
            first.push_back(Pixel32(x, y));
    }
    Ink plain = DrawInk(expected, { 0, 0, 300, 40 }, kTextSingleLine | kTextNoPrefix);
    EXPECT_EQ(shortened.fCount, plain.fCount);
    size_t differing = 0;
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 300; ++x)
            differing += first[size_t(y) * 300 + size_t(x)] != Pixel32(x, y);
    }
    EXPECT_EQ(differing, 0u);
    // A text that fits is left alone.
    EXPECT_EQ(Measure("fits", 300, kTextSingleLine | kTextEndEllipsis).fRight, MeasuredWidth("fits"));
}

TEST_F(NHostTextTest, PrefixesUnderlineUnlessNoPrefix)
{
    MakeBitmap(200, 40, 32);
    const NHostFont& font = UseFont("Arial", -16);
    EXPECT_EQ(MeasuredWidth("&File", kTextSingleLine), MeasuredWidth("File"));
    EXPECT_EQ(MeasuredWidth("A&&B", kTextSingleLine), MeasuredWidth("A&B"));
    EXPECT_EQ(MeasuredWidth("&File", kTextSingleLine | kTextNoPrefix), MeasuredWidth("&File"));

    Ink mnemonic = DrawInk("&F", { 0, 0, 200, 40 }, kTextSingleLine);
    Ink plain = DrawInk("F", { 0, 0, 200, 40 }, kTextSingleLine | kTextNoPrefix);
    EXPECT_GT(mnemonic.fCount, plain.fCount);
    EXPECT_GT(mnemonic.fBottom, font.Ascent()); // the underline lies below the baseline
    EXPECT_EQ(plain.fBottom, font.Ascent());
    Ink shown = DrawInk("&F", { 0, 0, 200, 40 }, kTextSingleLine | kTextNoPrefix);
    EXPECT_GT(shown.fRight, plain.fRight); // the ampersand is drawn before the F
}

TEST_F(NHostTextTest, BackgroundModeDecidesWhetherLineBoxesAreFilled)
{
    MakeBitmap(120, 40, 32);
    const NHostFont& font = UseFont("Arial", -16);
    NHostRect rect { 10, 5, 110, 35 };
    Fill32(kMarker32);
    Colors(kInk, kPaper, kBackgroundTransparent);
    NHostText::DrawText(*fContext, "Text", rect, kTextSingleLine);
    Ink transparent = FindInk(kMarker32);
    EXPECT_GT(transparent.fCount, 0);
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < 120; ++x) {
            uint32_t pixel = Pixel32(x, y);
            EXPECT_TRUE(pixel == kMarker32 || pixel == kInk32) << x << "," << y;
        }
    }

    Fill32(kMarker32);
    Colors(kInk, kPaper, kBackgroundOpaque);
    NHostText::DrawText(*fContext, "Text", rect, kTextSingleLine);
    int32_t width = MeasuredWidth("Text");
    EXPECT_EQ(Pixel32(10, 5), kPaper32);
    EXPECT_EQ(Pixel32(10 + width - 1, 5 + font.Height() - 1), kPaper32);
    EXPECT_EQ(Pixel32(10 + width, 5), kMarker32); // only the line's box
    EXPECT_EQ(Pixel32(10, 5 + font.Height()), kMarker32);
    EXPECT_EQ(Pixel32(9, 5), kMarker32);
}

TEST_F(NHostTextTest, DrawingStaysInsideTheRectangleAndTheBitmap)
{
    MakeBitmap(100, 30, 32);
    UseFont("Arial", -16);
    Ink clipped = DrawInk("A long line of text", { 20, 4, 50, 30 }, kTextSingleLine);
    EXPECT_GE(clipped.fLeft, 20);
    EXPECT_LE(clipped.fRight, 50);
    EXPECT_GT(clipped.fCount, 0);
    // Rectangles far outside, reversed or enormous draw what lies inside and nothing else.
    EXPECT_EQ(DrawInk("Away", { -5000, -5000, -4000, -4900 }, kTextSingleLine).fCount, 0);
    EXPECT_EQ(DrawInk("Reversed", { 60, 20, 10, 5 }, kTextSingleLine).fCount, 0);
    // Placement in enormous rectangles does not wrap around into view.
    EXPECT_EQ(DrawInk("Huge", { INT_MIN, INT_MIN, INT_MAX, INT_MAX }, kTextSingleLine).fCount, 0);
    EXPECT_EQ(
        DrawInk("Huge", { INT_MIN, INT_MIN, INT_MAX, INT_MAX }, kTextRight | kTextBottom | kTextSingleLine).fCount, 0);
    EXPECT_GT(DrawInk("Huge", { -40, -8, 200, 40 }, kTextCentre | kTextVerticalCentre | kTextSingleLine).fCount, 0);
    fContext->SelectBitmap(nullptr);
    NHostRect rect { 0, 0, 10, 10 };
    EXPECT_EQ(NHostText::DrawText(*fContext, "x", rect, 0), 0);
    EXPECT_FALSE(NHostText::FillRect(*fContext, rect, kInk));
}

TEST_F(NHostTextTest, ColoursMapToThePaletteOrToTrueColour)
{
    NHostColor entries[NHostPalette::kEntries];
    for (int i = 0; i < NHostPalette::kEntries; ++i)
        entries[i] = { uint8_t(i), uint8_t(255 - i), uint8_t(i / 2), 0 };
    fContext->SelectPalette(NHostPalette(NHostPalette::kLogicalVersion, entries));
    auto relative = [](const NHostColor& c) { return kColorPaletteRelative | c.fBlue << 16 | c.fGreen << 8 | c.fRed; };

    MakeBitmap(8, 4, 8);
    for (int index : { 0, 10, 77, 245, 255 })
        EXPECT_EQ(NHostText::PixelValue(*fContext, relative(entries[index]), 8), uint32_t(index)) << index;
    EXPECT_EQ(NHostText::PixelValue(*fContext, kColorIndexed | 42, 8), 42u);
    // Not in the palette: the nearest entry.
    EXPECT_EQ(NHostText::PixelValue(*fContext, kColorPaletteRelative | 50 << 16 | 156 << 8 | 99, 8), 99u);
    EXPECT_TRUE(NHostText::FillRect(*fContext, { -3, 1, 3, 2 }, relative(entries[77])));
    EXPECT_EQ(Pixel8(0, 1), 77);
    EXPECT_EQ(Pixel8(2, 1), 77);
    EXPECT_EQ(Pixel8(3, 1), 0);
    EXPECT_EQ(Pixel8(0, 0), 0);

    MakeBitmap(4, 4, 32);
    EXPECT_EQ(NHostText::PixelValue(*fContext, kColorPaletteRelative | 0x332211, 32), 0xFF112233u);
    EXPECT_EQ(NHostText::PixelValue(*fContext, kColorIndexed | 77, 32), 0xFF4DB226u);
    EXPECT_TRUE(NHostText::FillRect(*fContext, { 1, 1, 1000, 1000 }, 0x00332211));
    EXPECT_EQ(Pixel32(3, 3), 0xFF112233u);
    EXPECT_EQ(Pixel32(0, 0), 0u);
    EXPECT_EQ(NHostText::PixelValue(*fContext, 0x00FFFFFF, 16), 0x7FFFu);
}

TEST_F(NHostTextTest, TextOnEightBitBitmapsUsesTheIndexes)
{
    NHostColor entries[NHostPalette::kEntries];
    for (int i = 0; i < NHostPalette::kEntries; ++i)
        entries[i] = { uint8_t(i), uint8_t(i), uint8_t(255 - i), 0 };
    fContext->SelectPalette(NHostPalette(NHostPalette::kLogicalVersion, entries));
    MakeBitmap(80, 30, 8);
    UseFont("Arial", -16);
    Colors(kColorPaletteRelative | 245u << 16 | 10u << 8 | 10u, kColorPaletteRelative | 10u << 16 | 245u << 8 | 245u,
        kBackgroundOpaque);
    NHostRect rect { 0, 0, 80, 30 };
    NHostText::DrawText(*fContext, "Ink", rect, kTextSingleLine);
    int inked = 0;
    for (int y = 0; y < 30; ++y) {
        for (int x = 0; x < 80; ++x) {
            uint8_t value = Pixel8(x, y);
            EXPECT_TRUE(value == 10 || value == 245 || value == 0) << int(value);
            inked += value == 10;
        }
    }
    EXPECT_GT(inked, 20);
    EXPECT_EQ(Pixel8(0, 0), 245);
}

TEST_F(NHostTextTest, MetricsComeFromTheSelectedFont)
{
    const NHostFont& font = UseFont("Times New Roman", -32);
    NHostTextMetrics metrics = NHostText::GetTextMetrics(*fContext);
    EXPECT_EQ(metrics.fAscent, font.Ascent());
    EXPECT_EQ(metrics.fDescent, font.Descent());
    EXPECT_EQ(metrics.fHeight, font.Height());
    fContext->SelectFont(nullptr);
    EXPECT_EQ(NHostText::GetTextMetrics(*fContext).fHeight, NHostFont::StockSystemFont().Height());
}

} // namespace
