// The demo's widget gallery: buttons, a radio group, a slider, a thermometer moved by a
// timer, and a single-line and a multi-line editor.
#pragma once

#include "framework/NPageData.h"
#include "framework/NPortHandle.h"
#include "imaging/NMemSprite.h"
#include "imaging/NSpText.h"
#include "widgets/NEditor.h"
#include "widgets/NRadioButton.h"
#include "widgets/NRadioGroup.h"
#include "widgets/NSlider.h"
#include "widgets/NTextButton.h"
#include "widgets/NThermometer.h"

#include <array>
#include <memory>
#include <string>

/// A thermometer that fills up step by step on its timer and starts again when full.
class KGalleryMeter : public NThermometer {
public:
    static constexpr uint32_t kPeriod = 100;
    static constexpr int32_t kStep = 2;

    void Animate() override;
};

class KGalleryData : public NPageData {
public:
    // What the gallery's buttons tell its port; the slider's code travels in the second
    // word of its reports.
    enum : int32_t {
        kEventOk = 40001,
        kEventCancel = 40002,
        kEventDisabled = 40003,
        kEventSlider = 40010,
    };

    /// lines > 0 fills the multi-line editor with that many numbered lines.
    KGalleryData(NPage& page, int32_t lines);
    ~KGalleryData() override;

    void Enter() override;
    bool HandleEvent(const NPortEvent& event) override;

    NEditor& MultiLine() { return fMulti; }

private:
    NSpText& Label(const std::string& text, int16_t x, int16_t y);
    void ShowStatus(const std::string& text);

    NPortHandle fPort;
    NMemSprite fBackground;
    std::array<NTextButton, 3> fButtons;
    NRadioGroup fGroup;
    std::array<NRadioButton, 3> fRadios;
    NSlider fSlider;
    KGalleryMeter fMeter;
    NEditor fSingle;
    NEditor fMulti;
    std::vector<std::unique_ptr<NSpText>> fLabels;
    NSpText* fStatus = nullptr;
    NSpText* fSliderValue = nullptr;
    int32_t fLines = 0;
};
