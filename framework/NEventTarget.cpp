// Event targets: geometry, children, the default event operations and the subtree walks.
#include "framework/NEventTarget.h"

#include "framework/NInputState.h"

#include <algorithm>

namespace {

// Guards on the children a walk began with, inline for the usual small groups.
class ChildSnapshot {
public:
    explicit ChildSnapshot(const std::vector<NEventTarget*>& children)
        : fCount(children.size())
    {
        if (fCount > kInlineCount) {
            fHeap = std::make_unique<NEventTarget::Guard[]>(fCount);
            fItems = fHeap.get();
        }
        for (size_t i = 0; i < fCount; ++i)
            fItems[i].Reset(children[i]);
    }
    ChildSnapshot(const ChildSnapshot&) = delete;
    ChildSnapshot& operator=(const ChildSnapshot&) = delete;

    size_t Count() const { return fCount; }
    NEventTarget* At(size_t index) const { return fItems[index].Get(); }

private:
    static constexpr size_t kInlineCount = 16;

    NEventTarget::Guard fInline[kInlineCount];
    std::unique_ptr<NEventTarget::Guard[]> fHeap;
    NEventTarget::Guard* fItems = fInline;
    size_t fCount;
};

using ShortcutOperation = bool (NEventTarget::*)(const NInputEvent&);
using PaletteOperation = void (NEventTarget::*)(const NPalette*);

bool Broadcast(NEventTarget& node, ShortcutOperation operation, const NInputEvent& event)
{
    if (!node.IsEnabled())
        return false;
    NEventTarget::Guard self(&node);
    if ((node.*operation)(event))
        return true;
    if (!self)
        return false;
    return NEventTarget::VisitChildren(node, [&](NEventTarget& child) { return Broadcast(child, operation, event); });
}

void NotifyPalette(NEventTarget& node, PaletteOperation operation, const NPalette* palette)
{
    NEventTarget::Guard self(&node);
    NEventTarget::VisitChildren(node, [&](NEventTarget& child) {
        NotifyPalette(child, operation, palette);
        return false;
    });
    if (self)
        (node.*operation)(palette);
}

} // namespace

NEventTarget::NEventTarget() = default;

NEventTarget::~NEventTarget()
{
    fDying = true;
    DropReference();
    if (fParent)
        fParent->UnlinkChild(*this);
    for (NEventTarget* child : fChildren) {
        child->fParent = nullptr;
        child->UpdateGeometry();
    }
    fChildren.clear();
    ClearGuards();
    // May run event operations of other nodes (a new input root hears where the pointer
    // is); by now nothing leads to this node any more.
    if (NInputState* input = NInputState::IfAlive())
        input->Forget(*this);
    ClearGuards();
}

void NEventTarget::ClearGuards()
{
    while (fGuards)
        fGuards->Reset(nullptr);
}

bool NEventTarget::WheelCapture(const NInputEvent&)
{
    return false;
}
bool NEventTarget::Wheel(const NInputEvent&)
{
    return false;
}
bool NEventTarget::MouseDownCapture(const NInputEvent&)
{
    return false;
}
bool NEventTarget::MouseDown(const NInputEvent&)
{
    return false;
}
bool NEventTarget::MouseUp(const NInputEvent&)
{
    return false;
}
bool NEventTarget::MouseEnter(const NInputEvent&)
{
    return false;
}
bool NEventTarget::MouseLeave(const NInputEvent&)
{
    return false;
}
bool NEventTarget::Char(const NInputEvent&)
{
    return false;
}
bool NEventTarget::CharShortcut(const NInputEvent&)
{
    return false;
}
bool NEventTarget::KeyDown(const NInputEvent&)
{
    return false;
}
bool NEventTarget::KeyUp(const NInputEvent&)
{
    return false;
}
bool NEventTarget::EditCommand(const NInputEvent&)
{
    return false;
}
void NEventTarget::GetEditState(NEditState& state)
{
    state = NEditState();
}
bool NEventTarget::KeyDownShortcut(const NInputEvent&)
{
    return false;
}
bool NEventTarget::KeyUpShortcut(const NInputEvent&)
{
    return false;
}
bool NEventTarget::EditCommandShortcut(const NInputEvent&)
{
    return false;
}
bool NEventTarget::CanLoseFocus()
{
    return true;
}
void NEventTarget::FocusLost()
{
}
void NEventTarget::FocusGained()
{
}
void NEventTarget::PaletteChanging(const NPalette*)
{
}
void NEventTarget::PaletteChanged(const NPalette*)
{
}

bool NEventTarget::HitTest(NPoint point) const
{
    return fRect.Contains(point);
}

void NEventTarget::SetChildrenHit(bool on)
{
    fChildrenHit = on;
}

void NEventTarget::SetLocalRect(const NRect& rect)
{
    fLocalRect = rect;
    UpdateGeometry();
}

void NEventTarget::UpdateGeometry()
{
    if (fParent) {
        fRect = fLocalRect.Offset(fParent->fRect.fX, fParent->fRect.fY);
        fVisibleArea = fRect.Intersect(fParent->fVisibleArea);
    } else {
        fRect = fLocalRect;
        fVisibleArea = fRect;
    }
    for (NEventTarget* child : fChildren)
        child->UpdateGeometry();
}

bool NEventTarget::IsAncestorOf(const NEventTarget& node) const
{
    for (const NEventTarget* up = node.fParent; up; up = up->fParent) {
        if (up == this)
            return true;
    }
    return false;
}

bool NEventTarget::AddChild(NEventTarget& child, int32_t priority)
{
    if (&child == this || fDying || child.fDying)
        return false;
    if (child.fParent == this) {
        if (child.fPriority == priority)
            return true;
        UnlinkChild(child);
    } else if (child.fParent || child.IsAncestorOf(*this)) {
        return false;
    }
    auto at = std::find_if(fChildren.begin(), fChildren.end(),
        [priority](const NEventTarget* sibling) { return sibling->fPriority >= priority; });
    fChildren.insert(at, &child);
    child.fParent = this;
    child.fPriority = priority;
    child.UpdateGeometry();
    return true;
}

void NEventTarget::UnlinkChild(NEventTarget& child)
{
    std::erase(fChildren, &child);
    child.fParent = nullptr;
}

bool NEventTarget::RemoveChild(NEventTarget& child)
{
    if (child.fParent != this)
        return false;
    UnlinkChild(child);
    child.UpdateGeometry();
    return true;
}

bool NEventTarget::TakesInput() const
{
    for (const NEventTarget* node = this; node; node = node->fParent) {
        if (!node->fEnabled)
            return false;
    }
    return true;
}

bool NEventTarget::HoldsPointer() const
{
    NInputState* input = NInputState::IfAlive();
    return input && input->HoldsPointer(*this);
}

bool NEventTarget::BroadcastShortcut(const NInputEvent& event)
{
    ShortcutOperation operation = nullptr;
    if (event.fType == kInputChar)
        operation = &NEventTarget::CharShortcut;
    else if (event.fType == kInputKeyDown)
        operation = &NEventTarget::KeyDownShortcut;
    else if (event.fType == kInputKeyUp)
        operation = &NEventTarget::KeyUpShortcut;
    else if (event.IsEditCommand())
        operation = &NEventTarget::EditCommandShortcut;
    return operation && Broadcast(*this, operation, event);
}

void NEventTarget::NotifyPaletteChanging(const NPalette* palette)
{
    NotifyPalette(*this, &NEventTarget::PaletteChanging, palette);
}

void NEventTarget::NotifyPaletteChanged(const NPalette* palette)
{
    NotifyPalette(*this, &NEventTarget::PaletteChanged, palette);
}

bool NEventTarget::VisitChildrenOf(NEventTarget& node, ChildVisit visit, void* context)
{
    if (node.fChildren.empty())
        return false;
    ChildSnapshot snapshot(node.fChildren);
    Guard self(&node);
    for (size_t i = 0; i < snapshot.Count(); ++i) {
        if (!self)
            return false;
        NEventTarget* child = snapshot.At(i);
        if (!child || child->fParent != &node)
            continue;
        if (visit(*child, context))
            return true;
    }
    return false;
}
