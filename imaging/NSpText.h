// Text sprites: a memory sprite whose image is the text, rebuilt when something shown changes.
#pragma once

#include "imaging/NCanvas.h"
#include "imaging/NFont.h"
#include "imaging/NMemSprite.h"

#include <cstdint>
#include <string>

/// Renders through a temporary canvas: straight into an 8-bit image, or with smoothing at
/// factor times the size into a 32-bit surface reduced by AverageShrink, which gives the
/// text soft (alpha) edges. Lengths given to the setters are sprite pixels; they are kept
/// multiplied by the smoothing factor, in the units of the surface the text is drawn in.
class NSpText : public NMemSprite {
public:
    static constexpr int kKeepColor = 8; // SetText: keep the current colour
    static constexpr int32_t kMaxSmoothing = 16; // bounds the surface at 256 times the image
    static constexpr uint8_t kNoShadow = 0;

    NSpText();
    ~NSpText() override;

    // Test tools
    /// Kind "text" with the text in UTF-8.
    bool DescribeUi(NUiDescription& description) const override;

    /// Off forces the factor to 1. The lengths kept are converted to the new factor.
    void SetSmoothing(bool on, int32_t factor);
    /// 0: no wrapping width, the text is as wide as measured.
    void SetWrapWidth(int32_t width);
    void SetWordWrap(bool on);
    void SetFont(const NFont& font);
    /// 0: as high as measured.
    void SetFixedHeight(int32_t height);
    /// Added on both sides.
    void SetMargins(int32_t horizontal, int32_t vertical);
    void SetEllipsis(bool on);
    /// One of the canvas's alignment codes.
    void SetAlignment(int alignment);

    /// Stores the text and colours and rebuilds the image, unless nothing is marked for
    /// rebuilding, force is off, the text is the same and every colour is unchanged (or
    /// kKeepColor). A shadow colour of 0 draws no shadow.
    void SetText(const std::string& text, int textIndex, int backgroundIndex, int shadowIndex, bool force);
    void SetFontAndText(
        const NFont& font, const std::string& text, int textIndex, int backgroundIndex, int shadowIndex, bool force);

    const std::string& Text() const { return fText; }
    const NFont& Font() const { return fFont; }
    bool IsSmoothing() const { return fSmoothing; }
    int32_t SmoothingFactor() const { return fFactor; }
    int32_t WrapWidth() const { return fWrapWidth; }
    bool NeedsRebuild() const { return fNeedsRebuild; }
    /// The font's metrics in sprite pixels, valid once text was drawn.
    bool MetricsValid() const { return fMetricsValid; }
    const NFontMetrics& Metrics() const { return fMetrics; }
    uint8_t TextIndex() const { return fTextIndex; }
    uint8_t BackgroundIndex() const { return fBackgroundIndex; }
    uint8_t ShadowIndex() const { return fShadowIndex; }
    /// How many times the image was rebuilt.
    uint32_t RebuildCount() const { return fRebuilds; }

private:
    void Rebuild();
    void MarkForRebuild() { fNeedsRebuild = true; }

    int32_t fWrapWidth = 0;
    int32_t fFixedHeight = 0;
    int32_t fMarginX = 0;
    int32_t fMarginY = 0;
    bool fWordWrap = false;
    bool fEllipsis = false;
    int fAlignment = kAlignLeftTop;
    bool fNeedsRebuild = false;
    bool fSmoothing = false;
    int32_t fFactor = 1;
    bool fMetricsValid = false;
    NFontMetrics fMetrics;
    uint8_t fTextIndex = NCanvas::kDefaultTextIndex;
    uint8_t fBackgroundIndex = NCanvas::kTransparentIndex;
    uint8_t fShadowIndex = kNoShadow;
    NFont fFont;
    std::string fText;
    uint32_t fRebuilds = 0;
};
