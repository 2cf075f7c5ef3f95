// Run-length row decoding: skipping, mirroring, the transparent key and damaged codes.
#include "imaging/NRunLength.h"

#include "imaging/NPixelOps.h"
#include "imaging/NSpImage.h"
#include "tests/imaging/NImagingTestSupport.h"

#include <gtest/gtest.h>

namespace {

class NRunLengthTest : public ::testing::Test {
protected:
    static NRunLengthRow Row(const std::vector<uint8_t>& codes, int32_t skip, int32_t count, bool mirror = false,
                             bool transparent = false, uint8_t key = 0)
    {
        return { codes.data(), codes.data() + codes.size(), skip, count, mirror, transparent, key };
    }

    static std::vector<uint8_t> Decode8(const NRunLengthRow& row, size_t width, uint8_t fill = 0xEE)
    {
        std::vector<uint8_t> out(width, fill);
        NDecodeRow8(row, row.fMirror ? &out[width - 1] : out.data());
        return out;
    }

    NPalette fPalette = NTestPalette();
};

TEST_F(NRunLengthTest, SkipSplitsTheStraddlingRun)
{
    std::vector<uint8_t> codes { 3, 7, 0, 4, 1, 2, 3, 4, 0, 0 };
    EXPECT_EQ(Decode8(Row(codes, 2, 4), 4), (std::vector<uint8_t> { 7, 1, 2, 3 }));
    EXPECT_EQ(Decode8(Row(codes, 4, 3), 3), (std::vector<uint8_t> { 2, 3, 4 })) << "straddling a literal";
    EXPECT_EQ(Decode8(Row(codes, 0, 7), 7), (std::vector<uint8_t> { 7, 7, 7, 1, 2, 3, 4 }));
    EXPECT_EQ(Decode8(Row(codes, 2, 4, true), 4), (std::vector<uint8_t> { 3, 2, 1, 7 }));
}

TEST_F(NRunLengthTest, EndCodesLeaveTheRestOfTheRowUntouched)
{
    EXPECT_EQ(Decode8(Row({ 2, 5, 0, 0, 3, 9 }, 0, 4), 4), (std::vector<uint8_t> { 5, 5, 0xEE, 0xEE }));
    EXPECT_EQ(Decode8(Row({ 2, 5, 0, 1, 3, 9 }, 0, 4), 4), (std::vector<uint8_t> { 5, 5, 0xEE, 0xEE }));
    EXPECT_EQ(Decode8(Row({ 2, 5, 0, 0 }, 3, 2), 2), (std::vector<uint8_t> { 0xEE, 0xEE })) << "skip past the end";
}

TEST_F(NRunLengthTest, CodesRunningPastTheDataEndTheRow)
{
    EXPECT_EQ(Decode8(Row({ 1, 4, 0, 5, 1, 2 }, 0, 4), 4), (std::vector<uint8_t> { 4, 0xEE, 0xEE, 0xEE }));
    EXPECT_EQ(Decode8(Row({ 1, 4, 9 }, 0, 3), 3), (std::vector<uint8_t> { 4, 0xEE, 0xEE })) << "half a code";
    EXPECT_EQ(Decode8(Row({}, 0, 2), 2), (std::vector<uint8_t> { 0xEE, 0xEE }));
    EXPECT_EQ(Decode8(Row({ 200, 3 }, 0, 5), 5), (std::vector<uint8_t>(5, 3))) << "a run longer than the row";
}

TEST_F(NRunLengthTest, KeyRunsStayUntouchedAtEveryDepthWhileLiteralKeysDraw)
{
    std::vector<uint8_t> codes { 5, 200, 0, 2, 200, 9, 0, 0 };
    for (bool mirror : { false, true }) {
        NRunLengthRow row = Row(codes, 0, 7, mirror, true, 200);
        std::vector<uint8_t> narrow = Decode8(row, 7, 0x11);
        std::vector<uint8_t> expected { 0x11, 0x11, 0x11, 0x11, 0x11, 200, 9 };
        if (mirror)
            std::reverse(expected.begin(), expected.end());
        EXPECT_EQ(narrow, expected);

        std::vector<uint16_t> mid(7, 0x1111);
        NDecodeRow16(row, reinterpret_cast<uint8_t*>(mirror ? &mid[6] : mid.data()), fPalette.Data()->Table16());
        EXPECT_EQ(mid[mirror ? 2 : 4], 0x1111);
        EXPECT_EQ(mid[mirror ? 1 : 5], fPalette.Data()->Table16()[200]);
        EXPECT_EQ(mid[mirror ? 0 : 6], fPalette.Data()->Table16()[9]);

        std::vector<uint32_t> wide(7, 0x11111111);
        NDecodeRow32(row, reinterpret_cast<uint8_t*>(mirror ? &wide[6] : wide.data()), fPalette.Data()->Table32());
        EXPECT_EQ(wide[mirror ? 6 : 0], 0x11111111u);
        EXPECT_EQ(wide[mirror ? 2 : 4], 0x11111111u);
        EXPECT_EQ(wide[mirror ? 1 : 5], fPalette.Data()->Table32()[200]);
    }
    // Without the transparent flag the key is an ordinary value.
    EXPECT_EQ(Decode8(Row(codes, 0, 7), 7), (std::vector<uint8_t> { 200, 200, 200, 200, 200, 200, 9 }));
}

TEST_F(NRunLengthTest, ShadowRowsDarkenAndClear)
{
    std::vector<uint32_t> wide(4, 0x7F8040C0);
    NDecodeRowShadow32(Row({ 1, 0, 1, 255, 0, 2, 128, 200, 0, 0 }, 0, 4, false, true, 200),
                       reinterpret_cast<uint8_t*>(wide.data()));
    EXPECT_EQ(wide[0], 0x7F8040C0u);
    EXPECT_EQ(wide[1], 0u);
    EXPECT_EQ(wide[2], 0x7F000000u | ((0x80u * 127) >> 8) << 16 | ((0x40u * 127) >> 8) << 8 | ((0xC0u * 127) >> 8));
    EXPECT_NE(wide[3], 0x7F8040C0u) << "a literal key is coverage like any other";
}

TEST_F(NRunLengthTest, MaskRowsScaleAndFollowTheirMode)
{
    uint8_t scale[256];
    NMaskScaleTable(50, scale);
    std::vector<uint8_t> codes { 2, 100, 0, 2, 0, 255, 0, 0 };
    std::vector<uint32_t> wide(4, 0x77123456);
    NDecodeRowMask(Row(codes, 0, 4), reinterpret_cast<uint8_t*>(wide.data()) + 3, 4, kMaskCovered, scale);
    EXPECT_EQ(wide, (std::vector<uint32_t> { 0x32123456, 0x32123456, 0x77123456, 0x7F123456 }));
    std::vector<uint8_t> narrow(4, 9);
    NMaskScaleTable(100, scale);
    NDecodeRowMask(Row(codes, 1, 3), narrow.data(), 1, kMaskClearCovered, scale);
    EXPECT_EQ(narrow, (std::vector<uint8_t> { 0, 9, 0, 9 }));
    NDecodeRowMask(Row(codes, 0, 4), narrow.data(), 1, kMaskCopy, scale);
    EXPECT_EQ(narrow, (std::vector<uint8_t> { 100, 100, 0, 255 }));
}

} // namespace
