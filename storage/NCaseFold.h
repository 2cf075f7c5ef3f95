// Case folding of single-byte Windows-1252 text, as archive and segment names are compared.
#pragma once

#include <string>
#include <string_view>

/// Lower case of one byte: ASCII letters, the accented capitals 0xC0-0xDE (but 0xD7, the
/// multiplication sign) and the code page's own pairs Š Œ Ž Ÿ.
inline char LowerCase1252(char c)
{
    auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'A' && byte <= 'Z') || (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7))
        return static_cast<char>(byte + 0x20);
    switch (byte) {
    case 0x8A: return static_cast<char>(0x9A);   // Š
    case 0x8C: return static_cast<char>(0x9C);   // Œ
    case 0x8E: return static_cast<char>(0x9E);   // Ž
    case 0x9F: return static_cast<char>(0xFF);   // Ÿ
    default: return c;
    }
}

inline std::string LowerCase1252(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = LowerCase1252(c);
    return lower;
}

inline bool EqualNoCase1252(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (LowerCase1252(a[i]) != LowerCase1252(b[i]))
            return false;
    }
    return true;
}
