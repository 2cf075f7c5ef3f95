// Pointer routing (hover, wheel, press, capture), the focus and its chain, and input roots.
#include "framework/NInputState.h"

#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// A universe with two groups side by side, each with one child:
//   u (0,0,640,480): left (0,0,300,480) > leftChild (10,10,100,100)
//                    right (300,0,340,480) > rightChild (10,10,100,100) at (310,10)
class NInputStateTest : public NEventTest {
protected:
    NInputStateTest()
    {
        Move(0, 0); // the pointer position outlives each test
        fUniverse.AddChild(fLeft, 1);
        fUniverse.AddChild(fRight, 2);
        fLeft.AddChild(fLeftChild, 0);
        fRight.AddChild(fRightChild, 0);
        fInput.PushInputRoot(fUniverse);
        fLog.clear();
    }
    ~NInputStateTest() override { fInput.RemoveInputRoot(fUniverse); }

    void Move(int16_t x, int16_t y) { fInput.PointerMoved(MakeInput(kInputMouseMove, x, y)); }
    bool Down(int16_t x, int16_t y) { return fInput.ButtonDown(MakeInput(kInputButtonDown, x, y)); }
    bool Up(int16_t x, int16_t y) { return fInput.ButtonUp(MakeInput(kInputButtonUp, x, y)); }

    NInputState& fInput = NInputState::The();
    NEventLog fLog;
    NRecordingTarget fUniverse { fLog, "u" };
    NRecordingTarget fLeft { fLog, "left", NRect(0, 0, 300, 480) };
    NRecordingTarget fRight { fLog, "right", NRect(300, 0, 340, 480) };
    NRecordingTarget fLeftChild { fLog, "lc", NRect(10, 10, 100, 100) };
    NRecordingTarget fRightChild { fLog, "rc", NRect(10, 10, 100, 100) };
};

TEST_F(NInputStateTest, FirstHoverReportCallsLeaveOnNodesNeverEntered)
{
    // The push in the fixture was the first report: every node outside (0, 0) heard Leave.
    NEventLog log;
    NRecordingTarget root(log, "root"), child(log, "child", NRect(100, 100, 10, 10));
    root.AddChild(child, 0);
    fInput.PushInputRoot(root);
    EXPECT_EQ(log, (NEventLog { "child.MouseLeave", "root.MouseEnter" }));
    EXPECT_TRUE(child.IsHoverKnown());
    EXPECT_FALSE(child.IsInside());
    fInput.RemoveInputRoot(root);
}

TEST_F(NInputStateTest, HoverVisitsChildrenFrontFirstBeforeTheNodeAndReportsOnlyChanges)
{
    Move(50, 50);
    EXPECT_EQ(fLog, (NEventLog { "lc.MouseEnter" })); // u and left knew already
    fLog.clear();
    Move(60, 60);
    EXPECT_TRUE(fLog.empty());
    Move(320, 20);
    EXPECT_EQ(fLog, (NEventLog { "lc.MouseLeave", "left.MouseLeave", "rc.MouseEnter", "right.MouseEnter" }));
    EXPECT_EQ(fInput.LastPointer(), NPoint(320, 20));
}

TEST_F(NInputStateTest, HoverUsesTheVisibleAreaAndSkipsDisabledSubtrees)
{
    fRightChild.SetLocalRect(NRect(-50, 10, 100, 100)); // its left half sticks out of right
    Move(280, 20);
    EXPECT_TRUE(std::find(fLog.begin(), fLog.end(), "rc.MouseEnter") == fLog.end());
    fLog.clear();
    fRight.SetEnabled(false);
    Move(320, 20);
    EXPECT_EQ(fLog, (NEventLog { "left.MouseLeave" }));
}

TEST_F(NInputStateTest, PressGoesCaptureFirstThenFrontChildrenThenTheNode)
{
    EXPECT_FALSE(Down(50, 50));
    EXPECT_EQ(fLog,
        (NEventLog { "u.MouseDownCapture", "left.MouseDownCapture", "lc.MouseDownCapture", "lc.MouseDown",
            "left.MouseDown", "u.MouseDown" }));
    EXPECT_EQ(fInput.CaptureTarget(), nullptr);

    fLog.clear();
    fLeftChild.fTakes = { "MouseDown" };
    EXPECT_TRUE(Down(50, 50));
    EXPECT_EQ(fLog.back(), "lc.MouseDown");
    EXPECT_EQ(fInput.CaptureTarget(), &fLeftChild);
    EXPECT_TRUE(fLeftChild.HoldsPointer());
    EXPECT_FALSE(fUniverse.HoldsPointer());

    fLog.clear();
    EXPECT_FALSE(Up(400, 400)); // released anywhere: to the capture target
    EXPECT_EQ(fLog, (NEventLog { "lc.MouseUp" }));
    EXPECT_EQ(fInput.CaptureTarget(), nullptr);
    EXPECT_TRUE(fUniverse.HoldsPointer());

    fLog.clear();
    fLeft.fTakes = { "MouseDownCapture" };
    EXPECT_TRUE(Down(50, 50));
    EXPECT_EQ(fLog, (NEventLog { "u.MouseDownCapture", "left.MouseDownCapture" }));
    EXPECT_EQ(fInput.CaptureTarget(), &fLeft);
    Up(0, 0);
}

TEST_F(NInputStateTest, DisabledNodeTakesNoPressAndTheReleaseIsIgnored)
{
    fLeft.fTakes = { "MouseDown" };
    fLeftChild.fTakes = { "MouseDown" };
    fUniverse.fTakes.clear();
    fLeft.SetEnabled(false);
    EXPECT_FALSE(Down(50, 50));
    EXPECT_EQ(fLog, (NEventLog { "u.MouseDownCapture", "u.MouseDown" }));
    EXPECT_EQ(fInput.CaptureTarget(), nullptr);
    fLog.clear();
    EXPECT_FALSE(Up(50, 50));
    EXPECT_TRUE(fLog.empty());
}

TEST_F(NInputStateTest, CaptureOptOutTakesThePressWithoutCapturing)
{
    fLeftChild.fTakes = { "MouseDown" };
    fLeftChild.fAction = [&](const std::string& operation, const NInputEvent&) {
        if (operation == "MouseDown")
            fInput.SetCaptureOptOut();
    };
    EXPECT_TRUE(Down(50, 50));
    EXPECT_EQ(fInput.CaptureTarget(), nullptr);
    fLeftChild.fAction = nullptr;
    EXPECT_TRUE(Down(50, 50)); // the flag was cleared by the previous press
    EXPECT_EQ(fInput.CaptureTarget(), &fLeftChild);
    Up(50, 50);
}

TEST_F(NInputStateTest, WhileAButtonIsHeldHoverStaysInsideTheCaptureSubtree)
{
    fLeft.fTakes = { "MouseDown" };
    Move(200, 200);
    ASSERT_TRUE(Down(200, 200));
    ASSERT_EQ(fInput.CaptureTarget(), &fLeft);
    fLog.clear();
    Move(320, 20);
    EXPECT_EQ(fLog, (NEventLog { "left.MouseLeave" })); // right and its child hear nothing
    fLog.clear();
    Move(50, 50);
    EXPECT_EQ(fLog, (NEventLog { "lc.MouseEnter", "left.MouseEnter" }));
    Up(50, 50);
    fLog.clear();
    Move(320, 20);
    EXPECT_EQ(fLog, (NEventLog { "lc.MouseLeave", "left.MouseLeave", "rc.MouseEnter", "right.MouseEnter" }));
}

TEST_F(NInputStateTest, WheelGoesCaptureFirstThenChildrenThenTheNode)
{
    fRightChild.fTakes = { "Wheel" };
    NInputEvent wheel = MakeInput(kInputButtonDown, 320, 20);
    wheel.fExtra = -kWheelNotch;
    EXPECT_TRUE(fInput.Wheel(wheel));
    // left is not under the point, so it is not asked at all.
    EXPECT_EQ(fLog, (NEventLog { "u.WheelCapture", "right.WheelCapture", "rc.WheelCapture", "rc.Wheel" }));
    EXPECT_EQ(fInput.CaptureTarget(), nullptr); // the wheel never captures
}

TEST_F(NInputStateTest, PushingAModalRootTellsEverythingOutsideItThatThePointerLeft)
{
    Move(50, 50);
    fLog.clear();
    NRecordingTarget modal(fLog, "modal", NRect(300, 100, 200, 200));
    NRecordingTarget button(fLog, "button", NRect(10, 10, 50, 50));
    modal.AddChild(button, 0);
    fUniverse.AddChild(modal, 0);
    fInput.PushInputRoot(modal);
    EXPECT_EQ(fLog,
        (NEventLog { "button.MouseLeave", "modal.MouseLeave", "lc.MouseLeave", "left.MouseLeave", "u.MouseLeave" }));
    EXPECT_EQ(fInput.InputRoot(), &modal);
    EXPECT_TRUE(modal.IsInputRoot());
    fLog.clear();
    Move(50, 50); // outside the modal window: the nodes behind it hear nothing
    EXPECT_TRUE(fLog.empty());
    Move(320, 120);
    EXPECT_EQ(fLog, (NEventLog { "button.MouseEnter", "modal.MouseEnter" }));
    fLog.clear();
    fLeftChild.fTakes = { "MouseDown" };
    EXPECT_FALSE(Down(50, 50));
    EXPECT_TRUE(fLog.empty());

    fLog.clear();
    fInput.RemoveInputRoot(modal);
    EXPECT_FALSE(modal.IsInputRoot());
    EXPECT_EQ(fInput.InputRoot(), &fUniverse);
    EXPECT_EQ(fLog,
        (NEventLog { "button.MouseLeave", "modal.MouseLeave", "button.MouseEnter", "modal.MouseEnter",
            "right.MouseEnter", "u.MouseEnter" }));
}

TEST_F(NInputStateTest, DestroyingTheTopRootReturnsInputToTheOneBelow)
{
    auto modal = std::make_unique<NRecordingTarget>(fLog, "modal", NRect(300, 100, 200, 200));
    fInput.PushInputRoot(*modal);
    fInput.PushInputRoot(fLeft);
    fInput.PushInputRoot(*modal); // a second entry further up the stack
    EXPECT_EQ(fInput.InputRoots().size(), 4u);
    fInput.RemoveInputRoot(fLeft); // further down: just unlinked
    EXPECT_EQ(fInput.InputRoot(), modal.get());
    fLog.clear();
    modal.reset();
    EXPECT_EQ(fInput.InputRoots(), (std::vector<NEventTarget*> { &fUniverse }));
    EXPECT_EQ(fLog.back(), "u.MouseEnter");
}

TEST_F(NInputStateTest, NodesDestroyedDuringHoverAreSkippedSafely)
{
    auto doomed = std::make_unique<NRecordingTarget>(fLog, "doomed", NRect(0, 0, 50, 50));
    auto sibling = std::make_unique<NRecordingTarget>(fLog, "sibling", NRect(0, 0, 50, 50));
    fLeftChild.AddChild(*doomed, 0);
    fLeftChild.AddChild(*sibling, 1);
    doomed->fAction = [&](const std::string&, const NInputEvent&) {
        sibling.reset();
        doomed.reset();
    };
    Move(20, 20);
    EXPECT_EQ(fLog, (NEventLog { "doomed.MouseEnter", "lc.MouseEnter" }));
    EXPECT_TRUE(fLeftChild.Children().empty());
}

TEST_F(NInputStateTest, AChildThatDestroysItsGroupEndsTheWalkOfThatGroup)
{
    auto group = std::make_unique<NRecordingTarget>(fLog, "group", NRect(0, 0, 100, 100));
    NRecordingTarget killer(fLog, "killer", NRect(0, 0, 50, 50));
    NRecordingTarget after(fLog, "after", NRect(0, 0, 50, 50));
    group->AddChild(killer, 0);
    group->AddChild(after, 1);
    fLeftChild.AddChild(*group, 0);
    killer.fAction = [&](const std::string& operation, const NInputEvent&) {
        if (operation == "MouseEnter" || operation == "MouseDown")
            group.reset();
    };
    Move(20, 20);
    EXPECT_EQ(fLog, (NEventLog { "killer.MouseEnter", "lc.MouseEnter" }));
    EXPECT_EQ(killer.Parent(), nullptr);

    fLeftChild.AddChild(killer, 0);
    group = std::make_unique<NRecordingTarget>(fLog, "group", NRect(0, 0, 100, 100));
    fLeftChild.RemoveChild(killer);
    group->AddChild(killer, 0);
    fLeftChild.AddChild(*group, 0);
    fLog.clear();
    EXPECT_FALSE(Down(20, 20)); // the group is gone before its own MouseDown
    EXPECT_EQ(fLog,
        (NEventLog { "u.MouseDownCapture", "left.MouseDownCapture", "lc.MouseDownCapture", "group.MouseDownCapture",
            "killer.MouseDownCapture", "killer.MouseDown", "lc.MouseDown", "left.MouseDown", "u.MouseDown" }));
    killer.fAction = nullptr;
}

TEST_F(NInputStateTest, ANodeMovedElsewhereDuringAWalkIsNotVisitedTwice)
{
    NRecordingTarget first(fLog, "first", NRect(0, 0, 50, 50));
    NRecordingTarget moved(fLog, "moved", NRect(0, 0, 50, 50));
    fLeftChild.AddChild(first, 0);
    fLeftChild.AddChild(moved, 1);
    first.fAction = [&](const std::string& operation, const NInputEvent&) {
        if (operation == "MouseEnter") {
            fLeftChild.RemoveChild(moved);
            fRight.AddChild(moved, 5); // still alive, but no longer a child of lc
        }
    };
    Move(20, 20);
    // Reported once, by its new parent's walk (now at (300, 0), so outside).
    EXPECT_EQ(fLog, (NEventLog { "first.MouseEnter", "lc.MouseEnter", "moved.MouseLeave" }));
    first.fAction = nullptr;
}

TEST_F(NInputStateTest, ATakerDestroyedByItsOwnPressIsNotCaptured)
{
    auto doomed = std::make_unique<NRecordingTarget>(fLog, "doomed", NRect(0, 0, 50, 50));
    fLeftChild.AddChild(*doomed, 0);
    doomed->fTakes = { "MouseDown" };
    doomed->fAction = [&](const std::string& operation, const NInputEvent&) {
        if (operation == "MouseDown")
            doomed.reset();
    };
    EXPECT_TRUE(Down(20, 20));
    EXPECT_EQ(fInput.CaptureTarget(), nullptr);
    EXPECT_FALSE(Up(20, 20));
}

TEST_F(NInputStateTest, CaptureTargetDestroyedDuringTheHoldIsForgotten)
{
    auto doomed = std::make_unique<NRecordingTarget>(fLog, "doomed", NRect(0, 0, 50, 50));
    fLeftChild.AddChild(*doomed, 0);
    doomed->fTakes = { "MouseDown" };
    EXPECT_TRUE(Down(20, 20));
    EXPECT_EQ(fInput.CaptureTarget(), doomed.get());
    doomed.reset();
    EXPECT_EQ(fInput.CaptureTarget(), nullptr);
    Move(30, 30);
    EXPECT_FALSE(Up(30, 30));
}

// Focus

TEST_F(NInputStateTest, TakingTheFocusNotifiesAndKeepsAHistory)
{
    EXPECT_TRUE(fInput.TakeFocus(fLeftChild, true));
    EXPECT_EQ(fLog, (NEventLog { "lc.FocusGained" }));
    fLog.clear();
    EXPECT_TRUE(fInput.TakeFocus(fLeftChild, true)); // already: nothing happens
    EXPECT_TRUE(fLog.empty());
    EXPECT_TRUE(fInput.TakeFocus(fRightChild, false));
    EXPECT_EQ(fLog, (NEventLog { "lc.CanLoseFocus", "lc.FocusLost" }));
    EXPECT_EQ(fInput.FocusHistory(), (std::vector<NEventTarget*> { &fLeftChild, &fRightChild }));
    fLog.clear();
    EXPECT_TRUE(fInput.TakeFocus(fLeft, true)); // with notify the old focus leaves the history
    EXPECT_EQ(fLog, (NEventLog { "rc.CanLoseFocus", "rc.FocusLost", "left.FocusGained" }));
    EXPECT_EQ(fInput.FocusHistory(), (std::vector<NEventTarget*> { &fLeftChild, &fLeft }));
    EXPECT_EQ(fInput.Focus(), &fLeft);
    fInput.RemoveFromFocusHistory(fLeftChild);
    fInput.RemoveFromFocusHistory(fLeft);
    EXPECT_EQ(fInput.Focus(), nullptr);
}

TEST_F(NInputStateTest, AFocusThatRefusesToLeaveKeepsIt)
{
    fLeftChild.fKeepsFocus = true;
    fRightChild.fTakes = { "MouseDown" };
    fRightChild.fAction = [&](const std::string& operation, const NInputEvent&) {
        if (operation == "MouseDown")
            fInput.TakeFocus(fRightChild, false); // what a clicked field does
    };
    ASSERT_TRUE(fInput.TakeFocus(fLeftChild, true));
    EXPECT_TRUE(Down(320, 20));
    EXPECT_EQ(fInput.Focus(), &fLeftChild);
    EXPECT_FALSE(fInput.TakeFocus(fRight, true));
    EXPECT_EQ(fInput.FocusHistory(), (std::vector<NEventTarget*> { &fLeftChild }));
    Up(320, 20);
    fLeftChild.fKeepsFocus = false;
    fInput.RemoveFromFocusHistory(fLeftChild);
}

TEST_F(NInputStateTest, RemovingTheFocusFromTheHistoryReturnsItToThePreviousField)
{
    fInput.TakeFocus(fLeftChild, false);
    fInput.TakeFocus(fRightChild, false);
    fInput.TakeFocus(fLeftChild, false);
    fInput.TakeFocus(fRight, false);
    fLog.clear();
    fInput.RemoveFromFocusHistory(fRight); // passes without notify
    EXPECT_EQ(fInput.Focus(), &fLeftChild);
    EXPECT_EQ(fLog, (NEventLog { "right.CanLoseFocus", "right.FocusLost" }));
    fInput.RemoveFromFocusHistory(fRightChild); // not the focus: only unlinked
    EXPECT_EQ(fInput.FocusHistory(), (std::vector<NEventTarget*> { &fLeftChild, &fLeftChild }));
    fInput.RemoveFromFocusHistory(fLeftChild);
    EXPECT_EQ(fInput.Focus(), nullptr);
    EXPECT_TRUE(fInput.FocusHistory().empty());
}

TEST_F(NInputStateTest, DestroyingTheFocusPassesItOnWithoutCallingTheDeadNode)
{
    auto field = std::make_unique<NRecordingTarget>(fLog, "field");
    field->fKeepsFocus = true; // a dying node cannot refuse
    fInput.TakeFocus(fLeftChild, false);
    fInput.TakeFocus(*field, false);
    fLog.clear();
    field.reset();
    EXPECT_EQ(fInput.Focus(), &fLeftChild);
    EXPECT_TRUE(fLog.empty());
    fInput.RemoveFromFocusHistory(fLeftChild);
}

TEST_F(NInputStateTest, KeysBubbleFromTheFocusSkippingDisabledNodesAndSubtrees)
{
    NInputEvent key = MakeInput(kInputKeyDown);
    EXPECT_FALSE(fInput.KeyDown(key)); // no focus: nothing
    EXPECT_TRUE(fLog.empty());
    fInput.TakeFocus(fLeftChild, false);
    fLog.clear();
    fUniverse.fTakes = { "KeyDown", "Char", "KeyUp", "EditCommand" };
    EXPECT_TRUE(fInput.KeyDown(key));
    EXPECT_TRUE(fInput.Char(MakeInput(kInputChar)));
    EXPECT_TRUE(fInput.KeyUp(MakeInput(kInputKeyUp)));
    EXPECT_TRUE(fInput.EditCommand(MakeInput(kInputCopy)));
    EXPECT_EQ(fLog,
        (NEventLog { "lc.KeyDown", "left.KeyDown", "u.KeyDown", "lc.Char", "left.Char", "u.Char", "lc.KeyUp",
            "left.KeyUp", "u.KeyUp", "lc.EditCommand", "left.EditCommand", "u.EditCommand" }));
    fLog.clear();
    fLeft.SetEnabled(false); // the focus lies inside a disabled subtree
    EXPECT_TRUE(fInput.KeyDown(key));
    EXPECT_EQ(fLog, (NEventLog { "u.KeyDown" }));
    fLog.clear();
    fLeft.SetEnabled(true);
    fLeftChild.fTakes = { "KeyDown" };
    EXPECT_TRUE(fInput.KeyDown(key));
    EXPECT_EQ(fLog, (NEventLog { "lc.KeyDown" }));
    fInput.RemoveFromFocusHistory(fLeftChild);
}

TEST_F(NInputStateTest, KeyHandlerThatDestroysTheFocusLetsTheEventBubbleOn)
{
    auto field = std::make_unique<NRecordingTarget>(fLog, "field", NRect(0, 0, 10, 10));
    fLeftChild.AddChild(*field, 0);
    field->fAction = [&](const std::string& operation, const NInputEvent&) {
        if (operation == "KeyDown")
            field.reset();
    };
    fInput.TakeFocus(*field, true);
    fLog.clear();
    EXPECT_FALSE(fInput.KeyDown(MakeInput(kInputKeyDown)));
    EXPECT_EQ(fLog, (NEventLog { "field.KeyDown", "lc.KeyDown", "left.KeyDown", "u.KeyDown" }));
    EXPECT_EQ(fInput.Focus(), nullptr);
}

} // namespace
