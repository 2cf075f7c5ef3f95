// Drawing surfaces: layout, colour tables and the shared memory context.
#include "imaging/NCanvasImage.h"

#include "imaging/NPaletteRegistry.h"
#include "tests/imaging/NImagingTestSupport.h"
#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"

#include <gtest/gtest.h>

namespace {

class NCanvasImageTest : public ::testing::Test {
protected:
    // Deletes the bitmaps of the surfaces made in a test, as their owner must.
    ~NCanvasImageTest() override
    {
        for (std::unique_ptr<NCanvasImage>& image : fImages)
            image->DeleteBitmap();
    }

    NCanvasImage* Make(int16_t width, int16_t height, int16_t depth, const NPalette* palette = nullptr)
    {
        std::unique_ptr<NCanvasImage> image = NCanvasImage::Create(width, height, depth, palette);
        if (!image)
            return nullptr;
        fImages.push_back(std::move(image));
        return fImages.back().get();
    }

    std::vector<std::unique_ptr<NCanvasImage>> fImages;
};

TEST_F(NCanvasImageTest, RowsFollowTheSurfaceRule)
{
    NCanvasImage* narrow = Make(5, 3, 8);
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(narrow->RowBytes(), 8);
    EXPECT_EQ(narrow->Bitmap()->RowBytes(), 8);
    EXPECT_EQ(narrow->GetBits(), narrow->Bitmap()->Bits());
    NCanvasImage* mid = Make(3, 2, 16);
    ASSERT_NE(mid, nullptr);
    EXPECT_EQ(mid->RowBytes(), 8);
    NCanvasImage* wide = Make(3, 2, 32);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->RowBytes(), 12);
    EXPECT_EQ(Make(3, 2, 24), nullptr);
    EXPECT_EQ(Make(0, 2, 32), nullptr);
}

TEST_F(NCanvasImageTest, EightBitSurfacesCarryThePaletteWithNoCollapseFlags)
{
    NPalette palette = NTestPalette();
    NCanvasImage* image = Make(4, 4, 8, &palette);
    ASSERT_NE(image, nullptr);
    const NHostRgbQuad* table = image->Bitmap()->ColorTable();
    EXPECT_EQ(table[100].fRed, 100);
    EXPECT_EQ(table[100].fGreen, 200);
    EXPECT_EQ(table[100].fBlue, 155);
    for (int index : { 0, 9, 246, 255 })
        EXPECT_EQ(table[index].fReserved, 0) << index;
    for (int index : { 10, 128, 245 })
        EXPECT_EQ(table[index].fReserved, kColorTableNoCollapse) << index;
    EXPECT_EQ(image->Palette().Data(), palette.Data());
}

TEST_F(NCanvasImageTest, SurfacesAreDrawnIntoLikeAnyImage)
{
    NCanvasImage* surface = Make(4, 2, 32);
    ASSERT_NE(surface, nullptr);
    surface->FillRect(surface->Bounds(), 0xFF000000);
    NTestImage source(2, 2, 32);
    source.Image().SetFlags(0);
    source.Fill32(0xFF112233);
    ASSERT_TRUE(source.Image().DrawAt(source.Image().Bounds(), *surface, NPoint(3, 1), nullptr, false, false));
    uint32_t pixel;
    std::memcpy(&pixel, surface->GetBits() + surface->RowBytes() + 12, 4);
    EXPECT_EQ(pixel, 0xFF112233u);
    std::memcpy(&pixel, surface->GetBits() + 12, 4);
    EXPECT_EQ(pixel, 0xFF000000u);
}

TEST_F(NCanvasImageTest, SharedContextHoldsTheApplicationPalette)
{
    NHostDeviceContext& context = NCanvasImage::SharedContext();
    EXPECT_TRUE(context.HasRealizedPalette());
    EXPECT_EQ(&context, &NCanvasImage::SharedContext());
    auto palette = std::make_unique<NPalette>(NTestPalette());
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    EXPECT_EQ(context.SelectedPalette().Entry(100).fGreen, 200);
    EXPECT_TRUE(context.HasRealizedPalette());
}

TEST_F(NCanvasImageTest, DeletingTheBitmapDeselectsItAndForgetsThePixels)
{
    NCanvasImage* image = Make(2, 2, 32);
    ASSERT_NE(image, nullptr);
    NHostDeviceContext& context = NCanvasImage::SharedContext();
    context.SelectBitmap(image->Bitmap());
    image->DeleteBitmap();
    EXPECT_EQ(context.SelectedBitmap(), nullptr);
    EXPECT_EQ(image->GetBits(), nullptr);
    NTestImage source(1, 1, 32, 0xFF);
    EXPECT_FALSE(source.Image().DrawAt(source.Image().Bounds(), *image, NPoint(0, 0), nullptr, false, false));
}

} // namespace
