// The initials field driven through the input routing on the headless back end.
#include "maker/core/KUpperEditor.h"

#include "widgets/NWidgetCodes.h"
#include "tests/widgets/NWidgetTestSupport.h"

namespace {

class KUpperEditorTest : public NWidgetTest {
protected:
    void SetUp() override
    {
        NWidgetTest::SetUp();
        fFont.FontFromText("Arial,12");
        fEditor.SetUp(NRect(100, 100, 40, 20), fFont);
        fEditor.SetNotificationPort(fPort.Id());
        fUniverse->AddChild(fEditor, 0);
        Click(110, 110);
    }

    void TearDown() override
    {
        fUniverse->RemoveChild(fEditor);
        NWidgetTest::TearDown();
    }

    /// The characters the field announced before inserting them.
    std::vector<int32_t> Announced()
    {
        NEventQueue::The().Process();
        std::vector<int32_t> characters;
        for (const NPortEvent& event : fClicks.fEvents) {
            if (event.fCode == kEventEditorChar)
                characters.push_back(event.fArgument);
        }
        fClicks.Clear();
        return characters;
    }

    bool AllSelected() const { return fEditor.SelectionStart() == 0 && fEditor.SelectionEnd() == int32_t(fEditor.Text().size()); }

    NFont fFont;
    KUpperEditor fEditor;
};

TEST_F(KUpperEditorTest, TypedLetterIsStoredUpperCaseAndLeftSelectedSoTheNextReplacesIt)
{
    ASSERT_EQ(NInputState::The().Focus(), &fEditor);
    EXPECT_TRUE(Char('a'));
    EXPECT_EQ(fEditor.Text(), "A");
    EXPECT_TRUE(AllSelected());
    EXPECT_TRUE(Char('n'));
    EXPECT_EQ(fEditor.Text(), "N");
    EXPECT_TRUE(AllSelected());
    EXPECT_EQ(Announced(), (std::vector<int32_t>{'A', 'N'}));

    // A key the editor handles selects the text again; one it refuses changes nothing.
    fEditor.Select(1, 1);
    EXPECT_TRUE(Key(kKeyLeft));
    EXPECT_TRUE(AllSelected());
    fEditor.Select(1, 1);
    EXPECT_FALSE(Char(3));
    EXPECT_EQ(fEditor.SelectionStart(), 1);
    EXPECT_TRUE(Char(8));
    EXPECT_EQ(fEditor.Text(), "");

    // A click places the caret, and letting go selects the letter again.
    EXPECT_TRUE(Char('z'));
    EXPECT_TRUE(Press(139, 110));
    EXPECT_EQ(fEditor.SelectionStart(), 1);
    EXPECT_EQ(fEditor.SelectionEnd(), 1);
    EXPECT_TRUE(Release(139, 110));
    EXPECT_TRUE(AllSelected());
    EXPECT_EQ(fEditor.Text(), "Z");
}

TEST_F(KUpperEditorTest, UpperCaseFollowsTheWindowsCodePage)
{
    struct Case {
        uint8_t fTyped;
        uint8_t fStored;
    };
    // e acute, y diaeresis, s caron, oe; sharp s and micro sign have no capital; digits stay.
    for (Case c : {Case{0xE9, 0xC9}, Case{0xFF, 0x9F}, Case{0x9A, 0x8A}, Case{0x9C, 0x8C}, Case{0xDF, 0xDF},
                   Case{0xB5, 0xB5}, Case{'7', '7'}, Case{'Q', 'Q'}}) {
        EXPECT_TRUE(Char(c.fTyped)) << int(c.fTyped);
        EXPECT_EQ(fEditor.Text(), std::string(1, char(c.fStored))) << int(c.fTyped);
        EXPECT_TRUE(AllSelected());
    }
    // The character test still applies after the change: a tab or a line break is refused.
    EXPECT_FALSE(Char('\t'));
    EXPECT_FALSE(Char('\r'));
    EXPECT_EQ(fEditor.Text(), "Q");
}

} // namespace
