// The text editor's view: scrolling, the caret and its blink, and drawing the visible lines.
#include "widgets/NEditor.h"

#include "framework/NAppClock.h"
#include "framework/NInputState.h"
#include "imaging/NCanvas.h"
#include "imaging/NCanvasImage.h"

#include <algorithm>

static bool Reached(uint32_t now, uint32_t deadline)
{
    return int32_t(now - deadline) >= 0;
}

int32_t NEditor::LineX(int32_t line) const
{
    int32_t x = 0;
    if (fAlignment != kEditorAlignLeft) {
        int32_t width = fDocument.Width(fDocument.LineStart(line), fDocument.LineTextEnd(line));
        int32_t room = TextWidth() - width;
        x = fAlignment == kEditorAlignRight ? room : room / 2;
    }
    return fSingleLine ? x - fScrollX : x;
}

int32_t NEditor::XOf(int32_t offset) const
{
    int32_t line = fDocument.LineOf(offset);
    return LineX(line) + fDocument.Width(fDocument.LineStart(line), offset);
}

int32_t NEditor::OffsetAt(int32_t x, int32_t y) const
{
    int32_t row = y >= 0 ? y / fLineHeight : -1 - (-y - 1) / fLineHeight;
    int32_t line = std::clamp(fFirstLine + row, 0, fDocument.LineCount() - 1);
    int32_t end = fDocument.LineCaretEnd(line);
    int32_t left = LineX(line);
    const std::string& text = Text();
    const NCharWidths& widths = fDocument.Widths();
    for (int32_t at = fDocument.LineStart(line); at < end; ++at) {
        int32_t advance = widths[uint8_t(text[size_t(at)])];
        // Exactly halfway or nearer the left boundary: the left one.
        if (2 * x <= 2 * left + advance)
            return at;
        left += advance;
    }
    return end;
}

void NEditor::ScrollToCaret()
{
    fFirstLine = std::clamp(fFirstLine, 0, std::max(0, fDocument.LineCount() - 1));
    if (!fSingleLine) {
        int32_t line = fDocument.LineOf(fCaret);
        int32_t visible = VisibleLines();
        while (line >= fFirstLine + visible)
            ++fFirstLine;
        while (line < fFirstLine)
            --fFirstLine;
    } else {
        int32_t width = TextWidth();
        int32_t caretX = XOf(fCaret) + fScrollX;   // without the offset
        if (caretX - fScrollX < 0) {
            fScrollX = std::max(0, fScrollX - width / 3);
            if (caretX - fScrollX < 0)
                fScrollX = 0;
        } else if (caretX - fScrollX + kCaretWidth > width) {
            // The caret itself must fit, not only its left edge.
            fScrollX = caretX - width + kCaretWidth;
        }
    }
    if (HasFocus() && SelectionStart() == SelectionEnd())
        RestartBlink();
    MarkDirty();
}

void NEditor::RestartBlink()
{
    fCaretVisible = true;
    fNextBlink = NAppClock::The().Cached() + kBlinkMilliseconds;
    // The timer's ticks fall on the blinks.
    RunTimer(kTimerPeriod, kBlinkMilliseconds);
    PlaceCaret();
}

void NEditor::MarkDirty()
{
    fDirty = true;
}

void NEditor::Animate()
{
    bool blinking = HasFocus() && SelectionStart() == SelectionEnd() && !fReadOnly;
    if (!blinking) {
        if (fCaretSprite->IsVisible())
            fCaretSprite->SetVisible(false);
        fCaretVisible = false;
        return;
    }
    uint32_t now = NAppClock::The().Cached();
    if (Reached(now, fNextBlink)) {
        fCaretVisible = !fCaretVisible;
        fNextBlink = now + kBlinkMilliseconds;
        PlaceCaret();
    }
}

void NEditor::CollectChanges(NSpChangeGrid& grid)
{
    RunTimerIfDue();
    if (fDirty)
        DrawLines();
    NSpGroup::CollectChanges(grid);
}

void NEditor::UpdateScrollBar()
{
    if (!fScrollAttached)
        return;
    fScrollBar->SetValue(fFirstLine);
    fScrollBar->SetRange(0, std::max(0, fDocument.LineCount() - VisibleLines()));
}

void NEditor::DrawLines()
{
    fDirty = false;
    NCanvas& canvas = fCanvas->Canvas();
    NCanvasImage* image = canvas.CurrentImage();
    if (image) {
        canvas.SetFont(fFont);
        canvas.SetColors(fTextColor, fBackground);
        canvas.FillBackground(NRect(0, 0, image->Width(), image->Height()));
        int32_t height = image->Height();
        for (int32_t line = fFirstLine; line < fDocument.LineCount(); ++line) {
            int32_t y = (line - fFirstLine) * fLineHeight;
            if (y >= height)
                break;
            DrawLine(line, y);
        }
        fCanvas->MarkChanged();
    }
    PlaceCaret();
    UpdateScrollBar();
}

void NEditor::PlaceCaret()
{
    int32_t x = XOf(fCaret);
    int32_t y = (fDocument.LineOf(fCaret) - fFirstLine) * fLineHeight;
    bool inView = x >= 0 && x < TextWidth() && y >= 0 && y < LocalRect().fHeight;
    bool show = fCaretVisible && inView && HasFocus() && SelectionStart() == SelectionEnd() && !fReadOnly;
    fCaretSprite->MoveTo(NPoint(NClampCoordinate(x), NClampCoordinate(y)));
    if (fCaretSprite->IsVisible() != show)
        fCaretSprite->SetVisible(show);
}

void NEditor::DrawLine(int32_t line, int32_t y)
{
    NCanvas& canvas = fCanvas->Canvas();
    const std::string& text = Text();
    int32_t start = fDocument.LineStart(line);
    int32_t end = fDocument.LineTextEnd(line);
    int32_t selStart = start;
    int32_t selEnd = start;
    if (HasFocus() && SelectionStart() != SelectionEnd()) {
        selStart = std::clamp(SelectionStart(), start, end);
        selEnd = std::clamp(SelectionEnd(), start, end);
    }
    int32_t x = LineX(line);
    int32_t width = TextWidth();
    auto segment = [&](int32_t from, int32_t to, bool selected) {
        if (to <= from)
            return;
        int32_t segmentWidth = fDocument.Width(from, to);
        if (x < width && x + segmentWidth > 0) {
            std::string shown = fPassword ? std::string(size_t(to - from), char(kPasswordChar))
                                          : text.substr(size_t(from), size_t(to - from));
            std::replace(shown.begin(), shown.end(), '\t', ' ');
            canvas.SetColors(selected ? fSelectedText : fTextColor, selected ? fSelectedBackground : fBackground);
            NRect rect(NClampCoordinate(x), NClampCoordinate(y), NClampCoordinate(segmentWidth), NClampCoordinate(fLineHeight));
            canvas.DrawText(shown, rect, kAlignLeftTop, false, !selected, false);
        }
        x += segmentWidth;
    };
    segment(start, selStart, false);
    segment(selStart, selEnd, true);
    segment(selEnd, end, false);
}
