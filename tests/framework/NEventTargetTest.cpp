// Event targets: geometry, child order, destruction, shortcut broadcasts and palette walks.
#include "framework/NEventTarget.h"

#include "tests/framework/NEventTestSupport.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

using NEventTargetTest = NEventTest;

std::vector<std::string> Names(const NEventTarget& node)
{
    std::vector<std::string> names;
    for (NEventTarget* child : node.Children())
        names.push_back(static_cast<NRecordingTarget*>(child)->fName);
    return names;
}

TEST_F(NEventTargetTest, NewTargetCoversTheDefaultScreen)
{
    NEventTarget target;
    EXPECT_EQ(target.Rect(), NRect(0, 0, 640, 480));
    EXPECT_EQ(target.LocalRect(), NRect(0, 0, 640, 480));
    EXPECT_EQ(target.VisibleArea(), NRect(0, 0, 640, 480));
    EXPECT_EQ(target.Priority(), 0);
    EXPECT_EQ(target.Parent(), nullptr);
    EXPECT_TRUE(target.IsEnabled());
    EXPECT_FALSE(target.IsHoverKnown());
    EXPECT_TRUE(target.HitTest(NPoint(639, 479)));
    EXPECT_FALSE(target.HitTest(NPoint(640, 0)));
    NEditState state;
    state.fCopy = true;
    target.GetEditState(state);
    EXPECT_FALSE(state.fCopy);
}

TEST_F(NEventTargetTest, AbsoluteRectanglesAndVisibleAreasFollowTheParents)
{
    NEventLog log;
    NRecordingTarget root(log, "root", NRect(10, 10, 100, 100));
    NRecordingTarget group(log, "group", NRect(50, 50, 100, 100));
    NRecordingTarget leaf(log, "leaf", NRect(30, 5, 40, 40));
    group.AddChild(leaf, 0);
    EXPECT_EQ(leaf.Rect(), NRect(80, 55, 40, 40));
    root.AddChild(group, 0);
    EXPECT_EQ(group.Rect(), NRect(60, 60, 100, 100));
    EXPECT_EQ(group.VisibleArea(), NRect(60, 60, 50, 50));
    EXPECT_EQ(leaf.Rect(), NRect(90, 65, 40, 40));
    EXPECT_EQ(leaf.VisibleArea(), NRect(90, 65, 20, 40));
    EXPECT_EQ(leaf.LocalRect(), NRect(30, 5, 40, 40));

    root.SetLocalRect(NRect(0, 0, 200, 200));
    EXPECT_EQ(leaf.Rect(), NRect(80, 55, 40, 40));
    EXPECT_EQ(leaf.VisibleArea(), NRect(80, 55, 40, 40));

    group.SetLocalRect(NRect(300, 0, 10, 10)); // off the root: nothing of the subtree is visible
    EXPECT_TRUE(group.VisibleArea().IsEmpty());
    EXPECT_TRUE(leaf.VisibleArea().IsEmpty());

    root.RemoveChild(group);
    EXPECT_EQ(group.Rect(), NRect(300, 0, 10, 10));
    EXPECT_EQ(leaf.Rect(), NRect(330, 5, 40, 40));
}

TEST_F(NEventTargetTest, ChildrenSortByPriorityWithTheNewestFirstAmongEquals)
{
    NEventLog log;
    NRecordingTarget group(log, "g"), a(log, "a"), b(log, "b"), c(log, "c"), d(log, "d");
    EXPECT_TRUE(group.AddChild(a, 5));
    EXPECT_TRUE(group.AddChild(b, 1));
    EXPECT_TRUE(group.AddChild(c, 5));
    EXPECT_TRUE(group.AddChild(d, 9));
    EXPECT_EQ(Names(group), (std::vector<std::string> { "b", "c", "a", "d" }));
    EXPECT_EQ(c.Parent(), &group);
    EXPECT_EQ(c.Priority(), 5);

    EXPECT_TRUE(group.AddChild(d, 0)); // a move within the group
    EXPECT_EQ(Names(group), (std::vector<std::string> { "d", "b", "c", "a" }));
    EXPECT_TRUE(group.AddChild(b, 1)); // same priority: stays
    EXPECT_EQ(Names(group), (std::vector<std::string> { "d", "b", "c", "a" }));

    NRecordingTarget other(log, "o");
    EXPECT_FALSE(other.AddChild(a, 0)); // belongs to another group
    EXPECT_EQ(a.Parent(), &group);
    EXPECT_FALSE(other.RemoveChild(a));
    EXPECT_TRUE(group.RemoveChild(a));
    EXPECT_EQ(a.Parent(), nullptr);
    EXPECT_EQ(Names(group), (std::vector<std::string> { "d", "b", "c" }));
}

TEST_F(NEventTargetTest, AChildThatWouldCloseACycleIsRefused)
{
    NEventLog log;
    NRecordingTarget top(log, "top"), middle(log, "middle"), bottom(log, "bottom");
    top.AddChild(middle, 0);
    middle.AddChild(bottom, 0);
    EXPECT_FALSE(bottom.AddChild(top, 0));
    EXPECT_FALSE(middle.AddChild(middle, 0));
    EXPECT_EQ(top.Parent(), nullptr);
    EXPECT_TRUE(middle.IsAncestorOf(bottom));
    EXPECT_FALSE(bottom.IsAncestorOf(middle));
}

TEST_F(NEventTargetTest, DestroyingAGroupDetachesItsChildrenAndLeavesItsParent)
{
    NEventLog log;
    NRecordingTarget root(log, "root"), child(log, "child", NRect(5, 5, 10, 10));
    auto group = std::make_unique<NRecordingTarget>(log, "group", NRect(100, 100, 50, 50));
    root.AddChild(*group, 0);
    group->AddChild(child, 0);
    EXPECT_EQ(child.Rect(), NRect(105, 105, 10, 10));
    group.reset();
    EXPECT_TRUE(root.Children().empty());
    EXPECT_EQ(child.Parent(), nullptr);
    EXPECT_EQ(child.Rect(), NRect(5, 5, 10, 10));
}

TEST_F(NEventTargetTest, ShortcutBroadcastGoesNodeFirstSkipsDisabledSubtreesAndStopsAtTheTaker)
{
    NEventLog log;
    NRecordingTarget window(log, "w"), a(log, "a"), a1(log, "a1"), b(log, "b"), b1(log, "b1"), c(log, "c");
    window.AddChild(a, 0);
    window.AddChild(b, 1);
    window.AddChild(c, 2);
    a.AddChild(a1, 0);
    b.AddChild(b1, 0);
    b.SetEnabled(false);
    EXPECT_FALSE(window.BroadcastShortcut(MakeInput(kInputKeyDown)));
    EXPECT_EQ(log, (NEventLog { "w.KeyDownShortcut", "a.KeyDownShortcut", "a1.KeyDownShortcut", "c.KeyDownShortcut" }));

    log.clear();
    b.SetEnabled(true);
    a1.fTakes = { "CharShortcut" };
    EXPECT_TRUE(window.BroadcastShortcut(MakeInput(kInputChar)));
    EXPECT_EQ(log, (NEventLog { "w.CharShortcut", "a.CharShortcut", "a1.CharShortcut" }));

    log.clear();
    EXPECT_FALSE(window.BroadcastShortcut(MakeInput(kInputKeyUp)));
    EXPECT_EQ(log.size(), 6u);
    log.clear();
    EXPECT_FALSE(window.BroadcastShortcut(MakeInput(kInputPaste)));
    EXPECT_EQ(log.front(), "w.EditCommandShortcut");
    log.clear();
    EXPECT_FALSE(window.BroadcastShortcut(MakeInput(kInputMouseMove)));
    EXPECT_TRUE(log.empty());
}

TEST_F(NEventTargetTest, BroadcastSurvivesHandlersThatDestroyNodesAhead)
{
    NEventLog log;
    NRecordingTarget window(log, "w"), a(log, "a");
    auto b = std::make_unique<NRecordingTarget>(log, "b");
    auto b1 = std::make_unique<NRecordingTarget>(log, "b1");
    NRecordingTarget c(log, "c");
    window.AddChild(a, 0);
    window.AddChild(*b, 1);
    window.AddChild(c, 2);
    b->AddChild(*b1, 0);
    a.fAction = [&](const std::string&, const NInputEvent&) { b.reset(); };
    EXPECT_FALSE(window.BroadcastShortcut(MakeInput(kInputKeyDown)));
    EXPECT_EQ(log, (NEventLog { "w.KeyDownShortcut", "a.KeyDownShortcut", "c.KeyDownShortcut" }));
}

TEST_F(NEventTargetTest, PaletteNotificationsReachChildrenBeforeTheirGroup)
{
    NEventLog log;
    NRecordingTarget universe(log, "u"), group(log, "g"), leaf(log, "l"), other(log, "o");
    universe.AddChild(group, 0);
    universe.AddChild(other, 1);
    group.AddChild(leaf, 0);
    group.SetEnabled(false); // palettes reach disabled nodes too
    universe.NotifyPaletteChanging(nullptr);
    universe.NotifyPaletteChanged(nullptr);
    EXPECT_EQ(log,
        (NEventLog { "l.PaletteChanging", "g.PaletteChanging", "o.PaletteChanging", "u.PaletteChanging",
            "l.PaletteChanged", "g.PaletteChanged", "o.PaletteChanged", "u.PaletteChanged" }));
}

TEST_F(NEventTargetTest, RectangleOperations)
{
    NRect rect(10, 20, 30, 40);
    EXPECT_TRUE(rect.Contains(NPoint(10, 20)));
    EXPECT_TRUE(rect.Contains(NPoint(39, 59)));
    EXPECT_FALSE(rect.Contains(NPoint(40, 20)));
    EXPECT_FALSE(rect.Contains(NPoint(10, 60)));
    EXPECT_FALSE(NRect(0, 0, 0, 5).Contains(NPoint(0, 0)));
    EXPECT_TRUE(NRect(0, 0, -3, 5).IsEmpty());
    EXPECT_EQ(rect.Intersect(NRect(30, 0, 100, 30)), NRect(30, 20, 10, 10));
    EXPECT_TRUE(rect.Intersect(NRect(40, 20, 5, 5)).IsEmpty());
    EXPECT_EQ(rect.Offset(-5, 5), NRect(5, 25, 30, 40));
    EXPECT_EQ(NRect(32000, 0, 10, 10).Offset(1000, 0).fX, 32767); // pinned, not wrapped
    EXPECT_TRUE(NRect(32760, 0, 100, 10).Contains(NPoint(32767, 5)));
}

} // namespace
