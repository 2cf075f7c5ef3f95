// CRC-32 over tables made at compile time, eight bytes a step.
#include "storage/NCrc32.h"

#include <array>

static constexpr int kTableSize = 256;
// Slicing by eight: table k gives the CRC of a byte followed by k zero bytes, so eight
// input bytes fold into the register with eight independent lookups.
static constexpr int kSlices = 8;

using NCrcTables = std::array<std::array<uint32_t, kTableSize>, kSlices>;

static constexpr NCrcTables MakeTables()
{
    NCrcTables tables {};
    for (uint32_t index = 0; index < kTableSize; ++index) {
        uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ NCrc32::kPolynomial : value >> 1;
        tables[0][index] = value;
    }
    for (uint32_t index = 0; index < kTableSize; ++index) {
        for (int slice = 1; slice < kSlices; ++slice) {
            uint32_t previous = tables[slice - 1][index];
            tables[slice][index] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

static constexpr NCrcTables kTables = MakeTables();

void NCrc32::Update(const void* data, size_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t crc = fRegister;
    size_t i = 0;
    for (; i + kSlices <= length; i += kSlices) {
        uint32_t low = crc ^ (uint32_t(bytes[i]) | (uint32_t(bytes[i + 1]) << 8) | (uint32_t(bytes[i + 2]) << 16)
                              | (uint32_t(bytes[i + 3]) << 24));
        uint32_t high = uint32_t(bytes[i + 4]) | (uint32_t(bytes[i + 5]) << 8) | (uint32_t(bytes[i + 6]) << 16)
                        | (uint32_t(bytes[i + 7]) << 24);
        crc = kTables[7][low & 0xFF] ^ kTables[6][(low >> 8) & 0xFF] ^ kTables[5][(low >> 16) & 0xFF]
              ^ kTables[4][low >> 24] ^ kTables[3][high & 0xFF] ^ kTables[2][(high >> 8) & 0xFF]
              ^ kTables[1][(high >> 16) & 0xFF] ^ kTables[0][high >> 24];
    }
    for (; i < length; ++i)
        crc = kTables[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    fRegister = crc;
}
