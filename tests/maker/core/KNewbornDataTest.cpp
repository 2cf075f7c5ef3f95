#include "maker/core/KNewbornData.h"

#include <gtest/gtest.h>

namespace {

std::string Initials(const char* first, const char* middle, const char* last)
{
    KNewbornData data;
    data.fInitial[0] = first;
    data.fInitial[1] = middle;
    data.fInitial[2] = last;
    return data.InitialsString();
}

TEST(KNewbornDataTest, InitialsAreAlwaysThreeCharactersForUpToThreeLetters)
{
    EXPECT_EQ(Initials("", "", ""), "   ");
    EXPECT_EQ(Initials("", "B", ""), " B ");
    EXPECT_EQ(Initials("A", "", "C"), "A C");
    EXPECT_EQ(Initials("A", "B", ""), "A B");
    EXPECT_EQ(Initials("A", "B", "C"), "ABC");
    // Fields holding more than one letter are joined unchanged.
    EXPECT_EQ(Initials("AB", "", "CD"), "ABCD");
}

TEST(KNewbornDataTest, VariantFolderFollowsTheBoyFlag)
{
    KNewbornData data;
    EXPECT_STREQ(data.KeepFolder(), "@boy");
    data.fBoy = false;
    EXPECT_STREQ(data.KeepFolder(), "@girl");
}

} // namespace
