// Tests of the JPEG glue: header probe, decoding at scales against djpeg, sliced decoding,
// bad input, and the encoder against cjpeg.
#include "imaging/NJpeg.h"

#include "imaging/NExif.h"
#include "framework/NAppClock.h"
#include "storage/NFileException.h"
#include "tests/imaging/NJpegTestSupport.h"

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> DataFile(const std::string& name)
{
    return NTestReadBytes(fs::path(LUMORA_TEST_DATA) / "imaging" / name);
}

class NJpegTest : public ::testing::Test {
protected:
    /// Encodes the picture with cjpeg and the given options.
    std::vector<uint8_t> Cjpeg(const NTestPicture& picture, const std::string& options, bool grey = false)
    {
        fs::path in = fPrefix.Root() / "in.pnm", out = fPrefix.Root() / "out.jpg";
        NTestWritePnm(in, picture, grey);
        if (!NTestRun("cjpeg " + options + " -outfile " + NTestQuote(out) + " " + NTestQuote(in)))
            return {};
        return NTestReadBytes(out);
    }

    /// djpeg's decode of the bytes at 1 / scale.
    NTestPicture Djpeg(const std::vector<uint8_t>& bytes, int scale)
    {
        fs::path in = fPrefix.Root() / "ref.jpg", out = fPrefix.Root() / "ref.pnm";
        NTestWriteBytes(in, bytes);
        if (!NTestRun("djpeg -pnm -scale 1/" + std::to_string(scale) + " -outfile " + NTestQuote(out) + " "
                      + NTestQuote(in)))
            return {};
        return NTestReadPnm(out);
    }

    void ExpectSameAsDjpeg(const std::vector<uint8_t>& bytes, const char* what)
    {
        ASSERT_FALSE(bytes.empty()) << what;
        for (int scale : { 1, 4 }) {
            NTestPicture reference = Djpeg(bytes, scale);
            ASSERT_GT(reference.fWidth, 0) << what;
            NTestDecode ours = NTestDecodeBytes(bytes, scale);
            ASSERT_TRUE(ours.fOk) << what << " at 1/" << scale;
            EXPECT_EQ(ours.fDecoded, NRect(0, 0, int16_t(reference.fWidth), int16_t(reference.fHeight)));
            size_t differing = 0;
            for (size_t i = 0; i < reference.fPixels.size(); ++i)
                differing += ours.fPicture.fPixels[i] != reference.fPixels[i];
            EXPECT_EQ(differing, 0u) << what << " at 1/" << scale;
        }
    }

    NTestPrefix fPrefix;
};

TEST_F(NJpegTest, DecodesPixelForPixelLikeDjpegAtFullAndQuarterScale)
{
    NTestPicture picture = NTestPattern(203, 149);
    ExpectSameAsDjpeg(NTestEncode(picture), "baseline 4:2:0");
    ExpectSameAsDjpeg(Cjpeg(picture, "-quality 85 -progressive"), "progressive");
    ExpectSameAsDjpeg(Cjpeg(picture, "-quality 80 -grayscale", true), "greyscale");
    ExpectSameAsDjpeg(Cjpeg(picture, "-quality 80 -arithmetic"), "arithmetic");
    ExpectSameAsDjpeg(Cjpeg(picture, "-quality 95 -sample 1x1"), "4:4:4");
}

TEST_F(NJpegTest, GreyIsOpaqueAndInkRowsAreLeftUnlessConverted)
{
    NTestPicture grey = NTestPattern(16, 8);
    NTestDecode decoded = NTestDecodeBytes(Cjpeg(grey, "-grayscale", true));
    ASSERT_TRUE(decoded.fOk);
    for (uint32_t pixel : decoded.fPicture.fPixels) {
        EXPECT_EQ(pixel >> 24, 0xFFu);
        EXPECT_EQ(pixel & 0xFF, (pixel >> 8) & 0xFF);
        EXPECT_EQ(pixel & 0xFF, (pixel >> 16) & 0xFF);
    }

    // A four-component picture (red left half, blue right half): untouched rows by default.
    std::vector<uint8_t> ink = DataFile("cmyk.jpg");
    NStream probe{std::make_unique<NTestByteStream>(ink)};
    NRect rect;
    int components = 0;
    NJpegHeader header;
    ASSERT_TRUE(ReadJpegHeader(probe, rect, components, &header));
    EXPECT_EQ(components, 4);
    EXPECT_EQ(rect, NRect(0, 0, 16, 12));
    EXPECT_TRUE(header.fAdobe);
    decoded = NTestDecodeBytes(ink, 1, NJpegDecodeOptions(), 0x12345678);
    ASSERT_TRUE(decoded.fOk);
    for (uint32_t pixel : decoded.fPicture.fPixels)
        EXPECT_EQ(pixel, 0x12345678u);

    NJpegDecodeOptions toRgb;
    toRgb.fInkToRgb = true;
    decoded = NTestDecodeBytes(ink, 1, toRgb);
    ASSERT_TRUE(decoded.fOk);
    uint32_t left = decoded.fPicture.At(2, 6), right = decoded.fPicture.At(13, 6);
    EXPECT_GT((left >> 16) & 0xFF, 200u) << std::hex << left;
    EXPECT_LT(left & 0xFF, 60u) << std::hex << left;
    EXPECT_GT(right & 0xFF, 200u) << std::hex << right;
    EXPECT_LT((right >> 16) & 0xFF, 60u) << std::hex << right;
}

TEST_F(NJpegTest, ScalesOtherThanPowersOfTwoDecodeAtFullSizeAndEighthsRoundUp)
{
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(100, 75));
    NTestDecode full = NTestDecodeBytes(bytes, 3);
    ASSERT_TRUE(full.fOk);
    EXPECT_EQ(full.fDecoded, NRect(0, 0, 100, 75));
    NTestDecode eighth = NTestDecodeBytes(bytes, 8);
    ASSERT_TRUE(eighth.fOk);
    EXPECT_EQ(eighth.fDecoded, NRect(0, 0, 13, 10));
}

TEST_F(NJpegTest, TruncatedScanCompletesWithAWarningAndEmptyOrForeignInputFails)
{
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(64, 64));
    bytes.resize(bytes.size() / 2);
    NStream stream{std::make_unique<NTestByteStream>(bytes)};
    std::vector<uint32_t> pixels(64 * 64, 0);
    NJpegDecoder decoder;
    NRect decoded;
    ASSERT_TRUE(BeginJpegDecode(decoder, stream, pixels.data(), 64, decoded, nullptr, NRect(0, 0, 64, 64), 1));
    EXPECT_TRUE(FinishJpegDecode(decoder));
    EXPECT_TRUE(decoder.IsFinished());
    EXPECT_EQ(decoder.RowsDone(), 64);
    EXPECT_TRUE(decoder.HadWarnings());
    // The source's end-of-file warning, then the library's own about the cut segment.
    EXPECT_NE(decoder.LastMessage().find("premature end"), std::string::npos) << decoder.LastMessage();

    for (const std::vector<uint8_t>& bad : { std::vector<uint8_t>{}, std::vector<uint8_t>{ 'G', 'I', 'F', '8', '9' } }) {
        NStream input{std::make_unique<NTestByteStream>(bad)};
        NJpegDecoder failing;
        EXPECT_FALSE(BeginJpegDecode(failing, input, pixels.data(), 64, decoded, nullptr, NRect(0, 0, 64, 64), 1));
        EXPECT_FALSE(failing.IsFinished());
        EXPECT_FALSE(failing.LastMessage().empty());
        EXPECT_FALSE(ContinueJpegDecode(failing, 0));
        NStream probe{std::make_unique<NTestByteStream>(bad)};
        NRect rect(1, 1, 1, 1);
        int components = 7;
        EXPECT_FALSE(ReadJpegHeader(probe, rect, components));
        EXPECT_EQ(rect, NRect());
        EXPECT_EQ(components, 0);
    }
}

TEST_F(NJpegTest, ReadsThroughAStreamOfOneByteACallAndRethrowsStreamFailures)
{
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(40, 30));
    NTestDecode reference = NTestDecodeBytes(bytes);
    NStream trickle{std::make_unique<NTrickleStream>(std::make_unique<NTestByteStream>(bytes))};
    std::vector<uint32_t> pixels(40 * 30);
    NJpegDecoder decoder;
    NRect decoded;
    ASSERT_TRUE(BeginJpegDecode(decoder, trickle, pixels.data(), 40, decoded, nullptr, NRect(0, 0, 40, 30), 1));
    ASSERT_TRUE(FinishJpegDecode(decoder));
    EXPECT_EQ(pixels, reference.fPicture.fPixels);

    // A stream that fails after the header: the exception comes out of the C++ caller.
    class FailingStream : public NTestByteStream {
    public:
        using NTestByteStream::NTestByteStream;
        int32_t Read(int32_t length, void* buffer) override
        {
            if (fReads++ > 0)
                throw NFileException(kFileHostFailure, "disc");
            return NTestByteStream::Read(std::min(length, 400), buffer);
        }
        int fReads = 0;
    };
    NStream failing{std::make_unique<FailingStream>(bytes)};
    NJpegDecoder broken;
    EXPECT_THROW(
        {
            if (BeginJpegDecode(broken, failing, pixels.data(), 40, decoded, nullptr, NRect(0, 0, 40, 30), 1))
                FinishJpegDecode(broken);
        },
        NFileException);
}

TEST_F(NJpegTest, RowsBeyondTheTargetAreNotWritten)
{
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(50, 40));
    // A target of 20 x 10 inside a buffer with a guard band on the right and below.
    std::vector<uint32_t> pixels(32 * 16, 0xDEADBEEF);
    NStream stream{std::make_unique<NTestByteStream>(bytes)};
    NJpegDecoder decoder;
    NRect decoded;
    ASSERT_TRUE(BeginJpegDecode(decoder, stream, pixels.data(), 32, decoded, nullptr, NRect(0, 0, 20, 10), 1));
    ASSERT_TRUE(FinishJpegDecode(decoder));
    EXPECT_EQ(decoded, NRect(0, 0, 50, 40));
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 32; ++x)
            EXPECT_EQ(pixels[size_t(y * 32 + x)] == 0xDEADBEEF, x >= 20 || y >= 10) << x << "," << y;
    }
}

TEST_F(NJpegTest, HugeProgressiveHeaderFailsWithinTheMemoryLimit)
{
    std::vector<uint8_t> bytes = Cjpeg(NTestPattern(32, 32), "-progressive");
    ASSERT_FALSE(bytes.empty());
    // Patch the frame header to 20000 x 15000: the coefficient store would need about 900 MB.
    size_t at = 2;
    while (at + 9 < bytes.size() && !(bytes[at] == 0xFF && bytes[at + 1] == 0xC2))
        at += 2 + size_t(bytes[at + 2] << 8 | bytes[at + 3]);
    ASSERT_LT(at + 9, bytes.size());
    bytes[at + 5] = 15000 >> 8;
    bytes[at + 6] = 15000 & 0xFF;
    bytes[at + 7] = 20000 >> 8;
    bytes[at + 8] = 20000 & 0xFF;
    NStream stream{std::make_unique<NTestByteStream>(bytes)};
    NJpegDecoder decoder;
    NRect decoded;
    EXPECT_FALSE(BeginJpegDecode(decoder, stream, nullptr, 0, decoded, nullptr, NRect(), 8));
    EXPECT_FALSE(decoder.LastMessage().empty());

    EXPECT_FALSE(JpegDecodeFits(20000, 15000, 1));
    EXPECT_TRUE(JpegDecodeFits(20000, 15000, 8));
    EXPECT_FALSE(JpegDecodeFits(0, 15000, 8));
}

class ManualSource : public NAppClock::Source {
public:
    // Every reading moves the clock on by one millisecond.
    uint32_t Milliseconds() override { return fNow++; }
    uint32_t fNow = 1000;
};

TEST_F(NJpegTest, SlicedDecodeStopsAtTheDeadlineAndEndsLikeAnAtOnceDecode)
{
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(60, 90));
    NTestDecode reference = NTestDecodeBytes(bytes);
    ManualSource source;
    NAppClock::The().SetSource(&source);
    NStream stream{std::make_unique<NTestByteStream>(bytes)};
    std::vector<uint32_t> pixels(60 * 90, 0);
    NJpegDecoder decoder;
    NRect decoded;
    ASSERT_TRUE(BeginJpegDecode(decoder, stream, pixels.data(), 60, decoded, nullptr, NRect(0, 0, 60, 90), 1));
    int slices = 0;
    int32_t previous = 0;
    while (!decoder.IsFinished() && slices < 1000) {
        ASSERT_TRUE(ContinueJpegDecode(decoder, NAppClock::The().Now() + 10));
        ++slices;
        if (!decoder.IsFinished()) {
            EXPECT_GT(decoder.RowsDone(), previous);
            EXPECT_LE(decoder.RowsDone() - previous, 10);
        }
        previous = decoder.RowsDone();
    }
    NAppClock::The().SetSource(nullptr);
    EXPECT_TRUE(decoder.IsFinished());
    EXPECT_GE(slices, 9);
    EXPECT_EQ(pixels, reference.fPicture.fPixels);
    EXPECT_TRUE(ContinueJpegDecode(decoder, 0));
}

TEST_F(NJpegTest, WriterMatchesCjpegAndStoresTransparentPixelsAsOpaque)
{
    NTestPicture picture = NTestPattern(48, 33);
    EXPECT_EQ(NTestEncode(picture, 90), Cjpeg(picture, "-quality 90"));

    NTestPicture clear{16, 16, std::vector<uint32_t>(256, 0x00C81E1E)};
    NTestDecode decoded = NTestDecodeBytes(NTestEncode(clear, 95));
    ASSERT_TRUE(decoded.fOk);
    uint32_t pixel = decoded.fPicture.At(8, 8);
    EXPECT_EQ(pixel >> 24, 0xFFu);
    EXPECT_NEAR(int(pixel >> 16 & 0xFF), 0xC8, 3);
    EXPECT_NEAR(int(pixel >> 8 & 0xFF), 0x1E, 3);

    NSpMemImage eight;
    std::vector<uint8_t> indexes(16, 1);
    eight.SetBits(indexes.data(), 4, 4, 4, 8, nullptr);
    NStream out{std::make_unique<NTestByteStream>(std::vector<uint8_t>{}, NStreamMode::kWrite)};
    EXPECT_FALSE(WriteJpeg(out, eight, 90));
    eight.SetBits(nullptr, 0, 0, 0, 8, nullptr);
}

TEST_F(NJpegTest, HeaderGivesTheExifOrientation)
{
    // "Exif\0\0", then a big-endian TIFF block with one IFD entry: orientation 6.
    const uint8_t bigEndian[] = { 'E', 'x', 'i', 'f', 0, 0, 'M', 'M', 0, 42, 0, 0, 0, 8, 0, 1,
                                  0x01, 0x12, 0, 3, 0, 0, 0, 1, 0, 6, 0, 0, 0, 0, 0, 0 };
    EXPECT_EQ(NExifOrientation(bigEndian, sizeof bigEndian), kExifTurnedRight);
    const uint8_t littleEndian[] = { 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0,
                                     0x0F, 0x01, 2, 0, 4, 0, 0, 0, 'a', 'b', 'c', 0,
                                     0x12, 0x01, 3, 0, 1, 0, 0, 0, 8, 0, 0, 0 };
    EXPECT_EQ(NExifOrientation(littleEndian, sizeof littleEndian), kExifTurnedLeft);
    // Damaged blocks: the IFD offset beyond the end, an out-of-range value, a cut entry.
    uint8_t damaged[sizeof bigEndian];
    std::memcpy(damaged, bigEndian, sizeof damaged);
    damaged[13] = 200;
    EXPECT_EQ(NExifOrientation(damaged, sizeof damaged), kExifUpright);
    std::memcpy(damaged, bigEndian, sizeof damaged);
    damaged[25] = 9;
    EXPECT_EQ(NExifOrientation(damaged, sizeof damaged), kExifUpright);
    EXPECT_EQ(NExifOrientation(bigEndian, 20), kExifUpright);

    // The same block as an APP1 marker right after the start of image.
    std::vector<uint8_t> bytes = NTestEncode(NTestPattern(20, 10));
    std::vector<uint8_t> marker = { 0xFF, 0xE1, 0, uint8_t(sizeof bigEndian + 2) };
    marker.insert(marker.end(), bigEndian, bigEndian + sizeof bigEndian);
    bytes.insert(bytes.begin() + 2, marker.begin(), marker.end());
    NStream stream{std::make_unique<NTestByteStream>(bytes)};
    NRect rect;
    int components = 0;
    NJpegHeader header;
    ASSERT_TRUE(ReadJpegHeader(stream, rect, components, &header));
    EXPECT_EQ(header.fOrientation, kExifTurnedRight);
    EXPECT_EQ(rect, NRect(0, 0, 20, 10));
    EXPECT_EQ(components, 3);
}

} // namespace
