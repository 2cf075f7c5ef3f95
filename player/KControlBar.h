// The show's control bar: the player's buttons on their plate at the bottom of the screen.
#pragma once

#include "imaging/NSpGroup.h"
#include "imaging/NSprite.h"
#include "imaging/NSpText.h"
#include "storage/NFileSpec.h"
#include "widgets/NButton.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

/// Each button posts its event (KPlayerCodes.h) on the port it was made with; the pause
/// and play buttons share a place and one of them is shown at a time. Buttons that lead
/// nowhere (back on the first slide) are disabled.
class KControlBar : public NSpGroup {
public:
    enum Button { kFirst, kPrevious, kPause, kPlay, kNext, kLast, kFullScreen, kQuit, kButtonCount };

    static constexpr int16_t kWidth = 356;
    static constexpr int16_t kHeight = 52;

    KControlBar();
    ~KControlBar() override;

    /// Loads the plate and the buttons from the sprites folder and places the bar with its
    /// bottom edge `margin` above the bottom of a screen of the given size. False when any
    /// of the art is missing (the bar then holds what it could load).
    bool Make(const NFDirSpec& sprites, uint32_t port, int16_t screenWidth, int16_t screenHeight, int16_t margin);
    /// Play shows in place of pause while paused; the moves that lead nowhere are disabled.
    void Update(bool paused, bool atFirst, bool atLast);
    NButton& ButtonAt(Button which) { return *fButtons[size_t(which)]; }
    /// The bar's place on the screen.
    NRect ScreenRect() const { return fPlace; }

private:
    /// Pause or play, in their shared place.
    void ShowOne(Button which);

    NSprite fPlate;
    std::array<std::unique_ptr<NButton>, kButtonCount> fButtons;
    NRect fPlace;
};
