// What makes drawing surfaces for canvas sprite sets (the canvas of a canvas sprite).
#pragma once

#include "geometry/NRect.h"

#include <cstdint>
#include <memory>

class NCanvasImage;
class NPalette;

class NCanvasMaker {
public:
    virtual ~NCanvasMaker();

    // Surfaces
    /// A surface of the size and depth, or null. The maker keeps the surface's bitmap and
    /// deletes it; the set that receives the image deletes the image object.
    virtual std::unique_ptr<NCanvasImage> CreateCanvas(NPoint size, int16_t depth, const NPalette* palette) = 0;
};
