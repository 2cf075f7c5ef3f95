// Tests of the one-pass chunk file reader shared by the album tool and the player.
#include "storage/NChunkReader.h"

#include "storage/NFileException.h"
#include "tests/support/NTestStreams.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Chunks = std::vector<std::pair<std::string, std::string>>;

std::vector<uint8_t> Be32(int32_t value)
{
    auto v = static_cast<uint32_t>(value);
    return { uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v) };
}

// "INFO" version 1, then the chunks as given (a length of its own when set), then "fini"
// unless left off.
std::vector<uint8_t> File(const Chunks& chunks, bool fini = true, int32_t lastLength = -2)
{
    std::vector<uint8_t> bytes = { 'I', 'N', 'F', 'O', 0, 0, 0, 1 };
    for (size_t i = 0; i < chunks.size(); ++i) {
        bytes.insert(bytes.end(), chunks[i].first.begin(), chunks[i].first.end());
        int32_t length = i + 1 == chunks.size() && lastLength != -2 ? lastLength
                                                                     : static_cast<int32_t>(chunks[i].second.size());
        std::vector<uint8_t> field = Be32(length);
        bytes.insert(bytes.end(), field.begin(), field.end());
        bytes.insert(bytes.end(), chunks[i].second.begin(), chunks[i].second.end());
    }
    if (fini) {
        const char end[] = { 'f', 'i', 'n', 'i', 0, 0, 0, 0 };
        bytes.insert(bytes.end(), end, end + sizeof end);
    }
    return bytes;
}

bool Read(const std::vector<uint8_t>& bytes, Chunks& read)
{
    NStream in(std::make_unique<NTestByteStream>(bytes));
    return NChunkReader::ReadAll(in, [&read](const std::string& tag, std::string body) {
        read.emplace_back(tag, std::move(body));
    });
}

TEST(NChunkReaderTest, ChunksComeInFileOrderUpToFini)
{
    Chunks chunks = { { "NAME", std::string("\0\x04Lake", 6) }, { "NUMP", std::string("\0\0\0\x02", 4) },
                      { "EMPT", "" }, { "NAME", "again" } };
    std::vector<uint8_t> bytes = File(chunks);
    bytes.insert(bytes.end(), { 'X', 'X', 'X', 'X' });   // after "fini": never read
    Chunks read;
    EXPECT_TRUE(Read(bytes, read));
    EXPECT_EQ(read, chunks);
}

TEST(NChunkReaderTest, DamagedLengthsAreRefusedAndACutFileThrows)
{
    Chunks read;
    EXPECT_FALSE(Read(File({ { "GOOD", "ab" }, { "BAD!", "" } }, true, -1), read));
    EXPECT_EQ(read, (Chunks { { "GOOD", "ab" } }));
    read.clear();
    EXPECT_FALSE(Read(File({ { "LONG", "abc" } }, false, 4), read));
    EXPECT_TRUE(read.empty());
    read.clear();
    try {
        Read(File({ { "GOOD", "ab" } }, false), read);
        ADD_FAILURE() << "a file without fini was read to the end";
    } catch (const NFileException& error) {
        EXPECT_TRUE(error.IsEndOfData());
    }
}

}   // namespace
