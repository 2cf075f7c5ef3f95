// Platform fonts: faces found by name through fontconfig, glyphs rendered by FreeType.
#pragma once

#include "platform/NHostDeviceContext.h"

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// Weights, qualities and families of the logical-font record.
enum : int32_t {
    kFontWeightDontCare = 0,
    kFontWeightNormal = 400,
    kFontWeightSemiBold = 600, // from here on a face counts as bold
    kFontWeightBold = 700,
};

enum : uint8_t {
    kFontQualityDefault = 0,
    kFontQualityNonAntialiased = 3,
    kFontFamilyDontCare = 0x00,
    kFontFamilyRoman = 0x10,
    kFontFamilySwiss = 0x20,
    kFontFamilyModern = 0x30,
    kFontFamilyMask = 0xF0,
};

/// What a font is asked for, as the classic logical-font record holds it. A negative height
/// is the character (em) height in pixels, a positive one the cell height (ascent plus
/// descent), 0 the default height.
struct NHostLogFont {
    int32_t fHeight = 0;
    int32_t fWidth = 0;
    int32_t fEscapement = 0;
    int32_t fOrientation = 0;
    int32_t fWeight = kFontWeightNormal;
    bool fItalic = false;
    bool fUnderline = false;
    bool fStrikeOut = false;
    uint8_t fCharSet = 0;
    uint8_t fOutPrecision = 0;
    uint8_t fClipPrecision = 0;
    uint8_t fQuality = kFontQualityDefault;
    uint8_t fPitchAndFamily = kFontFamilyDontCare;
    std::string fFaceName;
};

/// One rendered glyph: one bit per pixel, most significant bit first, rows top-down.
struct NHostGlyph {
    int32_t fAdvance = 0; // pen movement in pixels
    int32_t fLeft = 0; // bitmap's left edge relative to the pen
    int32_t fTop = 0; // bitmap's top row above the baseline
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    int32_t fPitch = 0; // bytes per row
    std::vector<uint8_t> fBits;

    bool IsSet(int32_t x, int32_t y) const
    {
        return (fBits[size_t(y) * size_t(fPitch) + size_t(x >> 3)] >> (7 - (x & 7))) & 1;
    }
};

/// A face at one pixel size. Glyphs are rendered without antialiasing (one bit per pixel)
/// whatever quality is asked, and kept once rendered, for this font and any later one of
/// the same face, size and style.
class NHostFont {
public:
    static constexpr int32_t kDefaultCharacterHeight = 16; // 12 points at 96 dots per inch
    // Far beyond any text on a 640 x 480 screen, and small enough that one glyph's bitmap
    // stays well under a megabyte.
    static constexpr int32_t kMaxPixelHeight = 1024;
    static constexpr int32_t kDesktopDotsPerInch = 96;
    static constexpr int32_t kPointsPerInch = 72;

    /// The face fontconfig finds for the record's face name, by name or by a metric-compatible
    /// alias ("Arial" finds Liberation Sans); null when the name is unknown, so that the
    /// caller's own fallbacks run. An empty name takes the family's generic face.
    static std::unique_ptr<NHostFont> Create(const NHostLogFont& request);
    /// The stock system font; always there (without glyphs if no face can be loaded at all).
    static NHostFont& StockSystemFont();
    /// The desktop's logical pixels per inch vertically.
    static int32_t DesktopPixelsPerInch() { return kDesktopDotsPerInch; }

    ~NHostFont();
    NHostFont(const NHostFont&) = delete;
    NHostFont& operator=(const NHostFont&) = delete;

    NHostDeviceContext::FontHandle Handle() const { return this; }
    /// The font behind a handle made by Handle; the stock font for none.
    static const NHostFont& FromHandle(NHostDeviceContext::FontHandle handle);

    const NHostLogFont& Request() const { return fRequest; }
    /// The family of the face found ("Liberation Sans"), empty for a font without a face.
    const std::string& FamilyName() const { return fFamily; }
    int32_t Ascent() const { return fAscent; }
    int32_t Descent() const { return fDescent; }
    int32_t Height() const { return fAscent + fDescent; }
    /// Pixels below the baseline where an underline's top row lies, and its thickness.
    int32_t UnderlineOffset() const { return fUnderlineOffset; }
    int32_t UnderlineThickness() const { return fUnderlineThickness; }
    bool IsBold() const { return fBold; }
    bool IsItalic() const { return fItalic; }

    /// The glyph of a Unicode character (the face's missing-glyph shape when it has none).
    /// Glyphs stay valid while the font lives.
    const NHostGlyph& Glyph(char16_t code) const;

private:
    struct Face;

    NHostFont(const NHostLogFont& request, std::unique_ptr<Face> face);
    void SetUpMetrics(int32_t pixelHeight);

    NHostLogFont fRequest;
    std::unique_ptr<Face> fFace;
    std::string fFamily;
    int32_t fAscent = 0;
    int32_t fDescent = 0;
    int32_t fUnderlineOffset = 1;
    int32_t fUnderlineThickness = 1;
    bool fBold = false;
    bool fItalic = false;
    // Glyphs of a font without a face; others share theirs with fonts of the same face and size.
    mutable std::unordered_map<char16_t, NHostGlyph> fOwnGlyphs;
};
