// A group of radio buttons that keeps exactly one of them selected.
#pragma once

#include "framework/NPortHandle.h"
#include "framework/NPortListener.h"
#include "imaging/NSpGroup.h"

#include <cstdint>

class NRadioButton;

/// Buttons tell the group through its port that they were clicked; a program pre-selects
/// one by sending the same event itself.
class NRadioGroup : public NSpGroup, public NPortListener {
public:
    NRadioGroup();
    ~NRadioGroup() override;

    bool HandleEvent(const NPortEvent& event) override;

    /// Adds the button as a child and makes it notify the group when clicked.
    void AddRadioButton(NRadioButton& button, int32_t priority);
    /// Sends the selection event for the button, as its click does.
    void Select(NRadioButton& button);
    NRadioButton* Selected() const;
    const NPortHandle& Port() const { return fPort; }

private:
    NPortHandle fPort;
    Guard fSelected;
};
