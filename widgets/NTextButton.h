// A push button with a text label on top that follows the button's state.
#pragma once

#include "imaging/NFont.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSpText.h"
#include "storage/NFileSpec.h"
#include "widgets/NButton.h"

#include <cstdint>
#include <memory>
#include <string>

/// The label is centred over the button and moves by the press shift in pressed frames.
/// A label with a colour is drawn smoothed and recoloured in place, which keeps its soft
/// edges; without one it is drawn unsmoothed in black.
class NTextButton : public NSpGroup {
public:
    static constexpr uint8_t kLabelDrawIndex = 249;   // drawn in this, then recoloured
    static constexpr uint8_t kLabelBlackIndex = 10;   // the palette's black for labels without colours
    static constexpr uint32_t kBlack = 0xFF000000;   // the look of labels without a colour
    static constexpr uint32_t kColorMask = 0xFFFFFF;   // recolouring keeps the alpha
    static constexpr NPoint kPressShift { 2, 2 };

    NTextButton();
    ~NTextButton() override;

    /// Makes the button from the sprite set at where (relative to the parent) and renders
    /// the label. normalColor and disabledColor are 0xAARRGGBB colours, 0 for none; font
    /// null takes the buttons' default font.
    bool Make(const NFileSpec& spec, NPoint where, const std::string& text, const NFont* font, uint32_t normalColor,
              int32_t smoothing, uint32_t disabledColor);
    void SetLabelOffset(NPoint offset);

    /// Called by the button on every frame change.
    void ButtonFrameChanged(int frame);

    NButton& Button() { return *fButton; }
    NSpText& Label() { return *fLabel; }
    const std::string& Text() const { return fLabel->Text(); }
    bool IsDimmed() const { return fDimmed; }

private:
    void Recolor(uint32_t color);
    void PlaceLabel(bool pressed);

    std::unique_ptr<NButton> fButton;
    std::unique_ptr<NSpText> fLabel;
    std::unique_ptr<NSpGroup> fLabelGroup;
    NPoint fLabelOffset;
    NPoint fPressShift = kPressShift;
    bool fDimmed = false;
    bool fPressed = false;
    uint32_t fNormalColor = 0;
    uint32_t fDimmedColor = 0;
};
