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
