// Iterators over drives, sub-folders and files.
#include "storage/NFIterator.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::string> WalkDrives(int filter, int startMode = kDriveStartAtC)
{
    std::vector<std::string> roots;
    for (NFDriveIterator drives(filter, startMode); !drives.Done(); drives.Next())
        roots.push_back(drives.Value().Root());
    return roots;
}

// Mounted media of the machine would show up as further letters; keep the walk to the
// drives the test maps by giving them the first free letters and looking only at those.
std::vector<std::string> Only(std::vector<std::string> roots, std::initializer_list<const char*> keep)
{
    std::vector<std::string> kept;
    for (const std::string& root : roots) {
        if (std::find(keep.begin(), keep.end(), root) != keep.end())
            kept.push_back(root);
    }
    return kept;
}

class NFDriveIteratorTest : public ::testing::Test {
protected:
    NFDriveIteratorTest()
        : fPrefix("D=%ROOT%/disc:cdrom;E=%ROOT%/stick:removable;F=%ROOT%/empty:removable;"
                  "G=%ROOT%/net:remote;A=%ROOT%/floppy:removable")
    {
        fPrefix.MakeFolder("disc");
        fPrefix.MakeFolder("stick");
        fPrefix.MakeFolder("net");
        fPrefix.MakeFolder("floppy");
        fs::create_directories(fPrefix.DriveC());
    }

    NTestPrefix fPrefix;
};

TEST_F(NFDriveIteratorTest, DefaultWalkYieldsReadyDrivesFromCThenA)
{
    std::vector<std::string> roots = WalkDrives(0);
    ASSERT_FALSE(roots.empty());
    EXPECT_EQ(roots.front(), "C:\\");
    EXPECT_EQ(roots.back(), "A:\\");
    // F: has no media and is skipped without complaint.
    EXPECT_EQ(Only(roots, { "C:\\", "D:\\", "E:\\", "F:\\", "G:\\", "Z:\\", "A:\\" }),
              (std::vector<std::string> { "C:\\", "D:\\", "E:\\", "G:\\", "Z:\\", "A:\\" }));
}

TEST_F(NFDriveIteratorTest, FiltersSkipFloppiesNetworkAndRemovableDrives)
{
    std::initializer_list<const char*> mapped = { "C:\\", "D:\\", "E:\\", "G:\\", "Z:\\", "A:\\" };
    EXPECT_EQ(Only(WalkDrives(kDriveSkipAB), mapped),
              (std::vector<std::string> { "C:\\", "D:\\", "E:\\", "G:\\", "Z:\\" }));
    EXPECT_EQ(Only(WalkDrives(kDriveSkipNetwork), mapped),
              (std::vector<std::string> { "C:\\", "D:\\", "E:\\", "Z:\\", "A:\\" }));
    EXPECT_EQ(Only(WalkDrives(kDriveSkipRemovable), mapped),
              (std::vector<std::string> { "C:\\", "G:\\", "Z:\\" }));
}

TEST_F(NFDriveIteratorTest, AlternativeStartVisitsOnlyAAndB)
{
    EXPECT_EQ(WalkDrives(0, kDriveStartAfterZ), (std::vector<std::string> { "A:\\" }));
    EXPECT_TRUE(WalkDrives(kDriveSkipAB, kDriveStartAfterZ).empty());
    EXPECT_TRUE(WalkDrives(kDriveSkipRemovable, kDriveStartAfterZ).empty());

    NFDriveIterator done(kDriveSkipAB, kDriveStartAfterZ);
    done.Next();
    EXPECT_TRUE(done.Done());
}

class NFDirIteratorTest : public ::testing::Test {
protected:
    NFDirIteratorTest()
    {
        fs::path photos = fPrefix.DriveC() / "Photos";
        fs::create_directories(photos / "Beach");
        fs::create_directories(photos / "Snow");
        NTestPrefix::WriteFile(photos / "a.jpg", "1");
        NTestPrefix::WriteFile(photos / "B.JPG", "2");
        NTestPrefix::WriteFile(photos / "notes.txt", "3");
        NTestPrefix::WriteFile(photos / "README", "4");
        fPhotos = NFDirSpec(NFDriveSpec(), "Photos:");
    }

    std::vector<std::string> FileNames(const std::string& pattern) const
    {
        std::vector<std::string> names;
        for (NFileIterator files({ fPhotos, pattern }); !files.Done(); files.Next()) {
            EXPECT_EQ(files.Value().Dir(), fPhotos);
            names.push_back(files.Value().Name());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    NTestPrefix fPrefix;
    NFDirSpec fPhotos;
};

TEST_F(NFDirIteratorTest, DirectoryIteratorYieldsOnlySubFolders)
{
    std::vector<std::string> paths;
    for (NFDirIterator dirs({ fPhotos }); !dirs.Done(); dirs.Next())
        paths.push_back(dirs.Value().Path());
    std::sort(paths.begin(), paths.end());
    EXPECT_EQ(paths, (std::vector<std::string> { "Photos:Beach:", "Photos:Snow:" }));
}

TEST_F(NFDirIteratorTest, FileIteratorMatchesWildcardsWithoutCase)
{
    EXPECT_EQ(FileNames("*.*"), (std::vector<std::string> { "B.JPG", "README", "a.jpg", "notes.txt" }));
    EXPECT_EQ(FileNames("*.jpg"), (std::vector<std::string> { "B.JPG", "a.jpg" }));
    EXPECT_TRUE(FileNames("*.png").empty());

    NFileIterator none({ NFDirSpec(NFDriveSpec(), "Missing:") });
    EXPECT_TRUE(none.Done());
    none.Next();
    EXPECT_TRUE(none.Done());
}

TEST_F(NFDirIteratorTest, MovingAnIteratorMovesItsSearch)
{
    NFileIterator first({ fPhotos, "*.jpg" });
    ASSERT_FALSE(first.Done());
    std::string seen = first.Value().Name();
    NFileIterator second(std::move(first));
    ASSERT_FALSE(second.Done());
    EXPECT_EQ(second.Value().Name(), seen);
    second.Next();
    ASSERT_FALSE(second.Done());
    EXPECT_NE(second.Value().Name(), seen);
    second.Next();
    EXPECT_TRUE(second.Done());
}

} // namespace
