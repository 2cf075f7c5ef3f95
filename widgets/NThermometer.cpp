// The progress bar.
#include "widgets/NThermometer.h"

#include "imaging/NSpFrame.h"

#include <algorithm>
#include <cmath>
#include <string>

NThermometer::NThermometer() = default;

NThermometer::~NThermometer() = default;

bool NThermometer::LoadBar(const NFileSpec& spec, NPoint where)
{
    fWhere = where;
    bool loaded = LoadSpriteFile(spec);
    Redraw();
    return loaded;
}

void NThermometer::SetRange(int32_t minimum, int32_t maximum)
{
    fMinimum = minimum;
    fMaximum = maximum;
    Redraw();
}

void NThermometer::SetValue(int32_t value)
{
    int32_t clamped = std::clamp(value, std::min(fMinimum, fMaximum), std::max(fMinimum, fMaximum));
    if (clamped == fValue)
        return;
    fValue = clamped;
    Redraw();
}

void NThermometer::Redraw()
{
    double fraction = 0;
    if (fMaximum != fMinimum)
        fraction = (double(fValue) - double(fMinimum)) / (double(fMaximum) - double(fMinimum));
    if (!(fraction > 0))   // also catches an undefined fraction
        fraction = 0;
    fraction = std::min(fraction, 1.0);
    int16_t height = 0;
    if (NSpFrame* frame = CurrentFrame()) {
        NRect bounds = frame->GetBounds();
        fFullWidth = bounds.fWidth;
        height = bounds.fHeight;
    }
    SetRect(NRect(fWhere.fX, fWhere.fY, int16_t(fFullWidth * fraction), height));
}

bool NThermometer::DescribeUi(NUiDescription& description) const
{
    description.kind = "thermometer";
    description.name = Set() && !Set()->Spec().Name().empty() ? Set()->Spec().Name() : "NThermometer";
    description.text = std::to_string(fValue);
    description.enabled = TakesInput();
    return true;
}
