// The demo button.
#include "demo/KDemoButton.h"

#include "framework/NInputState.h"
#include "framework/NKeyTable.h"

namespace {

constexpr int32_t kStep = 8;

} // namespace

KDemoButton::KDemoButton()
{
    SetTakesInput(true);
}

KDemoButton::~KDemoButton() = default;

bool KDemoButton::MouseDown(const NInputEvent&)
{
    ++fClicks;
    ShowFrame(CurrentIndex() == 0 ? 1 : 0);
    NInputState::The().TakeFocus(*this, true);
    if (fClicked)
        fClicked();
    return true;
}

bool KDemoButton::MouseUp(const NInputEvent&)
{
    return true;
}

bool KDemoButton::KeyDown(const NInputEvent& event)
{
    if (fKeyed)
        fKeyed(event.fKey);
    switch (event.fKey) {
    case kKeyLeft: MoveBy(-kStep, 0); return true;
    case kKeyRight: MoveBy(kStep, 0); return true;
    case kKeyUp: MoveBy(0, -kStep); return true;
    case kKeyDown: MoveBy(0, kStep); return true;
    default: return false;
    }
}

bool KDemoButton::Char(const NInputEvent& event)
{
    if (fTyped)
        fTyped(event.fChar);
    return true;
}
