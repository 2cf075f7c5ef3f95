// The text editor's input: keys, characters and the mouse.
#include "widgets/NEditor.h"

#include "framework/NInputState.h"
#include "framework/NPointerPort.h"
#include "widgets/NHighlight.h"
#include "widgets/NWidgetCodes.h"

#include <algorithm>
#include <cctype>

static bool IsWordByte(uint8_t c)
{
    // Letters (also the accented ones of the code page), digits, "." and "_".
    return std::isalnum(c) || c == '.' || c == '_' || (c >= 192 && c != 215 && c != 247);
}

bool NEditor::KeyDown(const NInputEvent& event)
{
    // Keys the field does not handle (Shift itself among them) keep the column that
    // vertical moves return to.
    bool handled = KeyMove(event);
    if (handled && event.fKey != kKeyUp && event.fKey != kKeyDown)
        fColumn = kNoColumn;
    return handled;
}

bool NEditor::KeyMove(const NInputEvent& event)
{
    int32_t key = event.fKey;
    bool shift = (event.fFlags & kInputShift) != 0;
    switch (key) {
    case kKeyEscape:
        if (CanUndo())
            Undo();
        return false;   // the window may still want Escape
    case kKeyDelete:
        if (fReadOnly)
            return false;
        Post(kEventEditorChar, kKeyDelete);
        BeginTyping();
        if (SelectionStart() == SelectionEnd() && fCaret < fDocument.Length())
            fCaret = (fAnchor = fCaret) + 1;   // the byte after, without scrolling to it
        DeleteSelection();
        return true;
    case kKeyHome:
    case kKeyEnd: {
        if (fReadOnly || fDocument.Length() == 0)
            return false;
        fDocument.SetTypingRun(false);
        int32_t line = fDocument.LineOf(fCaret);
        MoveCaret(key == kKeyHome ? fDocument.LineStart(line) : fDocument.LineCaretEnd(line), shift);
        return true;
    }
    case kKeyLeft:
    case kKeyRight:
        if (fReadOnly)
            return key == kKeyLeft;
        fDocument.SetTypingRun(false);
        if (shift)
            MoveCaret(std::clamp(fCaret + (key == kKeyLeft ? -1 : 1), 0, fDocument.Length()), true);
        else if (SelectionStart() != SelectionEnd())
            MoveCaret(key == kKeyLeft ? SelectionStart() : SelectionEnd(), false);
        else
            MoveCaret(std::clamp(fCaret + (key == kKeyLeft ? -1 : 1), 0, fDocument.Length()), false);
        return true;
    case kKeyUp:
    case kKeyDown: {
        if (fSingleLine)
            return false;
        if (fReadOnly)
            return true;
        fDocument.SetTypingRun(false);
        if (fColumn == kNoColumn)
            fColumn = XOf(fCaret);
        int32_t line = fDocument.LineOf(fCaret) + (key == kKeyUp ? -1 : 1);
        if (line < 0 || line >= fDocument.LineCount())
            return true;
        int32_t y = (line - fFirstLine) * fLineHeight;
        MoveCaret(OffsetAt(fColumn, y), shift);
        return true;
    }
    default:
        return false;
    }
}

bool NEditor::Char(const NInputEvent& event)
{
    if (fReadOnly)
        return false;
    uint8_t character = event.fChar;
    bool handled = false;
    if (character == kKeyBackspace) {
        Post(kEventEditorChar, kKeyBackspace);
        BeginTyping();
        if (SelectionStart() == SelectionEnd() && fCaret > 0)
            fCaret = (fAnchor = fCaret) - 1;
        DeleteSelection();
        fColumn = kNoColumn;
        handled = true;
    } else {
        // In a window's tab order the tab key belongs to the window.
        bool refused = character == kKeyTab && Window() != nullptr;
        if (!refused && AcceptChar(character)) {
            if (character == '\r')
                character = '\n';
            Post(kEventEditorChar, character);
            BeginTyping();
            if (character != kKeyTab)
                ReplaceSelection(std::string(1, char(character)));
            fColumn = kNoColumn;
            handled = true;
        }
    }
    if (event.fChar == 3 || event.fChar == 10 || event.fChar == 13)
        Post(kEventEditorSpecialChar, event.fChar);
    return handled;
}

void NEditor::SelectWordAt(int32_t offset)
{
    const std::string& text = Text();
    int32_t start = offset;
    int32_t end = offset;
    while (start > 0 && IsWordByte(uint8_t(text[size_t(start) - 1])))
        --start;
    while (end < int32_t(text.size()) && IsWordByte(uint8_t(text[size_t(end)])))
        ++end;
    SetSelection(start, end);
}

bool NEditor::MouseDown(const NInputEvent& event)
{
    if (!fMouseEnabled)
        return false;
    if (!HasFocus()) {
        // A click places the caret: no select-all while the click takes the focus.
        fClickFocus = true;
        bool taken = NInputState::The().TakeFocus(*this, true);
        fClickFocus = false;
        if (!taken)
            return true;
    }
    // A double click selects a word, which a drag must not shrink again.
    const NPortHandle* port = NPointerPort::Get();
    if (port && !(event.fFlags & kInputDoubleClick) && !fSelecting) {
        port->AddListener(*this);
        fSelecting = true;
    }
    fDocument.SetTypingRun(false);
    fColumn = kNoColumn;
    const NRect& rect = Rect();
    int32_t offset = OffsetAt(event.fWhere.fX - rect.fX, event.fWhere.fY - rect.fY);
    if (event.fFlags & kInputDoubleClick)
        SelectWordAt(offset);
    else
        MoveCaret(offset, (event.fFlags & kInputShift) != 0);
    return true;
}

bool NEditor::MouseUp(const NInputEvent&)
{
    if (fSelecting) {
        fSelecting = false;
        if (const NPortHandle* port = NPointerPort::Get())
            port->RemoveListener(*this);
    }
    return true;
}

bool NEditor::Wheel(const NInputEvent& event)
{
    if (!fScrollAttached)
        return false;
    return fScrollBar->Wheel(event);
}

bool NEditor::MouseEnter(const NInputEvent&)
{
    if (fHighlightNotices && !fHighlighted) {
        fHighlighted = true;
        NHighlight::Post(kEventHighlightStart, *this);
    }
    return false;
}

bool NEditor::MouseLeave(const NInputEvent&)
{
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Post(kEventHighlightEnd, *this);
    }
    return false;
}
