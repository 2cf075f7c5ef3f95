// Hover, wheel, press and release routing, the focus with its history, and the input roots.
#include "framework/NInputState.h"

#include "framework/NAppClock.h"
#include "framework/NEventTarget.h"

#include <algorithm>

static bool sInputGone = false;

namespace {

// The outcome of routing a press or the wheel: whether a node took it, and which one (none
// when it was destroyed by its own handler).
struct Routed {
    bool fTaken = false;
    NEventTarget* fTaker = nullptr;
};

using PointerOperation = bool (NEventTarget::*)(const NInputEvent&);

// The wheel and the press: at an enabled node under the point, its capture operation, then
// each child until one takes the event, then its own operation.
Routed Route(NEventTarget& node, const NInputEvent& event, PointerOperation capture, PointerOperation own)
{
    Routed routed;
    if (!node.IsEnabled())
        return routed;
    NEventTarget::Guard self(&node);
    if (!node.HitTest(event.fWhere) || !self)
        return routed;
    if ((node.*capture)(event))
        return Routed { true, self.Get() };
    if (self && NEventTarget::VisitChildren(node, [&](NEventTarget& child) {
            routed = Route(child, event, capture, own);
            return routed.fTaken;
        }))
        return routed;
    if (self && (node.*own)(event))
        return Routed { true, self.Get() };
    return Routed();
}

} // namespace

NInputState& NInputState::The()
{
    static NInputState sState;
    return sState;
}

NInputState* NInputState::IfAlive()
{
    return sInputGone ? nullptr : &The();
}

NInputState::~NInputState()
{
    sInputGone = true;
}

bool NInputState::HoldsPointer(const NEventTarget& node) const
{
    return fCapture ? fCapture == &node : InputRoot() == &node;
}

void NInputState::HoverUpdate(NEventTarget& node, const NInputEvent& event)
{
    if (!node.fEnabled)
        return;
    NEventTarget::Guard self(&node);
    bool inside = node.fVisibleArea.Contains(event.fWhere) && node.HitTest(event.fWhere);
    if (!self)
        return;
    NEventTarget::VisitChildren(node, [&](NEventTarget& child) {
        HoverUpdate(child, event);
        return false;
    });
    if (!self || (node.fHoverKnown && node.fInside == inside))
        return;
    node.fHoverKnown = true;
    node.fInside = inside;
    if (inside)
        node.MouseEnter(event);
    else
        node.MouseLeave(event);
}

void NInputState::HoverAt(NEventTarget& node, NPoint where)
{
    NInputEvent event;
    event.Init(kInputMouseMove, NAppClock::The().Cached(), where);
    HoverUpdate(node, event);
}

void NInputState::PointerMoved(const NInputEvent& event)
{
    fLastPointer = event.fWhere;
    if (NEventTarget* target = fCapture ? fCapture : InputRoot())
        HoverUpdate(*target, event);
}

bool NInputState::Wheel(const NInputEvent& event)
{
    NEventTarget* root = InputRoot();
    return root && Route(*root, event, &NEventTarget::WheelCapture, &NEventTarget::Wheel).fTaken;
}

bool NInputState::ButtonDown(const NInputEvent& event)
{
    fCaptureOptOut = false;
    Routed routed;
    if (NEventTarget* root = InputRoot())
        routed = Route(*root, event, &NEventTarget::MouseDownCapture, &NEventTarget::MouseDown);
    fCapture = routed.fTaken && !fCaptureOptOut ? routed.fTaker : nullptr;
    fCaptureOptOut = false;
    return routed.fTaken;
}

bool NInputState::ButtonUp(const NInputEvent& event)
{
    if (!fCapture)
        return false;
    NEventTarget::Guard target(fCapture);
    bool handled = fCapture->MouseUp(event);
    // A handler may have captured anew (a synthesised press); only this capture ends here.
    if (target && fCapture == target.Get())
        fCapture = nullptr;
    return handled;
}

bool NInputState::RouteFocusChain(KeyOperation operation, const NInputEvent& event)
{
    NEventTarget* node = fFocus;
    while (node) {
        NEventTarget::Guard current(node);
        NEventTarget::Guard parent(node->fParent);
        if (node->TakesInput() && (node->*operation)(event))
            return true;
        // Bubbles on from where the node is now, or from its old parent when it is gone.
        node = current ? current->fParent : parent.Get();
    }
    return false;
}

bool NInputState::KeyDown(const NInputEvent& event)
{
    return RouteFocusChain(&NEventTarget::KeyDown, event);
}

bool NInputState::Char(const NInputEvent& event)
{
    return RouteFocusChain(&NEventTarget::Char, event);
}

bool NInputState::KeyUp(const NInputEvent& event)
{
    return RouteFocusChain(&NEventTarget::KeyUp, event);
}

bool NInputState::EditCommand(const NInputEvent& event)
{
    return RouteFocusChain(&NEventTarget::EditCommand, event);
}

void NInputState::RootChanged(NEventTarget* oldRoot)
{
    // Everything under the pointer in the old root (or the capture) is told it left.
    if (NEventTarget* old = fCapture ? fCapture : oldRoot)
        HoverAt(*old, kOffscreenPoint);
    if (NEventTarget* root = InputRoot())
        HoverAt(*root, fLastPointer);
}

void NInputState::PushInputRoot(NEventTarget& group)
{
    if (group.fDying)
        return;
    NEventTarget::Guard pushed(&group);
    if (NEventTarget* old = fCapture ? fCapture : InputRoot())
        HoverAt(*old, kOffscreenPoint);
    if (!pushed)
        return;
    if (fRoots.empty() || fRoots.back() != &group)
        fRoots.push_back(&group);
    group.fInputRoot = true;
    HoverAt(group, fLastPointer);
}

void NInputState::RemoveInputRoot(NEventTarget& node)
{
    if (!node.fInputRoot)
        return;
    bool wasTop = InputRoot() == &node;
    // All of its entries go, so that the flag keeps meaning "on the stack".
    std::erase(fRoots, &node);
    node.fInputRoot = false;
    if (wasTop)
        RootChanged(&node);
}

bool NInputState::MoveFocus(NEventTarget* node, bool notify)
{
    if (fFocus == node)
        return true;
    if (node && node->fDying)
        return false;
    NEventTarget::Guard target(node);
    if (fFocus) {
        NEventTarget::Guard old(fFocus);
        if (!fFocus->CanLoseFocus())
            return false;
        if (old)
            old->FocusLost();
        if (old && notify)
            std::erase(fHistory, old.Get());
    }
    if (!node) {
        fFocus = nullptr;
        return true;
    }
    if (!target)
        return false;
    if (notify) {
        node->FocusGained();
        if (!target)
            return false;
    }
    fFocus = node;
    if (fHistory.empty() || fHistory.back() != node)
        fHistory.push_back(node);
    return true;
}

bool NInputState::TakeFocus(NEventTarget& node, bool notify)
{
    return MoveFocus(&node, notify);
}

void NInputState::RemoveFromFocusHistory(NEventTarget& node)
{
    std::erase(fHistory, &node);
    if (fFocus == &node)
        MoveFocus(fHistory.empty() ? nullptr : fHistory.back(), false);
}

void NInputState::Forget(NEventTarget& node)
{
    // Nothing here may call the dying node: its own operations are gone already.
    if (fCapture == &node)
        fCapture = nullptr;
    std::erase(fHistory, &node);
    if (fFocus == &node)
        fFocus = fHistory.empty() ? nullptr : fHistory.back();
    if (node.fInputRoot) {
        bool wasTop = InputRoot() == &node;
        std::erase(fRoots, &node);
        node.fInputRoot = false;
        if (wasTop)
            RootChanged(nullptr);
    }
}
