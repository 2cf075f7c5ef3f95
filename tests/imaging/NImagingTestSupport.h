// Shared pieces of the imaging tests: images over vectors, palettes and file helpers.
#pragma once

#include "imaging/NPalette.h"
#include "imaging/NSpMemImage.h"
#include "storage/NFileSpec.h"
#include "platform/NHostDrives.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

/// An in-memory image whose pixels live in a vector, rows packed.
class NTestImage {
public:
    NTestImage(int16_t width, int16_t height, int16_t depth, uint8_t fill = 0, const NPalette* palette = nullptr)
        : fRowBytes(width * depth / 8)
        , fBytes(size_t(fRowBytes) * size_t(height), fill)
    {
        fImage.SetBits(fBytes.data(), width, height, fRowBytes, depth, palette);
    }

    NSpMemImage& Image() { return fImage; }
    uint8_t* At(int x, int y) { return fBytes.data() + y * fRowBytes + x * fImage.Depth() / 8; }
    uint8_t Get8(int x, int y) { return *At(x, y); }
    void Set8(int x, int y, uint8_t value) { *At(x, y) = value; }
    uint16_t Get16(int x, int y)
    {
        uint16_t value;
        std::memcpy(&value, At(x, y), 2);
        return value;
    }
    uint32_t Get32(int x, int y)
    {
        uint32_t value;
        std::memcpy(&value, At(x, y), 4);
        return value;
    }
    void Set32(int x, int y, uint32_t value) { std::memcpy(At(x, y), &value, 4); }
    void Fill32(uint32_t value)
    {
        for (int y = 0; y < fImage.Height(); ++y) {
            for (int x = 0; x < fImage.Width(); ++x)
                Set32(x, y, value);
        }
    }
    const std::vector<uint8_t>& Bytes() const { return fBytes; }

private:
    int32_t fRowBytes;
    std::vector<uint8_t> fBytes;
    NSpMemImage fImage;
};

/// A system palette whose entries i (i > 0) are given distinct colours (i, 2i, 255 - i).
inline NPalette NTestPalette()
{
    NPalette palette;
    palette.FromSystem();
    for (int i = 0; i < 256; ++i)
        palette.Data()->SetColor(i, uint8_t(i), uint8_t(2 * i), uint8_t(255 - i));
    palette.Data()->BuildTables();
    palette.Data()->BuildPlatformPalette();
    return palette;
}

inline NFileSpec NTestSpec(const std::filesystem::path& path)
{
    NFileSpec spec;
    NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), spec);
    return spec;
}

inline std::string NBigEndian32(int32_t value)
{
    auto bits = uint32_t(value);
    return std::string { char(bits >> 24), char(bits >> 16), char(bits >> 8), char(bits) };
}

inline std::string NBigEndian16(int32_t value)
{
    return std::string { char(uint32_t(value) >> 8), char(value) };
}

inline std::string NBytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(char(value));
    return bytes;
}

/// A RIFF palette file whose entries come from colors (red, green, blue per entry).
inline std::string NRiffPalette(const std::vector<uint8_t>& colors, size_t length = 1048)
{
    std::string file(1048, '\0');
    std::memcpy(file.data(), "RIFF\x10\x04\0\0PAL data\x04\x04\0\0\0\x03\0\x01", 24);
    for (size_t i = 0; i < 256 && 3 * i + 2 < colors.size(); ++i) {
        file[24 + 4 * i] = char(colors[3 * i]);
        file[25 + 4 * i] = char(colors[3 * i + 1]);
        file[26 + 4 * i] = char(colors[3 * i + 2]);
    }
    file.resize(length);
    return file;
}
