// The event side of every sprite node: geometry, the child list and the input operations.
#pragma once

#include "framework/NInputEvent.h"
#include "framework/NReferable.h"
#include "geometry/NRect.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <type_traits>
#include <vector>

class NPalette;

/// Which edit commands apply, as GetEditState reports them.
struct NEditState {
    bool fCut = false;
    bool fCopy = false;
    bool fPaste = false;
    bool fUndo = false;         // an undo is available
    bool fUndoIsRedo = false;   // the available undo is a redo
    bool fSelectAll = false;
};

/// Children are kept by ascending priority; the first child is the frontmost. Event
/// operations answer whether they handled the event and may change the tree, the focus and
/// the input roots, or destroy nodes, while a routing is under way: every routing walks a
/// snapshot of each child list and skips nodes destroyed or moved away meanwhile.
class NEventTarget : public NReferable {
public:
    static constexpr NRect kDefaultRect { 0, 0, 640, 480 };

    /// A weak link to a target that reads nullptr once the target is destroyed.
    class Guard {
    public:
        Guard() = default;
        explicit Guard(NEventTarget* target) { Reset(target); }
        ~Guard() { Reset(nullptr); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;

        inline void Reset(NEventTarget* target);
        NEventTarget* Get() const { return fTarget; }
        NEventTarget* operator->() const { return fTarget; }
        explicit operator bool() const { return fTarget != nullptr; }

    private:
        friend class NEventTarget;
        NEventTarget* fTarget = nullptr;
        Guard* fPrev = nullptr;
        Guard* fNext = nullptr;
    };

    NEventTarget();
    NEventTarget(const NEventTarget&) = delete;
    NEventTarget& operator=(const NEventTarget&) = delete;

    // Lifetime
    /// Leaves the focus history, the input-root stack and the capture, leaves its parent
    /// and detaches (does not destroy) its children.
    ~NEventTarget() override;

    // Pointer
    virtual bool WheelCapture(const NInputEvent& event);
    virtual bool Wheel(const NInputEvent& event);
    virtual bool MouseDownCapture(const NInputEvent& event);
    virtual bool MouseDown(const NInputEvent& event);
    virtual bool MouseUp(const NInputEvent& event);
    virtual bool MouseEnter(const NInputEvent& event);
    /// Also the first hover report to a node that was never entered.
    virtual bool MouseLeave(const NInputEvent& event);

    // Keyboard and edit commands: along the focus chain, or broadcast by a window
    virtual bool Char(const NInputEvent& event);
    virtual bool CharShortcut(const NInputEvent& event);
    virtual bool KeyDown(const NInputEvent& event);
    virtual bool KeyUp(const NInputEvent& event);
    virtual bool EditCommand(const NInputEvent& event);
    virtual void GetEditState(NEditState& state);
    virtual bool KeyDownShortcut(const NInputEvent& event);
    virtual bool KeyUpShortcut(const NInputEvent& event);
    virtual bool EditCommandShortcut(const NInputEvent& event);

    // Focus
    virtual bool CanLoseFocus();
    virtual void FocusLost();
    virtual void FocusGained();

    // Palette
    virtual void PaletteChanging(const NPalette* palette);
    virtual void PaletteChanged(const NPalette* palette);

    // Hit testing
    /// Inside the absolute rectangle by default.
    virtual bool HitTest(NPoint point) const;
    virtual void SetChildrenHit(bool on);

    // Geometry
    /// The absolute rectangle: the local one moved by the parent's absolute position.
    const NRect& Rect() const { return fRect; }
    const NRect& LocalRect() const { return fLocalRect; }
    /// The absolute rectangle clipped by the parent's visible area.
    const NRect& VisibleArea() const { return fVisibleArea; }
    /// Recomputes the absolute rectangles and visible areas of the node and its subtree.
    void SetLocalRect(const NRect& rect);

    // Tree
    int32_t Priority() const { return fPriority; }
    NEventTarget* Parent() const { return fParent; }
    const std::vector<NEventTarget*>& Children() const { return fChildren; }
    /// Inserts a child without parent before the first child of equal or greater priority;
    /// moves a child of this node to a new priority. Refuses a child of another node and a
    /// child that would make a cycle.
    bool AddChild(NEventTarget& child, int32_t priority);
    bool RemoveChild(NEventTarget& child);
    bool IsAncestorOf(const NEventTarget& node) const;

    // State
    bool IsEnabled() const { return fEnabled; }
    void SetEnabled(bool on) { fEnabled = on; }
    /// Enabled, and so is every ancestor: a disabled node's subtree takes no input.
    bool TakesInput() const;
    bool IsInputRoot() const { return fInputRoot; }
    bool IsHoverKnown() const { return fHoverKnown; }
    bool IsInside() const { return fInside; }
    bool ChildrenHit() const { return fChildrenHit; }
    /// The node is the capture target, or there is none and it is the input root.
    bool HoldsPointer() const;

    // Walks over the subtree
    /// Offers a key, character or edit command to this node and then its subtree with the
    /// shortcut operation, node first, skipping disabled subtrees, until one answers true.
    bool BroadcastShortcut(const NInputEvent& event);
    /// Children (recursively) before the node itself.
    void NotifyPaletteChanging(const NPalette* palette);
    void NotifyPaletteChanged(const NPalette* palette);

    /// Calls visit(child) for each child the node had when the call began, in list order,
    /// skipping children destroyed or moved to another parent meanwhile; stops when visit
    /// answers true (the result) or the node itself is destroyed.
    template <class Visit> static bool VisitChildren(NEventTarget& node, Visit&& visit);

private:
    friend class NInputState;
    using ChildVisit = bool (*)(NEventTarget& child, void* context);

    static bool VisitChildrenOf(NEventTarget& node, ChildVisit visit, void* context);
    void UpdateGeometry();
    void UnlinkChild(NEventTarget& child);
    void ClearGuards();

    int32_t fPriority = 0;
    NRect fRect = kDefaultRect;
    NRect fLocalRect = kDefaultRect;
    NRect fVisibleArea = kDefaultRect;
    NEventTarget* fParent = nullptr;
    std::vector<NEventTarget*> fChildren;   // ascending priority, frontmost first
    bool fInputRoot = false;                // on the input-root stack
    bool fHoverKnown = false;
    bool fInside = false;
    bool fEnabled = true;
    bool fChildrenHit = false;
    bool fDying = false;                    // inside the destructor: refused as child, focus or root
    Guard* fGuards = nullptr;
};

// A guard on the stack links itself into its target's list and unlinks itself again in its
// destructor; GCC cannot see the second half and warns about the first.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
inline void NEventTarget::Guard::Reset(NEventTarget* target)
{
    if (fTarget == target)
        return;
    if (fTarget) {
        if (fPrev)
            fPrev->fNext = fNext;
        else
            fTarget->fGuards = fNext;
        if (fNext)
            fNext->fPrev = fPrev;
    }
    fTarget = target;
    fPrev = nullptr;
    fNext = nullptr;
    if (target) {
        fNext = target->fGuards;
        if (fNext)
            fNext->fPrev = this;
        target->fGuards = this;
    }
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

template <class Visit>
bool NEventTarget::VisitChildren(NEventTarget& node, Visit&& visit)
{
    using VisitType = std::remove_reference_t<Visit>;
    ChildVisit call = [](NEventTarget& child, void* context) {
        return static_cast<bool>((*static_cast<VisitType*>(context))(child));
    };
    return VisitChildrenOf(node, call, const_cast<void*>(static_cast<const void*>(std::addressof(visit))));
}
