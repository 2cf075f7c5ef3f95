// Conversion of the programs' texts (Windows-1252 bytes) to UTF-8 and UTF-16 for the desktop.
#pragma once

#include <string>
#include <string_view>

class NHostCodePage {
public:
    /// The UTF-8 form of a Windows-1252 text. The five bytes the code page leaves undefined
    /// become the C1 controls of the same number, as the host's own conversion does.
    static std::string AnsiToUtf8(std::string_view text);
    /// The UTF-16 form of a Windows-1252 text (every character lies in the basic plane).
    static std::u16string AnsiToUtf16(std::string_view text);
    /// The Windows-1252 form of a UTF-8 text. False when a character has no place in the
    /// code page; `bad` then receives that character (in UTF-8). Text that is not valid
    /// UTF-8 (a legacy name in some other single-byte code) is taken byte for byte.
    static bool Utf8ToAnsi(std::string_view text, std::string& ansi, std::string* bad = nullptr);
    /// Whether the text is valid UTF-8.
    static bool IsUtf8(std::string_view text);
    /// The upper-case form used to compare names without regard to case: ASCII letters and
    /// the accented letters of the code page.
    static char FoldUpper(char c);
    static std::string FoldUpper(std::string_view text);
};
