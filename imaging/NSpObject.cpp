// Sprite nodes: change marking, change collection and node timers.
#include "imaging/NSpObject.h"

#include "framework/NAppClock.h"
#include "imaging/NSpChangeGrid.h"
#include "imaging/NSpUniverse.h"
#include "platform/NHostTime.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

NSpObject::NSpObject() = default;

NSpObject::~NSpObject()
{
    if (!fChanged)
        return;
    if (NSpUniverse* universe = Universe()) {
        universe->AddChange(fDrawn);
        if (fVisible)
            universe->AddChange(Rect());
    }
}

NSpUniverse* NSpObject::Universe() const
{
    const NEventTarget* node = this;
    while (node->Parent())
        node = node->Parent();
    return dynamic_cast<NSpUniverse*>(const_cast<NEventTarget*>(node));
}

bool NSpObject::HitTest(NPoint point) const
{
    return Rect().Contains(point);
}

bool NSpObject::DescribeUi(NUiDescription&) const
{
    return false;
}

std::string NSpObject::ClassName() const
{
    const char* mangled = typeid(*this).name();
    int status = 0;
    char* plain = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    std::string name = status == 0 && plain ? plain : mangled;
    std::free(plain);
    // Namespaces say where the class lives, not what it is.
    size_t colon = name.rfind("::");
    return colon == std::string::npos ? name : name.substr(colon + 2);
}

bool NSpObject::IsDrawable() const
{
    return false;
}

void NSpObject::Draw(NSpLoader&, const NRect&)
{
}

void NSpObject::Animate()
{
}

NPoint NSpObject::Position() const
{
    return LocalRect().TopLeft();
}

void NSpObject::SetRect(const NRect& rect)
{
    SetLocalRect(rect);
    MarkChanged();
}

void NSpObject::MoveBy(int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    SetRect(LocalRect().Offset(dx, dy));
}

void NSpObject::MoveTo(NPoint point)
{
    NPoint position = Position();
    MoveBy(int32_t(point.fX) - position.fX, int32_t(point.fY) - position.fY);
}

void NSpObject::Resize(int32_t width, int32_t height)
{
    int16_t newWidth = NClampCoordinate(std::max(width, int32_t(0)));
    int16_t newHeight = NClampCoordinate(std::max(height, int32_t(0)));
    const NRect& rect = LocalRect();
    if (newWidth == rect.fWidth && newHeight == rect.fHeight)
        return;
    SetRect(NRect(rect.fX, rect.fY, newWidth, newHeight));
}

bool NSpObject::SetVisible(bool visible)
{
    bool previous = fVisible;
    if (visible && !fVisible) {
        fVisible = true;
        MarkChangedIfAttached();
    } else if (!visible && fVisible) {
        fVisible = false;
        MarkChangedIfAttached();
        // The node is not drawn again, so its whole area must be repainted from below.
        fDrawn = fDrawn.Union(Rect());
    }
    return previous;
}

void NSpObject::MarkChanged()
{
    if (fVisible)
        MarkChangedIfAttached();
}

void NSpObject::MarkChangedIfAttached()
{
    if (Parent())
        fChanged = true;
}

void NSpObject::RunTimer(uint32_t period, uint32_t firstDelay)
{
    StartTimer(kTimerAppClock, period, firstDelay);
}

void NSpObject::RunRealTimer(uint32_t period, uint32_t firstDelay)
{
    StartTimer(kTimerRealClock, period, firstDelay);
}

void NSpObject::StartTimer(uint8_t mode, uint32_t period, uint32_t firstDelay)
{
    fTimerMode = mode;
    fTimerPeriod = period;
    fTimerNextDue = TimerNow() + (firstDelay != 0 ? firstDelay : period);
}

uint32_t NSpObject::TimerNow() const
{
    return fTimerMode == kTimerRealClock ? NHostTime::Milliseconds() : NAppClock::The().Cached();
}

bool NSpObject::RunTimerIfDue()
{
    if (fTimerMode == kTimerOff)
        return false;
    uint32_t now = TimerNow();
    // Compared by signed distance, so that the wrap of the millisecond clock is harmless.
    if (int32_t(now - fTimerNextDue) < 0)
        return false;
    fTimerNextDue = fTimerCatchUp ? fTimerNextDue + fTimerPeriod : now + fTimerPeriod;
    Animate();
    return true;
}

void NSpObject::CollectChanges(NSpChangeGrid& grid)
{
    RunTimerIfDue();
    if (fChanged) {
        const NRect& rect = Rect();
        if (fVisible) {
            NRect overlap = fDrawn.Intersect(rect);
            if (overlap.IsEmpty() || rect.IsEmpty() || overlap.Area() * 100 / rect.Area() < kMergePercent) {
                grid.Add(fDrawn);
                grid.Add(rect);
            } else {
                grid.Add(fDrawn.Union(rect));
            }
            fDrawn = rect;
        } else {
            grid.Add(fDrawn);
            fDrawn = NRect();
        }
        fChanged = false;
    }
    const std::vector<NEventTarget*>& children = Children();
    for (size_t i = 0; i < children.size(); ++i) {
        if (NSpObject* child = NSpChild(children[i]))
            child->CollectChanges(grid);
    }
}
