// The initials field: every character upper-cased, the whole text selected after each input.
#pragma once

#include "widgets/NEditor.h"

class KUpperEditor : public NEditor {
public:
    KUpperEditor() = default;
    ~KUpperEditor() override;

    // Editor operations
    bool AcceptChar(uint8_t& character) override;
    // Input: after a handled one, the whole text is selected so the next key replaces it
    bool MouseUp(const NInputEvent& event) override;
    bool Char(const NInputEvent& event) override;
    bool KeyDown(const NInputEvent& event) override;
    bool EditCommand(const NInputEvent& event) override;
};
