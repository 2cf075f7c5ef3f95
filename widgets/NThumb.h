// The slider's thumb: dragged along the track, snapping back when the pointer strays too far.
#pragma once

#include "imaging/NSprite.h"

#include <cstdint>

class NSlider;

/// Moves report to the slider's port: 31035 while dragging, 31034 on a release after a move.
class NThumb : public NSprite {
public:
    static constexpr uint32_t kDragPeriod = 20;

    explicit NThumb(NSlider& slider);
    ~NThumb() override;

    // Sprite node
    void Animate() override;
    /// Listed as a sprite that takes input, with the slider's value as its text, so a test
    /// can find what to drag.
    bool DescribeUi(NUiDescription& description) const override;
    // Pointer
    bool MouseDown(const NInputEvent& event) override;
    bool MouseUp(const NInputEvent& event) override;
    bool MouseEnter(const NInputEvent& event) override;
    bool MouseLeave(const NInputEvent& event) override;

    /// The absolute rectangle inside which the pointer drags the thumb.
    void SetDragLimit(const NRect& rect) { fDragLimit = rect; }
    const NRect& DragLimit() const { return fDragLimit; }
    bool IsDragging() const { return fDragging; }

private:
    void Post(int32_t code);

    NSlider& fSlider;
    NPoint fPressPosition;
    NPoint fGrab;            // thumb position minus pointer, in the slider's coordinates
    NPoint fPressPointer;
    NRect fDragLimit;
    bool fDragging = false;
    bool fHighlighted = false;
};
