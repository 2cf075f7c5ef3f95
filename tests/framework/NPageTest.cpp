// Tests of pages: the registry, switching by the page events, entering and leaving.
#include "framework/NPage.h"

#include "framework/NEventCodes.h"
#include "framework/NIdleTaskRegistry.h"
#include "framework/NPageData.h"
#include "framework/NPageRegistry.h"
#include "imaging/NPaletteRegistry.h"
#include "tests/framework/NAppTestSupport.h"

#include <gtest/gtest.h>

namespace {

int sDataMade = 0;
int sDataGone = 0;
std::vector<std::string> sLog;

class TestData : public NPageData {
public:
    explicit TestData(NPage& page) : NPageData(page) { ++sDataMade; }
    ~TestData() override { ++sDataGone; }
    void Enter() override { sLog.push_back("enter " + std::to_string(Page().Id())); }
    void Leave() override { sLog.push_back("leave " + std::to_string(Page().Id())); }
    void Idle() override { ++fIdles; }
    bool HandleEvent(const NPortEvent& event) override { return event.fCode == 7 && ++fHeard > 0; }
    int fIdles = 0;
    int fHeard = 0;
};

class TestPage : public NPage {
public:
    explicit TestPage(int32_t id, bool palette = false) : NPage(id), fPalette(palette) {}
    std::unique_ptr<NPageData> CreateData() override { return std::make_unique<TestData>(*this); }
    bool LoadPalette(NPalette& palette) override
    {
        if (fPalette)
            palette.FromSystem();
        return fPalette;
    }
    void Leaving() override { sLog.push_back("leaving " + std::to_string(Id())); }
    bool fPalette;
};

class NPageTest : public NAppFixture {
protected:
    NPageTest()
    {
        sDataMade = sDataGone = 0;
        sLog.clear();
        fApp.UseHeadless();
        EXPECT_TRUE(fApp.Initialize());
    }

    TestSpriteApp fApp;
};

TEST_F(NPageTest, RegistryKeepsPagesSortedAndTheFirstOfAnId)
{
    TestPage five(5);
    TestPage two(2);
    TestPage otherFive(5);
    const std::vector<NPage*>& pages = NPageRegistry::The().Pages();
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], &two);
    EXPECT_EQ(pages[1], &five);
    EXPECT_EQ(NPageRegistry::The().Find(5), &five);
    {
        TestPage three(3);
        EXPECT_EQ(NPageRegistry::The().Find(3), &three);
    }
    EXPECT_EQ(NPageRegistry::The().Find(3), nullptr);
}

TEST_F(NPageTest, FirstPageLeavesThePreviousIdAtMinusOneAndSwitchingLeavesTheOldOne)
{
    TestPage one(1);
    TestPage two(2);
    EXPECT_TRUE(fApp.RequestPage(1, false));
    EXPECT_EQ(fApp.CurrentPage(), nullptr);   // posted: it happens on the next pass
    fApp.ProcessMessages();
    ASSERT_EQ(fApp.CurrentPage(), &one);
    EXPECT_EQ(fApp.PreviousPageId(), -1);
    ASSERT_NE(one.Data(), nullptr);
    EXPECT_EQ(one.Port().ListenerCount(), 1);
    one.Port().Send(NPortEvent(7));
    EXPECT_EQ(static_cast<TestData*>(one.Data())->fHeard, 1);
    EXPECT_GE(static_cast<TestData*>(one.Data())->fIdles, 1);

    fApp.RequestPage(2, false);
    fApp.ProcessMessages();
    EXPECT_EQ(fApp.CurrentPage(), &two);
    EXPECT_EQ(fApp.PreviousPageId(), 1);
    EXPECT_EQ(one.Data(), nullptr);
    EXPECT_EQ(one.Port().ListenerCount(), 0);
    EXPECT_EQ(sLog, (std::vector<std::string> { "enter 1", "leaving 1", "leave 1", "enter 2" }));
}

TEST_F(NPageTest, CurrentIdDoesNothingUnlessForcedWhichRebuildsTheData)
{
    TestPage one(1);
    fApp.RequestPage(1, false);
    fApp.ProcessMessages();
    NPageData* data = one.Data();
    fApp.RequestPage(1, false);
    fApp.ProcessMessages();
    EXPECT_EQ(one.Data(), data);
    EXPECT_EQ(sDataMade, 1);
    fApp.RequestPage(1, true);
    fApp.ProcessMessages();
    EXPECT_EQ(sDataMade, 2);
    EXPECT_EQ(sDataGone, 1);
    EXPECT_EQ(fApp.PreviousPageId(), 1);
}

TEST_F(NPageTest, TwoRequestsInOnePassAreHandledInOrderAndTheSecondWins)
{
    TestPage one(1);
    TestPage two(2);
    fApp.RequestPage(2, false);
    fApp.RequestPage(1, false);
    fApp.ProcessMessages();
    EXPECT_EQ(fApp.CurrentPage(), &one);
    EXPECT_EQ(fApp.PreviousPageId(), 2);
}

TEST_F(NPageTest, UnknownIdWithoutFactoryChangesNothingAndTheFactoryIsAsked)
{
    TestPage one(1);
    fApp.RequestPage(1, false);
    fApp.ProcessMessages();
    fApp.RequestPage(9, false);
    fApp.ProcessMessages();
    EXPECT_EQ(fApp.CurrentPage(), &one);
    EXPECT_NE(one.Data(), nullptr);

    std::unique_ptr<TestPage> made;
    fApp.fFactory = [&](int32_t id) {
        made = std::make_unique<TestPage>(id);
        return made.get();
    };
    fApp.RequestPage(9, false);
    fApp.ProcessMessages();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(fApp.CurrentPage(), made.get());
    fApp.Shutdown();
    EXPECT_EQ(made->Data(), nullptr);
}

TEST_F(NPageTest, EnteringOffersAPaletteAndLeavingCancelsPageBoundTasks)
{
    TestPage plain(1);
    TestPage colourful(2, true);
    fApp.RequestPage(1, false);
    fApp.ProcessMessages();
    NPalette* before = NPaletteRegistry::The().GetScreenPalette();
    static int sCalls = 0;
    sCalls = 0;
    uint32_t bound = NIdleTaskRegistry::The().Add([](void*, NIdleTask&) { ++sCalls; }, nullptr,
                                                  std::make_unique<NIdleTask>(), true);
    uint32_t free = NIdleTaskRegistry::The().Add([](void*, NIdleTask&) {}, nullptr, std::make_unique<NIdleTask>());
    ASSERT_NE(bound, 0u);
    fApp.RequestPage(2, false);
    fApp.ProcessMessages();
    EXPECT_NE(NPaletteRegistry::The().GetScreenPalette(), before);
    EXPECT_NE(NPaletteRegistry::The().GetScreenPalette(), nullptr);
    EXPECT_EQ(NIdleTaskRegistry::The().Count(), 1u);   // the page-bound one is gone
    int callsAfterLeaving = sCalls;
    fApp.ProcessMessages();
    EXPECT_EQ(sCalls, callsAfterLeaving);
    NIdleTaskRegistry::The().Cancel(free);
}

} // namespace
