// Radio buttons.
#include "widgets/NRadioButton.h"

#include "widgets/NWidgetCodes.h"

NRadioButton::NRadioButton() = default;

NRadioButton::~NRadioButton() = default;

int NRadioButton::FrameForInput(int32_t code)
{
    int frames = FrameCount();
    bool checked = IsChecked();
    switch (code) {
    case kButtonInputPress:
    case kButtonInputReenter:
        if (frames > 6)
            return checked ? kRadioCheckedPressed : kRadioUncheckedPressed;
        return kRadioChecked;
    case kButtonInputHover:
        if (frames > 4)
            return checked ? kRadioCheckedHover : kRadioHover;
        if (frames > 2)
            return kRadioHover;
        break;
    case kButtonInputDisable:
        return frames > 3 && checked ? kRadioCheckedDisabled : kRadioDisabled;
    case kButtonInputClick:
    case kButtonInputKeyboard: {
        fValue = 1;
        Guard self(this);
        FireClick();
        if (self && fGroupNotification.IsSet())
            fGroupNotification.Fire();
        return kRadioChecked;
    }
    default:
        break;
    }
    return IsChecked() ? kRadioChecked : kRadioUnchecked;
}
