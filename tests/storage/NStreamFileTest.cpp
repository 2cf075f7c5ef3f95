// The file stream over host files.
#include "storage/NStreamFile.h"

#include "storage/NFileException.h"
#include "storage/NStream.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class NStreamFileTest : public ::testing::Test {
protected:
    NStreamFileTest()
        : fSpec(NFDirSpec(NFDriveSpec(), "Work:"), "data.bin")
    {
        fs::create_directories(fPrefix.DriveC() / "Work");
    }

    fs::path FilePath() const { return fPrefix.DriveC() / "Work" / "data.bin"; }

    NTestPrefix fPrefix;
    NFileSpec fSpec;
};

TEST_F(NStreamFileTest, OpeningFailuresNameTheHostPath)
{
    try {
        NStreamFile stream(fSpec, NStreamMode::kRead);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileCannotOpen);
        EXPECT_EQ(error.Name(), "C:\\Work\\data.bin");
    }
    NTestPrefix::WriteFile(FilePath(), "abc");
    try {
        NStreamFile stream(fSpec, NStreamMode::kWrite);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileCannotCreate);
    }
    NFileSpec inMissingFolder(NFDirSpec(NFDriveSpec(), "Nowhere:"), "x.bin");
    EXPECT_THROW(NStreamFile(inMissingFolder, NStreamMode::kUpdate), NFileException);
}

TEST_F(NStreamFileTest, UpdateModeOpensOrCreates)
{
    {
        NStreamFile created(fSpec, NStreamMode::kUpdate);
        created.Write(3, "xyz");
    }
    EXPECT_EQ(NTestPrefix::ReadFile(FilePath()), "xyz");
    NStreamFile opened(fSpec, NStreamMode::kUpdate);
    EXPECT_EQ(opened.GetLength(), 3);
    char two[2];
    EXPECT_EQ(opened.Read(2, two), 2);
    EXPECT_EQ(opened.Read(0, two), 0);
    EXPECT_EQ(opened.Read(-5, two), 0);
}

TEST_F(NStreamFileTest, ReadAtTheEndAndWrongDirectionThrow)
{
    NTestPrefix::WriteFile(FilePath(), "a");
    NStreamFile reader(fSpec, NStreamMode::kRead);
    char byte;
    EXPECT_EQ(reader.Read(1, &byte), 1);
    try {
        reader.Read(1, &byte);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
        EXPECT_EQ(error.Name(), fSpec.DisplayName());
    }
    try {
        reader.Write(1, "b");
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileHostFailure);
    }
    EXPECT_EQ(NTestPrefix::ReadFile(FilePath()), "a");
}

TEST_F(NStreamFileTest, SetLengthTruncatesAndExtendsOnlyWhenWriting)
{
    NTestPrefix::WriteFile(FilePath(), "0123456789");
    {
        NStreamFile reader(fSpec, NStreamMode::kRead);
        EXPECT_EQ(reader.SetLength(2), 10);
    }
    EXPECT_EQ(fs::file_size(FilePath()), 10u);
    {
        NStreamFile updater(fSpec, NStreamMode::kUpdate);
        EXPECT_EQ(updater.SetLength(4), 4);
        EXPECT_EQ(updater.GetLength(), 4);
        EXPECT_EQ(updater.SetLength(6), 6);
    }
    EXPECT_EQ(NTestPrefix::ReadFile(FilePath()), std::string("0123\0\0", 6));
}

TEST_F(NStreamFileTest, ModificationTimeSetWhileWritingSurvivesTheClose)
{
    constexpr uint32_t kMoment = 946684800;   // 1 January 2000, UTC
    {
        NStream stream(std::make_unique<NStreamFile>(fSpec, NStreamMode::kWrite));
        stream.WriteInt32(1);
        stream.Get()->SetModTime(NDateTime::FromSeconds(kMoment));
        stream.WriteInt32(2);
    }
    EXPECT_EQ(fSpec.ModTime().fSeconds, kMoment);
    EXPECT_EQ(fs::file_size(FilePath()), 8u);
}

TEST_F(NStreamFileTest, ModesAndNamesDescribeTheFile)
{
    NStreamFile writer(fSpec, NStreamMode::kWrite);
    EXPECT_TRUE(writer.IsWriteMode());
    EXPECT_FALSE(writer.IsReadMode());
    EXPECT_FALSE(writer.IsUpdateMode());
    EXPECT_EQ(writer.GetHostPath(), "C:\\Work\\data.bin");
    EXPECT_EQ(writer.GetDisplayName(), "C:\\Work:data.bin");
    writer.Close();
    writer.Close();
    EXPECT_THROW(writer.GetLength(), NFileException);
}

} // namespace
