// The stream contract over every stream kind, and the holder's typed data.
#include "storage/NStream.h"

#include "storage/NFileException.h"
#include "storage/NFileSpec.h"
#include "storage/NStreamBuffer.h"
#include "storage/NStreamFile.h"
#include "tests/support/NTestPrefix.h"
#include "tests/support/NTestStreams.h"

#include <gtest/gtest.h>

#include <numeric>

namespace {

// Each kind makes a stream on one file in a given mode.
struct FileKind {
    static std::unique_ptr<NStreamImp> Make(const NFileSpec& spec, NStreamMode mode)
    {
        return std::make_unique<NStreamFile>(spec, mode);
    }
};

struct BufferedKind {
    static std::unique_ptr<NStreamImp> Make(const NFileSpec& spec, NStreamMode mode)
    {
        return std::make_unique<NStreamBuffer>(std::make_unique<NStreamFile>(spec, mode));
    }
};

struct BufferedTrickleKind {
    static std::unique_ptr<NStreamImp> Make(const NFileSpec& spec, NStreamMode mode)
    {
        return std::make_unique<NStreamBuffer>(
            std::make_unique<NTrickleStream>(std::make_unique<NStreamFile>(spec, mode)));
    }
};

struct TrickleBufferedKind {
    static std::unique_ptr<NStreamImp> Make(const NFileSpec& spec, NStreamMode mode)
    {
        return std::make_unique<NTrickleStream>(
            std::make_unique<NStreamBuffer>(std::make_unique<NStreamFile>(spec, mode)));
    }
};

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 131) ^ (i >> 8));
    return bytes;
}

template <class Kind>
class NStreamContractTest : public ::testing::Test {
protected:
    NStreamContractTest()
        : fSpec(NFDirSpec(NFDriveSpec()), "contract.bin")
    {
    }

    NStream Open(NStreamMode mode) { return NStream(Kind::Make(fSpec, mode)); }

    // Writes the bytes in chunks of the given sizes, cycling through them.
    void WriteChunked(const std::vector<uint8_t>& bytes, std::initializer_list<int32_t> sizes, NStreamMode mode = NStreamMode::kWrite)
    {
        NStream stream = Open(mode);
        size_t at = 0;
        for (size_t turn = 0; at < bytes.size(); ++turn) {
            int32_t size = std::min<int32_t>(*(sizes.begin() + turn % sizes.size()), static_cast<int32_t>(bytes.size() - at));
            stream.WriteFully(size, bytes.data() + at);
            at += static_cast<size_t>(size);
            EXPECT_EQ(stream.GetPosition(), static_cast<int64_t>(at));
        }
        stream.Close();
    }

    NTestPrefix fPrefix;
    NFileSpec fSpec;
};

using StreamKinds = ::testing::Types<FileKind, BufferedKind, BufferedTrickleKind, TrickleBufferedKind>;
TYPED_TEST_SUITE(NStreamContractTest, StreamKinds);

TYPED_TEST(NStreamContractTest, BytesReadBackAsWrittenWhateverTheChunking)
{
    std::vector<uint8_t> bytes = Pattern(9000);
    this->WriteChunked(bytes, { 1, 2, 4, 1023, 3, 1024, 1025, 4000, 7 });
    NStream stream = this->Open(NStreamMode::kRead);
    EXPECT_EQ(stream.GetLength(), 9000);
    std::vector<uint8_t> back(bytes.size());
    size_t at = 0;
    for (int32_t size : { 4, 1, 2000, 2, 1023, 1024, 1 }) {
        stream.ReadFully(size, back.data() + at);
        at += static_cast<size_t>(size);
        EXPECT_EQ(stream.GetPosition(), static_cast<int64_t>(at));
    }
    stream.ReadFully(static_cast<int32_t>(bytes.size() - at), back.data() + at);
    EXPECT_EQ(back, bytes);
    uint8_t extra;
    try {
        stream.Read(1, &extra);
        FAIL() << "read past the end";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
    }
}

TYPED_TEST(NStreamContractTest, SeekRepositionsReadsAnywhere)
{
    std::vector<uint8_t> bytes = Pattern(5000);
    this->WriteChunked(bytes, { 5000 });
    NStream stream = this->Open(NStreamMode::kRead);
    for (int64_t target : { 4000, 10, 11, 1030, 0, 4999, 2500, 2501, 2400 }) {
        EXPECT_EQ(stream.Seek(target), target);
        EXPECT_EQ(stream.GetPosition(), target);
        EXPECT_EQ(stream.ReadByte(), bytes[static_cast<size_t>(target)]) << target;
    }
    // Read mode clamps a seek past the end to the length.
    EXPECT_EQ(stream.Seek(9999), 5000);
}

TYPED_TEST(NStreamContractTest, UpdateModeOverwritesInPlaceAndExtends)
{
    std::vector<uint8_t> bytes = Pattern(3000);
    this->WriteChunked(bytes, { 3000 });
    {
        NStream stream = this->Open(NStreamMode::kUpdate);
        stream.Seek(100);
        stream.WriteInt32(0x01020304);
        stream.Seek(2998);
        stream.WriteInt32(-1);
        EXPECT_EQ(stream.GetLength(), 3002);
        stream.Seek(100);
        EXPECT_EQ(stream.ReadInt32(), 0x01020304);
    }
    bytes[100] = 1, bytes[101] = 2, bytes[102] = 3, bytes[103] = 4;
    bytes[2998] = bytes[2999] = 0xFF;
    bytes.push_back(0xFF);
    bytes.push_back(0xFF);
    std::string file = NTestPrefix::ReadFile(this->fPrefix.DriveC() / "contract.bin");
    EXPECT_EQ(std::vector<uint8_t>(file.begin(), file.end()), bytes);
}

TYPED_TEST(NStreamContractTest, ClosedStreamReportsNotOpen)
{
    NStream stream = this->Open(NStreamMode::kWrite);
    stream.WriteInt16(7);
    stream.Close();
    try {
        stream.WriteInt16(8);
        FAIL() << "wrote to a closed stream";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileNotOpen);
        EXPECT_EQ(error.Name(), this->fSpec.DisplayName());
    }
    EXPECT_EQ(NTestPrefix::ReadFile(this->fPrefix.DriveC() / "contract.bin"), std::string("\0\7", 2));
}

TYPED_TEST(NStreamContractTest, DestroyingTheHolderPassesPendingDataOn)
{
    {
        NStream stream = this->Open(NStreamMode::kWrite);
        stream.WriteString("abc");
    }
    EXPECT_EQ(NTestPrefix::ReadFile(this->fPrefix.DriveC() / "contract.bin"), std::string("\0\3abc", 5));
}

// --- typed data, over memory ---

NStream Memory(std::vector<uint8_t> bytes = {}, NStreamMode mode = NStreamMode::kRead)
{
    return NStream(std::make_unique<NTestByteStream>(std::move(bytes), mode));
}

std::vector<uint8_t> BytesOf(const NStream& stream)
{
    return static_cast<NTestByteStream*>(stream.Get())->Bytes();
}

TEST(NStreamTypedTest, ValuesAreWrittenBigEndian)
{
    NStream out = Memory({}, NStreamMode::kWrite);
    out.WriteInt32(16909060);
    out.WriteString("abc");
    out.WriteInt16(-2);
    out.WriteByte(0x7F);
    out.WriteString("");
    EXPECT_EQ(out.WriteLine("hi"), 4);
    EXPECT_EQ(BytesOf(out), (std::vector<uint8_t> { 1, 2, 3, 4, 0, 3, 'a', 'b', 'c', 0xFF, 0xFE, 0x7F, 0, 0, 'h', 'i', 13, 10 }));

    NStream in = Memory(BytesOf(out));
    EXPECT_EQ(in.ReadInt32(), 16909060);
    EXPECT_EQ(in.ReadString(), "abc");
    EXPECT_EQ(in.ReadInt16(), -2);
    EXPECT_EQ(in.ReadByte(), 0x7F);
    EXPECT_EQ(in.ReadString(), "");
}

TEST(NStreamTypedTest, BadStringLengthsThrowTheirCodes)
{
    NStream negative = Memory({ 0xFF, 0xFF, 'a' });
    try {
        negative.ReadString();
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileHostFailure);
        EXPECT_EQ(error.Name(), "memory");
    }
    NStream shortBody = Memory({ 0, 5, 'a', 'b' });
    try {
        shortBody.ReadString();
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
    }
    NStream truncated = Memory({ 1, 2, 3 });
    EXPECT_THROW(truncated.ReadInt32(), NFileException);

    NStream out = Memory({}, NStreamMode::kWrite);
    EXPECT_THROW(out.WriteString(std::string(40000, 'x')), NFileException);
    EXPECT_TRUE(BytesOf(out).empty());
    std::string longest(NStream::kMaxStringLength, 'y');
    out.WriteString(longest);
    NStream in = Memory(BytesOf(out));
    EXPECT_EQ(in.ReadString(), longest);
}

TEST(NStreamTypedTest, LinesEndAtLfCrLfOrALoneCr)
{
    NStream in = Memory({ 'a', 'b', 13, 'c', 'd', 13, 10, 'e', 10, 10, 'f', 'g' });
    char line[16];
    EXPECT_EQ(in.ReadLine(line, sizeof line), 2);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(in.ReadLine(line, sizeof line), 2);
    EXPECT_STREQ(line, "cd");
    EXPECT_EQ(in.ReadLine(line, sizeof line), 1);
    EXPECT_STREQ(line, "e");
    EXPECT_EQ(in.ReadLine(line, sizeof line), 0);
    EXPECT_EQ(in.ReadLine(line, sizeof line), 2);
    EXPECT_STREQ(line, "fg");
    try {
        in.ReadLine(line, sizeof line);
        FAIL() << "read a line past the end";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
    }
}

TEST(NStreamTypedTest, LineCapacityBoundsWhatIsStored)
{
    NStream in = Memory({ 'a', 'b', 'c', 'd', 'e', 10, 13 });
    char line[3] = { 'x', 'x', 'x' };
    EXPECT_EQ(in.ReadLine(line, 3), 2);
    EXPECT_STREQ(line, "ab");
    EXPECT_EQ(in.ReadLine(line, 3), 2);
    EXPECT_STREQ(line, "cd");
    EXPECT_EQ(in.ReadLine(line, 3), 1);
    EXPECT_STREQ(line, "e");
    // A CR at the very end ends its (empty) line.
    EXPECT_EQ(in.ReadLine(line, 3), 0);
    EXPECT_EQ(in.ReadLine(line, 0), 0);
    EXPECT_EQ(in.ReadLine(nullptr, 10), 0);
}

TEST(NStreamTypedTest, EmptyHolderReportsUnknown)
{
    NStream empty;
    try {
        empty.ReadInt32();
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileNotOpen);
        EXPECT_EQ(error.Name(), "unknown");
    }
}

TEST(NStreamTypedTest, MovingAHolderTransfersOwnership)
{
    auto* raw = new NTestByteStream({ 1, 2, 3 });
    NStream first{ std::unique_ptr<NStreamImp>(raw) };
    NStream second = Memory({ 9 });
    second = std::move(first);
    EXPECT_EQ(second.Get(), raw);
    EXPECT_TRUE(second.IsOwned());
    EXPECT_FALSE(first);
    EXPECT_EQ(second.ReadByte(), 1);

    NStream borrowed = NStream::Borrow(raw);
    EXPECT_FALSE(borrowed.IsOwned());
    borrowed.Reset();
    EXPECT_EQ(second.ReadByte(), 2);
}

TEST(NStreamTypedTest, CopyMovesEverythingUntilTheEnd)
{
    std::vector<uint8_t> bytes = Pattern(300001);
    NStream source(std::make_unique<NTrickleStream>(std::make_unique<NTestByteStream>(bytes)));
    NStream target = Memory({}, NStreamMode::kWrite);
    NStream::Copy(source, target);
    EXPECT_EQ(BytesOf(target), bytes);

    NStream again = Memory(bytes);
    NStream small = Memory({}, NStreamMode::kWrite);
    char buffer[5];
    NStream::Copy(again, small, buffer, sizeof buffer);
    EXPECT_EQ(BytesOf(small), bytes);

    NStream closed = Memory(bytes);
    closed.Close();
    EXPECT_THROW(NStream::Copy(closed, small), NFileException);
}

} // namespace
