// The button state machine: input from the pointer and shortcuts becomes the next frame.
#pragma once

#include "framework/NNotification.h"
#include "imaging/NSpGroup.h"
#include "imaging/NSprite.h"
#include "storage/NFileSpec.h"

#include <array>
#include <cstdint>
#include <memory>

class NTextButton;

/// The frame the state sprite shows is the button's state; subclasses say which frame an
/// input leads to and which frame changes start or end a highlight. The button's own
/// disabled flag is not the node's enabled flag: a disabled button still swallows presses.
class NBaseButton : public NSpGroup {
public:
    static constexpr int kShortcutCount = 4;
    static constexpr uint8_t kNoShortcut = 255;

    NBaseButton();
    /// Ends an announced highlight at once.
    ~NBaseButton() override;

    // Button operations
    /// Hiding a button whose highlight was announced ends the highlight at once.
    virtual void Show(bool on);
    virtual void ApplyInput(int32_t code);
    virtual int FrameForInput(int32_t code) = 0;
    virtual bool IsHighlightStart(int oldFrame, int newFrame) const = 0;
    virtual bool IsHighlightEnd(int oldFrame, int newFrame) const = 0;

    // Pointer and keys
    bool MouseDown(const NInputEvent& event) override;
    bool MouseUp(const NInputEvent& event) override;
    bool MouseEnter(const NInputEvent& event) override;
    bool MouseLeave(const NInputEvent& event) override;
    /// A focused button swallows keys and does nothing with them.
    bool Char(const NInputEvent& event) override;
    bool CharShortcut(const NInputEvent& event) override;
    bool KeyDown(const NInputEvent& event) override;
    bool KeyUp(const NInputEvent& event) override;
    bool KeyDownShortcut(const NInputEvent& event) override;
    void SetChildrenHit(bool on) override;

    // Test tools
    bool DescribeUi(NUiDescription& description) const override;

    /// Reads the frames from a sprite file; the button takes the size of frame 0 at where
    /// (relative to its parent). False when the file cannot be read.
    bool LoadSprites(const NFileSpec& spec, NPoint where);
    /// The child that shows the current frame, made on first use.
    NSprite& StateSprite();
    int Frame() const { return fState ? fState->CurrentIndex() : 0; }
    int FrameCount() const;

    void Enable(bool on);
    bool IsDisabled() const { return fDisabled; }
    /// Keyboard activation: true when the button is enabled and took it.
    bool Click();

    void SetNotification(const NNotification& notification) { fNotification = notification; }
    const NNotification& Notification() const { return fNotification; }
    /// Up to four characters (compared upper-cased) and four key codes; 255 or missing
    /// entries mean none.
    void SetShortcuts(std::array<uint8_t, kShortcutCount> characters, std::array<uint8_t, kShortcutCount> keys);
    void SetShortcutsOn(bool on) { fShortcutsOn = on; }
    bool IsHighlighted() const { return fHighlighted; }
    void SetLabel(NTextButton* label) { fLabel = label; }
    /// The name the UI dump shows: the sprite file, else the class name.
    void SetUiName(const std::string& name) { fUiName = name; }

protected:
    /// Fires the click notification with the button as source.
    void FireClick();
    /// The UI dump's kind and selected state of the concrete button.
    virtual const char* UiKind() const { return "button"; }
    virtual bool UiSelected() const { return false; }
    virtual const char* UiClassName() const = 0;

    NNotification fNotification;

private:
    bool MatchesShortcut(const NInputEvent& event, const std::array<uint8_t, kShortcutCount>& table, uint8_t value);

    std::unique_ptr<NSprite> fState;
    bool fDisabled = false;
    bool fShortcutsOn = true;
    bool fHighlighted = false;
    std::array<uint8_t, kShortcutCount> fShortcutChars { kNoShortcut, kNoShortcut, kNoShortcut, kNoShortcut };
    std::array<uint8_t, kShortcutCount> fShortcutKeys { kNoShortcut, kNoShortcut, kNoShortcut, kNoShortcut };
    NTextButton* fLabel = nullptr;
    std::string fUiName;
};
