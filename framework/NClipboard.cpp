// The clipboard accessor over the platform's clipboard in use.
#include "framework/NClipboard.h"

#include <cstring>
#include <new>

NClipboard& NClipboard::The()
{
    static NClipboard sClipboard;
    return sClipboard;
}

// The process's own store is made first, so it outlives the accessor that may close it.
NClipboard::NClipboard()
{
    NHostClipboard::Current();
}

NClipboard::~NClipboard()
{
    // A desktop clipboard that went away meanwhile is no longer the current one.
    if (fOpenCount > 0 && fOpened == &NHostClipboard::Current())
        fOpened->Close();
}

bool NClipboard::Open()
{
    if (fOpenCount == 0) {
        NHostClipboard& clipboard = NHostClipboard::Current();
        if (!clipboard.Open())
            return false;
        fOpened = &clipboard;
    }
    ++fOpenCount;
    return true;
}

void NClipboard::Close()
{
    if (fOpenCount == 0)
        return;
    if (--fOpenCount == 0) {
        fOpened->Close();
        fOpened = nullptr;
    }
}

bool NClipboard::HasFormat(uint32_t format)
{
    if (format == 0 || !Open())
        return false;
    bool found = false;
    for (uint32_t next = fOpened->EnumFormats(0); next != 0 && !found; next = fOpened->EnumFormats(next))
        found = next == format;
    Close();
    return found;
}

std::unique_ptr<uint8_t[]> NClipboard::GetData(uint32_t format, size_t& size)
{
    size = 0;
    if (!Open())
        return nullptr;
    std::unique_ptr<uint8_t[]> copy;
    try {
        std::string block;
        if (fOpened->GetData(format, block)) {
            copy.reset(new uint8_t[block.size() > 0 ? block.size() : 1]);
            std::memcpy(copy.get(), block.data(), block.size());
            size = block.size();
        }
    } catch (const std::bad_alloc&) {
        copy.reset();
        size = 0;
    }
    Close();
    return copy;
}

std::string NClipboard::GetText()
{
    size_t size = 0;
    std::unique_ptr<uint8_t[]> data = GetData(kClipboardText, size);
    if (data == nullptr)
        return std::string();
    const char* text = reinterpret_cast<const char*>(data.get());
    return std::string(text, strnlen(text, size));
}

bool NClipboard::SetText(std::string_view text)
{
    if (!Open())
        return false;
    bool stored = false;
    try {
        std::string block(text);
        block += '\0';
        stored = fOpened->Empty() && fOpened->SetData(kClipboardText, std::move(block));
    } catch (const std::bad_alloc&) {
        stored = false;
    }
    Close();
    return stored;
}
