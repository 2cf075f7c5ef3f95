// The LZSS filters: exact bytes, round trips across the window and lookahead edges.
#include "storage/NStreamCompress.h"

#include "storage/NStreamExpand.h"
#include "tests/support/NTestStreams.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using Bytes = std::vector<uint8_t>;

NStream Memory(Bytes bytes = {}, NStreamMode mode = NStreamMode::kRead)
{
    return NStream(std::make_unique<NTestByteStream>(std::move(bytes), mode));
}

const Bytes& BytesOf(const NStream& stream)
{
    return static_cast<NTestByteStream*>(stream.Get())->Bytes();
}

Bytes Compress(const Bytes& input, bool byteByByte)
{
    NStream out = Memory({}, NStreamMode::kWrite);
    {
        NStream compress(std::make_unique<NStreamCompress>(out));
        if (byteByByte) {
            for (uint8_t byte : input)
                EXPECT_EQ(compress.Write(1, &byte), 1);
        } else if (!input.empty()) {
            EXPECT_EQ(compress.Write(static_cast<int32_t>(input.size()), input.data()),
                      static_cast<int32_t>(input.size()));
        }
        compress.Close();
    }
    return BytesOf(out);
}

Bytes Expand(const Bytes& compressed, int32_t chunk = 4096)
{
    NStream in = Memory(compressed);
    NStream expand(std::make_unique<NStreamExpand>(in));
    Bytes result;
    std::vector<uint8_t> block(static_cast<size_t>(chunk));
    for (;;) {
        int32_t count = expand.Read(chunk, block.data());
        if (count == 0)
            break;
        result.insert(result.end(), block.begin(), block.begin() + count);
    }
    return result;
}

// Text, runs, and noise mixed, so matches of every length and distance occur.
Bytes MixedInput(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    Bytes bytes;
    const std::string words[] = { "album ", "photo ", "theme ", "newborn ", "lumora ", "\r\n" };
    while (bytes.size() < size) {
        switch (random() % 4) {
        case 0: {
            const std::string& word = words[random() % 6];
            bytes.insert(bytes.end(), word.begin(), word.end());
            break;
        }
        case 1: bytes.insert(bytes.end(), random() % 80, static_cast<uint8_t>(random())); break;
        case 2:
            for (int i = random() % 40; i > 0; --i)
                bytes.push_back(static_cast<uint8_t>(random()));
            break;
        default:
            if (bytes.size() > 100) {
                size_t from = bytes.size() - 1 - random() % std::min<size_t>(bytes.size() - 1, 3000);
                for (int i = random() % 60; i > 0; --i)
                    bytes.push_back(bytes[from++]);
            }
        }
    }
    bytes.resize(size);
    return bytes;
}

TEST(NStreamCompressTest, SmallInputsGiveTheirExactBytes)
{
    EXPECT_EQ(Compress({}, false), (Bytes { 0x7F, 0, 0, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11 }));
    EXPECT_EQ(Compress({ 0x61 }, false), (Bytes { 0xBF, 0x61, 0, 0, 0x11, 0x11, 0x11, 0x11, 0x11, 0x11 }));
    EXPECT_EQ(Compress(Bytes(5, 0x61), false),
              (Bytes { 0x9F, 0x61, 0x00, 0x22, 0, 0, 0x11, 0x11, 0x11, 0x11, 0x11 }));
}

TEST(NStreamCompressTest, ARunIsOneLiteralThenOverlappingFullReferences)
{
    Bytes compressed = Compress(Bytes(1 + 33 * 5, 'z'), false);
    // A literal, then five references of length 33 each to the position just behind the
    // current one (1, 34, 67, 100, 133), the end marker and one padding literal.
    Bytes expected = { 0x81, 'z', 0x00, 0x3F, 0x04, 0x5F, 0x08, 0x7F, 0x0C, 0x9F, 0x10, 0xBF, 0, 0, 0x11 };
    EXPECT_EQ(compressed, expected);
    EXPECT_EQ(Expand(compressed), Bytes(1 + 33 * 5, 'z'));
}

TEST(NStreamCompressTest, RoundTripsAcrossWindowAndLookaheadEdges)
{
    for (size_t size : { 1, 2, 32, 33, 34, 2014, 2015, 2016, 2047, 2048, 2049, 4096, 4097, 70001 }) {
        Bytes input = MixedInput(size, static_cast<unsigned>(size));
        Bytes whole = Compress(input, false);
        EXPECT_EQ(Compress(input, true), whole) << size;
        EXPECT_EQ(Expand(whole), input) << size;
        EXPECT_EQ(Expand(whole, 1), input) << size;
        EXPECT_EQ(Expand(whole, 33), input) << size;
    }
}

TEST(NStreamCompressTest, IncompressibleAndConstantDataRoundTrip)
{
    std::mt19937 random(7);
    Bytes noise(50000);
    for (uint8_t& byte : noise)
        byte = static_cast<uint8_t>(random());
    Bytes compressed = Compress(noise, false);
    EXPECT_EQ(Expand(compressed), noise);
    EXPECT_LE(compressed.size(), noise.size() * 9 / 8 + 20);

    Bytes zeros(100000, 0);
    EXPECT_EQ(Expand(Compress(zeros, false)), zeros);
}

TEST(NStreamCompressTest, OutputIsStable)
{
    // Any change to the match search changes these bytes, and every reader of stored files
    // depends on them staying put.
    Bytes compressed = Compress(MixedInput(100000, 42), false);
    uint32_t crc = 0xFFFFFFFF;
    for (uint8_t byte : compressed) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    EXPECT_EQ(compressed.size(), 38379u);
    EXPECT_EQ(~crc, 2709921808u);
}

TEST(NStreamCompressTest, ExpanderLeavesTheStreamRightAfterThePadding)
{
    Bytes input = MixedInput(3000, 3);
    Bytes stream = Compress(input, false);
    size_t end = stream.size();
    stream.push_back('T');
    stream.push_back('R');
    NStream in = Memory(stream);
    {
        NStream expand(std::make_unique<NStreamExpand>(in));
        Bytes back(input.size() + 10);
        int32_t total = 0;
        while (int32_t count = expand.Read(100, back.data() + total))
            total += count;
        EXPECT_EQ(total, static_cast<int32_t>(input.size()));
        EXPECT_EQ(expand.Read(1, back.data()), 0);
        expand.Close();
        EXPECT_THROW(expand.Read(1, back.data()), NFileException);
    }
    EXPECT_EQ(in.GetPosition(), static_cast<int64_t>(end));
    EXPECT_EQ(in.ReadByte(), 'T');
}

TEST(NStreamCompressTest, TruncatedInputEndsReadsQuietly)
{
    Bytes input = MixedInput(5000, 9);
    Bytes compressed = Compress(input, false);
    compressed.resize(compressed.size() / 2);
    Bytes partial = Expand(compressed);
    ASSERT_LE(partial.size(), input.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), input.begin()));
    EXPECT_GT(partial.size(), 0u);
}

TEST(NStreamCompressTest, FiltersRefuseTheWrongDirectionAndSeeking)
{
    NStream out = Memory({}, NStreamMode::kWrite);
    NStreamCompress compress(out);
    uint8_t byte = 0;
    EXPECT_EQ(compress.Read(1, &byte), 0);
    EXPECT_THROW(compress.Seek(0), NFileException);
    EXPECT_EQ(compress.SetLength(12), 12);
    EXPECT_EQ(compress.GetDisplayName(), "memory");
    compress.Close();
    EXPECT_EQ(compress.GetDisplayName(), "<not open>");
    try {
        compress.Write(1, &byte);
        FAIL();
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileNotOpen);
        EXPECT_EQ(error.Name(), "<not open>");
    }
    NStream in = Memory({ 1, 2, 3 });
    NStreamExpand expand(in);
    EXPECT_EQ(expand.Write(1, &byte), 0);
    EXPECT_THROW(expand.Seek(0), NFileException);
}

} // namespace
