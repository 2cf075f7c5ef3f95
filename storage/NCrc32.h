// The standard CRC-32 (reflected polynomial 0xEDB88320) that seals binders.
#pragma once

#include <cstddef>
#include <cstdint>

class NCrc32 {
public:
    static constexpr uint32_t kPolynomial = 0xEDB88320;

    void Update(const void* data, size_t length);
    uint32_t Value() const { return ~fRegister; }

private:
    uint32_t fRegister = 0xFFFFFFFF;
};
