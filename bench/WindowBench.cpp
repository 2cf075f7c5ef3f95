// Presenting through the desktop window: a full repaint of 640 x 480 through SDL's window
// surface, unscaled and scaled by 2, beside memcpy of one frame. Needs a display (run it
// through tools/with-xvfb.sh); without one the SDL cases report an error and are skipped.
#include "imaging/NMemSprite.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpUniverse.h"
#include "platform/NHostDisplay.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr NRect kContent { 0, 0, 640, 480 };

void FullRepaint(benchmark::State& state)
{
    std::string error;
    std::unique_ptr<NHostDisplay> display = NHostDisplay::CreateDesktop(error);
    if (!display) {
        state.SkipWithError(("no display: " + error).c_str());
        return;
    }
    display->SetScale(int32_t(state.range(0)));
    NHostWindowStyle style;
    if (!display->CreateMain("WindowBench", 0, 0, kContent.fWidth, kContent.fHeight, style)) {
        state.SkipWithError("no window");
        return;
    }
    display->Show();
    auto palette = std::make_unique<NPalette>();
    palette->FromSystem();
    NPaletteRegistry::The().SetScreenPalette(std::move(palette));
    {
        NSpUniverse universe;
        universe.SetBounds(kContent, display->Main());
        NMemSprite background;
        background.MakeMemory(kContent, 32, nullptr);
        NSpImage& image = *background.CurrentImage();
        image.SetFlags(0);
        for (int y = 0; y < image.Height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(image.GetBits() + size_t(y) * size_t(image.RowBytes()));
            for (int x = 0; x < image.Width(); ++x)
                row[x] = 0xFF000000u | uint32_t(x * 255 / 640) << 16 | uint32_t(y * 255 / 480) << 8 | 0x60;
        }
        universe.AddChild(background, 1);
        NHostMessage message;
        while (display->PollMessage(message)) {
        }
        for (auto _ : state)
            universe.RepaintAll(kContent);
        state.SetBytesProcessed(int64_t(state.iterations()) * kContent.fWidth * kContent.fHeight * 4);
    }
}
BENCHMARK(FullRepaint)->Arg(1)->Arg(2)->ArgName("scale")->Unit(benchmark::kMicrosecond);

void MemcpyFrame(benchmark::State& state)
{
    std::vector<uint32_t> from(size_t(kContent.fWidth) * kContent.fHeight, 0xFF336699u);
    std::vector<uint32_t> to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(from.size()) * 4);
}
BENCHMARK(MemcpyFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
