// Fuzz target: reading a rollback journal found beside an archive.
#include "storage/NBinderJournal.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> bytes(data, data + size);
    int64_t length = 0;
    std::vector<NBinderJournal::Range> ranges;
    if (NBinderJournal::Parse(bytes, length, ranges)) {
        // What a journal accepted must fit in what it was made of.
        size_t saved = 0;
        for (const NBinderJournal::Range& range : ranges) {
            if (range.fOffset < 0)
                std::abort();
            saved += range.fBytes.size();
        }
        if (length < 0 || saved > size)
            std::abort();
    }
    return 0;
}
