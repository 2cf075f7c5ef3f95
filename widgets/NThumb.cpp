// The slider's thumb.
#include "widgets/NThumb.h"

#include "framework/NInputState.h"
#include "imaging/NUiDescription.h"
#include "widgets/NHighlight.h"
#include "widgets/NSlider.h"
#include "widgets/NWidgetCodes.h"

#include <algorithm>

NThumb::NThumb(NSlider& slider)
    : fSlider(slider)
{
}

NThumb::~NThumb()
{
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Send(kEventHighlightEnd, *this);
    }
}

bool NThumb::DescribeUi(NUiDescription& description) const
{
    description.kind = "sprite";
    description.name = FileName().empty() ? "NThumb" : FileName();
    description.text = std::to_string(fSlider.Value());
    if (NInputState* input = NInputState::IfAlive())
        description.focused = input->Focus() == this;
    return true;
}

/// The pointer in the slider's own coordinates.
static NPoint InSlider(const NSlider& slider, NPoint pointer)
{
    const NRect& origin = slider.Rect();
    return NPoint(NClampCoordinate(pointer.fX - origin.fX), NClampCoordinate(pointer.fY - origin.fY));
}

bool NThumb::MouseDown(const NInputEvent& event)
{
    fPressPosition = Position();
    fPressPointer = event.fWhere;
    NPoint pointer = InSlider(fSlider, event.fWhere);
    fGrab = NPoint(NClampCoordinate(fPressPosition.fX - pointer.fX), NClampCoordinate(fPressPosition.fY - pointer.fY));
    fDragging = true;
    RunTimer(kDragPeriod, 0);
    return true;
}

void NThumb::Animate()
{
    if (!fDragging || !HoldsPointer()) {
        StopTimer();   // a drag that lost the pointer without a release
        return;
    }
    NPoint last = NInputState::The().LastPointer();
    NPoint wanted;
    if (fDragLimit.Contains(last)) {
        NPoint pointer = InSlider(fSlider, last);
        NPoint start = fSlider.TravelStart();
        int32_t length = std::max(fSlider.TravelLength(), int32_t(0));
        if (fSlider.IsVertical())
            wanted = NPoint(start.fX, NClampCoordinate(std::clamp(pointer.fY + fGrab.fY, int32_t(start.fY), start.fY + length)));
        else
            wanted = NPoint(NClampCoordinate(std::clamp(pointer.fX + fGrab.fX, int32_t(start.fX), start.fX + length)), start.fY);
    } else {
        wanted = fPressPosition;
    }
    if (wanted != Position()) {
        MoveTo(wanted);
        Post(kEventSliderChanged);
    }
}

bool NThumb::MouseUp(const NInputEvent&)
{
    fDragging = false;
    StopTimer();
    if (Position() != fPressPosition)
        Post(kEventSliderThumbDone);
    return true;
}

bool NThumb::MouseEnter(const NInputEvent&)
{
    if (!fHighlighted) {
        fHighlighted = true;
        NHighlight::Post(kEventHighlightStart, *this);
    }
    return true;
}

bool NThumb::MouseLeave(const NInputEvent&)
{
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Post(kEventHighlightEnd, *this);
    }
    return true;
}

void NThumb::Post(int32_t code)
{
    NPortEvent event(code);
    event.fSource = Reference();
    fSlider.Port().Post(event, 0);
}
