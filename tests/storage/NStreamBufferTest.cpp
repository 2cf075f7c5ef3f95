// The buffering filter: what reaches the inner stream, and when.
#include "storage/NStreamBuffer.h"

#include "storage/NFileException.h"
#include "storage/NStream.h"
#include "tests/support/NTestStreams.h"

#include <gtest/gtest.h>

namespace {

// A memory stream that records the calls the buffer makes on it.
class RecordingStream : public NTestByteStream {
public:
    using NTestByteStream::NTestByteStream;

    int32_t Read(int32_t length, void* buffer) override
    {
        fReads.push_back(length);
        return NTestByteStream::Read(length, buffer);
    }
    int32_t Write(int32_t length, const void* buffer) override
    {
        if (fFailWrites)
            throw NFileException(kFileHostFailure, "disk full");
        fWrites.push_back(length);
        return NTestByteStream::Write(length, buffer);
    }
    int64_t Seek(int64_t position) override
    {
        ++fSeeks;
        return NTestByteStream::Seek(position);
    }

    std::vector<int32_t> fReads;
    std::vector<int32_t> fWrites;
    int fSeeks = 0;
    bool fFailWrites = false;
};

struct Buffered {
    explicit Buffered(std::vector<uint8_t> bytes, NStreamMode mode = NStreamMode::kRead)
    {
        auto inner = std::make_unique<RecordingStream>(std::move(bytes), mode);
        fInner = inner.get();
        fStream = NStream(std::make_unique<NStreamBuffer>(std::move(inner)));
    }
    RecordingStream* fInner;
    NStream fStream;
};

TEST(NStreamBufferTest, SmallReadsAreServedFromWholeBlocks)
{
    Buffered buffered(std::vector<uint8_t>(4096, 7));
    for (int i = 0; i < 512; ++i)
        buffered.fStream.ReadInt32();
    EXPECT_EQ(buffered.fInner->fReads, (std::vector<int32_t> { 1024, 1024 }));
    EXPECT_EQ(buffered.fStream.GetPosition(), 2048);

    // A large request goes straight to the inner stream.
    std::vector<uint8_t> block(2000);
    EXPECT_EQ(buffered.fStream.Read(2000, block.data()), 2000);
    EXPECT_EQ(buffered.fInner->fReads.back(), 2000);
}

TEST(NStreamBufferTest, ReadMeetingTheEndReturnsThePartialCount)
{
    Buffered buffered(std::vector<uint8_t>(10, 1));
    uint8_t block[100];
    EXPECT_EQ(buffered.fStream.Read(100, block), 10);
    try {
        buffered.fStream.Read(1, block);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
        EXPECT_EQ(error.Name(), "memory");
    }
}

TEST(NStreamBufferTest, WritesArePassedOnInBlocksOrDirectly)
{
    Buffered buffered({}, NStreamMode::kWrite);
    for (int i = 0; i < 2048; ++i)
        buffered.fStream.WriteByte(static_cast<uint8_t>(i));
    EXPECT_EQ(buffered.fInner->fWrites, (std::vector<int32_t> { 1024, 1024 }));

    buffered.fStream.WriteInt16(1);
    EXPECT_EQ(buffered.fStream.GetPosition(), 2050);
    std::vector<uint8_t> block(3000, 9);
    buffered.fStream.Write(3000, block.data());
    // The buffer fills to 1024, is passed on, and the rest bypasses it.
    EXPECT_EQ(buffered.fInner->fWrites, (std::vector<int32_t> { 1024, 1024, 1024, 1978 }));
    EXPECT_EQ(buffered.fStream.GetPosition(), 5050);
    EXPECT_EQ(buffered.fStream.GetLength(), 5050);
}

TEST(NStreamBufferTest, ForwardSeekWithinTheBufferSkipsWithoutTheInnerStream)
{
    std::vector<uint8_t> bytes(3000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i);
    Buffered buffered(bytes);
    buffered.fStream.ReadByte();
    EXPECT_EQ(buffered.fStream.Seek(500), 500);
    EXPECT_EQ(buffered.fInner->fSeeks, 0);
    EXPECT_EQ(buffered.fStream.ReadByte(), bytes[500]);
    EXPECT_EQ(buffered.fStream.Seek(100), 100);
    EXPECT_EQ(buffered.fInner->fSeeks, 1);
    EXPECT_EQ(buffered.fStream.ReadByte(), bytes[100]);
    // Asking the length keeps the reader where it was.
    EXPECT_EQ(buffered.fStream.GetLength(), 3000);
    EXPECT_EQ(buffered.fStream.ReadByte(), bytes[101]);
}

TEST(NStreamBufferTest, FailedPassOnDropsPendingBytesAndClosesTheInnerStream)
{
    Buffered buffered({}, NStreamMode::kWrite);
    buffered.fStream.WriteInt32(5);
    buffered.fInner->fFailWrites = true;
    try {
        buffered.fStream.Flush();
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileHostFailure);
    }
    try {
        buffered.fStream.WriteInt32(6);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileNotOpen);
    }
    EXPECT_TRUE(buffered.fInner->Bytes().empty());
}

TEST(NStreamBufferTest, UpdateModePassesEverythingThrough)
{
    Buffered buffered(std::vector<uint8_t>(8, 0), NStreamMode::kUpdate);
    buffered.fStream.WriteByte(1);
    EXPECT_EQ(buffered.fInner->fWrites, (std::vector<int32_t> { 1 }));
    EXPECT_EQ(buffered.fInner->Bytes()[0], 1);
    buffered.fStream.ReadInt16();
    EXPECT_EQ(buffered.fInner->fReads, (std::vector<int32_t> { 2 }));
    EXPECT_EQ(buffered.fStream.GetPosition(), 3);
}

TEST(NStreamBufferTest, NamesComeFromTheInnerStream)
{
    NStreamBuffer none(nullptr);
    EXPECT_EQ(none.GetDisplayName(), "unopened");
    EXPECT_THROW(none.CheckOpen(), NFileException);
    Buffered buffered({ 1 });
    EXPECT_EQ(buffered.fStream.GetDisplayName(), "memory");
    EXPECT_TRUE(buffered.fStream.Get()->IsReadMode());
}

} // namespace
