// Tests of loading string tables, merging a translation with its fallback, and misses.
#include "framework/NStringTable.h"

#include "storage/NStreamCompress.h"
#include "tests/support/NTestPrefix.h"
#include "tests/support/NTestStringTable.h"

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

class NStringTableTest : public ::testing::Test {
protected:
    NStringTableTest() { NStringTable::The().Clear(); }
    ~NStringTableTest() override { NStringTable::The().Clear(); }

    NFileSpec Spec(const std::string& name)
    {
        NFileSpec spec;
        EXPECT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / name).string()), spec));
        return spec;
    }

    // Writes a table whose count word is `count` (the entries' number unless given).
    NFileSpec Write(const std::string& name, const std::vector<std::pair<int32_t, std::string>>& entries,
                    int32_t count = -1)
    {
        NFileSpec spec = Spec(name);
        NWriteTestStringTable(spec, entries, count);
        return spec;
    }

    NTestPrefix fPrefix;
};

TEST_F(NStringTableTest, MergeKeepsTranslationAndFillsGapsFromEnglish)
{
    NStringTable& table = NStringTable::The();
    NFileSpec french = Write("fra.xst", {{100, "Bonjour"}, {124, "Oui"}, {126, "Non"}});
    NFileSpec english = Write("eng.xst", {{100, "Hello"}, {124, "Yes"}, {125, "Cancel"}, {0, "zero"}});
    ASSERT_TRUE(table.Load(french, false));
    ASSERT_TRUE(table.Load(english, true));
    EXPECT_EQ(table.GetString(100), "Bonjour");
    EXPECT_EQ(table.GetString(124), "Oui");
    EXPECT_EQ(table.GetString(125), "Cancel");
    EXPECT_EQ(table.GetString(126), "Non");
    EXPECT_EQ(table.Count(), 4u);   // the id 0 is never merged in

    // Loading without merge replaces everything.
    ASSERT_TRUE(table.Load(english, false));
    EXPECT_EQ(table.GetString(100), "Hello");
    EXPECT_EQ(table.Count(), 4u);
}

TEST_F(NStringTableTest, MissesAndIdZeroGiveTheMissText)
{
    NStringTable& table = NStringTable::The();
    ASSERT_TRUE(table.Load(Write("t.xst", {{0, "zero"}, {7, "seven"}, {7, "again"}}), false));
    EXPECT_EQ(table.GetString(0), "!!! String ID=0");
    EXPECT_EQ(table.GetString(-12), "!!! String ID=-12");
    EXPECT_EQ(table.GetString(7), "seven");   // duplicates are kept, the first answers
    std::string copy;
    table.GetString(99, copy);
    EXPECT_EQ(copy, "!!! String ID=99");
}

TEST_F(NStringTableTest, ShortAndDamagedFiles)
{
    NStringTable& table = NStringTable::The();
    // A count larger than the entries stored loads what is there.
    EXPECT_TRUE(table.Load(Write("long.xst", {{1, "a"}, {2, "b"}}, 40), false));
    EXPECT_EQ(table.Count(), 2u);

    // A file cut inside its header is only short data.
    NTestPrefix::WriteFile(fPrefix.Root() / "cut.xst", std::string("NRes\0\0", 6));
    EXPECT_TRUE(table.Load(Spec("cut.xst"), false));
    EXPECT_EQ(table.Count(), 0u);

    // A missing file fails; the entries loaded before stay.
    ASSERT_TRUE(table.Load(Write("one.xst", {{5, "five"}}), false));
    EXPECT_FALSE(table.Load(Spec("missing.xst"), true));
    EXPECT_EQ(table.GetString(5), "five");

    // A negative string length fails the load, keeping the complete entries before it.
    NFileSpec bad = Spec("bad.xst");
    {
        NStream file = bad.Open(NStreamMode::kWrite);
        file.WriteInt32(NStringTable::kMark);
        file.WriteInt32(NStringTable::kVersion);
        file.WriteInt32(2);
        NStream packed(std::make_unique<NStreamCompress>(file));
        packed.WriteInt32(1);
        packed.WriteString("ok");
        packed.WriteInt32(2);
        packed.WriteInt16(-1);
        packed.Close();
        file.Close();
    }
    EXPECT_FALSE(table.Load(bad, false));
    EXPECT_EQ(table.Count(), 1u);
    EXPECT_EQ(table.GetString(1), "ok");
}

} // namespace
