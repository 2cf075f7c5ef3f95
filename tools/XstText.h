// The plain-text form of string tables that xst compiles and dumps.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

/// One entry a line: the decimal id, a tab, the text. "\n", "\t", "\r" and "\\" are
/// escapes; lines starting with "#" and empty lines are skipped. Texts are Windows-1252:
/// a line that is valid UTF-8 holding non-ASCII characters is converted, any other line
/// is taken as Windows-1252 bytes.
class XstText {
public:
    using Entry = std::pair<int32_t, std::string>;

    /// False with a message naming the line for the first line that cannot be read.
    static bool Parse(const std::string& source, std::vector<Entry>& entries, std::string& error);
    /// The source text (UTF-8) that Parse reads back into the same entries.
    static std::string Format(const std::vector<Entry>& entries);
    /// Windows-1252 of a UTF-8 text; false when it holds a character the code page lacks
    /// (its code point in `missing`) or is no valid UTF-8 (`missing` then -1).
    static bool Utf8ToAnsi(const std::string& utf8, std::string& ansi, int32_t& missing);
};
