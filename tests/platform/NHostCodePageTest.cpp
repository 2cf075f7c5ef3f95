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

TEST(NHostCodePageTest, Utf8BecomesTheCodePageOrNamesTheCharacterItLacks)
{
    std::string ansi;
    // Every byte of the code page comes back from its UTF-8 form.
    for (int byte = 1; byte < 256; ++byte) {
        std::string one(1, static_cast<char>(byte));
        ASSERT_TRUE(NHostCodePage::Utf8ToAnsi(NHostCodePage::AnsiToUtf8(one), ansi)) << byte;
        EXPECT_EQ(ansi, one) << byte;
    }
    EXPECT_TRUE(NHostCodePage::Utf8ToAnsi("Stra\xC3\x9F" "e \xE2\x82\xAC", ansi));
    EXPECT_EQ(ansi, "Stra\xDF" "e \x80");
    std::string bad;
    EXPECT_FALSE(NHostCodePage::Utf8ToAnsi("ok \xE2\x9C\x93 \xC4\x9F", ansi, &bad));
    EXPECT_EQ(bad, "\xE2\x9C\x93");
    EXPECT_FALSE(NHostCodePage::Utf8ToAnsi("\xC2\x80", ansi, &bad)) << "U+0080 has no byte: 0x80 is the euro sign";
    // Not UTF-8 at all (a Latin-1 name, an overlong form, a lone surrogate): byte for byte.
    for (std::string legacy : { std::string("caf\xE9"), std::string("\xC0\xAF"), std::string("\xED\xA0\x80") }) {
        EXPECT_FALSE(NHostCodePage::IsUtf8(legacy));
        EXPECT_TRUE(NHostCodePage::Utf8ToAnsi(legacy, ansi));
        EXPECT_EQ(ansi, legacy);
    }
}

}   // namespace
