// The scroll bar: a value within a range, shown by a thumb on a track between two arrows.
#pragma once

#include "framework/NNotification.h"
#include "framework/NPortHandle.h"
#include "framework/NPortListener.h"
#include "imaging/NSpGroup.h"
#include "storage/NFileSpec.h"
#include "widgets/NButton.h"
#include "widgets/NThumb.h"

#include <cstdint>
#include <memory>

/// Every change reaches the owner through its notification fired with the cause as value
/// (the owner's own code in the second word). Arrows and thumb talk to the slider through
/// its own port.
class NSlider : public NSpGroup, public NPortListener {
public:
    static constexpr uint32_t kArrowRepeatDelay = 150;
    static constexpr uint32_t kArrowRepeatInterval = 50;
    static constexpr uint32_t kPageRepeatDelay = 150;
    static constexpr uint32_t kPageRepeatInterval = 50;
    static constexpr uint32_t kTimerPeriod = 50;
    static constexpr int16_t kDragMargin = 15;   // the thumb follows the pointer this far outside

    // Where a track press lies along the axis.
    enum class Zone { kNone = 0, kBefore = 1, kAfter = 2 };

    NSlider();
    ~NSlider() override;

    // Sprite node
    void Animate() override;
    bool DescribeUi(NUiDescription& description) const override;
    // Pointer
    bool MouseDown(const NInputEvent& event) override;
    bool Wheel(const NInputEvent& event) override;
    bool MouseEnter(const NInputEvent& event) override;
    bool MouseLeave(const NInputEvent& event) override;
    // Port events from the arrows and the thumb
    bool HandleEvent(const NPortEvent& event) override;

    /// rect is relative to the parent; fill is the track's pixel value.
    bool SetUp(const NRect& rect, const NFileSpec& less, const NFileSpec& more, const NFileSpec& thumb, uint32_t fill);
    /// The same with the thumb's look taken from an existing sprite.
    bool SetUp(const NRect& rect, const NFileSpec& less, const NFileSpec& more, const NSprite& thumb, uint32_t fill);
    void Layout(const NRect& rect);
    /// A maximum below the minimum is raised to it; a value the new range moves is
    /// reported with 31035.
    void SetRange(int32_t minimum, int32_t maximum);
    /// Clamped into the range; reports nothing.
    void SetValue(int32_t value);
    void SetSteps(int32_t line, int32_t page);
    void SetOwnerNotification(const NNotification& notification) { fOwner = notification; }

    int32_t Value() const { return fValue; }
    int32_t Minimum() const { return fMinimum; }
    int32_t Maximum() const { return fMaximum; }
    bool IsVertical() const { return fVertical; }
    NButton& LessArrow() { return *fLess; }
    NButton& MoreArrow() { return *fMore; }
    NThumb& Thumb() { return *fThumb; }
    const NPortHandle& Port() const { return fPort; }

    // For the thumb: where it travels, in the slider's own coordinates.
    /// The thumb's top-left at the minimum.
    NPoint TravelStart() const { return fTravelStart; }
    int32_t TravelLength() const { return fTravelLength; }

private:
    bool MakeParts(const NRect& rect, const NFileSpec& less, const NFileSpec& more, uint32_t fill);
    void PlaceThumb();
    int32_t ValueFromThumb() const;
    Zone ZoneAt(NPoint point) const;
    void Step(int32_t delta, int32_t code);
    void FireOwner(int32_t code);

    int32_t fValue = 0;
    int32_t fMinimum = 0;
    int32_t fMaximum = 0;
    int32_t fLineStep = 1;
    int32_t fPageStep = 1;
    Zone fPressZone = Zone::kNone;
    std::unique_ptr<NButton> fLess;
    std::unique_ptr<NButton> fMore;
    bool fArrows = false;
    std::unique_ptr<NThumb> fThumb;
    bool fVertical = false;
    NPoint fTravelStart;
    int32_t fTravelLength = 0;
    bool fThumbFits = false;
    NPortHandle fPort;
    NNotification fOwner;
    uint32_t fNextPageRepeat = 0;
    bool fHighlighted = false;
};
