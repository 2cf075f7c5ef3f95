// The play screen shown while the player opens the album.
#pragma once

#include "maker/KSpGroup.h"

class KPlayGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return "play"; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override { return "playBG.jpg"; }
};
