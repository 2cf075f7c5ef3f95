// The desktop clipboard over SDL2, installed while an SDL window service is open.
#pragma once

#include "platform/NHostClipboard.h"

#include <utility>
#include <vector>

/// Text travels to and from the desktop's clipboard, converted between the programs'
/// Windows-1252 and the desktop's UTF-8 (characters outside the code page are dropped).
/// Other formats stay in the process, as the desktop cannot carry them here.
class NHostSdlClipboard : public NHostClipboard {
public:
    NHostSdlClipboard();
    ~NHostSdlClipboard() override;

    // Access
    bool Open() override;
    void Close() override;

    // Contents
    uint32_t EnumFormats(uint32_t format) override;
    bool Empty() override;
    bool GetData(uint32_t format, std::string& data) override;
    bool SetData(uint32_t format, std::string data) override;

private:
    bool DesktopHasText() const;

    std::vector<std::pair<uint32_t, std::string>> fOther;
    bool fOpen = false;
    // Emptied by this process and no text set since: the desktop's text no longer counts.
    bool fEmptied = false;
};
