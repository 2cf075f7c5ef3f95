// Sprites: sets, frames, animation and drawing of the current frame.
#include "imaging/NSprite.h"

#include "framework/NInputState.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpLoader.h"
#include "storage/NFileException.h"

NSprite::NSprite() = default;

NSprite::~NSprite()
{
    SetVisible(false);
    fFrame = nullptr;
    fSet.Release();
}

NSpImage* NSprite::CurrentImage() const
{
    return fFrame ? fFrame->GetImage() : nullptr;
}

NPoint NSprite::FrameOrigin(const NSpFrame& frame) const
{
    NRect bounds = frame.GetBounds();
    int32_t x = frame.fOffset.fX;
    int32_t y = frame.fOffset.fY;
    if (fMirror)
        x = -int32_t(bounds.fWidth) - x;
    if (fFlipVertically)
        y = -int32_t(bounds.fHeight) - y;
    return NPoint(NClampCoordinate(x), NClampCoordinate(y));
}

NPoint NSprite::Position() const
{
    NPoint corner = LocalRect().TopLeft();
    if (!fFrame)
        return corner;
    NPoint origin = FrameOrigin(*fFrame);
    return NPoint(NClampCoordinate(int32_t(corner.fX) - origin.fX), NClampCoordinate(int32_t(corner.fY) - origin.fY));
}

bool NSprite::HitTest(NPoint point) const
{
    const NRect& rect = Rect();
    if (!rect.Contains(point))
        return false;
    if (!ChildrenHit())
        return true;
    NSpImage* image = CurrentImage();
    return image && image->GetPixel(point.fX - rect.fX, point.fY - rect.fY) != 0;
}

bool NSprite::IsDrawable() const
{
    return IsVisible() && fFrame != nullptr;
}

void NSprite::Draw(NSpLoader& surface, const NRect& area)
{
    NSpImage* image = CurrentImage();
    if (!image)
        return;
    const NRect& rect = Rect();
    NRect clip = area.Intersect(rect).Intersect(surface.Rect());
    if (clip.IsEmpty())
        return;
    const NRect& origin = surface.Rect();
    NRect local = clip.Offset(-int32_t(origin.fX), -int32_t(origin.fY));
    NPoint point(NClampCoordinate(int32_t(rect.fX) - origin.fX), NClampCoordinate(int32_t(rect.fY) - origin.fY));
    image->DrawAt(image->Bounds(), *surface.GetImage(), point, &local, fFlipVertically, fMirror);
}

void NSprite::Animate()
{
    ShowFrame(NextFrameIndex());
}

void NSprite::MoveBy(int32_t dx, int32_t dy)
{
    if (dx == 0 && dy == 0)
        return;
    NSpObject::MoveBy(dx, dy);
    fFrameChanged = true;
}

void NSprite::MoveTo(NPoint point)
{
    NPoint position = Position();
    MoveBy(int32_t(point.fX) - position.fX, int32_t(point.fY) - position.fY);
}

void NSprite::AdoptSet(NVectorPtr<NSpSet> set)
{
    fFileName.clear();
    NPoint position = Position();
    fSet = std::move(set);
    fFrame = nullptr;
    fIndex = kNoFrame;
    fFirst = 0;
    fLast = int16_t(fSet ? fSet->FrameCount() - 1 : 0);
    fStep = 1;
    fFinished = false;
    SetVisible(true);
    // ShowFrame places the new frame at the old position, now that no frame is current.
    SetLocalRect(NRect(position.fX, position.fY, 0, 0));
    ShowFrame(0);
}

void NSprite::ReleaseSet()
{
    NPoint position = Position();
    fSet.Release();
    fFrame = nullptr;
    fIndex = kNoFrame;
    SetRect(NRect(position.fX, position.fY, 0, 0));
}

bool NSprite::DescribeUi(NUiDescription& description) const
{
    if (!fTakesInput)
        return false;
    description.kind = "sprite";
    description.name = fFileName.empty() ? ClassName() : fFileName;
    if (NInputState* input = NInputState::IfAlive())
        description.focused = input->Focus() == this;
    return true;
}

bool NSprite::LoadSpriteFile(const NFileSpec& spec)
{
    NVectorPtr<NSpSet> set(new NSpSet());
    bool complete = false;
    try {
        NStream stream = spec.Open(NStreamMode::kRead, true);
        complete = set->ReadSet(stream, spec);
    } catch (const NFileException&) {
        complete = false;
    }
    if (!complete) {
        ReleaseSet();
        return false;
    }
    AdoptSet(std::move(set));
    fFileName = spec.Name();
    return true;
}

bool NSprite::MakeMemory(const NRect& rect, int16_t depth, const NPalette* palette)
{
    NVectorPtr<NSpSet> set(new NSpSet());
    if (!set->MakeMemorySet(rect, depth, palette)) {
        ReleaseSet();
        return false;
    }
    AdoptSet(std::move(set));
    return true;
}

void NSprite::CopyFrom(const NSprite& other)
{
    if (this == &other)
        return;
    fSet = other.fSet;
    fFrame = other.fFrame;
    fIndex = other.fIndex;
    fFirst = other.fFirst;
    fLast = other.fLast;
    fStep = other.fStep;
    fPlayOnce = other.fPlayOnce;
    fFinished = other.fFinished;
    fFlipVertically = other.fFlipVertically;
    fMirror = other.fMirror;
    fFrameChanged = true;
    SetChildrenHit(other.ChildrenHit());
    SetVisible(other.IsVisible());
    SetRect(other.LocalRect());
}

bool NSprite::ShowFrame(int index)
{
    if (!fSet)
        return false;
    if (!fSet->IsFrameIndex(index))
        index = 0;
    if (index == fIndex && fFrame)
        return true;
    NSpFrame* frame = fSet->GetFrame(index);
    if (!frame)
        return false;
    NPoint position = Position();
    fFrame = frame;
    fIndex = index;
    fFrameChanged = true;
    PlaceFrame(position);
    return true;
}

int NSprite::NextFrameIndex()
{
    if (fStep == 0)
        return fIndex;
    int next = fIndex + fStep;
    if (fStep > 0 ? next <= fLast : next >= fFirst)
        return next;
    if (fPlayOnce) {
        fFinished = true;
        return fIndex;
    }
    return fStep > 0 ? fFirst : fLast;
}

void NSprite::SetAnimationRange(int16_t first, int16_t last, int16_t step)
{
    fFirst = first;
    fLast = last;
    fStep = step;
    fFinished = false;
}

void NSprite::PlaceFrame(NPoint position)
{
    if (!fFrame)
        return;
    NPoint origin = FrameOrigin(*fFrame);
    NRect bounds = fFrame->GetBounds();
    SetRect(NRect(NClampCoordinate(int32_t(position.fX) + origin.fX), NClampCoordinate(int32_t(position.fY) + origin.fY),
                  bounds.fWidth, bounds.fHeight));
}

void NSprite::SetMirror(bool on)
{
    if (fMirror == on)
        return;
    NPoint position = Position();
    fMirror = on;
    fFrameChanged = true;
    PlaceFrame(position);
}

void NSprite::SetFlipVertically(bool on)
{
    if (fFlipVertically == on)
        return;
    NPoint position = Position();
    fFlipVertically = on;
    fFrameChanged = true;
    PlaceFrame(position);
}
