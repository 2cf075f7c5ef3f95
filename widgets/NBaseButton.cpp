// The button state machine and its input handling.
#include "widgets/NBaseButton.h"

#include "framework/NInputState.h"
#include "platform/NHostCodePage.h"
#include "widgets/NHighlight.h"
#include "widgets/NTextButton.h"
#include "widgets/NWidgetCodes.h"

#include <cctype>

NBaseButton::NBaseButton() = default;

NBaseButton::~NBaseButton()
{
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Send(kEventHighlightEnd, *this);
    }
}

void NBaseButton::Show(bool on)
{
    if (!on && fHighlighted) {
        fHighlighted = false;
        NHighlight::Send(kEventHighlightEnd, *this);
    }
    SetVisible(on);
}

void NBaseButton::ApplyInput(int32_t code)
{
    int oldFrame = Frame();
    int newFrame = FrameForInput(code);
    if (IsHighlightStart(oldFrame, newFrame)) {
        if (fHighlighted)
            NHighlight::Post(kEventHighlightEnd, *this);
        NHighlight::Post(kEventHighlightStart, *this);
        fHighlighted = true;
    }
    if (IsHighlightEnd(oldFrame, newFrame) && fHighlighted) {
        NHighlight::Post(kEventHighlightEnd, *this);
        fHighlighted = false;
    }
    StateSprite().ShowFrame(newFrame);
    if (fLabel)
        fLabel->ButtonFrameChanged(newFrame);
}

bool NBaseButton::MouseDown(const NInputEvent&)
{
    if (!fDisabled) {
        ApplyInput(kButtonInputPress);
        NInputState::The().TakeFocus(*this, false);
    }
    return true;
}

bool NBaseButton::MouseUp(const NInputEvent& event)
{
    if (fDisabled) {
        ApplyInput(kButtonInputDisable);
        return true;
    }
    // A click may lead its receiver to destroy the button.
    Guard self(this);
    ApplyInput(Rect().Contains(event.fWhere) ? kButtonInputClick : kButtonInputLeave);
    if (self)
        NInputState::The().RemoveFromFocusHistory(*this);
    return true;
}

bool NBaseButton::MouseEnter(const NInputEvent&)
{
    if (!fDisabled)
        ApplyInput(HoldsPointer() ? kButtonInputReenter : kButtonInputHover);
    return true;
}

bool NBaseButton::MouseLeave(const NInputEvent&)
{
    if (!fDisabled)
        ApplyInput(HoldsPointer() ? kButtonInputDragOff : kButtonInputLeave);
    return true;
}

bool NBaseButton::Char(const NInputEvent&)
{
    return NInputState::The().Focus() == this;
}

bool NBaseButton::KeyDown(const NInputEvent&)
{
    return NInputState::The().Focus() == this;
}

bool NBaseButton::KeyUp(const NInputEvent&)
{
    return NInputState::The().Focus() == this;
}

bool NBaseButton::MatchesShortcut(const NInputEvent& event, const std::array<uint8_t, kShortcutCount>& table, uint8_t value)
{
    if (!fShortcutsOn && !(event.fFlags & kInputShortcut))
        return false;
    if (value == kNoShortcut)
        return false;
    for (uint8_t entry : table) {
        if (entry == value)
            return true;
    }
    return false;
}

bool NBaseButton::CharShortcut(const NInputEvent& event)
{
    auto upper = uint8_t(NHostCodePage::FoldUpper(char(event.fChar)));
    return MatchesShortcut(event, fShortcutChars, upper) && Click();
}

bool NBaseButton::KeyDownShortcut(const NInputEvent& event)
{
    if (event.fKey < 0 || event.fKey >= kNoShortcut)
        return false;
    return MatchesShortcut(event, fShortcutKeys, uint8_t(event.fKey)) && Click();
}

void NBaseButton::SetChildrenHit(bool on)
{
    NSpGroup::SetChildrenHit(on);
    StateSprite().SetChildrenHit(on);
}

bool NBaseButton::DescribeUi(NUiDescription& description) const
{
    description.kind = UiKind();
    if (!fUiName.empty())
        description.name = fUiName;
    else if (fState && fState->Set() && !fState->Set()->Spec().Name().empty())
        description.name = fState->Set()->Spec().Name();
    else
        description.name = UiClassName();
    if (fLabel)
        description.text = NHostCodePage::AnsiToUtf8(fLabel->Text());
    description.event = fNotification.IsSet() ? fNotification.Template().fCode : 0;
    description.enabled = !fDisabled && TakesInput();
    description.selected = UiSelected();
    description.focused = NInputState::The().Focus() == this;
    return true;
}

bool NBaseButton::LoadSprites(const NFileSpec& spec, NPoint where)
{
    NSprite& sprite = StateSprite();
    bool loaded = sprite.LoadSpriteFile(spec);
    sprite.ShowFrame(0);
    sprite.MoveTo(NPoint(0, 0));
    const NRect& frame = sprite.LocalRect();
    SetRect(NRect(where.fX, where.fY, frame.fWidth, frame.fHeight));
    sprite.SetRect(NRect(0, 0, frame.fWidth, frame.fHeight));
    return loaded;
}

NSprite& NBaseButton::StateSprite()
{
    if (!fState) {
        fState = std::make_unique<NSprite>();
        AddChild(*fState, 0);
        fState->SetRect(NRect(0, 0, 0, 0));
    }
    return *fState;
}

int NBaseButton::FrameCount() const
{
    return fState && fState->Set() ? fState->Set()->FrameCount() : 0;
}

void NBaseButton::Enable(bool on)
{
    if (fDisabled == !on)
        return;
    fDisabled = !on;
    if (fDisabled)
        ApplyInput(kButtonInputDisable);
    else
        ApplyInput(IsInside() ? kButtonInputHover : kButtonInputEnable);
}

bool NBaseButton::Click()
{
    if (fDisabled)
        return false;
    ApplyInput(kButtonInputKeyboard);
    return true;
}

void NBaseButton::SetShortcuts(std::array<uint8_t, kShortcutCount> characters, std::array<uint8_t, kShortcutCount> keys)
{
    for (uint8_t& c : characters) {
        if (c != kNoShortcut)
            c = uint8_t(NHostCodePage::FoldUpper(char(c)));
    }
    fShortcutChars = characters;
    fShortcutKeys = keys;
}

void NBaseButton::FireClick()
{
    if (!fNotification.IsSet())
        return;
    fNotification.SetSource(Reference());
    fNotification.Fire();
}
