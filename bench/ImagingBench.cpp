// Pixel paths on 640 x 480 images in megapixels per second, beside memcpy of the same bytes.
#include "imaging/NImageOps.h"
#include "imaging/NPalette.h"
#include "imaging/NRunLength.h"
#include "imaging/NSpMemImage.h"
#include "tools/XpsWriter.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int16_t kWidth = 640;
constexpr int16_t kHeight = 480;
constexpr int64_t kPixels = int64_t(kWidth) * kHeight;
constexpr int kShrink = 4;
constexpr uint8_t kKey = 0;

// Pixels in a vector behind an in-memory image.
struct Picture {
    Picture(int16_t width, int16_t height, int16_t depth, uint8_t flags, const NPalette* palette = nullptr)
        : fBytes(size_t(width) * height * depth / 8)
    {
        fImage.SetBits(fBytes.data(), width, height, width * depth / 8, depth, palette);
        fImage.SetFlags(flags);
    }

    std::vector<uint8_t> fBytes;
    NSpMemImage fImage;
};

// Indexes as sprites hold them: short runs, stretches of varied pixels, transparent gaps.
std::vector<uint8_t> SpriteIndexes()
{
    std::mt19937 random(7);
    std::vector<uint8_t> pixels(static_cast<size_t>(kPixels));
    for (size_t at = 0; at < pixels.size();) {
        size_t length = 4 + random() % 40;
        int kind = int(random() % 3);
        uint8_t value = uint8_t(10 + random() % 236);
        for (size_t i = 0; i < length && at < pixels.size(); ++i, ++at)
            pixels[at] = kind == 0 ? kKey : kind == 1 ? value : uint8_t(10 + random() % 236);
    }
    return pixels;
}

void Report(benchmark::State& state, int64_t pixels, int64_t bytes)
{
    state.SetBytesProcessed(state.iterations() * bytes);
    state.counters["MPix/s"] = benchmark::Counter(double(state.iterations()) * double(pixels) / 1e6,
                                                  benchmark::Counter::kIsRate);
}

void BM_MemcpyDestination32(benchmark::State& state)
{
    std::vector<uint8_t> source(size_t(kPixels) * 4, 1);
    std::vector<uint8_t> target(size_t(kPixels) * 4);
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), target.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
    Report(state, kPixels, kPixels * 4);
}

void BM_Draw8To32Palette(benchmark::State& state)
{
    NPalette palette;
    palette.FromSystem();
    Picture source(kWidth, kHeight, 8, 0, &palette);
    source.fBytes = SpriteIndexes();
    source.fImage.SetBits(source.fBytes.data(), kWidth, kHeight, kWidth, 8, nullptr);
    Picture target(kWidth, kHeight, 32, 0);
    for (auto _ : state) {
        source.fImage.DrawAt(source.fImage.Bounds(), target.fImage, NPoint(0, 0), nullptr, false, false);
        benchmark::ClobberMemory();
    }
    Report(state, kPixels, kPixels * 4);
}

void BM_Copy32To32(benchmark::State& state)
{
    Picture source(kWidth, kHeight, 32, 0);
    std::memset(source.fBytes.data(), 0x5A, source.fBytes.size());
    Picture target(kWidth, kHeight, 32, 0);
    for (auto _ : state) {
        source.fImage.DrawAt(source.fImage.Bounds(), target.fImage, NPoint(0, 0), nullptr, false, false);
        benchmark::ClobberMemory();
    }
    Report(state, kPixels, kPixels * 4);
}

void BM_Blend32To32Straight(benchmark::State& state)
{
    Picture source(kWidth, kHeight, 32, kImageAlpha);
    std::mt19937 random(11);
    for (size_t i = 0; i < source.fBytes.size(); ++i)
        source.fBytes[i] = uint8_t(random());
    Picture target(kWidth, kHeight, 32, 0);
    std::memset(target.fBytes.data(), 0x80, target.fBytes.size());
    for (auto _ : state) {
        source.fImage.DrawAt(source.fImage.Bounds(), target.fImage, NPoint(0, 0), nullptr, false, false);
        benchmark::ClobberMemory();
    }
    Report(state, kPixels, kPixels * 4);
}

void BM_RunLength8To32(benchmark::State& state)
{
    NPalette palette;
    palette.FromSystem();
    std::vector<uint8_t> indexes = SpriteIndexes();
    std::vector<uint8_t> codes;
    std::vector<size_t> starts;
    for (int y = 0; y < kHeight; ++y) {
        starts.push_back(codes.size());
        std::vector<uint8_t> row = XpsEncodeRow(&indexes[size_t(y) * kWidth], kWidth, true, kKey, y == kHeight - 1);
        codes.insert(codes.end(), row.begin(), row.end());
    }
    Picture target(kWidth, kHeight, 32, 0);
    const uint32_t* table = palette.Data()->Table32();
    for (auto _ : state) {
        for (int y = 0; y < kHeight; ++y) {
            NRunLengthRow row { codes.data() + starts[size_t(y)], codes.data() + codes.size(), 0, kWidth, false, true,
                                kKey };
            NDecodeRow32(row, target.fBytes.data() + size_t(y) * kWidth * 4, table);
        }
        benchmark::ClobberMemory();
    }
    Report(state, kPixels, kPixels * 4);
}

void BM_AverageShrinkBy4(benchmark::State& state)
{
    Picture source(kWidth, kHeight, 32, 0);
    std::mt19937 random(13);
    for (size_t i = 0; i < source.fBytes.size(); ++i)
        source.fBytes[i] = uint8_t(random() | 0x80);
    Picture target(kWidth / kShrink, kHeight / kShrink, 32, 0);
    for (auto _ : state) {
        AverageShrink(source.fImage, target.fImage);
        benchmark::ClobberMemory();
    }
    // Rated by the source, which is what the filter reads.
    Report(state, kPixels, kPixels * 4);
}

} // namespace

BENCHMARK(BM_MemcpyDestination32);
BENCHMARK(BM_Draw8To32Palette);
BENCHMARK(BM_Copy32To32);
BENCHMARK(BM_Blend32To32Straight);
BENCHMARK(BM_RunLength8To32);
BENCHMARK(BM_AverageShrinkBy4);

BENCHMARK_MAIN();
