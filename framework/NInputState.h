// The process-wide input state: input roots, capture, focus, and the routing of input events.
#pragma once

#include "framework/NInputEvent.h"
#include "geometry/NRect.h"

#include <vector>

class NEventTarget;

/// Pointer input goes to the input root (the top of the input-root stack) or, while a
/// button is held, to the capture target; keys and edit commands go along the focus chain.
/// Every pointer kept here is cleared when its node is destroyed.
class NInputState {
public:
    /// Where a node is told the pointer is when the input root changes under it.
    static constexpr NPoint kOffscreenPoint { -30000, -30000 };

    static NInputState& The();
    /// The state, or nullptr once it has been destroyed at exit.
    static NInputState* IfAlive();

    // Pointer input
    /// Stores the position and gives the capture target (else the input root) a hover update.
    void PointerMoved(const NInputEvent& event);
    bool Wheel(const NInputEvent& event);
    /// The node that takes the press becomes the capture target, unless its handler opted out.
    bool ButtonDown(const NInputEvent& event);
    /// MouseUp to the capture target, which is then cleared.
    bool ButtonUp(const NInputEvent& event);

    // Focus chain: from the focus up through the parents until a node takes the event
    bool KeyDown(const NInputEvent& event);
    bool Char(const NInputEvent& event);
    bool KeyUp(const NInputEvent& event);
    bool EditCommand(const NInputEvent& event);

    // Input roots
    void PushInputRoot(NEventTarget& group);
    void RemoveInputRoot(NEventTarget& node);

    // Focus
    /// False when the node that has the focus refuses to lose it.
    bool TakeFocus(NEventTarget& node, bool notify);
    /// Unlinks every entry of the node; when it has the focus, the focus passes without
    /// notification to the last node of the history, or to none.
    void RemoveFromFocusHistory(NEventTarget& node);

    // State
    NEventTarget* InputRoot() const { return fRoots.empty() ? nullptr : fRoots.back(); }
    const std::vector<NEventTarget*>& InputRoots() const { return fRoots; }
    NEventTarget* CaptureTarget() const { return fCapture; }
    NEventTarget* Focus() const { return fFocus; }
    /// Most recent last.
    const std::vector<NEventTarget*>& FocusHistory() const { return fHistory; }
    NPoint LastPointer() const { return fLastPointer; }
    bool HoldsPointer(const NEventTarget& node) const;
    /// Called by a MouseDown handler that takes the press without capturing the pointer.
    void SetCaptureOptOut() { fCaptureOptOut = true; }

    ~NInputState();
    NInputState(const NInputState&) = delete;
    NInputState& operator=(const NInputState&) = delete;

private:
    friend class NEventTarget;
    using KeyOperation = bool (NEventTarget::*)(const NInputEvent&);

    NInputState() = default;
    void HoverUpdate(NEventTarget& node, const NInputEvent& event);
    void HoverAt(NEventTarget& node, NPoint where);
    bool RouteFocusChain(KeyOperation operation, const NInputEvent& event);
    bool MoveFocus(NEventTarget* node, bool notify);
    void RootChanged(NEventTarget* oldRoot);
    void Forget(NEventTarget& node);

    std::vector<NEventTarget*> fRoots;     // the input-root stack, top last
    NEventTarget* fCapture = nullptr;
    NEventTarget* fFocus = nullptr;
    std::vector<NEventTarget*> fHistory;
    NPoint fLastPointer;
    bool fCaptureOptOut = false;
};
