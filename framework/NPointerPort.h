// The application's pointer port: mouse moves are sent on it to whoever follows the pointer.
#pragma once

class NPortHandle;

/// The sprite application makes the port and announces it here; windows being dragged and
/// fields being selected with the mouse register on it while the button is held.
class NPointerPort {
public:
    /// The port, or null while no application has made one.
    static const NPortHandle* Get();
    static void Set(const NPortHandle* port);
};
