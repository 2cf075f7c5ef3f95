// The editor's document: text, line table and undo snapshot.
#include "widgets/NTextDocument.h"

#include <algorithm>

NTextDocument::NTextDocument()
    : fStarts { 0 }
{
}

void NTextDocument::SetLayout(bool multiLine, int32_t width, const NCharWidths& widths)
{
    fMultiLine = multiLine;
    fWidth = width;
    fWidths = widths;
    RewrapAll();
}

int32_t NTextDocument::LineEnd(int32_t line) const
{
    return line + 1 < LineCount() ? fStarts[size_t(line) + 1] : Length();
}

int32_t NTextDocument::LineTextEnd(int32_t line) const
{
    int32_t start = LineStart(line);
    int32_t end = LineEnd(line);
    if (end > start && fText[size_t(end) - 1] == '\n') {
        --end;
        if (end > start && fText[size_t(end) - 1] == '\r')
            --end;
    } else if (end > start && fText[size_t(end) - 1] == '\r') {
        --end;
    }
    return end;
}

int32_t NTextDocument::LineCaretEnd(int32_t line) const
{
    int32_t textEnd = LineTextEnd(line);
    if (line + 1 >= LineCount() || textEnd != LineEnd(line))
        return textEnd;   // the last line, or one ended by a line break
    return std::max(LineStart(line), textEnd - 1);
}

int32_t NTextDocument::LineOf(int32_t offset) const
{
    auto at = std::upper_bound(fStarts.begin(), fStarts.end(), offset);
    return std::max<int32_t>(0, int32_t(at - fStarts.begin()) - 1);
}

int32_t NTextDocument::Width(int32_t start, int32_t end) const
{
    int32_t width = 0;
    for (int32_t at = start; at < end; ++at)
        width += fWidths[uint8_t(fText[size_t(at)])];
    return width;
}

int32_t NTextDocument::NextLineStart(int32_t start) const
{
    const auto n = int32_t(fText.size());
    const auto* text = reinterpret_cast<const uint8_t*>(fText.data());
    int32_t at = start;
    int32_t lineWidth = 0;
    while (at < n) {
        int32_t wordStart = at;
        int32_t wordWidth = 0;
        while (at < n && !IsBreak(text[at]))
            wordWidth += fWidths[text[at++]];
        if (at > wordStart && lineWidth + wordWidth > fWidth) {
            if (wordStart != start)
                return wordStart;
            // Not even the first word fits: as many of its bytes as fit, at least one.
            int32_t width = 0;
            at = start;
            while (at < n && !IsBreak(text[at]) && width + fWidths[text[at]] <= fWidth)
                width += fWidths[text[at++]];
            return std::max(at, start + 1);
        }
        lineWidth += wordWidth;
        while (at < n && IsBreak(text[at])) {
            uint8_t c = text[at++];
            if (c == '\n')
                return at;
            if (c == '\r')
                return at < n && text[at] == '\n' ? at + 1 : at;
            lineWidth += fWidths[c];
        }
    }
    return n;
}

bool NTextDocument::EndsWithBreak() const
{
    return !fText.empty() && (fText.back() == '\n' || fText.back() == '\r');
}

void NTextDocument::RewrapAll()
{
    fStarts.assign(1, 0);
    fLastRewrapped = 1;
    if (!fMultiLine)
        return;
    const int32_t n = Length();
    int32_t start = 0;
    for (;;) {
        int32_t next = NextLineStart(start);
        ++fLastRewrapped;
        if (next >= n)
            break;
        fStarts.push_back(next);
        start = next;
    }
    if (n > 0 && EndsWithBreak())
        fStarts.push_back(n);
}

void NTextDocument::Replace(int32_t start, int32_t end, std::string_view bytes)
{
    start = std::clamp(start, 0, Length());
    end = std::clamp(end, start, Length());
    // The word the edit touches may have been measured whole by an earlier line (one that
    // did not take it), and a shorter first word may now fit on the line before: begin one
    // line before the one where that word starts.
    int32_t wordStart = start;
    while (wordStart > 0 && !IsBreak(uint8_t(fText[size_t(wordStart) - 1])))
        --wordStart;
    const int32_t firstOld = LineOf(wordStart);
    fText.replace(size_t(start), size_t(end - start), bytes);
    fLastRewrapped = 0;
    if (!fMultiLine)
        return;

    const int32_t delta = int32_t(bytes.size()) - (end - start);
    const int32_t changedEnd = start + int32_t(bytes.size());   // in the new text
    const int32_t n = Length();
    const int32_t first = std::max(0, firstOld - 1);
    std::vector<int32_t> fresh;
    int32_t lineStart = fStarts[size_t(first)];
    size_t resume = fStarts.size();   // index of the first old start kept (shifted)
    bool synced = false;
    for (;;) {
        int32_t next = NextLineStart(lineStart);
        ++fLastRewrapped;
        if (next >= n) {
            if (n > 0 && EndsWithBreak())
                fresh.push_back(n);
            break;
        }
        if (next >= changedEnd) {
            // From an old start on, the text and therefore its lines are the same as before.
            int32_t old = next - delta;
            auto from = fStarts.begin() + first + 1;
            auto at = std::lower_bound(from, fStarts.end(), old);
            if (at != fStarts.end() && *at == old && old >= end) {
                resume = size_t(at - fStarts.begin());
                synced = true;
                break;
            }
        }
        fresh.push_back(next);
        lineStart = next;
    }
    std::vector<int32_t> tail;
    if (synced) {
        tail.assign(fStarts.begin() + std::ptrdiff_t(resume), fStarts.end());
        for (int32_t& value : tail)
            value += delta;
    }
    fStarts.resize(size_t(first) + 1);
    fStarts.insert(fStarts.end(), fresh.begin(), fresh.end());
    fStarts.insert(fStarts.end(), tail.begin(), tail.end());
}

void NTextDocument::SaveSnapshot(int32_t start, int32_t end, int32_t anchor)
{
    fSnapshot.fText = fText;
    fSnapshot.fStart = start;
    fSnapshot.fEnd = end;
    fSnapshot.fAnchor = anchor;
    fSnapshotValid = true;
    fSnapshotIsRedo = false;
}

void NTextDocument::DropSnapshot()
{
    fSnapshotValid = false;
    fTypingRun = false;
    fSnapshotIsRedo = false;
    fSnapshot.fText.clear();
    fSnapshot.fText.shrink_to_fit();
}

void NTextDocument::SwapSnapshot(int32_t& start, int32_t& end, int32_t& anchor)
{
    std::swap(fText, fSnapshot.fText);
    std::swap(start, fSnapshot.fStart);
    std::swap(end, fSnapshot.fEnd);
    std::swap(anchor, fSnapshot.fAnchor);
    fSnapshotIsRedo = !fSnapshotIsRedo;
    fTypingRun = false;
    RewrapAll();
}
