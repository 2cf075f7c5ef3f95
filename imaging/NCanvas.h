// The drawing context of text: a font, two palette colours and one drawing surface.
#pragma once

#include "imaging/NCanvasMaker.h"
#include "imaging/NFont.h"
#include "imaging/NPaletteData.h"
#include "geometry/NRect.h"

#include <cstdint>
#include <memory>
#include <string>

class NCanvasImage;
class NPalette;
class NSpFrame;

// Alignment codes of DrawText and MeasureText: horizontal within vertical.
enum : int {
    kAlignLeftTop = 0,
    kAlignRightTop = 1,
    kAlignCentreTop = 2,
    kAlignLeftMiddle = 3,
    kAlignRightMiddle = 4,
    kAlignCentreMiddle = 5,
    kAlignLeftBottom = 6,
    kAlignRightBottom = 7,
    kAlignCentreBottom = 8,
};

struct NFontMetrics {
    int32_t fAscent = 0;
    int32_t fDescent = 0;
    int32_t fHeight = 0;

    bool operator==(const NFontMetrics& other) const = default;
};

/// Draws through the program's shared memory context: each operation selects the surface,
/// the font and the colours and puts back what was selected before, so canvases never
/// leave their objects behind in the context. A background index of 0 draws text with a
/// transparent background.
class NCanvas : public NCanvasMaker {
public:
    static constexpr uint8_t kDefaultTextIndex = kPaletteBlack;
    static constexpr uint8_t kDefaultBackgroundIndex = kPaletteWhite;
    static constexpr uint8_t kTransparentIndex = 0;

    NCanvas();
    ~NCanvas() override;

    NCanvas(const NCanvas&) = delete;
    NCanvas& operator=(const NCanvas&) = delete;

    // Surfaces
    /// A surface of the size and depth, or null; the canvas draws into it from now on.
    std::unique_ptr<NCanvasImage> CreateCanvas(NPoint size, int16_t depth, const NPalette* palette) override;

    /// Deletes the surface's bitmap (deselecting it) and forgets it if it is the current one.
    void DeleteCanvasImage(NCanvasImage& image);
    /// The same, and destroys the image object.
    void DeleteCanvasImage(std::unique_ptr<NCanvasImage> image);
    NCanvasImage* CurrentImage() const { return fImage; }

    void SetFont(const NFont& font);
    const NFont& Font() const { return fFont; }
    void SetColors(uint8_t textIndex, uint8_t backgroundIndex);
    uint8_t TextIndex() const { return fTextIndex; }
    uint8_t BackgroundIndex() const { return fBackgroundIndex; }

    /// Fills the rectangle of the surface with the background colour.
    void FillBackground(const NRect& rect);
    /// Fills the rectangle first unless noFill, then draws the text in it; returns the
    /// platform's text height (0 without a surface).
    int32_t DrawText(
        const std::string& text, const NRect& rect, int alignment, bool wordWrap, bool noFill, bool ellipsis);
    /// Where the text would go: x and y as measured, the given width when wrapping in a
    /// width above 0 (else the measured width), the measured height. An empty text gives
    /// (x, y, 0, 0).
    NRect MeasureText(const std::string& text, const NRect& rect, int alignment, bool wordWrap, bool ellipsis);
    /// DrawText with the platform's format flags given (from TextFormat).
    int32_t DrawTextFormatted(const std::string& text, const NRect& rect, uint32_t format, bool noFill);
    NFontMetrics GetMetrics();
    /// Draws the source rectangle of the surface into the frame's image at point.
    bool DrawImageTo(NSpFrame& frame, const NRect& source, NPoint point, bool transparent);

    /// The platform's format flags for an alignment code and the wrap and ellipsis choices.
    static uint32_t TextFormat(int alignment, bool wordWrap, int32_t width, bool ellipsis);
    /// The palette-relative colour of an index of the application palette.
    static uint32_t PaletteColor(uint8_t index);

private:
    uint8_t fTextIndex = kDefaultTextIndex;
    uint8_t fBackgroundIndex = kDefaultBackgroundIndex;
    NFont fFont;
    NCanvasImage* fImage = nullptr; // the current surface; its bitmap is ours to delete
};
