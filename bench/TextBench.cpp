// Text: rebuilding a 40-character label sprite smoothed by 4 and plain, and measuring and
// drawing the same label through a canvas.
#include "imaging/NCanvas.h"
#include "imaging/NCanvasImage.h"
#include "imaging/NFont.h"
#include "imaging/NSpText.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

const std::string kLabel = "Choose the theme for your photo albums: "; // 40 characters
constexpr uint8_t kTextIndex = 10;
constexpr uint8_t kNoBackground = 0;
constexpr uint8_t kWhite = 245;
constexpr int16_t kSurfaceWidth = 400;
constexpr int16_t kSurfaceHeight = 40;

NFont LabelFont()
{
    NFont font;
    font.FontFromText("Arial,12");
    return font;
}

void Rebuild(benchmark::State& state, bool smoothing)
{
    NSpText text;
    text.SetFont(LabelFont());
    text.SetSmoothing(smoothing, 4);
    text.SetText(kLabel, kTextIndex, kNoBackground, 0, false);
    for (auto _ : state) {
        text.SetText(kLabel, NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, true);
        benchmark::DoNotOptimize(text.CurrentImage());
    }
    state.counters["width"] = text.CurrentImage() ? text.CurrentImage()->Width() : 0;
}

void BM_TextRebuildSmooth4(benchmark::State& state)
{
    Rebuild(state, true);
}
BENCHMARK(BM_TextRebuildSmooth4)->Unit(benchmark::kMicrosecond);

void BM_TextRebuildPlain(benchmark::State& state)
{
    Rebuild(state, false);
}
BENCHMARK(BM_TextRebuildPlain)->Unit(benchmark::kMicrosecond);

// An unchanged SetText costs a comparison.
void BM_TextSetTextUnchanged(benchmark::State& state)
{
    NSpText text;
    text.SetFont(LabelFont());
    text.SetText(kLabel, kTextIndex, kNoBackground, 0, false);
    for (auto _ : state)
        text.SetText(kLabel, NSpText::kKeepColor, NSpText::kKeepColor, NSpText::kKeepColor, false);
    benchmark::DoNotOptimize(text.RebuildCount());
}
BENCHMARK(BM_TextSetTextUnchanged)->Unit(benchmark::kMicrosecond);

void BM_CanvasMeasureText(benchmark::State& state)
{
    NCanvas canvas;
    canvas.SetFont(LabelFont());
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.MeasureText(kLabel, NRect(0, 0, 0, 0), kAlignLeftTop, false, false));
}
BENCHMARK(BM_CanvasMeasureText)->Unit(benchmark::kMicrosecond);

void BM_CanvasDrawText(benchmark::State& state)
{
    NCanvas canvas;
    canvas.SetFont(LabelFont());
    canvas.SetColors(kTextIndex, kWhite);
    std::unique_ptr<NCanvasImage> surface
        = canvas.CreateCanvas(NPoint(kSurfaceWidth, kSurfaceHeight), int16_t(state.range(0)), nullptr);
    if (!surface) {
        state.SkipWithError("no surface");
        return;
    }
    NRect area(0, 0, kSurfaceWidth, kSurfaceHeight);
    for (auto _ : state)
        benchmark::DoNotOptimize(canvas.DrawText(kLabel, area, kAlignLeftTop, false, false, false));
    canvas.DeleteCanvasImage(std::move(surface));
}
BENCHMARK(BM_CanvasDrawText)->Arg(8)->Arg(32)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
