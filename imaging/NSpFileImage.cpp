// File images: reading their headers and pixel blocks, and drawing their rows.
#include "imaging/NSpFileImage.h"

#include "imaging/NPixelOps.h"
#include "imaging/NRunLength.h"
#include "imaging/NSpSet.h"
#include "imaging/NSpriteFile.h"
#include "storage/NFileException.h"
#include "storage/NStreamExpand.h"

#include <algorithm>

namespace {

constexpr int32_t kReadBlock = 0x10000;
constexpr uint8_t kBitZero = 0x01;
constexpr uint8_t kSpareFlagBit5 = 0x20;
constexpr uint8_t kFlagsFromHeader = kImageRunLength | kImageAlpha | kImagePremultiplied | kSpareFlagBit5;
constexpr int32_t kWordAlign = ~3;

// Reads size bytes in blocks, so that memory grows only with data that really arrive.
void ReadBounded(NStream& stream, int32_t size, std::vector<uint8_t>& data)
{
    data.clear();
    while (int32_t(data.size()) < size) {
        int32_t length = std::min(kReadBlock, size - int32_t(data.size()));
        size_t at = data.size();
        data.resize(at + size_t(length));
        stream.ReadFully(length, data.data() + at);
    }
}

} // namespace

NSpFileImage::NSpFileImage() = default;

NSpFileImage::~NSpFileImage() = default;

void NSpFileImage::ReadHeader(NStream& stream, NSpSet& set, const NPalette& palette)
{
    Purge();
    fSet = &set;
    fOffset = stream.ReadInt32();
    fSize = stream.ReadInt32();
    int16_t width = stream.ReadInt16();
    int16_t height = stream.ReadInt16();
    int16_t depth = stream.ReadByte();
    // Raw rows are width pixels of depth bits; run-length rows are read through the table.
    int32_t rowBytes = int32_t(width) * std::max(BytesPerPixel(depth), 1);
    Init(width, height, rowBytes, depth, &palette);
    fKeyIndex = stream.ReadByte();
    SetFlag(kImageTransparent, (stream.ReadByte() & kBitZero) != 0);
    uint8_t runLength = stream.ReadByte();
    fFlags = static_cast<uint8_t>((fFlags & ~kFlagsFromHeader) | kImageHeaderRead);
    if (runLength & kBitZero)
        fFlags |= kImageRunLength;
}

void NSpFileImage::Purge()
{
    fRowStarts.clear();
    fRowStarts.shrink_to_fit();
    fData.clear();
    fData.shrink_to_fit();
    fResident = false;
}

void NSpFileImage::Unload()
{
    Purge();
}

void NSpFileImage::Load()
{
    if (fResident || !fSet || fWidth <= 0 || fHeight <= 0 || fSize < 0 || fOffset < 0 || BytesPerPixel(fDepth) == 0)
        return;
    try {
        NSpStreamUse use(*fSet);
        NStream& stream = use.Stream();
        if (stream.Seek(fOffset) != fOffset)
            throw NFileException(kFileEndOfData, stream.GetDisplayName());
        if (fSet->IsCompressed()) {
            NStream expanded(std::make_unique<NStreamExpand>(stream));
            ReadPixelBlock(expanded, true);
        } else {
            // Plain blocks are stored as they are: a size beyond the file is refused early.
            int64_t available = stream.GetLength() - fOffset - int64_t(fHeight) * kSpriteRowEntrySize;
            if (fSize > available)
                throw NFileException(kFileEndOfData, stream.GetDisplayName());
            ReadPixelBlock(stream, false);
        }
        fResident = true;
    } catch (const NFileException&) {
        Purge();
    }
}

void NSpFileImage::ReadPixelBlock(NStream& stream, bool compressed)
{
    std::vector<uint8_t> table;
    ReadBounded(stream, int32_t(fHeight) * kSpriteRowEntrySize, table);
    fRowStarts.resize(size_t(fHeight));
    uint32_t sum = 0;
    uint32_t wraps = 0;
    uint32_t previous = 0;
    for (int32_t row = 0; row < fHeight; ++row) {
        uint32_t value = uint32_t(table[size_t(row) * 2]) << 8 | table[size_t(row) * 2 + 1];
        if (compressed) {
            sum += value;
            fRowStarts[size_t(row)] = sum;
        } else {
            if (row > 0 && value < previous)
                wraps += kSpriteRowWrap;
            previous = value;
            fRowStarts[size_t(row)] = value + wraps;
        }
    }
    ReadBounded(stream, fSize, fData);
}

const uint8_t* NSpFileImage::GetBits() const
{
    return fResident ? fData.data() : nullptr;
}

uint8_t* NSpFileImage::GetBits()
{
    return fResident ? fData.data() : nullptr;
}

void NSpFileImage::FreeBits()
{
    fData.clear();
    fData.shrink_to_fit();
    fResident = false;
}

bool NSpFileImage::RawFits() const
{
    return uint64_t(fData.size()) >= uint64_t(fRowBytes) * uint64_t(std::max<int16_t>(fHeight, 0));
}

bool NSpFileImage::DrawTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, bool flipVertically,
                          bool mirror)
{
    if (source.IsEmpty())
        return true;
    Load();
    if (!fResident)
        return false;
    if (!HasFlag(kImageRunLength))
        return RawFits() && NDrawPixels(*this, fData.data(), destination, destinationImage, source, flipVertically, mirror);
    return DrawRuns(destination, destinationImage, source, flipVertically, mirror);
}

bool NSpFileImage::MaskTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, int mode, int percent)
{
    Load();
    if (!fResident)
        return false;
    if (!HasFlag(kImageRunLength))
        return RawFits() && NMaskPixels(*this, fData.data(), destination, destinationImage, source, mode, percent);
    return MaskRuns(destination, destinationImage, source, mode, percent);
}

bool NSpFileImage::DrawRuns(uint8_t* destination, const NSpImage& destinationImage, const NRect& rect,
                            bool flipVertically, bool mirror)
{
    int destinationDepth = destinationImage.Depth();
    int bytes = BytesPerPixel(destinationDepth);
    int32_t step = destinationImage.RowBytes();
    if (destinationDepth == 32)
        step &= kWordAlign;
    const NPaletteData* palette = fPalette.Data();
    bool shadow = HasFlag(kImageAlpha);
    bool needsPalette = destinationDepth == 16 || (destinationDepth == 32 && !shadow);
    if (fDepth != 8 || bytes == 0 || (needsPalette && !palette) || !NSourceFits(*this, fData.data(), rect)
        || !NDestinationFits(destinationImage, destination, rect.fWidth, rect.fHeight, step))
        return false;
    NRunLengthRow row { nullptr, fData.data() + fData.size(), mirror ? fWidth - rect.Right() : rect.fX, rect.fWidth,
                        mirror, HasFlag(kImageTransparent), fKeyIndex };
    uint8_t* start = destination + (mirror ? ptrdiff_t(rect.fWidth - 1) * bytes : 0);
    for (int32_t r = 0; r < rect.fHeight; ++r) {
        int32_t y = flipVertically ? fHeight - 1 - rect.fY - r : rect.fY + r;
        uint32_t begin = fRowStarts[size_t(y)];
        if (begin >= fData.size())
            continue;
        row.fCodes = fData.data() + begin;
        uint8_t* out = start + ptrdiff_t(r) * step;
        switch (destinationDepth) {
        case 8:
            NDecodeRow8(row, out);
            break;
        case 16:
            NDecodeRow16(row, out, palette->Table16());
            break;
        default:
            if (shadow)
                NDecodeRowShadow32(row, out);
            else
                NDecodeRow32(row, out, palette->Table32());
            break;
        }
    }
    return true;
}

bool NSpFileImage::MaskRuns(uint8_t* destination, const NSpImage& destinationImage, const NRect& rect, int mode,
                            int percent)
{
    int destinationDepth = destinationImage.Depth();
    if (fDepth != 8 || (destinationDepth != 8 && destinationDepth != 32) || mode < kMaskCopy
        || mode > kMaskClearCovered || !NSourceFits(*this, fData.data(), rect)
        || !NDestinationFits(destinationImage, destination, rect.fWidth, rect.fHeight, destinationImage.RowBytes()))
        return false;
    uint8_t scale[256];
    NMaskScaleTable(percent, scale);
    int bytes = BytesPerPixel(destinationDepth);
    // The alpha byte of a 32-bit pixel is its fourth.
    uint8_t* start = destination + (destinationDepth == 32 ? 3 : 0);
    NRunLengthRow row { nullptr, fData.data() + fData.size(), rect.fX, rect.fWidth, false, false, 0 };
    for (int32_t r = 0; r < rect.fHeight; ++r) {
        uint32_t begin = fRowStarts[size_t(rect.fY + r)];
        if (begin >= fData.size())
            continue;
        row.fCodes = fData.data() + begin;
        NDecodeRowMask(row, start + ptrdiff_t(r) * destinationImage.RowBytes(), bytes, mode, scale);
    }
    return true;
}
