// The text-entry field: single- or multi-line, with caret, selection, undo, clipboard and scroll bar.
#pragma once

#include "framework/NPortHandle.h"
#include "framework/NPortListener.h"
#include "imaging/NCanvasSprite.h"
#include "imaging/NFont.h"
#include "imaging/NMemSprite.h"
#include "imaging/NSpGroup.h"
#include "widgets/NSlider.h"
#include "widgets/NTabField.h"
#include "widgets/NTextDocument.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

// Alignment of the lines in the field.
enum : int32_t {
    kEditorAlignLeft = 3,
    kEditorAlignRight = 4,
    kEditorAlignCentre = 5,
};

/// The document holds the text, the lines and the undo snapshot; the editor holds the
/// selection (anchor and caret), the view (first line, horizontal offset) and draws into its
/// canvas sprite when something changed. Offsets are bytes of Windows-1252 text.
class NEditor : public NSpGroup, public NPortListener, public NTabField {
public:
    static constexpr int32_t kNoColumn = -888;
    static constexpr uint32_t kBlinkMilliseconds = 250;
    // The node's timer serves only the blink (drawing happens when the tree collects its
    // changes), so an idle field wakes the program four times a second, not forty.
    static constexpr uint32_t kTimerPeriod = kBlinkMilliseconds;
    static constexpr int32_t kCapacitySlack = 30;
    static constexpr int16_t kCaretWidth = 1;
    static constexpr uint8_t kPasswordChar = '*';
    static constexpr uint32_t kScrollTrack = 0xFFD4D0C8;   // the scroll bar's track on a true-colour surface

    NEditor();
    ~NEditor() override;

    // Editor operations
    virtual void SetText(const std::string& text);
    /// May change the character (a subclass may upper-case it); false refuses it.
    virtual bool AcceptChar(uint8_t& character);
    /// An insertion was cut short at position by the maximum length.
    virtual void TooLong(int32_t position);

    // Sprite node
    void Animate() override;
    void CollectChanges(NSpChangeGrid& grid) override;
    bool DescribeUi(NUiDescription& description) const override;
    // Pointer
    bool Wheel(const NInputEvent& event) override;
    bool MouseDown(const NInputEvent& event) override;
    bool MouseUp(const NInputEvent& event) override;
    bool MouseEnter(const NInputEvent& event) override;
    bool MouseLeave(const NInputEvent& event) override;
    // Keys, characters and edit commands
    bool Char(const NInputEvent& event) override;
    bool KeyDown(const NInputEvent& event) override;
    bool EditCommand(const NInputEvent& event) override;
    void GetEditState(NEditState& state) override;
    // Focus
    void FocusLost() override;
    void FocusGained() override;
    // Port events: pointer moves while selecting, the scroll bar's changes
    bool HandleEvent(const NPortEvent& event) override;

    /// Places the field (relative to the parent) and makes its canvas and caret.
    void SetUp(const NRect& rect, const NFont& font);

    // Text and selection
    const std::string& Text() const { return fDocument.Text(); }
    std::string SelectedText() const;
    int32_t SelectionStart() const { return std::min(fAnchor, fCaret); }
    int32_t SelectionEnd() const { return std::max(fAnchor, fCaret); }
    int32_t Anchor() const { return fAnchor; }
    /// Where the caret stands: the end of the selection away from the anchor.
    int32_t Caret() const { return fCaret; }
    int32_t CaretLine() const { return fDocument.LineOf(fCaret); }
    /// Clamps both ends; the caret goes to end.
    void Select(int32_t start, int32_t end);
    void SelectAll();
    /// Replaces the selection, cut to the maximum length.
    void Insert(const std::string& bytes);
    void DeleteSelection();
    bool CanUndo() const;
    void Undo();

    // Settings
    void SetReadOnly(bool on);
    void SetMultiLine(bool on);
    void SetPassword(bool on);
    void SetAlignment(int32_t alignment);
    void SetMaxLength(int32_t length) { fMaxLength = length; }
    void SetColors(uint8_t text, uint8_t background, uint8_t selectedText, uint8_t selectedBackground);
    void SetFont(const NFont& font);
    void SetNotificationPort(uint32_t port) { fNotifyPort = port; }
    void SetHighlightNotices(bool on) { fHighlightNotices = on; }
    void SetMouseEnabled(bool on) { fMouseEnabled = on; }
    /// Attaches a vertical scroll bar of the given width at the right edge.
    bool AttachScrollBar(const NFileSpec& less, const NFileSpec& more, const NFileSpec& thumb, int16_t width);
    void SetUiName(const std::string& name) { fUiName = name; }

    bool IsReadOnly() const { return fReadOnly; }
    bool IsMultiLine() const { return !fSingleLine; }
    bool IsModified() const { return fModified; }
    int32_t FirstVisibleLine() const { return fFirstLine; }
    int32_t LineHeight() const { return fLineHeight; }
    int32_t HorizontalOffset() const { return fScrollX; }
    bool IsCaretShown() const { return fCaretSprite && fCaretSprite->IsVisible(); }
    const NTextDocument& Document() const { return fDocument; }
    NSlider* ScrollBar() { return fScrollAttached ? fScrollBar.get() : nullptr; }
    NCanvasSprite& TextSprite() { return *fCanvas; }
    /// The text area's width: the field without the scroll bar.
    int32_t TextWidth() const;
    int32_t VisibleLines() const;
    /// The x of a byte offset on its line, in field coordinates (alignment and horizontal
    /// offset applied).
    int32_t XOf(int32_t offset) const;
    /// The byte offset nearest to a point in field coordinates.
    int32_t OffsetAt(int32_t x, int32_t y) const;

private:
    bool HasFocus() const;
    /// Moves the caret; with extend the anchor stays, else it follows.
    void MoveCaret(int32_t offset, bool extend);
    void SetSelection(int32_t anchor, int32_t caret);
    /// Saves the snapshot unless a typing run is open, and opens one.
    void BeginTyping();
    void ReplaceSelection(std::string bytes);
    void Post(int32_t code, int32_t argument);
    void Relayout();
    void MeasureFont();
    void ScrollToCaret();
    void RestartBlink();
    void MarkDirty();
    void DrawLines();
    /// Moves the caret sprite to the caret and shows it while it blinks on.
    void PlaceCaret();
    void DrawLine(int32_t line, int32_t y);
    int32_t LineX(int32_t line) const;
    void UpdateScrollBar();
    void SelectWordAt(int32_t offset);
    bool KeyMove(const NInputEvent& event);

    std::unique_ptr<NCanvasSprite> fCanvas;
    std::unique_ptr<NSlider> fScrollBar;
    bool fScrollAttached = false;
    NPortHandle fEditPort;
    std::unique_ptr<NMemSprite> fCaretSprite;
    bool fCaretVisible = false;
    uint32_t fNextBlink = 0;
    NFont fFont;
    NCharWidths fWidths {};
    NCharWidths fStarWidths {};
    uint8_t fTextColor = 10;
    uint8_t fBackground = 245;
    uint8_t fSelectedText = 245;
    uint8_t fSelectedBackground = 10;
    NTextDocument fDocument;
    int32_t fAnchor = 0;
    int32_t fCaret = 0;
    int32_t fFirstLine = 0;
    int32_t fLineHeight = 1;
    bool fReadOnly = false;
    bool fMouseEnabled = true;
    bool fSingleLine = true;
    bool fModified = false;
    bool fPassword = false;
    bool fHighlightNotices = false;
    bool fHighlighted = false;
    bool fSelecting = false;
    bool fClickFocus = false;   // taking the focus by a click: no select-all
    bool fDirty = true;
    int32_t fMaxLength = 0;
    int32_t fAlignment = kEditorAlignLeft;
    int32_t fColumn = kNoColumn;
    uint32_t fNotifyPort = 0;
    int32_t fScrollX = 0;
    std::string fUiName;
};
