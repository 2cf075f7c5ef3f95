// Fuzz target: text lines read from arbitrary bytes, through a buffer and one byte a call.
#include "storage/NFileException.h"
#include "storage/NStream.h"
#include "storage/NStreamBuffer.h"
#include "tests/support/NTestStreams.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    // The first byte picks the line capacity and how the bytes arrive.
    int32_t capacity = data[0] & 0x3F;
    bool trickle = (data[0] & 0x40) != 0;
    bool buffered = (data[0] & 0x80) != 0;
    std::unique_ptr<NStreamImp> stream = std::make_unique<NTestByteStream>(data + 1, size - 1);
    if (trickle)
        stream = std::make_unique<NTrickleStream>(std::move(stream));
    if (buffered)
        stream = std::make_unique<NStreamBuffer>(std::move(stream));
    NStream in(std::move(stream));

    // A guard byte after the buffer shows any write past the capacity.
    std::vector<char> line(static_cast<size_t>(capacity) + 1, '\x5A');
    try {
        for (;;) {
            int64_t before = in.GetPosition();
            int32_t length = in.ReadLine(capacity ? line.data() : nullptr, capacity);
            if (length < 0 || (capacity > 0 && length > capacity - 1) || line[static_cast<size_t>(capacity)] != '\x5A')
                __builtin_trap();
            // Lines may hold NUL bytes of their own; the terminator must follow the text.
            if (capacity > 0 && line[static_cast<size_t>(length)] != '\0')
                __builtin_trap();
            if (in.GetPosition() == before)
                break;   // a capacity of 0 or 1 stores nothing and consumes nothing
        }
    } catch (const NFileException& error) {
        if (!error.IsEndOfData())
            __builtin_trap();
    }
    return 0;
}
