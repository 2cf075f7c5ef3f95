// Tests of the application core: its port, the quit events and the current-object pointer.
#include "framework/NApp.h"

#include "framework/NEventCodes.h"

#include <gtest/gtest.h>

namespace {

class TestApp : public NApp {
public:
    ~TestApp() override = default;
    bool CanQuit() override { return fAllowQuit; }
    void BringToFront() override {}
    bool fAllowQuit = true;
};

TEST(NAppTest, RegistersOnItsOwnPortAndIsTheCurrentObject)
{
    EXPECT_EQ(NApp::Current(), nullptr);
    {
        TestApp app;
        EXPECT_EQ(NApp::Current(), &app);
        EXPECT_EQ(app.Port().ListenerCount(), 1);
        EXPECT_EQ(app.PortCount(), 1);
        EXPECT_FALSE(app.Port().Send(NPortEvent(kEventShowPage, 3)));
    }
    EXPECT_EQ(NApp::Current(), nullptr);
}

TEST(NAppTest, QuitRequestAsksCanQuitWhileQuitEventDoesNot)
{
    TestApp app;
    app.fAllowQuit = false;
    EXPECT_TRUE(app.Port().Send(NPortEvent(kEventQuitRequest)));
    EXPECT_FALSE(app.QuitFlag());
    EXPECT_FALSE(app.QuitRequest());
    EXPECT_TRUE(app.Port().Send(NPortEvent(kEventQuit)));
    EXPECT_TRUE(app.QuitFlag());

    TestApp second;
    EXPECT_TRUE(second.QuitRequest());
}

TEST(NAppTest, DefaultsWithoutWindow)
{
    TestApp app;
    EXPECT_EQ(app.GetAppName(), "XP Application");
    EXPECT_EQ(app.GetWindowTitle(), "XP Window");
    EXPECT_EQ(app.GetAppTypeCode(), 0x6170706Cu);
    EXPECT_EQ(app.GetHelpTypeCode(), 0x68656C70u);
    EXPECT_EQ(app.GetScreenDepth(), 8);
    EXPECT_EQ(app.GetContentRect(), NRect(0, 0, 640, 480));
    EXPECT_TRUE(app.GetScreenSize().IsEmpty());
    EXPECT_EQ(app.GetHelpFileSpec().Name(), "x");
    EXPECT_FALSE(app.OpenURL("http://example.invalid/"));
    NInputEvent move;
    move.fWhere = NPoint(12, -3);
    app.MouseMove(move);
    EXPECT_EQ(app.LastMousePosition(), NPoint(12, -3));
    app.SetBackdropColor(0x00123456);
    EXPECT_EQ(app.BackdropColor(), 0x00123456u);
}

} // namespace
