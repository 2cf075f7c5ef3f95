// Preparing one customer photo for an album: fitted into 640 x 480, copied or re-encoded.
#pragma once

#include <cstdint>
#include <string>

class NFileSpec;
struct NJpegHeader;
class NStream;

/// What became of one photo.
struct NPreparedPhoto {
    bool fOk = false;          // the target holds the photo to add
    bool fCopied = false;      // the target holds the source's bytes unchanged
    bool fPartial = false;     // the data ended early or was damaged; the rest is grey
    int32_t fWidth = 0;        // the stored picture's size
    int32_t fHeight = 0;
    uint32_t fDate = 0;        // seconds since 1970, set by the file form of Prepare
    std::string fReason;       // why the photo was skipped, or what was damaged
};

/// A photo already within 640 x 480 (after its EXIF turn) with three colour components is
/// copied unchanged, tag and all. Any other is decoded at the smallest 1/2, 1/4 or 1/8
/// scale that still covers its fitted size, turned upright, resampled with filtering and
/// written at quality 90; ink (CMYK, YCCK) photos come out in RGB. Holds no state, so
/// photos may be prepared on several threads at once.
class NPhotoPreparer {
public:
    static constexpr int32_t kFitWidth = 640;
    static constexpr int32_t kFitHeight = 480;
    static constexpr int kQuality = 90;
    static constexpr int kScales[] = { 8, 4, 2 };

    /// Fits width x height into 640 x 480 keeping the aspect ratio: the width first, then
    /// the height, results truncated but at least 1.
    static void Fit(int32_t& width, int32_t& height);
    /// The largest scale of kScales whose decode still covers fitWidth x fitHeight; 1 when none.
    static int DecodeScale(int32_t width, int32_t height, int32_t fitWidth, int32_t fitHeight);
    /// The earlier of the file's modification and creation times.
    static uint32_t PhotoDate(const NFileSpec& photo);

    /// Reads the photo from source (at its start) and writes the album's photo to target.
    /// File errors of the streams propagate as exceptions.
    NPreparedPhoto Prepare(NStream& source, NStream& target) const;
    /// The file form: the date, then the stream form into a new target file. Never throws:
    /// file errors become a skip with their reason.
    NPreparedPhoto Prepare(const NFileSpec& source, const NFileSpec& target) const;

private:
    bool Reencode(NStream& source, NStream& target, const NJpegHeader& header, int32_t width, int32_t height,
                  NPreparedPhoto& result) const;
};
