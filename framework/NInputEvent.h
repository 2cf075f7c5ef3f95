// The input event record routed through the event targets, and its loan to a port event.
#pragma once

#include "framework/NKeyTable.h"
#include "framework/NReferable.h"
#include "geometry/NRect.h"

#include <cstdint>

// Input event types.
enum : int32_t {
    kInputMouseMove = 0,
    kInputButtonDown = 1,   // also the wheel
    kInputButtonUp = 2,
    kInputKeyDown = 3,
    kInputChar = 4,
    kInputKeyUp = 5,
    kInputPaint = 6,
    kInputActivate = 7,
    kInputDeactivate = 8,
    kInputAppActivate = 9,
    kInputAppDeactivate = 10,
    kInputCut = 11,
    kInputCopy = 12,
    kInputPaste = 13,
};

// Input event flags.
enum : uint8_t {
    kInputShift = 0x01,
    kInputControl = 0x02,
    kInputAlt = 0x04,           // keyboard events
    kInputRightButton = 0x04,   // mouse events
    kInputShortcut = 0x08,      // asks buttons to answer their shortcuts even when turned off
    kInputDoubleClick = 0x10,
    kInputAutoRepeat = 0x20,
    kInputInitFlags = 0x3F,     // the flags that initialising an event clears
};

/// One wheel notch, in the units of the event's extra word.
constexpr int32_t kWheelNotch = 120;

struct NInputEvent {
    int32_t fType = kInputMouseMove;
    uint32_t fTime = 0;        // application-clock milliseconds
    NPoint fWhere;             // client (universe) coordinates
    int32_t fExtra = 0;        // the signed wheel delta for wheel events
    int32_t fKey = kKeyNone;
    uint8_t fChar = 0;
    uint8_t fFlags = 0;

    /// Starts the event afresh: the extra word, key and character cleared, and flags 0x01
    /// to 0x20 cleared while the two top bits stay as they were.
    void Init(int32_t type, uint32_t time, NPoint where);

    bool IsEditCommand() const { return fType >= kInputCut && fType <= kInputPaste; }
};

/// Lends an input event to the listeners of one send (the pointer-moved event carries one
/// as its argument); the event must outlive the loan.
class NInputEventRef : public NReferable {
public:
    explicit NInputEventRef(const NInputEvent& event) : fEvent(event) {}
    ~NInputEventRef() override;

    const NInputEvent& Event() const { return fEvent; }

private:
    const NInputEvent& fEvent;
};
