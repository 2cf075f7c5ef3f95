// Every stream implementation through one typed suite: reading given bytes back, and writing
// bytes that read back the same, whatever the transfer sizes.
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFileException.h"
#include "storage/NStreamBuffer.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamExpand.h"
#include "storage/NStreamFile.h"
#include "storage/NStreamMem.h"
#include "tests/support/NTestPrefix.h"
#include "tests/support/NTestStreams.h"

#include <gtest/gtest.h>

namespace {

NFileSpec OnC(const std::string& name)
{
    return NFileSpec(NFDirSpec(NFDriveSpec()), name);
}

void WriteFile(const NFileSpec& spec, const std::vector<uint8_t>& bytes, int64_t segmentLimit = 0)
{
    spec.DeleteWithSegments();
    NStream out = spec.Open(NStreamMode::kWrite, false, segmentLimit);
    if (!bytes.empty())
        out.WriteFully(static_cast<int32_t>(bytes.size()), bytes.data());
    out.Close();
}

std::vector<uint8_t> ReadAll(NStream& in)
{
    std::vector<uint8_t> bytes;
    uint8_t block[777];
    for (;;) {
        try {
            int32_t count = in.Read(sizeof block, block);
            if (count <= 0)
                return bytes;
            bytes.insert(bytes.end(), block, block + count);
        } catch (const NFileException& error) {
            if (!error.IsEndOfData())
                throw;
            return bytes;
        }
    }
}

// --- readers: each makes a stream that reads the given bytes ---

struct FileReader {
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        WriteFile(OnC("r.bin"), bytes);
        return NStream(std::make_unique<NStreamFile>(OnC("r.bin"), NStreamMode::kRead));
    }
};

struct BufferReader {
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        WriteFile(OnC("r.bin"), bytes);
        return NStream(std::make_unique<NStreamBuffer>(std::make_unique<NStreamFile>(OnC("r.bin"), NStreamMode::kRead)));
    }
};

struct MemReader {
    std::vector<uint8_t> fBlock;
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        // A block of capacity 0 still needs an address: without one it is the counting form.
        fBlock = bytes;
        fBlock.push_back(0);
        return NStream(std::make_unique<NStreamMem>(fBlock.data(), static_cast<int64_t>(bytes.size()), NStreamMode::kRead));
    }
};

// An element in the middle of a binder, read by its name through the registry.
struct BinderElementReader {
    NBinder fBinder;
    ~BinderElementReader() { NBinderRegistry::The().Unregister(&fBinder); }
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        NFDirSpec mount(NFDriveSpec(), "Kinds:");
        WriteFile(OnC("before.bin"), std::vector<uint8_t>(100, 0xAA));
        WriteFile(OnC("element.bin"), bytes);
        {
            NBinder writer;
            EXPECT_TRUE(writer.Create(OnC("kinds.xpb"), mount, 2, 0));
            writer.Add(NFileSpec(mount, "before.bin"), OnC("before.bin"), 100);
            writer.Add(NFileSpec(mount, "Sub:element.bin"), OnC("element.bin"), static_cast<int64_t>(bytes.size()));
            writer.Add(NFileSpec(mount, "after.bin"), OnC("before.bin"), 100);
            EXPECT_TRUE(writer.Close());
        }
        EXPECT_GE(fBinder.Open(OnC("kinds.xpb"), mount, NBinderMode::kRead), 0);
        NBinderRegistry::The().Register(&fBinder);
        return NFileSpec(mount, "Sub:element.bin").Open(NStreamMode::kRead);
    }
};

// A set of 300-byte segments, opened through its first file.
struct SegmentedReader {
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        WriteFile(OnC("set.Qip"), bytes, 300);
        return OnC("set.Qip").Open(NStreamMode::kRead, false, 1);
    }
};

struct ExpandReader {
    NStream fPacked;
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        OnC("packed.bin").Delete();
        {
            NStream file = OnC("packed.bin").Open(NStreamMode::kWrite, true);
            NStream compress(std::make_unique<NStreamCompress>(file));
            if (!bytes.empty())
                compress.WriteFully(static_cast<int32_t>(bytes.size()), bytes.data());
            compress.Close();
            file.Close();
        }
        fPacked = OnC("packed.bin").Open(NStreamMode::kRead, true);
        return NStream(std::make_unique<NStreamExpand>(fPacked));
    }
};

// Passes every operation on to a stream held elsewhere.
class Forwarding : public NStreamImp {
public:
    explicit Forwarding(NStreamImp& inner) : fInner(inner) {}
    void Close() override {}
    void Flush() override { fInner.Flush(); }
    int32_t Read(int32_t length, void* buffer) override { return fInner.Read(length, buffer); }
    int32_t Write(int32_t length, const void* buffer) override { return fInner.Write(length, buffer); }
    int64_t Seek(int64_t position) override { return fInner.Seek(position); }
    int64_t SetLength(int64_t length) override { return fInner.SetLength(length); }
    int64_t GetPosition() override { return fInner.GetPosition(); }
    int64_t GetLength() override { return fInner.GetLength(); }
    std::string GetDisplayName() const override { return fInner.GetDisplayName(); }
    std::string GetHostPath() const override { return fInner.GetHostPath(); }
    bool IsReadMode() const override { return fInner.IsReadMode(); }
    bool IsWriteMode() const override { return fInner.IsWriteMode(); }
    bool IsUpdateMode() const override { return fInner.IsUpdateMode(); }
    void CheckOpen() const override { fInner.CheckOpen(); }

private:
    NStreamImp& fInner;
};

// One byte a call on top of another reader.
template <class Inner>
struct Trickle {
    Inner fInner;
    NStream fHeld;
    NStream Make(const std::vector<uint8_t>& bytes)
    {
        fHeld = fInner.Make(bytes);
        return NStream(std::make_unique<NTrickleStream>(std::make_unique<Forwarding>(*fHeld.Get())));
    }
};

std::vector<uint8_t> Pattern(size_t size)
{
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<uint8_t>((i * 131) ^ (i >> 7));
    return bytes;
}

template <class Kind>
class NStreamReaderTest : public ::testing::Test {
protected:
    NTestPrefix fPrefix;
    Kind fKind;
};

using ReaderKinds = ::testing::Types<FileReader, BufferReader, MemReader, BinderElementReader, SegmentedReader,
                                     ExpandReader, Trickle<MemReader>, Trickle<BinderElementReader>,
                                     Trickle<SegmentedReader>, Trickle<ExpandReader>>;
TYPED_TEST_SUITE(NStreamReaderTest, ReaderKinds);

TYPED_TEST(NStreamReaderTest, ReadsTheBytesBackWhateverTheTransferSizes)
{
    std::vector<uint8_t> bytes = Pattern(5000);
    NStream in = this->fKind.Make(bytes);
    std::vector<uint8_t> back(bytes.size());
    size_t at = 0;
    for (int32_t size : { 1, 2, 4, 1023, 1024, 1025, 3, 299, 301 }) {
        in.ReadFully(size, back.data() + at);
        at += static_cast<size_t>(size);
    }
    in.ReadFully(static_cast<int32_t>(bytes.size() - at), back.data() + at);
    EXPECT_EQ(back, bytes);
    uint8_t extra = 0;
    try {
        in.ReadFully(1, &extra);
        FAIL() << "read past the end";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileEndOfData);
    }
}

TYPED_TEST(NStreamReaderTest, TypedValuesAndLinesReadAsStored)
{
    std::vector<uint8_t> bytes = { 0x01, 0x02, 0x03, 0x04, 0xFF, 0xFE, 0x00, 0x03, 'a', 'b', 'c',
                                   'x', 'y', '\r', '\n', 'z', '\r', 'w' };
    NStream in = this->fKind.Make(bytes);
    EXPECT_EQ(in.ReadInt32(), 16909060);
    EXPECT_EQ(in.ReadInt16(), -2);
    EXPECT_EQ(in.ReadString(), "abc");
    char line[16];
    EXPECT_EQ(in.ReadLine(line, sizeof line), 2);
    EXPECT_STREQ(line, "xy");
    EXPECT_EQ(in.ReadByte(), 'z');
}

TYPED_TEST(NStreamReaderTest, EmptyStreamEndsAtOnce)
{
    NStream in = this->fKind.Make({});
    EXPECT_EQ(ReadAll(in).size(), 0u);
    EXPECT_THROW(in.ReadInt32(), NFileException);
}

// --- writers: each makes a stream, and reads back what reached its destination ---

struct FileWriter {
    NStream Make() { OnC("w.bin").Delete(); return NStream(std::make_unique<NStreamFile>(OnC("w.bin"), NStreamMode::kWrite)); }
    std::vector<uint8_t> Back() { NStream in = OnC("w.bin").Open(NStreamMode::kRead); return ReadAll(in); }
};

struct BufferWriter {
    NStream Make()
    {
        OnC("w.bin").Delete();
        return NStream(std::make_unique<NStreamBuffer>(std::make_unique<NStreamFile>(OnC("w.bin"), NStreamMode::kWrite)));
    }
    std::vector<uint8_t> Back() { NStream in = OnC("w.bin").Open(NStreamMode::kRead); return ReadAll(in); }
};

struct MemWriter {
    std::vector<uint8_t> fBlock = std::vector<uint8_t>(20000);
    NStream Make() { return NStream(std::make_unique<NStreamMem>(fBlock.data(), 20000, NStreamMode::kWrite)); }
    std::vector<uint8_t> Back() { return fBlock; }
};

struct SegmentedWriter {
    NStream Make() { OnC("w.Qip").DeleteWithSegments(); return OnC("w.Qip").Open(NStreamMode::kWrite, true, 300); }
    std::vector<uint8_t> Back() { NStream in = OnC("w.Qip").Open(NStreamMode::kRead, false, 1); return ReadAll(in); }
};

struct CompressWriter {
    NStream fFile;
    NStream Make()
    {
        OnC("w.lz").Delete();
        fFile = OnC("w.lz").Open(NStreamMode::kWrite, true);
        return NStream(std::make_unique<NStreamCompress>(fFile));
    }
    std::vector<uint8_t> Back()
    {
        fFile.Close();
        NStream packed = OnC("w.lz").Open(NStreamMode::kRead, true);
        NStream expand(std::make_unique<NStreamExpand>(packed));
        return ReadAll(expand);
    }
};

template <class Kind>
class NStreamWriterTest : public ::testing::Test {
protected:
    NTestPrefix fPrefix;
    Kind fKind;
};

using WriterKinds = ::testing::Types<FileWriter, BufferWriter, MemWriter, SegmentedWriter, CompressWriter>;
TYPED_TEST_SUITE(NStreamWriterTest, WriterKinds);

TYPED_TEST(NStreamWriterTest, WrittenBytesAndValuesReadBack)
{
    std::vector<uint8_t> bytes = Pattern(7000);
    {
        NStream out = this->fKind.Make();
        size_t at = 0;
        for (size_t turn = 0; at < bytes.size(); ++turn) {
            static constexpr int32_t kSizes[] = { 1, 2, 4, 1023, 3, 1024, 1025, 299, 7 };
            int32_t size = std::min<int32_t>(kSizes[turn % std::size(kSizes)], static_cast<int32_t>(bytes.size() - at));
            out.WriteFully(size, bytes.data() + at);
            at += static_cast<size_t>(size);
        }
        out.WriteInt32(16909060);
        out.WriteInt16(-2);
        out.WriteString("abc");
        EXPECT_EQ(out.WriteLine("xy"), 4);
        out.Close();
    }
    std::vector<uint8_t> expected = bytes;
    const std::string tail("\x01\x02\x03\x04\xFF\xFE\x00\x03" "abcxy\r\n", 15);
    expected.insert(expected.end(), tail.begin(), tail.end());
    std::vector<uint8_t> back = this->fKind.Back();
    if (back.size() > expected.size())
        back.resize(expected.size());   // a memory block keeps its capacity
    EXPECT_EQ(back, expected);
}

} // namespace
