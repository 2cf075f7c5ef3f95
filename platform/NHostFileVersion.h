// The file version of a component, from the fixed-file-info record it carries.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

/// Major, minor, build, revision; all zero when a file carries no version.
using NHostVersion = std::array<uint16_t, 4>;

class NHostFileVersion {
public:
    /// The file version of the first fixed-file-info record in the file, found by its
    /// signature and structure version anywhere in the bytes, so host programs (in their
    /// version resource) and Linux components (as data) both carry one. All zero when the
    /// file has none or cannot be read.
    static NHostVersion Read(const std::string& hostPath);
    /// The same over bytes in memory.
    static NHostVersion Find(std::string_view bytes);
};
