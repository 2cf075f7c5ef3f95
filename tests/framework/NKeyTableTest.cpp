// The virtual-key table, entry by entry against the published list.
#include "framework/NKeyTable.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::map<int, int> ExpectedPairs()
{
    std::map<int, int> pairs = {
        { 8, 8 }, { 9, 9 }, { 12, 12 }, { 13, 13 }, { 27, 27 }, { 32, 32 },
        { 45, 144 }, { 46, 145 }, { 36, 146 }, { 35, 147 }, { 33, 148 }, { 34, 149 },
        { 37, 150 }, { 39, 151 }, { 38, 152 }, { 40, 153 },
        { 187, 33 }, { 189, 34 }, { 221, 35 }, { 219, 36 }, { 222, 37 }, { 186, 38 },
        { 220, 39 }, { 188, 40 }, { 191, 41 }, { 190, 42 }, { 192, 43 },
        { 144, 160 },
        { 106, 138 }, { 107, 139 }, { 109, 140 }, { 110, 141 }, { 111, 142 },
        { 42, 173 }, { 145, 174 }, { 19, 175 },
        { 16, 177 }, { 20, 178 }, { 18, 179 }, { 17, 180 },
    };
    for (int key = 48; key <= 57; ++key)
        pairs[key] = key;
    for (int key = 65; key <= 90; ++key)
        pairs[key] = key;
    for (int key = 96; key <= 105; ++key)
        pairs[key] = 128 + key - 96;
    for (int key = 112; key <= 123; ++key)
        pairs[key] = 161 + key - 112;
    return pairs;
}

TEST(NKeyTableTest, EveryVirtualKeyMapsAsListedAndAllOthersToNone)
{
    std::map<int, int> pairs = ExpectedPairs();
    EXPECT_EQ(pairs.size(), 98u);
    for (int key = 0; key < NKeyTable::kTableSize; ++key) {
        auto found = pairs.find(key);
        int expected = found == pairs.end() ? kKeyNone : found->second;
        EXPECT_EQ(NKeyTable::Map(key), expected) << "virtual key " << key;
    }
}

TEST(NKeyTableTest, KeysOutsideTheTableAndKnownGapsAreNone)
{
    EXPECT_EQ(NKeyTable::Map(-1), kKeyNone);
    EXPECT_EQ(NKeyTable::Map(256), kKeyNone);
    EXPECT_EQ(NKeyTable::Map(108), kKeyNone);   // pad separator
    EXPECT_EQ(NKeyTable::Map(91), kKeyNone);    // left Windows key
    EXPECT_EQ(NKeyTable::Map(124), kKeyNone);   // F13
    EXPECT_EQ(NKeyTable::Map(kKeyF12 - kKeyF1 + 112), kKeyF12);
}

} // namespace
