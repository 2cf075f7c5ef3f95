// One frame of a sprite set: an image and where it lies relative to the sprite.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>

class NSpImage;

class NSpFrame {
public:
    static constexpr int32_t kNoImage = -1;

    NSpFrame();
    virtual ~NSpFrame();

    // Image
    virtual NSpImage* GetImage();
    virtual const NSpImage* GetImage() const;
    /// (0, 0, image width, image height); empty without an image.
    virtual NRect GetBounds() const;

    int32_t fImageIndex = kNoImage;
    int32_t fReserved = kNoImage;   // kept from the file, -1 for frames made in memory
    NPoint fOffset;
    NSpImage* fImage = nullptr;     // resolved from the index once the set is complete
};
