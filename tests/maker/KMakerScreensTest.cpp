// Every screen of the Maker composed on the headless window and written as a PNG; what
// start-up decides from the screen, the language and the brand file.
#include "tests/maker/KMakerAppSupport.h"

#include "framework/NStringTable.h"
#include "maker/KNewbornGroup.h"

using namespace makerapp;

namespace {

class KMakerScreensTest : public ::testing::Test {
protected:
    NTestPrefix fPrefix;
};

TEST_F(KMakerScreensTest, WelcomeComesUpCentredOnALargeScreen)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start(1024, 768));
    EXPECT_EQ(run.State(), 2);
    EXPECT_EQ(run.ScreenName(), "welcome");
    EXPECT_FALSE(run.App().FullScreen());
    int32_t x = 0, y = 0;
    run.Display().MainPosition(x, y);
    EXPECT_EQ(x, 192);
    EXPECT_EQ(y, 144);
    EXPECT_NE(run.Find("welcomeL"), nullptr);
    EXPECT_NE(run.Find("welcomeR"), nullptr);
    run.Shot("welcome");
}

} // namespace

namespace {

/// Shows the progress screen of a state without running the work it posts, part way.
void ProgressShot(MakerRun& run, int32_t state, const std::string& name, int32_t steps, int32_t done,
                  const fs::path& picture = {})
{
    run.Data()->GoToState(state);
    (void)run.App().Port().DiscardPending();   // the installation or album the state asks for is not run
    KProgressGroup* progress = run.Data()->Progress();
    ASSERT_NE(progress, nullptr);
    progress->SetSteps(steps);
    for (int i = 0; i < done; ++i)
        progress->Step();
    if (!picture.empty())
        progress->ShowPicture(FileOf(picture));
    run.Pump(30);
    run.Shot(name);
}

TEST_F(KMakerScreensTest, EveryScreenComposesFromTheDiscArchive)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    ASSERT_TRUE(run.Click("welcomeL"));
    ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 5 || run.State() == 14; }, 20000));
    run.Shot("insert-disk");
    ASSERT_TRUE(run.Click("diskOK"));
    EXPECT_EQ(run.ScreenName(), "insert-disk-error");
    EXPECT_NE(run.Find("errorOK"), nullptr);
    run.Shot("insert-disk-error");
    ASSERT_TRUE(run.Click("errorCancel"));
    EXPECT_EQ(run.ScreenName(), "choose-theme");
    run.Shot("choose-theme");
    ASSERT_TRUE(run.Click("themeNewborn"));
    ASSERT_TRUE(run.Click("choosePlay"));
    EXPECT_EQ(run.ScreenName(), "newborn");
    run.Shot("newborn-empty");
    // A value typed into each of the six fields, in their order on the screen.
    const std::vector<std::string> typed = {"Anna", "Sophie", "Berg", "12 March 2026", "3.4 kg", "51 cm"};
    for (size_t field = 0; field < typed.size(); ++field) {
        ASSERT_TRUE(run.Click("newborn-" + std::to_string(field))) << typed[field];
        run.Type(typed[field]);
    }
    ASSERT_TRUE(run.Click("newGirl"));
    run.Shot("newborn");
    ASSERT_TRUE(run.Click("newBack"));
    EXPECT_EQ(run.ScreenName(), "choose-theme");

    fs::path sample = LUMORA_SAMPLE_PHOTO;
    ProgressShot(run, 4, "progress-player", 6, 3);
    ProgressShot(run, 8, "progress-partner", 15, 10);
    ProgressShot(run, 11, "progress-album", 14, 8, sample);
    EXPECT_EQ(run.Data()->Progress()->PreviewRect().fHeight, KProgressGroup::kPreviewHeight);
    run.Data()->GoToState(12);
    (void)run.App().Port().DiscardPending();
    run.Pump(30);
    EXPECT_EQ(run.ScreenName(), "play");
    run.Shot("play");
    run.Data()->GoToState(13);
    run.Pump(30);
    EXPECT_EQ(run.ScreenName(), "quit");
    run.Shot("quit");
}

} // namespace

namespace {

/// The words of every text the screens show now.
std::vector<std::string> ShownTexts(MakerRun& run)
{
    std::vector<std::string> texts;
    for (const UiNode& node : run.Nodes())
        if (node.fDescription.kind == "text")
            texts.push_back(node.fDescription.text);
    return texts;
}

bool Shows(MakerRun& run, const std::string& words)
{
    std::vector<std::string> texts = ShownTexts(run);
    return std::find(texts.begin(), texts.end(), words) != texts.end();
}

/// The disc's archive rebuilt from its own elements without the named ones.
void RebuildArchiveWithout(const NTestPrefix& prefix, const fs::path& archive, const std::vector<std::string>& drop)
{
    fs::path loose = prefix.Root() / "archive-elements";
    ASSERT_TRUE(NTestRun(std::string(LUMORA_XPB) + " extract " + NTestQuote(archive.string()) + " "
                         + NTestQuote(loose.string())));
    for (const std::string& path : drop)
        ASSERT_TRUE(fs::remove(loose / path)) << path;
    fs::remove(archive);
    ASSERT_TRUE(NTestRun(std::string(LUMORA_XPB) + " create " + NTestQuote(archive.string())
                         + " --app 2 --tag PSW2 --seal " + NTestQuote(loose.string())));
}

TEST_F(KMakerScreensTest, OnAScreenOfExactly640By480TheWindowCoversIt)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start(640, 480));
    EXPECT_TRUE(run.App().FullScreen());
    int32_t x = -1, y = -1;
    run.Display().MainPosition(x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST_F(KMakerScreensTest, StartUpRefusesAMissingOrForeignArchive)
{
    MakerRun missing(fPrefix, "no-archive");
    fs::remove(missing.fDisc / "Data" / "Qip.xpb");
    EXPECT_FALSE(missing.Start());
    EXPECT_NE(missing.App().ErrorText().find("Qip.xpb"), std::string::npos) << missing.App().ErrorText();
    missing.Stop();

    // A sound archive of another program: the tag tells.
    MakerRun foreign(fPrefix, "foreign");
    MakeTheme(foreign.fDisc / "Data" / "Qip.xpb.other", 2, {{"eng.xst", "x"}});
    fs::rename(foreign.fDisc / "Data" / "Qip.xpb.other", foreign.fDisc / "Data" / "Qip.xpb");
    EXPECT_FALSE(foreign.Start());
    EXPECT_NE(foreign.App().ErrorText().find("does not belong"), std::string::npos) << foreign.App().ErrorText();
}

TEST_F(KMakerScreensTest, GermanComesFromItsFolderOnlyWhenTheCanaryIsThere)
{
    {
        MakerRun run(fPrefix, "deu-disc");
        NTestPrefix::WriteFile(run.fDisc / "Data" / "Lang.txt", "deu,1\r\n");
        ASSERT_TRUE(run.Start());
        EXPECT_EQ(run.App().Language(), "deu");
        EXPECT_TRUE(run.App().Environment().fLanguageFromFile);
        EXPECT_EQ(run.App().LanguageFolder(), run.App().AssetsFolder().SubDir("deu:"));
        EXPECT_EQ(KSpGroup::SpriteName("themeCollage.xps", true), "deuthemeCollage.xps");
        EXPECT_EQ(run.Data()->CurrentScreen()->BackgroundPicture(), "BGjpg:deu:welcomeBG.jpg");
        EXPECT_EQ(run.Data()->CurrentScreen()->LogoFile(), "mktLogodeu.xps");
        run.Shot("welcome-deu");
        ASSERT_TRUE(run.Click("welcomeL"));
        ASSERT_TRUE(run.PumpUntil([&] { return run.State() == 5 || run.State() == 14; }, 20000));
        ASSERT_TRUE(run.Click("diskCancel"));
        EXPECT_EQ(run.ScreenName(), "choose-theme");
        EXPECT_EQ(run.Data()->PhotoFolder(), run.App().AssetsFolder().SubDir("deu:").SubDir("Samples:"));
        run.Shot("choose-theme-deu");
    }
    MakerRun run(fPrefix, "deu-no-canary");
    NTestPrefix::WriteFile(run.fDisc / "Data" / "Lang.txt", "deu,1\r\n");
    RebuildArchiveWithout(fPrefix, run.fDisc / "Data" / "Qip.xpb", {"deu/canary.txt"});
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.App().Language(), "deu");
    // Texts of the language folder come from English; the string table stays German.
    EXPECT_EQ(run.App().LanguageFolder(), run.App().AssetsFolder().SubDir("eng:"));
    std::string german = NStringTable::The().GetString(119);
    EXPECT_NE(german, "Quit");
    EXPECT_EQ(run.Find("welcomeR")->fDescription.text, german);
}

TEST_F(KMakerScreensTest, TheBrandFileGivesThePartnerWelcomeLogoAndQuitText)
{
    MakerRun run(fPrefix);
    NTestPrefix::WriteFile(run.fDisc / "sf.txt", "");
    ASSERT_TRUE(run.Start());
    EXPECT_TRUE(run.App().Brand());
    EXPECT_EQ(run.Data()->CurrentScreen()->BackgroundPicture(), "BGjpg:eng:wc_sf.jpg");
    EXPECT_EQ(run.Data()->CurrentScreen()->LogoFile(), "sfLogo.xps");
    run.Shot("welcome-partner");
    run.Data()->GoToState(13);
    run.Pump(30);
    EXPECT_TRUE(Shows(run, NStringTable::The().GetString(133)));
    EXPECT_FALSE(Shows(run, NStringTable::The().GetString(135)));
    run.Shot("quit-partner");
    // The store's own run shows the other text and its own logo.
    run.Stop();
    fs::remove(run.fDisc / "sf.txt");
    ASSERT_TRUE(run.Start());
    // "mktLogo" + "eng": the archive's names match without regard to case.
    EXPECT_EQ(run.Data()->CurrentScreen()->LogoFile(), "mktLogoeng.xps");
    run.Data()->GoToState(13);
    run.Pump(30);
    EXPECT_TRUE(Shows(run, NStringTable::The().GetString(135)));
}

} // namespace

namespace {

TEST_F(KMakerScreensTest, ThemeEventsOutsideTheTableAreClampedAndTheNamesFollowTheIndex)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    run.Data()->GoToState(9);
    KChooseThemeGroup& themes = *run.Data()->ChooseTheme();
    themes.ThemeEvent(kEventThemeFirst + 5);
    EXPECT_EQ(themes.Index(), 5);
    EXPECT_EQ(themes.ThemeFile().Name(), "fall.lmx");
    EXPECT_EQ(themes.AlbumName(), "Autumn.Qip");
    themes.ThemeEvent(kEventThemeFirst - 1);
    EXPECT_EQ(themes.Index(), 0);
    themes.ThemeEvent(kEventThemeLast + 3);
    EXPECT_EQ(themes.Index(), 7);
    EXPECT_TRUE(themes.IsNoScratch() == false && themes.IsNewborn() == false);
    themes.ThemeEvent(kEventThemeFirst + 2);
    EXPECT_TRUE(themes.IsNoScratch());
    run.Pump(30);
    EXPECT_TRUE(run.Find("themeKitty")->fDescription.selected);
}

} // namespace

namespace {

TEST_F(KMakerScreensTest, TheHelpEventsOpenTheDiscsWebPages)
{
    FakeOpener opener(fPrefix);
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    run.App().Port().Post(NPortEvent(kEventTips));
    run.App().Port().Post(NPortEvent(kEventHowToEmail));
    run.Pump(50);
    std::string tips = (run.fDisc / "Data" / "web" / "tips.html").string() + "\n";
    std::string email = (run.fDisc / "Data" / "web" / "howtoemail.html").string() + "\n";
    // Two openers run side by side: either may write first.
    ASSERT_TRUE(WaitFor([&] { return opener.Opened().size() == tips.size() + email.size(); }, 3000)) << opener.Opened();
    EXPECT_NE(opener.Opened().find(tips), std::string::npos);
    EXPECT_NE(opener.Opened().find(email), std::string::npos);
}

} // namespace

namespace {

TEST_F(KMakerScreensTest, LongWorkDropsInputButKeepsTheWindowsOtherMessages)
{
    MakerRun run(fPrefix);
    ASSERT_TRUE(run.Start());
    run.Data()->GoToState(11);
    (void)run.App().Port().DiscardPending();   // the album itself is not made here
    KProgressGroup& progress = *run.Data()->Progress();
    progress.SetSteps(4);
    // What arrives while a step runs: a click, a key, a repaint and the loss of the focus.
    NHostMessage press;
    press.fType = NHostMessageType::kButtonDown;
    press.fX = 400;
    press.fY = 420;
    NHostMessage key;
    key.fType = NHostMessageType::kChar;
    key.fChar = 'x';
    NHostMessage paint;
    paint.fType = NHostMessageType::kPaint;
    NHostMessage inactive;
    inactive.fType = NHostMessageType::kActivate;
    inactive.fActive = false;
    for (const NHostMessage& message : {press, key, paint, inactive})
        run.Display().Push(message);
    uint32_t presents = run.App().Universe().PresentCount();
    progress.Step();
    EXPECT_EQ(run.Display().Pending(), 0u);
    EXPECT_GT(run.App().Universe().PresentCount(), presents);
    EXPECT_EQ(progress.Thermometer().Value(), 1);
    EXPECT_TRUE(run.App().IsActive());   // kept for the next idle pass, not handled inside the work
    run.Pump(30);
    EXPECT_FALSE(run.App().IsActive());
    EXPECT_FALSE(NWinApp::LeftHeld());   // the press never reached the window
}

} // namespace
