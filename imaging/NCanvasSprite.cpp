// Canvas sprites. The set owns the surface's image object and the canvas its bitmap, so the
// bitmap always goes first, while the image object that points at it is still alive.
#include "imaging/NCanvasSprite.h"

#include "imaging/NCanvasImage.h"

NCanvasSprite::NCanvasSprite()
    : fCanvas(std::make_unique<NCanvas>())
{
}

NCanvasSprite::~NCanvasSprite()
{
    SetVisible(false);
    if (NCanvasImage* surface = fCanvas->CurrentImage())
        fCanvas->DeleteCanvasImage(*surface);
    ReleaseSet();
}

bool NCanvasSprite::MakeCanvas(NPoint size, int16_t depth, const NPalette* palette)
{
    NCanvasImage* previous = fCanvas->CurrentImage();
    NVectorPtr<NSpSet> set(new NSpSet());
    bool made = set->MakeCanvasSet(NRect(0, 0, size.fX, size.fY), depth, palette, *fCanvas);
    if (previous)
        fCanvas->DeleteCanvasImage(*previous);
    if (made)
        AdoptSet(std::move(set));
    else
        ReleaseSet();
    return made;
}
