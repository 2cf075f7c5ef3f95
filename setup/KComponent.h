// Component containers: the wrapping of every file the setup installs, and installing one.
#pragma once

#include "platform/NHostFileVersion.h"
#include "storage/NFileSpec.h"

#include <cstdint>
#include <functional>
#include <string>

/// The container's 24-byte head, then the file data (integers big-endian):
///
///   0  magic       "CMP!"
///   4  version     2
///   8  compressed  non-zero: the data is in the framework's compression format
///  12  time stamp  seconds since 1970 UTC, the installed file's modification time
///  16  version     four 16-bit numbers: major, minor, build, revision; all zero = none
///  24  data
struct KComponentHeader {
    static constexpr int32_t kMagic = 0x434D5021;   // "CMP!"
    static constexpr int32_t kVersion = 2;
    static constexpr int32_t kSize = 24;

    int32_t fMagic = kMagic;
    int32_t fVersion = kVersion;
    int32_t fCompressed = 0;
    int32_t fTime = 0;
    NHostVersion fFileVersion {};

    /// Reads the head; throws NFileException when the stream ends early.
    void Read(NStream& stream);
    void Write(NStream& stream) const;
};

/// True when a component of version `offered` replaces an installed one of `installed`:
/// not when both are all zero, not when the offered one is lower at the first number that
/// differs (numbers compared as signed 16-bit values); otherwise, equal versions included, yes.
bool ComponentIsNotOlder(const NHostVersion& offered, const NHostVersion& installed);

/// Installs one component: the target is skipped (false) when it exists, force is off and
/// the container's version is older than the installed file's. Otherwise the data is
/// written to a new file beside the target, given the container's time stamp and renamed
/// over the target only when complete, so a failed copy leaves the old file whole; returns
/// true. Throws NInstallFailed 1000 for a bad container, 1001 when the target cannot be
/// written; file exceptions reading the source pass through.
bool InstallComponent(const NFileSpec& source, const NFileSpec& target, bool force);

/// The name of the file written beside a target before it replaces it.
std::string ComponentScratchName(const std::string& targetName);
