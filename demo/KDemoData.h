// The demo screen: a background, moving balls, the button and two labels.
#pragma once

#include "demo/KDemoBall.h"
#include "demo/KDemoButton.h"
#include "framework/NPageData.h"
#include "imaging/NMemSprite.h"
#include "imaging/NSpText.h"

#include <memory>
#include <string>
#include <vector>

class KDemoData : public NPageData {
public:
    static constexpr int32_t kFramePeriod = 40;   // 25 frames a second

    explicit KDemoData(NPage& page);
    ~KDemoData() override;

    void Enter() override;

    /// Shows what another start of the program sent.
    void ShowReceived(const std::string& text);
    void ShowBackdropClicks(int32_t clicks);
    KDemoButton& Button() { return fButton; }

private:
    void Typed(uint8_t c);
    void UpdateStatus();

    NMemSprite fBackground;
    std::vector<std::unique_ptr<KDemoBall>> fBalls;
    KDemoButton fButton;
    NSpText fTyped;
    NSpText fStatus;
    NSpText fReceived;
    NSpText fBackdropLabel;
    NSpText fKeyLabel;
    std::string fTypedText;
};
