// The player program on the headless window: the show advances by time through its
// transitions, and keys move, pause and resume it.
#include "player/KPlayerApp.h"
#include "player/KPlayerScreen.h"
#include "player/KStartScreen.h"
#include "platform/NHostRegistry.h"
#include "framework/NRegistry.h"
#include "tests/player/PlayerTestSupport.h"
#include "tests/support/NTestEnvironment.h"

#include "framework/NKeyTable.h"
#include "player/KControlBar.h"
#include "framework/NPage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostHeadlessDisplay.h"
#include "platform/NHostHeadlessWindow.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <utility>

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
        // The bar and the number follow the first present; a loaded machine may take a while.
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Screen(app) && Screen(app)->Bar() == KPlayerScreen::BarState::kUnmade
               && std::chrono::steady_clock::now() < end)
            Pump(app, 10);
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

    /// Hands the scripted messages to the program's own pump, as the desktop would, then
    /// lets posted events and the render run.
    void Route(KPlayerApp& app)
    {
        for (int i = 0; i < 20 && fDisplay->Pending() > 0; ++i)
            app.ProcessMessages();
        Pump(app, 20);
    }

    void PressKey(KPlayerApp& app, int32_t virtualKey)
    {
        NHostMessage down;
        down.fType = NHostMessageType::kKeyDown;
        down.fVirtualKey = virtualKey;
        fDisplay->Push(down);
        NHostMessage up = down;
        up.fType = NHostMessageType::kKeyUp;
        fDisplay->Push(up);
        Route(app);
    }

    void MovePointer(KPlayerApp& app, NPoint where)
    {
        fDisplay->PushScreenPointer(NHostMessageType::kMouseMove, where.fX, where.fY);
        Route(app);
    }

    /// A click at the middle of where the node was last drawn, found as a user finds it.
    void Click(KPlayerApp& app, const NSpObject& node)
    {
        const NRect& drawn = node.DrawnRect();
        ASSERT_FALSE(drawn.IsEmpty()) << "the node was never drawn";
        int32_t x = drawn.fX + drawn.fWidth / 2, y = drawn.fY + drawn.fHeight / 2;
        fDisplay->PushScreenPointer(NHostMessageType::kMouseMove, x, y);
        fDisplay->PushScreenPointer(NHostMessageType::kButtonDown, x, y);
        fDisplay->PushScreenPointer(NHostMessageType::kButtonUp, x, y);
        Route(app);
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
    fDisplay = display.get();
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

    // The album's frame is a button of the player's art, named after the album.
    NButton* button = start->AlbumButton(0);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->FrameCount(), 4);
    // The thumbnail fills the frame's opening (128 x 96), not a small decode in its middle:
    // near the opening's corner the window shows the photo, not the page or the fill.
    const NRect& frame = button->DrawnRect();
    uint32_t corner = fDisplay->HeadlessMain()->Pixel(frame.fX + 12, frame.fY + 12) & 0xFFFFFF;
    EXPECT_NE(corner, 0x2A1D3Au);
    EXPECT_NE(corner, 0x1E1628u);
    Click(app, *button);
    KPlayerScreen* screen = Screen(app);
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen->SlideIndex(), 0);
    EXPECT_EQ(screen->Album().PhotoCount(), 1);
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, ControlBarAppearsOnPointerMovementItsButtonsSteerAndItHidesAgain)
{
    std::string album = MakeAlbum(fPrefix, "bar.Qip", "fall", "");
    KPlayerApp app;
    ASSERT_TRUE(Start(app, album));
    KPlayerScreen& screen = *Screen(app);
    // The bar and the number come right after the first slide, the bar out of sight.
    ASSERT_EQ(screen.Bar(), KPlayerScreen::BarState::kHidden);
    EXPECT_FALSE(screen.ControlBar().IsVisible());
    EXPECT_EQ(screen.Number().Text(), "1 / 5");

    MovePointer(app, NPoint(200, 100));
    ASSERT_EQ(screen.Bar(), KPlayerScreen::BarState::kShown);
    KControlBar& bar = screen.ControlBar();
    EXPECT_TRUE(bar.IsVisible());
    // Every button is the player's art: four frames, its states.
    for (int i = 0; i < KControlBar::kButtonCount; ++i)
        EXPECT_EQ(bar.ButtonAt(KControlBar::Button(i)).FrameCount(), 4) << i;
    EXPECT_TRUE(bar.ButtonAt(KControlBar::kFirst).IsDisabled());   // nothing before the first slide

    Click(app, bar.ButtonAt(KControlBar::kNext));
    EXPECT_EQ(screen.SlideIndex(), 1);
    EXPECT_EQ(screen.Number().Text(), "2 / 5");
    EXPECT_FALSE(bar.ButtonAt(KControlBar::kFirst).IsDisabled());
    Click(app, bar.ButtonAt(KControlBar::kPause));
    EXPECT_EQ(screen.CurrentState(), KPlayerScreen::State::kPaused);
    EXPECT_FALSE(bar.ButtonAt(KControlBar::kPause).IsVisible());
    EXPECT_TRUE(bar.ButtonAt(KControlBar::kPlay).IsVisible());
    Click(app, bar.ButtonAt(KControlBar::kPlay));
    EXPECT_EQ(screen.CurrentState(), KPlayerScreen::State::kShowing);
    Click(app, bar.ButtonAt(KControlBar::kLast));
    EXPECT_EQ(screen.SlideIndex(), 4);
    EXPECT_TRUE(bar.ButtonAt(KControlBar::kNext).IsDisabled());
    Click(app, bar.ButtonAt(KControlBar::kNext));   // disabled: swallowed
    EXPECT_EQ(screen.SlideIndex(), 4);
    Click(app, bar.ButtonAt(KControlBar::kPrevious));
    EXPECT_EQ(screen.SlideIndex(), 3);
    Click(app, bar.ButtonAt(KControlBar::kFirst));
    EXPECT_EQ(screen.SlideIndex(), 0);

    // The pointer resting on the bar keeps it; off it, the bar goes after its time. The
    // show is paused meanwhile, so that it stays on the title.
    PressKey(app, kVkSpace);
    ASSERT_EQ(screen.CurrentState(), KPlayerScreen::State::kPaused);
    Pump(app, 2800);
    EXPECT_EQ(screen.Bar(), KPlayerScreen::BarState::kShown);
    MovePointer(app, NPoint(300, 120));
    Pump(app, 2800);
    EXPECT_EQ(screen.Bar(), KPlayerScreen::BarState::kHidden);
    EXPECT_FALSE(bar.IsVisible());
    // Off the bar a click moves on.
    fDisplay->PushScreenPointer(NHostMessageType::kButtonDown, 300, 120);
    fDisplay->PushScreenPointer(NHostMessageType::kButtonUp, 300, 120);
    Route(app);
    EXPECT_EQ(screen.SlideIndex(), 1);

    MovePointer(app, NPoint(310, 130));
    Click(app, bar.ButtonAt(KControlBar::kQuit));
    EXPECT_TRUE(app.QuitFlag());
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, FullScreenCentresTheShowEnlargedAndTheBarStillWorks)
{
    NTestEnvironment env;
    env.Set("LUMORA_SCALE", "1");
    env.Unset("LUMORA_SCREEN_SIZE");
    std::string album = MakeAlbum(fPrefix, "full.Qip", "fall", "", 2);
    KPlayerApp app;
    auto display = std::make_unique<NHostHeadlessDisplay>(1300, 1000, 32);
    fDisplay = display.get();
    app.SetDisplay(std::move(display));
    app.SetCommandLine("\"" + album + "\"");
    ASSERT_TRUE(app.Main());
    Pump(app, 50);
    ASSERT_NE(Screen(app), nullptr);
    EXPECT_EQ(fDisplay->Scale(), 1);
    int32_t windowX = 0, windowY = 0;
    fDisplay->MainPosition(windowX, windowY);
    EXPECT_FALSE(fDisplay->IsCoveringScreen());

    PressKey(app, kVkA + ('F' - 'A'));
    EXPECT_TRUE(app.IsFullScreen());
    ASSERT_TRUE(fDisplay->IsCoveringScreen());
    // 640 x 480 doubled is the largest that fits 1300 x 1000: centred 10 and 20 in.
    EXPECT_EQ(fDisplay->ShownScale(), 2);
    int32_t x = 0, y = 0;
    fDisplay->ContentOffset(x, y);
    EXPECT_EQ(x, 10);
    EXPECT_EQ(y, 20);
    // The content area keeps its size; the screen shows it doubled on black.
    EXPECT_EQ(fDisplay->HeadlessMain()->Width(), 640);
    Pump(app, 50);
    const NHostHeadlessWindow& window = *fDisplay->HeadlessMain();
    for (auto [cx, cy] : { std::pair { 320, 100 }, { 5, 5 }, { 634, 474 } }) {
        EXPECT_EQ(fDisplay->ScreenPixel(x + 2 * cx, y + 2 * cy), window.Pixel(cx, cy));
        EXPECT_EQ(fDisplay->ScreenPixel(x + 2 * cx + 1, y + 2 * cy + 1), window.Pixel(cx, cy));
    }
    EXPECT_NE(window.Pixel(320, 100), NHostHeadlessWindow::kBlank);
    for (auto [sx, sy] : { std::pair { 0, 0 }, { 1299, 999 }, { 5, 500 }, { 650, 995 } })
        EXPECT_EQ(fDisplay->ScreenPixel(sx, sy), NHostHeadlessWindow::kBlank) << sx << "," << sy;

    // A click around the show is the backdrop's: the slide stays.
    int32_t slide = Screen(app)->SlideIndex();
    fDisplay->PushScreenPointer(NHostMessageType::kButtonDown, 3, 3);
    fDisplay->PushScreenPointer(NHostMessageType::kButtonUp, 3, 3);
    Route(app);
    EXPECT_EQ(Screen(app)->SlideIndex(), slide);

    // The bar's buttons are found where the screen shows them; the full-screen one leaves.
    fDisplay->PushScreenPointer(NHostMessageType::kMouseMove, x + 200, y + 200);
    Route(app);
    const NRect& drawn = Screen(app)->ControlBar().ButtonAt(KControlBar::kFullScreen).DrawnRect();
    ASSERT_FALSE(drawn.IsEmpty());
    int32_t bx = x + 2 * (drawn.fX + drawn.fWidth / 2), by = y + 2 * (drawn.fY + drawn.fHeight / 2);
    fDisplay->PushScreenPointer(NHostMessageType::kMouseMove, bx, by);
    fDisplay->PushScreenPointer(NHostMessageType::kButtonDown, bx, by);
    fDisplay->PushScreenPointer(NHostMessageType::kButtonUp, bx, by);
    Route(app);
    EXPECT_FALSE(app.IsFullScreen());
    EXPECT_FALSE(fDisplay->IsCoveringScreen());
    EXPECT_EQ(fDisplay->ShownScale(), 1);
    fDisplay->MainPosition(x, y);
    EXPECT_EQ(x, windowX);
    EXPECT_EQ(y, windowY);

    // Escape leaves full screen before it quits.
    PressKey(app, kVkA + ('F' - 'A'));
    EXPECT_TRUE(fDisplay->IsCoveringScreen());
    PressKey(app, kVkEscape);
    EXPECT_FALSE(fDisplay->IsCoveringScreen());
    EXPECT_FALSE(app.QuitFlag());
    PressKey(app, kVkEscape);
    EXPECT_TRUE(app.QuitFlag());
    app.Shutdown();
    app.CloseDisplay();
}

TEST_F(KPlayerAppTest, ScreenSaverRunsFullScreenLoopsAndQuitsOnInput)
{
    std::string album = MakeAlbum(fPrefix, "saver.Qip", "fall", "", 1);
    for (int input = 0; input < 3; ++input) {
        KPlayerApp app;
        auto display = std::make_unique<NHostHeadlessDisplay>(640, 480, 32);
        fDisplay = display.get();
        app.SetDisplay(std::move(display));
        app.SetCommandLine("--screensaver \"" + album + "\"");
        ASSERT_TRUE(app.Main());
        Pump(app, 50);
        EXPECT_TRUE(app.IsScreenSaver());
        EXPECT_TRUE(fDisplay->IsCoveringScreen());
        ASSERT_NE(Screen(app), nullptr);
        EXPECT_TRUE(app.Loops());
        // The pointer's first report and its tremor leave the saver running.
        MovePointer(app, NPoint(200, 200));
        MovePointer(app, NPoint(202, 199));
        EXPECT_FALSE(app.QuitFlag());
        EXPECT_NE(Screen(app)->Bar(), KPlayerScreen::BarState::kShown);   // no bar in a saver
        EXPECT_FALSE(Screen(app)->Number().IsVisible());                  // nor a slide number
        switch (input) {
        case 0:
            PressKey(app, kVkSpace);
            break;
        case 1:
            fDisplay->PushScreenPointer(NHostMessageType::kButtonDown, 200, 200);
            Route(app);
            break;
        default:
            MovePointer(app, NPoint(260, 230));
            break;
        }
        EXPECT_TRUE(app.QuitFlag()) << "input " << input;
        app.Shutdown();
        app.CloseDisplay();
    }
}

TEST_F(KPlayerAppTest, CoBrandClosingSlideFollowsTheCreditsInItsPicture)
{
    std::string album = MakeAlbum(fPrefix, "brand.Qip", "fall", "", 1);
    // The Maker copies the brand's content in; here the archive tool does it.
    std::string brand = std::string(LUMORA_QIP_FOLDER) + "/eng/marketa.xpb";
    std::string output;
    for (const char* element : { "CoBrand:show.txt", "CoBrand:closing.jpg" }) {
        std::string file = (fPrefix.Root() / (std::string(element).substr(8))).string();
        ASSERT_EQ(NRunCommand(std::string(LUMORA_XPB) + " cat " + PlayerQuote(brand) + " " + element + " > "
                                  + PlayerQuote(file), output), 0) << output;
        ASSERT_EQ(NRunCommand(std::string(LUMORA_XPB) + " add " + PlayerQuote(album) + " " + PlayerQuote(file) + " "
                                  + element, output), 0) << output;
    }
    ASSERT_EQ(NRunCommand(std::string(LUMORA_XPB) + " seal " + PlayerQuote(album), output), 0) << output;

    KPlayerApp app;
    ASSERT_TRUE(Start(app, album));
    KPlayerScreen& screen = *Screen(app);
    const auto& slides = screen.Album().Slides();
    ASSERT_EQ(slides.size(), 4u);   // title, photo, credits, closing
    EXPECT_EQ(slides[2].fKind, KSlideKind::kCredit);
    EXPECT_EQ(slides[3].fKind, KSlideKind::kClosing);
    EXPECT_EQ(slides[3].fPicture, "CoBrand:closing.jpg");
    EXPECT_TRUE(screen.Album().Damage().empty());
    PressKey(app, kVkEnd);
    EXPECT_EQ(screen.SlideIndex(), 3);
    // What the window shows is the brand's picture, not the theme's background.
    KSlideComposer composer(screen.Album());
    std::vector<uint32_t> closing, credit;
    composer.Compose(slides[3], closing);
    composer.Compose(slides[2], credit);
    EXPECT_TRUE(composer.Failures().empty());
    int differing = 0;
    for (int y = 20; y < 460; y += 40)
        for (int x = 20; x < 620; x += 40) {
            uint32_t shown = fDisplay->HeadlessMain()->Pixel(x, y) & 0xFFFFFF;
            EXPECT_EQ(shown, closing[size_t(y) * 640 + size_t(x)] & 0xFFFFFF) << x << "," << y;
            differing += (closing[size_t(y) * 640 + size_t(x)] != credit[size_t(y) * 640 + size_t(x)]) ? 1 : 0;
        }
    EXPECT_GT(differing, 100);
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
