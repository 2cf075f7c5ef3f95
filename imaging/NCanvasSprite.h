// A sprite that owns a canvas and shows the canvas's drawing surface.
#pragma once

#include "imaging/NCanvas.h"
#include "imaging/NSprite.h"

#include <memory>

/// Draw into Canvas() and call MarkChanged; the surface is the sprite's one image.
class NCanvasSprite : public NSprite {
public:
    NCanvasSprite();
    /// Releases the set (which destroys the image object) before the canvas deletes the
    /// surface's bitmap, then the canvas.
    ~NCanvasSprite() override;

    /// A new one-frame set whose image is a surface of the size made by the canvas; false
    /// when the canvas cannot make one (the sprite is then empty at its position).
    bool MakeCanvas(NPoint size, int16_t depth, const NPalette* palette);

    NCanvas& Canvas() { return *fCanvas; }

private:
    std::unique_ptr<NCanvas> fCanvas;
};
