// Reading and writing the plain-text form of string tables.
#include "tools/XstText.h"

#include "platform/NHostCodePage.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

constexpr unsigned char kFirstHighByte = 0x80;
constexpr int kAnsiCharCount = 256;

// The code page's characters by code point, made from the forward conversion.
const std::map<int32_t, char>& AnsiByCodePoint()
{
    static const std::map<int32_t, char> sTable = [] {
        std::map<int32_t, char> table;
        for (int byte = kFirstHighByte; byte < kAnsiCharCount; ++byte) {
            std::string utf8 = NHostCodePage::AnsiToUtf8(std::string(1, static_cast<char>(byte)));
            int32_t point = 0;
            const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
            if (utf8.size() == 2)
                point = ((p[0] & 0x1F) << 6) | (p[1] & 0x3F);
            else if (utf8.size() == 3)
                point = ((p[0] & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F);
            table[point] = static_cast<char>(byte);
        }
        return table;
    }();
    return sTable;
}

bool HasHighBytes(const std::string& text)
{
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= kFirstHighByte)
            return true;
    }
    return false;
}

} // namespace

bool XstText::Utf8ToAnsi(const std::string& utf8, std::string& ansi, int32_t& missing)
{
    ansi.clear();
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    size_t n = utf8.size();
    for (size_t i = 0; i < n;) {
        int32_t point;
        size_t extra;
        if (p[i] < 0x80) {
            point = p[i];
            extra = 0;
        } else if ((p[i] & 0xE0) == 0xC0) {
            point = p[i] & 0x1F;
            extra = 1;
        } else if ((p[i] & 0xF0) == 0xE0) {
            point = p[i] & 0x0F;
            extra = 2;
        } else if ((p[i] & 0xF8) == 0xF0) {
            point = p[i] & 0x07;
            extra = 3;
        } else {
            missing = -1;
            return false;
        }
        if (i + extra >= n && extra > 0) {
            missing = -1;
            return false;
        }
        for (size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) {
                missing = -1;
                return false;
            }
            point = (point << 6) | (p[i + k] & 0x3F);
        }
        i += extra + 1;
        if (point < 0x80) {
            ansi += static_cast<char>(point);
            continue;
        }
        auto found = AnsiByCodePoint().find(point);
        if (found == AnsiByCodePoint().end()) {
            missing = point;
            return false;
        }
        ansi += found->second;
    }
    return true;
}

bool XstText::Parse(const std::string& source, std::vector<Entry>& entries, std::string& error)
{
    entries.clear();
    size_t start = 0;
    for (int lineNumber = 1; start < source.size(); ++lineNumber) {
        size_t end = source.find('\n', start);
        std::string line = source.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? source.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == '#')
            continue;
        std::string where = "line " + std::to_string(lineNumber) + ": ";
        size_t tab = line.find('\t');
        if (tab == std::string::npos || tab == 0) {
            error = where + "expected an id, a tab and the text";
            return false;
        }
        std::string idText = line.substr(0, tab);
        char* idEnd = nullptr;
        errno = 0;
        long long id = std::strtoll(idText.c_str(), &idEnd, 10);
        if (*idEnd != '\0' || errno != 0 || id < INT32_MIN || id > INT32_MAX) {
            error = where + "the id \"" + idText + "\" is no 32-bit decimal number";
            return false;
        }
        std::string raw;
        for (size_t i = tab + 1; i < line.size(); ++i) {
            if (line[i] != '\\') {
                raw += line[i];
                continue;
            }
            char next = i + 1 < line.size() ? line[i + 1] : '\0';
            switch (next) {
            case 'n': raw += '\n'; break;
            case 't': raw += '\t'; break;
            case 'r': raw += '\r'; break;
            case '\\': raw += '\\'; break;
            default:
                error = where + "unknown escape \"\\" + std::string(next == '\0' ? "" : std::string(1, next)) + "\"";
                return false;
            }
            ++i;
        }
        std::string text = raw;
        if (HasHighBytes(raw)) {
            int32_t missing = 0;
            if (!Utf8ToAnsi(raw, text, missing)) {
                if (missing >= 0) {
                    char code[16];
                    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(missing));
                    error = where + "the character " + code + " is not in the Windows-1252 code page";
                    return false;
                }
                text = raw;   // not UTF-8: the line is Windows-1252 already
            }
        }
        if (text.size() > 0x7FFF) {
            error = where + "the text is longer than 32767 bytes";
            return false;
        }
        entries.emplace_back(static_cast<int32_t>(id), text);
    }
    return true;
}

std::string XstText::Format(const std::vector<Entry>& entries)
{
    std::string out;
    for (const Entry& entry : entries) {
        out += std::to_string(entry.first);
        out += '\t';
        std::string escaped;
        for (char c : entry.second) {
            switch (c) {
            case '\n': escaped += "\\n"; break;
            case '\t': escaped += "\\t"; break;
            case '\r': escaped += "\\r"; break;
            case '\\': escaped += "\\\\"; break;
            default: escaped += c; break;
            }
        }
        out += NHostCodePage::AnsiToUtf8(escaped);
        out += '\n';
    }
    return out;
}
