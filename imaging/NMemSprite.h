// A sprite whose one-frame set lives in memory (MakeMemory).
#pragma once

#include "imaging/NSprite.h"

/// The base of sprites whose image the program fills itself: photos, text, drawings.
class NMemSprite : public NSprite {
public:
    NMemSprite();
    ~NMemSprite() override;
};
