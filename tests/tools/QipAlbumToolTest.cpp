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
    // Stored unchanged, so only their first bytes need to say JPEG.
    NTestPrefix::WriteFile(fPrefix.Root() / "a.jpg", "\xFF\xD8\xFF" + std::string(697, 'a'));
    NTestPrefix::WriteFile(fPrefix.Root() / "b.jpg", "\xFF\xD8\xFF" + std::string(897, 'b'));
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

TEST_F(QipAlbumToolTest, FailuresNameThePathTheStepAndTheReason)
{
    std::string output;
    EXPECT_EQ(Run("make --out " + At("y.Qip") + " --no-theme " + At("missing.jpg"), output), 1);
    EXPECT_EQ(output, "qipalbum: cannot read photo " + (fPrefix.Root() / "missing.jpg").string()
                          + ": No such file or directory\n");
    EXPECT_FALSE(fs::exists(fPrefix.Root() / "y.Qip"));
    output.clear();
    EXPECT_EQ(Run("make --out " + At("z.Qip") + " --theme " + At("none.LMx") + " " + At("missing.jpg"), output), 1);
    EXPECT_NE(output.find("cannot read theme " + (fPrefix.Root() / "none.LMx").string() + ": No such file or directory"),
              std::string::npos) << output;
    output.clear();
    NTestPrefix::WriteFile(fPrefix.Root() / "bad.LMx", "not an archive");
    NTestPrefix::WriteFile(fPrefix.Root() / "p.jpg", "\xFF\xD8\xFF");
    EXPECT_EQ(Run("make --out " + At("z.Qip") + " --theme " + At("bad.LMx") + " " + At("p.jpg"), output), 1);
    EXPECT_NE(output.find("cannot use theme " + (fPrefix.Root() / "bad.LMx").string() + ": not a theme archive"),
              std::string::npos) << output;
    output.clear();
    fs::create_directories(fPrefix.Root() / "folder.Qip");
    EXPECT_EQ(Run("make --out " + At("folder.Qip") + " --no-theme " + At("p.jpg"), output), 1);
    EXPECT_NE(output.find("folder.Qip: Is a directory"), std::string::npos) << output;
    output.clear();
    EXPECT_EQ(Run("make --out " + At("nofolder/z.Qip") + " --no-theme " + At("p.jpg"), output), 1);
    EXPECT_NE(output.find("cannot write " + (fPrefix.Root() / "nofolder/z.Qip").string() + ": No such file"),
              std::string::npos) << output;
    output.clear();
    NTestPrefix::WriteFile(fPrefix.Root() / "text.jpg", "plain text");
    EXPECT_EQ(Run("make --out " + At("z.Qip") + " --no-theme " + At("text.jpg"), output), 1);
    EXPECT_NE(output.find("text.jpg: not a JPEG file"), std::string::npos) << output;
    EXPECT_EQ(Run("make --out " + At("z.Qip") + " --no-theme --force " + At("text.jpg"), output), 0) << output;
    output.clear();
    for (const char* own : { "--string NUMP=x", "--int OPTI=1", "--string DATE=x", "--string OSpc=x", "--int TSpc=2" }) {
        EXPECT_EQ(Run("make --out " + At("w.Qip") + " --no-theme " + own + " " + At("p.jpg"), output), 2) << own;
        EXPECT_NE(output.find("written by the library itself"), std::string::npos) << output;
        output.clear();
    }
    EXPECT_EQ(Run("theme " + At("none.LMx"), output), 0);
    EXPECT_EQ(output, "name\t\nicon-bytes\t0\nfeature-bytes\t0\nid\t0\ntriple\t\n");
    output.clear();
    EXPECT_EQ(Run("info " + At("none.Qip"), output), 1);
    output.clear();
    EXPECT_EQ(Run("make --no-theme", output), 2);
}

TEST_F(QipAlbumToolTest, FailedMakeLeavesAnExistingAlbumAndRefusesAnInputAsOutput)
{
    NTestPrefix::WriteFile(fPrefix.Root() / "p.jpg", "\xFF\xD8\xFF" + std::string(100, 'p'));
    std::string output;
    ASSERT_EQ(Run("make --out " + At("good.Qip") + " --no-theme " + At("p.jpg"), output), 0) << output;
    std::string good = NTestPrefix::ReadFile(fPrefix.Root() / "good.Qip");
    EXPECT_EQ(Run("make --out " + At("good.Qip") + " --no-theme " + At("missing.jpg"), output), 1);
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "good.Qip"), good);

    output.clear();
    EXPECT_EQ(Run("make --out " + At("p.jpg") + " --no-theme " + At("p.jpg"), output), 2);
    EXPECT_NE(output.find("is also an input"), std::string::npos) << output;
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "p.jpg"), "\xFF\xD8\xFF" + std::string(100, 'p'));

    // A successful make replaces the album and leaves nothing else behind.
    ASSERT_EQ(Run("make --out " + At("good.Qip") + " --no-theme " + At("p.jpg") + " " + At("p.jpg"), output), 0);
    EXPECT_NE(NTestPrefix::ReadFile(fPrefix.Root() / "good.Qip"), good);
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(fPrefix.Root()))
        files += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(files, 2u) << "p.jpg and good.Qip only";
}

TEST_F(QipAlbumToolTest, HelpGoesToStandardOutput)
{
    for (const char* help : { "--help", "make --help", "info --help" }) {
        std::string output;
        EXPECT_EQ(NRunCommand("(" + std::string(LUMORA_QIPALBUM) + " " + help + " 2>/dev/null)", output), 0) << help;
        EXPECT_EQ(output.find("usage: qipalbum"), 0u) << help;
    }
}

// A width x height JPEG made by cjpeg from a gradient.
void WriteJpeg(const fs::path& path, int width, int height)
{
    std::string ppm = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            ppm += char(x * 255 / width);
            ppm += char(y * 255 / height);
            ppm += char((x + y) % 256);
        }
    }
    NTestPrefix::WriteFile(path.string() + ".ppm", ppm);
    std::string output;
    ASSERT_EQ(NRunCommand("cjpeg -outfile '" + path.string() + "' '" + path.string() + ".ppm'", output), 0) << output;
}

TEST_F(QipAlbumToolTest, PrepareSkipsBadPhotosByNameAndAddsTheRestInOrder)
{
    WriteJpeg(fPrefix.Root() / "big.jpg", 1600, 1200);
    WriteJpeg(fPrefix.Root() / "small.jpg", 320, 240);
    WriteJpeg(fPrefix.Root() / "tall.jpg", 500, 900);
    NTestPrefix::WriteFile(fPrefix.Root() / "bad.jpg", "not a photo at all");
    std::string output;
    ASSERT_EQ(Run("make --out " + At("p.Qip") + " --no-theme --prepare " + At("big.jpg") + " " + At("bad.jpg") + " "
                      + At("missing.jpg") + " " + At("small.jpg") + " " + At("tall.jpg"),
                  output),
              0)
        << output;
    EXPECT_NE(output.find("bad.jpg skipped: Not a JPEG file"), std::string::npos) << output;
    EXPECT_NE(output.find("missing.jpg skipped: the file does not exist"), std::string::npos) << output;
    // Standard error is no terminal here: no progress line.
    EXPECT_EQ(output.find("photo 1 of"), std::string::npos) << output;

    std::string info;
    ASSERT_EQ(Run("info " + At("p.Qip"), info), 0) << info;
    EXPECT_NE(info.find("NUMP\t3\n"), std::string::npos) << info;
    size_t big = info.find("big.jpg"), small = info.find("small.jpg"), tall = info.find("tall.jpg");
    ASSERT_NE(big, std::string::npos) << info;
    ASSERT_NE(small, std::string::npos) << info;
    ASSERT_NE(tall, std::string::npos) << info;
    EXPECT_LT(big, small);
    EXPECT_LT(small, tall);
    EXPECT_EQ(info.find("bad.jpg"), std::string::npos) << info;
    // Every photo was added from the one prepared file name, as the Maker adds it.
    EXPECT_NE(info.find("pswjpg.tmp"), std::string::npos) << info;
    EXPECT_EQ(info.find("pswjpg-next"), std::string::npos) << info;
}

} // namespace
