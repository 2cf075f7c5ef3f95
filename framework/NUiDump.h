// The UI dump: what a GUI test reads instead of guessing where things are drawn.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>
#include <string>
#include <string_view>

class NSpObject;

/// With LUMORA_UI_DUMP=FILE set, the program rewrites FILE (a temporary file renamed over
/// it) after every render that changed what is shown:
///   {"app": name, "page": id, "frame": n, "window": {"x","y","w","h"}, "scale": s,
///    "nodes": [{"kind","name","text","event","x","y","w","h","visible","enabled",
///               "selected","focused"}, ...]}
/// "window" is the content area on the screen in screen pixels; node rectangles are in
/// content pixels relative to it. "%n" in FILE stands for the program file's base name.
class NUiDump {
public:
    struct Frame {
        std::string fApp;
        int32_t fPage = -1;
        uint32_t fFrame = 0;
        int32_t fX = 0;
        int32_t fY = 0;
        int32_t fWidth = 0;
        int32_t fHeight = 0;
        int32_t fScale = 1;
    };

    /// Reads the variable; programBase replaces "%n". Empty (and nothing written) when unset.
    void Configure(std::string_view programBase);
    const std::string& Path() const { return fPath; }
    bool Enabled() const { return !fPath.empty(); }

    /// The JSON text of the tree under root.
    static std::string Json(const Frame& frame, const NSpObject& root);
    /// Writes when something of the frame changed since the last write; false on failure.
    bool Update(const Frame& frame, const NSpObject& root);
    /// Replaces the file's contents at once: readers see the old or the new text, whole.
    static bool WriteAtomically(const std::string& path, const std::string& text);

private:
    std::string fPath;
    std::string fLast;   // the text last written
};
