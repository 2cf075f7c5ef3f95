// Text sprites: measuring, the temporary canvas and surface, shadow, and smoothing by reduction.
#include "imaging/NSpText.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NImageOps.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpFrame.h"
#include "platform/NHostCodePage.h"

#include <algorithm>
#include <limits>

namespace {

constexpr int16_t kSmoothDepth = 32;
constexpr int16_t kPlainDepth = 8;
constexpr uint32_t kIndexMask = 0xFF;

int32_t ClampLength(int64_t length)
{
    return static_cast<int32_t>(std::clamp<int64_t>(length, 0, std::numeric_limits<int32_t>::max()));
}

int16_t ClampSide(int64_t length)
{
    return static_cast<int16_t>(std::clamp<int64_t>(length, 0, std::numeric_limits<int16_t>::max()));
}

uint8_t PickColor(int given, uint8_t current)
{
    return given == NSpText::kKeepColor ? current : static_cast<uint8_t>(uint32_t(given) & kIndexMask);
}

} // namespace

NSpText::NSpText() = default;

NSpText::~NSpText() = default;

bool NSpText::DescribeUi(NUiDescription& description) const
{
    description.kind = "text";
    description.name = FileName().empty() ? ClassName() : FileName();
    description.text = NHostCodePage::AnsiToUtf8(fText);
    return true;
}

void NSpText::SetSmoothing(bool on, int32_t factor)
{
    int32_t newFactor = on ? std::clamp(factor, 1, kMaxSmoothing) : 1;
    if (on == fSmoothing && newFactor == fFactor)
        return;
    // Lengths set before keep their size in sprite pixels.
    auto convert = [this, newFactor](int32_t& length) { length = ClampLength(int64_t(length / fFactor) * newFactor); };
    convert(fWrapWidth);
    convert(fFixedHeight);
    convert(fMarginX);
    convert(fMarginY);
    fSmoothing = on;
    fFactor = newFactor;
    MarkForRebuild();
}

void NSpText::SetWrapWidth(int32_t width)
{
    int32_t scaled = ClampLength(int64_t(width) * fFactor);
    if (scaled != fWrapWidth) {
        fWrapWidth = scaled;
        MarkForRebuild();
    }
}

void NSpText::SetWordWrap(bool on)
{
    if (on != fWordWrap) {
        fWordWrap = on;
        MarkForRebuild();
    }
}

void NSpText::SetFont(const NFont& font)
{
    if (!(font == fFont)) {
        fFont = font;
        MarkForRebuild();
    }
}

void NSpText::SetFixedHeight(int32_t height)
{
    int32_t scaled = ClampLength(int64_t(height) * fFactor);
    if (scaled != fFixedHeight) {
        fFixedHeight = scaled;
        MarkForRebuild();
    }
}

void NSpText::SetMargins(int32_t horizontal, int32_t vertical)
{
    int32_t scaledX = ClampLength(int64_t(horizontal) * fFactor);
    int32_t scaledY = ClampLength(int64_t(vertical) * fFactor);
    if (scaledX != fMarginX || scaledY != fMarginY) {
        fMarginX = scaledX;
        fMarginY = scaledY;
        MarkForRebuild();
    }
}

void NSpText::SetEllipsis(bool on)
{
    if (on != fEllipsis) {
        fEllipsis = on;
        MarkForRebuild();
    }
}

void NSpText::SetAlignment(int alignment)
{
    if (alignment != fAlignment) {
        fAlignment = alignment;
        MarkForRebuild();
    }
}

void NSpText::SetText(const std::string& text, int textIndex, int backgroundIndex, int shadowIndex, bool force)
{
    uint8_t textColor = PickColor(textIndex, fTextIndex);
    uint8_t backgroundColor = PickColor(backgroundIndex, fBackgroundIndex);
    uint8_t shadowColor = PickColor(shadowIndex, fShadowIndex);
    if (!fNeedsRebuild && !force && textColor == fTextIndex && backgroundColor == fBackgroundIndex
        && shadowColor == fShadowIndex && text == fText)
        return;
    fText = text;
    fTextIndex = textColor;
    fBackgroundIndex = backgroundColor;
    fShadowIndex = shadowColor;
    Rebuild();
}

void NSpText::SetFontAndText(
    const NFont& font, const std::string& text, int textIndex, int backgroundIndex, int shadowIndex, bool force)
{
    SetFont(font);
    SetText(text, textIndex, backgroundIndex, shadowIndex, force);
}

void NSpText::Rebuild()
{
    fNeedsRebuild = false;
    fMetricsValid = false;
    ++fRebuilds;
    // MakeMemory keeps the sprite's position; the frame gets no offset of its own.
    bool visible = IsVisible();
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    if (fText.empty()) {
        // An empty rectangle makes no set: the sprite stays where it is, without an image.
        MakeMemory(NRect(), kPlainDepth, palette);
        SetVisible(visible);
        return;
    }

    NCanvas canvas;
    NFont font = fFont;
    if (fSmoothing)
        font.Scale(fFactor);
    canvas.SetFont(font);
    canvas.SetColors(fTextIndex, fBackgroundIndex);
    NRect measured = canvas.MeasureText(fText, NRect(0, 0, ClampSide(fWrapWidth), 0), fAlignment, fWordWrap, fEllipsis);

    int64_t contentWidth = fWrapWidth > 0 ? fWrapWidth : measured.fWidth;
    int64_t contentHeight = fFixedHeight > 0 ? fFixedHeight : measured.fHeight;
    int64_t shadowGrowth = fShadowIndex != kNoShadow ? fFactor : 0;
    int16_t width = ClampSide(contentWidth + 2 * int64_t(fMarginX) + shadowGrowth);
    int16_t height = ClampSide(contentHeight + 2 * int64_t(fMarginY) + shadowGrowth);
    int16_t depth = fSmoothing ? kSmoothDepth : kPlainDepth;
    MakeMemory(NRect(0, 0, int16_t(width / fFactor), int16_t(height / fFactor)), depth, palette);
    SetVisible(visible);
    NSpFrame* frame = CurrentFrame();
    if (width <= 0 || height <= 0 || !frame || !frame->GetImage())
        return;

    std::unique_ptr<NCanvasImage> surface = canvas.CreateCanvas(NPoint(width, height), depth, palette);
    if (!surface)
        return;
    canvas.FillBackground(surface->Bounds());
    // The width decides the flags as it did for measuring, so a text without a wrapping
    // width breaks only where it was measured to.
    uint32_t format = NCanvas::TextFormat(fAlignment, fWordWrap, fWrapWidth, fEllipsis);
    NRect textRect(ClampSide(fMarginX), ClampSide(fMarginY), ClampSide(contentWidth), ClampSide(contentHeight));
    // The surface is filled already; drawing with a transparent background keeps the shadow
    // that an opaque text box would cover again.
    if (fShadowIndex != kNoShadow) {
        canvas.SetColors(fShadowIndex, NCanvas::kTransparentIndex);
        canvas.DrawTextFormatted(fText, textRect.Offset(fFactor, fFactor), format, true);
    }
    canvas.SetColors(fTextIndex, NCanvas::kTransparentIndex);
    canvas.DrawTextFormatted(fText, textRect, format, true);
    NFontMetrics metrics = canvas.GetMetrics();

    if (fSmoothing) {
        AverageShrink(*surface, *frame->GetImage());
        metrics.fAscent /= fFactor;
        metrics.fDescent /= fFactor;
        metrics.fHeight /= fFactor;
    } else {
        canvas.DrawImageTo(*frame, surface->Bounds(), NPoint(0, 0), false);
    }
    fMetrics = metrics;
    fMetricsValid = true;
    canvas.DeleteCanvasImage(std::move(surface));
    MarkChanged();
}
