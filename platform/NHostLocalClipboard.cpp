// The process's own clipboard store.
#include "platform/NHostLocalClipboard.h"

NHostLocalClipboard& NHostLocalClipboard::The()
{
    static NHostLocalClipboard sClipboard;
    return sClipboard;
}

NHostLocalClipboard::~NHostLocalClipboard() = default;

bool NHostLocalClipboard::Open()
{
    if (fOpen)
        return false;
    fOpen = true;
    return true;
}

void NHostLocalClipboard::Close()
{
    fOpen = false;
}

uint32_t NHostLocalClipboard::EnumFormats(uint32_t format)
{
    if (!fOpen)
        return 0;
    bool next = format == 0;
    for (const auto& entry : fFormats) {
        if (next)
            return entry.first;
        next = entry.first == format;
    }
    return 0;
}

bool NHostLocalClipboard::Empty()
{
    if (!fOpen)
        return false;
    fFormats.clear();
    return true;
}

bool NHostLocalClipboard::GetData(uint32_t format, std::string& data)
{
    data.clear();
    if (!fOpen)
        return false;
    for (const auto& entry : fFormats) {
        if (entry.first == format) {
            data = entry.second;
            return true;
        }
    }
    return false;
}

bool NHostLocalClipboard::SetData(uint32_t format, std::string data)
{
    if (!fOpen || format == 0)
        return false;
    for (auto& entry : fFormats) {
        if (entry.first == format) {
            entry.second = std::move(data);
            return true;
        }
    }
    fFormats.emplace_back(format, std::move(data));
    return true;
}
