// The fixed-file-info record a component carries as data, so installers can compare versions.
#pragma once

#include <cstdint>

/// Thirteen little-endian words as NHostFileVersion reads them: signature, structure
/// version, file version high and low, product version high and low, then flags, system,
/// type, subtype and date, left zero. On this little-endian platform the words are
/// stored as they are.
struct NHostVersionRecord {
    static constexpr uint32_t kSignature = 0xFEEF04BD;
    static constexpr uint32_t kStructureVersion = 0x00010000;
    static constexpr int kWords = 13;
    uint32_t fWords[kWords];
};

constexpr NHostVersionRecord NHostMakeVersionRecord(uint16_t major, uint16_t minor, uint16_t build, uint16_t revision)
{
    uint32_t high = uint32_t(major) << 16 | minor;
    uint32_t low = uint32_t(build) << 16 | revision;
    return NHostVersionRecord { { NHostVersionRecord::kSignature, NHostVersionRecord::kStructureVersion, high, low, high,
                                  low, 0, 0, 0, 0, 0, 0, 0 } };
}

/// Puts a version record into the program or library being built, kept by the compiler
/// and the linker although nothing reads it: one use per component, in one source file.
#define LUMORA_VERSION_RECORD(major, minor, build, revision)                                                          \
    extern "C" [[gnu::used, gnu::visibility("default")]] const NHostVersionRecord lumoraVersionRecord =               \
        NHostMakeVersionRecord(major, minor, build, revision)
