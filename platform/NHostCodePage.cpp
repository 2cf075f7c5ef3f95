// Windows-1252 to Unicode by table, and the code page's upper-case folding.
#include "platform/NHostCodePage.h"

static constexpr unsigned kFirstHighByte = 0x80;
static constexpr unsigned kFirstLatin1Byte = 0xA0;   // from here the code page equals Latin-1
static constexpr unsigned kTwoByteLimit = 0x800;
static constexpr unsigned kUtf8Lead2 = 0xC0;
static constexpr unsigned kUtf8Lead3 = 0xE0;
static constexpr unsigned kUtf8Tail = 0x80;
static constexpr unsigned kUtf8TailBits = 6;
static constexpr unsigned kUtf8TailMask = 0x3F;
static constexpr unsigned kLowerAccentedFirst = 0xE0;   // "à"
static constexpr unsigned kLowerAccentedLast = 0xFE;    // "þ"
static constexpr unsigned kDivisionSign = 0xF7;         // no case
static constexpr unsigned kLatin1CaseDistance = 0x20;

// The characters of the bytes 0x80 to 0x9F; the undefined ones map to their own number.
static constexpr char16_t kHighControls[] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Lower-case letters of 0x80-0x9F and 0xFF with their upper-case byte.
static constexpr struct {
    unsigned char fLower;
    unsigned char fUpper;
} kHighCasePairs[] = {
    {0x9A, 0x8A},   // š Š
    {0x9C, 0x8C},   // œ Œ
    {0x9E, 0x8E},   // ž Ž
    {0xFF, 0x9F},   // ÿ Ÿ
};

static char16_t ToUnicode(unsigned char byte)
{
    if (byte >= kFirstHighByte && byte < kFirstLatin1Byte)
        return kHighControls[byte - kFirstHighByte];
    return byte;
}

std::string NHostCodePage::AnsiToUtf8(std::string_view text)
{
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        unsigned code = ToUnicode(static_cast<unsigned char>(c));
        if (code < kFirstHighByte) {
            result += static_cast<char>(code);
        } else if (code < kTwoByteLimit) {
            result += static_cast<char>(kUtf8Lead2 | (code >> kUtf8TailBits));
            result += static_cast<char>(kUtf8Tail | (code & kUtf8TailMask));
        } else {
            result += static_cast<char>(kUtf8Lead3 | (code >> (2 * kUtf8TailBits)));
            result += static_cast<char>(kUtf8Tail | ((code >> kUtf8TailBits) & kUtf8TailMask));
            result += static_cast<char>(kUtf8Tail | (code & kUtf8TailMask));
        }
    }
    return result;
}

std::u16string NHostCodePage::AnsiToUtf16(std::string_view text)
{
    std::u16string result;
    result.reserve(text.size());
    for (char c : text)
        result += ToUnicode(static_cast<unsigned char>(c));
    return result;
}

char NHostCodePage::FoldUpper(char c)
{
    unsigned byte = static_cast<unsigned char>(c);
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if (byte >= kLowerAccentedFirst && byte <= kLowerAccentedLast && byte != kDivisionSign)
        return static_cast<char>(byte - kLatin1CaseDistance);
    for (const auto& pair : kHighCasePairs) {
        if (byte == pair.fLower)
            return static_cast<char>(pair.fUpper);
    }
    return c;
}

std::string NHostCodePage::FoldUpper(std::string_view text)
{
    std::string result(text);
    for (char& c : result)
        c = FoldUpper(c);
    return result;
}

// Decodes one UTF-8 sequence at text[at]; 0 bytes when it is not a valid, shortest one.
static size_t DecodeUtf8(std::string_view text, size_t at, char32_t& code)
{
    auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned lead = byte(at);
    size_t length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    if (length == 0 || at + length > text.size())
        return 0;
    static constexpr char32_t kLeadMask[] = { 0, 0x7F, 0x1F, 0x0F, 0x07 };
    static constexpr char32_t kShortest[] = { 0, 0, 0x80, 0x800, 0x10000 };
    code = lead & kLeadMask[length];
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != kUtf8Tail)
            return 0;
        code = (code << kUtf8TailBits) | (byte(at + i) & kUtf8TailMask);
    }
    if (code < kShortest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

bool NHostCodePage::IsUtf8(std::string_view text)
{
    char32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        size_t length = DecodeUtf8(text, at, code);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

// The code page's byte for a character; false when it has none.
static bool FromUnicode(char32_t code, unsigned char& byte)
{
    if (code < kFirstHighByte || (code >= kFirstLatin1Byte && code <= 0xFF)) {
        byte = static_cast<unsigned char>(code);
        return true;
    }
    for (unsigned i = 0; i < kFirstLatin1Byte - kFirstHighByte; ++i) {
        if (kHighControls[i] == code) {
            byte = static_cast<unsigned char>(kFirstHighByte + i);
            return true;
        }
    }
    return false;
}

bool NHostCodePage::Utf8ToAnsi(std::string_view text, std::string& ansi, std::string* bad)
{
    if (!IsUtf8(text)) {
        ansi.assign(text);
        return true;
    }
    std::string result;
    result.reserve(text.size());
    char32_t code = 0;
    for (size_t at = 0; at < text.size();) {
        size_t length = DecodeUtf8(text, at, code);
        unsigned char byte = 0;
        if (!FromUnicode(code, byte)) {
            if (bad)
                bad->assign(text.substr(at, length));
            return false;
        }
        result += static_cast<char>(byte);
        at += length;
    }
    ansi = std::move(result);
    return true;
}
