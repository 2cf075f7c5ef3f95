// The sprite node: visibility, change tracking, the drawn rectangle and the node timer.
#pragma once

#include "framework/NEventTarget.h"
#include "geometry/NRect.h"
#include "imaging/NUiDescription.h"

#include <cstdint>
#include <string>

class NSpChangeGrid;
class NSpLoader;
class NSpUniverse;

// Timer modes of a node.
enum : uint8_t {
    kTimerOff = 0,
    kTimerAppClock = 1,    // the application clock's reading cached for the idle pass
    kTimerRealClock = 2,   // the platform millisecond clock, read when asked
};

/// Geometry, parent and children are the event target's. A node is marked changed when
/// something that shows on screen changed; the universe collects the marked nodes once
/// per idle pass and repaints the old and the new place of each.
class NSpObject : public NEventTarget {
public:
    /// Overlap (percent of the new rectangle) from which old and new place are repainted
    /// as one rectangle.
    static constexpr int kMergePercent = 81;

    NSpObject();
    /// Hands the node's area to the universe for repainting when it is marked changed.
    ~NSpObject() override;

    // Hit testing
    bool HitTest(NPoint point) const override;

    // Drawing
    virtual bool IsDrawable() const;
    /// Draws the part of the node inside area (universe coordinates) into the surface.
    virtual void Draw(NSpLoader& surface, const NRect& area);
    /// Adds the node's changed areas to the grid, running its timer first, then does the
    /// same for its children in list order.
    virtual void CollectChanges(NSpChangeGrid& grid);
    virtual void Animate();

    // Test tools
    /// Fills the description and answers true when the node belongs in the UI dump (it takes
    /// input or shows text); plain decoration answers false.
    virtual bool DescribeUi(NUiDescription& description) const;
    /// The node's class name as the UI dump shows it.
    std::string ClassName() const;

    // Geometry
    virtual void MoveBy(int32_t dx, int32_t dy);
    virtual void MoveTo(NPoint point);
    virtual void Resize(int32_t width, int32_t height);

    /// Sets the rectangle relative to the parent; marks the node changed when visible and
    /// attached.
    void SetRect(const NRect& rect);
    /// Where MoveTo measures from: the top-left corner of the local rectangle.
    virtual NPoint Position() const;

    // Visibility and changes
    bool IsVisible() const { return fVisible; }
    /// Returns the previous value.
    bool SetVisible(bool visible);
    /// Marks the node changed when it is visible and attached to a parent.
    void MarkChanged();
    bool IsChanged() const { return fChanged; }
    /// The absolute rectangle as last drawn; empty when not drawn.
    const NRect& DrawnRect() const { return fDrawn; }
    void SetDrawnRect(const NRect& rect) { fDrawn = rect; }

    // Timer
    /// Animate every period milliseconds of the application clock, first after firstDelay
    /// (the period when 0).
    void RunTimer(uint32_t period, uint32_t firstDelay);
    /// The same with the platform millisecond clock.
    void RunRealTimer(uint32_t period, uint32_t firstDelay);
    void StopTimer() { fTimerMode = kTimerOff; }
    /// Late ticks are caught up one period at a time instead of starting afresh from now.
    void SetTimerCatchUp(bool on) { fTimerCatchUp = on; }
    uint8_t TimerMode() const { return fTimerMode; }
    uint32_t TimerNextDue() const { return fTimerNextDue; }

    /// The universe at the root of the node's tree, or null when it is not in one.
    NSpUniverse* Universe() const;

protected:
    /// Marks the node changed without the visibility test (hiding uses it).
    void MarkChangedIfAttached();
    /// Runs the timer when due; true when Animate was called.
    bool RunTimerIfDue();

private:
    void StartTimer(uint8_t mode, uint32_t period, uint32_t firstDelay);
    uint32_t TimerNow() const;

    bool fVisible = true;
    NRect fDrawn;
    bool fChanged = false;
    uint8_t fTimerMode = kTimerOff;
    uint32_t fTimerPeriod = 0;
    uint32_t fTimerNextDue = 0;
    bool fTimerCatchUp = false;
};

/// The child as a sprite node, or null for event targets of other kinds.
inline NSpObject* NSpChild(NEventTarget* child)
{
    return dynamic_cast<NSpObject*>(child);
}
