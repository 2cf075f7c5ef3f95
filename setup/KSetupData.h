// The setup screen: the background, the title and one pane at a time.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NMemSprite.h"
#include "imaging/NSpText.h"

class KSetupData : public NPageData {
public:
    explicit KSetupData(NPage& page);
    ~KSetupData() override;

    void Enter() override;

private:
    NMemSprite fBackground;
    NSpText fTitle;
};
