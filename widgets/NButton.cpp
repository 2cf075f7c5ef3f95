// The push button.
#include "widgets/NButton.h"

#include "framework/NAppClock.h"
#include "framework/NInputState.h"
#include "widgets/NWidgetCodes.h"

static uint32_t ClockNow()
{
    return NAppClock::The().Now();
}

static bool Reached(uint32_t now, uint32_t deadline)
{
    return int32_t(now - deadline) >= 0;
}

NButton::NButton() = default;

NButton::~NButton()
{
    if (fFlashing) {
        if (NInputState* input = NInputState::IfAlive())
            input->RemoveInputRoot(*this);
    }
}

int NButton::FrameForInput(int32_t code)
{
    switch (code) {
    case kButtonInputDisable:
        return kButtonDisabled;
    case kButtonInputClick:
        FireClick();
        return kButtonHover;
    case kButtonInputHover:
        return kButtonHover;
    case kButtonInputKeyboard:
        if (!fFlashing) {
            // As input root the button keeps the pointer from changing its frame meanwhile.
            NInputState::The().PushInputRoot(*this);
            RunTimer(TickPeriod(), 0);
            fFlashing = true;
            fFlashDeadline = ClockNow() + kFlashMilliseconds;
        }
        return kButtonPressed;
    case kButtonInputPress:
    case kButtonInputReenter:
        return kButtonPressed;
    default:
        return kButtonNormal;
    }
}

bool NButton::IsHighlightStart(int oldFrame, int newFrame) const
{
    return IsHighlightFrame(newFrame) && !IsHighlightFrame(oldFrame);
}

bool NButton::IsHighlightEnd(int oldFrame, int newFrame) const
{
    return IsHighlightFrame(oldFrame) && !IsHighlightFrame(newFrame);
}

bool NButton::MouseDown(const NInputEvent& event)
{
    bool took = !IsDisabled();
    Guard self(this);
    NBaseButton::MouseDown(event);
    if (self && took && fInitialDelay != 0) {
        if (fNotification.IsSet())
            fNotification.FireWithValue(kEventRepeatFirst, Reference());
        fNextRepeat = ClockNow() + fInitialDelay;
    }
    if (self && took && (fInitialDelay != 0 || fRepeatInterval != 0))
        RunTimer(TickPeriod(), 0);
    return true;
}

uint32_t NButton::TickPeriod() const
{
    if (fInitialDelay == 0 && fRepeatInterval == 0)
        return kFlashMilliseconds;
    return fRepeatInterval / 3 != 0 ? fRepeatInterval / 3 : 1;
}

void NButton::EndFlash()
{
    fFlashing = false;
    NInputState::The().RemoveInputRoot(*this);
    if (!HoldsPointer())
        StopTimer();
    Guard self(this);
    ApplyInput(kButtonInputLeave);
    if (self)
        FireClick();
}

void NButton::Animate()
{
    uint32_t now = ClockNow();
    if (fFlashing && Reached(now, fFlashDeadline)) {
        Guard self(this);
        EndFlash();
        if (!self)
            return;
    }
    if (fRepeatInterval != 0 && HoldsPointer() && IsInside() && fNextRepeat != 0 && Reached(now, fNextRepeat)) {
        if (fNotification.IsSet())
            fNotification.FireWithValue(kEventRepeatStep, Reference());
        fNextRepeat = now + fRepeatInterval;
    }
    if (!fFlashing && !HoldsPointer())
        StopTimer();
}

void NButton::SetAutoRepeat(uint32_t initialDelay, uint32_t interval)
{
    fInitialDelay = initialDelay;
    fRepeatInterval = interval;
    if (HoldsPointer() || fFlashing)
        RunTimer(TickPeriod(), 0);
}
