// Frames of sprite sets.
#include "imaging/NSpFrame.h"

#include "imaging/NSpImage.h"

NSpFrame::NSpFrame() = default;

NSpFrame::~NSpFrame() = default;

NSpImage* NSpFrame::GetImage()
{
    return fImage;
}

const NSpImage* NSpFrame::GetImage() const
{
    return fImage;
}

NRect NSpFrame::GetBounds() const
{
    const NSpImage* image = GetImage();
    return image ? NRect(0, 0, image->Width(), image->Height()) : NRect();
}
