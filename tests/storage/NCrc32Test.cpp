#include "storage/NCrc32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

// One bit at a time, straight from the definition: slow, and independent of both fast paths.
uint32_t BitwiseCrc(const uint8_t* bytes, size_t length)
{
    uint32_t crc = 0xFFFFFFFF;
    for (size_t i = 0; i < length; ++i) {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ NCrc32::kPolynomial : crc >> 1;
    }
    return ~crc;
}

std::vector<uint8_t> RandomBytes(size_t size, uint32_t seed)
{
    std::mt19937 random(seed);
    std::vector<uint8_t> bytes(size);
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(random());
    return bytes;
}

} // namespace

TEST(NCrc32Test, MatchesTheStandardCheckValue)
{
    NCrc32 crc;
    const char* check = "123456789";
    crc.Update(check, std::strlen(check));
    EXPECT_EQ(crc.Value(), 0xCBF43926u);
    EXPECT_EQ(NCrc32().Value(), 0u);
}

// Lengths around the 16- and 64-byte steps of the folding path and every alignment of the
// start, so each tail and each lane count is taken at least once.
TEST(NCrc32Test, EveryLengthAndAlignmentMatchesTheDefinition)
{
    std::vector<uint8_t> bytes = RandomBytes(4096 + 64, 1);
    for (size_t offset = 0; offset < 16; ++offset) {
        for (size_t length : { 0, 1, 15, 16, 17, 63, 64, 65, 79, 80, 127, 128, 129, 191, 192, 255, 256, 1000, 4096 }) {
            NCrc32 crc;
            crc.Update(bytes.data() + offset, length);
            EXPECT_EQ(crc.Value(), BitwiseCrc(bytes.data() + offset, length)) << "offset " << offset << " length " << length;
        }
    }
}

TEST(NCrc32Test, PiecesGiveTheSameAsTheWhole)
{
    std::vector<uint8_t> bytes = RandomBytes(1 << 20, 2);
    uint32_t whole = BitwiseCrc(bytes.data(), bytes.size());
    std::mt19937 random(3);
    NCrc32 crc;
    for (size_t at = 0; at < bytes.size();) {
        size_t piece = std::min<size_t>(bytes.size() - at, random() % 5000);
        crc.Update(bytes.data() + at, piece);
        at += piece;
    }
    EXPECT_EQ(crc.Value(), whole);

    // All zeros and all ones are where a wrong folding constant hides least.
    for (uint8_t fill : { uint8_t(0x00), uint8_t(0xFF) }) {
        std::vector<uint8_t> flat(100000, fill);
        NCrc32 flatCrc;
        flatCrc.Update(flat.data(), flat.size());
        EXPECT_EQ(flatCrc.Value(), BitwiseCrc(flat.data(), flat.size()));
    }
}
