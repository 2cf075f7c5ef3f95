// Fonts over fontconfig (finding faces by name) and FreeType (metrics and one-bit glyphs).
#include "platform/NHostFont.h"

#include "platform/NHostCodePage.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>
#include <tuple>

namespace {

constexpr int32_t kFixedShift = 6; // 26.6 fixed point
constexpr int32_t kFixedHalf = 1 << (kFixedShift - 1);
constexpr int32_t kBitsPerByte = 8;
constexpr uint8_t kGrayThreshold = 128; // a grey pixel of a bitmap strike counts as ink from here
constexpr int32_t kStockAscent = 13; // metrics of a stock font without any face
constexpr int32_t kStockDescent = 3;
constexpr char kGenericSans[] = "sans-serif";
constexpr char kGenericSerif[] = "serif";
constexpr char kGenericMono[] = "monospace";
constexpr const char* kStockFaces[] = { "DejaVu Sans", "Liberation Sans", "" };
constexpr size_t kMatchCacheLimit = 256;
constexpr size_t kGlyphSetLimit = 16; // glyph sets kept while no font uses them

// The glyphs of one face at one size and style, shared by every font that renders them the
// same way, so that a font made anew (each text rebuild makes one) finds them rendered.
struct GlyphSet {
    std::unordered_map<char16_t, NHostGlyph> fGlyphs;
    int fUsers = 0;
};
using GlyphKey = std::tuple<std::string, int, int32_t, bool, bool>; // file, index, em, bold, italic
using GlyphSets = std::map<GlyphKey, GlyphSet>;

// FreeType stays open while any font needs it. A plain counter, not a singleton object:
// fonts held by other function-local statics may be destroyed after any singleton made
// later than they were.
struct FreeTypeUse {
    FT_Library fLibrary;
    int fUsers;
    GlyphSets* fGlyphSets; // lives as long as the library
};
FreeTypeUse sFreeType;

bool AcquireFreeType()
{
    if (sFreeType.fUsers == 0) {
        if (FT_Init_FreeType(&sFreeType.fLibrary) != 0)
            return false;
        sFreeType.fGlyphSets = new GlyphSets();
    }
    ++sFreeType.fUsers;
    return true;
}

void ReleaseFreeType()
{
    if (--sFreeType.fUsers == 0) {
        delete sFreeType.fGlyphSets;
        sFreeType.fGlyphSets = nullptr;
        FT_Done_FreeType(sFreeType.fLibrary);
        sFreeType.fLibrary = nullptr;
    }
}

GlyphSet* AcquireGlyphSet(const GlyphKey& key)
{
    GlyphSets& sets = *sFreeType.fGlyphSets;
    if (sets.size() >= kGlyphSetLimit && sets.find(key) == sets.end())
        std::erase_if(sets, [](const auto& entry) { return entry.second.fUsers == 0; });
    GlyphSet& set = sets[key];
    ++set.fUsers;
    return &set;
}

// Holds FreeType open from the first font to exit, so that fonts made and dropped one after
// another (a text sprite's rebuilds) do not start it afresh each time.
struct FreeTypeKeeper {
    bool fHeld = AcquireFreeType();
    ~FreeTypeKeeper()
    {
        if (fHeld)
            ReleaseFreeType();
    }
};

int32_t ScaleRounded(int64_t value, int64_t numerator, int64_t denominator)
{
    if (denominator <= 0)
        return 0;
    int64_t product = value * numerator;
    int64_t half = denominator / 2;
    return static_cast<int32_t>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

// What fontconfig found for a request.
struct FoundFace {
    std::string fFile;
    int fIndex = 0;
    std::string fFamily;
    int fWeight = FC_WEIGHT_REGULAR;
    int fSlant = FC_SLANT_ROMAN;
};

const char* GenericFamily(uint8_t pitchAndFamily)
{
    switch (pitchAndFamily & kFontFamilyMask) {
    case kFontFamilyRoman:
        return kGenericSerif;
    case kFontFamilyModern:
        return kGenericMono;
    default:
        return kGenericSans;
    }
}

// The families a request names strongly: the name itself and the aliases fontconfig's
// configuration binds to it (the metric-compatible faces), not its weak defaults.
std::vector<std::string> StrongFamilies(FcPattern* pattern)
{
    std::vector<std::string> families;
    FcValue value;
    FcValueBinding binding;
    for (int at = 0; FcPatternGetWithBinding(pattern, FC_FAMILY, at, &value, &binding) == FcResultMatch; ++at) {
        if (value.type == FcTypeString && binding != FcValueBindingWeak)
            families.emplace_back(reinterpret_cast<const char*>(value.u.s));
    }
    return families;
}

// Family names compare as fontconfig compares them: without regard to blanks and case.
std::string FamilyKey(const char* name)
{
    std::string key;
    for (; *name; ++name) {
        char c = *name;
        if (c == ' ')
            continue;
        key += c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
    }
    return key;
}

bool NamesFamily(FcPattern* match, const std::vector<std::string>& families)
{
    FcChar8* family = nullptr;
    for (int at = 0; FcPatternGetString(match, FC_FAMILY, at, &family) == FcResultMatch; ++at) {
        std::string found = FamilyKey(reinterpret_cast<const char*>(family));
        for (const std::string& wanted : families) {
            if (found == FamilyKey(wanted.c_str()))
                return true;
        }
    }
    return false;
}

// Fontconfig keeps its configuration until told to free it; fonts hold none of its objects,
// so it is freed at exit, after the last face was found.
struct FontconfigUse {
    ~FontconfigUse() { FcFini(); }
};

bool MatchFace(const NHostLogFont& request, FoundFace& found)
{
    static FontconfigUse sFontconfig;
    bool generic = request.fFaceName.empty();
    std::string family
        = generic ? GenericFamily(request.fPitchAndFamily) : NHostCodePage::AnsiToUtf8(request.fFaceName);
    FcPattern* pattern = FcPatternCreate();
    if (!pattern)
        return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    int weight = request.fWeight == kFontWeightDontCare ? kFontWeightNormal : std::clamp(request.fWeight, 1, 1000);
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(weight));
    FcPatternAddInteger(pattern, FC_SLANT, request.fItalic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    std::vector<std::string> families = StrongFamilies(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (!match)
        return false;
    bool accepted = generic || NamesFamily(match, families);
    FcChar8* file = nullptr;
    FcChar8* matchedFamily = nullptr;
    if (accepted && FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
        found.fFile = reinterpret_cast<const char*>(file);
        if (FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch)
            found.fFamily = reinterpret_cast<const char*>(matchedFamily);
        FcPatternGetInteger(match, FC_INDEX, 0, &found.fIndex);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &found.fWeight);
        FcPatternGetInteger(match, FC_SLANT, 0, &found.fSlant);
    } else {
        accepted = false;
    }
    FcPatternDestroy(match);
    return accepted;
}

// Matching is by far the dearest part of making a font, and the same few requests come
// again and again (each text rebuild makes its font anew), so answers are kept, misses too.
bool FindFace(const NHostLogFont& request, FoundFace& found)
{
    using Key = std::tuple<std::string, int32_t, bool, uint8_t>;
    static std::map<Key, std::optional<FoundFace>> sAnswers;
    bool generic = request.fFaceName.empty();
    Key key { request.fFaceName, request.fWeight, request.fItalic,
        uint8_t(generic ? request.fPitchAndFamily & kFontFamilyMask : 0) };
    auto known = sAnswers.find(key);
    if (known == sAnswers.end()) {
        if (sAnswers.size() >= kMatchCacheLimit)
            sAnswers.clear();
        FoundFace match;
        known = sAnswers.emplace(key, MatchFace(request, match) ? std::optional<FoundFace>(match) : std::nullopt).first;
    }
    if (!known->second)
        return false;
    found = *known->second;
    return true;
}

// One-bit copy of a rendered slot; grey strikes are thresholded.
void CopyBitmap(const FT_Bitmap& bitmap, NHostGlyph& glyph)
{
    glyph.fWidth = static_cast<int32_t>(bitmap.width);
    glyph.fHeight = static_cast<int32_t>(bitmap.rows);
    glyph.fPitch = (glyph.fWidth + kBitsPerByte - 1) / kBitsPerByte;
    glyph.fBits.assign(size_t(glyph.fPitch) * size_t(glyph.fHeight), 0);
    for (int32_t y = 0; y < glyph.fHeight; ++y) {
        const uint8_t* row = bitmap.buffer + ptrdiff_t(y) * bitmap.pitch;
        uint8_t* out = glyph.fBits.data() + size_t(y) * size_t(glyph.fPitch);
        if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
            std::memcpy(out, row, size_t(glyph.fPitch));
        } else if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            for (int32_t x = 0; x < glyph.fWidth; ++x) {
                if (row[x] >= kGrayThreshold)
                    out[x >> 3] = uint8_t(out[x >> 3] | (0x80 >> (x & 7)));
            }
        }
    }
}

} // namespace

struct NHostFont::Face {
    FT_Face fFace = nullptr;
    std::string fFile;
    int fIndex = 0;
    bool fSyntheticBold = false;
    bool fSyntheticItalic = false;
    GlyphSet* fGlyphs = nullptr;

    ~Face()
    {
        if (fGlyphs)
            --fGlyphs->fUsers;
        FT_Done_Face(fFace);
        ReleaseFreeType();
    }
};

std::unique_ptr<NHostFont> NHostFont::Create(const NHostLogFont& request)
{
    static FreeTypeKeeper sKeeper;
    FoundFace found;
    if (!FindFace(request, found) || !AcquireFreeType())
        return nullptr;
    auto face = std::make_unique<Face>();
    if (FT_New_Face(sFreeType.fLibrary, found.fFile.c_str(), found.fIndex, &face->fFace) != 0) {
        face->fFace = nullptr;
        return nullptr;
    }
    bool bold = request.fWeight >= kFontWeightSemiBold;
    face->fFile = found.fFile;
    face->fIndex = found.fIndex;
    face->fSyntheticBold = bold && found.fWeight < FC_WEIGHT_DEMIBOLD;
    face->fSyntheticItalic = request.fItalic && found.fSlant == FC_SLANT_ROMAN;
    std::unique_ptr<NHostFont> font(new NHostFont(request, std::move(face)));
    font->fFamily = found.fFamily;
    font->fBold = bold;
    font->fItalic = request.fItalic;
    return font;
}

NHostFont& NHostFont::StockSystemFont()
{
    static std::unique_ptr<NHostFont> sStock = [] {
        NHostLogFont request;
        request.fHeight = -kDefaultCharacterHeight;
        request.fQuality = kFontQualityNonAntialiased;
        request.fPitchAndFamily = kFontFamilySwiss;
        for (const char* face : kStockFaces) {
            request.fFaceName = face;
            if (std::unique_ptr<NHostFont> font = Create(request))
                return font;
        }
        request.fFaceName.clear();
        return std::unique_ptr<NHostFont>(new NHostFont(request, nullptr));
    }();
    return *sStock;
}

const NHostFont& NHostFont::FromHandle(NHostDeviceContext::FontHandle handle)
{
    return handle ? *static_cast<const NHostFont*>(handle) : StockSystemFont();
}

NHostFont::NHostFont(const NHostLogFont& request, std::unique_ptr<Face> face)
    : fRequest(request)
    , fFace(std::move(face))
{
    // Absurd heights from damaged records are pinned to a sane range here, once for every caller.
    int64_t height = request.fHeight;
    if (height == 0)
        height = -kDefaultCharacterHeight;
    height = std::clamp<int64_t>(height, -kMaxPixelHeight, kMaxPixelHeight);
    fRequest.fHeight = static_cast<int32_t>(height);
    SetUpMetrics(fRequest.fHeight);
}

NHostFont::~NHostFont() = default;

void NHostFont::SetUpMetrics(int32_t pixelHeight)
{
    FT_Face face = fFace ? fFace->fFace : nullptr;
    if (!face || !FT_IS_SCALABLE(face) || face->units_per_EM == 0) {
        int32_t cell = std::abs(pixelHeight);
        fAscent = cell * kStockAscent / (kStockAscent + kStockDescent);
        fDescent = std::max(1, cell - fAscent);
        return;
    }
    // The classic metrics come from the OS/2 table's ascent and descent for the platform.
    int64_t ascentUnits = face->ascender;
    int64_t descentUnits = -face->descender;
    if (const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
        os2 && os2->usWinAscent + os2->usWinDescent > 0) {
        ascentUnits = os2->usWinAscent;
        descentUnits = os2->usWinDescent;
    }
    int64_t cellUnits = std::max<int64_t>(1, ascentUnits + descentUnits);
    int32_t em;
    if (pixelHeight < 0) {
        em = -pixelHeight;
        fAscent = ScaleRounded(ascentUnits, em, face->units_per_EM);
        fDescent = ScaleRounded(descentUnits, em, face->units_per_EM);
    } else {
        em = std::max(1, ScaleRounded(pixelHeight, face->units_per_EM, cellUnits));
        fAscent = ScaleRounded(pixelHeight, ascentUnits, cellUnits);
        fDescent = pixelHeight - fAscent;
    }
    em = std::max(1, em);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(em));
    fFace->fGlyphs
        = AcquireGlyphSet({ fFace->fFile, fFace->fIndex, em, fFace->fSyntheticBold, fFace->fSyntheticItalic });
    fAscent = std::max(1, fAscent);
    fDescent = std::max(0, fDescent);
    fUnderlineThickness = std::max(1, ScaleRounded(face->underline_thickness, em, face->units_per_EM));
    int32_t offset = ScaleRounded(-face->underline_position, em, face->units_per_EM) - fUnderlineThickness / 2;
    // Kept inside the descent, so the line is not clipped at the bottom of the text.
    fUnderlineOffset = std::clamp(offset, 1, std::max(1, fDescent - fUnderlineThickness));
}

const NHostGlyph& NHostFont::Glyph(char16_t code) const
{
    std::unordered_map<char16_t, NHostGlyph>& glyphs = fFace && fFace->fGlyphs ? fFace->fGlyphs->fGlyphs : fOwnGlyphs;
    auto cached = glyphs.find(code);
    if (cached != glyphs.end())
        return cached->second;
    NHostGlyph& glyph = glyphs[code];
    FT_Face face = fFace ? fFace->fFace : nullptr;
    if (!face) {
        glyph.fAdvance = Height() / 2;
        return glyph;
    }
    FT_UInt index = FT_Get_Char_Index(face, code);
    if (FT_Load_Glyph(face, index, FT_LOAD_TARGET_MONO) != 0)
        return glyph;
    FT_GlyphSlot slot = face->glyph;
    if (fFace->fSyntheticItalic)
        FT_GlyphSlot_Oblique(slot);
    if (fFace->fSyntheticBold)
        FT_GlyphSlot_Embolden(slot);
    if (slot->format != FT_GLYPH_FORMAT_BITMAP && FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0)
        return glyph;
    glyph.fAdvance = static_cast<int32_t>((slot->advance.x + kFixedHalf) >> kFixedShift);
    glyph.fLeft = slot->bitmap_left;
    glyph.fTop = slot->bitmap_top;
    CopyBitmap(slot->bitmap, glyph);
    return glyph;
}
