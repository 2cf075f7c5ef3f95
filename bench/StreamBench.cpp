// Small big-endian reads and writes through buffered streams, beside stdio and iostreams.
#include "storage/NFileSpec.h"
#include "storage/NStream.h"
#include "platform/NHostDrives.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

namespace {

namespace fs = std::filesystem;

constexpr int32_t kValueCount = 1 << 20;   // 4 MiB of 32-bit values

// One temporary prefix for the whole run, removed at exit.
struct BenchPrefix {
    BenchPrefix()
    {
        fRoot = fs::temp_directory_path() / ("lumora-bench-" + std::to_string(std::random_device()()));
        fs::create_directories(fRoot);
        setenv("LUMORA_PREFIX", (fRoot / "prefix").c_str(), 1);
        unsetenv("LUMORA_DRIVES");
        NHostDrives::The().Reload();
        fSpec = NFileSpec(NFDirSpec(NFDriveSpec()), "values.bin");
        fLinuxPath = fRoot / "prefix" / "drive_c" / "values.bin";
        NStream out = fSpec.Open(NStreamMode::kWrite, true);
        for (int32_t i = 0; i < kValueCount; ++i)
            out.WriteInt32(i * 2654435761u);
    }
    ~BenchPrefix() { fs::remove_all(fRoot); }

    fs::path fRoot;
    fs::path fLinuxPath;
    NFileSpec fSpec;
};

BenchPrefix& Prefix()
{
    static BenchPrefix sPrefix;
    return sPrefix;
}

uint32_t FromBigEndian(const unsigned char* bytes)
{
    return (uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16) | (uint32_t(bytes[2]) << 8) | bytes[3];
}

void BM_LumoraBufferedReadInt32(benchmark::State& state)
{
    BenchPrefix& prefix = Prefix();
    for (auto _ : state) {
        NStream in = prefix.fSpec.Open(NStreamMode::kRead, true);
        uint32_t sum = 0;
        for (int32_t i = 0; i < kValueCount; ++i)
            sum += static_cast<uint32_t>(in.ReadInt32());
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * kValueCount * 4);
}

void BM_StdioFreadInt32(benchmark::State& state)
{
    BenchPrefix& prefix = Prefix();
    for (auto _ : state) {
        FILE* in = std::fopen(prefix.fLinuxPath.c_str(), "rb");
        uint32_t sum = 0;
        unsigned char bytes[4];
        for (int32_t i = 0; i < kValueCount && std::fread(bytes, 4, 1, in) == 1; ++i)
            sum += FromBigEndian(bytes);
        std::fclose(in);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * kValueCount * 4);
}

void BM_IfstreamReadInt32(benchmark::State& state)
{
    BenchPrefix& prefix = Prefix();
    for (auto _ : state) {
        std::ifstream in(prefix.fLinuxPath, std::ios::binary);
        uint32_t sum = 0;
        unsigned char bytes[4];
        for (int32_t i = 0; i < kValueCount && in.read(reinterpret_cast<char*>(bytes), 4); ++i)
            sum += FromBigEndian(bytes);
        benchmark::DoNotOptimize(sum);
    }
    state.SetBytesProcessed(state.iterations() * kValueCount * 4);
}

void BM_LumoraBufferedWriteInt32(benchmark::State& state)
{
    BenchPrefix& prefix = Prefix();
    NFileSpec spec(NFDirSpec(NFDriveSpec()), "out.bin");
    for (auto _ : state) {
        spec.Delete();
        NStream out = spec.Open(NStreamMode::kWrite, true);
        for (int32_t i = 0; i < kValueCount; ++i)
            out.WriteInt32(i);
        out.Close();
    }
    (void)prefix;
    state.SetBytesProcessed(state.iterations() * kValueCount * 4);
}

void BM_StdioFwriteInt32(benchmark::State& state)
{
    BenchPrefix& prefix = Prefix();
    fs::path path = prefix.fRoot / "stdio-out.bin";
    for (auto _ : state) {
        FILE* out = std::fopen(path.c_str(), "wb");
        for (int32_t i = 0; i < kValueCount; ++i) {
            auto bits = static_cast<uint32_t>(i);
            unsigned char bytes[4] = { uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits) };
            std::fwrite(bytes, 4, 1, out);
        }
        std::fclose(out);
    }
    state.SetBytesProcessed(state.iterations() * kValueCount * 4);
}

BENCHMARK(BM_LumoraBufferedReadInt32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdioFreadInt32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IfstreamReadInt32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LumoraBufferedWriteInt32)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StdioFwriteInt32)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
