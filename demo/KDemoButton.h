// The demo's button: a sprite from a file that reacts to clicks and keys.
#pragma once

#include "imaging/NSprite.h"

#include <functional>

/// A click shows the other frame; the arrow keys move it; characters go to whoever listens.
class KDemoButton : public NSprite {
public:
    KDemoButton();
    ~KDemoButton() override;

    bool MouseDown(const NInputEvent& event) override;
    bool MouseUp(const NInputEvent& event) override;
    bool KeyDown(const NInputEvent& event) override;
    bool Char(const NInputEvent& event) override;

    std::function<void()> fClicked;
    std::function<void(uint8_t)> fTyped;
    /// Every key pressed, with the framework's key code.
    std::function<void(int32_t)> fKeyed;
    int32_t Clicks() const { return fClicks; }

private:
    int32_t fClicks = 0;
};
