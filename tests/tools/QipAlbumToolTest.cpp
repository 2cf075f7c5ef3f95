// Tests of the qipalbum tool: making an album through the library and reading it back.
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

class QipAlbumToolTest : public ::testing::Test {
protected:
    int Run(const std::string& arguments, std::string& output) const
    {
        return NRunCommand(std::string(LUMORA_QIPALBUM) + " " + arguments, output);
    }

    std::string At(const std::string& relative) const { return "'" + (fPrefix.Root() / relative).string() + "'"; }

    NTestPrefix fPrefix;
};

TEST_F(QipAlbumToolTest, MakeThenInfoShowsAlbumAndPhotoChunks)
{
    NTestPrefix::WriteFile(fPrefix.Root() / "a.jpg", std::string(700, 'a'));
    NTestPrefix::WriteFile(fPrefix.Root() / "b.jpg", std::string(900, 'b'));
    NTestPrefix::WriteFile(fPrefix.Root() / "disc.dat", "disc");
    fs::last_write_time(fPrefix.Root() / "a.jpg",
                        fs::file_time_type::clock::now() - std::chrono::hours(24 * 365 * 3));
    std::string output;
    ASSERT_EQ(Run("make --out " + At("x.Qip") + " --no-theme --options 7 --segment 1000 --string NAME=Trip --int KIND=-2"
                      " --file Disc.dat=" + At("disc.dat") + " --caption 'Sea//Sand//' " + At("a.jpg") + " " + At("b.jpg"),
                  output),
              0)
        << output;
    EXPECT_EQ(output.substr(0, 6), "x.Qip\n");
    EXPECT_NE(output.find("x2_"), std::string::npos) << output;

    std::string info;
    ASSERT_EQ(Run("info " + At("x.Qip"), info), 0) << info;
    EXPECT_EQ(info.find("NAME\tTrip\nKIND\t-2\nNUMP\t2\nOPTI\t7\nDATE\t20"), 0u) << info;
    EXPECT_NE(info.find("\nTSpc\t\nphoto:0000.nfo\n  FNAM\t"), std::string::npos) << info;
    EXPECT_NE(info.find("  JPEG\t0001.jpg\n  AUXI\tSand\n  CAPT\tSea\n"), std::string::npos) << info;

    std::string json;
    ASSERT_EQ(Run("info --json " + At("x.Qip"), json), 0) << json;
    EXPECT_EQ(json.find("{\"album\": [{\"tag\": \"NAME\", \"value\": \"Trip\"}, {\"tag\": \"KIND\", \"value\": -2}"), 0u)
        << json;
    EXPECT_NE(json.find("\"photos\": [{\"element\": \"photo:0000.nfo\""), std::string::npos) << json;
}

TEST_F(QipAlbumToolTest, FailingCallsAreNamedWithTheirResult)
{
    std::string output;
    EXPECT_EQ(Run("make --out " + At("y.Qip") + " --no-theme " + At("missing.jpg"), output), 1);
    EXPECT_NE(output.find("QLA_AddPhoto failed with result 0"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(Run("make --out " + At("z.Qip") + " --theme " + At("none.LMx") + " " + At("missing.jpg"), output), 1);
    EXPECT_NE(output.find("QLA_CreateAlbum failed with result -2"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(Run("theme " + At("none.LMx"), output), 0);
    EXPECT_EQ(output, "name\t\nicon-bytes\t0\nfeature-bytes\t0\nid\t0\ntriple\t\n");
    output.clear();
    EXPECT_EQ(Run("info " + At("none.Qip"), output), 1);
    output.clear();
    EXPECT_EQ(Run("make --no-theme", output), 2);
}

} // namespace
