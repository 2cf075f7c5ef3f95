// The clipboard in use: the installed back end or the process's own store.
#include "platform/NHostClipboard.h"

#include "platform/NHostLocalClipboard.h"

NHostClipboard* NHostClipboard::sInstalled = nullptr;

NHostClipboard& NHostClipboard::Current()
{
    return sInstalled != nullptr ? *sInstalled : NHostLocalClipboard::The();
}

void NHostClipboard::Install(NHostClipboard* clipboard)
{
    sInstalled = clipboard;
}

NHostClipboard::~NHostClipboard()
{
    if (sInstalled == this)
        sInstalled = nullptr;
}
