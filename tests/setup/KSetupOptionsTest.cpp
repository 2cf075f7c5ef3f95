// The setup's command line.
#include "setup/KSetupOptions.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

namespace {

TEST(KSetupOptionsTest, AlbumOptionIsMatchedOnlyAsAWholeOption)
{
    NTestPrefix prefix;
    KSetupOptions options = KSetupOptions::Parse("-silent -lang fra");
    EXPECT_TRUE(options.fSilent);
    EXPECT_EQ(options.fLanguage, "fra");
    EXPECT_EQ(options.fAlbum, "");   // "-lang" must not be read as "-l" with the album "ang"

    options = KSetupOptions::Parse("-lang deu -l \"C:\\My Albums\\Baby.Qip\" -log /tmp/x.log");
    EXPECT_FALSE(options.fSilent);
    EXPECT_EQ(options.fLanguage, "deu");
    EXPECT_EQ(options.fAlbum, "C:\\My Albums\\Baby.Qip");
    EXPECT_EQ(options.fLogPath, "/tmp/x.log");

    EXPECT_EQ(KSetupOptions::Parse("-log a.txt").fAlbum, "");
    EXPECT_EQ(KSetupOptions::Parse("-l a.qip").fLogPath, "");
    EXPECT_EQ(KSetupOptions::Parse("-l").fAlbum, "");
}

TEST(KSetupOptionsTest, InstallFolderIsQuotedOrUpToABlankAndOnlyWhenSilent)
{
    NTestPrefix prefix;
    KSetupOptions options = KSetupOptions::Parse("-silent -to   \"C:\\My Apps\" -lang fra");
    ASSERT_TRUE(options.fHasFolder);
    EXPECT_EQ(options.fFolder.HostPath(), "C:\\My Apps\\");

    options = KSetupOptions::Parse("-to C:\\Tools -silent");
    ASSERT_TRUE(options.fHasFolder);
    EXPECT_EQ(options.fFolder.HostPath(), "C:\\Tools\\");

    options = KSetupOptions::Parse("-to C:\\Tools");
    EXPECT_FALSE(options.fHasFolder);
    EXPECT_FALSE(options.fFolderRefused);

    options = KSetupOptions::Parse("-silent -to \"\"");
    EXPECT_FALSE(options.fHasFolder);
    EXPECT_TRUE(options.fFolderRefused);
}

} // namespace
