// Sprite sets read from files: row tables, compressed blocks, lazy loading and damaged files.
#include "imaging/NSpSet.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NCanvasMaker.h"
#include "imaging/NSpFileImage.h"
#include "imaging/NSpFrame.h"
#include "imaging/NSpriteFile.h"
#include "storage/NFileException.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamMem.h"
#include "tests/imaging/NImagingTestSupport.h"
#include "tests/support/NTestPrefix.h"
#include "platform/NHostBitmap.h"

#include <gtest/gtest.h>

namespace {

struct Frame {
    int32_t fImage;
    int32_t fX;
    int32_t fY;
};

struct Image {
    int32_t fOffset;
    int32_t fSize;
    int16_t fWidth;
    int16_t fHeight;
    uint8_t fDepth = 8;
    uint8_t fKey = 0;
    uint8_t fTransparent = 0;
    uint8_t fRunLength = 1;
};

std::string Compress(const std::string& plain)
{
    std::vector<uint8_t> block(plain.size() * 2 + 64);
    NStream out(std::make_unique<NStreamMem>(block.data(), int64_t(block.size()), NStreamMode::kWrite));
    {
        NStream filter(std::make_unique<NStreamCompress>(out));
        filter.WriteFully(int32_t(plain.size()), plain.data());
        filter.Close();
    }
    return std::string(reinterpret_cast<char*>(block.data()), size_t(out.GetPosition()));
}

class NSpSetTest : public ::testing::Test {
protected:
    static std::string Header(int32_t version, int32_t frames, int32_t images, const std::string& palette = "")
    {
        std::string name = palette;
        name.resize(kSpritePaletteNameSize, '\0');
        return NBigEndian32(version) + NBigEndian32(frames) + NBigEndian32(images) + NBigEndian32(77) + name
            + std::string(kSpriteReservedSize, '\x5A');
    }

    static std::string Directory(const std::vector<Frame>& frames, const std::vector<Image>& images)
    {
        std::string out;
        for (const Frame& frame : frames)
            out += NBigEndian32(frame.fImage) + NBigEndian32(-1) + NBigEndian32(frame.fX) + NBigEndian32(frame.fY);
        for (const Image& image : images)
            out += NBigEndian32(image.fOffset) + NBigEndian32(image.fSize) + NBigEndian16(image.fWidth)
                + NBigEndian16(image.fHeight) + NBytes({ image.fDepth, image.fKey, image.fTransparent, image.fRunLength });
        return out;
    }

    // A plain file of one frame and one image whose block (row table + data) follows.
    static std::string PlainFile(Image image, const std::string& block, const std::string& palette = "")
    {
        image.fOffset = kSpriteHeaderSize + 2 * kSpriteFrameRecordSize;
        return Header(kSpriteVersionPlain, 1, 1, palette) + Directory({ { 0, 3, -4 } }, { image }) + block;
    }

    static std::string RowTable(std::initializer_list<int> values)
    {
        std::string table;
        for (int value : values)
            table += NBigEndian16(value);
        return table;
    }

    NFileSpec Write(const std::string& name, const std::string& bytes)
    {
        NTestPrefix::WriteFile(fPrefix.Root() / name, bytes);
        return NTestSpec(fPrefix.Root() / name);
    }

    // Reads the file into fSet; the result of ReadSet.
    bool Read(const NFileSpec& spec)
    {
        NStream stream = spec.Open(NStreamMode::kRead);
        return fSet.ReadSet(stream, spec);
    }

    NSpFileImage* FileImage(int index) { return static_cast<NSpFileImage*>(fSet.GetImageAt(index)); }

    // Draws the image of frame 0 into an 8-bit column of its size, filled with 0xEE first.
    std::vector<uint8_t> DrawColumn(bool flip = false)
    {
        NSpImage* image = fSet.GetFrame(0)->GetImage();
        NTestImage target(image->Width(), image->Height(), 8, 0xEE);
        EXPECT_TRUE(image->DrawAt(image->Bounds(), target.Image(), NPoint(0, 0), nullptr, flip, false));
        return target.Bytes();
    }

    NTestPrefix fPrefix;
    NSpSet fSet;
};

TEST_F(NSpSetTest, PlainRowStartsWrapAtSixtyFiveThousandFiveHundredThirtySix)
{
    std::string data(65800, '\0');
    data.replace(65000, 4, NBytes({ 1, 11, 0, 0 }));
    data.replace(65500, 4, NBytes({ 1, 22, 0, 0 }));
    data.replace(65736, 4, NBytes({ 1, 33, 0, 1 }));
    Image image { 0, int32_t(data.size()), 1, 3 };
    ASSERT_TRUE(Read(Write("wrap.xps", PlainFile(image, RowTable({ 65000, 65500, 200 }) + data))));
    EXPECT_FALSE(fSet.IsCompressed());
    EXPECT_EQ(fSet.Spare(), 77);
    NSpFileImage* file = FileImage(0);
    ASSERT_NE(file, nullptr);
    EXPECT_FALSE(file->IsResident()) << "pixels wait for the first draw";
    EXPECT_EQ(DrawColumn(), (std::vector<uint8_t> { 11, 22, 33 }));
    EXPECT_EQ(file->RowStarts(), (std::vector<uint32_t> { 65000, 65500, 65736 }));
    EXPECT_EQ(DrawColumn(true), (std::vector<uint8_t> { 33, 22, 11 }));
    EXPECT_EQ(fSet.StreamUsers(), 0) << "the stream closes once the image is loaded";
}

TEST_F(NSpSetTest, CompressedRowTablesHoldIncrements)
{
    std::string data = NBytes({ 1, 11, 0, 0 }) + std::string(6, '\0') + NBytes({ 1, 22, 0, 0 }) + std::string(8, '\0')
        + NBytes({ 1, 33, 0, 1 });
    Image image { 0, int32_t(data.size()), 1, 3 };
    std::string block = Compress(RowTable({ 0, 10, 12 }) + data);
    image.fOffset = kSpriteCompressedHeaderSize;
    std::string directory = Compress(Directory({ { 0, 0, 0 } }, { image }));
    int32_t directoryAt = kSpriteCompressedHeaderSize + int32_t(block.size());
    std::string file = Header(0x00030000, 1, 1) + NBigEndian32(directoryAt) + block + directory;
    ASSERT_TRUE(Read(Write("packed.xps", file)));
    EXPECT_TRUE(fSet.IsCompressed());
    EXPECT_EQ(DrawColumn(), (std::vector<uint8_t> { 11, 22, 33 }));
    EXPECT_EQ(FileImage(0)->RowStarts(), (std::vector<uint32_t> { 0, 10, 22 }));
}

TEST_F(NSpSetTest, HeaderFieldsFramesAndThePaletteBesideTheFile)
{
    std::vector<uint8_t> colors(768, 0);
    colors[3 * 100] = 12;
    colors[3 * 100 + 1] = 34;
    colors[3 * 100 + 2] = 56;
    Write("Mine.pal", NRiffPalette(colors));
    Image image { 0, 4, 2, 1, 8, 200, 1, 1 };
    ASSERT_TRUE(Read(Write("frame.xps", PlainFile(image, RowTable({ 0 }) + NBytes({ 2, 100, 0, 1 }), "Mine.pal"))));
    EXPECT_EQ(fSet.PaletteName(), "Mine.pal");
    NSpFrame* frame = fSet.GetFrame(0);
    EXPECT_EQ(frame->fOffset, NPoint(3, -4));
    EXPECT_EQ(frame->fReserved, -1);
    EXPECT_EQ(frame->GetBounds(), NRect(0, 0, 2, 1));
    NSpFileImage* file = FileImage(0);
    EXPECT_EQ(file->KeyIndex(), 200);
    EXPECT_EQ(file->Flags(), kImageTransparent | kImageRunLength | kImageHeaderRead);
    NTestImage target(2, 1, 32);
    ASSERT_TRUE(file->DrawAt(file->Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Get32(1, 0), 0xFF0C2238u);
}

TEST_F(NSpSetTest, FilePixelsReadThroughGetPixelAndTheKeyReadsAsZero)
{
    Image image { 0, 6, 3, 1, 8, 200, 1, 1 };
    ASSERT_TRUE(Read(Write("hit.xps", PlainFile(image, RowTable({ 0 }) + NBytes({ 2, 200, 1, 7, 0, 1 })))));
    NSpImage* file = fSet.GetImageAt(0);
    EXPECT_EQ(file->GetPixel(0, 0), 0);
    EXPECT_EQ(file->GetPixel(2, 0), 7);
    EXPECT_EQ(file->GetPixel(3, 0), 0);
}

TEST_F(NSpSetTest, MissingFileRaisesOnOpenAndAVanishedFileDrawsNothing)
{
    NFileSpec missing = NTestSpec(fPrefix.Root() / "none.xps");
    try {
        missing.Open(NStreamMode::kRead);
        FAIL() << "opened a missing file";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileCannotOpen);
    }
    Image image { 0, 4, 1, 1 };
    NFileSpec spec = Write("gone.xps", PlainFile(image, RowTable({ 0 }) + NBytes({ 1, 9, 0, 1 })));
    ASSERT_TRUE(Read(spec));
    ASSERT_TRUE(spec.Delete());
    NTestImage target(1, 1, 8, 0xEE);
    NSpImage* file = fSet.GetImageAt(0);
    EXPECT_FALSE(file->DrawAt(file->Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(target.Get8(0, 0), 0xEE);
    fSet.Preload(NSpSet::kAllFrames);
    EXPECT_EQ(fSet.StreamUsers(), 0);
}

TEST_F(NSpSetTest, CountsBeyondTheContentKeepTheCountsAndLeaveEmptyFrames)
{
    std::string file = Header(kSpriteVersionPlain, 5, 2) + Directory({ { 0, 0, 0 }, { 1, 0, 0 } }, {});
    EXPECT_FALSE(Read(Write("short.xps", file)));
    EXPECT_EQ(fSet.FrameCount(), 5);
    EXPECT_EQ(fSet.ImageCount(), 2);
    EXPECT_EQ(fSet.FramesRead(), 2);
    EXPECT_EQ(fSet.ImagesRead(), 0);
    ASSERT_NE(fSet.GetFrame(4), nullptr);
    EXPECT_EQ(fSet.GetFrame(4)->GetImage(), nullptr);
    EXPECT_TRUE(fSet.GetFrame(4)->GetBounds().IsEmpty());
    EXPECT_EQ(fSet.GetFrame(0)->GetImage(), nullptr) << "its image was never read";
    EXPECT_EQ(fSet.GetFrame(5), nullptr);
    EXPECT_EQ(fSet.GetImageAt(-1), nullptr);

    // Negative counts and a truncated header.
    EXPECT_TRUE(Read(Write("negative.xps", Header(kSpriteVersionPlain, 0xFFFF, -1))));
    EXPECT_EQ(fSet.FrameCount(), -1);
    EXPECT_FALSE(fSet.IsFrameIndex(0));
    EXPECT_FALSE(Read(Write("tiny.xps", std::string("\0\2\0", 3))));
}

TEST_F(NSpSetTest, FramesNamingMissingImagesHaveNone)
{
    Image image { 0, 4, 1, 1 };
    image.fOffset = kSpriteHeaderSize + 3 * kSpriteFrameRecordSize;
    std::string file = Header(kSpriteVersionPlain, 2, 1) + Directory({ { 7, 0, 0 }, { -1, 0, 0 } }, { image })
        + RowTable({ 0 }) + NBytes({ 1, 9, 0, 1 });
    ASSERT_TRUE(Read(Write("names.xps", file)));
    EXPECT_EQ(fSet.GetFrame(0)->GetImage(), nullptr);
    EXPECT_EQ(fSet.GetFrame(1)->GetImage(), nullptr);
    EXPECT_TRUE(fSet.GetFrame(1)->GetBounds().IsEmpty());
    EXPECT_NE(fSet.GetImageAt(0), nullptr);
}

TEST_F(NSpSetTest, DamagedPixelBlocksNeverReadOutside)
{
    // A size far beyond the file: refused before anything is allocated.
    Image huge { 0, 0x7FFFFFF0, 4, 4 };
    ASSERT_TRUE(Read(Write("huge.xps", PlainFile(huge, RowTable({ 0, 0, 0, 0 }) + NBytes({ 4, 9, 0, 0 })))));
    NTestImage target(4, 4, 32);
    NSpImage* file = fSet.GetImageAt(0);
    EXPECT_FALSE(file->DrawAt(file->Bounds(), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_FALSE(FileImage(0)->IsResident());

    // Rows starting past the data are left alone; the others draw.
    Image rows { 0, 4, 2, 3 };
    ASSERT_TRUE(Read(Write("rows.xps", PlainFile(rows, RowTable({ 0, 900, 2 }) + NBytes({ 2, 5, 0, 0 })))));
    EXPECT_EQ(DrawColumn(), (std::vector<uint8_t> { 5, 5, 0xEE, 0xEE, 0xEE, 0xEE }));

    // Sizes that disagree with the data: negative sides, a raw image too small.
    Image negative { 0, 4, -3, 2 };
    ASSERT_TRUE(Read(Write("negative.xps", PlainFile(negative, RowTable({ 0, 0 }) + NBytes({ 2, 5, 0, 0 })))));
    EXPECT_FALSE(fSet.GetImageAt(0)->DrawAt(NRect(0, 0, 3, 2), target.Image(), NPoint(0, 0), nullptr, false, false));
    Image raw { 0, 3, 2, 2, 8, 0, 0, 0 };
    ASSERT_TRUE(Read(Write("raw.xps", PlainFile(raw, RowTable({ 0, 0 }) + NBytes({ 1, 2, 3 })))));
    EXPECT_FALSE(fSet.GetImageAt(0)->DrawAt(NRect(0, 0, 2, 2), target.Image(), NPoint(0, 0), nullptr, false, false));
    EXPECT_EQ(fSet.GetImageAt(0)->GetPixel(1, 1), 0) << "the fourth pixel is not in the data";
    EXPECT_EQ(fSet.GetImageAt(0)->GetPixel(0, 0), 0);
    Image depth { 0, 4, 1, 1, 24 };
    ASSERT_TRUE(Read(Write("depth.xps", PlainFile(depth, RowTable({ 0 }) + NBytes({ 1, 5, 0, 1 })))));
    EXPECT_FALSE(fSet.GetImageAt(0)->DrawAt(NRect(0, 0, 1, 1), target.Image(), NPoint(0, 0), nullptr, false, false));
}

TEST_F(NSpSetTest, RawImagesDrawThroughTheGenericLoops)
{
    Image raw { 0, 4, 2, 2, 8, 0, 0, 0 };
    ASSERT_TRUE(Read(Write("raw.xps", PlainFile(raw, RowTable({ 0, 0 }) + NBytes({ 1, 2, 3, 4 })))));
    EXPECT_EQ(DrawColumn(), (std::vector<uint8_t> { 1, 2, 3, 4 }));
    EXPECT_EQ(DrawColumn(true), (std::vector<uint8_t> { 3, 4, 1, 2 }));
}

TEST_F(NSpSetTest, PreloadReadsEveryImageOnceAndUnloadDropsThem)
{
    Image first { 0, 4, 1, 1 };
    Image second { 0, 4, 1, 1 };
    first.fOffset = kSpriteHeaderSize + 4 * kSpriteFrameRecordSize;
    second.fOffset = first.fOffset + 6;
    std::string file = Header(kSpriteVersionPlain, 2, 2) + Directory({ { 0, 0, 0 }, { 1, 0, 0 } }, { first, second })
        + RowTable({ 0 }) + NBytes({ 1, 5, 0, 1 }) + RowTable({ 0 }) + NBytes({ 1, 6, 0, 1 });
    ASSERT_TRUE(Read(Write("two.xps", file)));
    fSet.Preload(NSpSet::kAllFrames);
    EXPECT_TRUE(FileImage(0)->IsResident());
    EXPECT_TRUE(FileImage(1)->IsResident());
    EXPECT_EQ(fSet.StreamUsers(), 0);
    EXPECT_EQ(FileImage(1)->GetPixel(0, 0), 6);
    FileImage(0)->Unload();
    EXPECT_FALSE(FileImage(0)->IsResident());
    fSet.Preload(0);
    EXPECT_TRUE(FileImage(0)->IsResident());
}

TEST_F(NSpSetTest, MaskToReadsCoverageFromRuns)
{
    Image image { 0, 6, 3, 1 };
    ASSERT_TRUE(Read(Write("mask.xps", PlainFile(image, RowTable({ 0 }) + NBytes({ 2, 100, 1, 0, 0, 1 })))));
    NTestImage target(3, 1, 32);
    target.Fill32(0x77000000);
    NSpImage* file = fSet.GetImageAt(0);
    ASSERT_TRUE(file->MaskTo(target.At(0, 0), target.Image(), NRect(1, 0, 2, 1), kMaskCopy, 50));
    EXPECT_EQ(target.Get32(0, 0), 0x32000000u);
    EXPECT_EQ(target.Get32(1, 0), 0u);
    EXPECT_EQ(target.Get32(2, 0), 0x77000000u);
}

TEST_F(NSpSetTest, MemorySetsHoldOneZeroedImageWithPaddedRows)
{
    NPalette palette = NTestPalette();
    NVectorPtr<NSpSet> set(new NSpSet());
    ASSERT_TRUE(set->MakeMemorySet(NRect(7, 8, 5, 3), 32, &palette));
    NVectorPtr<NSpSet> shared = set;
    EXPECT_EQ(set->HolderCount(), NCountedRecord::kNoHolders + 2);
    EXPECT_EQ(set->FrameCount(), 1);
    EXPECT_EQ(set->GetFrame(0)->fOffset, NPoint(7, 8));
    NSpImage* image = set->GetFrame(0)->GetImage();
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->RowBytes(), 32);
    EXPECT_EQ(image->Palette().Data(), palette.Data());
    EXPECT_EQ(image->GetBits()[3 * 32 - 1], 0);
    EXPECT_FALSE(set->MakeMemorySet(NRect(0, 0, 5, 3), 24, &palette));
    EXPECT_FALSE(set->MakeMemorySet(NRect(0, 0, 0, 3), 8, &palette));
}

class TestMaker : public NCanvasMaker {
public:
    ~TestMaker() override
    {
        for (NCanvasImage* image : fMade)
            image->DeleteBitmap();
    }
    std::unique_ptr<NCanvasImage> CreateCanvas(NPoint size, int16_t depth, const NPalette* palette) override
    {
        std::unique_ptr<NCanvasImage> image = NCanvasImage::Create(size.fX, size.fY, depth, palette);
        if (image)
            fMade.push_back(image.get());
        return image;
    }

    std::vector<NCanvasImage*> fMade;
};

TEST_F(NSpSetTest, CanvasSetsTakeTheirSurfaceFromTheMaker)
{
    TestMaker maker;
    {
        NSpSet set;
        ASSERT_TRUE(set.MakeCanvasSet(NRect(1, 2, 5, 3), 8, nullptr, maker));
        NSpImage* image = set.GetFrame(0)->GetImage();
        EXPECT_EQ(image->RowBytes(), 8);
        EXPECT_EQ(set.GetFrame(0)->fOffset, NPoint(1, 2));
        ASSERT_EQ(maker.fMade.size(), 1u);
        EXPECT_NE(maker.fMade[0]->Bitmap(), nullptr);
        maker.fMade[0]->DeleteBitmap();
        maker.fMade.clear();
        EXPECT_FALSE(set.MakeCanvasSet(NRect(0, 0, 5, 3), 24, nullptr, maker));
    }
}

} // namespace
