// The initials field: every character upper-cased, the whole text selected after each input.
#pragma once

#include "widgets/NEditor.h"

class KUpperEditor : public NEditor {
public:
    KUpperEditor() = default;
    ~KUpperEditor() override;

    // Editor operations
    bool AcceptChar(uint8_t& character) override;
    // Keys and characters: after a handled one, the text is selected so the next replaces it
    bool Char(const NInputEvent& event) override;
    bool KeyDown(const NInputEvent& event) override;
};
