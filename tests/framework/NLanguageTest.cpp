// Tests of the language decision: the language file first, the user's locale otherwise.
#include "framework/NLanguage.h"

#include "tests/support/NTestEnvironment.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

namespace {

class NLanguageTest : public ::testing::Test {
protected:
    NLanguageTest()
    {
        fEnv.Unset("LC_ALL");
        fEnv.Unset("LC_MESSAGES");
        fEnv.Set("LANG", "pl_PL.UTF-8");
    }

    // The file specification of "Lang.txt" in the test's folder, written with the given bytes.
    NFileSpec LangFile(const char* bytes = nullptr)
    {
        std::filesystem::path path = fPrefix.Root() / "app" / "Data" / "Lang.txt";
        if (bytes != nullptr)
            NTestPrefix::WriteFile(path, bytes);
        NFileSpec spec;
        EXPECT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), spec));
        return spec;
    }

    NTestPrefix fPrefix;
    NTestEnvironment fEnv;
};

TEST_F(NLanguageTest, LanguageFileCodeIsLoweredAndSetsTheFlag)
{
    NLanguage::Choice choice = NLanguage::Decide(LangFile("FRA,1\r\nignored\r\n"));
    EXPECT_EQ(choice.fCode, "fra");
    EXPECT_TRUE(choice.fFromFile);

    // The pattern takes up to three non-blank characters, a comma included.
    choice = NLanguage::Decide(LangFile("de,2\n"));
    EXPECT_EQ(choice.fCode, "de,");
    EXPECT_TRUE(choice.fFromFile);

    choice = NLanguage::Decide(LangFile("\nfra,1\n"));
    EXPECT_EQ(choice.fCode, "");
    EXPECT_TRUE(choice.fFromFile);
}

TEST_F(NLanguageTest, MissingOrEmptyFileLeavesTheLocaleToDecide)
{
    NLanguage::Choice choice = NLanguage::Decide(LangFile());
    EXPECT_EQ(choice.fCode, "eng");
    EXPECT_FALSE(choice.fFromFile);

    fEnv.Set("LANG", "de_CH.UTF-8");
    choice = NLanguage::Decide(LangFile(""));
    EXPECT_EQ(choice.fCode, "deu");
    EXPECT_FALSE(choice.fFromFile);

    fEnv.Set("LC_MESSAGES", "zh_TW");
    EXPECT_EQ(NLanguage::Decide(LangFile()).fCode, "cht");
    fEnv.Set("LC_ALL", "zh_CN.UTF-8");
    EXPECT_EQ(NLanguage::Decide(LangFile()).fCode, "chs");
}

TEST_F(NLanguageTest, LocaleTableAndHelpFolderNames)
{
    struct {
        uint32_t fLocale;
        const char* fCode;
        const char* fName;
    } const cases[] = {
        {0x0407, "deu", "German"}, {0x0807, "deu", "German"}, {0x040A, "esp", "Spanish"},
        {0x040C, "fra", "French"}, {0x0410, "ita", "Italian"}, {0x0411, "jpn", "Japanese"},
        {0x0412, "kor", "kor"},    {0x0413, "nld", "Dutch"},   {0x0416, "ptb", "ptb"},
        {0x041D, "sve", "Swedish"}, {0x0404, "cht", "cht"},    {0x0804, "chs", "chs"},
        {0x0C04, "cht", "cht"},    {0x0415, "eng", "English"}, {0x0409, "eng", "English"},
    };
    for (const auto& c : cases) {
        std::string code = NLanguage::CodeForLocale(c.fLocale);
        EXPECT_EQ(code, c.fCode) << std::hex << c.fLocale;
        EXPECT_EQ(NLanguage::NameForCode(code), c.fName) << code;
    }
    EXPECT_EQ(NLanguage::NameForCode("DEU"), "German");
}

TEST_F(NLanguageTest, TheProcessDecisionIsMadeOnceAndKept)
{
    NLanguage& language = NLanguage::The();
    fEnv.Set("LANG", "it_IT.UTF-8");
    std::string first = language.CurrentLanguage();
    fEnv.Set("LANG", "fr_FR.UTF-8");
    EXPECT_EQ(language.CurrentLanguage(), first);
}

} // namespace
