// Fuzz target: expanding arbitrary bytes, and compressing them back and forth.
#include "storage/NStream.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamExpand.h"
#include "tests/support/NTestStreams.h"

#include <cstddef>
#include <cstdint>
#include <vector>

static std::vector<uint8_t> ExpandAll(const std::vector<uint8_t>& bytes, bool trickle)
{
    std::unique_ptr<NStreamImp> source = std::make_unique<NTestByteStream>(bytes);
    if (trickle)
        source = std::make_unique<NTrickleStream>(std::move(source));
    NStream in(std::move(source));
    NStreamExpand expand(in);
    std::vector<uint8_t> out;
    uint8_t block[517];
    // A hostile stream may expand a lot, but never without end: each group takes bytes.
    while (int32_t count = expand.Read(sizeof block, block))
        out.insert(out.end(), block, block + count);
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> input(data, data + size);
    bool trickle = size > 0 && (data[0] & 1);
    ExpandAll(input, trickle);

    // Whatever is compressed expands to itself, written whole or in pieces.
    NStream packed(std::make_unique<NTestByteStream>(std::vector<uint8_t>(), NStreamMode::kWrite));
    {
        NStreamCompress compress(packed);
        size_t at = 0;
        size_t step = size > 1 ? 1 + data[1] % 64 : 1;
        while (at < size) {
            size_t piece = std::min(step, size - at);
            compress.Write(static_cast<int32_t>(piece), data + at);
            at += piece;
        }
        compress.Close();
    }
    const std::vector<uint8_t>& compressed = static_cast<NTestByteStream*>(packed.Get())->Bytes();
    if (ExpandAll(compressed, trickle) != input)
        __builtin_trap();
    return 0;
}
