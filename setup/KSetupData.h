// The setup screen: the background, the title and one pane at a time, moved on by events 270-277.
#pragma once

#include "framework/NPageData.h"
#include "imaging/NJpegSprite.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpText.h"
#include "widgets/NTextButton.h"
#include "widgets/NThermometer.h"

#include <memory>
#include <string>
#include <vector>

// The setup page's events.
enum : int32_t {
    kSetupShowChoice = 270,
    kSetupInstall = 271,
    kSetupInstallTo = 272,
    kSetupShowSuccess = 273,
    kSetupShowFailure = 274,
    kSetupQuit = 275,
    kSetupRunNow = 276,
    kSetupToFront = 277,
};

/// One pane: a group in the band at (20, 310), 620 x 170, owning its texts and buttons.
class KSetupPane : public NSpGroup {
public:
    static constexpr int16_t kBandX = 20;
    static constexpr int16_t kBandY = 310;
    static constexpr int16_t kBandWidth = 620;
    static constexpr int16_t kBandHeight = 170;

    explicit KSetupPane(std::string name);
    ~KSetupPane() override;

    const std::string& Name() const { return fName; }
    /// A text from the string table at a place in the band.
    void AddText(int32_t textId, int32_t fontId, int16_t x, int16_t y, int32_t width);
    /// A button from "button.xps" whose click posts the event.
    NTextButton& AddButton(int32_t labelId, int32_t event, int16_t x, int16_t y);
    NThermometer* Thermometer() { return fThermometer.get(); }
    void AddProgress();

private:
    std::string fName;
    std::vector<std::unique_ptr<NSpText>> fTexts;
    std::vector<std::unique_ptr<NTextButton>> fButtons;
    std::unique_ptr<NSprite> fPicture;
    std::unique_ptr<NThermometer> fThermometer;
};

class KSetupData : public NPageData {
public:
    explicit KSetupData(NPage& page);
    ~KSetupData() override;

    void Enter() override;
    /// Events 270-277; false for any other.
    bool HandleSetupEvent(int32_t code);
    KSetupPane* Pane() { return fPane.get(); }

private:
    void ShowPane(std::unique_ptr<KSetupPane> pane);
    std::unique_ptr<KSetupPane> MakeChoice();
    std::unique_ptr<KSetupPane> MakeProgress();
    std::unique_ptr<KSetupPane> MakeMessage(bool success);
    void Snapshot();

    NJpegSprite fBackground;
    NSpText fTitle;
    std::unique_ptr<KSetupPane> fPane;
};
