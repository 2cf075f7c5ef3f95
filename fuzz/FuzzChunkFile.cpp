// Fuzz target: tagged chunk files and theme profiles read from arbitrary bytes.
#include "builder/LMChunkReader.h"
#include "builder/LMChunkWriter.h"
#include "builder/LMThemeProject.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    // Chunks up to "fini": every body read or skipped, as the info and cache readers do.
    try {
        NStream in(std::make_unique<NStreamMem>(bytes.data(), static_cast<int64_t>(bytes.size()), NStreamMode::kRead));
        LMChunkReader reader(in);
        int32_t type = 0;
        uint32_t version = 0;
        reader.ReadHeader(type, version);
        for (int32_t tag = reader.NextChunk(); tag != kChunkFini; tag = reader.NextChunk()) {
            if (reader.Length() == 4 && (tag & 1) != 0)
                in.ReadInt32();
            else
                reader.Skip();
        }
    } catch (const NFileException&) {
        // Damage ends the read; it must never crash or read out of bounds.
    }
    // The same bytes as a theme profile.
    try {
        NStream profile(std::make_unique<NStreamMem>(bytes.data(), static_cast<int64_t>(bytes.size()), NStreamMode::kRead));
        LMThemeProject project;
        project.ReadProfile(profile);
    } catch (const NFileException&) {
    }
    return 0;
}
