// Tests of photo preparation: fitting, copying, re-encoding, turning and ink photos.
#include "imaging/NPhotoPreparer.h"

#include "imaging/NExif.h"
#include "tests/imaging/NImagingTestSupport.h"
#include "tests/imaging/NJpegTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;

struct Prepared {
    NPreparedPhoto fResult;
    std::vector<uint8_t> fBytes;
    NTestDecode fDecoded;
};

Prepared PrepareBytes(const std::vector<uint8_t>& bytes)
{
    Prepared prepared;
    NStream in{std::make_unique<NTestByteStream>(bytes)};
    auto* out = new NTestByteStream(std::vector<uint8_t>{}, NStreamMode::kWrite);
    NStream target{std::unique_ptr<NStreamImp>(out)};
    prepared.fResult = NPhotoPreparer().Prepare(in, target);
    prepared.fBytes = out->Bytes();
    if (prepared.fResult.fOk)
        prepared.fDecoded = NTestDecodeBytes(prepared.fBytes);
    return prepared;
}

// A grey picture with a red block over its top-left quarter.
NTestPicture Marked(int32_t width, int32_t height)
{
    NTestPicture picture{width, height, std::vector<uint32_t>(size_t(width) * size_t(height), 0xFF808080)};
    for (int32_t y = 0; y < height / 4; ++y) {
        for (int32_t x = 0; x < width / 4; ++x)
            picture.fPixels[size_t(y) * size_t(width) + size_t(x)] = 0xFFFF0000;
    }
    return picture;
}

bool IsRed(uint32_t pixel)
{
    return (pixel >> 16 & 255) > 200 && (pixel >> 8 & 255) < 60 && (pixel & 255) < 60;
}

bool IsGrey(uint32_t pixel)
{
    auto r = int(pixel >> 16 & 255), g = int(pixel >> 8 & 255), b = int(pixel & 255);
    return std::abs(r - 128) < 12 && std::abs(g - 128) < 12 && std::abs(b - 128) < 12;
}

std::vector<uint8_t> WithOrientation(std::vector<uint8_t> bytes, uint8_t orientation)
{
    const uint8_t exif[] = { 0xFF, 0xE1, 0, 34, 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                             0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, orientation, 0, 0, 0, 0, 0, 0 };
    bytes.insert(bytes.begin() + 2, exif, exif + sizeof exif);
    return bytes;
}

TEST(NPhotoPreparerTest, FitsIntoTheAlbumSizeWidthFirstAndPicksTheSmallestCoveringScale)
{
    auto fit = [](int32_t w, int32_t h) {
        NPhotoPreparer::Fit(w, h);
        return std::pair{w, h};
    };
    EXPECT_EQ(fit(1600, 1200), std::pair(640, 480));
    EXPECT_EQ(fit(480, 640), std::pair(360, 480));
    EXPECT_EQ(fit(500, 900), std::pair(266, 480));
    EXPECT_EQ(fit(4000, 1000), std::pair(640, 160));
    EXPECT_EQ(fit(20000, 3), std::pair(640, 1));
    EXPECT_EQ(NPhotoPreparer::DecodeScale(4000, 3000, 640, 480), 4);
    EXPECT_EQ(NPhotoPreparer::DecodeScale(5120, 3840, 640, 480), 8);
    EXPECT_EQ(NPhotoPreparer::DecodeScale(5113, 3833, 640, 480), 8);   // rounded up: 640 x 480
    EXPECT_EQ(NPhotoPreparer::DecodeScale(1278, 958, 640, 480), 1);
    EXPECT_EQ(NPhotoPreparer::DecodeScale(1279, 959, 640, 480), 2);   // rounded up: 640 x 480
    EXPECT_EQ(NPhotoPreparer::DecodeScale(1280, 960, 640, 480), 2);
}

TEST(NPhotoPreparerTest, LargePhotosAreReencodedAndColourPhotosWithinTheSizeCopied)
{
    Prepared large = PrepareBytes(NTestEncode(NTestPattern(1600, 1200)));
    ASSERT_TRUE(large.fResult.fOk) << large.fResult.fReason;
    EXPECT_FALSE(large.fResult.fCopied);
    EXPECT_EQ(large.fDecoded.fDecoded, NRect(0, 0, 640, 480));
    // The pattern's gradients survive: red grows to the right, green downwards.
    EXPECT_LT(large.fDecoded.fPicture.At(10, 240) >> 16 & 255, 20u);
    EXPECT_GT(large.fDecoded.fPicture.At(630, 240) >> 16 & 255, 235u);
    EXPECT_GT(large.fDecoded.fPicture.At(320, 470) >> 8 & 255, 235u);

    std::vector<uint8_t> exact = NTestEncode(NTestPattern(640, 480));
    Prepared copied = PrepareBytes(exact);
    ASSERT_TRUE(copied.fResult.fOk);
    EXPECT_TRUE(copied.fResult.fCopied);
    EXPECT_EQ(copied.fBytes, exact);

    // A portrait photo stays a portrait: its height is the one that is limited.
    Prepared portrait = PrepareBytes(NTestEncode(NTestPattern(480, 640)));
    ASSERT_TRUE(portrait.fResult.fOk);
    EXPECT_FALSE(portrait.fResult.fCopied);
    EXPECT_EQ(portrait.fDecoded.fDecoded, NRect(0, 0, 360, 480));

    Prepared tall = PrepareBytes(NTestEncode(NTestPattern(500, 900)));
    ASSERT_TRUE(tall.fResult.fOk);
    EXPECT_EQ(tall.fDecoded.fDecoded, NRect(0, 0, 266, 480));
}

TEST(NPhotoPreparerTest, GreyPhotosAreReencodedAndInkPhotosComeOutInColour)
{
    NTestPrefix prefix;
    fs::path in = prefix.Root() / "grey.pgm", out = prefix.Root() / "grey.jpg";
    NTestWritePnm(in, NTestPattern(640, 480), true);
    ASSERT_TRUE(NTestRun("cjpeg -grayscale -outfile " + NTestQuote(out) + " " + NTestQuote(in)));
    std::vector<uint8_t> grey = NTestReadBytes(out);
    Prepared regrey = PrepareBytes(grey);
    ASSERT_TRUE(regrey.fResult.fOk);
    EXPECT_FALSE(regrey.fResult.fCopied);
    EXPECT_NE(regrey.fBytes, grey);
    EXPECT_EQ(regrey.fDecoded.fDecoded, NRect(0, 0, 640, 480));
    NStream probe{std::make_unique<NTestByteStream>(regrey.fBytes)};
    NRect rect;
    int components = 0;
    ASSERT_TRUE(ReadJpegHeader(probe, rect, components));
    EXPECT_EQ(components, 3);

    // Red left half, blue right half, stored as YCCK with an Adobe marker.
    Prepared ink = PrepareBytes(NTestReadBytes(fs::path(LUMORA_TEST_DATA) / "imaging" / "cmyk.jpg"));
    ASSERT_TRUE(ink.fResult.fOk) << ink.fResult.fReason;
    EXPECT_FALSE(ink.fResult.fCopied);
    ASSERT_EQ(ink.fDecoded.fDecoded, NRect(0, 0, 16, 12));
    EXPECT_TRUE(IsRed(ink.fDecoded.fPicture.At(2, 6))) << std::hex << ink.fDecoded.fPicture.At(2, 6);
    uint32_t blue = ink.fDecoded.fPicture.At(13, 6);
    EXPECT_GT(blue & 255, 180u) << std::hex << blue;
    EXPECT_LT(blue >> 16 & 255, 70u) << std::hex << blue;
}

TEST(NPhotoPreparerTest, TurnedPhotosAreStoredUprightWhenReencodedAndKeepTheirTagWhenCopied)
{
    // Taken with the camera turned: stored 1600 x 1200, shown 1200 x 1600 after a right turn.
    Prepared turned = PrepareBytes(WithOrientation(NTestEncode(Marked(1600, 1200)), kExifTurnedRight));
    ASSERT_TRUE(turned.fResult.fOk) << turned.fResult.fReason;
    ASSERT_EQ(turned.fDecoded.fDecoded, NRect(0, 0, 360, 480));
    const NTestPicture& upright = turned.fDecoded.fPicture;
    EXPECT_TRUE(IsRed(upright.At(340, 30))) << std::hex << upright.At(340, 30);
    EXPECT_TRUE(IsGrey(upright.At(20, 30))) << std::hex << upright.At(20, 30);
    EXPECT_TRUE(IsGrey(upright.At(340, 400))) << std::hex << upright.At(340, 400);
    NStream probe{std::make_unique<NTestByteStream>(turned.fBytes)};
    NRect rect;
    int components = 0;
    NJpegHeader header;
    ASSERT_TRUE(ReadJpegHeader(probe, rect, components, &header));
    EXPECT_EQ(header.fOrientation, kExifUpright);

    Prepared mirrored = PrepareBytes(WithOrientation(NTestEncode(Marked(800, 600)), kExifUpsideDown));
    ASSERT_TRUE(mirrored.fResult.fOk);
    ASSERT_EQ(mirrored.fDecoded.fDecoded, NRect(0, 0, 640, 480));
    EXPECT_TRUE(IsRed(mirrored.fDecoded.fPicture.At(630, 470)));
    EXPECT_TRUE(IsGrey(mirrored.fDecoded.fPicture.At(10, 10)));

    // Within the size once turned (360 x 480 shown): copied with its tag.
    std::vector<uint8_t> small = WithOrientation(NTestEncode(Marked(480, 360)), kExifTurnedLeft);
    Prepared copied = PrepareBytes(small);
    EXPECT_TRUE(copied.fResult.fCopied);
    EXPECT_EQ(copied.fBytes, small);
    EXPECT_EQ(copied.fResult.fWidth, 360);
    EXPECT_EQ(copied.fResult.fHeight, 480);
}

TEST(NPhotoPreparerTest, BadPhotosAreSkippedWithAReasonAndTruncatedOnesMarkedPartial)
{
    for (const std::vector<uint8_t>& bad :
         { std::vector<uint8_t>{}, std::vector<uint8_t>{ 0x89, 'P', 'N', 'G', 13, 10, 26, 10 },
           std::vector<uint8_t>{ 0xFF, 0xD8, 0xFF } }) {
        Prepared skipped = PrepareBytes(bad);
        EXPECT_FALSE(skipped.fResult.fOk);
        EXPECT_FALSE(skipped.fResult.fReason.empty());
    }
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(1000, 800));
    bytes.resize(bytes.size() * 2 / 3);
    Prepared partial = PrepareBytes(bytes);
    ASSERT_TRUE(partial.fResult.fOk);
    EXPECT_TRUE(partial.fResult.fPartial);
    EXPECT_NE(partial.fResult.fReason.find("premature end"), std::string::npos) << partial.fResult.fReason;
    EXPECT_EQ(partial.fDecoded.fDecoded, NRect(0, 0, 600, 480));
}

// The files in a folder, by name.
std::vector<std::string> FolderNames(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(NPhotoPreparerTest, FileFormDatesThePhotoAndLeavesAnEarlierTargetWhenSkipped)
{
    NTestPrefix prefix;
    fs::path folder = prefix.MakeFolder("photos");
    fs::path photo = folder / "photo.jpg", target = folder / "out.jpg";
    NTestWriteBytes(photo, NTestEncode(NTestPattern(700, 500)));
    auto past = fs::file_time_type::clock::now() - std::chrono::hours(24 * 400);
    fs::last_write_time(photo, past);
    NPreparedPhoto result = NPhotoPreparer().Prepare(NTestSpec(photo), NTestSpec(target));
    ASSERT_TRUE(result.fOk) << result.fReason;
    EXPECT_EQ(result.fWidth, 640);
    EXPECT_EQ(result.fHeight, 457);
    EXPECT_EQ(result.fDate, NTestSpec(photo).ModTime().fSeconds);
    std::vector<uint8_t> prepared = NTestReadBytes(target);
    ASSERT_FALSE(prepared.empty());

    // A photo that is no JPEG, and one cut off before its first scan line: the target
    // prepared earlier stays byte for byte, and no temporary file is left beside it.
    std::vector<uint8_t> cut = NTestEncode(NTestPattern(900, 700));
    cut.resize(200);
    for (const std::vector<uint8_t>& bad : { std::vector<uint8_t>{ 'n', 'o', 't' }, cut }) {
        NTestWriteBytes(photo, bad);
        result = NPhotoPreparer().Prepare(NTestSpec(photo), NTestSpec(target));
        EXPECT_FALSE(result.fOk);
        EXPECT_EQ(NTestReadBytes(target), prepared);
        EXPECT_EQ(FolderNames(folder), (std::vector<std::string>{ "out.jpg", "photo.jpg" }));
    }
    result = NPhotoPreparer().Prepare(NTestSpec(prefix.Root() / "missing.jpg"), NTestSpec(target));
    EXPECT_FALSE(result.fOk);
    EXPECT_EQ(result.fReason, "the file does not exist");
}

TEST(NPhotoPreparerTest, APhotoPreparedOntoItsOwnNameIsReadWholeFirst)
{
    NTestPrefix prefix;
    fs::path photo = prefix.Root() / "big.jpg";
    NTestWriteBytes(photo, NTestEncode(NTestPattern(1280, 960)));
    NPreparedPhoto result = NPhotoPreparer().Prepare(NTestSpec(photo), NTestSpec(photo));
    ASSERT_TRUE(result.fOk) << result.fReason;
    EXPECT_FALSE(result.fPartial);
    NTestDecode decoded = NTestDecodeBytes(NTestReadBytes(photo));
    EXPECT_EQ(decoded.fDecoded, NRect(0, 0, 640, 480));
}

} // namespace
