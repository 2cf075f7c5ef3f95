// Tests of mapping the Linux locale variables onto locale identifiers.
#include "platform/NHostLocale.h"

#include "tests/support/NTestEnvironment.h"

#include <gtest/gtest.h>

namespace {

TEST(NHostLocaleTest, LanguageAndRegionGivePrimaryAndSubLanguage)
{
    EXPECT_EQ(NHostLocale::LocaleIdOf("de_CH.UTF-8"), 0x0807u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("de_DE"), 0x0407u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("zh_TW.Big5"), 0x0404u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("zh_CN.UTF-8"), 0x0804u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("pl_PL@euro"), 0x0415u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("FR_ca"), 0x0C0Cu);
    // Unknown languages and the portable locale read as English (US).
    EXPECT_EQ(NHostLocale::LocaleIdOf("C"), 0x0409u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("POSIX"), 0x0409u);
    EXPECT_EQ(NHostLocale::LocaleIdOf("xx_YY"), 0x0409u);
    EXPECT_EQ(NHostLocale::LocaleIdOf(""), 0x0409u);
}

TEST(NHostLocaleTest, FirstSetVariableOfAllMessagesAndLangDecides)
{
    NTestEnvironment env;
    env.Set("LC_ALL", "");
    env.Set("LC_MESSAGES", "ja_JP.UTF-8");
    env.Set("LANG", "de_DE.UTF-8");
    EXPECT_EQ(NHostLocale::UserDefaultLocaleId() & kLocalePrimaryMask, 17u);
    env.Set("LC_ALL", "sv_SE");
    EXPECT_EQ(NHostLocale::UserDefaultLocaleId() & kLocalePrimaryMask, 29u);
    env.Unset("LC_ALL");
    env.Unset("LC_MESSAGES");
    EXPECT_EQ(NHostLocale::UserDefaultLocaleId() & kLocalePrimaryMask, 7u);
    env.Unset("LANG");
    EXPECT_EQ(NHostLocale::UserDefaultLocaleId(), 0x0409u);
}

} // namespace
