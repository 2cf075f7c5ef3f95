// Fuzz target: reading palette files with and without the reserved colours, then searching them.
#include "imaging/NPalette.h"
#include "tests/support/NTestPrefix.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static NTestPrefix sPrefix;
    std::filesystem::path path = sPrefix.Root() / "fuzz.pal";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    NFileSpec spec;
    NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), spec);
    for (bool reserve : { false, true }) {
        NPalette palette;
        palette.LoadFile(spec, reserve);
        const NPaletteData& colors = *palette.Data();
        for (int probe = 0; probe < 256; probe += 17)
            colors.NearestIndex(probe, 255 - probe, (probe * 7) & 255);
        // Released here, so the next input is read afresh rather than from the cache.
    }
    return 0;
}
