// The platform's text drawing: extended text drawing and fills on a context's selected bitmap.
#pragma once

#include <cstdint>
#include <string_view>

class NHostDeviceContext;

// Format flags of DrawText.
enum : uint32_t {
    kTextLeft = 0x0000,
    kTextCentre = 0x0001,
    kTextRight = 0x0002,
    kTextTop = 0x0000,
    kTextVerticalCentre = 0x0004,
    kTextBottom = 0x0008,
    kTextWordBreak = 0x0010,
    kTextSingleLine = 0x0020,
    kTextCalculateRect = 0x0400, // measure only: answer the rectangle, draw nothing
    kTextNoPrefix = 0x0800, // without it '&' underlines the next character, "&&" is '&'
    kTextEditControl = 0x2000, // with word break: a word longer than the line breaks inside
    kTextEndEllipsis = 0x8000,
};

// Colour forms: 0x00BBGGRR, 0x01000000 | palette index, 0x02BBGGRR (nearest palette entry).
enum : uint32_t {
    kColorIndexed = 0x01000000,
    kColorPaletteRelative = 0x02000000,
    kColorKindMask = 0xFF000000,
};

/// Left, top, right and bottom, the right and bottom edges exclusive.
struct NHostRect {
    int32_t fLeft = 0;
    int32_t fTop = 0;
    int32_t fRight = 0;
    int32_t fBottom = 0;
};

struct NHostTextMetrics {
    int32_t fAscent = 0;
    int32_t fDescent = 0;
    int32_t fHeight = 0;
};

/// Texts are Windows-1252 bytes. Drawing goes to the context's selected bitmap (8, 16 or
/// 32 bits) with its selected font (the stock font when none), text and background colour
/// and background mode, clipped to the rectangle and the bitmap. On 8-bit bitmaps colours
/// become the nearest index of the context's selected palette.
class NHostText {
public:
    static constexpr char kEllipsis[] = "...";

    /// Lays out and draws (or with kTextCalculateRect only measures) the text. Returns the
    /// text's height, or with vertical centring or bottom alignment the distance from the
    /// rectangle's top to the text's bottom; 0 for an empty text. Measuring sets the
    /// rectangle's right and bottom to the widest line and the total height.
    static int32_t DrawText(NHostDeviceContext& context, std::string_view text, NHostRect& rect, uint32_t format);
    /// Fills the rectangle (clipped to the selected bitmap) with a solid colour; false
    /// without a bitmap of a depth that can be filled.
    static bool FillRect(NHostDeviceContext& context, const NHostRect& rect, uint32_t color);
    static NHostTextMetrics GetTextMetrics(const NHostDeviceContext& context);
    /// The pixel value a colour takes on the context's selected bitmap of that depth.
    static uint32_t PixelValue(const NHostDeviceContext& context, uint32_t color, int32_t depth);
};
