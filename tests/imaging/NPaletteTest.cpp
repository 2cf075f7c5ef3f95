// Palette records, files, the nearest-colour search, sharing and the registry.
#include "imaging/NPalette.h"

#include "imaging/NPaletteClient.h"
#include "imaging/NPaletteRegistry.h"
#include "storage/NFileException.h"
#include "tests/imaging/NImagingTestSupport.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <set>

namespace {

constexpr int kReserved[] = { 0, 8, 9, 246, 247, 255 };

class NPaletteTest : public ::testing::Test {
protected:
    // Distinct colours everywhere, none equal to a static colour: (i, 255 - i, 3 i).
    static std::vector<uint8_t> DistinctColors()
    {
        std::vector<uint8_t> colors;
        for (int i = 0; i < 256; ++i) {
            colors.push_back(uint8_t(i));
            colors.push_back(uint8_t(255 - i));
            colors.push_back(uint8_t(3 * i));
        }
        return colors;
    }

    static void SetEntry(std::vector<uint8_t>& colors, int index, uint8_t r, uint8_t g, uint8_t b)
    {
        colors[3 * index] = r;
        colors[3 * index + 1] = g;
        colors[3 * index + 2] = b;
    }

    NFileSpec Write(const std::string& name, const std::string& bytes)
    {
        NTestPrefix::WriteFile(fPrefix.Root() / name, bytes);
        return NTestSpec(fPrefix.Root() / name);
    }

    static std::vector<int> Color(const NPalette& palette, int index)
    {
        const NPaletteData& data = *palette.Data();
        return { data.Red(index), data.Green(index), data.Blue(index) };
    }

    NTestPrefix fPrefix;
};

TEST_F(NPaletteTest, TablesFollowTheColours)
{
    NPalette palette;
    palette.FromSystem();
    palette.Data()->SetColor(42, 0xF8, 0x84, 0x0F);
    palette.Data()->BuildTables();
    EXPECT_EQ(palette.Data()->Table32()[42], 0xFFF8840Fu);
    EXPECT_EQ(palette.Data()->Table16()[42], (31 << 10) | (16 << 5) | 1);
    EXPECT_EQ(Color(palette, 10), (std::vector<int> { 0, 0, 0 }));
    EXPECT_EQ(Color(palette, 245), (std::vector<int> { 255, 255, 255 }));
    EXPECT_EQ(Color(palette, 249), (std::vector<int> { 255, 0, 0 }));
    ASSERT_NE(palette.Data()->PlatformPalette(), nullptr);
}

TEST_F(NPaletteTest, FileReadsEntriesAndReservesTheStaticColours)
{
    std::vector<uint8_t> colors = DistinctColors();
    NPalette raw;
    ASSERT_TRUE(raw.LoadFile(Write("raw.pal", NRiffPalette(colors)), false));
    EXPECT_EQ(Color(raw, 3), (std::vector<int> { 3, 252, 9 }));
    EXPECT_EQ(Color(raw, 100), (std::vector<int> { 100, 155, 44 }));
    EXPECT_EQ(raw.Data()->Table32()[100], 0xFF649B2Cu);
    EXPECT_EQ(raw.Data()->PlatformPalette()->Entry(100).fGreen, 155);

    NPalette reserved;
    ASSERT_TRUE(reserved.LoadFile(Write("reserved.pal", NRiffPalette(colors)), true));
    EXPECT_EQ(Color(reserved, 3), (std::vector<int> { 128, 128, 0 }));
    EXPECT_EQ(Color(reserved, 255), (std::vector<int> { 255, 255, 255 }));
    EXPECT_EQ(Color(reserved, 100), (std::vector<int> { 100, 155, 44 }));
}

TEST_F(NPaletteTest, DuplicatesStepTheLowerEntryOneChannel)
{
    std::vector<uint8_t> colors = DistinctColors();
    SetEntry(colors, 50, 10, 20, 30);
    SetEntry(colors, 100, 10, 20, 30);
    NPalette palette;
    ASSERT_TRUE(palette.LoadFile(Write("dup.pal", NRiffPalette(colors)), true));
    EXPECT_EQ(Color(palette, 50), (std::vector<int> { 11, 20, 30 }));
    EXPECT_EQ(Color(palette, 100), (std::vector<int> { 10, 20, 30 }));

    // White duplicates static 255: +1 fails on all three channels, then red steps down.
    colors = DistinctColors();
    SetEntry(colors, 245, 255, 255, 255);
    NPalette white;
    ASSERT_TRUE(white.LoadFile(Write("white.pal", NRiffPalette(colors)), true));
    EXPECT_EQ(Color(white, 245), (std::vector<int> { 254, 255, 255 }));
}

TEST_F(NPaletteTest, ProgramEntriesEndUniqueAndStaticsStay)
{
    // Every program entry black: each is stepped until it differs from all others.
    std::vector<uint8_t> colors(768, 0);
    NPalette palette;
    ASSERT_TRUE(palette.LoadFile(Write("black.pal", NRiffPalette(colors)), true));
    std::set<std::vector<int>> seen;
    for (int i = 0; i < 256; ++i)
        EXPECT_TRUE(seen.insert(Color(palette, i)).second) << "entry " << i << " repeats";
    EXPECT_EQ(Color(palette, 0), (std::vector<int> { 0, 0, 0 }));
    EXPECT_EQ(Color(palette, 10), (std::vector<int> { 1, 0, 0 }));
}

TEST_F(NPaletteTest, ShortFilesEndingAfterTheLastEntryRead)
{
    std::vector<uint8_t> colors = DistinctColors();
    NPalette exact;
    EXPECT_TRUE(exact.LoadFile(Write("exact.pal", NRiffPalette(colors, 1048)), false));
    EXPECT_EQ(Color(exact, 255), (std::vector<int> { 255, 0, 253 }));
    NPalette flagless;
    EXPECT_TRUE(flagless.LoadFile(Write("flagless.pal", NRiffPalette(colors, 1047)), false));

    NPalette system;
    system.FromSystem();
    NPalette cut;
    EXPECT_FALSE(cut.LoadFile(Write("cut.pal", NRiffPalette(colors, 1046)), false));
    EXPECT_EQ(cut.LastError(), kFileEndOfData);
    ASSERT_FALSE(cut.IsEmpty());
    for (int i = 0; i < 256; ++i)
        EXPECT_EQ(Color(cut, i), Color(system, i)) << "entry " << i;
    EXPECT_EQ(cut.Data()->Table32()[249], 0xFFFF0000u);

    NPalette missing;
    EXPECT_FALSE(missing.LoadFile(NTestSpec(fPrefix.Root() / "none.pal"), true));
    EXPECT_EQ(missing.LastError(), kFileCannotOpen);
    EXPECT_EQ(Color(missing, 249), (std::vector<int> { 255, 0, 0 }));
}

TEST_F(NPaletteTest, NearestNeverAnswersAReservedIndex)
{
    NPalette palette;
    palette.FromSystem();
    const NPaletteData& data = *palette.Data();
    for (int index : kReserved) {
        uint8_t nearest = data.NearestIndex(data.Red(index), data.Green(index), data.Blue(index));
        for (int reserved : kReserved)
            EXPECT_NE(nearest, reserved) << "colour of " << index;
    }
    EXPECT_EQ(data.NearestIndex(0, 0, 0), kPaletteBlack);
    EXPECT_EQ(data.NearestIndex(255, 255, 255), kPaletteWhite);
    EXPECT_EQ(data.NearestIndex(128, 0, 0), 1) << "an allowed static colour";
    EXPECT_EQ(data.NearestIndex(50, 100, 150), data.NearestIndexIn(50, 100, 150, 10, 245));
}

TEST_F(NPaletteTest, NearestTakesTheFirstOfEqualCandidates)
{
    NPalette palette;
    palette.FromSystem();
    NPaletteData& data = *palette.Data();
    data.SetColor(40, 100, 100, 100);
    data.SetColor(60, 100, 100, 100);
    EXPECT_EQ(data.NearestIndex(100, 100, 100), 40);
    data.SetColor(40, 101, 100, 100);
    data.SetColor(30, 99, 100, 100);
    EXPECT_EQ(data.NearestIndex(100, 100, 100), 60);
}

TEST_F(NPaletteTest, LoadingOneFileTwiceSharesOneRecord)
{
    NFileSpec spec = Write("shared.pal", NRiffPalette(DistinctColors()));
    NPaletteRegistry& registry = NPaletteRegistry::The();
    int before = registry.FileCount();
    NPalette first;
    NPalette second;
    ASSERT_TRUE(first.LoadFile(spec, true));
    NFileSpec otherCase = spec;
    otherCase.SetName("SHARED.PAL");
    ASSERT_TRUE(second.LoadFile(otherCase, true));
    EXPECT_EQ(first.Data(), second.Data());
    EXPECT_EQ(first.Data()->HolderCount(), NCountedRecord::kNoHolders + 2);
    EXPECT_EQ(registry.FileCount(), before + 1);
    NPalette copy(first);
    EXPECT_EQ(copy.Data()->HolderCount(), NCountedRecord::kNoHolders + 3);
    copy.Release();
    first.Release();
    second.Release();
    EXPECT_EQ(registry.FileCount(), before) << "the last release removes the cache entry";
    NPalette again;
    ASSERT_TRUE(again.LoadFile(spec, true));
    EXPECT_EQ(registry.FileCount(), before + 1);
}

class RecordingClient : public NPaletteClient {
public:
    void PaletteChanging(const NPalette* palette) override { fCalls.push_back({ "changing", palette }); }
    void PaletteChanged(const NPalette* palette) override { fCalls.push_back({ "changed", palette }); }

    std::vector<std::pair<std::string, const NPalette*>> fCalls;
};

TEST_F(NPaletteTest, ScreenPaletteChangesAreAnnouncedAndKeepTheSameObject)
{
    NPaletteRegistry& registry = NPaletteRegistry::The();
    RecordingClient client;
    registry.SetClient(&client);
    auto palette = std::make_unique<NPalette>();
    palette->FromSystem();
    NPalette* raw = palette.get();
    registry.SetScreenPalette(std::move(palette));
    ASSERT_EQ(client.fCalls.size(), 2u);
    EXPECT_EQ(client.fCalls[0], std::make_pair(std::string("changing"), static_cast<const NPalette*>(raw)));
    EXPECT_EQ(client.fCalls[1], std::make_pair(std::string("changed"), static_cast<const NPalette*>(raw)));
    EXPECT_EQ(registry.GetScreenPalette(), raw);

    registry.SetScreenPalette(std::unique_ptr<NPalette>(raw));
    EXPECT_EQ(registry.GetScreenPalette(), raw);
    EXPECT_NE(raw->Data(), nullptr) << "the current palette object survives being set again";
    registry.SetClient(nullptr);
}

TEST_F(NPaletteTest, InverseCubeFollowsTheApplicationPalette)
{
    NPaletteRegistry& registry = NPaletteRegistry::The();
    const uint8_t* cube = registry.InverseCube();
    ASSERT_NE(cube, nullptr);
    const NPaletteData& system = *registry.GetScreenPalette()->Data();
    EXPECT_EQ(cube[NPaletteRegistry::CubeIndex(0, 0, 0)], kPaletteBlack);
    EXPECT_EQ(cube[NPaletteRegistry::CubeIndex(0x37, 0x99, 0xC5)], system.NearestIndex(0x30, 0x90, 0xC0));
    EXPECT_EQ(NPaletteRegistry::CubeIndex(0xFF, 0x10, 0x0F), 0xF10);

    auto gray = std::make_unique<NPalette>();
    gray->FromSystem();
    for (int i = 10; i < 246; ++i)
        gray->Data()->SetColor(i, uint8_t(i), uint8_t(i), uint8_t(i));
    gray->Data()->BuildTables();
    registry.SetScreenPalette(std::move(gray));
    cube = registry.InverseCube();
    EXPECT_EQ(cube[NPaletteRegistry::CubeIndex(0x80, 0x80, 0x80)], 128);
    EXPECT_EQ(cube[NPaletteRegistry::CubeIndex(0x40, 0x40, 0x40)], 64);
}

} // namespace
