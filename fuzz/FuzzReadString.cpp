// Fuzz target: length-prefixed strings and integers read from arbitrary bytes.
#include "storage/NFileException.h"
#include "storage/NStream.h"
#include "storage/NStreamBuffer.h"
#include "tests/support/NTestStreams.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte chooses the layering; each later byte of the plan picks a read.
    std::unique_ptr<NStreamImp> stream = std::make_unique<NTestByteStream>(data + 1, size - 1);
    if (data[0] & 1)
        stream = std::make_unique<NTrickleStream>(std::move(stream));
    if (data[0] & 2)
        stream = std::make_unique<NStreamBuffer>(std::move(stream));
    NStream in(std::move(stream));
    try {
        for (unsigned turn = 0;; ++turn) {
            switch ((data[0] >> 2) + turn) {
            case 0: in.ReadInt32(); break;
            case 1: in.ReadInt16(); break;
            default: {
                int64_t before = in.GetPosition();
                std::string text = in.ReadString();
                if (in.GetPosition() != before + 2 + static_cast<int64_t>(text.size()))
                    __builtin_trap();
                break;
            }
            }
        }
    } catch (const NFileException& error) {
        if (error.Code() != kFileEndOfData && error.Code() != kFileHostFailure)
            __builtin_trap();
    }
    return 0;
}
