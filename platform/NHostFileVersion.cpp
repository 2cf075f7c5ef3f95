// Search for the fixed-file-info record in a file and reading of its file version.
//
// The record, little-endian 32-bit words (13 in all, 52 bytes):
//
//   offset  field
//   0       signature          0xFEEF04BD
//   4       structure version  0x00010000
//   8       file version high  major << 16 | minor
//   12      file version low   build << 16 | revision
//   16..51  product version, flags, system, type, subtype, date (not read)
#include "platform/NHostFileVersion.h"

#include "platform/NHostFile.h"

#include <vector>

static constexpr uint32_t kSignature = 0xFEEF04BD;
static constexpr uint32_t kStructureVersion = 0x00010000;
static constexpr size_t kStructureVersionOffset = 4;
static constexpr size_t kVersionHighOffset = 8;
static constexpr size_t kVersionLowOffset = 12;
static constexpr size_t kBytesRead = 16;   // of the record, up to the end of the file version
static constexpr size_t kChunkSize = 65536;
static constexpr unsigned kByteBits = 8;
static constexpr unsigned kHalfBits = 16;
static constexpr uint32_t kHalfMask = 0xFFFF;

static uint32_t LittleEndian32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t byte = 0; byte < sizeof value; ++byte)
        value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + byte])) << (kByteBits * byte);
    return value;
}

// The offset of the first complete record head, or npos.
static size_t FindRecord(std::string_view bytes)
{
    for (size_t at = 0; at + kBytesRead <= bytes.size(); ++at) {
        if (LittleEndian32(bytes, at) == kSignature &&
            LittleEndian32(bytes, at + kStructureVersionOffset) == kStructureVersion)
            return at;
    }
    return std::string_view::npos;
}

static NHostVersion VersionAt(std::string_view bytes, size_t at)
{
    uint32_t high = LittleEndian32(bytes, at + kVersionHighOffset);
    uint32_t low = LittleEndian32(bytes, at + kVersionLowOffset);
    return NHostVersion {static_cast<uint16_t>(high >> kHalfBits), static_cast<uint16_t>(high & kHalfMask),
                         static_cast<uint16_t>(low >> kHalfBits), static_cast<uint16_t>(low & kHalfMask)};
}

NHostVersion NHostFileVersion::Find(std::string_view bytes)
{
    size_t at = FindRecord(bytes);
    return at == std::string_view::npos ? NHostVersion {} : VersionAt(bytes, at);
}

NHostVersion NHostFileVersion::Read(const std::string& hostPath)
{
    NHostFile file;
    if (!file.Open(hostPath, kHostOpenExisting))
        return NHostVersion {};
    // Each chunk is searched after the last bytes of the one before, so a record that
    // straddles two chunks is found.
    std::string window;
    std::vector<char> chunk(kChunkSize);
    while (true) {
        int64_t count = file.Read(chunk.data(), static_cast<int64_t>(chunk.size()));
        if (count <= 0)
            return NHostVersion {};
        window.append(chunk.data(), static_cast<size_t>(count));
        size_t at = FindRecord(window);
        if (at != std::string_view::npos)
            return VersionAt(window, at);
        if (window.size() >= kBytesRead)
            window.erase(0, window.size() - (kBytesRead - 1));
    }
}
