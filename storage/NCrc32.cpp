// CRC-32 over a table made at compile time.
#include "storage/NCrc32.h"

#include <array>

static constexpr int kTableSize = 256;

static constexpr std::array<uint32_t, kTableSize> MakeTable()
{
    std::array<uint32_t, kTableSize> table {};
    for (uint32_t index = 0; index < kTableSize; ++index) {
        uint32_t value = index;
        for (int bit = 0; bit < 8; ++bit)
            value = (value & 1) ? (value >> 1) ^ NCrc32::kPolynomial : value >> 1;
        table[index] = value;
    }
    return table;
}

static constexpr std::array<uint32_t, kTableSize> kTable = MakeTable();

void NCrc32::Update(const void* data, size_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    uint32_t crc = fRegister;
    for (size_t i = 0; i < length; ++i)
        crc = kTable[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
    fRegister = crc;
}
