// Sprite groups: fill, border and hit testing through the children.
#include "imaging/NSpGroup.h"

#include "imaging/NSpImage.h"
#include "imaging/NSpLoader.h"

NSpGroup::NSpGroup() = default;

NSpGroup::~NSpGroup()
{
    if (!fIsRoot)
        SetVisible(false);
}

bool NSpGroup::HitTest(NPoint point) const
{
    if (!Rect().Contains(point))
        return false;
    if (!ChildrenHit())
        return true;
    for (NEventTarget* child : Children()) {
        if (child->HitTest(point))
            return true;
    }
    return false;
}

bool NSpGroup::IsDrawable() const
{
    return fFill != 0 || fBorder != 0;
}

void NSpGroup::Draw(NSpLoader& surface, const NRect& area)
{
    NSpImage& image = *surface.GetImage();
    const NRect& origin = surface.Rect();
    NRect rect = Rect().Offset(-int32_t(origin.fX), -int32_t(origin.fY));
    if (fFill != 0) {
        NRect fill = area.Intersect(Rect()).Offset(-int32_t(origin.fX), -int32_t(origin.fY));
        if (!fill.IsEmpty())
            image.FillRect(fill, fFill);
    }
    // The border is drawn whole, clipped by the group's own rectangle only. What it draws
    // outside the change list is not presented now, and every node draws over it again
    // before that part of the surface is presented.
    if (fBorder != 0)
        image.DrawBevel(rect, rect, fBorder, fBorder, fBorderThickness);
}

void NSpGroup::SetFill(uint32_t value)
{
    if (fFill == value)
        return;
    fFill = value;
    MarkChanged();
}

void NSpGroup::SetBorder(uint32_t value, int thickness)
{
    if (fBorder == value && fBorderThickness == thickness)
        return;
    fBorder = value;
    fBorderThickness = thickness;
    MarkChanged();
}
