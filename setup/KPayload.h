// The payload appended to the setup's own program file: its seal and its mount.
#pragma once

#include "storage/NFileSpec.h"

class KPayload {
public:
    /// The folder the payload is mounted at, below the program's folder.
    static constexpr char kAssetsFolder[] = "Binder:Assets:";
    static constexpr char kInstallFolder[] = "Install:";

    /// True only when the file ends with a binder whose stored checksum is set and equals
    /// the checksum of its contents. A truncated, damaged or unsealed payload is false.
    static bool IsSealed(const NFileSpec& program);
    /// The same over a program file already open for reading.
    static bool IsSealed(NStream& file);
};
