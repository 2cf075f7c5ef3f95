// Photo preparation: header, fitting, copying or decoding at scale, turning and resampling.
#include "imaging/NPhotoPreparer.h"

#include "imaging/NDrawTransformed.h"
#include "imaging/NExif.h"
#include "imaging/NJpeg.h"
#include "imaging/NSpMemImage.h"
#include "storage/NFileException.h"
#include "storage/NFileReplacement.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int32_t kBytesPerPixel = 4;

// Where the source's top-left, top-right and bottom-left corners go for each orientation,
// as multiples (0 or 1) of the destination's width and height.
struct Corners {
    int8_t fX[3];
    int8_t fY[3];
};

constexpr Corners kOrientationCorners[] = {
    { { 0, 1, 0 }, { 0, 0, 1 } },   // upright
    { { 0, 1, 0 }, { 0, 0, 1 } },   // 1: upright
    { { 1, 0, 1 }, { 0, 0, 1 } },   // 2: mirrored
    { { 1, 0, 1 }, { 1, 1, 0 } },   // 3: upside down
    { { 0, 1, 0 }, { 1, 1, 0 } },   // 4: flipped
    { { 0, 0, 1 }, { 0, 1, 0 } },   // 5: transposed
    { { 1, 1, 0 }, { 0, 1, 0 } },   // 6: turned right
    { { 1, 1, 0 }, { 1, 0, 1 } },   // 7: transverse
    { { 0, 0, 1 }, { 1, 0, 1 } },   // 8: turned left
};

NPreparedPhoto Skip(std::string reason)
{
    NPreparedPhoto result;
    result.fReason = std::move(reason);
    return result;
}

} // namespace

void NPhotoPreparer::Fit(int32_t& width, int32_t& height)
{
    int64_t w = width, h = height;
    if (w > kFitWidth) {
        h = h * kFitWidth / w;
        w = kFitWidth;
    }
    if (h > kFitHeight) {
        w = w * kFitHeight / h;
        h = kFitHeight;
    }
    // A sliver of a picture keeps one pixel rather than vanishing.
    width = int32_t(std::max<int64_t>(w, 1));
    height = int32_t(std::max<int64_t>(h, 1));
}

int NPhotoPreparer::DecodeScale(int32_t width, int32_t height, int32_t fitWidth, int32_t fitHeight)
{
    for (int scale : kScales) {
        if ((int64_t(width) + scale - 1) / scale >= fitWidth && (int64_t(height) + scale - 1) / scale >= fitHeight)
            return scale;
    }
    return 1;
}

uint32_t NPhotoPreparer::PhotoDate(const NFileSpec& photo)
{
    return std::min(photo.ModTime().fSeconds, photo.ChangeTime().fSeconds);
}

NPreparedPhoto NPhotoPreparer::Prepare(NStream& source, NStream& target) const
{
    NRect rect;
    int components = 0;
    NJpegHeader header;
    std::string message;
    int64_t start = source.GetPosition();
    if (!ReadJpegHeader(source, rect, components, &header, &message))
        return Skip(message.empty() ? "not a readable JPEG file" : message);
    if (header.fWidth <= 0 || header.fHeight <= 0)
        return Skip("the picture has no size");
    if (components != kJpegGrayComponents && components != kJpegColorComponents
        && components != kJpegInkComponents)
        return Skip("unsupported number of colour components (" + std::to_string(components) + ")");
    int32_t width = header.fWidth, height = header.fHeight;
    if (NExifSwapsSize(header.fOrientation))
        std::swap(width, height);
    int32_t fitWidth = width, fitHeight = height;
    Fit(fitWidth, fitHeight);

    NPreparedPhoto result;
    source.Seek(start);
    if (fitWidth == width && fitHeight == height && components == kJpegColorComponents) {
        NStream::Copy(source, target);
        result.fOk = true;
        result.fCopied = true;
    } else if (!Reencode(source, target, header, fitWidth, fitHeight, result)) {
        return result;
    }
    result.fWidth = fitWidth;
    result.fHeight = fitHeight;
    return result;
}

bool NPhotoPreparer::Reencode(NStream& source, NStream& target, const NJpegHeader& header, int32_t width,
                              int32_t height, NPreparedPhoto& result) const
{
    // Decode in the stored orientation, at the scale that covers the unturned fitted size.
    int orientation = header.fOrientation;
    bool swaps = NExifSwapsSize(orientation);
    int scale = DecodeScale(header.fWidth, header.fHeight, swaps ? height : width, swaps ? width : height);
    if (!JpegDecodeFits(header.fWidth, header.fHeight, scale)) {
        result.fReason = "the picture is too large (" + std::to_string(header.fWidth) + " x "
                         + std::to_string(header.fHeight) + ")";
        return false;
    }
    int32_t decodedWidth = (header.fWidth + scale - 1) / scale;
    int32_t decodedHeight = (header.fHeight + scale - 1) / scale;
    auto pixels = std::make_unique_for_overwrite<uint32_t[]>(size_t(decodedWidth) * size_t(decodedHeight));
    NJpegDecoder decoder;
    NRect decoded;
    NJpegDecodeOptions options;
    options.fInkToRgb = true;
    NRect all(0, 0, int16_t(decodedWidth), int16_t(decodedHeight));
    if (!BeginJpegDecode(decoder, source, pixels.get(), decodedWidth, decoded, nullptr, all, scale, options)
        || decoded != all || !FinishJpegDecode(decoder)) {
        result.fReason = decoder.LastMessage().empty() ? "the picture cannot be decoded" : decoder.LastMessage();
        return false;
    }
    if (decoder.HadWarnings()) {
        result.fPartial = true;
        result.fReason = decoder.LastMessage();
    }

    NSpMemImage picture;
    picture.SetBits(reinterpret_cast<uint8_t*>(pixels.get()), int16_t(decodedWidth), int16_t(decodedHeight),
                    decodedWidth * kBytesPerPixel, 32, nullptr);
    std::vector<uint32_t> fitted(size_t(width) * size_t(height));
    NSpMemImage album;
    album.SetBits(reinterpret_cast<uint8_t*>(fitted.data()), int16_t(width), int16_t(height), width * kBytesPerPixel,
                  32, nullptr);
    const Corners& corners = kOrientationCorners[orientation >= kExifUpright && orientation <= kExifTurnedLeft ? orientation : 0];
    NTransformPoint from[3] = { { 0, 0 }, { double(decodedWidth), 0 }, { 0, double(decodedHeight) } };
    NTransformPoint to[3];
    for (int i = 0; i < 3; ++i)
        to[i] = { double(corners.fX[i] * width), double(corners.fY[i] * height) };
    DrawTransformed(picture, album, picture.Bounds(), album.Bounds(), from, to, 0, true, kTransformOpaque,
                    NSpImage::kFullPercent);
    picture.SetBits(nullptr, 0, 0, 0, 32, nullptr);
    pixels.reset();
    bool written = WriteJpeg(target, album, kQuality);
    album.SetBits(nullptr, 0, 0, 0, 32, nullptr);
    if (!written) {
        result.fReason = "the photo cannot be encoded";
        return false;
    }
    result.fOk = true;
    return true;
}

NPreparedPhoto NPhotoPreparer::Prepare(const NFileSpec& source, const NFileSpec& target) const
{
    if (!source.Exists())
        return Skip("the file does not exist");
    uint32_t date = PhotoDate(source);
    NPreparedPhoto result;
    try {
        NStream in = source.Open(NStreamMode::kRead);
        // Written beside the target and moved over it only when complete, so a skipped or
        // failed photo leaves an earlier target as it was, and a photo prepared onto its own
        // name is read whole before it is replaced.
        NFileReplacement replacement(target);
        NStream out = replacement.Temporary().Open(NStreamMode::kWrite);
        result = Prepare(in, out);
        out.Close();
        in.Reset();
        if (result.fOk)
            replacement.Commit();
    } catch (const NFileException& error) {
        result = Skip(error.what());
    }
    result.fDate = date;
    return result;
}
