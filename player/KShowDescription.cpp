// Reading of show descriptions and of their values.
#include "player/KShowDescription.h"

#include "platform/NHostDisplay.h"

#include <cctype>
#include <cstdlib>

static constexpr size_t kShortColourDigits = 6;
static constexpr uint32_t kOpaque = 0xFF000000;

void KShowDescription::Read(const std::string& text)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() : end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        size_t equals = line.find('=');
        if (line.empty() || line[0] == '#' || equals == std::string::npos || equals == 0)
            continue;
        // Show descriptions are written in UTF-8; the programs draw Windows-1252 text.
        fValues[line.substr(0, equals)] = NHostUtf8ToAnsi(line.substr(equals + 1));
    }
}

std::string KShowDescription::Text(const std::string& key, const std::string& otherwise) const
{
    auto found = fValues.find(key);
    return found == fValues.end() ? otherwise : found->second;
}

std::vector<int> KShowDescription::Numbers(const std::string& key) const
{
    std::vector<int> numbers;
    std::string text = Text(key);
    const char* p = text.c_str();
    while (*p) {
        char* end = nullptr;
        long value = std::strtol(p, &end, 10);
        if (end == p) {
            ++p;
            continue;
        }
        numbers.push_back(static_cast<int>(value));
        p = end;
    }
    return numbers;
}

int KShowDescription::Int(const std::string& key, int otherwise) const
{
    std::vector<int> numbers = Numbers(key);
    return numbers.empty() ? otherwise : numbers[0];
}

uint32_t KShowDescription::Colour(const std::string& key, uint32_t otherwise) const
{
    std::string text = Text(key);
    size_t hash = text.find('#');
    if (hash == std::string::npos)
        return otherwise;
    std::string digits;
    for (size_t i = hash + 1; i < text.size() && std::isxdigit(static_cast<unsigned char>(text[i])); ++i)
        digits += text[i];
    if (digits.size() != kShortColourDigits && digits.size() != kShortColourDigits + 2)
        return otherwise;
    uint32_t value = static_cast<uint32_t>(std::strtoul(digits.c_str(), nullptr, 16));
    return digits.size() == kShortColourDigits ? (value | kOpaque) : value;
}

std::vector<std::string> KShowDescription::List(const std::string& key) const
{
    std::vector<std::string> items;
    std::string list = Text(key);
    size_t start = 0;
    while (start < list.size()) {
        size_t comma = list.find(',', start);
        std::string item = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!item.empty())
            items.push_back(item);
        start = comma == std::string::npos ? list.size() : comma + 1;
    }
    return items;
}
