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
    ASSERT_TRUE(run.Click("newborn-0"));
    run.Type("anna");
    ASSERT_TRUE(run.Click("newborn-1"));
    run.Type("Sophie");
    ASSERT_TRUE(run.Click("newborn-2"));
    run.Type("Berg");
    ASSERT_TRUE(run.Click("newborn-3"));
    run.Type("12 March 2026");
    ASSERT_TRUE(run.Click("newborn-4"));
    run.Type("3.4 kg");
    ASSERT_TRUE(run.Click("newborn-5"));
    run.Type("51 cm");
    ASSERT_TRUE(run.Click("newGirl"));
    run.Shot("newborn");
    ASSERT_TRUE(run.Click("newBack"));
    EXPECT_EQ(run.ScreenName(), "choose-theme");

    fs::path sample = fPrefix.Root() / "sample.jpg";
    NTestPrefix::WriteFile(sample, makertest::JpegBytes(800, 600));
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
