// The change grid: cell marking, maximal runs extended downwards and the full-screen switch.
#include "imaging/NSpChangeGrid.h"

#include <gtest/gtest.h>

namespace {

constexpr NRect kContent { 0, 0, 640, 480 };

std::vector<NRect> BuildFrom(std::initializer_list<NRect> areas)
{
    NSpChangeGrid grid(kContent);
    for (const NRect& area : areas)
        grid.Add(area);
    grid.Build();
    return grid.Rects();
}

} // namespace

TEST(NSpChangeGridTest, SizesRoundUpToWholeCells)
{
    NSpChangeGrid grid(NRect(0, 0, 641, 479));
    EXPECT_EQ(grid.Columns(), 41);
    EXPECT_EQ(grid.Rows(), 30);
}

TEST(NSpChangeGridTest, AreasSnapToCellsAndNeighboursMerge)
{
    EXPECT_EQ(BuildFrom({ NRect(0, 0, 1, 1) }), std::vector<NRect>({ NRect(0, 0, 16, 16) }));
    // Cells (0, 0) and (1, 0) make one run; (0, 0) and (0, 1) extend downwards.
    EXPECT_EQ(BuildFrom({ NRect(2, 2, 3, 3), NRect(20, 5, 1, 1) }), std::vector<NRect>({ NRect(0, 0, 32, 16) }));
    EXPECT_EQ(BuildFrom({ NRect(2, 2, 3, 3), NRect(5, 20, 1, 1) }), std::vector<NRect>({ NRect(0, 0, 16, 32) }));
    // An area ending exactly on a cell edge does not mark the next cell.
    EXPECT_EQ(BuildFrom({ NRect(16, 16, 16, 16) }), std::vector<NRect>({ NRect(16, 16, 16, 16) }));
}

TEST(NSpChangeGridTest, RunsStopWhereTheRowBelowIsIncomplete)
{
    // Row 0 marks columns 0-2, row 1 only columns 0-1: the first run cannot go down, and
    // the scan starts again from the top for the rest.
    std::vector<NRect> rects = BuildFrom({ NRect(0, 0, 48, 16), NRect(0, 16, 32, 16) });
    EXPECT_EQ(rects, std::vector<NRect>({ NRect(0, 0, 48, 16), NRect(0, 16, 32, 16) }));
    // An L shape the other way round extends the narrow run down and leaves the rest.
    rects = BuildFrom({ NRect(0, 0, 16, 16), NRect(0, 16, 48, 16) });
    EXPECT_EQ(rects, std::vector<NRect>({ NRect(0, 0, 16, 32), NRect(16, 16, 32, 16) }));
}

TEST(NSpChangeGridTest, TheContentRectangleSwitchesToOneFullRectangle)
{
    NSpChangeGrid grid(kContent);
    grid.Add(NRect(100, 100, 10, 10));
    grid.Add(kContent);
    grid.Add(NRect(300, 300, 10, 10));   // ignored once full
    EXPECT_TRUE(grid.IsFull());
    EXPECT_EQ(grid.AddedCount(), 2);
    grid.Build();
    EXPECT_EQ(grid.Rects(), std::vector<NRect>({ kContent }));
    grid.Build();
    EXPECT_EQ(grid.Rects().size(), 1u);
    grid.Clear();
    EXPECT_FALSE(grid.IsFull());
    EXPECT_EQ(grid.AddedCount(), 0);
    EXPECT_TRUE(grid.Rects().empty());
}

TEST(NSpChangeGridTest, BuildingTwiceAddsNothingAndEmptyOrOutsideAreasMarkNothing)
{
    NSpChangeGrid grid(kContent);
    grid.Add(NRect(10, 10, 0, 5));
    EXPECT_EQ(grid.AddedCount(), 0);
    grid.Add(NRect(-100, -100, 50, 50));   // counted, but no cell lies there
    grid.Add(NRect(630, 470, 100, 100));   // clipped to the last cell
    grid.Build();
    EXPECT_EQ(grid.Rects(), std::vector<NRect>({ NRect(624, 464, 16, 16) }));
    grid.Build();
    EXPECT_EQ(grid.Rects().size(), 1u);
}

TEST(NSpChangeGridTest, ScatteredCellsGiveDisjointRectanglesCoveringEveryMarkedCell)
{
    NSpChangeGrid grid(kContent);
    std::vector<NRect> areas;
    uint32_t seed = 12345;
    for (int i = 0; i < 200; ++i) {
        seed = seed * 1103515245u + 12345u;
        areas.push_back(NRect(int16_t(seed % 600), int16_t((seed >> 10) % 440), int16_t(1 + (seed >> 20) % 40),
                              int16_t(1 + (seed >> 26) % 40)));
        grid.Add(areas.back());
    }
    grid.Build();
    // Every pixel of every area is covered exactly once.
    std::vector<int> cover(640 * 480, 0);
    for (const NRect& rect : grid.Rects()) {
        for (int y = rect.fY; y < rect.Bottom(); ++y)
            for (int x = rect.fX; x < rect.Right(); ++x)
                ++cover[size_t(y) * 640 + size_t(x)];
    }
    for (int value : cover)
        ASSERT_LE(value, 1);
    for (const NRect& area : areas) {
        NRect inside = area.Intersect(kContent);
        for (int y = inside.fY; y < inside.Bottom(); ++y)
            for (int x = inside.fX; x < inside.Right(); ++x)
                ASSERT_EQ(cover[size_t(y) * 640 + size_t(x)], 1) << x << "," << y;
    }
}
