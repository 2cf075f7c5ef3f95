// The desktop clipboard over SDL2.
#include "platform/NHostSdlClipboard.h"

#include "platform/NHostCodePage.h"
#include "platform/NHostDisplay.h"

#include <SDL2/SDL.h>

NHostSdlClipboard::NHostSdlClipboard() = default;
NHostSdlClipboard::~NHostSdlClipboard() = default;

bool NHostSdlClipboard::Open()
{
    if (fOpen)
        return false;
    fOpen = true;
    return true;
}

void NHostSdlClipboard::Close()
{
    // Emptied and left without text: the desktop's text goes too.
    if (fOpen && fEmptied)
        SDL_SetClipboardText("");
    fOpen = false;
    fEmptied = false;
}

bool NHostSdlClipboard::DesktopHasText() const
{
    return !fEmptied && SDL_HasClipboardText() == SDL_TRUE;
}

uint32_t NHostSdlClipboard::EnumFormats(uint32_t format)
{
    if (!fOpen)
        return 0;
    std::vector<uint32_t> formats;
    if (DesktopHasText())
        formats.push_back(kClipboardText);
    for (const auto& entry : fOther)
        formats.push_back(entry.first);
    bool next = format == 0;
    for (uint32_t each : formats) {
        if (next)
            return each;
        next = each == format;
    }
    return 0;
}

bool NHostSdlClipboard::Empty()
{
    if (!fOpen)
        return false;
    fOther.clear();
    fEmptied = true;
    return true;
}

bool NHostSdlClipboard::GetData(uint32_t format, std::string& data)
{
    data.clear();
    if (!fOpen)
        return false;
    if (format == kClipboardText) {
        if (!DesktopHasText())
            return false;
        char* text = SDL_GetClipboardText();
        if (!text)
            return false;
        data = NHostUtf8ToAnsi(text);
        SDL_free(text);
        data.push_back('\0');
        return true;
    }
    for (const auto& entry : fOther) {
        if (entry.first == format) {
            data = entry.second;
            return true;
        }
    }
    return false;
}

bool NHostSdlClipboard::SetData(uint32_t format, std::string data)
{
    if (!fOpen || format == 0)
        return false;
    if (format == kClipboardText) {
        // The block may be longer than its text: the text ends at the first zero.
        std::string_view text(data.c_str());
        if (SDL_SetClipboardText(NHostCodePage::AnsiToUtf8(text).c_str()) != 0)
            return false;
        fEmptied = false;
        return true;
    }
    for (auto& entry : fOther) {
        if (entry.first == format) {
            entry.second = std::move(data);
            return true;
        }
    }
    fOther.emplace_back(format, std::move(data));
    return true;
}
