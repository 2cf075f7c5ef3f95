// Canvases: surfaces, fills and text through the platform's text drawing on the shared context.
#include "imaging/NCanvas.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpFrame.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostText.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int kHorizontalKinds = 3; // alignment code = vertical x 3 + horizontal
constexpr uint32_t kHorizontalFlags[kHorizontalKinds] = { kTextLeft, kTextRight, kTextCentre };
constexpr uint32_t kVerticalFlags[kHorizontalKinds] = { kTextTop, kTextVerticalCentre, kTextBottom };
constexpr int kBlueShift = 16;
constexpr int kGreenShift = 8;

// Selects a canvas's objects into the shared context for one operation and puts back
// what was there before.
class Selection {
public:
    Selection(NHostBitmap* bitmap, NHostDeviceContext::FontHandle font, uint32_t text, uint32_t background, int mode)
        : fContext(NCanvasImage::SharedContext())
        , fBitmap(fContext.SelectBitmap(bitmap))
        , fFont(fContext.SelectFont(font))
        , fText(fContext.SetTextColor(text))
        , fBackground(fContext.SetBackgroundColor(background))
        , fMode(fContext.SetBackgroundMode(mode))
    {
    }

    ~Selection()
    {
        fContext.SetBackgroundMode(fMode);
        fContext.SetBackgroundColor(fBackground);
        fContext.SetTextColor(fText);
        fContext.SelectFont(fFont);
        fContext.SelectBitmap(fBitmap);
    }

    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    NHostDeviceContext& Context() const { return fContext; }

private:
    NHostDeviceContext& fContext;
    NHostBitmap* fBitmap;
    NHostDeviceContext::FontHandle fFont;
    uint32_t fText;
    uint32_t fBackground;
    int fMode;
};

NHostRect ToHost(const NRect& rect)
{
    return { rect.fX, rect.fY, int32_t(rect.Right()), int32_t(rect.Bottom()) };
}

// The colour the host draws for a palette index. An 8-bit surface gets the index itself:
// its palette may hold the same colour at several indexes (black at 0, the transparent one
// of sprites, and again at 10), and matching by colour would take the first of them.
uint32_t DrawColor(const NCanvasImage* image, uint8_t index)
{
    if (image && image->Depth() == 8)
        return kColorIndexed | index;
    return NCanvas::PaletteColor(index);
}

int16_t ClampSize(int64_t size)
{
    return static_cast<int16_t>(std::clamp<int64_t>(size, 0, std::numeric_limits<int16_t>::max()));
}

} // namespace

NCanvas::NCanvas() = default;

NCanvas::~NCanvas() = default;

std::unique_ptr<NCanvasImage> NCanvas::CreateCanvas(NPoint size, int16_t depth, const NPalette* palette)
{
    std::unique_ptr<NCanvasImage> image = NCanvasImage::Create(size.fX, size.fY, depth, palette);
    if (image)
        fImage = image.get();
    return image;
}

void NCanvas::DeleteCanvasImage(NCanvasImage& image)
{
    image.DeleteBitmap();
    if (fImage == &image)
        fImage = nullptr;
}

void NCanvas::DeleteCanvasImage(std::unique_ptr<NCanvasImage> image)
{
    if (image)
        DeleteCanvasImage(*image);
}

void NCanvas::SetFont(const NFont& font)
{
    fFont = font;
}

void NCanvas::SetColors(uint8_t textIndex, uint8_t backgroundIndex)
{
    fTextIndex = textIndex;
    fBackgroundIndex = backgroundIndex;
}

void NCanvas::FillBackground(const NRect& rect)
{
    if (!fImage || !fImage->Bitmap())
        return;
    uint32_t background = DrawColor(fImage, fBackgroundIndex);
    Selection selection(fImage->Bitmap(), nullptr, DrawColor(fImage, fTextIndex), background, kBackgroundOpaque);
    NHostText::FillRect(selection.Context(), ToHost(rect), background);
}

int32_t NCanvas::DrawText(
    const std::string& text, const NRect& rect, int alignment, bool wordWrap, bool noFill, bool ellipsis)
{
    return DrawTextFormatted(text, rect, TextFormat(alignment, wordWrap, rect.fWidth, ellipsis), noFill);
}

int32_t NCanvas::DrawTextFormatted(const std::string& text, const NRect& rect, uint32_t format, bool noFill)
{
    if (!fImage || !fImage->Bitmap())
        return 0;
    if (!noFill)
        FillBackground(rect);
    int mode = fBackgroundIndex != kTransparentIndex ? kBackgroundOpaque : kBackgroundTransparent;
    Selection selection(
        fImage->Bitmap(), fFont.GetHandle(), DrawColor(fImage, fTextIndex), DrawColor(fImage, fBackgroundIndex), mode);
    NHostRect area = ToHost(rect);
    return NHostText::DrawText(selection.Context(), text, area, format & ~uint32_t(kTextCalculateRect));
}

NRect NCanvas::MeasureText(const std::string& text, const NRect& rect, int alignment, bool wordWrap, bool ellipsis)
{
    if (text.empty())
        return NRect(rect.fX, rect.fY, 0, 0);
    Selection selection(fImage ? fImage->Bitmap() : nullptr, fFont.GetHandle(), PaletteColor(fTextIndex),
        PaletteColor(fBackgroundIndex), kBackgroundOpaque);
    NHostRect area = ToHost(rect);
    NHostText::DrawText(
        selection.Context(), text, area, TextFormat(alignment, wordWrap, rect.fWidth, ellipsis) | kTextCalculateRect);
    int64_t width = wordWrap && rect.fWidth > 0 ? rect.fWidth : int64_t(area.fRight) - area.fLeft;
    return NRect(NClampCoordinate(area.fLeft), NClampCoordinate(area.fTop), ClampSize(width),
        ClampSize(int64_t(area.fBottom) - area.fTop));
}

NFontMetrics NCanvas::GetMetrics()
{
    Selection selection(fImage ? fImage->Bitmap() : nullptr, fFont.GetHandle(), PaletteColor(fTextIndex),
        PaletteColor(fBackgroundIndex), kBackgroundOpaque);
    NHostTextMetrics metrics = NHostText::GetTextMetrics(selection.Context());
    return { metrics.fAscent, metrics.fDescent, metrics.fHeight };
}

bool NCanvas::DrawImageTo(NSpFrame& frame, const NRect& source, NPoint point, bool transparent)
{
    NSpImage* destination = frame.GetImage();
    if (!fImage || !destination)
        return false;
    fImage->SetFlag(kImageTransparent, transparent);
    return fImage->DrawAt(source, *destination, point, nullptr, false, false);
}

uint32_t NCanvas::TextFormat(int alignment, bool wordWrap, int32_t width, bool ellipsis)
{
    if (alignment < kAlignLeftTop || alignment > kAlignCentreBottom)
        alignment = kAlignLeftTop;
    uint32_t format
        = kHorizontalFlags[alignment % kHorizontalKinds] | kVerticalFlags[alignment / kHorizontalKinds] | kTextNoPrefix;
    if (!wordWrap)
        format |= kTextSingleLine;
    else if (width > 0)
        format |= kTextWordBreak | kTextEditControl;
    if (ellipsis)
        format |= kTextEndEllipsis;
    return format;
}

uint32_t NCanvas::PaletteColor(uint8_t index)
{
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    const NPaletteData* colors = palette ? palette->Data() : nullptr;
    if (!colors)
        return kColorIndexed | index;
    return kColorPaletteRelative | uint32_t(colors->Blue(index)) << kBlueShift
        | uint32_t(colors->Green(index)) << kGreenShift | colors->Red(index);
}
