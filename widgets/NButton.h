// The push button: four frames, a keyboard flash and optional auto-repeat.
#pragma once

#include "widgets/NBaseButton.h"

#include <cstdint>

// The frames of a push button, which are its states.
enum : int {
    kButtonNormal = 0,     // at rest with the pointer elsewhere, or pressed and dragged off
    kButtonPressed = 1,    // held with the pointer over it, or flashing after a shortcut
    kButtonDisabled = 2,   // swallows presses, does nothing
    kButtonHover = 3,      // the pointer over it, not pressed
};
/*
    Normal --hover(4)--> Hover --press(1)--> Pressed --drag off(3)--> Normal
       ^                   ^                   ^ |                      |
       |                   +----click(7)-------+ +<----reenter(2)-------+
       +--leave(0), enable(6)         release outside(0): Normal, no click
    shortcut(8): Pressed for 300 ms as input root, then Normal and the click
    disable(5) from anywhere: Disabled; enable: Hover under the pointer, else Normal
*/

/// Flash deadlines and repeat times are on the application clock's live reading.
class NButton : public NBaseButton {
public:
    static constexpr uint32_t kFlashMilliseconds = 300;

    NButton();
    ~NButton() override;

    // Sprite node
    void Animate() override;
    // Button operations
    int FrameForInput(int32_t code) override;
    bool IsHighlightStart(int oldFrame, int newFrame) const override;
    bool IsHighlightEnd(int oldFrame, int newFrame) const override;
    bool MouseDown(const NInputEvent& event) override;

    /// Both 0: no auto-repeat. Otherwise the timer runs at a third of the interval.
    void SetAutoRepeat(uint32_t initialDelay, uint32_t interval);
    bool IsFlashing() const { return fFlashing; }

protected:
    const char* UiClassName() const override { return "NButton"; }

private:
    static bool IsHighlightFrame(int frame) { return frame == 1 || frame == 3 || frame == 5; }
    void EndFlash();
    /// The node's timer runs only while the button flashes or is held with auto-repeat, so
    /// that a button at rest never wakes the program.
    uint32_t TickPeriod() const;

    bool fFlashing = false;
    uint32_t fFlashDeadline = 0;
    uint32_t fNextRepeat = 0;
    uint32_t fInitialDelay = 0;
    uint32_t fRepeatInterval = 0;
};
