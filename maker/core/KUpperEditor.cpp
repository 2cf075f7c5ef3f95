// The initials field: every character upper-cased, the whole text selected after each input.
#include "maker/core/KUpperEditor.h"

#include "platform/NHostCodePage.h"

KUpperEditor::~KUpperEditor() = default;

bool KUpperEditor::AcceptChar(uint8_t& character)
{
    character = static_cast<uint8_t>(NHostCodePage::FoldUpper(static_cast<char>(character)));
    return NEditor::AcceptChar(character);
}

bool KUpperEditor::MouseUp(const NInputEvent& event)
{
    bool handled = NEditor::MouseUp(event);
    if (handled)
        SelectAll();
    return handled;
}

bool KUpperEditor::Char(const NInputEvent& event)
{
    bool handled = NEditor::Char(event);
    if (handled)
        SelectAll();
    return handled;
}

bool KUpperEditor::KeyDown(const NInputEvent& event)
{
    bool handled = NEditor::KeyDown(event);
    if (handled)
        SelectAll();
    return handled;
}

bool KUpperEditor::EditCommand(const NInputEvent& event)
{
    bool handled = NEditor::EditCommand(event);
    if (handled)
        SelectAll();
    return handled;
}
