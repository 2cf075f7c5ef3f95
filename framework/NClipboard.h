// The clipboard accessor: nested opening of the clipboard in use, and text exchange through it.
#pragma once

#include "platform/NHostClipboard.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

/// Opens the clipboard when its open count goes from 0 to 1 and closes it when the count
/// returns to 0, so operations nest inside a caller's Open and Close and the clipboard, a
/// resource of the whole desktop, stays open only for one operation or one group of them.
/// A clipboard still open at process exit is closed then. No call throws.
class NClipboard {
public:
    static NClipboard& The();
    ~NClipboard();
    NClipboard(const NClipboard&) = delete;
    NClipboard& operator=(const NClipboard&) = delete;

    /// False (the count unchanged) when the clipboard cannot be opened.
    bool Open();
    /// Does nothing when the accessor is not open.
    void Close();
    int OpenCount() const { return fOpenCount; }

    bool HasFormat(uint32_t format);
    /// A copy of the whole data block of a format, with its size; none when the format is
    /// absent or anything fails.
    std::unique_ptr<uint8_t[]> GetData(uint32_t format, size_t& size);
    /// The text format's data up to its first zero byte; empty when there is no text.
    std::string GetText();
    /// Replaces the clipboard's contents with the text (and its terminating zero).
    bool SetText(std::string_view text);

private:
    NClipboard();

    int fOpenCount = 0;
    NHostClipboard* fOpened = nullptr;   // the clipboard opened at count 1
};
