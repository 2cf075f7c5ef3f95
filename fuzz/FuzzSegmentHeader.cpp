// Fuzz target: segment headers from arbitrary bytes.
#include "storage/NStream.h"
#include "storage/NStreamSegmented.h"
#include "tests/support/NTestStreams.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NStream in(std::make_unique<NTestByteStream>(data, size));
    std::optional<NSegmentHeader> header = NSegmentHeader::Read(in);
    if (in.GetPosition() != 0)
        __builtin_trap();
    if (!header)
        return 0;
    if (header->fName.size() > static_cast<size_t>(NSegmentHeader::kSize))
        __builtin_trap();
    if (header->DescribesSet() && (header->fCount <= 0 || header->fCount > NStreamSegmented::kMaxSegments))
        __builtin_trap();
    // What is read can be written back and reads the same.
    NStream out(std::make_unique<NTestByteStream>(std::vector<uint8_t>(), NStreamMode::kUpdate));
    header->Write(out);
    std::optional<NSegmentHeader> again = NSegmentHeader::Read(out);
    if (!again || again->fCount != header->fCount || again->fIndex != header->fIndex
        || again->fCreation != header->fCreation || again->fName != header->fName.substr(0, again->fName.size()))
        __builtin_trap();
    return 0;
}
