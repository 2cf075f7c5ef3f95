// The quit screen: the free offer or quit.
#pragma once

#include "maker/KSpGroup.h"

class KQuitGroup : public KSpGroup {
public:
    const char* ScreenName() const override { return "quit"; }

protected:
    void BuildSprites() override;
    std::string BackgroundName() const override { return "quitbg.jpg"; }
};
