// Host names for archive element names.
#include "tools/XpbNames.h"

#include <gtest/gtest.h>

namespace {

TEST(XpbNamesTest, NamesThatStepOrSplitBecomePlainNames)
{
    EXPECT_EQ(SafeHostName("photo.jpg"), "photo.jpg");
    EXPECT_EQ(SafeHostName(".."), "_..");
    EXPECT_EQ(SafeHostName("."), "_.");
    EXPECT_EQ(SafeHostName(""), "_");
    EXPECT_EQ(SafeHostName("..."), "_...");
    EXPECT_EQ(SafeHostName("..\\..\\etc"), "..-..-etc");
    EXPECT_EQ(SafeHostName("a/b:c"), "a-b-c");
    EXPECT_EQ(SafeHostName(std::string("a\0b\nc", 5)), "a-b-c");
    EXPECT_EQ(SafeHostName(".hidden"), ".hidden");
}

} // namespace
