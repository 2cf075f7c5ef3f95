// Highlight notices: the events that tell the program a widget came under the pointer or left it.
#pragma once

#include <cstdint>

class NReferable;

/// Both go to the application's port with the widget as argument; without an application
/// they go nowhere.
class NHighlight {
public:
    static void Post(int32_t code, NReferable& widget);
    /// At once, for widgets that are being hidden or destroyed.
    static void Send(int32_t code, NReferable& widget);
};
