// Codes of the port events the framework itself sends and posts; programs number theirs elsewhere.
#pragma once

#include <cstdint>

enum : int32_t {
    kFrameworkEventFirst = 30000,    // codes from here on belong to the framework

    kEventQuitRequest = 30000,       // application port: quit when CanQuit agrees
    kEventQuit = 30001,              // application port: quit without asking
    kEventShowPage = 30003,          // application port, posted; argument: page id (ignored when current)
    kEventPointerMoved = 30004,      // pointer port, sent; argument: reference of an NInputEventRef
    kEventBackdropClicked = 30007,   // application port, posted
    kEventBackdropPaint = 30008,     // application port, sent while the backdrop window paints
    kEventStartupFinished = 30011,   // application port, posted before the first idle pass
    kEventShowPageForced = 30012,    // application port, posted; argument: page id (even when current)
    kEventTaskSwitched = 30016,      // application port, sent when the user finished a task switch
};
