// Test helper: a shared library with entry points to find and a version record to read.
#include <cstdint>

extern "C" {

// Major 3, minor 1, build 2024, revision 7, kept as data the way components carry it.
__attribute__((used)) const uint32_t gLumoraTestVersionRecord[13] = {
    0xFEEF04BD, 0x00010000, (3u << 16) | 1u, (2024u << 16) | 7u, (3u << 16) | 1u, 0, 0x3F, 0, 0x40004, 2, 0, 0, 0,
};

__attribute__((visibility("default"))) int LumoraTestTwice(int value)
{
    return 2 * value;
}

static int sRegistrations = 0;

__attribute__((visibility("default"))) int DllRegisterServer()
{
    ++sRegistrations;
    return 0;
}

__attribute__((visibility("default"))) int LumoraTestRegistrations()
{
    return sRegistrations;
}
}
