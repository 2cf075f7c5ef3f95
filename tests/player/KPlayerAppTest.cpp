// The player program on the headless window: the show advances by time through its
// transitions, and keys move, pause and resume it.
#include "player/KPlayerApp.h"
#include "player/KPlayerScreen.h"
#include "player/KStartScreen.h"
#include "platform/NHostRegistry.h"
#include "framework/NRegistry.h"
#include "tests/player/PlayerTestSupport.h"

#include "framework/NKeyTable.h"
#include "framework/NPage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostHeadlessWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

class KPlayerAppTest : public ::testing::Test {
protected:
    /// Starts the player on the album in the headless window; false when it did not start.
    bool Start(KPlayerApp& app, const std::string& album)
    {
        auto display = std::make_unique<NHostHeadlessDisplay>(640, 480, 32);
        fDisplay = display.get();
        app.SetDisplay(std::move(display));
        app.SetCommandLine("\"" + album + "\"");
        if (!app.Main())
            return false;
        Pump(app, 50);
        return Screen(app) != nullptr;
    }

    static KPlayerScreen* Screen(KPlayerApp& app)
    {
        return app.CurrentPage() ? dynamic_cast<KPlayerScreen*>(app.CurrentPage()->Data()) : nullptr;
    }

    /// Runs idle passes for about the given time. The tests hand input in directly, so the
    /// pump's wait for messages (which sleeps until the show's next deadline) is left out.
    static void Pump(KPlayerApp& app, int milliseconds)
    {
        auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        do {
            app.IdlePass();
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        } while (std::chrono::steady_clock::now() < end);
    }

    static void Key(KPlayerApp& app, int32_t key)
    {
        NInputEvent event;
        event.Init(kInputKeyDown, 0, NPoint(0, 0));
        event.fKey = key;
        app.KeyDown(event);
        Pump(app, 20);
    }

    NTestPrefix fPrefix;
    NHostHeadlessDisplay* fDisplay = nullptr;
};

TEST_F(KPlayerAppTest, KeysMovePauseAndResumeTheShow)
{
    std::string album = MakeAlbum(fPrefix, "keys.Qip", "fall", "");
    KPlayerApp app;
    ASSERT_TRUE(Start(app, album));
    KPlayerScreen& screen = *Screen(app);
    EXPECT_EQ(screen.SlideIndex(), 0);
    Key(app, kKeyRight);
    EXPECT_EQ(screen.SlideIndex(), 1);
    Key(app, kKeyRight);
    EXPECT_EQ(screen.SlideIndex(), 2);
    Key(app, kKeyLeft);
    EXPECT_EQ(screen.SlideIndex(), 1);
    Key(app, kKeyEnd);
    EXPECT_EQ(screen.SlideIndex(), 4);
    Key(app, kKeyRight);   // nothing after the last
    EXPECT_EQ(screen.SlideIndex(), 4);
    Key(app, kKeyHome);
    EXPECT_EQ(screen.SlideIndex(), 0);
    Key(app, kKeySpace);
    EXPECT_EQ(screen.CurrentState(), KPlayerScreen::State::kPaused);
    Key(app, kKeySpace);
    EXPECT_EQ(screen.CurrentState(), KPlayerScreen::State::kShowing);
    // What the window shows is the slide: the title's background, not a blank window.
    ASSERT_NE(fDisplay->HeadlessMain(), nullptr);
    EXPECT_NE(fDisplay->HeadlessMain()->Pixel(320, 100), NHostHeadlessWindow::kBlank);
    Key(app, kKeyEscape);
    EXPECT_TRUE(app.QuitFlag());
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, TheLoopSleepsUntilTheSlideIsDueAndNotBeyond)
{
    std::string album = MakeAlbum(fPrefix, "sleep.Qip", "fall", "");
    KPlayerApp app;
    ASSERT_TRUE(Start(app, album));
    KPlayerScreen& screen = *Screen(app);
    Pump(app, 300);   // the next slide is composed by now
    int32_t limit = app.IdleWaitLimit();
    EXPECT_GT(limit, 1000);    // the title stands four seconds
    EXPECT_LE(limit, 4000);
    Key(app, kKeySpace);
    EXPECT_EQ(screen.WaitLimit(), -1);   // paused: nothing of the show is due
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, ShowAdvancesByItselfThroughATransitionAndStaysWhenPaused)
{
    std::string album = MakeAlbum(fPrefix, "time.Qip", "fall", "");
    KPlayerApp app;
    ASSERT_TRUE(Start(app, album));
    KPlayerScreen& screen = *Screen(app);
    Key(app, kKeySpace);   // paused on the title: it stays past its four seconds
    Pump(app, 300);
    EXPECT_EQ(screen.SlideIndex(), 0);
    Key(app, kKeySpace);
    uint32_t framesBefore = screen.FramesDrawn();
    bool sawMove = false;
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(8);
    while (screen.SlideIndex() == 0 && std::chrono::steady_clock::now() < end) {
        Pump(app, 10);
        sawMove = sawMove || screen.CurrentState() == KPlayerScreen::State::kMoving;
    }
    EXPECT_EQ(screen.SlideIndex(), 1);
    EXPECT_TRUE(sawMove);
    EXPECT_GT(screen.FramesDrawn() - framesBefore, 5u);   // a transition is many frames, not a cut
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, StartPageListsTheLastSaveFolderAndAClickPlays)
{
    fPrefix.MakeFolder("albums");
    MakeAlbum(fPrefix, "albums/first.Qip", "fall", "", 1);
    MakeAlbum(fPrefix, "albums/second.Qip", "holidays", "--segment 16384", 1);
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "", "LumoraAlbum"));
    std::string folder = NHostDrives::The().ToHost((fPrefix.Root() / "albums").string());
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "LumoraAlbum\\LastSaveDir", "", folder));

    KPlayerApp app;
    auto display = std::make_unique<NHostHeadlessDisplay>(640, 480, 32);
    app.SetDisplay(std::move(display));
    app.SetCommandLine("");
    ASSERT_TRUE(app.Main());
    Pump(app, 50);
    auto* start = app.CurrentPage() ? dynamic_cast<KStartScreen*>(app.CurrentPage()->Data()) : nullptr;
    ASSERT_NE(start, nullptr);
    // The segmented album counts once, by its first file.
    EXPECT_EQ(start->AlbumCount(), 2u);
    const NFileSpec* under = start->AlbumAt(NPoint(60, 120));
    ASSERT_NE(under, nullptr);
    EXPECT_EQ(under->Name(), "first.Qip");
    EXPECT_EQ(start->AlbumAt(NPoint(600, 460)), nullptr);

    NInputEvent click;
    click.Init(kInputButtonDown, 0, NPoint(60, 120));
    app.MouseDown(click);
    Pump(app, 50);
    KPlayerScreen* screen = Screen(app);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->SlideIndex(), 0);
    EXPECT_EQ(screen->Album().PhotoCount(), 1);
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, StartPageFallsBackToMyLumorasInProgramFiles)
{
    std::filesystem::create_directories(fPrefix.DriveC() / "Program Files" / "My Lumoras");
    NFDirSpec folder = KStartScreen::AlbumsFolder();
    EXPECT_NE(folder.HostPath().find("My Lumoras"), std::string::npos) << folder.HostPath();
}

} // namespace
