// Sprite file writing (layout in imaging/NSpriteFile.h).
#include "tools/XpsWriter.h"

#include "imaging/NSpriteFile.h"
#include "storage/NStream.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamMem.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

constexpr int kMinRun = 3;   // shorter repeats cost less inside a literal
constexpr int kSpare = 0;
constexpr int32_t kReservedFrameValue = -1;
constexpr int kCompressionSlack = 64;

void PutInt32(std::vector<uint8_t>& out, int32_t value)
{
    auto bits = uint32_t(value);
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(uint8_t(bits >> shift));
}

void PutInt16(std::vector<uint8_t>& out, int32_t value)
{
    out.push_back(uint8_t(uint32_t(value) >> 8));
    out.push_back(uint8_t(value));
}

int32_t RunLength(const uint8_t* pixels, int32_t at, int32_t width)
{
    int32_t end = at + 1;
    while (end < width && pixels[end] == pixels[at] && end - at < kRunMaxLength)
        ++end;
    return end - at;
}

// LZSS over a memory block of the worst-case size (a flag byte per eight literals).
std::vector<uint8_t> Compress(const std::vector<uint8_t>& plain)
{
    std::vector<uint8_t> block(plain.size() + plain.size() / 8 + kCompressionSlack);
    NStream out(std::make_unique<NStreamMem>(block.data(), int64_t(block.size()), NStreamMode::kWrite));
    {
        NStream filter(std::make_unique<NStreamCompress>(out));
        filter.WriteFully(int32_t(plain.size()), plain.data());
        filter.Close();
    }
    block.resize(size_t(out.GetPosition()));
    return block;
}

std::vector<uint8_t> Directory(const std::vector<XpsFrame>& frames, const std::vector<XpsImage>& images,
                               const std::vector<int32_t>& offsets, const std::vector<int32_t>& sizes)
{
    std::vector<uint8_t> out;
    for (const XpsFrame& frame : frames) {
        PutInt32(out, frame.fImageIndex);
        PutInt32(out, kReservedFrameValue);
        PutInt32(out, frame.fX);
        PutInt32(out, frame.fY);
    }
    for (size_t i = 0; i < images.size(); ++i) {
        PutInt32(out, offsets[i]);
        PutInt32(out, sizes[i]);
        PutInt16(out, images[i].fWidth);
        PutInt16(out, images[i].fHeight);
        out.push_back(8);
        out.push_back(images[i].fKey);
        out.push_back(images[i].fTransparent ? 1 : 0);
        out.push_back(1);
    }
    return out;
}

} // namespace

std::vector<uint8_t> XpsEncodeRow(const uint8_t* pixels, int32_t width, bool transparent, uint8_t key, bool lastRow)
{
    std::vector<uint8_t> codes;
    std::vector<uint8_t> literal;
    auto flushLiteral = [&] {
        if (literal.size() == 1) {
            codes.push_back(1);
            codes.push_back(literal[0]);
        } else if (!literal.empty()) {
            codes.push_back(kRunEscape);
            codes.push_back(uint8_t(literal.size()));
            codes.insert(codes.end(), literal.begin(), literal.end());
        }
        literal.clear();
    };
    for (int32_t x = 0; x < width;) {
        int32_t run = RunLength(pixels, x, width);
        bool keyRun = transparent && pixels[x] == key;
        if (keyRun || run >= kMinRun) {
            flushLiteral();
            codes.push_back(uint8_t(run));
            codes.push_back(pixels[x]);
            x += run;
            continue;
        }
        literal.push_back(pixels[x++]);
        if (literal.size() == size_t(kRunMaxLength))
            flushLiteral();
    }
    flushLiteral();
    codes.push_back(kRunEscape);
    codes.push_back(lastRow ? kRunEndOfImage : kRunEndOfRow);
    return codes;
}

std::vector<uint8_t> XpsWriteFile(const std::vector<XpsFrame>& frames, const std::vector<XpsImage>& images,
                                  const std::string& paletteName, bool compressed)
{
    // Each image's row table and row data, as the chosen layout stores them.
    std::vector<std::vector<uint8_t>> blocks;
    std::vector<int32_t> sizes;
    for (const XpsImage& image : images) {
        std::vector<uint8_t> table;
        std::vector<uint8_t> data;
        uint32_t previousStart = 0;
        for (int32_t y = 0; y < image.fHeight; ++y) {
            auto start = uint32_t(data.size());
            PutInt16(table, int32_t(compressed ? start - previousStart : start % kSpriteRowWrap));
            previousStart = start;
            std::vector<uint8_t> row = XpsEncodeRow(&image.fPixels[size_t(y) * size_t(image.fWidth)], image.fWidth,
                                                    image.fTransparent, image.fKey, y == image.fHeight - 1);
            data.insert(data.end(), row.begin(), row.end());
        }
        sizes.push_back(int32_t(data.size()));
        table.insert(table.end(), data.begin(), data.end());
        blocks.push_back(compressed ? Compress(table) : table);
    }
    int32_t headerSize = compressed ? kSpriteCompressedHeaderSize : kSpriteHeaderSize;
    int32_t directorySize
        = int32_t(frames.size()) * kSpriteFrameRecordSize + int32_t(images.size()) * kSpriteImageHeaderSize;
    std::vector<int32_t> offsets;
    int32_t at = headerSize + (compressed ? 0 : directorySize);
    for (const std::vector<uint8_t>& block : blocks) {
        offsets.push_back(at);
        at += int32_t(block.size());
    }
    std::vector<uint8_t> directory = Directory(frames, images, offsets, sizes);
    std::vector<uint8_t> file;
    PutInt32(file, compressed ? kSpriteVersionCompressed : kSpriteVersionPlain);
    PutInt32(file, int32_t(frames.size()));
    PutInt32(file, int32_t(images.size()));
    PutInt32(file, kSpare);
    char name[kSpritePaletteNameSize] = {};
    std::memcpy(name, paletteName.data(), std::min(paletteName.size(), size_t(kSpritePaletteNameSize)));
    file.insert(file.end(), name, name + kSpritePaletteNameSize);
    file.insert(file.end(), size_t(kSpriteReservedSize), 0);
    if (compressed) {
        // The compressed directory follows the pixel blocks.
        PutInt32(file, at);
    } else {
        file.insert(file.end(), directory.begin(), directory.end());
    }
    for (const std::vector<uint8_t>& block : blocks)
        file.insert(file.end(), block.begin(), block.end());
    if (compressed) {
        std::vector<uint8_t> packed = Compress(directory);
        file.insert(file.end(), packed.begin(), packed.end());
    }
    return file;
}
