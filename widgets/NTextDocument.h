// The editor's document: the text, its line table with word wrapping, and the undo snapshot.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// Pixel advances of the 256 byte values in the field's font.
using NCharWidths = std::array<int32_t, 256>;

/// The state one undo step restores: the text and the selection.
struct NTextSnapshot {
    std::string fText;
    int32_t fStart = 0;
    int32_t fEnd = 0;
    int32_t fAnchor = 0;
};

/// Knows nothing of fonts or drawing: lines are wrapped with a table of advances into a
/// width. After an edit only the lines from the one before the edit are wrapped again, until
/// a line starts where an old line started (shifted by the edit); the later starts are
/// shifted, not recomputed.
class NTextDocument {
public:
    NTextDocument();

    static bool IsBreak(uint8_t c) { return c == 9 || c == 10 || c == 13 || c == 32 || c == 160; }

    // Layout
    /// Single-line documents have exactly one line; multi-line ones wrap into width.
    void SetLayout(bool multiLine, int32_t width, const NCharWidths& widths);
    bool IsMultiLine() const { return fMultiLine; }
    int32_t WrapWidth() const { return fWidth; }
    const NCharWidths& Widths() const { return fWidths; }
    void RewrapAll();

    // Text
    const std::string& Text() const { return fText; }
    int32_t Length() const { return int32_t(fText.size()); }
    /// Replaces the bytes from start to end with bytes and re-wraps what changed.
    void Replace(int32_t start, int32_t end, std::string_view bytes);

    // Lines
    int32_t LineCount() const { return int32_t(fStarts.size()); }
    int32_t LineStart(int32_t line) const { return fStarts[size_t(line)]; }
    /// Where the next line starts (the text length for the last line).
    int32_t LineEnd(int32_t line) const;
    /// The line's end without its final line break (carriage return, line feed or both).
    int32_t LineTextEnd(int32_t line) const;
    /// The last place on the line a caret can stand without showing on the next line: the
    /// text end, before a hard line break, or before the last byte of a wrapped line.
    int32_t LineCaretEnd(int32_t line) const;
    /// The line a byte offset is on: the last line starting at or before it.
    int32_t LineOf(int32_t offset) const;
    /// Pixel width of the bytes from start to end.
    int32_t Width(int32_t start, int32_t end) const;
    /// Lines re-wrapped by the last edit (for measurements).
    int32_t LastRewrapped() const { return fLastRewrapped; }

    // Undo: one snapshot, which an undo swaps with the current state
    void SaveSnapshot(int32_t start, int32_t end, int32_t anchor);
    void DropSnapshot();
    bool HasSnapshot() const { return fSnapshotValid; }
    bool SnapshotIsRedo() const { return fSnapshotIsRedo; }
    bool InTypingRun() const { return fTypingRun; }
    void SetTypingRun(bool on) { fTypingRun = on; }
    /// Swaps text and selection with the snapshot and re-wraps everything.
    void SwapSnapshot(int32_t& start, int32_t& end, int32_t& anchor);

private:
    /// Where the line that starts at start ends (the next line's start), wrapping into the width.
    int32_t NextLineStart(int32_t start) const;
    bool EndsWithBreak() const;

    std::string fText;
    std::vector<int32_t> fStarts;   // one entry per line
    bool fMultiLine = false;
    int32_t fWidth = 0;
    NCharWidths fWidths {};
    int32_t fLastRewrapped = 0;

    NTextSnapshot fSnapshot;
    bool fSnapshotValid = false;
    bool fTypingRun = false;
    bool fSnapshotIsRedo = false;
};
