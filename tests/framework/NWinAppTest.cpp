// Tests of the window layer on the headless window service: start-up checks, one instance, the pump and the window procedure.
#include "framework/NWinApp.h"

#include "framework/NAppClock.h"
#include "framework/NEventCodes.h"
#include "framework/NEventQueue.h"
#include "framework/NIdleTaskRegistry.h"
#include "imaging/NMemSprite.h"
#include "storage/NFAppDirSpec.h"
#include "tests/framework/NAppTestSupport.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <cstring>
#include <thread>

namespace {

using NWinAppTest = NAppFixture;

std::string StartupMessage(TestSpriteApp& app, bool& started)
{
    testing::internal::CaptureStderr();
    started = app.Initialize();
    return testing::internal::GetCapturedStderr();
}

TEST_F(NWinAppTest, ScreenAreaCheckIsAtLeastAndRoundsTheMessageToFourByThree)
{
    {
        TestSpriteApp app;
        app.UseHeadless(640, 480);
        bool started = false;
        std::string message = StartupMessage(app, started);
        EXPECT_TRUE(started) << message;
        EXPECT_TRUE(app.Display()->HasMain());
    }
    {
        TestSpriteApp app;
        app.UseHeadless(800, 400);
        bool started = true;
        std::string message = StartupMessage(app, started);
        EXPECT_FALSE(started);
        EXPECT_NE(message.find("Lumora Test App requires a display screen area of at least 640 by 480 pixels."),
                  std::string::npos)
            << message;
        EXPECT_TRUE(app.ErrorText().empty());
        EXPECT_FALSE(app.Display()->HasMain());
    }
    {
        TestSpriteApp app;
        app.SetContentSize(800, 300);
        app.UseHeadless(640, 480);
        bool started = true;
        std::string message = StartupMessage(app, started);
        EXPECT_FALSE(started);
        EXPECT_NE(message.find("at least 800 by 600 pixels."), std::string::npos) << message;
    }
}

TEST_F(NWinAppTest, FourBitDisplayFailsBeforeAnyOtherCheck)
{
    TestSpriteApp app;
    app.UseHeadless(320, 200, 4);
    bool started = true;
    std::string message = StartupMessage(app, started);
    EXPECT_FALSE(started);
    EXPECT_NE(message.find("Lumora Test App requires a monitor capable of displaying at least 256 colors."),
              std::string::npos)
        << message;
    EXPECT_EQ(message.find("screen area"), std::string::npos);
}

TEST_F(NWinAppTest, EnvironmentOverridesWhatTheDisplayReports)
{
    fEnv.Set("LUMORA_DISPLAY_DEPTH", "4");
    TestSpriteApp app;
    app.UseHeadless(1024, 768, 32);
    bool started = true;
    EXPECT_NE(StartupMessage(app, started).find("256 colors"), std::string::npos);
    EXPECT_FALSE(started);

    fEnv.Set("LUMORA_DISPLAY_DEPTH", "8");
    fEnv.Set("LUMORA_SCREEN_SIZE", "800x400");
    TestSpriteApp small;
    small.UseHeadless(1024, 768, 32);
    EXPECT_NE(StartupMessage(small, started).find("640 by 480"), std::string::npos);
    EXPECT_EQ(small.GetScreenDepth(), 8);
    EXPECT_EQ(small.GetScreenSize(), NRect(0, 0, 800, 400));

    // Values that are no depth or size leave the display's own.
    fEnv.Set("LUMORA_DISPLAY_DEPTH", "7");
    fEnv.Set("LUMORA_SCREEN_SIZE", "800by400");
    TestSpriteApp plain;
    plain.UseHeadless(1024, 768, 32);
    EXPECT_TRUE(StartupMessage(plain, started).empty());
    EXPECT_TRUE(started);
    EXPECT_EQ(plain.GetScreenDepth(), 32);
}

TEST_F(NWinAppTest, GeometryFollowsTheScreenAndTheBackdropMode)
{
    NRect content(0, 0, 640, 480);
    NWindowGeometry framed = NWindowGeometry::Compute(content, NRect(0, 0, 1024, 768), false, false);
    EXPECT_EQ(framed.fStyle, NWindowGeometry::kCaptionStyle);
    EXPECT_EQ(framed.fOuterWidth, 646);
    EXPECT_EQ(framed.fOuterHeight, 480 + 6 + 19);
    EXPECT_EQ(framed.fX, 0);
    EXPECT_TRUE(framed.HostStyle().fCaption);

    NWindowGeometry tight = NWindowGeometry::Compute(content, NRect(0, 0, 640, 480), false, false);
    EXPECT_EQ(tight.fStyle, NWindowGeometry::kPopupStyle);
    EXPECT_EQ(tight.fOuterWidth, 642);
    EXPECT_TRUE(tight.HostStyle().fPopup);

    NWindowGeometry backdrop = NWindowGeometry::Compute(content, NRect(0, 0, 1024, 768), true, false);
    EXPECT_EQ(backdrop.fX, (1024 - 642) / 2);
    EXPECT_EQ(backdrop.fY, (768 - 482) / 2);
}

TEST_F(NWinAppTest, LargeScreensShowTheContentScaledAndInputMapsBack)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless(2000, 1500);
    ASSERT_TRUE(app.Initialize());
    EXPECT_EQ(display.Scale(), 3);
    // The logic above sees a screen in content pixels and the usual content area.
    EXPECT_EQ(app.GetScreenSize(), NRect(0, 0, 666, 500));
    EXPECT_EQ(app.GetContentRect(), NRect(0, 0, 640, 480));
    display.PushScreenPointer(NHostMessageType::kButtonDown, 3 * 260 + 2, 3 * 200 + 1);
    display.PushScreenPointer(NHostMessageType::kButtonUp, 3 * 260 + 2, 3 * 200 + 1);
    app.ProcessMessages();
    ASSERT_EQ(app.fDowns.size(), 1u);
    EXPECT_EQ(app.fDowns[0].fWhere, NPoint(260, 200));

    fEnv.Set("LUMORA_SCALE", "1");
    TestSpriteApp unscaled;
    unscaled.fName = "Another Program";
    NHostHeadlessDisplay& plain = unscaled.UseHeadless(2000, 1500);
    ASSERT_TRUE(unscaled.Initialize());
    EXPECT_EQ(plain.Scale(), 1);
    // Twice is not yet large enough below 1280 x 960.
    EXPECT_EQ(NHostHeadlessDisplay(1279, 1000).ScaleFor(640, 480), 1);
    fEnv.Set("LUMORA_SCALE", "9");
    EXPECT_EQ(NHostHeadlessDisplay(1280, 960).ScaleFor(640, 480), 2);
}

TEST_F(NWinAppTest, SecondStartForwardsItsCommandLineRaisesTheFirstAndEndsWithoutAWindow)
{
    TestSpriteApp second;
    NHostHeadlessDisplay& secondDisplay = second.UseHeadless();
    TestSpriteApp first;
    NHostHeadlessDisplay& firstDisplay = first.UseHeadless();
    ASSERT_TRUE(first.Initialize());

    for (std::string commandLine : { std::string("-silent \"C:\\My Album\""), std::string() }) {
        second.SetCommandLine(commandLine);
        firstDisplay.SetForeground(false);   // another program has the focus
        bool started = true;
        std::thread start([&] { started = second.Initialize(); });
        // The first instance serves the requests from its pump while the second waits.
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        int raises = firstDisplay.Raises();
        while (firstDisplay.Raises() == raises && std::chrono::steady_clock::now() < deadline)
            first.ProcessMessages();
        start.join();
        EXPECT_FALSE(started);
        EXPECT_TRUE(second.HandedOver());
        EXPECT_TRUE(second.ErrorText().empty());
        EXPECT_FALSE(secondDisplay.HasMain());
        EXPECT_EQ(firstDisplay.Raises(), raises + 1);
    }
    // Only the start with a command line sent copy data.
    ASSERT_EQ(first.fReceived.size(), 1u);
    EXPECT_EQ(first.fReceived[0], "CMDLINE=-silent \"C:\\My Album\"");
    EXPECT_EQ(first.fTags[0], 0u);
}

TEST_F(NWinAppTest, StaleSocketOfACrashedStartIsReplaced)
{
    TestSpriteApp app;
    std::string path = NHostInstance::PathFor(app.ClassName(), "sock");
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);   // the file stays, and nothing listens on it
    ASSERT_TRUE(std::filesystem::exists(path));

    app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    EXPECT_FALSE(app.HandedOver());
    int32_t answer = -1;
    std::thread sender([&] {
        const char text[] = "hello";
        EXPECT_TRUE(NHostInstance::Send(app.ClassName(), NHostInstance::Kind::kData, 7, text, 5, answer));
    });
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (app.fReceived.empty() && std::chrono::steady_clock::now() < deadline)
        app.ProcessMessages();
    sender.join();
    ASSERT_EQ(app.fReceived.size(), 1u);
    EXPECT_EQ(app.fReceived[0], "hello");
    EXPECT_EQ(app.fTags[0], 7u);
    EXPECT_EQ(answer, 0);
}

TEST_F(NWinAppTest, RefusedQuitKeepsRunningAndTheCloseItemOnlyAsks)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    app.fAllowQuit = false;
    display.Push(Message(NHostMessageType::kClose));
    app.ProcessMessages();
    EXPECT_EQ(app.fQuitAsked, 1);
    EXPECT_FALSE(app.QuitFlag());
    EXPECT_TRUE(display.HasMain());
    app.Port().Post(NPortEvent(kEventQuitRequest), 0);
    app.ProcessMessages();
    EXPECT_EQ(app.fQuitAsked, 2);
    EXPECT_FALSE(app.QuitFlag());
    app.Port().Post(NPortEvent(kEventQuit), 0);
    app.ProcessMessages();
    EXPECT_TRUE(app.QuitFlag());
    EXPECT_EQ(app.fQuitAsked, 2);
}

TEST_F(NWinAppTest, ButtonHeldMarksAreSharedByBothButtons)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    NHostMessage right = Message(NHostMessageType::kButtonDown, 10, 10);
    right.fButton = NHostButton::kRight;
    display.Push(Message(NHostMessageType::kButtonDown, 10, 10));
    display.Push(right);
    right.fType = NHostMessageType::kButtonUp;
    display.Push(right);
    display.Push(Message(NHostMessageType::kButtonUp, 11, 10));
    app.ProcessMessages();
    ASSERT_EQ(app.fDowns.size(), 1u);
    ASSERT_EQ(app.fUps.size(), 1u);
    EXPECT_EQ(app.fDowns[0].fFlags & kInputRightButton, 0);
    EXPECT_FALSE(display.Captured());

    // Alone, the right button goes through, marked as such, and captures the pointer.
    right.fType = NHostMessageType::kButtonDown;
    right.fDoubleClick = true;
    display.Push(right);
    app.ProcessMessages();
    ASSERT_EQ(app.fDowns.size(), 2u);
    EXPECT_EQ(app.fDowns[1].fFlags & (kInputRightButton | kInputDoubleClick), kInputRightButton | kInputDoubleClick);
    EXPECT_TRUE(display.Captured());
    EXPECT_TRUE(NWinApp::RightHeld());

    // When the grab ends elsewhere, the marks go and the left button works again.
    display.Push(Message(NHostMessageType::kCaptureChanged));
    display.Push(Message(NHostMessageType::kButtonDown, 12, 10));
    app.ProcessMessages();
    EXPECT_FALSE(NWinApp::RightHeld());
    EXPECT_TRUE(NWinApp::LeftHeld());
    EXPECT_EQ(app.fDowns.size(), 3u);
}

TEST_F(NWinAppTest, KeysGoThroughTheKeyTableAndUnmappedKeysProduceNothing)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    NHostMessage key = Message(NHostMessageType::kKeyDown);
    key.fVirtualKey = kVkSeparator;
    display.Push(key);
    key.fVirtualKey = kVkLeft;
    key.fRepeat = true;
    display.Push(key);
    NHostMessage character = Message(NHostMessageType::kChar);
    character.fChar = 0xE9;
    display.Push(character);
    display.SetModifiers(kHostShift);
    app.ProcessMessages();
    ASSERT_EQ(app.fKeys.size(), 1u);
    EXPECT_EQ(app.fKeys[0].fKey, kKeyLeft);
    EXPECT_EQ(app.fKeys[0].fFlags, kInputAutoRepeat | kInputShift);
    ASSERT_EQ(app.fChars.size(), 1u);
    EXPECT_EQ(app.fChars[0].fChar, 0xE9);
}

TEST_F(NWinAppTest, FiftyPostedEventsPerPass)
{
    TestSpriteApp app;
    app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    app.ProcessMessages();   // delivers the start-up event
    struct Counter : NPortListener {
        bool HandleEvent(const NPortEvent& event) override { return event.fCode == 1 && ++fCount > 0; }
        int fCount = 0;
    } counter;
    NPortHandle port;
    port.AddListener(counter);
    for (int i = 0; i < 51; ++i)
        port.Post(NPortEvent(1), 0);
    app.ProcessMessages();
    EXPECT_EQ(counter.fCount, 50);
    EXPECT_EQ(app.IdleWaitLimit(), 0);
    app.ProcessMessages();
    EXPECT_EQ(counter.fCount, 51);
    port.RemoveListener(counter);
}

TEST_F(NWinAppTest, AnIdlePumpWaitsUntilTheNextDeadlineInsteadOfSpinning)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    app.ProcessMessages();
    app.ProcessMessages();
    ASSERT_FALSE(display.Waits().empty());
    EXPECT_EQ(display.Waits().back(), -1);   // nothing scheduled: wait for a message

    app.Port().Post(NPortEvent(12345), 300);
    int32_t wait = app.IdleWaitLimit();
    EXPECT_GT(wait, 250);
    EXPECT_LE(wait, 300);

    NMemSprite ball;
    ball.MakeMemory(NRect(0, 0, 8, 8), 32, nullptr);
    app.Universe().AddChild(ball, 1);
    ball.RunTimer(40, 0);
    app.ProcessMessages();   // draws the new sprite
    wait = app.IdleWaitLimit();
    EXPECT_GT(wait, 0);
    EXPECT_LE(wait, 40);
    ball.MarkChanged();
    EXPECT_EQ(app.IdleWaitLimit(), 0);
    ball.StopTimer();
    app.ProcessMessages();

    // A task due on every pass keeps the pump from sleeping.
    uint32_t id = NIdleTaskRegistry::The().Add([](void*, NIdleTask&) {}, nullptr, std::make_unique<NIdleTask>());
    EXPECT_EQ(app.IdleWaitLimit(), 0);
    NIdleTaskRegistry::The().Cancel(id);
    app.Universe().RemoveChild(ball);
}

TEST_F(NWinAppTest, CursorHidesAfterTheAutoHideDelayAndShowsOnMove)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    app.SetCursorAutoHideDelay(5);
    display.Push(Message(NHostMessageType::kMouseMove, 5, 5));
    app.ProcessMessages();
    EXPECT_TRUE(display.CursorShown());
    EXPECT_GT(app.IdleWaitLimit(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    app.ProcessMessages();
    EXPECT_FALSE(display.CursorShown());
    display.Push(Message(NHostMessageType::kMouseMove, 6, 5));
    app.ProcessMessages();
    EXPECT_TRUE(display.CursorShown());
}

TEST_F(NWinAppTest, DroppedFilesAreReportedInOrderThenTheDropEnds)
{
    struct DropApp : TestSpriteApp {
        void FileDropped(int32_t index, std::string_view path, const NInputEvent& event) override
        {
            fFiles.push_back(std::to_string(index) + ":" + std::string(path));
            fWhere = event.fWhere;
        }
        void DropFinished() override { ++fFinished; }
        std::vector<std::string> fFiles;
        NPoint fWhere;
        int fFinished = 0;
    } app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    NHostMessage drop = Message(NHostMessageType::kDropFiles, 30, 40);
    drop.fPointKnown = true;
    drop.fPaths = { "C:\\a.jpg", std::string(400, 'x') };
    display.Push(drop);
    app.ProcessMessages();
    ASSERT_EQ(app.fFiles.size(), 2u);
    EXPECT_EQ(app.fFiles[0], "0:C:\\a.jpg");
    EXPECT_EQ(app.fFiles[1].size(), 2 + NWinApp::kMaxDroppedName);
    EXPECT_EQ(app.fWhere, NPoint(30, 40));
    EXPECT_EQ(app.fFinished, 1);
}

TEST_F(NWinAppTest, ActivationAndMinimisingDecideWhetherThePumpMayBlock)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    NHostMessage focus = Message(NHostMessageType::kActivate);
    focus.fActive = false;
    display.Push(focus);
    NHostMessage size = Message(NHostMessageType::kSize);
    size.fMinimized = true;
    display.Push(size);
    app.ProcessMessages();
    EXPECT_FALSE(app.IsActive());
    EXPECT_TRUE(app.IsMinimized());
    app.SetRunWhileInactive(false);
    size_t waits = display.Waits().size();
    app.ProcessMessages();
    ASSERT_EQ(display.Waits().size(), waits + 1);
    EXPECT_EQ(display.Waits().back(), -1);
}

TEST_F(NWinAppTest, OpenUrlWritesAnInternetShortcut)
{
    // The shell hands the shortcut to a handler that does not exist here; what matters is
    // the file it was given.
    fEnv.Set("PATH", fPrefix.MakeFolder("empty-path").string());
    TestSpriteApp app;
    app.OpenURL("http://example.invalid/offer");
    std::string tmp;
    ASSERT_TRUE(NHostDrives::The().ToLinux(NFTmpDirSpec::The().HostPath(), tmp));
    int found = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tmp)) {
        if (entry.path().extension() == ".url") {
            ++found;
            EXPECT_EQ(NTestPrefix::ReadFile(entry.path()),
                      "[InternetShortcut]\r\nURL=http://example.invalid/offer\r\n");
            EXPECT_EQ(entry.path().filename().string().rfind("Qip", 0), 0u);
        }
    }
    EXPECT_EQ(found, 1);
}

TEST_F(NWinAppTest, DisplayChangeRecomputesTheGeometryAndShowsTheWindowAgain)
{
    TestSpriteApp app;
    app.SetBackdropMode(true);
    NHostHeadlessDisplay& display = app.UseHeadless(1024, 768);
    ASSERT_TRUE(app.Initialize());
    EXPECT_EQ(display.X(), (1024 - 642) / 2);
    display.TakeShows();
    app.ProcessMessages();

    // Smaller screen: centred again, shown, repainted.
    display.SetScreen(800, 600);
    display.Push(Message(NHostMessageType::kDisplayChange));
    app.ProcessMessages();
    EXPECT_EQ(display.X(), (800 - 642) / 2);
    EXPECT_EQ(display.Y(), (600 - 482) / 2);
    EXPECT_EQ(display.TakeShows(), 1);
    EXPECT_EQ(app.GetScreenSize(), NRect(0, 0, 800, 600));
    EXPECT_TRUE(display.Style().fPopup);

    // A framed window on a screen where the caption no longer fits becomes a pop-up.
    TestSpriteApp framed;
    framed.fName = "Lumora Framed App";
    NHostHeadlessDisplay& second = framed.UseHeadless(1024, 768);
    ASSERT_TRUE(framed.Initialize());
    EXPECT_TRUE(second.Style().fCaption);
    second.SetScreen(640, 480);
    second.Push(Message(NHostMessageType::kDisplayChange));
    framed.ProcessMessages();
    EXPECT_TRUE(second.Style().fPopup);
    EXPECT_FALSE(second.Style().fCaption);
}

TEST_F(NWinAppTest, BackdropClicksArePostedAndPaintsSentToTheApplicationPort)
{
    TestSpriteApp app;
    app.SetBackdropMode(true);
    app.SetBackdropColor(0x00203048);
    NHostHeadlessDisplay& display = app.UseHeadless();
    ASSERT_TRUE(app.Initialize());
    EXPECT_TRUE(display.HasBackdrop());
    EXPECT_EQ(display.BackdropColor(), 0x00203048u);
    app.ProcessMessages();
    struct Recorder : NPortListener {
        bool HandleEvent(const NPortEvent& event) override
        {
            if (event.fCode == kEventBackdropClicked || event.fCode == kEventBackdropPaint)
                fCodes.push_back(event.fCode);
            return false;
        }
        std::vector<int32_t> fCodes;
    } recorder;
    app.Port().AddListener(recorder);
    // The paint is sent while the backdrop paints; the click is posted and arrives with
    // the posted events of a later pass.
    display.Push(Message(NHostMessageType::kBackdropClick));
    display.Push(Message(NHostMessageType::kBackdropPaint));
    while (display.Pending() > 0)
        app.ProcessMessages();
    ASSERT_FALSE(recorder.fCodes.empty());
    EXPECT_EQ(recorder.fCodes.front(), kEventBackdropPaint);
    app.ProcessMessages();
    EXPECT_EQ(recorder.fCodes, (std::vector<int32_t>{ kEventBackdropPaint, kEventBackdropClicked }));
    EXPECT_EQ(NEventQueue::The().Size(), 0u);
    app.Port().RemoveListener(recorder);
}

TEST_F(NWinAppTest, BringToFrontRaisesOnlyAWindowInTheBackground)
{
    TestSpriteApp app;
    NHostHeadlessDisplay& display = app.UseHeadless();
    app.BringToFront();   // no window yet: nothing to raise
    EXPECT_EQ(display.Raises(), 0);
    ASSERT_TRUE(app.Initialize());
    display.SetForeground(true);
    app.BringToFront();
    EXPECT_EQ(display.Raises(), 0);
    display.SetForeground(false);
    app.BringToFront();
    EXPECT_EQ(display.Raises(), 1);
}

TEST_F(NWinAppTest, BringToFrontStartsTheProgramAgainWhenTheWindowCannotBeRaised)
{
    // The helper refuses to be raised; its fallback starts the helper's own program file,
    // whose second run only records that it ran.
    std::filesystem::path marks = fPrefix.Root() / "marks.txt";
    fEnv.Set("LUMORA_FRONT_MARKS", marks.string());
    ASSERT_EQ(std::system(LUMORA_FRONT_HELPER), 0);
    std::string seen;
    for (int i = 0; i < 250 && seen != "raise refused\nstarted again\n"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen = NTestPrefix::ReadFile(marks);
    }
    EXPECT_EQ(seen, "raise refused\nstarted again\n");
}

TEST_F(NWinAppTest, LaunchStartsTheProgramAFileSpecNames)
{
    std::filesystem::path script = fPrefix.Root() / "launched.sh";
    std::filesystem::path mark = fPrefix.Root() / "launched.txt";
    {
        std::ofstream out(script);
        out << "#!/bin/sh\necho ran > '" << mark.string() << "'\n";
    }
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    TestSpriteApp app;
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(script.string()), spec));
    EXPECT_TRUE(app.Launch(spec));
    // The shell makes the file before it writes to it: wait for the text, not the file.
    std::string seen;
    for (int i = 0; i < 250 && seen != "ran\n"; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        seen = std::filesystem::exists(mark) ? NTestPrefix::ReadFile(mark) : "";
    }
    EXPECT_EQ(seen, "ran\n");

    NFileSpec missing;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / "absent.sh").string()), missing));
    EXPECT_FALSE(app.Launch(missing));
}

} // namespace
