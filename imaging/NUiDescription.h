// What a node tells a test tool about itself: the record behind the UI dump.
#pragma once

#include <cstdint>
#include <string>

/// One node as a GUI test sees it. Rectangles are not part of it: the dump takes them from
/// the node's drawn rectangle, relative to the content area.
struct NUiDescription {
    std::string kind;        // "button", "radio", "check", "editor", "slider", "thermometer", "text", "sprite"
    std::string name;        // the sprite file the node is drawn from, else its class name
    std::string text;        // caption or contents in UTF-8; a slider's or thermometer's value
    int32_t event = 0;       // the event number the node posts when clicked, 0 when none
    bool enabled = true;
    bool selected = false;
    bool focused = false;
};
