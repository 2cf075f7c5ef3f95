// Font records, their string-table form and the platform font with its fallbacks.
#include "imaging/NFont.h"

#include "framework/NStringTable.h"
#include "platform/NHostFont.h"
#include "platform/NHostLocale.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

constexpr char kFieldSeparator = ',';
constexpr char kFallbackFace[] = "arial";
constexpr int32_t kPointsToPixelsNumerator = 4; // 96 dots per inch over 72 points per inch
constexpr int32_t kPointsToPixelsDenominator = 3;
constexpr uint32_t kCharSetMask = 0xFF;

// OEM code pages with a character set of their own.
constexpr uint32_t kOemJapanese = 932;
constexpr uint32_t kOemSimplifiedChinese = 936;
constexpr uint32_t kOemKorean = 949;
constexpr uint32_t kOemTraditionalChinese = 950;
constexpr uint32_t kOemJohab = 1361;

// Fields of a string-table font entry, in order.
enum : size_t {
    kFieldFace,
    kFieldSize,
    kFieldCharSet,
    kFieldSecondFace,
    kFieldSecondSize,
    kFieldCount,
};

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Leading blanks, a sign and digits, as the C library reads a decimal integer, but
// pinned to the 32-bit range instead of overflowing; 0 without digits.
int32_t ReadInteger(const std::string& field)
{
    size_t at = 0;
    while (at < field.size() && (field[at] == ' ' || field[at] == '\t'))
        ++at;
    bool negative = false;
    if (at < field.size() && (field[at] == '-' || field[at] == '+'))
        negative = field[at++] == '-';
    int64_t value = 0;
    for (; at < field.size() && field[at] >= '0' && field[at] <= '9'; ++at)
        value = std::min<int64_t>(value * 10 + (field[at] - '0'), int64_t(std::numeric_limits<int32_t>::max()) + 1);
    return Saturate(negative ? -value : value);
}

// value x numerator / denominator, rounded half away from zero.
int32_t MultiplyDivide(int64_t value, int64_t numerator, int64_t denominator)
{
    int64_t product = value * numerator;
    int64_t half = denominator / 2;
    return Saturate(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

bool HasStyleLetter(const std::string& field, char lower)
{
    char upper = char(lower - 'a' + 'A');
    return field.size() > 1 && field.find_first_of(std::string { lower, upper }, 1) != std::string::npos;
}

} // namespace

NFont::NFont()
    : fCharSet(DefaultCharSet())
{
}

NFont::NFont(const NFont& other)
    : fFace(other.fFace)
    , fSize(other.fSize)
    , fBold(other.fBold)
    , fItalic(other.fItalic)
    , fUnderline(other.fUnderline)
    , fCharSet(other.fCharSet)
    , fSecondFace(other.fSecondFace)
    , fSecondSize(other.fSecondSize)
{
}

NFont& NFont::operator=(const NFont& other)
{
    if (this == &other)
        return *this;
    fFace = other.fFace;
    fSize = other.fSize;
    fBold = other.fBold;
    fItalic = other.fItalic;
    fUnderline = other.fUnderline;
    fCharSet = other.fCharSet;
    fSecondFace = other.fSecondFace;
    fSecondSize = other.fSecondSize;
    fHandle.reset();
    fValid = false;
    return *this;
}

NFont::~NFont() = default;

NFont NFont::ButtonDefault()
{
    NFont font;
    font.fFace = kButtonFace;
    font.fSecondFace = kButtonSecondFace;
    font.fSecondSize = kButtonSecondSize;
    return font;
}

int32_t NFont::DefaultCharSet()
{
    static const int32_t sCharSet = [] {
        NHostLocale::SetFromEnvironment();
        switch (NHostLocale::OemCodePage()) {
        case kOemJapanese:
            return int32_t(kCharSetShiftJis);
        case kOemSimplifiedChinese:
            return int32_t(kCharSetGb2312);
        case kOemTraditionalChinese:
            return int32_t(kCharSetChineseBig5);
        case kOemKorean:
            return int32_t(kCharSetHangul);
        case kOemJohab:
            return int32_t(kCharSetJohab);
        default:
            return int32_t(kCharSetAnsi);
        }
    }();
    return sCharSet;
}

void NFont::FontFromString(int32_t stringId)
{
    FontFromText(NStringTable::The().GetString(stringId));
}

void NFont::FontFromText(const std::string& entry)
{
    std::vector<std::string> fields;
    size_t start = 0;
    while (fields.size() < kFieldCount) {
        size_t comma = entry.find(kFieldSeparator, start);
        fields.push_back(entry.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    auto present = [&fields](size_t index) { return index < fields.size() && !fields[index].empty(); };
    *this = NFont();
    if (present(kFieldFace))
        fFace = fields[kFieldFace];
    if (present(kFieldSize)) {
        const std::string& size = fields[kFieldSize];
        fSize = ReadInteger(size);
        fBold = HasStyleLetter(size, 'b');
        fItalic = HasStyleLetter(size, 'i');
    }
    if (present(kFieldCharSet)) {
        int32_t charSet = ReadInteger(fields[kFieldCharSet]);
        if (charSet != kCharSetAnsi)
            fCharSet = charSet;
    }
    if (present(kFieldSecondFace))
        fSecondFace = fields[kFieldSecondFace];
    if (present(kFieldSecondSize))
        fSecondSize = ReadInteger(fields[kFieldSecondSize]);
}

int32_t NFont::CharacterHeight() const
{
    if (fSize > 0)
        return -MultiplyDivide(fSize, kPointsToPixelsNumerator, kPointsToPixelsDenominator);
    return -MultiplyDivide(-int64_t(fSize), NHostFont::DesktopPixelsPerInch(), NHostFont::kPointsPerInch);
}

NHostDeviceContext::FontHandle NFont::GetHandle()
{
    if (fValid)
        return fHandle ? fHandle->Handle() : NHostFont::StockSystemFont().Handle();
    fHandle.reset();
    NHostLogFont request;
    request.fHeight = CharacterHeight();
    request.fWeight = fBold ? kFontWeightBold : kFontWeightNormal;
    request.fItalic = fItalic;
    request.fUnderline = fUnderline;
    request.fCharSet = static_cast<uint8_t>(uint32_t(fCharSet) & kCharSetMask);
    request.fQuality = kFontQualityNonAntialiased;
    request.fPitchAndFamily = kFontFamilySwiss;
    request.fFaceName = fFace;
    fHandle = NHostFont::Create(request);
    if (!fHandle) {
        request.fFaceName = kFallbackFace;
        request.fPitchAndFamily = kFontFamilyDontCare;
        fHandle = NHostFont::Create(request);
    }
    if (!fHandle) {
        request.fFaceName = fFace;
        fHandle = NHostFont::Create(request);
    }
    fValid = true;
    return fHandle ? fHandle->Handle() : NHostFont::StockSystemFont().Handle();
}

void NFont::Invalidate()
{
    fValid = false;
}

void NFont::SetFace(const std::string& face)
{
    if (face != fFace) {
        fFace = face;
        Invalidate();
    }
}

void NFont::SetSize(int32_t size)
{
    if (size != fSize) {
        fSize = size;
        Invalidate();
    }
}

void NFont::SetBold(bool bold)
{
    if (bold != fBold) {
        fBold = bold;
        Invalidate();
    }
}

void NFont::SetItalic(bool italic)
{
    if (italic != fItalic) {
        fItalic = italic;
        Invalidate();
    }
}

void NFont::SetUnderline(bool underline)
{
    if (underline != fUnderline) {
        fUnderline = underline;
        Invalidate();
    }
}

void NFont::SetCharSet(int32_t charSet)
{
    if (charSet != fCharSet) {
        fCharSet = charSet;
        Invalidate();
    }
}

void NFont::SetSecondFace(const std::string& face)
{
    if (face != fSecondFace) {
        fSecondFace = face;
        Invalidate();
    }
}

void NFont::SetSecondSize(int32_t size)
{
    if (size != fSecondSize) {
        fSecondSize = size;
        Invalidate();
    }
}

void NFont::Scale(int32_t factor)
{
    SetSize(Saturate(int64_t(fSize) * factor));
    SetSecondSize(Saturate(int64_t(fSecondSize) * factor));
}

bool NFont::operator==(const NFont& other) const
{
    return fFace == other.fFace && fSize == other.fSize && fBold == other.fBold && fItalic == other.fItalic
        && fUnderline == other.fUnderline && fCharSet == other.fCharSet && fSecondFace == other.fSecondFace
        && fSecondSize == other.fSecondSize;
}
