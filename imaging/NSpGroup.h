// A sprite node that holds children and may fill and frame its rectangle.
#pragma once

#include "imaging/NSpObject.h"

#include <cstdint>

/// Children are the event target's, frontmost first; they are drawn from the last to the
/// first so that the first ends up in front.
class NSpGroup : public NSpObject {
public:
    static constexpr int kDefaultBorderThickness = 1;

    NSpGroup();
    /// Hides the group so that its area is repainted (the universe excepted).
    ~NSpGroup() override;

    /// Outside the rectangle false; with the children-hit flag, true only over a child that hits.
    bool HitTest(NPoint point) const override;
    /// A fill or a border to draw.
    bool IsDrawable() const override;
    void Draw(NSpLoader& surface, const NRect& area) override;

    /// Pixel values (8-bit index or 32-bit colour, by the surface's depth); 0 for none.
    void SetFill(uint32_t value);
    void SetBorder(uint32_t value, int thickness = kDefaultBorderThickness);
    uint32_t Fill() const { return fFill; }
    uint32_t Border() const { return fBorder; }
    int BorderThickness() const { return fBorderThickness; }

protected:
    /// Set by the universe, which is not hidden when it goes.
    bool fIsRoot = false;

private:
    uint32_t fFill = 0;
    uint32_t fBorder = 0;
    int fBorderThickness = kDefaultBorderThickness;
};
