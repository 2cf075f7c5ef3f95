// CRC-32 over tables made at compile time, eight bytes a step; on processors with a
// carry-less multiply, long runs are folded sixteen bytes at a time instead, which is what
// keeps sealing a 1 GB album from costing more than writing it.
#include "storage/NCrc32.h"

#include <array>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define LUMORA_CRC_FOLDING 1
#endif

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

static uint32_t UpdateByTables(uint32_t crc, const uint8_t* bytes, size_t length)
{
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
    return crc;
}

#ifdef LUMORA_CRC_FOLDING

// Folding with carry-less multiplication (Gopal, Ozturk et al., "Fast CRC computation for
// generic polynomials using PCLMULQDQ", 2009): four 128-bit lanes are folded forward 64
// bytes at a time, then into one lane, then reduced to 32 bits with Barrett's method. The
// constants are powers of x modulo the polynomial, in the bit-reflected domain.
static constexpr size_t kFoldBlock = 64;
static constexpr size_t kFoldLane = 16;

alignas(16) static constexpr uint64_t kFold4[2] = { 0x0154442bd4, 0x01c6e41596 };   // x^(4*128+32), x^(4*128-32)
alignas(16) static constexpr uint64_t kFold1[2] = { 0x01751997d0, 0x00ccaa009e };   // x^(128+32), x^(128-32)
alignas(16) static constexpr uint64_t kFold64[2] = { 0x0163cd6124, 0 };             // x^64
alignas(16) static constexpr uint64_t kBarrett[2] = { 0x01db710641, 0x01f7011641 }; // P(x), floor(x^64 / P(x))

#define LUMORA_CRC_TARGET __attribute__((target("pclmul,sse4.1")))

LUMORA_CRC_TARGET static inline __m128i Load(const uint8_t* at)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// Moves a lane forward by the distance the constants stand for and adds the lane found there.
LUMORA_CRC_TARGET static inline __m128i Fold(__m128i lane, __m128i constants, __m128i next)
{
    __m128i low = _mm_clmulepi64_si128(lane, constants, 0x00);
    __m128i high = _mm_clmulepi64_si128(lane, constants, 0x11);
    return _mm_xor_si128(_mm_xor_si128(high, low), next);
}

// Needs at least kFoldBlock bytes and a multiple of kFoldLane.
LUMORA_CRC_TARGET static uint32_t UpdateByFolding(uint32_t crc, const uint8_t* bytes, size_t length)
{

    __m128i x1 = _mm_xor_si128(Load(bytes), _mm_cvtsi32_si128(static_cast<int>(crc)));
    __m128i x2 = Load(bytes + 16);
    __m128i x3 = Load(bytes + 32);
    __m128i x4 = Load(bytes + 48);
    bytes += kFoldBlock;
    length -= kFoldBlock;

    __m128i constants = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold4));
    for (; length >= kFoldBlock; bytes += kFoldBlock, length -= kFoldBlock) {
        x1 = Fold(x1, constants, Load(bytes));
        x2 = Fold(x2, constants, Load(bytes + 16));
        x3 = Fold(x3, constants, Load(bytes + 32));
        x4 = Fold(x4, constants, Load(bytes + 48));
    }

    constants = _mm_load_si128(reinterpret_cast<const __m128i*>(kFold1));
    x1 = Fold(x1, constants, x2);
    x1 = Fold(x1, constants, x3);
    x1 = Fold(x1, constants, x4);
    for (; length >= kFoldLane; bytes += kFoldLane, length -= kFoldLane)
        x1 = Fold(x1, constants, Load(bytes));

    // 128 bits to 64.
    __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x2 = _mm_clmulepi64_si128(x1, constants, 0x10);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2);
    constants = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kFold64));
    x2 = _mm_srli_si128(x1, 4);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask32), constants, 0x00), x2);

    // Barrett reduction to 32 bits.
    constants = _mm_load_si128(reinterpret_cast<const __m128i*>(kBarrett));
    x2 = _mm_and_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, mask32), constants, 0x10), mask32);
    x2 = _mm_clmulepi64_si128(x2, constants, 0x00);
    x1 = _mm_xor_si128(x1, x2);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

static bool CanFold()
{
    static const bool sCanFold = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return sCanFold;
}

#endif

void NCrc32::Update(const void* data, size_t length)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
#ifdef LUMORA_CRC_FOLDING
    if (length >= kFoldBlock && CanFold()) {
        size_t folded = length & ~(kFoldLane - 1);
        fRegister = UpdateByFolding(fRegister, bytes, folded);
        bytes += folded;
        length -= folded;
    }
#endif
    fRegister = UpdateByTables(fRegister, bytes, length);
}
