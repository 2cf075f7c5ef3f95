// Segmented sets and memory streams.
#include "storage/NStreamSegmented.h"

#include "storage/NBinder.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

constexpr int64_t kSegmentSize = 128 + 1000;   // 1000 data bytes a segment

class NStreamSegmentedTest : public ::testing::Test {
protected:
    NStreamSegmentedTest()
        : fDir(NFDriveSpec(), "Out:")
    {
        fs::create_directories(fPrefix.DriveC() / "Out");
    }

    fs::path OnOut(const std::string& name) const { return fPrefix.DriveC() / "Out" / name; }

    void WriteSet(const std::string& name, const std::string& data)
    {
        NStream out = NFileSpec(fDir, name).Open(NStreamMode::kWrite, true, kSegmentSize);
        out.WriteFully(static_cast<int32_t>(data.size()), data.data());
        out.Close();
    }

    std::string ReadSet(const std::string& name) const
    {
        NStream in = NFileSpec(fDir, name).Open(NStreamMode::kRead, false, 1);
        std::string data(static_cast<size_t>(in.GetLength()), '\0');
        in.ReadFully(static_cast<int32_t>(data.size()), data.data());
        return data;
    }

    static std::string Pattern(size_t size)
    {
        std::string data(size, '\0');
        for (size_t i = 0; i < size; ++i)
            data[i] = static_cast<char>('a' + i % 23);
        return data;
    }

    NTestPrefix fPrefix;
    NFDirSpec fDir;
};

TEST_F(NStreamSegmentedTest, ExactlyOneSegmentFullStaysOneFile)
{
    WriteSet("Album.Qip", Pattern(1000));
    EXPECT_EQ(fs::file_size(OnOut("Album.Qip")), 1128u);
    EXPECT_FALSE(fs::exists(OnOut("Album2_1.Qip")));
    std::string head = NTestPrefix::ReadFile(OnOut("Album.Qip")).substr(0, 128);
    EXPECT_EQ(head.substr(0, 8), std::string("SgMt\0\0\0\x01", 8));
    EXPECT_EQ(head.substr(12, 16), std::string("\0\0\0\x01\0\0\0\0\0\0\x03\xE8\0\0\x03\xE8", 16));
    EXPECT_EQ(head.substr(28, 11), std::string("\0\x09" "Album.Qip", 11));
    EXPECT_EQ(head.substr(39), std::string(128 - 39, 'H'));
    EXPECT_EQ(ReadSet("Album.Qip"), Pattern(1000));
}

TEST_F(NStreamSegmentedTest, OneByteMoreMakesASecondSegmentNamedAfterItsCount)
{
    WriteSet("Album.Qip", Pattern(1001));
    EXPECT_EQ(fs::file_size(OnOut("Album.Qip")), 1128u);
    EXPECT_EQ(fs::file_size(OnOut("Album2_2.Qip")), 129u);
    EXPECT_EQ(ReadSet("Album.Qip"), Pattern(1001));

    WriteSet("Big.Qip", Pattern(2500));
    for (const char* name : { "Big.Qip", "Big2_3.Qip", "Big3_3.Qip" })
        EXPECT_TRUE(fs::exists(OnOut(name))) << name;
    std::string first = NTestPrefix::ReadFile(OnOut("Big2_3.Qip"));
    EXPECT_EQ(first.size(), 1128u);
    EXPECT_EQ(ReadSet("Big.Qip"), Pattern(2500));

    // Reading across a segment end in small pieces.
    NStream in = NFileSpec(fDir, "Big.Qip").Open(NStreamMode::kRead, true, 1);
    in.Seek(995);
    char piece[10];
    in.ReadFully(10, piece);
    EXPECT_EQ(std::string(piece, 10), Pattern(2500).substr(995, 10));
}

TEST_F(NStreamSegmentedTest, RenamedSegmentsAreFoundByTheirHeaders)
{
    WriteSet("Trip.Qip", Pattern(2100));
    fs::rename(OnOut("Trip2_3.Qip"), OnOut("renamed.qip"));
    fs::rename(OnOut("Trip3_3.Qip"), OnOut("other name.QIP"));
    EXPECT_EQ(ReadSet("Trip.Qip"), Pattern(2100));

    // A renamed segment whose creation time is off by exactly an hour still belongs.
    std::string bytes = NTestPrefix::ReadFile(OnOut("renamed.qip"));
    uint32_t creation = (uint32_t(uint8_t(bytes[8])) << 24) | (uint32_t(uint8_t(bytes[9])) << 16)
        | (uint32_t(uint8_t(bytes[10])) << 8) | uint8_t(bytes[11]);
    for (uint32_t shifted : { creation + 3600, creation + 3599 }) {
        std::string changed = bytes;
        changed[8] = char(shifted >> 24), changed[9] = char(shifted >> 16);
        changed[10] = char(shifted >> 8), changed[11] = char(shifted);
        NTestPrefix::WriteFile(OnOut("renamed.qip"), changed);
        NStream in = NFileSpec(fDir, "Trip.Qip").Open(NStreamMode::kRead, false, 1);
        std::string data(2100, '\0');
        if (shifted == creation + 3600) {
            in.ReadFully(2100, data.data());
            EXPECT_EQ(data, Pattern(2100));
        } else {
            in.Seek(1500);
            EXPECT_THROW(in.ReadFully(10, data.data()), NFileException);
        }
    }
}

TEST_F(NStreamSegmentedTest, DeleteWithSegmentsRemovesTheWholeSet)
{
    WriteSet("Gone.Qip", Pattern(2100));
    NTestPrefix::WriteFile(OnOut("Unrelated.Qip"), "keep me");
    EXPECT_TRUE(NFileSpec(fDir, "Gone.Qip").DeleteWithSegments());
    for (const char* name : { "Gone.Qip", "Gone2_3.Qip", "Gone3_3.Qip" })
        EXPECT_FALSE(fs::exists(OnOut(name))) << name;
    EXPECT_TRUE(fs::exists(OnOut("Unrelated.Qip")));
    EXPECT_TRUE(NFileSpec(fDir, "Unrelated.Qip").DeleteWithSegments());
}

TEST_F(NStreamSegmentedTest, BrokenOrAbsurdHeadersAreHandledSafely)
{
    std::string zeroCount("SgMt\0\0\0\x01\0\0\0\0\0\0\0\0", 16);
    NTestPrefix::WriteFile(OnOut("zero.Qip"), zeroCount + std::string(112, 'H'));
    try {
        NFileSpec(fDir, "zero.Qip").Open(NStreamMode::kRead, false, 1);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileElementWrite);
    }
    // Two billion segments for twelve bytes of data: taken for an ordinary file.
    std::string absurd("SgMt\0\0\0\x01\0\0\0\0\x7F\xFF\xFF\xFF\0\0\0\0\0\0\0\x01\0\0\0\x0C", 28);
    NTestPrefix::WriteFile(OnOut("absurd.Qip"), absurd);
    NStream in = NFileSpec(fDir, "absurd.Qip").Open(NStreamMode::kRead, false, 1);
    EXPECT_EQ(in.GetLength(), 28);
}

TEST_F(NStreamSegmentedTest, BinderWrittenAsASetReadsBack)
{
    NTestPrefix::WriteFile(fPrefix.DriveC() / "photo.jpg", Pattern(2600));
    NFDirSpec mount(NFDriveSpec(), "Album:");
    {
        NBinder binder;
        ASSERT_TRUE(binder.Create(NFileSpec(fDir, "Album.Qip"), mount, 2, kSegmentSize));
        binder.Add(NFileSpec(mount, "photo:0000.jpg"), NFileSpec(NFDirSpec(NFDriveSpec()), "photo.jpg"), 2600);
        EXPECT_TRUE(binder.Close());
    }
    EXPECT_TRUE(fs::exists(OnOut("Album3_3.Qip")));
    NBinder binder;
    ASSERT_EQ(binder.Open(NFileSpec(fDir, "Album.Qip"), mount, NBinderMode::kRead), 2);
    int64_t position = 0;
    int32_t size = 0;
    EXPECT_TRUE(binder.Lookup(NFileSpec(mount, "photo:0000.jpg"), position, size));
    EXPECT_EQ(size, 2600);
}

TEST(NStreamMemTest, BlockStreamsStopAtTheirCapacity)
{
    char block[4] = {};
    NStream out(std::make_unique<NStreamMem>(block, 4, NStreamMode::kWrite));
    EXPECT_EQ(out.Write(6, "abcdef"), 4);
    EXPECT_THROW(out.Write(1, "g"), NFileException);
    EXPECT_EQ(std::string(block, 4), "abcd");
    EXPECT_EQ(out.Seek(10), 4);
    EXPECT_EQ(out.GetDisplayName(), "memfile");

    NStream in(std::make_unique<NStreamMem>(block, 4, NStreamMode::kRead));
    char back[8];
    EXPECT_EQ(in.Read(8, back), 4);
    try {
        in.Read(1, back);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
        EXPECT_EQ(error.Name(), "memfile");
    }
    NStreamMem noBlock(nullptr, 0, NStreamMode::kRead);
    EXPECT_THROW(noBlock.CheckOpen(), NFileException);
}

TEST_F(NStreamSegmentedTest, CountingStreamMeasuresWhatAFileWouldHold)
{
    auto record = [](NStream& stream) {
        stream.WriteInt32(7);
        stream.WriteString("a record name");
        stream.WriteLine("and a line");
        stream.Seek(2);
        stream.WriteInt16(-1);
    };
    NStream counting(std::make_unique<NStreamMem>());
    record(counting);
    NFileSpec file(fDir, "record.bin");
    {
        NStream out = file.Open(NStreamMode::kWrite, true);
        record(out);
    }
    EXPECT_EQ(counting.GetLength(), static_cast<int64_t>(fs::file_size(OnOut("record.bin"))));
}

} // namespace
