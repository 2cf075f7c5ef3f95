// The JPEG glue over the library's 6.2 interface: stream managers, the error manager that
// returns by a jump, the header probe, the sliced decoder and the encoder.
//
// The library parses the file itself; what the glue relies on is only this much of it:
//
//   FF D8                 start of image (the first two bytes of every JPEG file)
//   FF E1 len "Exif"..    APP1 with the EXIF block (orientation, see NExif.cpp)
//   FF EE len "Adobe"..   APP14: its transform byte tells the library YCCK from CMYK
//   FF C0..C2 len ..      start of frame: precision, height, width, components
//   ...                   scans
//   FF D9                 end of image; supplied by the source when the file ends early
//
// Every function that calls setjmp keeps its state in heap records and has no local with
// a destructor, so the jump back from the error manager skips nothing that needs running.
// A stream exception inside a manager callback is caught there, stored in the manager,
// turned into a library error, and rethrown by the C++ caller after the clean-up.
#include "imaging/NJpeg.h"

#include "imaging/NExif.h"
#include "imaging/NSpImage.h"
#include "framework/NAppClock.h"
#include "storage/NFileException.h"
#include "storage/NStream.h"

#include <csetjmp>
#include <cstdio>
// The library's header needs size_t and FILE declared first.
#include <jpeglib.h>
#include <jerror.h>

#include <algorithm>
#include <exception>
#include <vector>

namespace {

constexpr JOCTET kMarkerPrefix = 0xFF;
constexpr JOCTET kEndOfImage = 0xD9;
constexpr int kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kMaxMarkerLength = 0xFFFF;
constexpr uint32_t kOpaque = 0xFF000000;
constexpr uint32_t kGrayFactor = 0x010101;
constexpr int kMaxSample = 255;
constexpr int kMinQuality = 0;
constexpr int kMaxQuality = 100;

// The error manager: the standard one plus the jump target and what the callbacks caught.
struct ErrorManager {
    jpeg_error_mgr fPublic;
    jmp_buf fJump;
    std::exception_ptr fStreamError;   // a stream exception caught inside a callback
    std::string* fMessage = nullptr;   // where messages go instead of standard error
    int32_t* fWarnings = nullptr;
};

struct SourceManager {
    jpeg_source_mgr fPublic;
    NStream* fStream;
    ErrorManager* fError;
    bool fStartOfFile;
    JOCTET fBuffer[kJpegBufferSize];
};

struct DestinationManager {
    jpeg_destination_mgr fPublic;
    NStream* fStream;
    ErrorManager* fError;
    JOCTET fBuffer[kJpegBufferSize];
};

void OutputMessage(j_common_ptr info)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    if (error->fMessage != nullptr)
        *error->fMessage = text;
}

void ErrorExit(j_common_ptr info)
{
    (*info->err->output_message)(info);
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->fJump, 1);
}

void EmitMessage(j_common_ptr info, int level)
{
    auto* error = reinterpret_cast<ErrorManager*>(info->err);
    if (level >= 0)
        return;
    ++info->err->num_warnings;
    if (error->fWarnings != nullptr)
        ++*error->fWarnings;
    // Every warning is kept, not only the first, so that the last message is current.
    (*info->err->output_message)(info);
}

void InstallErrorManager(ErrorManager& error, std::string* message, int32_t* warnings)
{
    jpeg_std_error(&error.fPublic);
    error.fPublic.error_exit = ErrorExit;
    error.fPublic.output_message = OutputMessage;
    error.fPublic.emit_message = EmitMessage;
    error.fMessage = message;
    error.fWarnings = warnings;
}

// Reads up to a buffer's worth; -1 when the stream threw (the exception is stored).
int32_t ReadSome(SourceManager& source)
{
    try {
        return source.fStream->Read(kJpegBufferSize, source.fBuffer);
    } catch (const NFileException& error) {
        if (error.IsEndOfData())
            return 0;
        source.fError->fStreamError = std::current_exception();
    } catch (...) {
        source.fError->fStreamError = std::current_exception();
    }
    return -1;
}

void InitSource(j_decompress_ptr info)
{
    reinterpret_cast<SourceManager*>(info->src)->fStartOfFile = true;
}

boolean FillInputBuffer(j_decompress_ptr info)
{
    auto* source = reinterpret_cast<SourceManager*>(info->src);
    int32_t count = ReadSome(*source);
    if (count < 0)
        ERREXIT(info, JERR_FILE_READ);
    if (count == 0) {
        if (source->fStartOfFile)
            ERREXIT(info, JERR_INPUT_EMPTY);
        WARNMS(info, JWRN_JPEG_EOF);
        source->fBuffer[0] = kMarkerPrefix;
        source->fBuffer[1] = kEndOfImage;
        count = 2;
    }
    source->fPublic.next_input_byte = source->fBuffer;
    source->fPublic.bytes_in_buffer = size_t(count);
    source->fStartOfFile = false;
    return TRUE;
}

void SkipInputData(j_decompress_ptr info, long count)
{
    jpeg_source_mgr* source = info->src;
    if (count <= 0)
        return;
    while (count > long(source->bytes_in_buffer)) {
        count -= long(source->bytes_in_buffer);
        (void)(*source->fill_input_buffer)(info);
    }
    source->next_input_byte += size_t(count);
    source->bytes_in_buffer -= size_t(count);
}

void TermSource(j_decompress_ptr) {}

void JpegSource(j_decompress_ptr info, SourceManager& source, NStream& stream, ErrorManager& error)
{
    source.fPublic.init_source = InitSource;
    source.fPublic.fill_input_buffer = FillInputBuffer;
    source.fPublic.skip_input_data = SkipInputData;
    source.fPublic.resync_to_restart = jpeg_resync_to_restart;
    source.fPublic.term_source = TermSource;
    source.fPublic.bytes_in_buffer = 0;
    source.fPublic.next_input_byte = nullptr;
    source.fStream = &stream;
    source.fError = &error;
    source.fStartOfFile = true;
    info->src = &source.fPublic;
}

// Writes length bytes; false when the write was short or threw (the exception is stored).
bool WriteSome(DestinationManager& destination, int32_t length)
{
    try {
        return destination.fStream->Write(length, destination.fBuffer) == length;
    } catch (...) {
        destination.fError->fStreamError = std::current_exception();
    }
    return false;
}

void InitDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<DestinationManager*>(info->dest);
    destination->fPublic.next_output_byte = destination->fBuffer;
    destination->fPublic.free_in_buffer = kJpegBufferSize;
}

boolean EmptyOutputBuffer(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<DestinationManager*>(info->dest);
    if (!WriteSome(*destination, kJpegBufferSize))
        ERREXIT(info, JERR_FILE_WRITE);
    InitDestination(info);
    return TRUE;
}

void TermDestination(j_compress_ptr info)
{
    auto* destination = reinterpret_cast<DestinationManager*>(info->dest);
    auto length = int32_t(kJpegBufferSize - destination->fPublic.free_in_buffer);
    if (length > 0 && !WriteSome(*destination, length))
        ERREXIT(info, JERR_FILE_WRITE);
}

void JpegDest(j_compress_ptr info, DestinationManager& destination, NStream& stream, ErrorManager& error)
{
    destination.fPublic.init_destination = InitDestination;
    destination.fPublic.empty_output_buffer = EmptyOutputBuffer;
    destination.fPublic.term_destination = TermDestination;
    destination.fStream = &stream;
    destination.fError = &error;
    info->dest = &destination.fPublic;
}

void RethrowStored(ErrorManager& error)
{
    if (error.fStreamError) {
        std::exception_ptr stored = error.fStreamError;
        error.fStreamError = nullptr;
        std::rethrow_exception(stored);
    }
}

int32_t HeaderSize(JDIMENSION size)
{
    return size > JDIMENSION(kJpegMaxDimension) ? 0 : int32_t(size);
}

int NormalScale(int scale)
{
    return scale == 1 || scale == 2 || scale == 4 || scale == 8 ? scale : 1;
}

void FillHeader(jpeg_decompress_struct& info, NJpegHeader& header)
{
    header.fWidth = int32_t(info.image_width);
    header.fHeight = int32_t(info.image_height);
    header.fColorSpace = info.jpeg_color_space;
    header.fAdobe = info.saw_Adobe_marker != 0;
    header.fProgressive = info.progressive_mode != 0;
    header.fOrientation = kExifUpright;
    for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
        if (marker->marker == kExifMarker) {
            header.fOrientation = NExifOrientation(marker->data, marker->data_length);
            break;
        }
    }
}

// Ink samples to RGB. Adobe's files store the inks inverted (255 is no ink).
void ConvertInkRow(int32_t row, const uint8_t* samples, int32_t width, uint32_t* destination, int32_t stride,
                   bool inverted)
{
    uint32_t* out = destination + int64_t(stride) * (row - 1);
    for (int32_t x = 0; x < width; ++x, samples += kJpegInkComponents) {
        int c = samples[0], m = samples[1], y = samples[2], k = samples[3];
        if (!inverted) {
            c = kMaxSample - c;
            m = kMaxSample - m;
            y = kMaxSample - y;
            k = kMaxSample - k;
        }
        uint32_t red = uint32_t(c * k + kMaxSample / 2) / kMaxSample;
        uint32_t green = uint32_t(m * k + kMaxSample / 2) / kMaxSample;
        uint32_t blue = uint32_t(y * k + kMaxSample / 2) / kMaxSample;
        out[x] = kOpaque | red << 16 | green << 8 | blue;
    }
}

} // namespace

// The library objects of one decode; the managers point into it, so it never moves.
struct NJpegDecoder::Library {
    jpeg_decompress_struct fInfo;
    ErrorManager fError;
    SourceManager fSource;
    JSAMPARRAY fRow = nullptr;   // one row, from the library's image pool
    bool fCreated = false;
    bool fInkToRgb = false;
};

// Access to the decoder's state for the glue functions.
struct NJpegGlue {
    static void Destroy(NJpegDecoder& decoder)
    {
        if (decoder.fLibrary && decoder.fLibrary->fCreated)
            jpeg_destroy_decompress(&decoder.fLibrary->fInfo);
        decoder.fLibrary.reset();
    }

    // Destroys the library object after a fatal error and rethrows a stored stream error.
    static bool Fail(NJpegDecoder& decoder)
    {
        std::exception_ptr stored = decoder.fLibrary ? decoder.fLibrary->fError.fStreamError : nullptr;
        Destroy(decoder);
        if (stored)
            std::rethrow_exception(stored);
        return false;
    }

    // Under the jump: create, read the header and start decompressing.
    static bool Start(NJpegDecoder& decoder, NJpegDecoder::Library& library, int scale)
    {
        jpeg_decompress_struct& info = library.fInfo;
        if (setjmp(library.fError.fJump))
            return false;
        jpeg_create_decompress(&info);
        library.fCreated = true;
        info.mem->max_memory_to_use = kJpegMemoryLimit;
        JpegSource(&info, library.fSource, *decoder.fStream, library.fError);
        jpeg_read_header(&info, TRUE);
        info.scale_num = 1;
        info.scale_denom = unsigned(scale);
        jpeg_calc_output_dimensions(&info);
        return true;
    }

    static bool StartOutput(NJpegDecoder::Library& library)
    {
        jpeg_decompress_struct& info = library.fInfo;
        if (setjmp(library.fError.fJump))
            return false;
        jpeg_start_decompress(&info);
        library.fRow = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                 info.output_width * JDIMENSION(info.output_components), 1);
        return true;
    }

    // Reads rows until done or, with a clock, until the deadline; false after a fatal error.
    static bool ReadRows(NJpegDecoder& decoder, bool useClock, uint32_t deadline)
    {
        NJpegDecoder::Library& library = *decoder.fLibrary;
        jpeg_decompress_struct& info = library.fInfo;
        if (setjmp(library.fError.fJump))
            return false;
        while (info.output_scanline < info.output_height) {
            if (useClock && int32_t(NAppClock::The().Now() - deadline) >= 0)
                return true;
            jpeg_read_scanlines(&info, library.fRow, 1);
            auto row = int32_t(info.output_scanline);
            if (row <= decoder.fRows) {
                if (library.fInkToRgb && info.output_components == kJpegInkComponents)
                    ConvertInkRow(row, library.fRow[0], decoder.fWidth, decoder.fPixels, decoder.fStride,
                                  info.saw_Adobe_marker != 0);
                else
                    ConvertJpegRow(row, library.fRow[0], decoder.fWidth, decoder.fPixels, decoder.fStride,
                                   info.output_components);
                decoder.fRowsDone = row;
            }
        }
        jpeg_finish_decompress(&info);
        return true;
    }

    static bool Continue(NJpegDecoder& decoder, bool useClock, uint32_t deadline)
    {
        if (decoder.fFinished)
            return true;
        if (!decoder.fLibrary)
            return false;
        if (!ReadRows(decoder, useClock, deadline))
            return Fail(decoder);
        if (decoder.fLibrary->fInfo.output_scanline >= decoder.fLibrary->fInfo.output_height) {
            Destroy(decoder);
            decoder.fFinished = true;
        }
        return true;
    }

    static bool Begin(NJpegDecoder& decoder, NStream& stream, uint32_t* pixels, int32_t stride, NRect& decoded,
                      NSpImage* target, const NRect& targetRect, int scale, const NJpegDecodeOptions& options)
    {
        Destroy(decoder);
        decoder.fFinished = false;
        decoder.fRowsDone = 0;
        decoder.fWarnings = 0;
        decoder.fLastMessage.clear();
        decoder.fStream = &stream;
        decoded = NRect();
        decoder.fLibrary = std::make_unique<NJpegDecoder::Library>();
        NJpegDecoder::Library& library = *decoder.fLibrary;
        library.fInkToRgb = options.fInkToRgb;
        InstallErrorManager(library.fError, &decoder.fLastMessage, &decoder.fWarnings);
        library.fInfo.err = &library.fError.fPublic;
        if (!Start(decoder, library, NormalScale(scale)))
            return Fail(decoder);
        jpeg_decompress_struct& info = library.fInfo;
        decoded = NRect(0, 0, int16_t(HeaderSize(info.output_width)), int16_t(HeaderSize(info.output_height)));
        if (target != nullptr && (decoded.fWidth != targetRect.fWidth || decoded.fHeight != targetRect.fHeight))
            target->FillRect(NRect(0, 0, targetRect.fWidth, targetRect.fHeight), 0);
        if (decoded.IsEmpty())
            return Fail(decoder);
        if (options.fInkToRgb && info.num_components == kJpegInkComponents)
            info.out_color_space = JCS_CMYK;
        if (!StartOutput(library))
            return Fail(decoder);
        decoder.fPixels = pixels;
        decoder.fStride = std::max<int32_t>(stride, 0);
        decoder.fWidth = std::min<int32_t>({decoded.fWidth, std::max<int32_t>(targetRect.fWidth, 0), decoder.fStride});
        decoder.fRows = pixels == nullptr ? 0 : std::min<int32_t>(decoded.fHeight, std::max<int32_t>(targetRect.fHeight, 0));
        return true;
    }

    static bool ReadHeader(jpeg_decompress_struct& info, ErrorManager& error, SourceManager& source, NStream& stream,
                           bool saveExif)
    {
        if (setjmp(error.fJump))
            return false;
        jpeg_create_decompress(&info);
        info.mem->max_memory_to_use = kJpegMemoryLimit;
        JpegSource(&info, source, stream, error);
        if (saveExif)
            jpeg_save_markers(&info, kExifMarker, kMaxMarkerLength);
        jpeg_read_header(&info, TRUE);
        return true;
    }

    static bool Compress(jpeg_compress_struct& info, ErrorManager& error, DestinationManager& destination,
                         NStream& stream, const NSpImage& image, int quality, JSAMPLE* row)
    {
        if (setjmp(error.fJump))
            return false;
        jpeg_create_compress(&info);
        JpegDest(&info, destination, stream, error);
        info.image_width = JDIMENSION(image.Width());
        info.image_height = JDIMENSION(image.Height());
        info.input_components = kJpegColorComponents;
        info.in_color_space = JCS_RGB;
        jpeg_set_defaults(&info);
        jpeg_set_quality(&info, std::clamp(quality, kMinQuality, kMaxQuality), TRUE);
        jpeg_start_compress(&info, TRUE);
        const uint8_t* bits = image.GetBits();
        while (info.next_scanline < info.image_height) {
            const auto* pixels = reinterpret_cast<const uint32_t*>(bits + int64_t(info.next_scanline) * image.RowBytes());
            JSAMPLE* out = row;
            for (int32_t x = 0; x < image.Width(); ++x) {
                uint32_t pixel = pixels[x];
                *out++ = JSAMPLE(pixel >> 16);
                *out++ = JSAMPLE(pixel >> 8);
                *out++ = JSAMPLE(pixel);
            }
            JSAMPROW rows[1] = { row };
            jpeg_write_scanlines(&info, rows, 1);
        }
        jpeg_finish_compress(&info);
        return true;
    }
};

NJpegDecoder::NJpegDecoder() = default;

NJpegDecoder::~NJpegDecoder()
{
    NJpegGlue::Destroy(*this);
}

namespace {

// The objects of a header probe; on the heap, so the jump frame holds no destructors.
struct HeaderProbe {
    jpeg_decompress_struct fInfo;
    ErrorManager fError;
    SourceManager fSource;
};

struct Compression {
    jpeg_compress_struct fInfo;
    ErrorManager fError;
    DestinationManager fDestination;
};

} // namespace

bool ReadJpegHeader(NStream& stream, NRect& rect, int& components, NJpegHeader* header, std::string* message)
{
    rect = NRect();
    components = 0;
    auto probe = std::make_unique<HeaderProbe>();
    InstallErrorManager(probe->fError, message, nullptr);
    probe->fInfo.err = &probe->fError.fPublic;
    bool ok = NJpegGlue::ReadHeader(probe->fInfo, probe->fError, probe->fSource, stream, header != nullptr);
    if (ok) {
        rect = NRect(0, 0, int16_t(HeaderSize(probe->fInfo.image_width)), int16_t(HeaderSize(probe->fInfo.image_height)));
        components = probe->fInfo.num_components;
        if (header != nullptr)
            FillHeader(probe->fInfo, *header);
    }
    jpeg_destroy_decompress(&probe->fInfo);
    RethrowStored(probe->fError);
    return ok;
}

void ConvertJpegRow(int32_t row, const uint8_t* samples, int32_t width, uint32_t* destination, int32_t stride,
                    int components)
{
    if (destination == nullptr || row < 1)
        return;
    uint32_t* out = destination + int64_t(stride) * (row - 1);
    if (components == kJpegColorComponents) {
        for (int32_t x = 0; x < width; ++x, samples += kJpegColorComponents)
            out[x] = kOpaque | uint32_t(samples[0]) << 16 | uint32_t(samples[1]) << 8 | samples[2];
    } else if (components == kJpegGrayComponents) {
        for (int32_t x = 0; x < width; ++x)
            out[x] = kOpaque | samples[x] * kGrayFactor;
    }
}

bool JpegDecodeFits(int32_t width, int32_t height, int scale)
{
    scale = NormalScale(scale);
    int64_t columns = (int64_t(width) + scale - 1) / scale;
    int64_t rows = (int64_t(height) + scale - 1) / scale;
    return width > 0 && height > 0 && columns <= kJpegMaxDimension && rows <= kJpegMaxDimension
           && columns * rows <= kJpegMaxDecodedPixels;
}

bool BeginJpegDecode(NJpegDecoder& decoder, NStream& stream, uint32_t* pixels, int32_t stride, NRect& decoded,
                     NSpImage* target, const NRect& targetRect, int scale, const NJpegDecodeOptions& options)
{
    return NJpegGlue::Begin(decoder, stream, pixels, stride, decoded, target, targetRect, scale, options);
}

bool ContinueJpegDecode(NJpegDecoder& decoder, uint32_t deadline)
{
    return NJpegGlue::Continue(decoder, true, deadline);
}

bool FinishJpegDecode(NJpegDecoder& decoder)
{
    return NJpegGlue::Continue(decoder, false, 0);
}

bool WriteJpeg(NStream& stream, const NSpImage& image, int quality)
{
    if (image.Depth() != 32 || image.GetBits() == nullptr || image.Width() <= 0 || image.Height() <= 0)
        return false;
    auto compression = std::make_unique<Compression>();
    std::vector<JSAMPLE> row(size_t(image.Width()) * kJpegColorComponents);
    InstallErrorManager(compression->fError, nullptr, nullptr);
    compression->fInfo.err = &compression->fError.fPublic;
    bool ok = NJpegGlue::Compress(compression->fInfo, compression->fError, compression->fDestination, stream, image,
                                  quality, row.data());
    jpeg_destroy_compress(&compression->fInfo);
    RethrowStored(compression->fError);
    return ok;
}
