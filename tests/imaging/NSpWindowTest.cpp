// Sprite windows: dragging on the pointer port inside the content, and tab focus.
#include "imaging/NSpWindow.h"

#include "framework/NEventCodes.h"
#include "framework/NInputState.h"
#include "framework/NPointerPort.h"
#include "framework/NPortHandle.h"
#include "tests/imaging/NSpriteTestSupport.h"

namespace {

class NSpWindowTest : public NSpSceneTest {
protected:
    void SetUp() override
    {
        NSpSceneTest::SetUp();
        NPointerPort::Set(&fPointerPort);
        fUniverse->AddChild(fWindowNode, 0);
        fWindowNode.SetRect(NRect(100, 100, 200, 100));
        NInputState::The().PushInputRoot(*fUniverse);
    }

    void TearDown() override
    {
        NInputState::The().RemoveInputRoot(*fUniverse);
        NPointerPort::Set(nullptr);
        NSpSceneTest::TearDown();
    }

    NInputEvent Mouse(int32_t type, int16_t x, int16_t y)
    {
        NInputEvent event;
        event.Init(type, 0, NPoint(x, y));
        return event;
    }

    /// What the application does on a mouse move: hover routing, then the pointer port.
    void MoveMouse(int16_t x, int16_t y)
    {
        NInputEvent event = Mouse(kInputMouseMove, x, y);
        NInputState::The().PointerMoved(event);
        NInputEventRef loan(event);
        NPortEvent moved(kEventPointerMoved);
        moved.SetArgumentObject(loan);
        fPointerPort.Send(moved);
    }

    NPortHandle fPointerPort;
    NSpWindow fWindowNode;
};

class FocusField : public NSpObject {
public:
    bool fGained = false;
    void FocusGained() override { fGained = true; }
};

} // namespace

TEST_F(NSpWindowTest, ADraggableWindowFollowsThePointerInsideTheContentOnly)
{
    fWindowNode.SetDraggable(true);
    EXPECT_TRUE(NInputState::The().ButtonDown(Mouse(kInputButtonDown, 150, 150)));
    EXPECT_EQ(NInputState::The().CaptureTarget(), &fWindowNode);
    EXPECT_EQ(fPointerPort.ListenerCount(), 1);
    MoveMouse(160, 145);
    EXPECT_EQ(fWindowNode.Rect(), NRect(110, 95, 200, 100));
    MoveMouse(700, 145);   // outside the content: taken, no move
    EXPECT_EQ(fWindowNode.Rect(), NRect(110, 95, 200, 100));
    MoveMouse(170, 145);   // measured from the last point inside
    EXPECT_EQ(fWindowNode.Rect(), NRect(120, 95, 200, 100));
    NInputState::The().ButtonUp(Mouse(kInputButtonUp, 170, 145));
    EXPECT_EQ(fPointerPort.ListenerCount(), 0);
    MoveMouse(200, 200);
    EXPECT_EQ(fWindowNode.Rect(), NRect(120, 95, 200, 100));
    EXPECT_TRUE(fWindowNode.IsChanged());
}

TEST_F(NSpWindowTest, AWindowThatIsNotDraggableLeavesThePressAlone)
{
    EXPECT_FALSE(fWindowNode.MouseDown(Mouse(kInputButtonDown, 150, 150)));
    EXPECT_EQ(fPointerPort.ListenerCount(), 0);
    EXPECT_FALSE(fWindowNode.MouseUp(Mouse(kInputButtonUp, 150, 150)));
}

TEST_F(NSpWindowTest, TabCyclesFieldsInTabIndexOrderBothWays)
{
    FocusField a, b, c, d;
    for (FocusField* field : { &a, &b, &c, &d })
        fWindowNode.AddChild(*field, 0);
    fWindowNode.AddField(c, 3);
    fWindowNode.AddField(a, 1);
    fWindowNode.AddField(d, 3);   // equal index: after c
    fWindowNode.AddField(b, 2);
    ASSERT_EQ(fWindowNode.FieldCount(), 4);
    EXPECT_EQ(fWindowNode.FieldAt(2), &c);
    EXPECT_EQ(fWindowNode.FieldAt(3), &d);

    NInputEvent tab = Mouse(kInputChar, 0, 0);
    tab.fChar = NSpWindow::kTabCharacter;
    EXPECT_TRUE(fWindowNode.Char(tab));
    EXPECT_EQ(NInputState::The().Focus(), &a);
    EXPECT_TRUE(a.fGained);
    fWindowNode.Char(tab);
    fWindowNode.Char(tab);
    fWindowNode.Char(tab);
    EXPECT_EQ(NInputState::The().Focus(), &d);
    fWindowNode.Char(tab);
    EXPECT_EQ(NInputState::The().Focus(), &a);   // wrapped
    tab.fFlags = kInputShift;
    fWindowNode.Char(tab);
    EXPECT_EQ(NInputState::The().Focus(), &d);

    fWindowNode.RemoveField(d);
    EXPECT_EQ(fWindowNode.FieldCount(), 3);
    EXPECT_EQ(fWindowNode.FocusField(), nullptr);
    tab.fFlags = 0;
    fWindowNode.Char(tab);
    EXPECT_EQ(NInputState::The().Focus(), &a);
    NInputEvent other = tab;
    other.fChar = 'x';
    EXPECT_FALSE(fWindowNode.Char(other));
}

TEST_F(NSpWindowTest, DestroyedFieldsLeaveTheTabList)
{
    FocusField a;
    fWindowNode.AddChild(a, 0);
    fWindowNode.AddField(a, 1);
    {
        FocusField gone;
        fWindowNode.AddChild(gone, 0);
        fWindowNode.AddField(gone, 2);
    }
    NInputEvent tab = Mouse(kInputChar, 0, 0);
    tab.fChar = NSpWindow::kTabCharacter;
    fWindowNode.Char(tab);
    fWindowNode.Char(tab);
    EXPECT_EQ(NInputState::The().Focus(), &a);
    EXPECT_EQ(fWindowNode.FieldCount(), 1);
}
