// Fuzz target: reading a rollback journal found beside an archive.
#include "storage/NBinderJournal.h"
#include "storage/NSegmentJournal.h"

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
    // A set's journal: undoing touches only files in the folder it is given, which does not
    // exist here, so every record is read and checked but nothing changes.
    if (NSegmentJournal::IsSetJournal(bytes))
        static_cast<void>(NSegmentJournal::Undo(bytes, "Z:\\lumora-fuzz-absent\\a.Qip"));
    return 0;
}
