// The welcome screen: continue or quit, the studio's line at the foot.
#pragma once

#include "maker/KSpGroup.h"

class KWelcomeGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return "welcome"; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override;
};
