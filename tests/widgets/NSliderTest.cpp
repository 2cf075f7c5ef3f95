// Tests of the slider, its thumb and the thermometer, driven through the input routing.
#include "widgets/NSlider.h"

#include "widgets/NThermometer.h"
#include "widgets/NWidgetCodes.h"
#include "tests/widgets/NWidgetTestSupport.h"

namespace {

constexpr int32_t kOwnerCode = 900;

class NSliderTest : public NWidgetTest {
protected:
    /// A horizontal slider at (100, 100), 200 x 16: arrows 16 x 16, thumb 20 x 16, so the
    /// thumb travels 148 pixels from x 16 (slider coordinates).
    void MakeSlider(NSlider& slider, NRect rect = NRect(100, 100, 200, 16))
    {
        bool vertical = rect.fWidth < rect.fHeight;
        ASSERT_TRUE(slider.SetUp(rect, SpriteSet("less.xps", 4, 16, 16, 40), SpriteSet("more.xps", 4, 16, 16, 50),
                                 SpriteSet("thumb.xps", 1, vertical ? 16 : 20, vertical ? 20 : 16, 60), 0xFF101010));
        fUniverse->AddChild(slider, 0);
        slider.SetOwnerNotification(ClickTo(kOwnerCode, true));
    }

    /// Owner events as (value, second word) pairs; the second must be the owner's code.
    std::vector<int32_t> OwnerCodes()
    {
        NEventQueue::The().Process();
        std::vector<int32_t> codes;
        for (const NPortEvent& event : fClicks.fEvents) {
            EXPECT_EQ(event.fSecondArgument, kOwnerCode);
            codes.push_back(event.fCode);
        }
        fClicks.Clear();
        return codes;
    }

    /// Time for the thumb's timer to follow the pointer, and the pass that delivers what
    /// it posted.
    void DragPass()
    {
        IdleFor(25);
        Idle(0);
    }
};

} // namespace

TEST_F(NSliderTest, ArrowsStepByLinesAndReportEvenAtTheEnds)
{
    NSlider slider;
    MakeSlider(slider);
    EXPECT_FALSE(slider.Thumb().IsVisible());
    EXPECT_TRUE(slider.LessArrow().IsDisabled());
    slider.SetRange(0, 10);
    EXPECT_TRUE(slider.Thumb().IsVisible());
    EXPECT_FALSE(slider.MoreArrow().IsDisabled());
    EXPECT_EQ(slider.Thumb().Rect(), NRect(116, 100, 20, 16));
    slider.SetValue(10);
    EXPECT_EQ(slider.Thumb().Rect(), NRect(116 + 148, 100, 20, 16));
    EXPECT_TRUE(OwnerCodes().empty());   // set value reports nothing

    Click(290, 108);   // the more arrow
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderLineMore});
    EXPECT_EQ(slider.Value(), 10);
    Click(105, 108);
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderLineLess});
    EXPECT_EQ(slider.Value(), 9);
    EXPECT_EQ(slider.Thumb().Rect().fX, 116 + 148 * 9 / 10);
    NUiDescription description;
    EXPECT_TRUE(slider.DescribeUi(description));
    EXPECT_EQ(description.kind, "slider");
    EXPECT_EQ(description.text, "9");
    EXPECT_EQ(description.event, kOwnerCode);
    // The thumb is listed too, so a test driving a real pointer finds what to drag.
    NUiDescription thumb;
    EXPECT_TRUE(slider.Thumb().DescribeUi(thumb));
    EXPECT_EQ(thumb.kind, "sprite");
    EXPECT_EQ(thumb.text, "9");

    // Held, the arrow repeats after 150 ms every 50 ms.
    slider.SetSteps(2, 5);
    Press(105, 108);
    IdleFor(140);
    EXPECT_TRUE(OwnerCodes().empty());
    IdleFor(120);
    Release(105, 108);
    std::vector<int32_t> codes = OwnerCodes();
    EXPECT_GE(codes.size(), 3u);
    EXPECT_LE(codes.size(), 4u);
    for (int32_t code : codes)
        EXPECT_EQ(code, kEventSliderLineLess);
    EXPECT_EQ(slider.Value(), 9 - 2 * int32_t(codes.size()));
}

TEST_F(NSliderTest, AnEmptyRangeDisablesTheArrowsHidesTheThumbAndReportsTheMove)
{
    NSlider slider;
    MakeSlider(slider);
    slider.SetRange(0, 10);
    slider.SetValue(2);
    slider.SetRange(5, 3);
    EXPECT_EQ(slider.Minimum(), 5);
    EXPECT_EQ(slider.Maximum(), 5);
    EXPECT_EQ(slider.Value(), 5);
    EXPECT_TRUE(slider.LessArrow().IsDisabled());
    EXPECT_TRUE(slider.MoreArrow().IsDisabled());
    EXPECT_FALSE(slider.Thumb().IsVisible());
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderChanged});
    slider.SetRange(5, 5);
    EXPECT_TRUE(OwnerCodes().empty());
    // Clicks change nothing but the arrow frames: the arrows are disabled.
    Click(290, 108);
    EXPECT_TRUE(OwnerCodes().empty());
    EXPECT_EQ(slider.MoreArrow().Frame(), kButtonDisabled);
}

TEST_F(NSliderTest, TrackPressesStepByPagesAndRepeatWhileTheZoneHolds)
{
    NSlider slider;
    MakeSlider(slider);
    slider.SetRange(0, 100);
    slider.SetSteps(1, 10);
    slider.SetValue(50);
    // The thumb lies at 116 + 74 = 190.
    EXPECT_TRUE(Press(260, 108));
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderPageMore});
    EXPECT_EQ(slider.Value(), 60);
    IdleFor(145);
    EXPECT_TRUE(OwnerCodes().empty());
    // The slider's timer runs every 50 ms, so the repeats start within 150 to 200 ms.
    IdleFor(110);
    std::vector<int32_t> codes = OwnerCodes();
    EXPECT_GE(codes.size(), 2u);
    EXPECT_LE(codes.size(), 3u);
    EXPECT_EQ(slider.Value(), 60 + 10 * int32_t(codes.size()));
    // With the thumb under the pointer the repeats stop, and the press goes on.
    int32_t value = slider.Value();
    Move(slider.Thumb().Rect().fX + 5, 108);
    IdleFor(200);
    EXPECT_TRUE(OwnerCodes().empty());
    EXPECT_EQ(NInputState::The().CaptureTarget(), &slider);
    Release(slider.Thumb().Rect().fX + 5, 108);
    EXPECT_EQ(slider.Value(), value);

    Press(120, 108);
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderPageLess});
    Release(120, 108);
}

TEST_F(NSliderTest, AtRestNoPartKeepsATimerRunning)
{
    // A still window sleeps until the next timer: a slider, its arrows and thumb at rest
    // must have none due.
    NSlider slider;
    MakeSlider(slider);
    slider.SetRange(0, 100);
    slider.SetValue(50);
    auto timers = [&slider] {
        return int(slider.TimerMode() != kTimerOff) + int(slider.LessArrow().TimerMode() != kTimerOff)
            + int(slider.MoreArrow().TimerMode() != kTimerOff) + int(slider.Thumb().TimerMode() != kTimerOff);
    };
    EXPECT_EQ(timers(), 0);
    // Held, the arrow repeats on its timer; released, the timer ends.
    Press(290, 108);
    EXPECT_EQ(slider.MoreArrow().TimerMode(), kTimerAppClock);
    IdleFor(300);
    EXPECT_GT(slider.Value(), 51);
    Release(290, 108);
    IdleFor(50);
    EXPECT_EQ(timers(), 0);
    // The same for a track press and a thumb drag.
    Press(260, 108);
    EXPECT_EQ(slider.TimerMode(), kTimerAppClock);
    Release(260, 108);
    IdleFor(60);
    EXPECT_EQ(timers(), 0);
    const NRect thumb = slider.Thumb().Rect();
    Press(thumb.fX + 4, 108);
    IdleFor(30);
    Move(thumb.fX + 30, 108);
    IdleFor(30);
    Release(thumb.fX + 30, 108);
    IdleFor(30);
    EXPECT_EQ(timers(), 0);
    EXPECT_GT(slider.Value(), 50);
}

TEST_F(NSliderTest, TheWheelMovesOneLinePerEventInWholeNotches)
{
    NSlider slider;
    MakeSlider(slider);
    slider.SetRange(0, 100);
    slider.SetValue(50);
    EXPECT_TRUE(WheelAt(200, 108, 60));
    EXPECT_TRUE(OwnerCodes().empty());
    EXPECT_EQ(slider.Value(), 50);
    WheelAt(200, 108, -120);
    EXPECT_EQ(slider.Value(), 51);
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderLineMore});
    WheelAt(200, 108, 360);
    EXPECT_EQ(slider.Value(), 50);
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderLineLess});
}

TEST_F(NSliderTest, DraggingTheThumbSnapsBackFarOutsideAndResumesInside)
{
    NSlider slider;
    MakeSlider(slider);
    slider.SetRange(0, 148 * 2);   // two values per pixel
    slider.SetValue(0);
    EXPECT_TRUE(Press(120, 108));   // on the thumb, 4 pixels into it
    EXPECT_EQ(NInputState::The().CaptureTarget(), &slider.Thumb());
    Move(170, 110);
    DragPass();
    EXPECT_EQ(slider.Thumb().Rect().fX, 166);
    EXPECT_EQ(slider.Value(), 100);
    EXPECT_EQ(OwnerCodes(), std::vector<int32_t>{kEventSliderChanged});
    // Within 15 pixels of the slider the thumb follows; beyond it goes back.
    Move(180, 100 + 16 + 14);
    DragPass();
    EXPECT_EQ(slider.Thumb().Rect().fX, 176);
    Move(180, 100 + 16 + 15);
    DragPass();
    EXPECT_EQ(slider.Thumb().Rect().fX, 116);
    EXPECT_EQ(slider.Value(), 0);
    Move(500, 108);   // back inside the limit at the far end: clamped to the travel
    DragPass();
    EXPECT_EQ(slider.Thumb().Rect().fX, 116);
    Move(310, 108);
    DragPass();
    EXPECT_EQ(slider.Thumb().Rect().fX, 116 + 148);
    EXPECT_EQ(slider.Value(), 296);
    OwnerCodes();
    Move(200, 108);
    DragPass();
    Release(200, 108);
    EXPECT_EQ(OwnerCodes(), (std::vector<int32_t>{kEventSliderChanged, kEventSliderThumbDone}));
    EXPECT_EQ(slider.Value(), 2 * (196 - 116));

    // A press and release without a move reports nothing.
    Click(200, 108);
    DragPass();
    EXPECT_TRUE(OwnerCodes().empty());
}

TEST_F(NSliderTest, ReleasingTheThumbSnapsItToTheValue)
{
    NSlider slider;
    MakeSlider(slider, NRect(100, 100, 16, 200));   // vertical
    ASSERT_TRUE(slider.IsVertical());
    slider.SetRange(0, 3);   // the thumb rests at 0, 49, 98 or 148 pixels
    Press(108, 118);
    Move(108, 118 + 30);
    DragPass();
    Release(108, 118 + 30);
    Idle(0);
    EXPECT_EQ(slider.Value(), 1);   // 30 / 148 * 3 = 0.61, rounded
    EXPECT_EQ(slider.Thumb().Rect().fY, 116 + 49);
}

TEST_F(NSliderTest, ThermometerShowsTheFractionOfItsWidth)
{
    NThermometer bar;
    fUniverse->AddChild(bar, 0);
    ASSERT_TRUE(bar.LoadBar(SpriteSet("bar.xps", 1, 100, 10, 70), NPoint(50, 300)));
    EXPECT_EQ(bar.Rect(), NRect(50, 300, 0, 10));   // range 0..0 shows nothing
    bar.SetValue(150);
    EXPECT_EQ(bar.Rect().fWidth, 0);
    bar.SetRange(0, 100);
    bar.SetValue(150);
    EXPECT_EQ(bar.Value(), 100);
    EXPECT_EQ(bar.Rect(), NRect(50, 300, 100, 10));
    bar.SetValue(37);
    Render();
    EXPECT_EQ(bar.Rect(), NRect(50, 300, 37, 10));
    EXPECT_EQ(fWindow->Pixel(50, 305), IndexColor(70));
    EXPECT_EQ(fWindow->Pixel(86, 305), IndexColor(70));
    EXPECT_EQ(fWindow->Pixel(87, 305), kBackground);
    bar.SetRange(-50, 50);
    EXPECT_EQ(bar.Rect().fWidth, 87);
    bar.SetValue(-80);
    EXPECT_EQ(bar.Rect().fWidth, 0);

    NUiDescription description;
    EXPECT_TRUE(bar.DescribeUi(description));
    EXPECT_EQ(description.kind, "thermometer");
    EXPECT_EQ(description.text, "-50");
    EXPECT_EQ(description.name, "bar.xps");
}
