// Fuzz target: the JPEG glue's header probe, full, sliced and scaled decodes, and photo
// preparation (EXIF orientation, resampling, encoding) of the same bytes.
#include "framework/NAppClock.h"
#include "imaging/NExif.h"
#include "imaging/NJpeg.h"
#include "imaging/NPhotoPreparer.h"
#include "storage/NFileException.h"
#include "storage/NStream.h"
#include "tests/support/NTestStreams.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

// Pictures beyond this many pixels are only probed, so that one input stays fast.
constexpr int64_t kFuzzMaxPixels = 1 << 20;

// Each reading moves the clock by one millisecond, so slices end after a few rows.
class TickingSource : public NAppClock::Source {
public:
    uint32_t Milliseconds() override { return fNow++; }
    uint32_t fNow = 0;
};

NStream Input(const uint8_t* data, size_t size)
{
    return NStream(std::make_unique<NTestByteStream>(data, size));
}

void Decode(const uint8_t* data, size_t size, int32_t width, int32_t height, int scale, bool sliced, bool ink)
{
    int32_t columns = (width + scale - 1) / scale, rows = (height + scale - 1) / scale;
    std::vector<uint32_t> pixels(size_t(columns) * size_t(rows));
    NStream stream = Input(data, size);
    NJpegDecoder decoder;
    NRect decoded;
    NJpegDecodeOptions options;
    options.fInkToRgb = ink;
    try {
        if (!BeginJpegDecode(decoder, stream, pixels.data(), columns, decoded, nullptr,
                             NRect(0, 0, int16_t(columns), int16_t(rows)), scale, options))
            return;
        if (!sliced) {
            FinishJpegDecode(decoder);
            return;
        }
        while (!decoder.IsFinished() && ContinueJpegDecode(decoder, NAppClock::The().Now() + 3)) {
        }
    } catch (const NFileException&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static TickingSource sClock;
    static bool sClockSet = (NAppClock::The().SetSource(&sClock), true);
    (void)sClockSet;

    NExifOrientation(data, size);
    NRect rect;
    int components = 0;
    NJpegHeader header;
    NStream probe = Input(data, size);
    try {
        if (!ReadJpegHeader(probe, rect, components, &header))
            return 0;
    } catch (const NFileException&) {
        return 0;
    }
    int64_t pixels = int64_t(header.fWidth) * header.fHeight;
    if (pixels <= 0 || pixels > kFuzzMaxPixels)
        return 0;
    uint8_t choice = size > 0 ? data[size - 1] : 0;
    int scales[] = { 1, 2, 4, 8 };
    Decode(data, size, header.fWidth, header.fHeight, 1, false, false);
    Decode(data, size, header.fWidth, header.fHeight, scales[choice & 3], true, (choice & 4) != 0);

    NStream source = Input(data, size);
    NStream target(std::make_unique<NTestByteStream>(std::vector<uint8_t>{}, NStreamMode::kWrite));
    try {
        NPhotoPreparer().Prepare(source, target);
    } catch (const NFileException&) {
    }
    return 0;
}
