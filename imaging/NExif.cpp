// Reading the orientation tag of an EXIF block.
//
// Layout of the APP1 body handled here (offsets from the start of the TIFF block, which
// begins after the 6-byte signature):
//
//   body +0   "Exif" 00 00          signature
//   tiff +0   "II" or "MM"           byte order: little- or big-endian for everything below
//   tiff +2   u16 42                 TIFF magic
//   tiff +4   u32 offset of IFD0
//   IFD  +0   u16 entry count
//   IFD  +2   entries of 12 bytes:   u16 tag, u16 type, u32 count, 4 bytes value or offset
//
// The orientation is tag 0x0112, type SHORT (3), count 1, its value in the first two bytes
// of the value field. Only IFD0 is looked at; later IFDs describe the thumbnail.
#include "imaging/NExif.h"

#include <cstring>

namespace {

constexpr char kExifSignature[] = "Exif\0";   // with the terminator: six bytes
constexpr size_t kExifSignatureLength = 6;
constexpr size_t kTiffHeaderLength = 8;
constexpr uint16_t kTiffMagic = 42;
constexpr size_t kIfdEntryLength = 12;
constexpr uint16_t kTagOrientation = 0x0112;
constexpr uint16_t kTypeShort = 3;

struct TiffReader {
    const uint8_t* fData;
    size_t fSize;
    bool fLittle;

    bool Has(size_t at, size_t length) const { return at <= fSize && length <= fSize - at; }
    uint16_t U16(size_t at) const
    {
        return fLittle ? uint16_t(fData[at] | fData[at + 1] << 8) : uint16_t(fData[at] << 8 | fData[at + 1]);
    }
    uint32_t U32(size_t at) const
    {
        return fLittle ? uint32_t(U16(at)) | uint32_t(U16(at + 2)) << 16 : uint32_t(U16(at)) << 16 | U16(at + 2);
    }
};

} // namespace

int NExifOrientation(const uint8_t* body, size_t size)
{
    if (body == nullptr || size < kExifSignatureLength + kTiffHeaderLength
        || std::memcmp(body, kExifSignature, kExifSignatureLength) != 0)
        return kExifUpright;
    TiffReader tiff{body + kExifSignatureLength, size - kExifSignatureLength, false};
    if (tiff.fData[0] == 'I' && tiff.fData[1] == 'I')
        tiff.fLittle = true;
    else if (tiff.fData[0] != 'M' || tiff.fData[1] != 'M')
        return kExifUpright;
    if (tiff.U16(2) != kTiffMagic)
        return kExifUpright;
    size_t ifd = tiff.U32(4);
    if (!tiff.Has(ifd, 2))
        return kExifUpright;
    size_t count = tiff.U16(ifd);
    for (size_t i = 0; i < count; ++i) {
        size_t entry = ifd + 2 + i * kIfdEntryLength;
        if (!tiff.Has(entry, kIfdEntryLength))
            break;
        if (tiff.U16(entry) != kTagOrientation)
            continue;
        if (tiff.U16(entry + 2) != kTypeShort || tiff.U32(entry + 4) != 1)
            return kExifUpright;
        int value = tiff.U16(entry + 8);
        return value >= kExifUpright && value <= kExifTurnedLeft ? value : kExifUpright;
    }
    return kExifUpright;
}
