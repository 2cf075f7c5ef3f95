// The process's own clipboard store, used when no desktop clipboard is installed.
#pragma once

#include "platform/NHostClipboard.h"

#include <utility>
#include <vector>

/// Keeps the formats in the order they were first set, and enforces the host's rules: one
/// opener at a time, contents touched only while open.
class NHostLocalClipboard : public NHostClipboard {
public:
    static NHostLocalClipboard& The();
    ~NHostLocalClipboard() override;

    // Access
    bool Open() override;
    void Close() override;

    // Contents
    uint32_t EnumFormats(uint32_t format) override;
    bool Empty() override;
    bool GetData(uint32_t format, std::string& data) override;
    bool SetData(uint32_t format, std::string data) override;

    bool IsOpen() const { return fOpen; }

private:
    NHostLocalClipboard() = default;

    std::vector<std::pair<uint32_t, std::string>> fFormats;
    bool fOpen = false;
};
