// Shared pieces of the JPEG tests: test pictures, the library's command-line tools, decoding.
#pragma once

#include "imaging/NJpeg.h"
#include "imaging/NSpMemImage.h"
#include "storage/NStream.h"
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"
#include "tests/support/NTestStreams.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

/// Pixels of a 32-bit picture, rows packed.
struct NTestPicture {
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    std::vector<uint32_t> fPixels;

    uint32_t At(int32_t x, int32_t y) const { return fPixels[size_t(y) * size_t(fWidth) + size_t(x)]; }
};

/// A picture with smooth gradients and some sharp detail, so that encoders have work to do.
inline NTestPicture NTestPattern(int32_t width, int32_t height)
{
    NTestPicture picture{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint32_t red = uint32_t(x * 255 / std::max(width - 1, 1));
            uint32_t green = uint32_t(y * 255 / std::max(height - 1, 1));
            uint32_t blue = ((x / 7 + y / 5) % 2) != 0 ? 220 : 30;
            picture.fPixels[size_t(y) * size_t(width) + size_t(x)] = 0xFF000000 | red << 16 | green << 8 | blue;
        }
    }
    return picture;
}

/// Encodes a picture with WriteJpeg.
inline std::vector<uint8_t> NTestEncode(const NTestPicture& picture, int quality = 90)
{
    NSpMemImage image;
    std::vector<uint32_t> pixels = picture.fPixels;
    image.SetBits(reinterpret_cast<uint8_t*>(pixels.data()), int16_t(picture.fWidth), int16_t(picture.fHeight),
                  picture.fWidth * 4, 32, nullptr);
    auto* bytes = new NTestByteStream(std::vector<uint8_t>{}, NStreamMode::kWrite);
    NStream stream{std::unique_ptr<NStreamImp>(bytes)};
    WriteJpeg(stream, image, quality);
    std::vector<uint8_t> out = bytes->Bytes();
    image.SetBits(nullptr, 0, 0, 0, 32, nullptr);
    return out;
}

inline void NTestWriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline std::vector<uint8_t> NTestReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

/// Writes a binary PPM (or PGM when grey) of the picture.
inline void NTestWritePnm(const std::filesystem::path& path, const NTestPicture& picture, bool grey = false)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << (grey ? "P5\n" : "P6\n") << picture.fWidth << " " << picture.fHeight << "\n255\n";
    for (uint32_t pixel : picture.fPixels) {
        if (grey) {
            out.put(char(((pixel >> 16 & 255) + (pixel >> 8 & 255) + (pixel & 255)) / 3));
        } else {
            out.put(char(pixel >> 16));
            out.put(char(pixel >> 8));
            out.put(char(pixel));
        }
    }
}

/// Reads a binary PPM or PGM as opaque 32-bit pixels; an empty picture when unreadable.
inline NTestPicture NTestReadPnm(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    NTestPicture picture;
    if (!in || (magic != "P5" && magic != "P6") || maximum != 255)
        return picture;
    picture = NTestPicture{width, height, std::vector<uint32_t>(size_t(width) * size_t(height))};
    for (uint32_t& pixel : picture.fPixels) {
        if (magic == "P5") {
            auto v = uint32_t(uint8_t(in.get()));
            pixel = 0xFF000000 | v * 0x010101;
        } else {
            auto r = uint32_t(uint8_t(in.get())), g = uint32_t(uint8_t(in.get())), b = uint32_t(uint8_t(in.get()));
            pixel = 0xFF000000 | r << 16 | g << 8 | b;
        }
    }
    return picture;
}

/// Runs a command through the shell; true when it exits with 0.
inline bool NTestRun(const std::string& command)
{
    std::string output;
    return NRunCommand(command, output) == 0;
}

inline std::string NTestQuote(const std::filesystem::path& path)
{
    return "'" + path.string() + "'";
}

/// The result of decoding a JPEG in memory.
struct NTestDecode {
    bool fOk = false;
    NRect fDecoded;
    NTestPicture fPicture;
};

/// Decodes bytes at once into a picture of the decoded size, its pixels preset to fill.
inline NTestDecode NTestDecodeBytes(const std::vector<uint8_t>& bytes, int scale = 1,
                                    const NJpegDecodeOptions& options = NJpegDecodeOptions(),
                                    uint32_t fill = 0x12345678)
{
    NTestDecode result;
    NRect rect;
    int components = 0;
    {
        NStream probe{std::make_unique<NTestByteStream>(bytes)};
        if (!ReadJpegHeader(probe, rect, components))
            return result;
    }
    int32_t width = (rect.fWidth + scale - 1) / scale, height = (rect.fHeight + scale - 1) / scale;
    if (scale != 1 && scale != 2 && scale != 4 && scale != 8)
        width = rect.fWidth, height = rect.fHeight;
    result.fPicture = NTestPicture{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), fill)};
    NStream stream{std::make_unique<NTestByteStream>(bytes)};
    NJpegDecoder decoder;
    NRect target(0, 0, int16_t(width), int16_t(height));
    result.fOk = BeginJpegDecode(decoder, stream, result.fPicture.fPixels.data(), width, result.fDecoded, nullptr,
                                 target, scale, options)
                 && FinishJpegDecode(decoder) && decoder.IsFinished();
    return result;
}
