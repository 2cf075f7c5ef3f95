// The window service's shared part: screen overrides, scaling and the text decoding of input.
#include "platform/NHostDisplay.h"

#include <poll.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

// Windows-1252 bytes 0x80-0x9F and the characters they stand for; 0 marks the five holes.
constexpr char16_t kHighHalf[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

// The code-page byte of a character, or -1 when the code page has none.
int AnsiOf(char32_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return int(c);
    for (int i = 0; i < 32; ++i) {
        if (kHighHalf[i] != 0 && kHighHalf[i] == c)
            return 0x80 + i;
    }
    return -1;
}

bool ParseSize(const char* text, int32_t& width, int32_t& height)
{
    if (!text)
        return false;
    char* end = nullptr;
    long w = std::strtol(text, &end, 10);
    if (end == text || (*end != 'x' && *end != 'X'))
        return false;
    const char* rest = end + 1;
    long h = std::strtol(rest, &end, 10);
    if (end == rest || *end != 0 || w <= 0 || h <= 0 || w > 32767 || h > 32767)
        return false;
    width = int32_t(w);
    height = int32_t(h);
    return true;
}

int32_t EnvInt(const char* name, int32_t fallback)
{
    const char* text = std::getenv(name);
    if (!text || !*text)
        return fallback;
    char* end = nullptr;
    long value = std::strtol(text, &end, 10);
    return *end == 0 ? int32_t(value) : fallback;
}

} // namespace

NHostDisplay::~NHostDisplay() = default;

int32_t NHostDisplay::ScreenWidth() const
{
    int32_t width = NativeWidth();
    int32_t height = 0;
    ParseSize(std::getenv("LUMORA_SCREEN_SIZE"), width, height);
    return width / fScale;
}

int32_t NHostDisplay::ScreenHeight() const
{
    int32_t width = 0;
    int32_t height = NativeHeight();
    ParseSize(std::getenv("LUMORA_SCREEN_SIZE"), width, height);
    return height / fScale;
}

int32_t NHostDisplay::ScreenDepth() const
{
    int32_t depth = EnvInt("LUMORA_DISPLAY_DEPTH", 0);
    switch (depth) {
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        return depth;
    default:
        return NativeDepth();
    }
}

int32_t NHostDisplay::ScaleFor(int32_t contentWidth, int32_t contentHeight) const
{
    if (contentWidth <= 0 || contentHeight <= 0)
        return 1;
    int32_t width = 0;
    int32_t height = 0;
    ScreenPixels(width, height);
    int32_t fits = std::clamp(std::min(width / contentWidth, height / contentHeight), 1, kMaxScale);
    int32_t wanted = EnvInt("LUMORA_SCALE", 0);
    if (wanted >= 1)
        return std::min(wanted, fits);
    return fits >= 2 ? fits : 1;
}

void NHostDisplay::ScreenPixels(int32_t& width, int32_t& height) const
{
    width = NativeWidth();
    height = NativeHeight();
    ParseSize(std::getenv("LUMORA_SCREEN_SIZE"), width, height);
}

int32_t NHostDisplay::CoverScaleFor(int32_t contentWidth, int32_t contentHeight) const
{
    if (contentWidth <= 0 || contentHeight <= 0)
        return fScale;
    int32_t width = 0;
    int32_t height = 0;
    ScreenPixels(width, height);
    int32_t fits = std::clamp(std::min(width / contentWidth, height / contentHeight), 1, kMaxScale);
    return std::max(fits, fScale);
}

void NHostDisplay::SetScale(int32_t scale)
{
    fScale = std::clamp(scale, 1, kMaxScale);
}

bool NHostDisplay::WatchedReadable(int32_t timeout) const
{
    if (fWatched < 0)
        return false;
    pollfd entry {};
    entry.fd = fWatched;
    entry.events = POLLIN;
    return poll(&entry, 1, timeout) > 0 && (entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

std::string NHostUtf8ToAnsi(std::string_view utf8)
{
    std::string out;
    size_t i = 0;
    while (i < utf8.size()) {
        auto lead = uint8_t(utf8[i]);
        int length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
        if (length == 0) {
            ++i;   // a stray continuation byte or an invalid lead
            continue;
        }
        if (i + size_t(length) > utf8.size())
            break;
        char32_t c = length == 1 ? lead : lead & (0x7F >> length);
        bool valid = true;
        for (int k = 1; k < length; ++k) {
            auto next = uint8_t(utf8[i + size_t(k)]);
            if ((next & 0xC0) != 0x80) {
                valid = false;
                length = k;
                break;
            }
            c = c << 6 | (next & 0x3F);
        }
        i += size_t(length);
        // Overlong forms are refused, so that no ASCII control can be smuggled in.
        static constexpr char32_t kMinimum[5] = { 0, 0, 0x80, 0x800, 0x10000 };
        if (!valid || c < kMinimum[length] || c > 0x10FFFF)
            continue;
        int ansi = AnsiOf(c);
        if (ansi >= 0)
            out.push_back(char(ansi));
    }
    return out;
}

bool NHostBackdropNeedsCovering(const char* setting, std::string_view driver, const NHostRect* shown,
                                int32_t screenWidth, int32_t screenHeight)
{
    std::string_view chosen = setting ? setting : "";
    if (chosen == "window")
        return false;
    if (chosen == "cover")
        return true;
    if (driver == "wayland")
        return true;
    if (!shown)
        return false;
    return shown->fLeft != 0 || shown->fTop != 0 || shown->fRight != screenWidth || shown->fBottom != screenHeight;
}
