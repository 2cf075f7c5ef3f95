// The text editor: set-up, settings, text and selection, undo, focus and port events.
#include "widgets/NEditor.h"

#include "framework/NAppClock.h"
#include "framework/NClipboard.h"
#include "framework/NEventCodes.h"
#include "framework/NInputState.h"
#include "framework/NPointerPort.h"
#include "imaging/NCanvas.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"
#include "platform/NHostCodePage.h"
#include "widgets/NHighlight.h"
#include "widgets/NWidgetCodes.h"

#include <algorithm>
#include <new>

NEditor::NEditor()
    : NTabField(static_cast<NSpObject&>(*this))
    , fCanvas(std::make_unique<NCanvasSprite>())
    , fScrollBar(std::make_unique<NSlider>())
    , fCaretSprite(std::make_unique<NMemSprite>())
{
    fEditPort.AddListener(*this);
}

NEditor::~NEditor()
{
    if (fHighlighted) {
        fHighlighted = false;
        NHighlight::Send(kEventHighlightEnd, *this);
    }
    if (fSelecting) {
        if (const NPortHandle* port = NPointerPort::Get())
            port->RemoveListener(*this);
    }
    fEditPort.RemoveListener(*this);
}

void NEditor::SetUp(const NRect& rect, const NFont& font)
{
    SetRect(rect);
    AddChild(*fCanvas, 2);
    AddChild(*fCaretSprite, 1);
    fFont = font;
    MeasureFont();
    Relayout();
    RunTimer(kTimerPeriod, 0);
}

void NEditor::MeasureFont()
{
    NCanvas canvas;
    canvas.SetFont(fFont);
    fLineHeight = std::max<int32_t>(1, canvas.GetMetrics().fHeight);
    for (int c = 0; c < 256; ++c) {
        if (c == '\n' || c == '\r' || c == 0) {
            fWidths[size_t(c)] = 0;
            continue;
        }
        // Tabs are drawn as spaces.
        std::string glyph(1, char(c == '\t' ? ' ' : c));
        fWidths[size_t(c)] = canvas.MeasureText(glyph, NRect(0, 0, 0, 0), kAlignLeftTop, false, false).fWidth;
    }
    fStarWidths.fill(fWidths[kPasswordChar]);
    fStarWidths['\n'] = 0;
    fStarWidths['\r'] = 0;
}

int32_t NEditor::TextWidth() const
{
    int32_t width = LocalRect().fWidth;
    if (fScrollAttached)
        width -= fScrollBar->LocalRect().fWidth;
    return std::max<int32_t>(0, width);
}

int32_t NEditor::VisibleLines() const
{
    return std::max<int32_t>(1, LocalRect().fHeight / fLineHeight);
}

void NEditor::Relayout()
{
    const NRect& rect = LocalRect();
    NPoint size(NClampCoordinate(std::max(TextWidth(), int32_t(1))), NClampCoordinate(std::max<int32_t>(rect.fHeight, 1)));
    const NPalette* palette = NPaletteRegistry::The().GetScreenPalette();
    if (!fCanvas->CurrentImage() || fCanvas->CurrentImage()->Width() != size.fX || fCanvas->CurrentImage()->Height() != size.fY) {
        // Palette indexes straight onto an 8-bit surface: the colours are the program's
        // palette entries, and a quarter of the memory of a true-colour one.
        fCanvas->MakeCanvas(size, 8, palette);
        fCanvas->MoveTo(NPoint(0, 0));
    }
    if (!fCaretSprite->CurrentImage() || fCaretSprite->CurrentImage()->Height() != fLineHeight) {
        fCaretSprite->MakeMemory(NRect(0, 0, kCaretWidth, NClampCoordinate(fLineHeight)), 32, nullptr);
        fCaretSprite->CurrentImage()->FillRect(fCaretSprite->CurrentImage()->Bounds(), 0xFF000000);
        fCaretSprite->CurrentImage()->SetFlags(0);
        fCaretSprite->SetVisible(false);
    }
    fDocument.SetLayout(!fSingleLine, TextWidth(), fPassword ? fStarWidths : fWidths);
    fAnchor = std::min(fAnchor, fDocument.Length());
    fCaret = std::min(fCaret, fDocument.Length());
    ScrollToCaret();
    MarkDirty();
}

// Settings

void NEditor::SetReadOnly(bool on)
{
    fReadOnly = on;
    MarkDirty();
}

void NEditor::SetMultiLine(bool on)
{
    fSingleLine = !on;
    fScrollX = 0;
    Relayout();
}

void NEditor::SetPassword(bool on)
{
    fPassword = on;
    Relayout();
}

void NEditor::SetAlignment(int32_t alignment)
{
    fAlignment = alignment;
    ScrollToCaret();
    MarkDirty();
}

void NEditor::SetColors(uint8_t text, uint8_t background, uint8_t selectedText, uint8_t selectedBackground)
{
    fTextColor = text;
    fBackground = background;
    fSelectedText = selectedText;
    fSelectedBackground = selectedBackground;
    MarkDirty();
}

void NEditor::SetFont(const NFont& font)
{
    fFont = font;
    MeasureFont();
    fCaretSprite->ReleaseSet();
    Relayout();
}

bool NEditor::AttachScrollBar(const NFileSpec& less, const NFileSpec& more, const NFileSpec& thumb, int16_t width)
{
    const NRect& rect = LocalRect();
    bool made = fScrollBar->SetUp(NRect(NClampCoordinate(rect.fWidth - width), 0, width, rect.fHeight), less, more, thumb, kScrollTrack);
    fScrollBar->SetOwnerNotification(NNotification(fEditPort.Id(), NPortEvent(0), true));
    if (!fScrollAttached)
        AddChild(*fScrollBar, 0);
    fScrollAttached = true;
    Relayout();
    return made;
}

// Text and selection

std::string NEditor::SelectedText() const
{
    return Text().substr(size_t(SelectionStart()), size_t(SelectionEnd() - SelectionStart()));
}

void NEditor::SetText(const std::string& text)
{
    if (text == Text())
        return;
    fDocument.DropSnapshot();
    fDocument.Replace(0, fDocument.Length(), "");
    fAnchor = fCaret = 0;
    ReplaceSelection(text);
    fAnchor = fCaret = 0;
    fModified = false;
    fFirstLine = 0;
    fScrollX = 0;
    ScrollToCaret();
    MarkDirty();
}

bool NEditor::AcceptChar(uint8_t& character)
{
    if (character == '\r')
        return !fSingleLine;
    return character >= 32 && character != 127;
}

void NEditor::TooLong(int32_t)
{
}

void NEditor::SetSelection(int32_t anchor, int32_t caret)
{
    int32_t length = fDocument.Length();
    fAnchor = std::clamp(anchor, 0, length);
    fCaret = std::clamp(caret, 0, length);
    ScrollToCaret();
    MarkDirty();
}

void NEditor::Select(int32_t start, int32_t end)
{
    int32_t length = fDocument.Length();
    start = std::clamp(start, 0, length);
    end = std::clamp(end, start, length);
    SetSelection(start, end);
}

void NEditor::SelectAll()
{
    SetSelection(fDocument.Length(), 0);
}

void NEditor::MoveCaret(int32_t offset, bool extend)
{
    SetSelection(extend ? fAnchor : offset, offset);
}

void NEditor::ReplaceSelection(std::string bytes)
{
    int32_t start = SelectionStart();
    int32_t end = SelectionEnd();
    int32_t kept = fDocument.Length() - (end - start);
    if (fMaxLength > 0 && kept + int32_t(bytes.size()) > fMaxLength) {
        TooLong(start);
        bytes.resize(size_t(std::max(0, fMaxLength - kept)));
    }
    try {
        fDocument.Replace(start, end, bytes);
    } catch (const std::bad_alloc&) {
        return;   // nothing inserted
    }
    fAnchor = fCaret = start + int32_t(bytes.size());
    fModified = true;
    ScrollToCaret();
    MarkDirty();
}

void NEditor::Insert(const std::string& bytes)
{
    ReplaceSelection(bytes);
}

void NEditor::DeleteSelection()
{
    if (SelectionStart() == SelectionEnd())
        return;
    ReplaceSelection(std::string());
}

bool NEditor::CanUndo() const
{
    return fDocument.HasSnapshot() && IsVisible() && HasFocus();
}

void NEditor::Undo()
{
    int32_t start = SelectionStart();
    int32_t end = SelectionEnd();
    int32_t anchor = fAnchor;
    fDocument.SwapSnapshot(start, end, anchor);
    fAnchor = anchor;
    fCaret = anchor == start ? end : start;
    fModified = true;
    fColumn = kNoColumn;
    ScrollToCaret();
    MarkDirty();
}

void NEditor::BeginTyping()
{
    if (!fDocument.InTypingRun())
        fDocument.SaveSnapshot(SelectionStart(), SelectionEnd(), fAnchor);
    fDocument.SetTypingRun(true);
}

bool NEditor::HasFocus() const
{
    NInputState* input = NInputState::IfAlive();
    return input && input->Focus() == this;
}

void NEditor::Post(int32_t code, int32_t argument)
{
    if (fNotifyPort == 0)
        return;
    NPortEvent event(code, argument);
    event.fSource = Reference();
    NPortHandle::Post(fNotifyPort, event, 0);
}

// Focus

void NEditor::FocusGained()
{
    fDocument.DropSnapshot();
    if (fSingleLine && !fClickFocus)
        SelectAll();
    RestartBlink();
    MarkDirty();
}

void NEditor::FocusLost()
{
    fDocument.DropSnapshot();
    if (fSingleLine)
        SetSelection(0, 0);
    fCaretSprite->SetVisible(false);
    fCaretVisible = false;
    MarkDirty();
}

// Edit commands

bool NEditor::EditCommand(const NInputEvent& event)
{
    bool selection = SelectionStart() != SelectionEnd();
    NClipboard& clipboard = NClipboard::The();
    switch (event.fType) {
    case kInputCut:
        if (selection && !fReadOnly) {
            // Only text the clipboard took may leave the field.
            if (clipboard.SetText(fPassword ? std::string() : SelectedText())) {
                fDocument.SaveSnapshot(SelectionStart(), SelectionEnd(), fAnchor);
                fDocument.SetTypingRun(false);
                DeleteSelection();
            }
        }
        return true;
    case kInputCopy:
        if (selection)
            clipboard.SetText(fPassword ? std::string() : SelectedText());
        return true;
    case kInputPaste:
        if (!fReadOnly) {
            std::string text = clipboard.GetText();
            if (!text.empty()) {
                fDocument.SaveSnapshot(SelectionStart(), SelectionEnd(), fAnchor);
                fDocument.SetTypingRun(false);
                ReplaceSelection(text);
            }
        }
        return true;
    default:
        return false;
    }
}

void NEditor::GetEditState(NEditState& state)
{
    bool selection = SelectionStart() != SelectionEnd();
    state.fCut = selection && !fReadOnly;
    state.fCopy = selection;
    state.fPaste = !fReadOnly && !NClipboard::The().GetText().empty();
    state.fUndo = CanUndo();
    state.fUndoIsRedo = state.fUndo && fDocument.SnapshotIsRedo();
    state.fSelectAll = true;
}

// Port events

bool NEditor::HandleEvent(const NPortEvent& event)
{
    if (event.fCode == kEventPointerMoved) {
        if (!fSelecting)
            return false;
        auto* moved = event.ArgumentAs<NInputEventRef>();
        if (!moved)
            return false;
        const NRect& rect = Rect();
        MoveCaret(OffsetAt(moved->Event().fWhere.fX - rect.fX, moved->Event().fWhere.fY - rect.fY), true);
        return true;
    }
    if (event.fCode >= kEventSliderLineLess && event.fCode <= kEventSliderChanged && fScrollAttached) {
        fFirstLine = std::clamp(fScrollBar->Value(), 0, std::max(0, fDocument.LineCount() - 1));
        MarkDirty();
        return true;
    }
    return false;
}

bool NEditor::DescribeUi(NUiDescription& description) const
{
    description.kind = "editor";
    description.name = fUiName.empty() ? "NEditor" : fUiName;
    description.text = NHostCodePage::AnsiToUtf8(fPassword ? std::string(Text().size(), char(kPasswordChar)) : Text());
    description.enabled = TakesInput() && !fReadOnly;
    description.selected = SelectionStart() != SelectionEnd();
    description.focused = HasFocus();
    return true;
}
