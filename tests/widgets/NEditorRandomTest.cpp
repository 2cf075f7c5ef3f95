// A randomized test of the editor against a plain model of its text, selection, view and undo.
#include "widgets/NEditor.h"

#include "framework/NClipboard.h"
#include "widgets/NWidgetCodes.h"
#include "tests/widgets/NWidgetTestSupport.h"

#include <cstdlib>
#include <random>
#include <sstream>

namespace {

constexpr uint32_t kDefaultSeed = 20261208;
constexpr int16_t kLeft = 100;
constexpr int16_t kTop = 100;

/// What the editor should hold, computed the plain way: every line table is wrapped from
/// scratch, every operation spelled out.
class NEditorModel {
public:
    NEditorModel(const NCharWidths& widths, bool multiLine, int32_t width, int32_t height, int32_t lineHeight, int32_t maxLength)
        : fWidths(widths), fMulti(multiLine), fWidth(width), fHeight(height), fLineHeight(lineHeight), fMax(maxLength)
    {
        Wrap();
    }

    // The model's state.
    std::string fText;
    int32_t fAnchor = 0;
    int32_t fCaret = 0;
    int32_t fFirst = 0;
    int32_t fScrollX = 0;
    int32_t fColumn = NEditor::kNoColumn;
    std::vector<int32_t> fStarts { 0 };
    std::string fUndoText;
    int32_t fUndoAnchor = 0;
    int32_t fUndoCaret = 0;
    bool fUndoValid = false;
    bool fTyping = false;
    std::string fClipboard;

    int32_t Start() const { return std::min(fAnchor, fCaret); }
    int32_t End() const { return std::max(fAnchor, fCaret); }
    int32_t Length() const { return int32_t(fText.size()); }
    int32_t LineOf(int32_t offset) const
    {
        int32_t line = 0;
        while (line + 1 < int32_t(fStarts.size()) && fStarts[size_t(line) + 1] <= offset)
            ++line;
        return line;
    }

    // Operations, as the editor's input performs them.
    void Typed(uint8_t c)
    {
        if (c == 8) {
            BeginTyping();
            if (Start() == End() && fCaret > 0) {
                fAnchor = fCaret;
                --fCaret;
            }
            Replace("");
        } else if ((c == '\r' && fMulti) || (c >= 32 && c != 127)) {
            BeginTyping();
            Replace(std::string(1, char(c == '\r' ? '\n' : c)));
        } else {
            return;
        }
        fColumn = NEditor::kNoColumn;
    }
    void Pressed(int32_t key, bool shift)
    {
        // Every handled key but the vertical ones forgets the column; Escape is not handled.
        if (key == kKeyLeft || key == kKeyRight || key == kKeyDelete || ((key == kKeyHome || key == kKeyEnd) && !fText.empty()))
            fColumn = NEditor::kNoColumn;
        switch (key) {
        case kKeyEscape:
            if (fUndoValid) {
                std::swap(fText, fUndoText);
                std::swap(fAnchor, fUndoAnchor);
                std::swap(fCaret, fUndoCaret);
                fTyping = false;
                fColumn = NEditor::kNoColumn;
                Wrap();
                Scroll();
            }
            break;
        case kKeyDelete:
            BeginTyping();
            if (Start() == End() && fCaret < Length()) {
                fAnchor = fCaret;
                ++fCaret;
            }
            Replace("");
            break;
        case kKeyHome:
        case kKeyEnd:
            if (fText.empty())
                break;
            fTyping = false;
            Move(key == kKeyHome ? fStarts[size_t(LineOf(fCaret))] : CaretEnd(LineOf(fCaret)), shift);
            break;
        case kKeyLeft:
        case kKeyRight: {
            fTyping = false;
            int32_t step = key == kKeyLeft ? -1 : 1;
            if (!shift && Start() != End())
                Move(key == kKeyLeft ? Start() : End(), false);
            else
                Move(std::clamp(fCaret + step, 0, Length()), shift);
            break;
        }
        case kKeyUp:
        case kKeyDown: {
            if (!fMulti)
                break;
            fTyping = false;
            if (fColumn == NEditor::kNoColumn)
                fColumn = XOf(fCaret);
            int32_t line = LineOf(fCaret) + (key == kKeyUp ? -1 : 1);
            if (line >= 0 && line < int32_t(fStarts.size()))
                Move(OffsetOnLine(line, fColumn), shift);
            break;
        }
        default:
            break;
        }
    }
    void Paste(const std::string& text)
    {
        fClipboard = text;
        if (text.empty())
            return;
        SaveUndo();
        Replace(text);
    }
    void Cut()
    {
        if (Start() == End())
            return;
        fClipboard = fText.substr(size_t(Start()), size_t(End() - Start()));
        SaveUndo();
        Replace("");
    }
    void Copy()
    {
        if (Start() != End())
            fClipboard = fText.substr(size_t(Start()), size_t(End() - Start()));
    }
    /// A press at a point of the field; a drag to a second point when given.
    void Clicked(int32_t x, int32_t y, bool shift, bool twice, const NPoint* dragTo)
    {
        fTyping = false;
        fColumn = NEditor::kNoColumn;
        int32_t offset = OffsetAt(x, y);
        if (twice) {
            int32_t start = offset;
            int32_t end = offset;
            while (start > 0 && IsWord(uint8_t(fText[size_t(start) - 1])))
                --start;
            while (end < Length() && IsWord(uint8_t(fText[size_t(end)])))
                ++end;
            fAnchor = start;
            fCaret = end;
            Scroll();
            return;
        }
        Move(offset, shift);
        if (dragTo)
            Move(OffsetAt(dragTo->fX, dragTo->fY), true);
    }

    int32_t XOf(int32_t offset) const
    {
        int32_t line = LineOf(offset);
        int32_t x = 0;
        for (int32_t at = fStarts[size_t(line)]; at < offset; ++at)
            x += W(at);
        return fMulti ? x : x - fScrollX;
    }

private:
    static bool IsWord(uint8_t c) { return std::isalnum(c) || c == '.' || c == '_' || (c >= 192 && c != 215 && c != 247); }
    static bool IsBreak(uint8_t c) { return c == 9 || c == 10 || c == 13 || c == 32 || c == 160; }
    int32_t W(int32_t at) const { return fWidths[uint8_t(fText[size_t(at)])]; }

    void BeginTyping()
    {
        if (!fTyping) {
            fUndoText = fText;
            fUndoAnchor = fAnchor;
            fUndoCaret = fCaret;
            fUndoValid = true;
        }
        fTyping = true;
    }
    void SaveUndo()
    {
        fUndoText = fText;
        fUndoAnchor = fAnchor;
        fUndoCaret = fCaret;
        fUndoValid = true;
        fTyping = false;
    }
    void Replace(std::string bytes)
    {
        int32_t kept = Length() - (End() - Start());
        if (fMax > 0 && kept + int32_t(bytes.size()) > fMax)
            bytes.resize(size_t(std::max(0, fMax - kept)));
        int32_t start = Start();
        fText.replace(size_t(start), size_t(End() - start), bytes);
        fAnchor = fCaret = start + int32_t(bytes.size());
        Wrap();
        Scroll();
    }
    void Move(int32_t offset, bool extend)
    {
        if (!extend)
            fAnchor = offset;
        fCaret = offset;
        Scroll();
    }
    void Scroll()
    {
        fFirst = std::clamp(fFirst, 0, std::max(0, int32_t(fStarts.size()) - 1));
        if (fMulti) {
            int32_t line = LineOf(fCaret);
            int32_t visible = std::max(1, fHeight / fLineHeight);
            if (line >= fFirst + visible)
                fFirst = line - visible + 1;
            if (line < fFirst)
                fFirst = line;
        } else {
            int32_t x = XOf(fCaret) + fScrollX;
            if (x - fScrollX < 0) {
                fScrollX = std::max(0, fScrollX - fWidth / 3);
                if (x - fScrollX < 0)
                    fScrollX = 0;
            } else if (x - fScrollX + NEditor::kCaretWidth > fWidth) {
                fScrollX = x - fWidth + NEditor::kCaretWidth;
            }
        }
    }
    int32_t LineEnd(int32_t line) const { return line + 1 < int32_t(fStarts.size()) ? fStarts[size_t(line) + 1] : Length(); }
    int32_t CaretEnd(int32_t line) const
    {
        int32_t end = LineEnd(line);
        int32_t start = fStarts[size_t(line)];
        bool last = line + 1 == int32_t(fStarts.size());
        if (end > start && fText[size_t(end) - 1] == '\n')
            return end - 1 > start && fText[size_t(end) - 2] == '\r' ? end - 2 : end - 1;
        if (end > start && fText[size_t(end) - 1] == '\r')
            return end - 1;
        return last ? end : std::max(start, end - 1);
    }
    int32_t OffsetOnLine(int32_t line, int32_t x) const
    {
        int32_t left = fMulti ? 0 : -fScrollX;
        int32_t end = CaretEnd(line);
        for (int32_t at = fStarts[size_t(line)]; at < end; ++at) {
            if (2 * x <= 2 * left + W(at))
                return at;
            left += W(at);
        }
        return end;
    }
    int32_t OffsetAt(int32_t x, int32_t y) const
    {
        int32_t row = y / fLineHeight;   // the test clicks inside the field: y >= 0
        return OffsetOnLine(std::clamp(fFirst + row, 0, int32_t(fStarts.size()) - 1), x);
    }
    // The plain wrap: whole words while they fit, a word too long for a line by characters.
    void Wrap()
    {
        fStarts.assign(1, 0);
        if (!fMulti)
            return;
        const int32_t n = Length();
        int32_t start = 0;
        while (true) {
            int32_t end = LineFrom(start);
            if (end >= n)
                break;
            fStarts.push_back(end);
            start = end;
        }
        if (n > 0 && (fText.back() == '\n' || fText.back() == '\r'))
            fStarts.push_back(n);
    }
    int32_t LineFrom(int32_t start) const
    {
        const int32_t n = Length();
        int32_t width = 0;
        int32_t at = start;
        while (at < n) {
            int32_t word = at;
            int32_t wordWidth = 0;
            while (at < n && !IsBreak(uint8_t(fText[size_t(at)])))
                wordWidth += W(at++);
            if (at > word && width + wordWidth > fWidth) {
                if (word > start)
                    return word;
                int32_t fit = start;
                int32_t used = 0;
                while (fit < at && used + W(fit) <= fWidth)
                    used += W(fit++);
                return std::max(fit, start + 1);
            }
            width += wordWidth;
            while (at < n && IsBreak(uint8_t(fText[size_t(at)]))) {
                char c = fText[size_t(at++)];
                if (c == '\n')
                    return at;
                if (c == '\r')
                    return at < n && fText[size_t(at)] == '\n' ? at + 1 : at;
                width += W(at - 1);
            }
        }
        return n;
    }

    NCharWidths fWidths;
    bool fMulti;
    int32_t fWidth;
    int32_t fHeight;
    int32_t fLineHeight;
    int32_t fMax;
};

class NEditorRandomTest : public NWidgetTest {
protected:
    static uint32_t Seed()
    {
        const char* given = std::getenv("LUMORA_EDITOR_SEED");
        return given ? uint32_t(std::strtoul(given, nullptr, 10)) : kDefaultSeed;
    }

    void Run(bool multiLine, int16_t width, int16_t height, int32_t maxLength, int steps, uint32_t seed)
    {
        NFont font;
        font.FontFromText("Arial,12");
        NEditor editor;
        editor.SetUp(NRect(kLeft, kTop, width, height), font);
        editor.SetMultiLine(multiLine);
        editor.SetMaxLength(maxLength);
        fUniverse->AddChild(editor, 0);
        Click(kLeft + 1, kTop + 1);
        ASSERT_EQ(NInputState::The().Focus(), &editor);
        NClipboard::The().SetText("");
        NEditorModel model(editor.Document().Widths(), multiLine, editor.TextWidth(), height, editor.LineHeight(), maxLength);

        std::mt19937 random(seed);
        auto pick = [&](int n) { return int(random() % uint32_t(n)); };
        auto randomText = [&](int length) {
            static const char kBytes[] = "abcdefgh ijklmno  pqrs.tu_vw   xyzABCDEF0123456789,;!?\n\n\r\t\xE9\xDF\xA0";
            std::string text;
            for (int i = 0; i < length; ++i)
                text.push_back(kBytes[pick(int(sizeof(kBytes)) - 1)]);
            if (pick(6) == 0)
                text += std::string(size_t(20 + pick(30)), 'W');   // wider than a line
            return text;
        };
        std::string last;
        for (int step = 0; step < steps; ++step) {
            std::ostringstream what;
            int kind = pick(100);
            bool shift = pick(4) == 0;
            if (kind < 45) {
                uint8_t c;
                int which = pick(20);
                if (which < 2)
                    c = 8;
                else if (which < 3)
                    c = 13;
                else if (which < 4)
                    c = 9;
                else if (which < 7)
                    c = ' ';
                else if (which < 8)
                    c = 0xE9;
                else
                    c = uint8_t("abcdefghijklmnopqrstuvwxyz.W_"[pick(29)]);
                // Long texts shrink, so that the test keeps exercising short ones too.
                if (model.Length() > 600 && which >= 4)
                    c = 8;
                what << "char " << int(c);
                Char(c);
                model.Typed(c);
            } else if (kind < 75) {
                static const int32_t kKeys[] = { kKeyLeft, kKeyRight, kKeyUp, kKeyDown, kKeyHome, kKeyEnd, kKeyDelete, kKeyEscape };
                int32_t key = kKeys[pick(8)];
                what << "key " << key << (shift ? " shift" : "");
                Key(key, shift ? kInputShift : 0);
                model.Pressed(key, shift);
            } else if (kind < 80) {
                std::string text = randomText(pick(14));
                what << "paste " << text.size();
                NClipboard::The().SetText(text);
                Command(kInputPaste);
                model.Paste(text);
            } else if (kind < 83) {
                what << "cut";
                Command(kInputCut);
                model.Cut();
            } else if (kind < 85) {
                what << "copy";
                Command(kInputCopy);
                model.Copy();
            } else if (kind < 91) {
                what << "escape";
                Key(kKeyEscape);
                model.Pressed(kKeyEscape, false);
            } else {
                // Clicks stay on the screen, which a wide field runs past.
                int reach = std::min<int>(width, 640 - kLeft);
                int x = pick(reach);
                int y = pick(height);
                int mode = pick(6);   // 0: double click, 1: drag, else a click
                if (mode == 0) {
                    what << "double click " << x << "," << y;
                    Move(kLeft + x, kTop + y);
                    NInputState::The().ButtonDown(Event(kInputButtonDown, kLeft + x, kTop + y, kInputDoubleClick));
                    Release(kLeft + x, kTop + y);
                    model.Clicked(x, y, false, true, nullptr);
                } else if (mode == 1) {
                    NPoint to(int16_t(pick(reach)), int16_t(pick(height)));
                    what << "drag " << x << "," << y << " to " << to.fX << "," << to.fY;
                    Press(kLeft + x, kTop + y);
                    Move(kLeft + to.fX, kTop + to.fY);
                    Release(kLeft + to.fX, kTop + to.fY);
                    model.Clicked(x, y, false, false, &to);
                } else {
                    what << "click " << x << "," << y << (shift ? " shift" : "");
                    Click(kLeft + x, kTop + y, shift ? kInputShift : 0);
                    model.Clicked(x, y, shift, false, nullptr);
                }
            }
            if (step % 500 == 0)
                Render();   // drawing must cope with whatever state the field is in

            const NTextDocument& document = editor.Document();
            bool same = editor.Text() == model.fText && editor.Anchor() == model.fAnchor && editor.Caret() == model.fCaret
                        && editor.FirstVisibleLine() == model.fFirst && editor.HorizontalOffset() == model.fScrollX
                        && document.LineCount() == int32_t(model.fStarts.size())
                        && NClipboard::The().GetText() == model.fClipboard;
            for (int32_t line = 0; same && line < document.LineCount(); ++line)
                same = document.LineStart(line) == model.fStarts[size_t(line)];
            int32_t caretLine = editor.CaretLine();
            same = same && caretLine == model.LineOf(model.fCaret)
                   && editor.Caret() - document.LineStart(caretLine) == model.fCaret - model.fStarts[size_t(caretLine)];
            if (!same) {
                ADD_FAILURE() << "seed " << seed << " (set LUMORA_EDITOR_SEED to repeat), step " << step << ": " << what.str()
                              << "\n  after: " << last << "\n  editor: anchor " << editor.Anchor() << " caret " << editor.Caret()
                              << " first " << editor.FirstVisibleLine() << " lines " << document.LineCount() << " x "
                              << editor.HorizontalOffset() << "\n  model:  anchor " << model.fAnchor << " caret "
                              << model.fCaret << " first " << model.fFirst << " lines " << model.fStarts.size() << " x "
                              << model.fScrollX << "\n  text equal: " << (editor.Text() == model.fText)
                              << " clipboard equal: " << (NClipboard::The().GetText() == model.fClipboard);
                return;
            }
            last = what.str();
            ASSERT_TRUE(maxLength == 0 || int32_t(editor.Text().size()) <= maxLength);
        }
    }
};

} // namespace

TEST_F(NEditorRandomTest, WrappedMultiLineFieldMatchesTheModel)
{
    Run(true, 150, 80, 0, 8000, Seed());
}

TEST_F(NEditorRandomTest, UnwrappedMultiLineFieldWithMaximumLengthMatchesTheModel)
{
    Run(true, 4000, 60, 60, 6000, Seed() + 1);
}

TEST_F(NEditorRandomTest, WrappedFieldWithMaximumLengthMatchesTheModel)
{
    Run(true, 90, 50, 120, 6000, Seed() + 2);
}

TEST_F(NEditorRandomTest, SingleLineFieldWithMaximumLengthMatchesTheModel)
{
    Run(false, 120, 20, 40, 6000, Seed() + 3);
}
