// A ball that moves across the screen and bounces off its edges.
#pragma once

#include "imaging/NMemSprite.h"

class KDemoBall : public NMemSprite {
public:
    static constexpr int16_t kSize = 32;

    /// A ball of the palette colour at (x, y), moving (dx, dy) pixels per frame.
    KDemoBall(uint8_t color, int16_t x, int16_t y, int16_t dx, int16_t dy);
    ~KDemoBall() override;

    void Animate() override;

private:
    int16_t fDx;
    int16_t fDy;
};
