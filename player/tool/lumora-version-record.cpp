// lumora-version-record: writes a version record as a file of its own, for data archives
// (.xpb) that carry their version as an element.
#include "platform/NHostVersionRecord.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: lumora-version-record OUT MAJOR MINOR BUILD REVISION\n");
        return 2;
    }
    auto part = [&](int i) { return static_cast<uint16_t>(std::strtoul(argv[i], nullptr, 10)); };
    NHostVersionRecord record = NHostMakeVersionRecord(part(2), part(3), part(4), part(5));
    std::FILE* out = std::fopen(argv[1], "wb");
    if (!out || std::fwrite(record.fWords, sizeof record.fWords, 1, out) != 1 || std::fclose(out) != 0) {
        std::fprintf(stderr, "lumora-version-record: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
