// The JPEG glue: header probe, row conversion, a time-sliced decoder and the encoder of
// 32-bit images, over the program's streams.
#pragma once

#include "geometry/NRect.h"

#include <cstdint>
#include <memory>
#include <string>

class NSpImage;
class NStream;

// Colour spaces reported by ReadJpegHeader (the library's own numbering).
enum : int {
    kJpegColorUnknown = 0,
    kJpegColorGray = 1,
    kJpegColorRgb = 2,
    kJpegColorYCbCr = 3,
    kJpegColorCmyk = 4,
    kJpegColorYcck = 5,
};

constexpr int kJpegBufferSize = 4096;        // bytes per read or write of the managers
constexpr int32_t kJpegMaxDimension = 32767; // larger header sizes are given as 0
constexpr int kJpegGrayComponents = 1;
constexpr int kJpegColorComponents = 3;
constexpr int kJpegInkComponents = 4;        // CMYK and YCCK
/// Working memory the library may take for one picture. Progressive pictures keep every
/// coefficient in memory, about two bytes a sample, so this admits roughly 100 megapixels
/// at 4:2:0 and stops a huge header from claiming gigabytes.
constexpr long kJpegMemoryLimit = 384L * 1024 * 1024;
/// Pixels a decode into memory may produce; callers that allocate the destination check
/// it first (JpegDecodeFits).
constexpr int64_t kJpegMaxDecodedPixels = 64LL * 1024 * 1024;
/// Time given to a decode that runs at once.
constexpr uint32_t kJpegDecodeAtOnceMs = 20000;

/// Optional outputs of ReadJpegHeader and the choices a decode may make beyond the
/// library's defaults.
struct NJpegHeader {
    int32_t fWidth = 0;        // the header's sizes, even beyond kJpegMaxDimension
    int32_t fHeight = 0;
    int fColorSpace = kJpegColorUnknown;
    bool fAdobe = false;       // an Adobe marker: ink samples are stored inverted
    int fOrientation = 1;      // EXIF orientation, 1 (upright) when none is recorded
    bool fProgressive = false;
};

struct NJpegDecodeOptions {
    /// Four-component pictures come out as RGB instead of leaving their rows untouched.
    bool fInkToRgb = false;
};

/// The state of one decode in progress.
class NJpegDecoder {
public:
    NJpegDecoder();
    ~NJpegDecoder();
    NJpegDecoder(const NJpegDecoder&) = delete;
    NJpegDecoder& operator=(const NJpegDecoder&) = delete;

    bool IsFinished() const { return fFinished; }
    /// Rows written into the destination so far.
    int32_t RowsDone() const { return fRowsDone; }
    /// The library's last message (error or warning), empty when none.
    const std::string& LastMessage() const { return fLastMessage; }
    /// True when the library warned about the data (premature end, corrupt data).
    bool HadWarnings() const { return fWarnings > 0; }

    struct Library;   // the library objects, known only to the glue

private:
    friend struct NJpegGlue;

    std::unique_ptr<Library> fLibrary;
    NStream* fStream = nullptr;
    uint32_t* fPixels = nullptr;
    int32_t fStride = 0;        // in 32-bit words
    int32_t fWidth = 0;         // pixels per row written (clipped to the target)
    int32_t fRows = 0;          // rows written (clipped to the target)
    int32_t fRowsDone = 0;
    bool fFinished = false;
    int32_t fWarnings = 0;
    std::string fLastMessage;
};

/// Reads the header: rect becomes (0, 0, width, height) with sizes beyond 32767 given as 0.
/// False for a fatal library error; a file exception in the stream is rethrown.
bool ReadJpegHeader(NStream& stream, NRect& rect, int& components, NJpegHeader* header = nullptr,
                    std::string* message = nullptr);

/// Writes one decoded row (row counted from 1) into 32-bit pixels at destination + stride x
/// (row - 1) words: 3 components as opaque RGB, 1 as opaque grey; other counts leave the
/// row untouched.
void ConvertJpegRow(int32_t row, const uint8_t* samples, int32_t width, uint32_t* destination, int32_t stride,
                    int components);

/// True when a decode of a width x height picture at 1 / scale fits the decode bound.
bool JpegDecodeFits(int32_t width, int32_t height, int scale);

/// Starts a decode at 1 / scale (1, 2, 4 or 8; anything else means 1) into pixels with the
/// given stride. decoded becomes (0, 0, ceil(width / scale), ceil(height / scale)). When its
/// size differs from the target rectangle's, the target image (if any) is first cleared to
/// 0 over (0, 0, target width, target height). Rows and columns beyond the target
/// rectangle, or beyond the stride, are not written.
bool BeginJpegDecode(NJpegDecoder& decoder, NStream& stream, uint32_t* pixels, int32_t stride, NRect& decoded,
                     NSpImage* target, const NRect& targetRect, int scale,
                     const NJpegDecodeOptions& options = NJpegDecodeOptions());
/// Decodes rows until all are read or the live application clock reaches deadline; true
/// once finished or while more remains, false after a fatal error (the library object is
/// then gone). A file exception in the stream is rethrown after the clean-up.
bool ContinueJpegDecode(NJpegDecoder& decoder, uint32_t deadline);
/// Decodes every remaining row without looking at any clock (safe off the main thread).
bool FinishJpegDecode(NJpegDecoder& decoder);

/// Writes a 32-bit image as baseline JPEG (RGB, alpha dropped). False for another depth, a
/// missing image or a library error; a file exception in the stream is rethrown.
bool WriteJpeg(NStream& stream, const NSpImage& image, int quality);
