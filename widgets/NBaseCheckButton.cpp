// Buttons with a value.
#include "widgets/NBaseCheckButton.h"

#include "widgets/NWidgetCodes.h"

NBaseCheckButton::NBaseCheckButton() = default;

NBaseCheckButton::~NBaseCheckButton() = default;

bool NBaseCheckButton::IsHighlightFrame(int frame) const
{
    // The frames that differ from the resting look of the current value.
    if (IsChecked())
        return frame == 0 || frame == 5 || frame == 7;
    return frame == 1 || frame == 3 || frame == 6;
}

bool NBaseCheckButton::IsHighlightStart(int oldFrame, int newFrame) const
{
    return IsHighlightFrame(newFrame) && !IsHighlightFrame(oldFrame);
}

bool NBaseCheckButton::IsHighlightEnd(int oldFrame, int newFrame) const
{
    return IsHighlightFrame(oldFrame) && !IsHighlightFrame(newFrame);
}

void NBaseCheckButton::SetValue(int32_t value)
{
    fValue = value;
    ApplyInput(IsInside() ? kButtonInputHover : kButtonInputLeave);
}
