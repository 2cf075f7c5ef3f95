// Fuzz target: measuring and drawing random Windows-1252 texts with random rectangles, format
// flags, colours and fonts, on the platform directly and through a canvas, into 8- and 32-bit bitmaps.
#include "imaging/NCanvas.h"
#include "imaging/NCanvasImage.h"
#include "platform/NHostBitmap.h"
#include "platform/NHostDeviceContext.h"
#include "platform/NHostFont.h"
#include "platform/NHostText.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>

namespace {

constexpr int kBitmapWidth = 72;
constexpr int kBitmapHeight = 40;
constexpr size_t kMaxText = 400;
constexpr size_t kMaxEntry = 60;
constexpr size_t kFontCacheLimit = 16;
constexpr const char* kFaces[] = { "Arial", "Times New Roman", "DejaVu Sans", "", "No Such Face" };

std::unique_ptr<NHostBitmap> MakeBitmap(NHostDeviceContext& context, int depth)
{
    NHostBitmapInfo info;
    info.fWidth = kBitmapWidth;
    info.fHeight = -kBitmapHeight;
    info.fBitCount = uint16_t(depth);
    return NHostBitmap::CreateDibSection(info, context);
}

// Fonts are kept between inputs: finding and opening a face costs far more than drawing.
using FontKey = std::tuple<std::string, int32_t, int32_t, bool, bool, uint8_t>;

const NHostFont* FontFor(const NHostLogFont& request)
{
    static std::map<FontKey, std::unique_ptr<NHostFont>> sFonts;
    FontKey key { request.fFaceName, request.fHeight, request.fWeight, request.fItalic, request.fUnderline,
        request.fPitchAndFamily };
    auto found = sFonts.find(key);
    if (found != sFonts.end())
        return found->second.get();
    if (sFonts.size() >= kFontCacheLimit)
        sFonts.clear();
    return (sFonts[key] = NHostFont::Create(request)).get();
}

void FuzzPlatform(FuzzedDataProvider& input)
{
    static std::unique_ptr<NHostDeviceContext> sContext = NHostDeviceContext::CreateCompatible();
    static std::unique_ptr<NHostBitmap> sBitmaps[]
        = { MakeBitmap(*sContext, 8), MakeBitmap(*sContext, 32), MakeBitmap(*sContext, 16) };
    NHostLogFont request;
    request.fFaceName = input.PickValueInArray(kFaces);
    request.fHeight = input.ConsumeBool() ? input.ConsumeIntegral<int32_t>() : input.ConsumeIntegralInRange(-60, 60);
    request.fWeight = input.ConsumeBool() ? kFontWeightBold : input.ConsumeIntegral<int32_t>();
    request.fItalic = input.ConsumeBool();
    request.fUnderline = input.ConsumeBool();
    request.fPitchAndFamily = input.ConsumeIntegral<uint8_t>();
    const NHostFont* font = FontFor(request);
    sContext->SelectFont(font ? font->Handle() : nullptr);
    sContext->SetTextColor(input.ConsumeIntegral<uint32_t>());
    sContext->SetBackgroundColor(input.ConsumeIntegral<uint32_t>());
    sContext->SetBackgroundMode(input.ConsumeBool() ? kBackgroundOpaque : kBackgroundTransparent);
    NHostRect rect;
    if (input.ConsumeBool()) {
        rect = { input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>(), input.ConsumeIntegral<int32_t>(),
            input.ConsumeIntegral<int32_t>() };
    } else {
        rect = { input.ConsumeIntegralInRange(-20, 80), input.ConsumeIntegralInRange(-20, 50),
            input.ConsumeIntegralInRange(-20, 120), input.ConsumeIntegralInRange(-20, 80) };
    }
    uint32_t format = input.ConsumeIntegral<uint32_t>();
    std::string text = input.ConsumeRandomLengthString(kMaxText);

    NHostRect measured = rect;
    NHostText::DrawText(*sContext, text, measured, format | kTextCalculateRect);
    for (std::unique_ptr<NHostBitmap>& bitmap : sBitmaps) {
        sContext->SelectBitmap(bitmap.get());
        NHostRect area = rect;
        NHostText::DrawText(*sContext, text, area, format & ~uint32_t(kTextCalculateRect));
        NHostText::FillRect(*sContext, rect, sContext->BackgroundColor());
    }
    sContext->SelectBitmap(nullptr);
    sContext->SelectFont(nullptr);
}

void FuzzCanvas(FuzzedDataProvider& input)
{
    std::string entry = input.ConsumeRandomLengthString(kMaxEntry);
    NFont font;
    font.FontFromText(entry);
    NCanvas canvas;
    canvas.SetFont(font);
    canvas.SetColors(input.ConsumeIntegral<uint8_t>(), input.ConsumeIntegral<uint8_t>());
    int16_t depth = input.ConsumeBool() ? 32 : 8;
    NRect rect(input.ConsumeIntegral<int16_t>(), input.ConsumeIntegral<int16_t>(), input.ConsumeIntegral<int16_t>(),
        input.ConsumeIntegral<int16_t>());
    int alignment = input.ConsumeIntegralInRange(-1, 9);
    bool wrap = input.ConsumeBool();
    bool noFill = input.ConsumeBool();
    bool ellipsis = input.ConsumeBool();
    std::string text = input.ConsumeRandomLengthString(kMaxText);
    canvas.MeasureText(text, rect, alignment, wrap, ellipsis);
    canvas.GetMetrics();
    std::unique_ptr<NCanvasImage> surface = canvas.CreateCanvas(NPoint(kBitmapWidth, kBitmapHeight), depth, nullptr);
    if (!surface)
        return;
    canvas.FillBackground(rect);
    canvas.DrawText(text, rect, alignment, wrap, noFill, ellipsis);
    canvas.DeleteCanvasImage(std::move(surface));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool())
        FuzzCanvas(input);
    else
        FuzzPlatform(input);
    return 0;
}
