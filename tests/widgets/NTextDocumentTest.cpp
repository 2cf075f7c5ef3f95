// Tests of the editor's document: wrapping, incremental re-wrapping and the undo snapshot.
#include "widgets/NTextDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

/// Every byte 10 pixels wide, breaks included; line breaks 0.
NCharWidths TenPixels()
{
    NCharWidths widths;
    widths.fill(10);
    widths['\n'] = 0;
    widths['\r'] = 0;
    return widths;
}

std::vector<int32_t> Starts(const NTextDocument& document)
{
    std::vector<int32_t> starts;
    for (int32_t line = 0; line < document.LineCount(); ++line)
        starts.push_back(document.LineStart(line));
    return starts;
}

/// The same text wrapped from scratch.
std::vector<int32_t> FreshStarts(const NTextDocument& document)
{
    NTextDocument fresh;
    fresh.SetLayout(document.IsMultiLine(), document.WrapWidth(), document.Widths());
    fresh.Replace(0, 0, document.Text());
    return Starts(fresh);
}

} // namespace

TEST(NTextDocumentTest, WordsWrapWholeAndLineBreaksEndLines)
{
    NTextDocument document;
    document.SetLayout(true, 100, TenPixels());   // ten bytes a line
    document.Replace(0, 0, "one two three four\r\nfive\rsix\n");
    // "one two " (the word "three" would reach 13 bytes), "three four\r\n" with its two-byte
    // break, "five\r", "six\n" and the empty last line.
    EXPECT_EQ(Starts(document), (std::vector<int32_t>{ 0, 8, 20, 25, 29 }));
    EXPECT_EQ(document.LineTextEnd(1), 18);
    EXPECT_EQ(document.LineCaretEnd(0), 7);   // wrapped: before its last byte
    EXPECT_EQ(document.LineCaretEnd(4), 29);
    EXPECT_EQ(document.LineOf(29), 4);
    EXPECT_EQ(document.LineOf(8), 1);

    // A word longer than the width is broken between bytes.
    document.Replace(0, document.Length(), std::string(25, 'x'));
    EXPECT_EQ(Starts(document), (std::vector<int32_t>{ 0, 10, 20 }));

    // A single-line document has one line, whatever it holds.
    NTextDocument single;
    single.SetLayout(false, 50, TenPixels());
    single.Replace(0, 0, "a b c d e f g h\nsecond");
    EXPECT_EQ(single.LineCount(), 1);
    EXPECT_EQ(single.LineEnd(0), single.Length());
}

TEST(NTextDocumentTest, AnEditReWrapsOnlyTheLinesItChanges)
{
    NTextDocument document;
    document.SetLayout(true, 200, TenPixels());
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "word" + std::to_string(i % 10) + " and more words here " + (i % 7 == 0 ? "\n" : "");
    document.Replace(0, 0, text);
    const int32_t lines = document.LineCount();
    ASSERT_GT(lines, 2000);

    // A character typed near the end, and one at the start of a paragraph: a few lines
    // are wrapped again, the rest are shifted, and the result equals a fresh wrap.
    for (int32_t at : { document.Length() - 30, 5, document.Length() / 2 }) {
        document.Replace(at, at, "Q");
        EXPECT_LE(document.LastRewrapped(), 4) << "at " << at;
        EXPECT_EQ(Starts(document), FreshStarts(document)) << "at " << at;
        document.Replace(at, at + 1, "");
        EXPECT_LE(document.LastRewrapped(), 4) << "at " << at;
        EXPECT_EQ(Starts(document), FreshStarts(document)) << "at " << at;
    }
    EXPECT_EQ(document.LineCount(), lines);

    // Joining two paragraphs and splitting a long word move every later line.
    int32_t at = int32_t(document.Text().find('\n'));
    document.Replace(at, at + 1, "");
    EXPECT_EQ(Starts(document), FreshStarts(document));
    document.Replace(3, 3, std::string(50, 'z'));
    EXPECT_EQ(Starts(document), FreshStarts(document));
    // Shortening a word that an earlier line measured whole lets it move up a line.
    document.Replace(3, 53, "");
    EXPECT_EQ(Starts(document), FreshStarts(document));
}

TEST(NTextDocumentTest, TheSnapshotSwapsWithTheCurrentStateSoASecondUndoRedoes)
{
    NTextDocument document;
    document.SetLayout(true, 100, TenPixels());
    document.Replace(0, 0, "before");
    document.SaveSnapshot(1, 3, 3);
    document.SetTypingRun(true);
    document.Replace(0, document.Length(), "after and much longer than ten bytes");
    int32_t start = 4;
    int32_t end = 4;
    int32_t anchor = 4;
    document.SwapSnapshot(start, end, anchor);
    EXPECT_EQ(document.Text(), "before");
    EXPECT_EQ(document.LineCount(), 1);
    EXPECT_EQ(start, 1);
    EXPECT_EQ(end, 3);
    EXPECT_EQ(anchor, 3);
    EXPECT_TRUE(document.SnapshotIsRedo());
    EXPECT_FALSE(document.InTypingRun());
    document.SwapSnapshot(start, end, anchor);
    EXPECT_EQ(document.Text(), "after and much longer than ten bytes");
    EXPECT_EQ(start, 4);
    EXPECT_FALSE(document.SnapshotIsRedo());
    document.DropSnapshot();
    EXPECT_FALSE(document.HasSnapshot());
}
