// Bytes for tests that look random and repeat for the same seed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

/// `size` bytes from a linear congruential generator started at `seed`, its high byte each step:
/// they do not compress and are no file format's header, yet a test can make them again.
inline std::string NTestNoise(size_t size, uint32_t seed)
{
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = static_cast<char>(seed >> 24);
    }
    return bytes;
}
