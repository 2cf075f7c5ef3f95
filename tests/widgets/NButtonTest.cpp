// Tests of buttons, radio groups and text buttons, driven through the input routing.
#include "widgets/NButton.h"

#include "widgets/NEditor.h"
#include "widgets/NRadioButton.h"
#include "widgets/NRadioGroup.h"
#include "widgets/NTextButton.h"
#include "widgets/NWidgetCodes.h"
#include "tests/widgets/NWidgetTestSupport.h"

namespace {

constexpr int32_t kClickCode = 777;

class NButtonTest : public NWidgetTest {
protected:
    /// A four-frame button at (x, y), 40 x 20, frame i drawn in index 20 + i.
    std::unique_ptr<NButton> MakeButton(int16_t x, int16_t y, int32_t code = kClickCode)
    {
        auto button = std::make_unique<NButton>();
        EXPECT_TRUE(button->LoadSprites(SpriteSet("button.xps", 4, 40, 20, 20), NPoint(x, y)));
        fUniverse->AddChild(*button, 0);
        button->SetNotification(ClickTo(code));
        return button;
    }

    std::vector<int32_t> ClickCodes()
    {
        NEventQueue::The().Process();
        std::vector<int32_t> codes = fClicks.Codes();
        fClicks.Clear();
        return codes;
    }
};

} // namespace

TEST_F(NButtonTest, PressDragOffAndBackThenReleaseInsideClicksOnce)
{
    auto button = MakeButton(100, 100);
    EXPECT_EQ(button->Frame(), kButtonNormal);
    Move(110, 110);
    EXPECT_EQ(button->Frame(), kButtonHover);
    EXPECT_TRUE(Press(110, 110));
    EXPECT_EQ(button->Frame(), kButtonPressed);
    EXPECT_EQ(NInputState::The().CaptureTarget(), button.get());
    Move(300, 300);
    EXPECT_EQ(button->Frame(), kButtonNormal);
    Move(115, 105);
    EXPECT_EQ(button->Frame(), kButtonPressed);
    Release(115, 105);
    EXPECT_EQ(button->Frame(), kButtonHover);
    EXPECT_EQ(ClickCodes(), std::vector<int32_t>{kClickCode});
    EXPECT_EQ(fClicks.fEvents.size(), 0u);

    // Released outside: no click, the normal frame.
    Press(110, 110);
    Release(300, 300);
    EXPECT_EQ(button->Frame(), kButtonNormal);
    EXPECT_TRUE(ClickCodes().empty());

    // The frames show: normal in index 20, hover in 23.
    Render();
    EXPECT_EQ(fWindow->Pixel(120, 110), IndexColor(20));
    Move(120, 110);
    Render();
    EXPECT_EQ(fWindow->Pixel(120, 110), IndexColor(23));
}

TEST_F(NButtonTest, DisabledButtonSwallowsThePressAndShowsDisabledOnRelease)
{
    auto behind = MakeButton(100, 100, 1);
    auto button = MakeButton(100, 100, 2);   // added later at the same priority: in front
    button->Enable(false);
    EXPECT_EQ(button->Frame(), kButtonDisabled);
    EXPECT_TRUE(Press(110, 110));
    EXPECT_EQ(NInputState::The().CaptureTarget(), button.get());
    EXPECT_EQ(behind->Frame(), kButtonHover);   // hover passes to every child
    Release(110, 110);
    EXPECT_EQ(button->Frame(), kButtonDisabled);
    EXPECT_TRUE(ClickCodes().empty());
    EXPECT_FALSE(button->Click());

    // Enabling under the pointer gives the hover look.
    button->Enable(true);
    EXPECT_EQ(button->Frame(), kButtonHover);
    Move(300, 300);
    button->Enable(false);
    button->Enable(true);
    EXPECT_EQ(button->Frame(), kButtonNormal);
}

TEST_F(NButtonTest, ShortcutFlashesForThreeHundredMillisecondsThenClicks)
{
    auto button = MakeButton(100, 100);
    button->SetShortcuts({ 'Q', 255, 255, 255 }, { kKeyF1, 255, 255, 255 });
    // A window broadcasts characters to its subtree with the shortcut operation.
    NInputEvent typed = Event(kInputChar, 0, 0, 0);
    typed.fChar = 'q';
    EXPECT_TRUE(fUniverse->BroadcastShortcut(typed));
    EXPECT_EQ(button->Frame(), kButtonPressed);
    EXPECT_TRUE(button->IsFlashing());
    EXPECT_EQ(NInputState::The().InputRoot(), button.get());

    Idle(150);
    EXPECT_EQ(button->Frame(), kButtonPressed);
    // A second shortcut during the flash does not start another.
    EXPECT_TRUE(fUniverse->BroadcastShortcut(typed));
    Idle(149);
    EXPECT_EQ(button->Frame(), kButtonPressed);
    EXPECT_TRUE(ClickCodes().empty());
    Idle(1);
    EXPECT_EQ(button->Frame(), kButtonNormal);
    EXPECT_EQ(NInputState::The().InputRoot(), fUniverse.get());
    EXPECT_EQ(ClickCodes(), std::vector<int32_t>{kClickCode});
    Idle(600);
    EXPECT_TRUE(ClickCodes().empty());

    // Key codes work the same way; turned off, only the shortcut-request flag reaches it.
    NInputEvent key = Event(kInputKeyDown, 0, 0, 0);
    key.fKey = kKeyF1;
    button->SetShortcutsOn(false);
    EXPECT_FALSE(fUniverse->BroadcastShortcut(key));
    key.fFlags = kInputShortcut;
    EXPECT_TRUE(fUniverse->BroadcastShortcut(key));
    Idle(300);
    EXPECT_EQ(ClickCodes(), std::vector<int32_t>{kClickCode});
    typed.fChar = 'x';
    typed.fFlags = kInputShortcut;
    EXPECT_FALSE(fUniverse->BroadcastShortcut(typed));
}

TEST_F(NButtonTest, MovingFromOneButtonToAnotherEndsOneHighlightBeforeTheNextStarts)
{
    // Hover updates visit the frontmost child first: the first button lies in front.
    auto second = MakeButton(140, 100);
    auto first = MakeButton(100, 100);
    Move(110, 110);
    Move(150, 110);
    NEventQueue::The().Process();
    ASSERT_EQ(fAppEvents.Codes(), (std::vector<int32_t>{kEventHighlightStart, kEventHighlightEnd, kEventHighlightStart}));
    EXPECT_EQ(fAppEvents.fEvents[0].ArgumentAs<NButton>(), first.get());
    EXPECT_EQ(fAppEvents.fEvents[1].ArgumentAs<NButton>(), first.get());
    EXPECT_EQ(fAppEvents.fEvents[2].ArgumentAs<NButton>(), second.get());

    // Hiding or destroying a highlighted button ends its highlight at once.
    fAppEvents.Clear();
    second->Show(false);
    EXPECT_EQ(fAppEvents.Codes(), std::vector<int32_t>{kEventHighlightEnd});
    Move(110, 110);
    NEventQueue::The().Process();
    fAppEvents.Clear();
    first.reset();
    EXPECT_EQ(fAppEvents.Codes(), std::vector<int32_t>{kEventHighlightEnd});
}

TEST_F(NButtonTest, AutoRepeatNotifiesOnPressAtEveryIntervalAndClicksOnRelease)
{
    auto button = MakeButton(100, 100);
    button->SetAutoRepeat(150, 50);
    Press(110, 110);
    EXPECT_EQ(ClickCodes(), std::vector<int32_t>{kEventRepeatFirst});
    IdleFor(145);
    EXPECT_TRUE(ClickCodes().empty());
    // The timer runs at a third of the interval, so steps come at most that late.
    IdleFor(20);
    EXPECT_EQ(ClickCodes(), std::vector<int32_t>{kEventRepeatStep});
    IdleFor(115);
    EXPECT_EQ(ClickCodes(), (std::vector<int32_t>{kEventRepeatStep, kEventRepeatStep}));
    // Dragged off, the repeats pause.
    Move(300, 300);
    Idle(100);
    EXPECT_TRUE(ClickCodes().empty());
    Release(110, 110);
    ASSERT_EQ(ClickCodes(), std::vector<int32_t>{kClickCode});
    Idle(200);
    EXPECT_TRUE(ClickCodes().empty());
}

TEST_F(NButtonTest, RadioGroupKeepsExactlyOneSelected)
{
    NRadioGroup group;
    group.SetRect(NRect(0, 0, 640, 480));
    fUniverse->AddChild(group, 0);
    NRadioButton a, b;
    a.LoadSprites(SpriteSet("radio8.xps", 8, 20, 20, 30), NPoint(100, 100));
    b.LoadSprites(SpriteSet("radio8.xps", 8, 20, 20, 30), NPoint(130, 100));
    group.AddRadioButton(a, 0);
    group.AddRadioButton(b, 0);
    a.SetNotification(ClickTo(1));
    b.SetNotification(ClickTo(2));
    group.Select(a);
    EXPECT_TRUE(a.IsChecked());
    EXPECT_EQ(a.Frame(), kRadioChecked);

    Move(135, 105);
    EXPECT_EQ(b.Frame(), kRadioHover);
    Press(135, 105);
    EXPECT_EQ(b.Frame(), kRadioUncheckedPressed);
    Release(135, 105);
    EXPECT_TRUE(b.IsChecked());
    EXPECT_FALSE(a.IsChecked());
    EXPECT_EQ(a.Frame(), kRadioUnchecked);
    EXPECT_EQ(b.Frame(), kRadioChecked);
    EXPECT_EQ(group.Selected(), &b);
    NEventQueue::The().Process();
    EXPECT_EQ(fClicks.Codes(), std::vector<int32_t>{2});

    // Clicking the selected one keeps it and notifies again.
    Click(135, 105);
    NEventQueue::The().Process();
    EXPECT_EQ(fClicks.Codes(), (std::vector<int32_t>{2, 2}));
    EXPECT_TRUE(b.IsChecked());
    EXPECT_FALSE(a.IsChecked());
    Move(135, 105);
    EXPECT_EQ(b.Frame(), kRadioChecked);   // released over it: the checked frame until moved
    Move(300, 300);
    Move(136, 105);
    EXPECT_EQ(b.Frame(), kRadioCheckedHover);
    b.Enable(false);
    EXPECT_EQ(b.Frame(), kRadioCheckedDisabled);

    NUiDescription description;
    EXPECT_TRUE(b.DescribeUi(description));
    EXPECT_EQ(description.kind, "radio");
    EXPECT_EQ(description.name, "radio8.xps");
    EXPECT_TRUE(description.selected);
    EXPECT_FALSE(description.enabled);
    EXPECT_TRUE(a.DescribeUi(description));
    EXPECT_FALSE(description.selected);
}

TEST_F(NButtonTest, TwoFrameRadioButtonsShowOnlyCheckedAndUnchecked)
{
    NRadioGroup group;
    fUniverse->AddChild(group, 0);
    NRadioButton a, b;
    a.LoadSprites(SpriteSet("radio2.xps", 2, 20, 20, 30), NPoint(100, 100));
    b.LoadSprites(SpriteSet("radio2.xps", 2, 20, 20, 30), NPoint(130, 100));
    group.AddRadioButton(a, 0);
    group.AddRadioButton(b, 0);
    Move(105, 105);
    EXPECT_EQ(a.Frame(), kRadioUnchecked);
    Press(105, 105);
    EXPECT_EQ(a.Frame(), kRadioChecked);   // the press falls back to the checked frame
    Move(300, 300);
    EXPECT_EQ(a.Frame(), kRadioUnchecked);
    Click(105, 105);
    EXPECT_EQ(a.Frame(), kRadioChecked);
    Click(135, 105);
    EXPECT_EQ(a.Frame(), kRadioUnchecked);
    EXPECT_EQ(b.Frame(), kRadioChecked);
    // The set has no disabled frame: frames beyond the set show frame 0.
    b.Enable(false);
    EXPECT_EQ(b.StateSprite().CurrentIndex(), kRadioUnchecked);
}

TEST_F(NButtonTest, TextButtonCentresItsLabelShiftsItWhenPressedAndDimsItWhenDisabled)
{
    NTextButton button;
    constexpr uint32_t kNormal = 0xFF0000FF;
    constexpr uint32_t kDim = 0xFF808080;
    ASSERT_TRUE(button.Make(SpriteSet("wide.xps", 4, 120, 40, 20), NPoint(200, 200), "OK", nullptr, kNormal, 4, kDim));
    fUniverse->AddChild(button, 0);
    const NRect label = button.Label().Rect();
    ASSERT_FALSE(label.IsEmpty());
    EXPECT_EQ(label.fX, 200 + (120 - label.fWidth) / 2);
    EXPECT_EQ(label.fY, 200 + (40 - label.fHeight) / 2);
    // The recoloured label keeps the alpha of its smoothed edges.
    const NSpImage* image = button.Label().CurrentImage();
    ASSERT_EQ(image->Depth(), 32);
    bool sawSolid = false;
    bool sawEdge = false;
    for (int y = 0; y < image->Height(); ++y) {
        for (int x = 0; x < image->Width(); ++x) {
            uint32_t pixel;
            std::memcpy(&pixel, image->GetBits() + y * image->RowBytes() + x * 4, 4);
            if ((pixel >> 24) == 0)
                continue;
            EXPECT_EQ(pixel & 0xFFFFFF, kNormal & 0xFFFFFF);
            sawSolid |= (pixel >> 24) == 0xFF;
            sawEdge |= (pixel >> 24) != 0xFF;
        }
    }
    EXPECT_TRUE(sawSolid);
    EXPECT_TRUE(sawEdge);

    Press(260, 220);
    EXPECT_EQ(button.Label().Rect(), label.Offset(2, 2));
    Release(260, 220);
    EXPECT_EQ(button.Label().Rect(), label);
    EXPECT_EQ(button.Button().Frame(), kButtonHover);

    button.Button().Enable(false);
    EXPECT_TRUE(button.IsDimmed());
    Render();
    // Somewhere in the label the dimmed colour shows over the disabled frame.
    bool sawDim = false;
    for (int y = label.fY; y < label.Bottom(); ++y) {
        for (int x = label.fX; x < label.Right(); ++x)
            sawDim |= fWindow->Pixel(x, y) == kDim;
    }
    EXPECT_TRUE(sawDim);
    EXPECT_EQ(fWindow->Pixel(201, 201), IndexColor(22));
    button.SetLabelOffset(NPoint(5, -3));
    EXPECT_EQ(button.Label().Rect(), label.Offset(5, -3));

    NUiDescription description;
    EXPECT_TRUE(button.Button().DescribeUi(description));
    EXPECT_EQ(description.kind, "button");
    EXPECT_EQ(description.name, "wide.xps");
    EXPECT_EQ(description.text, "OK");
    EXPECT_FALSE(description.enabled);
}

TEST_F(NButtonTest, APressedButtonHoldsTheFocusAndSwallowsKeysUntilReleased)
{
    NEditor field;
    NFont font;
    font.FontFromText("Arial,12");
    field.SetUp(NRect(300, 300, 200, 20), font);
    fUniverse->AddChild(field, 0);
    Click(310, 310);
    ASSERT_EQ(NInputState::The().Focus(), &field);
    auto button = MakeButton(100, 100);
    Press(110, 110);
    EXPECT_EQ(NInputState::The().Focus(), button.get());
    EXPECT_TRUE(Char('a'));
    EXPECT_TRUE(Key(kKeyLeft));
    EXPECT_EQ(field.Text(), "");
    Release(110, 110);
    EXPECT_EQ(NInputState::The().Focus(), &field);
    Char('a');
    EXPECT_EQ(field.Text(), "a");

    NUiDescription description;
    EXPECT_TRUE(button->DescribeUi(description));
    EXPECT_EQ(description.kind, "button");
    EXPECT_EQ(description.name, "button.xps");
    EXPECT_EQ(description.event, kClickCode);
    EXPECT_TRUE(description.enabled);
    EXPECT_FALSE(description.focused);
}
