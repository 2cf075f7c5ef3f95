// Tests of the Windows-1252 conversions and case folding.
#include "platform/NHostCodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(NHostCodePageTest, ConvertsEveryRangeOfTheCodePage)
{
    EXPECT_EQ(NHostCodePage::AnsiToUtf8("Plain 7-bit"), "Plain 7-bit");
    EXPECT_EQ(NHostCodePage::AnsiToUtf8("\x80"), "\xE2\x82\xAC");              // euro sign
    EXPECT_EQ(NHostCodePage::AnsiToUtf8("\x93quoted\x94"), "\xE2\x80\x9Cquoted\xE2\x80\x9D");
    EXPECT_EQ(NHostCodePage::AnsiToUtf8("\x81\x8D"), "\xC2\x81\xC2\x8D");      // undefined: C1 controls
    EXPECT_EQ(NHostCodePage::AnsiToUtf8("caf\xE9 \xA0\xFF"), "caf\xC3\xA9 \xC2\xA0\xC3\xBF");
    EXPECT_EQ(NHostCodePage::AnsiToUtf8(std::string("a\0b", 3)), std::string("a\0b", 3));
    EXPECT_EQ(NHostCodePage::AnsiToUtf16("\x80\xE9z"), (std::u16string {0x20AC, 0x00E9, u'z'}));
    EXPECT_EQ(NHostCodePage::AnsiToUtf16("\x9F"), std::u16string(1, 0x0178));
}

TEST(NHostCodePageTest, FoldsLettersOnlyToUpperCase)
{
    EXPECT_EQ(NHostCodePage::FoldUpper("Caf\xE9 \x9A\x9C\x9E\xFF"), "CAF\xC9 \x8A\x8C\x8E\x9F");
    // Sharp s, the division sign, digits and signs have no upper case here.
    EXPECT_EQ(NHostCodePage::FoldUpper("\xDF\xF7" "09_{}"), "\xDF\xF7" "09_{}");
    EXPECT_EQ(NHostCodePage::FoldUpper("\xC9\xD8"), "\xC9\xD8");
}

}   // namespace
