// The radio button: up to eight frames, chosen by how many its sprite set has.
#pragma once

#include "widgets/NBaseCheckButton.h"

// The frames of a radio button, which are its states.
enum : int {
    kRadioUnchecked = 0,          // at rest, not selected
    kRadioChecked = 1,            // at rest, selected
    kRadioDisabled = 2,           // not selected, disabled
    kRadioHover = 3,              // not selected, the pointer over it (sets of 3 frames and more)
    kRadioCheckedDisabled = 4,    // selected, disabled (sets of 4 frames and more)
    kRadioCheckedHover = 5,       // selected, the pointer over it (sets of 5 frames and more)
    kRadioUncheckedPressed = 6,   // not selected, held down (sets of 7 frames and more)
    kRadioCheckedPressed = 7,     // selected, held down (sets of 7 frames and more)
};
/*
    Unchecked --hover--> Hover --press--> UncheckedPressed --click/shortcut--> Checked
        ^                                    |  (the group unchecks the previous one)
        +------------- leave / drag off -----+
    Checked --hover--> CheckedHover --press--> CheckedPressed --click--> Checked (notifies again)
    disable: CheckedDisabled or Disabled. Frames a set lacks fall back: pressed to Checked,
    hover to Hover or the resting frame, CheckedDisabled to Disabled.
*/

class NRadioButton : public NBaseCheckButton {
public:
    NRadioButton();
    ~NRadioButton() override;

    // Button operations
    int FrameForInput(int32_t code) override;

protected:
    const char* UiKind() const override { return "radio"; }
    const char* UiClassName() const override { return "NRadioButton"; }
};
