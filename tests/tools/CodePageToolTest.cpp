// German, French and Spanish names through the tools: UTF-8 on disk, Windows-1252 inside.
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class CodePageToolTest : public ::testing::Test {
protected:
    CodePageToolTest()
    {
        fs::path source = fPrefix.MakeFolder("src");
        NTestPrefix::WriteFile(source / "Fotos_\xC3\xA4" / "Strand_\xC3\xA9 \xE2\x82\xAC.jpg", kJpeg + "strand");
        NTestPrefix::WriteFile(source / "Gar\xC3\xA7on" / "No\xC3\xABl.jpg", kJpeg + "noel");
        NTestPrefix::WriteFile(source / "\xC3\x91" "and\xC3\xBA.jpg", kJpeg + "nandu");
        NTestPrefix::WriteFile(source / "tick \xE2\x9C\x93.jpg", kJpeg + "tick");
    }

    int Run(const char* tool, const std::string& arguments, std::string& output) const
    {
        output.clear();
        return NRunCommand(std::string(tool) + " " + arguments, output);
    }

    std::string At(const std::string& relative) const { return "'" + (fPrefix.Root() / relative).string() + "'"; }

    const std::string kJpeg = "\xFF\xD8\xFF";
    NTestPrefix fPrefix;
};

TEST_F(CodePageToolTest, ArchiveKeepsNamesInTheCodePageAndExtractsThemInUtf8)
{
    std::string output;
    ASSERT_EQ(Run(LUMORA_XPB, "create " + At("a.xpb") + " --app 2 --tag ABCD " + At("src"), output), 0) << output;
    EXPECT_NE(output.find("skipped " + (fPrefix.Root() / "src" / "tick \xE2\x9C\x93.jpg").string()
                          + ": its name has a character outside Windows-1252 (\"\xE2\x9C\x93\")"),
              std::string::npos) << output;
    // Stored as single bytes, folder names lower-cased in the code page: "fotos_ä" is 66 6F 74 6F 73 5F E4.
    std::string archive = NTestPrefix::ReadFile(fPrefix.Root() / "a.xpb");
    ASSERT_EQ(Run(LUMORA_XPB, "list " + At("a.xpb"), output), 0);
    EXPECT_NE(output.find("D\tfotos_\xC3\xA4:\n"), std::string::npos) << output;
    EXPECT_NE(output.find("\tfotos_\xC3\xA4:strand_\xC3\xA9 \xE2\x82\xAC.jpg\n"), std::string::npos) << output;
    EXPECT_NE(output.find("\tgar\xC3\xA7on:no\xC3\xABl.jpg\n"), std::string::npos) << output;
    EXPECT_NE(output.find("\t\xC3\xB1" "and\xC3\xBA.jpg\n"), std::string::npos) << output;
    EXPECT_EQ(output.find("tick"), std::string::npos);

    ASSERT_EQ(Run(LUMORA_XPB, "cat " + At("a.xpb") + " 'Fotos_\xC3\x84:Strand_\xC3\x89 \xE2\x82\xAC.jpg'", output), 0);
    EXPECT_EQ(output, kJpeg + "strand") << "looked up without regard to case, Ä for ä";

    ASSERT_EQ(Run(LUMORA_XPB, "extract " + At("a.xpb") + " " + At("out"), output), 0) << output;
    fs::path out = fPrefix.Root() / "out";
    EXPECT_EQ(NTestPrefix::ReadFile(out / "fotos_\xC3\xA4" / "strand_\xC3\xA9 \xE2\x82\xAC.jpg"), kJpeg + "strand");
    EXPECT_EQ(NTestPrefix::ReadFile(out / "gar\xC3\xA7on" / "no\xC3\xABl.jpg"), kJpeg + "noel");
    EXPECT_EQ(NTestPrefix::ReadFile(out / "\xC3\xB1" "and\xC3\xBA.jpg"), kJpeg + "nandu");

    EXPECT_EQ(Run(LUMORA_XPB, "create " + At("tick \xE2\x9C\x93.xpb") + " --app 2 --tag ABCD " + At("src"), output), 1);
    EXPECT_NE(output.find("the name \"tick \xE2\x9C\x93.xpb\" has a character outside Windows-1252 (\"\xE2\x9C\x93\")"),
              std::string::npos) << output;
}

TEST_F(CodePageToolTest, AlbumTextsAndNamesRoundTripThroughInfoAndExtract)
{
    std::string output;
    ASSERT_EQ(Run(LUMORA_QIPALBUM,
                  "make --out " + At("Reise_\xC3\xBC.Qip") + " --no-theme --caption 'Caf\xC3\xA9 Ol\xC3\xA9'"
                      " --string 'NAME=Se\xC3\xB1or M\xC3\xBCller' " + At("src/Fotos_\xC3\xA4/Strand_\xC3\xA9 \xE2\x82\xAC.jpg")
                      + " " + At("src/Gar\xC3\xA7on/No\xC3\xABl.jpg"),
                  output),
              0) << output;
    std::string album = NTestPrefix::ReadFile(fPrefix.Root() / "Reise_\xC3\xBC.Qip");
    ASSERT_EQ(Run(LUMORA_QIPALBUM, "info " + At("Reise_\xC3\xBC.Qip"), output), 0) << output;
    EXPECT_NE(output.find("NAME\tSe\xC3\xB1or M\xC3\xBCller\n"), std::string::npos) << output;
    EXPECT_NE(output.find("  CAPT\tCaf\xC3\xA9 Ol\xC3\xA9\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Strand_\xC3\xA9 \xE2\x82\xAC.jpg\n"), std::string::npos) << output;
    EXPECT_NE(output.find("Reise_\xC3\xBC.Qip\n"), std::string::npos) << "OSpc names the album" << output;
    EXPECT_EQ(output.find("\xC3\x83"), std::string::npos) << "no doubly encoded text" << output;

    ASSERT_EQ(Run(LUMORA_XPB, "extract " + At("Reise_\xC3\xBC.Qip") + " " + At("album"), output), 0) << output;
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "album" / "photo" / "0000.jpg"), kJpeg + "strand");
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "album" / "photo" / "0001.jpg"), kJpeg + "noel");
}

} // namespace
