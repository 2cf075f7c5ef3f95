// The slider: layout, range, steps, track presses with page repeat, the wheel.
#include "widgets/NSlider.h"

#include "framework/NAppClock.h"
#include "framework/NInputState.h"
#include "widgets/NHighlight.h"
#include "widgets/NWidgetCodes.h"

#include <algorithm>
#include <cmath>
#include <string>

static bool Reached(uint32_t now, uint32_t deadline)
{
    return int32_t(now - deadline) >= 0;
}

NSlider::NSlider()
    : fLess(std::make_unique<NButton>())
    , fMore(std::make_unique<NButton>())
    , fThumb(std::make_unique<NThumb>(*this))
{
    fPort.AddListener(*this);
}

NSlider::~NSlider()
{
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Send(kEventHighlightEnd, *this);
    }
    fPort.RemoveListener(*this);
}

bool NSlider::MakeParts(const NRect& rect, const NFileSpec& less, const NFileSpec& more, uint32_t fill)
{
    SetRect(rect);
    SetFill(fill);
    SetBorder(0);
    bool loaded = fLess->LoadSprites(less, NPoint(0, 0));
    loaded = fMore->LoadSprites(more, NPoint(0, 0)) && loaded;
    fLess->SetAutoRepeat(kArrowRepeatDelay, kArrowRepeatInterval);
    fMore->SetAutoRepeat(kArrowRepeatDelay, kArrowRepeatInterval);
    fLess->SetNotification(NNotification(fPort.Id(), NPortEvent(kEventSliderLineLess), false));
    fMore->SetNotification(NNotification(fPort.Id(), NPortEvent(kEventSliderLineMore), false));
    fArrows = true;
    AddChild(*fLess, 1);
    AddChild(*fMore, 1);
    AddChild(*fThumb, 1);
    return loaded;
}

bool NSlider::SetUp(const NRect& rect, const NFileSpec& less, const NFileSpec& more, const NFileSpec& thumb, uint32_t fill)
{
    bool loaded = MakeParts(rect, less, more, fill);
    loaded = fThumb->LoadSpriteFile(thumb) && loaded;
    Layout(rect);
    return loaded;
}

bool NSlider::SetUp(const NRect& rect, const NFileSpec& less, const NFileSpec& more, const NSprite& thumb, uint32_t fill)
{
    bool loaded = MakeParts(rect, less, more, fill);
    fThumb->CopyFrom(thumb);
    Layout(rect);
    return loaded;
}

void NSlider::Layout(const NRect& rect)
{
    SetRect(rect);
    fVertical = rect.fWidth < rect.fHeight;
    const NRect less = fLess->LocalRect();
    const NRect more = fMore->LocalRect();
    const NRect thumb = fThumb->LocalRect();
    if (fVertical) {
        fLess->MoveTo(NPoint(int16_t((rect.fWidth - less.fWidth) / 2), 0));
        fMore->MoveTo(NPoint(int16_t((rect.fWidth - more.fWidth) / 2), NClampCoordinate(rect.fHeight - more.fHeight)));
        fTravelStart = NPoint(int16_t((rect.fWidth - thumb.fWidth) / 2), less.fHeight);
        fTravelLength = int32_t(rect.fHeight) - less.fHeight - more.fHeight - thumb.fHeight;
    } else {
        fLess->MoveTo(NPoint(0, int16_t((rect.fHeight - less.fHeight) / 2)));
        fMore->MoveTo(NPoint(NClampCoordinate(rect.fWidth - more.fWidth), int16_t((rect.fHeight - more.fHeight) / 2)));
        fTravelStart = NPoint(less.fWidth, int16_t((rect.fHeight - thumb.fHeight) / 2));
        fTravelLength = int32_t(rect.fWidth) - less.fWidth - more.fWidth - thumb.fWidth;
    }
    fThumbFits = fTravelLength >= 0;
    const NRect& absolute = Rect();
    fThumb->SetDragLimit(NRect(NClampCoordinate(absolute.fX - kDragMargin), NClampCoordinate(absolute.fY - kDragMargin),
                               NClampCoordinate(absolute.fWidth + 2 * kDragMargin),
                               NClampCoordinate(absolute.fHeight + 2 * kDragMargin)));
    SetRange(fMinimum, fMaximum);
}

void NSlider::SetRange(int32_t minimum, int32_t maximum)
{
    fMinimum = minimum;
    fMaximum = std::max(maximum, minimum);
    bool open = fMinimum < fMaximum;
    if (fArrows) {
        fLess->Enable(open);
        fMore->Enable(open);
    }
    // A hidden thumb must not take presses either.
    fThumb->SetVisible(open && fThumbFits);
    fThumb->SetEnabled(open && fThumbFits);
    int32_t old = fValue;
    fValue = std::clamp(fValue, fMinimum, fMaximum);
    PlaceThumb();
    if (fValue != old)
        FireOwner(kEventSliderChanged);
}

void NSlider::SetValue(int32_t value)
{
    fValue = std::clamp(value, fMinimum, fMaximum);
    PlaceThumb();
}

void NSlider::SetSteps(int32_t line, int32_t page)
{
    fLineStep = line;
    fPageStep = page;
}

void NSlider::PlaceThumb()
{
    if (fMinimum >= fMaximum)
        return;
    double fraction = double(int64_t(fValue) - fMinimum) / double(int64_t(fMaximum) - fMinimum);
    auto along = int32_t(fraction * fTravelLength);
    if (fVertical)
        fThumb->MoveTo(NPoint(fTravelStart.fX, NClampCoordinate(fTravelStart.fY + along)));
    else
        fThumb->MoveTo(NPoint(NClampCoordinate(fTravelStart.fX + along), fTravelStart.fY));
}

int32_t NSlider::ValueFromThumb() const
{
    if (fTravelLength <= 0)
        return fMinimum;
    NPoint position = fThumb->Position();
    int32_t along = fVertical ? position.fY - fTravelStart.fY : position.fX - fTravelStart.fX;
    double fraction = double(along) / double(fTravelLength);
    double value = std::floor(fraction * (double(fMaximum) - double(fMinimum)) + double(fMinimum) + 0.5);
    return int32_t(std::clamp(value, double(fMinimum), double(fMaximum)));
}

NSlider::Zone NSlider::ZoneAt(NPoint point) const
{
    if (!Rect().Contains(point))
        return Zone::kNone;
    const NRect& thumb = fThumb->Rect();
    int32_t along = fVertical ? point.fY : point.fX;
    int32_t lead = fVertical ? thumb.fY : thumb.fX;
    int32_t trail = fVertical ? thumb.Bottom() : thumb.Right();
    if (along <= lead)
        return Zone::kBefore;
    if (along >= trail)
        return Zone::kAfter;
    return Zone::kNone;
}

void NSlider::Step(int32_t delta, int32_t code)
{
    fValue = int32_t(std::clamp<int64_t>(int64_t(fValue) + delta, fMinimum, fMaximum));
    PlaceThumb();
    FireOwner(code);
}

void NSlider::FireOwner(int32_t code)
{
    if (fOwner.IsSet())
        fOwner.FireWithValue(code, Reference());
}

bool NSlider::MouseDown(const NInputEvent& event)
{
    fPressZone = ZoneAt(event.fWhere);
    if (fPressZone == Zone::kBefore)
        Step(-fPageStep, kEventSliderPageLess);
    else if (fPressZone == Zone::kAfter)
        Step(fPageStep, kEventSliderPageMore);
    fNextPageRepeat = NAppClock::The().Now() + kPageRepeatDelay;
    // The page repeat's timer runs while the track is held down.
    if (fPressZone != Zone::kNone)
        RunTimer(kTimerPeriod, 0);
    return true;
}

void NSlider::Animate()
{
    if (fPressZone == Zone::kNone || !HoldsPointer()) {
        StopTimer();
        return;
    }
    if (!IsInside())
        return;
    uint32_t now = NAppClock::The().Now();
    if (!Reached(now, fNextPageRepeat))
        return;
    if (ZoneAt(NInputState::The().LastPointer()) == fPressZone) {
        if (fPressZone == Zone::kBefore)
            Step(-fPageStep, kEventSliderPageLess);
        else
            Step(fPageStep, kEventSliderPageMore);
    }
    fNextPageRepeat = now + kPageRepeatInterval;
}

bool NSlider::Wheel(const NInputEvent& event)
{
    int32_t notches = event.fExtra / kWheelNotch;
    if (notches < 0)
        Step(fLineStep, kEventSliderLineMore);
    else if (notches > 0)
        Step(-fLineStep, kEventSliderLineLess);
    return true;
}

bool NSlider::MouseEnter(const NInputEvent&)
{
    if (!fHighlighted) {
        fHighlighted = true;
        NHighlight::Post(kEventHighlightStart, *this);
    }
    return true;
}

bool NSlider::MouseLeave(const NInputEvent&)
{
    // The first report to a slider never entered is a leave; it ends nothing.
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Post(kEventHighlightEnd, *this);
    }
    return true;
}

bool NSlider::HandleEvent(const NPortEvent& event)
{
    int32_t code = event.fCode;
    if (code == kEventRepeatStep)
        code = event.fSecondArgument;
    switch (code) {
    case kEventSliderLineLess:
        Step(-fLineStep, kEventSliderLineLess);
        return true;
    case kEventSliderLineMore:
        Step(fLineStep, kEventSliderLineMore);
        return true;
    case kEventRepeatFirst:
        // The first step comes from the click on release or from the repeats.
        return true;
    case kEventSliderChanged: {
        int32_t value = ValueFromThumb();
        if (value != fValue) {
            fValue = value;
            FireOwner(kEventSliderChanged);
        }
        return true;
    }
    case kEventSliderThumbDone:
        fValue = ValueFromThumb();
        PlaceThumb();
        FireOwner(kEventSliderThumbDone);
        return true;
    default:
        return false;
    }
}

bool NSlider::DescribeUi(NUiDescription& description) const
{
    description.kind = "slider";
    description.name = "NSlider";
    description.text = std::to_string(fValue);
    description.event = fOwner.IsSet() ? fOwner.Template().fCode : 0;
    description.enabled = TakesInput() && fMinimum < fMaximum;
    description.focused = NInputState::The().Focus() == this;
    return true;
}
