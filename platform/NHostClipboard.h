// The clipboard as the framework reaches it: one interface for every back end, and the one in use.
#pragma once

#include <cstdint>
#include <string>

// Clipboard formats, numbered as the host numbers them.
enum : uint32_t {
    kClipboardText = 1,          // Windows-1252 text with a terminating zero
    kClipboardBitmap = 2,
    kClipboardDib = 8,
    kClipboardUnicodeText = 13,
};

/// A clipboard: opened by one user at a time, its contents read and replaced while open.
/// The process's own store (NHostLocalClipboard) serves until the window layer installs the
/// desktop's clipboard.
class NHostClipboard {
public:
    /// The clipboard in use: the installed one, else the process's own store.
    static NHostClipboard& Current();
    /// Makes a clipboard the one in use (null goes back to the process's store). A clipboard
    /// that is destroyed while installed is uninstalled by its destructor.
    static void Install(NHostClipboard* clipboard);

    virtual ~NHostClipboard();

    // Access
    /// False when the clipboard is open already (by this process or another).
    virtual bool Open() = 0;
    virtual void Close() = 0;

    // Contents, only while open
    /// The format after the given one in the clipboard's own order (0 asks for the first);
    /// 0 after the last.
    virtual uint32_t EnumFormats(uint32_t format) = 0;
    virtual bool Empty() = 0;
    /// The whole data block of a format, which may be longer than its text.
    virtual bool GetData(uint32_t format, std::string& data) = 0;
    virtual bool SetData(uint32_t format, std::string data) = 0;

private:
    static NHostClipboard* sInstalled;
};
