// A button with a value: checked when the value is 1.
#pragma once

#include "widgets/NBaseButton.h"

#include <cstdint>

class NBaseCheckButton : public NBaseButton {
public:
    NBaseCheckButton();
    ~NBaseCheckButton() override;

    // Button operations
    bool IsHighlightStart(int oldFrame, int newFrame) const override;
    bool IsHighlightEnd(int oldFrame, int newFrame) const override;

    /// Stores the value and refreshes the frame (hover look when the pointer is over it).
    void SetValue(int32_t value);
    int32_t Value() const { return fValue; }
    bool IsChecked() const { return fValue == 1; }
    /// Fired when the button is clicked, so that its group selects it.
    void SetGroupNotification(const NNotification& notification) { fGroupNotification = notification; }

protected:
    const char* UiKind() const override { return "check"; }
    bool UiSelected() const override { return IsChecked(); }
    const char* UiClassName() const override { return "NBaseCheckButton"; }

    int32_t fValue = 0;
    NNotification fGroupNotification;

private:
    bool IsHighlightFrame(int frame) const;
};
