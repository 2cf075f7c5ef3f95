// The progress bar: a sprite whose visible width is the value's share of the range.
#pragma once

#include "imaging/NSprite.h"
#include "storage/NFileSpec.h"

#include <cstdint>

/// The bar grows from the left: the sprite is drawn clipped to a rectangle as wide as the
/// fraction of its frame's width.
class NThermometer : public NSprite {
public:
    NThermometer();
    ~NThermometer() override;

    bool DescribeUi(NUiDescription& description) const override;

    /// Reads the bar from a sprite file at where (relative to the parent).
    bool LoadBar(const NFileSpec& spec, NPoint where);
    void SetRange(int32_t minimum, int32_t maximum);
    /// Clamped into the range; redraws only when the value changed.
    void SetValue(int32_t value);

    int32_t Value() const { return fValue; }
    int32_t Minimum() const { return fMinimum; }
    int32_t Maximum() const { return fMaximum; }
    int16_t FullWidth() const { return fFullWidth; }

private:
    void Redraw();

    int32_t fMinimum = 0;
    int32_t fMaximum = 0;
    int32_t fValue = 0;
    int16_t fFullWidth = 0;
    NPoint fWhere;
};
