// File questions answered the way the Maker reads files: loose on disk or inside its archive.
#pragma once

#include "storage/NFileSpec.h"

#include <cstdint>

class KMakerFiles {
public:
    /// The file can be read: it lies on disk, or an open archive holds it as an element
    /// (the samples, the help text and the setup live in the Maker's archive).
    static bool Exists(const NFileSpec& file);
    /// The earlier of a loose file's modification and creation times; for an archive
    /// element, which has no time of its own, the present moment.
    static uint32_t PhotoDate(const NFileSpec& file);
    /// Lets a program file copied out of an archive or off a disc be started: on this host
    /// only files marked so can run. False when the mark could not be set.
    static bool MarkRunnable(const NFileSpec& program);
};
