// PNG decoding and encoding through libpng, over memory.
#include "platform/NHostPng.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kSignatureSize = 8;
constexpr int kMessageCapacity = 200;

// Everything the jumping functions touch lives here, so that they hold no locals with
// destructors across setjmp.
struct PngJob {
    const uint8_t* fInput = nullptr;
    size_t fInputSize = 0;
    size_t fInputCursor = 0;
    std::vector<uint8_t>* fOutput = nullptr;
    NHostRgbaImage* fImage = nullptr;
    std::vector<png_bytep>* fRows = nullptr;
    char fMessage[kMessageCapacity] = {};
};

PngJob& JobOf(png_structp png)
{
    return *static_cast<PngJob*>(png_get_error_ptr(png));
}

void OnError(png_structp png, png_const_charp message)
{
    std::snprintf(JobOf(png).fMessage, kMessageCapacity, "%s", message ? message : "damaged PNG data");
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void ReadInput(png_structp png, png_bytep out, size_t length)
{
    auto& job = *static_cast<PngJob*>(png_get_io_ptr(png));
    if (job.fInputSize - job.fInputCursor < length)
        png_error(png, "the PNG data end early");
    std::memcpy(out, job.fInput + job.fInputCursor, length);
    job.fInputCursor += length;
}

void WriteOutput(png_structp png, png_bytep data, size_t length)
{
    auto& job = *static_cast<PngJob*>(png_get_io_ptr(png));
    job.fOutput->insert(job.fOutput->end(), data, data + length);
}

void FlushOutput(png_structp) {}

// Reads the header, then the rows into job.fImage through job.fRows (sized by a callback
// would need destructors here, so the caller sizes them between the two phases).
bool ReadHeader(png_structp png, png_infop info, PngJob& job, png_uint_32& width, png_uint_32& height)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_read_fn(png, &job, ReadInput);
    png_set_user_limits(png, NHostPng::kMaxSide, NHostPng::kMaxSide);
    png_read_info(png, info);
    int bitDepth = 0;
    int colorType = 0;
    png_get_IHDR(png, info, &width, &height, &bitDepth, &colorType, nullptr, nullptr, nullptr);
    // Every form becomes 8-bit RGBA.
    if (bitDepth == 16)
        png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8)
        png_set_expand_gray_1_2_4_to_8(png);
    if (png_get_valid(png, info, PNG_INFO_tRNS))
        png_set_tRNS_to_alpha(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadRows(png_structp png, png_infop info, PngJob& job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, job.fRows->data());
    png_read_end(png, info);
    return true;
}

bool WriteRows(png_structp png, png_infop info, PngJob& job)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &job, WriteOutput, FlushOutput);
    png_set_IHDR(png, info, static_cast<png_uint_32>(job.fImage->fWidth), static_cast<png_uint_32>(job.fImage->fHeight),
                 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, job.fRows->data());
    png_write_end(png, info);
    return true;
}

} // namespace

bool NHostPng::Decode(const uint8_t* data, size_t size, NHostRgbaImage& image, std::string& error)
{
    if (size < kSignatureSize || png_sig_cmp(data, 0, kSignatureSize) != 0) {
        error = "not a PNG file";
        return false;
    }
    PngJob job;
    job.fInput = data;
    job.fInputSize = size;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        error = "out of memory";
        return false;
    }
    png_uint_32 width = 0;
    png_uint_32 height = 0;
    bool ok = ReadHeader(png, info, job, width, height);
    std::vector<png_bytep> rows;
    NHostRgbaImage decoded;
    if (ok && png_get_rowbytes(png, info) != static_cast<size_t>(width) * kBytesPerPixel) {
        std::snprintf(job.fMessage, kMessageCapacity, "unexpected row layout");
        ok = false;
    }
    if (ok) {
        decoded.fWidth = static_cast<int32_t>(width);
        decoded.fHeight = static_cast<int32_t>(height);
        decoded.fPixels.resize(static_cast<size_t>(width) * height * kBytesPerPixel);
        for (png_uint_32 y = 0; y < height; ++y)
            rows.push_back(decoded.fPixels.data() + static_cast<size_t>(y) * width * kBytesPerPixel);
        job.fRows = &rows;
        ok = ReadRows(png, info, job);
    }
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        error = job.fMessage[0] ? job.fMessage : "damaged PNG data";
        return false;
    }
    image = std::move(decoded);
    return true;
}

bool NHostPng::Encode(const NHostRgbaImage& image, std::vector<uint8_t>& data, std::string& error)
{
    if (image.fWidth <= 0 || image.fHeight <= 0 || image.fWidth > kMaxSide || image.fHeight > kMaxSide
        || image.fPixels.size() != static_cast<size_t>(image.fWidth) * image.fHeight * kBytesPerPixel) {
        error = "no picture to write";
        return false;
    }
    PngJob job;
    std::vector<uint8_t> output;
    std::vector<png_bytep> rows;
    for (int32_t y = 0; y < image.fHeight; ++y)
        rows.push_back(const_cast<uint8_t*>(image.fPixels.data()) + static_cast<size_t>(y) * image.fWidth * kBytesPerPixel);
    job.fOutput = &output;
    job.fImage = const_cast<NHostRgbaImage*>(&image);
    job.fRows = &rows;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &job, OnError, OnWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return false;
    }
    bool ok = WriteRows(png, info, job);
    png_destroy_write_struct(&png, &info);
    if (!ok) {
        error = job.fMessage[0] ? job.fMessage : "PNG encoding failed";
        return false;
    }
    data = std::move(output);
    return true;
}
