// The universe: change collection, drawing order, presenting and the 8-bit conversion.
#include "imaging/NSpUniverse.h"

#include "imaging/NSpGroup.h"
#include "tests/imaging/NSpriteTestSupport.h"

namespace {

using Copies = std::vector<NHostHeadlessWindow::Copy>;

constexpr uint32_t kRed = 0xFFFF0000;
constexpr uint32_t kGreen = 0xFF00FF00;
constexpr uint32_t kBlue = 0xFF0000FF;
constexpr uint32_t kGrey = 0xFF808080;

class NSpUniverseTest : public NSpSceneTest {};

} // namespace

TEST_F(NSpUniverseTest, SmallMovesRepaintOneUnionAndLargeOnesTwoPlaces)
{
    auto sprite = SolidSprite(NRect(96, 96, 100, 100), kRed);
    Render();
    // Moved 5 to the right the overlap is 95%: one union, snapped to cells.
    sprite->MoveBy(5, 0);
    Copies copies = Render();
    EXPECT_EQ(copies, Copies({ NCopyOf(NRect(96, 96, 112, 112)) }));
    // Moved 30 further the overlap is 70%: old and new place go to the grid separately
    // (the cells still merge where they touch).
    sprite->MoveBy(30, 0);
    NSpChangeGrid grid(kScreen);
    fUniverse->CollectChanges(grid);
    EXPECT_EQ(grid.AddedCount(), 2);
    sprite->MoveBy(200, 200);
    copies = Render();
    EXPECT_EQ(copies.size(), 2u);
    EXPECT_EQ(fWindow->Pixel(331, 296), kRed);
    EXPECT_EQ(fWindow->Pixel(131, 96), kBackground);
}

TEST_F(NSpUniverseTest, OneChangedPixelPresentsOneCell)
{
    Render();
    fUniverse->AddChange(NRect(0, 0, 1, 1));
    EXPECT_EQ(Render(), Copies({ { 0, 0, 16, 16 } }));
    // Nothing changed: nothing is drawn or presented.
    EXPECT_TRUE(Render().empty());
}

TEST_F(NSpUniverseTest, AChangeOfTheWholeContentPresentsOneRectangle)
{
    auto sprite = SolidSprite(NRect(10, 10, 20, 20), kRed);
    fUniverse->AddChange(NRect(300, 300, 5, 5));
    fUniverse->AddChange(kScreen);
    EXPECT_EQ(Render(), Copies({ NCopyOf(kScreen) }));
}

TEST_F(NSpUniverseTest, TheFirstChildIsDrawnInFrontAndHiddenNodesNotAtAll)
{
    auto back = SolidSprite(NRect(0, 0, 32, 32), kRed);
    auto front = SolidSprite(NRect(16, 16, 32, 32), kGreen);
    // Both have priority 0: the later one went before the earlier, so it is in front.
    ASSERT_EQ(fUniverse->Children().front(), front.get());
    Render();
    EXPECT_EQ(fWindow->Pixel(20, 20), kGreen);
    fUniverse->AddChild(*back, -1);   // now the front child
    Render();
    fUniverse->RepaintAll(kScreen);
    EXPECT_EQ(fWindow->Pixel(20, 20), kRed);
    EXPECT_EQ(fWindow->Pixel(40, 40), kGreen);

    back->SetVisible(false);
    Copies copies = Render();
    EXPECT_EQ(copies, Copies({ { 0, 0, 32, 32 } }));
    EXPECT_EQ(fWindow->Pixel(20, 20), kGreen);
    EXPECT_EQ(fWindow->Pixel(5, 5), kBackground);
    EXPECT_TRUE(back->DrawnRect().IsEmpty());
    back->SetVisible(true);
    Render();
    EXPECT_EQ(fWindow->Pixel(5, 5), kRed);
}

TEST_F(NSpUniverseTest, DestroyedNodesHaveTheirAreaRepainted)
{
    auto group = std::make_unique<NSpGroup>();
    fUniverse->AddChild(*group, 0);
    group->SetRect(NRect(64, 64, 64, 64));
    group->SetFill(kBlue);
    auto inner = SolidSprite(NRect(8, 8, 16, 16), kRed, group.get());
    Render();
    EXPECT_EQ(fWindow->Pixel(64, 64), kBlue);
    EXPECT_EQ(fWindow->Pixel(74, 74), kRed);   // children are placed in the group
    inner.reset();
    Render();
    EXPECT_EQ(fWindow->Pixel(74, 74), kBlue);
    group.reset();
    Copies copies = Render();
    EXPECT_EQ(copies, Copies({ { 64, 64, 64, 64 } }));
    EXPECT_EQ(fWindow->Pixel(64, 64), kBackground);
}

TEST_F(NSpUniverseTest, GroupBordersAreDrawnWholeInsideTheGroup)
{
    NSpGroup group;
    fUniverse->AddChild(group, 0);
    group.SetRect(NRect(16, 16, 32, 32));
    group.SetBorder(kGreen, 2);
    Render();
    EXPECT_EQ(fWindow->Pixel(16, 16), kGreen);
    EXPECT_EQ(fWindow->Pixel(17, 30), kGreen);
    EXPECT_EQ(fWindow->Pixel(18, 30), kBackground);
    EXPECT_EQ(fWindow->Pixel(46, 47), kGreen);
    // A change touching only the corner still leaves a whole border.
    fUniverse->AddChange(NRect(16, 16, 1, 1));
    Render();
    EXPECT_EQ(fWindow->Pixel(47, 40), kGreen);
}

TEST_F(NSpUniverseTest, GroupsHitThroughTheirChildrenWithTheFlag)
{
    NSpGroup group;
    fUniverse->AddChild(group, 0);
    group.SetRect(NRect(0, 0, 100, 100));
    auto child = SolidSprite(NRect(10, 10, 10, 10), kRed, &group);
    EXPECT_TRUE(group.HitTest(NPoint(50, 50)));
    group.SetChildrenHit(true);
    EXPECT_FALSE(group.HitTest(NPoint(50, 50)));
    EXPECT_TRUE(group.HitTest(NPoint(15, 15)));
    EXPECT_FALSE(group.HitTest(NPoint(150, 15)));
}

TEST_F(NSpUniverseTest, PaletteDisplaysGetErrorDiffusedPixels)
{
    // Only black (index 10) and white (245) to choose from: grey 128 dithers.
    auto palette = std::make_unique<NPalette>();
    palette->FromSystem();
    for (int i = 0; i < 256; ++i)
        palette->Data()->SetColor(i, 0, 0, 0);
    palette->Data()->SetColor(245, 255, 255, 255);
    palette->Data()->BuildTables();
    palette->Data()->BuildPlatformPalette();
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    fWindow->SetDisplayDepth(NHostWindow::kPaletteDepth);
    fUniverse->SetBounds(kScreen, fWindow.get());

    NSpGroup group;
    fUniverse->AddChild(group, 0);
    group.SetRect(NRect(0, 0, 4, 2));
    group.SetFill(kGrey);
    Render();
    ASSERT_NE(fUniverse->Surface()->Chained(), nullptr);
    // Worked by hand: errors -127, 72, -96, 86 along the first row, and the shares they
    // leave below turn the second row into the opposite pattern.
    constexpr uint32_t kWhite = 0xFFFFFFFF;
    constexpr uint32_t kBlack = 0xFF000000;
    EXPECT_EQ(fWindow->Pixel(0, 0), kWhite);
    EXPECT_EQ(fWindow->Pixel(1, 0), kBlack);
    EXPECT_EQ(fWindow->Pixel(2, 0), kWhite);
    EXPECT_EQ(fWindow->Pixel(3, 0), kBlack);
    EXPECT_EQ(fWindow->Pixel(0, 1), kBlack);
    EXPECT_EQ(fWindow->Pixel(1, 1), kWhite);
    EXPECT_EQ(fWindow->Pixel(2, 1), kBlack);
    EXPECT_EQ(fWindow->Pixel(3, 1), kWhite);
    EXPECT_EQ(fUniverse->Surface()->Chained()->GetImage()->GetPixel(0, 0), 245);
    // The window's context is given back after each present.
    EXPECT_EQ(fWindow->ContextUsers(), 0);

    // Back on a true-colour display the chained surface goes.
    fWindow->SetDisplayDepth(NHostWindow::kTrueColorDepth);
    fUniverse->AddChange(NRect(0, 0, 4, 2));
    Render();
    EXPECT_EQ(fUniverse->Surface()->Chained(), nullptr);
    EXPECT_EQ(fWindow->Pixel(1, 0), kGrey);
}

TEST_F(NSpUniverseTest, APaletteChangeOnAPaletteDisplayRepaintsEverything)
{
    fWindow->SetDisplayDepth(NHostWindow::kPaletteDepth);
    auto sprite = SolidSprite(NRect(100, 100, 50, 50), kRed);
    Render();
    uint32_t before = fWindow->Pixel(120, 120);
    fUniverse->PaletteChanging(nullptr);
    EXPECT_NE(fWindow->Pixel(120, 120), before);   // the screen went dark meanwhile
    fUniverse->PaletteChanged(NPaletteRegistry::The().GetScreenPalette());
    EXPECT_EQ(Render(), Copies({ NCopyOf(kScreen) }));
    EXPECT_EQ(fWindow->Pixel(120, 120), before);
}

TEST_F(NSpUniverseTest, NodesOutsideTheUniverseAreClippedAway)
{
    auto sprite = SolidSprite(NRect(-50, -50, 100, 100), kRed);
    auto far = SolidSprite(NRect(30000, 30000, 100, 100), kRed);
    Copies copies = Render();
    EXPECT_EQ(copies, Copies({ { 0, 0, 64, 64 } }));
    EXPECT_EQ(fWindow->Pixel(49, 49), kRed);
    far->MoveBy(20000, 20000);   // pinned at the edge of the coordinate range
    Render();
}
