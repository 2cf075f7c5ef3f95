// Tests of the text editor, driven through the input routing on the headless back end.
#include "widgets/NEditor.h"

#include "framework/NClipboard.h"
#include "imaging/NSpWindow.h"
#include "platform/NHostLocalClipboard.h"
#include "widgets/NWidgetCodes.h"
#include "tests/widgets/NWidgetTestSupport.h"

namespace {

/// An editor that records where insertions were cut short.
class NRecordingEditor : public NEditor {
public:
    void TooLong(int32_t position) override { fTooLong.push_back(position); }
    std::vector<int32_t> fTooLong;
};

class NEditorTest : public NWidgetTest {
protected:
    void SetUp() override
    {
        NWidgetTest::SetUp();
        fFont.FontFromText("Arial,12");
        NClipboard::The().SetText("");
    }

    /// A field at (100, 100) of the size, focused through a click.
    void MakeEditor(NEditor& editor, int16_t width, int16_t height, bool multiLine)
    {
        editor.SetUp(NRect(100, 100, width, height), fFont);
        editor.SetMultiLine(multiLine);
        editor.SetNotificationPort(fPort.Id());
        fUniverse->AddChild(editor, 0);
    }

    void Type(const std::string& text)
    {
        for (char c : text)
            Char(uint8_t(c));
    }

    /// The editor's notifications as (code, argument).
    std::vector<std::pair<int32_t, int32_t>> Notices()
    {
        NEventQueue::The().Process();
        std::vector<std::pair<int32_t, int32_t>> notices;
        for (const NPortEvent& event : fClicks.fEvents)
            notices.emplace_back(event.fCode, event.fArgument);
        fClicks.Clear();
        return notices;
    }

    int32_t Advance(char c, const NEditor& editor) { return editor.Document().Widths()[uint8_t(c)]; }

    NFont fFont;
};

} // namespace

TEST_F(NEditorTest, TypingInsertsAndPostsEachCharacterFirst)
{
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    Click(150, 110);
    EXPECT_EQ(NInputState::The().Focus(), &editor);
    Type("Hi");
    Char('\xE9');   // Windows-1252 e acute
    EXPECT_EQ(editor.Text(), "Hi\xE9");
    EXPECT_EQ(editor.Caret(), 3);
    EXPECT_TRUE(editor.IsModified());
    EXPECT_EQ(Notices(), (std::vector<std::pair<int32_t, int32_t>>{
                             { kEventEditorChar, 'H' }, { kEventEditorChar, 'i' }, { kEventEditorChar, 0xE9 } }));
    EXPECT_TRUE(Char(8));
    EXPECT_EQ(editor.Text(), "Hi");
    Key(kKeyLeft);
    Key(kKeyLeft);
    EXPECT_TRUE(Key(kKeyDelete));
    EXPECT_EQ(editor.Text(), "i");
    EXPECT_EQ(Notices(), (std::vector<std::pair<int32_t, int32_t>>{ { kEventEditorChar, 8 }, { kEventEditorChar, kKeyDelete } }));

    // Control characters are refused and go on up the chain; 3 and 13 are announced.
    EXPECT_FALSE(Char(3));
    EXPECT_FALSE(Char(9));
    EXPECT_EQ(editor.Text(), "i");
    EXPECT_EQ(Notices(), (std::vector<std::pair<int32_t, int32_t>>{ { kEventEditorSpecialChar, 3 } }));

    NUiDescription description;
    EXPECT_TRUE(editor.DescribeUi(description));
    editor.SetText("caf\xE9 Stra\xDF" "e");
    EXPECT_TRUE(editor.DescribeUi(description));
    EXPECT_EQ(description.kind, "editor");
    EXPECT_EQ(description.text, "caf\xC3\xA9 Stra\xC3\x9F" "e");
    EXPECT_TRUE(description.focused);
    EXPECT_FALSE(editor.IsModified());
}

TEST_F(NEditorTest, SingleLineFieldsNeverTakeEnterButAnnounceIt)
{
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    Click(150, 110);
    Type("ab");
    EXPECT_FALSE(Char(13));
    EXPECT_EQ(editor.Text(), "ab");
    std::vector<std::pair<int32_t, int32_t>> notices = Notices();
    ASSERT_FALSE(notices.empty());
    EXPECT_EQ(notices.back(), std::make_pair(int32_t(kEventEditorSpecialChar), 13));
    EXPECT_FALSE(Key(kKeyDown));

    NEditor lines;
    MakeEditor(lines, 200, 60, true);
    Click(150, 110);
    EXPECT_TRUE(Char(13));
    EXPECT_EQ(lines.Text(), "\n");   // stored as a line feed
    EXPECT_EQ(lines.Document().LineCount(), 2);
    EXPECT_EQ(Notices().back(), std::make_pair(int32_t(kEventEditorSpecialChar), 13));
}

TEST_F(NEditorTest, MaximumLengthCutsInsertionsAndTellsTooLong)
{
    NRecordingEditor editor;
    MakeEditor(editor, 200, 20, false);
    editor.SetMaxLength(5);
    editor.SetText("abcd");
    Click(190, 110);   // caret at the end
    EXPECT_EQ(editor.Caret(), 4);
    Type("XY");
    EXPECT_EQ(editor.Text(), "abcdX");
    EXPECT_EQ(editor.fTooLong, std::vector<int32_t>{5});

    // Full, with two bytes selected: a paste of three inserts the first two.
    editor.Select(1, 3);
    NClipboard::The().SetText("123");
    Command(kInputPaste);
    EXPECT_EQ(editor.Text(), "a12dX");
    EXPECT_EQ(editor.Caret(), 3);
    EXPECT_EQ(editor.fTooLong.size(), 2u);
    editor.SetText("0123456789");
    EXPECT_EQ(editor.Text(), "01234");
}

TEST_F(NEditorTest, EscapeUndoesATypingRunAndThenRedoesIt)
{
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    editor.SetText("go");
    Click(190, 110);
    Type("abc");
    EXPECT_EQ(editor.Text(), "goabc");
    NEditState state;
    editor.GetEditState(state);
    EXPECT_TRUE(state.fUndo);
    EXPECT_FALSE(state.fUndoIsRedo);
    EXPECT_FALSE(Key(kKeyEscape));   // not handled: the window may close on it
    EXPECT_EQ(editor.Text(), "go");
    EXPECT_EQ(editor.Caret(), 2);
    editor.GetEditState(state);
    EXPECT_TRUE(state.fUndoIsRedo);
    Key(kKeyEscape);
    EXPECT_EQ(editor.Text(), "goabc");
    EXPECT_EQ(editor.Caret(), 5);

    // A movement key ends the run: the next characters form a step of their own.
    Key(kKeyLeft);
    Type("x");
    Char(8);
    Type("yz");
    Key(kKeyEscape);
    EXPECT_EQ(editor.Text(), "goabc");
    // Cut and paste always make a new step.
    editor.Select(0, 2);
    Command(kInputCut);
    EXPECT_EQ(editor.Text(), "abc");
    EXPECT_EQ(NClipboard::The().GetText(), "go");
    Command(kInputPaste);
    Command(kInputPaste);
    EXPECT_EQ(editor.Text(), "gogoabc");
    Key(kKeyEscape);
    EXPECT_EQ(editor.Text(), "goabc");

    // Losing the focus drops the snapshot.
    NEditor other;
    MakeEditor(other, 100, 20, false);
    other.SetRect(NRect(100, 200, 100, 20));
    Click(150, 210);
    Click(150, 110);
    editor.GetEditState(state);
    EXPECT_FALSE(state.fUndo);
}

TEST_F(NEditorTest, TabbingIntoASingleLineFieldSelectsAllAndClickingPlacesTheCaret)
{
    NSpWindow window;
    window.SetRect(NRect(50, 50, 400, 300));
    fUniverse->AddChild(window, 0);
    NEditor first, second;
    first.SetUp(NRect(50, 50, 200, 20), fFont);
    second.SetUp(NRect(50, 100, 200, 20), fFont);
    window.AddChild(first, 0);
    window.AddChild(second, 0);
    first.JoinWindow(window, 1);
    second.JoinWindow(window, 2);
    first.SetText("first");
    second.SetText("second");
    NInputState::The().TakeFocus(window, false);
    EXPECT_TRUE(Char(9));
    EXPECT_EQ(NInputState::The().Focus(), &first);
    EXPECT_EQ(first.SelectedText(), "first");
    EXPECT_TRUE(Char(9));   // the window moves the focus; the field refuses the tab
    EXPECT_EQ(NInputState::The().Focus(), &second);
    EXPECT_EQ(second.SelectionStart(), 0);
    EXPECT_EQ(second.SelectionEnd(), 6);
    EXPECT_EQ(first.SelectionStart(), 0);   // collapsed when it lost the focus
    EXPECT_EQ(first.SelectionEnd(), 0);
    EXPECT_EQ(first.Text(), "first");
    // Clicking into a field places the caret instead.
    Click(100 + first.XOf(2), 110);
    EXPECT_EQ(NInputState::The().Focus(), &first);
    EXPECT_EQ(first.SelectionStart(), 2);
    EXPECT_EQ(first.SelectionEnd(), 2);
    first.LeaveWindow();
    EXPECT_EQ(window.FieldCount(), 1);
}

TEST_F(NEditorTest, MouseClicksDragsAndDoubleClicksSelect)
{
    NEditor editor;
    MakeEditor(editor, 300, 20, false);
    editor.SetText("alpha beta_2.x gamma");
    const int32_t a = Advance('a', editor);
    // Just right of the middle of the second character: after it.
    int32_t x = 100 + editor.Document().Width(0, 1) + Advance('l', editor) / 2 + 1;
    Click(x, 110);
    EXPECT_EQ(editor.Caret(), 2);
    EXPECT_EQ(editor.SelectionStart(), 2);
    EXPECT_EQ(editor.SelectionEnd(), 2);
    // Exactly halfway goes left.
    if (a % 2 == 0) {
        Click(100 + a / 2, 110);
        EXPECT_EQ(editor.Caret(), 0);
    }
    // Drag: the pointer port carries the moves while the button is held.
    Press(100 + editor.XOf(6), 110);
    Move(100 + editor.XOf(10), 112);
    EXPECT_EQ(editor.SelectionStart(), 6);
    EXPECT_EQ(editor.SelectionEnd(), 10);
    Release(100 + editor.XOf(10), 112);
    Move(100 + editor.XOf(3), 110);
    EXPECT_EQ(editor.SelectionEnd(), 10);   // released: moves no longer select
    EXPECT_EQ(editor.SelectedText(), "beta");

    // Shift-click extends from the anchor.
    Click(100 + editor.XOf(14), 110, kInputShift);
    EXPECT_EQ(editor.SelectedText(), "beta_2.x");

    // A double click selects the word: letters, digits, "." and "_".
    NInputEvent down = Event(kInputButtonDown, 100 + editor.XOf(9), 110, kInputDoubleClick);
    Move(down.fWhere.fX, down.fWhere.fY);
    NInputState::The().ButtonDown(down);
    Release(down.fWhere.fX, down.fWhere.fY);
    EXPECT_EQ(editor.SelectedText(), "beta_2.x");

    // Copy puts the selection on the clipboard; read-only fields still copy but do not cut.
    Command(kInputCopy);
    EXPECT_EQ(NClipboard::The().GetText(), "beta_2.x");
    editor.SetReadOnly(true);
    NEditState state;
    editor.GetEditState(state);
    EXPECT_FALSE(state.fCut);
    EXPECT_TRUE(state.fCopy);
    EXPECT_FALSE(state.fPaste);
    Command(kInputCut);
    EXPECT_EQ(editor.Text(), "alpha beta_2.x gamma");
    EXPECT_FALSE(Char('z'));
}

TEST_F(NEditorTest, ACutTheClipboardRefusesKeepsTheText)
{
    class NRefusingClipboard : public NHostClipboard {
    public:
        bool Open() override { return false; }
        void Close() override {}
        uint32_t EnumFormats(uint32_t) override { return 0; }
        bool Empty() override { return false; }
        bool GetData(uint32_t, std::string&) override { return false; }
        bool SetData(uint32_t, std::string) override { return false; }
    } refusing;
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    editor.SetText("keep me");
    Click(150, 110);
    editor.SelectAll();
    NHostClipboard::Install(&refusing);
    Command(kInputCut);
    Command(kInputPaste);
    NHostClipboard::Install(nullptr);
    EXPECT_EQ(editor.Text(), "keep me");
}

TEST_F(NEditorTest, KeysMoveTheCaretAndShiftExtendsFromTheAnchor)
{
    NEditor editor;
    MakeEditor(editor, 400, 100, true);
    editor.SetText("one two\nthree\n");
    Click(101, 102);
    EXPECT_EQ(editor.Caret(), 0);
    EXPECT_EQ(editor.Document().LineCount(), 3);   // the final line break makes an empty line
    Key(kKeyEnd);
    EXPECT_EQ(editor.Caret(), 7);   // before the line break
    Key(kKeyHome, kInputShift);
    EXPECT_EQ(editor.SelectedText(), "one two");
    EXPECT_EQ(editor.Caret(), 0);
    Key(kKeyRight);   // collapses to the end of the selection
    EXPECT_EQ(editor.Caret(), 7);
    EXPECT_EQ(editor.Anchor(), 7);
    Key(kKeyLeft, kInputShift);
    Key(kKeyLeft, kInputShift);
    EXPECT_EQ(editor.SelectedText(), "wo");
    Key(kKeyLeft);
    EXPECT_EQ(editor.Caret(), 5);
    // Down keeps the column: "three" is under "one t".
    Key(kKeyDown);
    EXPECT_EQ(editor.CaretLine(), 1);
    EXPECT_EQ(editor.Caret(), editor.OffsetAt(editor.XOf(5), editor.LineHeight()));
    Key(kKeyDown);
    EXPECT_EQ(editor.CaretLine(), 2);   // the empty last line
    EXPECT_EQ(editor.Caret(), 14);
    Key(kKeyUp);
    Key(kKeyShift, kInputShift);   // not handled: the column stays remembered
    Key(kKeyUp, kInputShift);
    EXPECT_EQ(editor.Caret(), 5);   // back at the remembered column
    EXPECT_EQ(editor.SelectionEnd(), editor.OffsetAt(editor.XOf(5), editor.LineHeight()));

    // Read-only: Left is swallowed, Right and Home are not handled, Up does nothing.
    editor.Select(3, 3);
    editor.SetReadOnly(true);
    EXPECT_TRUE(Key(kKeyLeft));
    EXPECT_FALSE(Key(kKeyRight));
    EXPECT_FALSE(Key(kKeyHome));
    EXPECT_TRUE(Key(kKeyUp));
    EXPECT_EQ(editor.Caret(), 3);
    EXPECT_FALSE(Key(kKeyDelete));
    EXPECT_FALSE(Key(kKeyF1));
}

TEST_F(NEditorTest, LongWordsBreakBetweenCharactersAndLinesWrapIncrementally)
{
    NEditor editor;
    MakeEditor(editor, 60, 200, true);
    const int32_t m = Advance('m', editor);
    ASSERT_GT(m, 0);
    int32_t perLine = 60 / m;
    std::string word(size_t(perLine * 2 + 1), 'm');
    editor.SetText(word);
    ASSERT_EQ(editor.Document().LineCount(), 3);
    EXPECT_EQ(editor.Document().LineStart(1), perLine);
    EXPECT_EQ(editor.Document().LineStart(2), 2 * perLine);

    // Words wrap whole; a line break at the very end gives an empty line for the caret.
    editor.SetText("aa bb cc dd ee ff gg hh ii jj\n");
    NTextDocument full;
    full.SetLayout(true, editor.TextWidth(), editor.Document().Widths());
    full.Replace(0, 0, editor.Text());
    ASSERT_EQ(editor.Document().LineCount(), full.LineCount());
    EXPECT_EQ(editor.Document().LineStart(editor.Document().LineCount() - 1), int32_t(editor.Text().size()));
    Click(110, 295);
    EXPECT_EQ(editor.Caret(), int32_t(editor.Text().size()));
    EXPECT_EQ(editor.CaretLine(), editor.Document().LineCount() - 1);
    // Typing at the start moves words down; the lines equal a wrap from scratch.
    editor.Select(0, 0);
    Type("zzzz ");
    full.RewrapAll();
    NTextDocument fresh;
    fresh.SetLayout(true, editor.TextWidth(), editor.Document().Widths());
    fresh.Replace(0, 0, editor.Text());
    ASSERT_EQ(editor.Document().LineCount(), fresh.LineCount());
    for (int32_t line = 0; line < fresh.LineCount(); ++line)
        EXPECT_EQ(editor.Document().LineStart(line), fresh.LineStart(line));
}

TEST_F(NEditorTest, DrawsTextSelectionAndABlinkingCaret)
{
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    editor.SetText("IIII");
    Render();
    // Text in index 10 on 245, through the screen palette.
    const uint32_t* colors = NPaletteRegistry::The().GetScreenPalette()->Data()->Table32();
    auto countColor = [&](uint32_t color, int x0, int x1) {
        int count = 0;
        for (int y = 100; y < 120; ++y) {
            for (int x = x0; x < x1; ++x)
                count += fWindow->Pixel(x, y) == color;
        }
        return count;
    };
    int32_t textRight = 100 + editor.Document().Width(0, 4);
    EXPECT_GT(countColor(colors[10], 100, textRight), 0);
    EXPECT_EQ(countColor(colors[10], textRight + 2, 300), 0);
    EXPECT_GT(countColor(colors[245], textRight + 2, 300), 0);

    // Focused with all selected (tabbed in): the selection shows inverted.
    NInputState::The().TakeFocus(editor, true);
    EXPECT_EQ(editor.SelectedText(), "IIII");
    Render();
    EXPECT_EQ(fWindow->Pixel(100, 101), colors[10]);
    EXPECT_FALSE(editor.IsCaretShown());

    // A caret blinks every 250 ms.
    Key(kKeyEnd);
    Render();
    EXPECT_TRUE(editor.IsCaretShown());
    EXPECT_EQ(editor.TextSprite().Rect().fX + editor.XOf(4), textRight);
    IdleFor(250);
    EXPECT_FALSE(editor.IsCaretShown());
    IdleFor(250);
    EXPECT_TRUE(editor.IsCaretShown());
    // Typing restarts the blink.
    IdleFor(200);
    Type("I");
    IdleFor(100);
    EXPECT_TRUE(editor.IsCaretShown());
    NInputState::The().RemoveFromFocusHistory(editor);
    Idle(30);
    EXPECT_FALSE(editor.IsCaretShown());

    // Right alignment: the text ends at the right edge.
    editor.SetAlignment(kEditorAlignRight);
    Render();
    EXPECT_EQ(countColor(colors[10], 100, 300 - editor.Document().Width(0, 5) - 1), 0);
    EXPECT_GT(countColor(colors[10], 300 - editor.Document().Width(0, 5), 300), 0);
    editor.SetAlignment(kEditorAlignCentre);
    EXPECT_EQ(editor.XOf(0), (200 - editor.Document().Width(0, 5)) / 2);
}

TEST_F(NEditorTest, PasswordFieldsDrawAndMeasureStarsForLinesOfAnyLength)
{
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    editor.SetPassword(true);
    std::string secret(300, 'W');
    editor.SetText(secret);
    Click(150, 110);
    Key(kKeyEnd);
    const int32_t star = Advance('W', editor);   // every byte measures as a star
    EXPECT_EQ(editor.Document().Width(0, 300), 300 * star);
    // The view scrolled to the caret at the end of the 300 stars.
    EXPECT_EQ(editor.HorizontalOffset(), 300 * star - 200 + NEditor::kCaretWidth);
    EXPECT_EQ(editor.XOf(300), 200 - NEditor::kCaretWidth);
    Key(kKeyHome);
    EXPECT_EQ(editor.HorizontalOffset(), 0);
    // Copying a password gives nothing away.
    NClipboard::The().SetText("before");
    editor.SelectAll();
    Command(kInputCopy);
    EXPECT_EQ(NClipboard::The().GetText(), "");
    NUiDescription description;
    editor.DescribeUi(description);
    EXPECT_EQ(description.text, std::string(300, '*'));
}

TEST_F(NEditorTest, TheScrollBarFollowsTheLinesAndScrollsTheView)
{
    NEditor editor;
    MakeEditor(editor, 200, 100, true);
    ASSERT_TRUE(editor.AttachScrollBar(SpriteSet("up.xps", 4, 16, 16, 40), SpriteSet("down.xps", 4, 16, 16, 50),
                                       SpriteSet("knob.xps", 1, 16, 20, 60), 16));
    EXPECT_EQ(editor.TextWidth(), 184);
    std::string text;
    for (int i = 0; i < 30; ++i)
        text += "line " + std::to_string(i) + "\n";
    editor.SetText(text);
    Render();
    NSlider* bar = editor.ScrollBar();
    ASSERT_NE(bar, nullptr);
    int32_t visible = editor.VisibleLines();
    EXPECT_EQ(bar->Maximum(), 31 - visible);
    EXPECT_EQ(bar->Value(), 0);
    // The wheel goes to the bar, whose change scrolls the text.
    WheelAt(150, 150, -kWheelNotch);
    Render();
    EXPECT_EQ(editor.FirstVisibleLine(), 1);
    Click(290, 196);   // the down arrow of the bar, which posts to the bar's port
    Idle();
    EXPECT_EQ(editor.FirstVisibleLine(), 2);
    // Moving the caret below the view scrolls it into view.
    Click(150, 105);
    for (int i = 0; i < visible + 3; ++i)
        Key(kKeyDown);
    Render();
    EXPECT_EQ(editor.CaretLine(), 2 + visible + 3);
    EXPECT_EQ(editor.FirstVisibleLine(), editor.CaretLine() - visible + 1);
    EXPECT_EQ(bar->Value(), editor.FirstVisibleLine());
}

TEST_F(NEditorTest, HighlightNoticesWhenEnabled)
{
    NEditor editor;
    MakeEditor(editor, 200, 20, false);
    Move(150, 110);
    Move(10, 10);
    NEventQueue::The().Process();
    EXPECT_TRUE(fAppEvents.fEvents.empty());
    editor.SetHighlightNotices(true);
    Move(150, 110);
    Move(10, 10);
    NEventQueue::The().Process();
    EXPECT_EQ(fAppEvents.Codes(), (std::vector<int32_t>{kEventHighlightStart, kEventHighlightEnd}));
}
