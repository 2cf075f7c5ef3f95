// Images of sprite files: header read with the set, pixels read on first draw.
#pragma once

#include "imaging/NSpImage.h"
#include "storage/NStream.h"

#include <cstdint>
#include <vector>

class NSpSet;

/// Run-length images (the usual kind) keep their rows encoded and draw through the row
/// decoders; images without the run-length flag hold width x height raw pixels and draw
/// through the generic loops. Row bytes equal width x depth / 8.
class NSpFileImage : public NSpImage {
public:
    NSpFileImage();
    ~NSpFileImage() override;

    // Residency
    /// Reads the row table and the pixel data unless they are resident; a file error
    /// leaves the image not resident.
    void Load() override;
    void Unload() override;

    // Pixels
    const uint8_t* GetBits() const override;
    uint8_t* GetBits() override;
    void FreeBits() override;

    // Drawing
    bool DrawTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, bool flipVertically,
                bool mirror) override;
    bool MaskTo(uint8_t* destination, NSpImage& destinationImage, const NRect& source, int mode, int percent) override;

    // File
    /// Purges, then reads the 16-byte image header; throws NFileException at the end of data.
    virtual void ReadHeader(NStream& stream, NSpSet& set, const NPalette& palette);
    virtual void Purge();

    bool IsResident() const { return fResident; }
    int32_t Offset() const { return fOffset; }
    int32_t Size() const { return fSize; }
    /// Start of each row within the pixel data; empty unless resident.
    const std::vector<uint32_t>& RowStarts() const { return fRowStarts; }

private:
    void ReadPixelBlock(NStream& stream, bool compressed);
    /// The 8-bit decoding of rect, row by row, through the writer chosen once per call.
    bool DrawRuns(uint8_t* destination, const NSpImage& destinationImage, const NRect& rect, bool flipVertically,
                  bool mirror);
    bool MaskRuns(uint8_t* destination, const NSpImage& destinationImage, const NRect& rect, int mode, int percent);
    bool RawFits() const;

    NSpSet* fSet = nullptr;
    int32_t fOffset = 0;
    int32_t fSize = 0;
    std::vector<uint32_t> fRowStarts;
    std::vector<uint8_t> fData;
    bool fResident = false;
};
