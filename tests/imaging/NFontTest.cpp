// Tests of font records: string-table entries, sizes, copies and the platform font's fallbacks.
#include "imaging/NFont.h"

#include "framework/NStringTable.h"
#include "platform/NHostFont.h"
#include "platform/NHostLocale.h"
#include "storage/NStreamCompress.h"
#include "tests/support/NTestPrefix.h"
#include "tests/support/NTestStringTable.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <utility>
#include <vector>

namespace {

const NHostFont& PlatformFont(NFont& font)
{
    return NHostFont::FromHandle(font.GetHandle());
}

NFont FromText(const std::string& entry)
{
    NFont font;
    font.FontFromText(entry);
    return font;
}

TEST(NFontTest, NewFontsAndTheButtonDefault)
{
    NFont font;
    EXPECT_EQ(font.Face(), "");
    EXPECT_EQ(font.Size(), 12);
    EXPECT_FALSE(font.Bold() || font.Italic() || font.Underline());
    EXPECT_EQ(font.CharSet(), NFont::DefaultCharSet());
    EXPECT_FALSE(font.IsValid());
    NFont button = NFont::ButtonDefault();
    EXPECT_EQ(button.Face(), "Arial");
    EXPECT_EQ(button.Size(), 12);
    EXPECT_EQ(button.SecondFace(), "Helvetica");
    EXPECT_EQ(button.SecondSize(), 10);
}

TEST(NFontTest, OemCodePagesOfTheLocales)
{
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("ja_JP.UTF-8")), 932u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("zh_CN")), 936u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("zh_TW")), 950u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("zh_HK")), 950u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("ko_KR")), 949u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("en_US")), 437u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("en_GB")), 850u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("de_DE")), 850u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("ru_RU")), 866u);
    EXPECT_EQ(NHostLocale::OemCodePageOf(NHostLocale::LocaleIdOf("pl_PL")), 852u);
}

TEST(NFontTest, EntryFieldsGiveFaceSizeStylesAndSecondFace)
{
    NFont font = FromText("Times New Roman,14bi,0,Times,10");
    EXPECT_EQ(font.Face(), "Times New Roman");
    EXPECT_EQ(font.Size(), 14);
    EXPECT_TRUE(font.Bold());
    EXPECT_TRUE(font.Italic());
    EXPECT_EQ(font.CharSet(), NFont::DefaultCharSet()); // 0 keeps the default
    EXPECT_EQ(font.SecondFace(), "Times");
    EXPECT_EQ(font.SecondSize(), 10);

    EXPECT_TRUE(FromText("Arial,12B").Bold());
    EXPECT_FALSE(FromText("Arial,12B").Italic());
    EXPECT_TRUE(FromText("Arial,9I").Italic());
    // Only letters after the first character count, and the number stops at the first letter.
    NFont leading = FromText("Arial,bi12");
    EXPECT_FALSE(leading.Bold());
    EXPECT_TRUE(leading.Italic());
    EXPECT_EQ(leading.Size(), 0);
    EXPECT_EQ(FromText("Arial,12,128").CharSet(), 128);
    EXPECT_EQ(FromText("Arial,12,136,Helvetica,9,extra").SecondSize(), 9);
}

TEST(NFontTest, DamagedEntriesGiveDefinedFonts)
{
    NFont empty = FromText("");
    EXPECT_EQ(empty.Face(), "");
    EXPECT_EQ(empty.Size(), 12);
    NFont faceOnly = FromText("Arial");
    EXPECT_EQ(faceOnly.Face(), "Arial");
    EXPECT_EQ(faceOnly.Size(), 12); // missing fields keep the new font's values
    EXPECT_EQ(FromText("Arial,,,Times").Size(), 12);
    EXPECT_EQ(FromText("Arial,,,Times").SecondFace(), "Times");
    EXPECT_EQ(FromText("Arial,-10").Size(), -10);
    EXPECT_EQ(FromText("Arial,99999999999").Size(), INT_MAX);
    EXPECT_EQ(FromText("Arial,-99999999999").Size(), INT_MIN);
    EXPECT_EQ(FromText("Arial,x#!,zz").Size(), 0);
    EXPECT_EQ(FromText("Arial,x#!,zz").CharSet(), NFont::DefaultCharSet());

    // Every one of them makes a usable platform font of a sane height.
    for (const char* entry : { "", "Arial", "Arial,0", "Arial,-10", "Arial,10000", "Arial,-10000", "Arial,99999999999",
             "Arial,-99999999999", ",,,,", "\xff\xfe garbage \x01,x,y,z,w", "Arial,12,999999" }) {
        NFont font = FromText(entry);
        const NHostFont& platform = PlatformFont(font);
        EXPECT_TRUE(font.IsValid()) << entry;
        EXPECT_GT(platform.Height(), 0) << entry;
        EXPECT_LE(std::abs(platform.Request().fHeight), NHostFont::kMaxPixelHeight) << entry;
    }
    NFont huge = FromText("Arial,10000");
    EXPECT_EQ(huge.CharacterHeight(), -13333);
    EXPECT_EQ(PlatformFont(huge).Request().fHeight, -NHostFont::kMaxPixelHeight);
    NFont zero = FromText("Arial,0");
    EXPECT_EQ(zero.CharacterHeight(), 0);
    EXPECT_EQ(PlatformFont(zero).Request().fHeight, -NHostFont::kDefaultCharacterHeight);
}

TEST(NFontTest, CharacterHeightsRoundPointsToPixels)
{
    NFont font;
    const std::vector<std::pair<int32_t, int32_t>> cases = { { 12, -16 }, { 10, -13 }, { 11, -15 }, { 9, -12 },
        { 48, -64 }, { 1, -1 }, { -12, -16 }, { -10, -13 }, { 0, 0 } };
    for (auto [size, height] : cases) {
        font.SetSize(size);
        EXPECT_EQ(font.CharacterHeight(), height) << size;
    }
    font.SetSize(INT_MAX);
    EXPECT_EQ(font.CharacterHeight(), -INT_MAX);
}

TEST(NFontTest, HandleIsCachedUntilTheFontChanges)
{
    NFont font = FromText("Arial,12");
    NHostDeviceContext::FontHandle first = font.GetHandle();
    EXPECT_TRUE(font.IsValid());
    EXPECT_EQ(font.GetHandle(), first);
    EXPECT_EQ(NHostFont::FromHandle(first).Request().fHeight, -16);
    font.SetSize(12); // no change
    EXPECT_TRUE(font.IsValid());
    font.SetBold(true);
    EXPECT_FALSE(font.IsValid());
    const NHostFont& bold = PlatformFont(font);
    EXPECT_TRUE(bold.IsBold());
    EXPECT_EQ(bold.Request().fWeight, kFontWeightBold);
    EXPECT_EQ(bold.Request().fQuality, kFontQualityNonAntialiased);
    EXPECT_EQ(bold.Request().fPitchAndFamily, kFontFamilySwiss);

    // Copies take the fields, never the platform font.
    NFont copy(font);
    EXPECT_FALSE(copy.IsValid());
    EXPECT_TRUE(copy == font);
    EXPECT_NE(copy.GetHandle(), font.GetHandle());
    NFont other = FromText("Times New Roman,20");
    other.GetHandle();
    other = font;
    EXPECT_FALSE(other.IsValid());
    EXPECT_EQ(other.Face(), "Arial");
    EXPECT_TRUE(other.Bold());

    NFont scaled = FromText("Arial,12,0,Helvetica,10");
    scaled.Scale(4);
    EXPECT_EQ(scaled.Size(), 48);
    EXPECT_EQ(scaled.SecondSize(), 40);
}

TEST(NFontTest, MissingFacesFallBackToArialThenTheStockFont)
{
    NFont missing = FromText("No Such Face Anywhere,12");
    EXPECT_EQ(PlatformFont(missing).FamilyName(), "Liberation Sans");
    EXPECT_EQ(PlatformFont(missing).Request().fFaceName, "arial");
    EXPECT_EQ(PlatformFont(missing).Request().fPitchAndFamily, kFontFamilyDontCare);
    NFont times = FromText("Times New Roman,12");
    EXPECT_EQ(PlatformFont(times).FamilyName(), "Liberation Serif");
}

class NFontTableTest : public ::testing::Test {
protected:
    NFontTableTest() { NStringTable::The().Clear(); }
    ~NFontTableTest() override { NStringTable::The().Clear(); }

    void LoadTable(const std::vector<std::pair<int32_t, std::string>>& entries)
    {
        NFileSpec spec;
        ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / "fonts.xst").string()), spec));
        NWriteTestStringTable(spec, entries);
        ASSERT_TRUE(NStringTable::The().Load(spec, false));
    }

    NTestPrefix fPrefix;
};

TEST_F(NFontTableTest, FontFromStringReadsTheCurrentTable)
{
    LoadTable({ { 100, "Arial,14bi,0,Helvetica,10" }, { 101, "Times New Roman,9,129" } });
    NFont font;
    font.FontFromString(100);
    EXPECT_EQ(font.Face(), "Arial");
    EXPECT_EQ(font.Size(), 14);
    EXPECT_TRUE(font.Bold() && font.Italic());
    EXPECT_EQ(font.CharSet(), NFont::DefaultCharSet());
    font.FontFromString(101); // starts from a new font: no styles left over
    EXPECT_EQ(font.Face(), "Times New Roman");
    EXPECT_FALSE(font.Bold() || font.Italic());
    EXPECT_EQ(font.CharSet(), 129);
    EXPECT_EQ(font.SecondFace(), "");
    // A missing string names no face there is: the fallback still gives a font.
    font.FontFromString(999);
    EXPECT_EQ(font.Face(), "!!! String ID=999");
    EXPECT_EQ(font.Size(), 12);
    EXPECT_EQ(PlatformFont(font).FamilyName(), "Liberation Sans");
}

} // namespace
