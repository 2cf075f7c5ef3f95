// Building an album of 200 photos of 5 MB from a 20 MB theme through the builder library,
// beside cp of the same bytes in the same run, with and without a flush after it; the
// album's rate is also shown as a share of each.
#include "builder/include/qipbuild.h"
#include "storage/NBinder.h"
#include "storage/NFileSpec.h"
#include "platform/NHostDrives.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr int kPhotoCount = 200;
constexpr size_t kPhotoSize = 5 * 1000 * 1000;
constexpr size_t kThemeSize = 20 * 1000 * 1000;
constexpr size_t kThemeElements = 20;

struct Corpus {
    fs::path fRoot;
    fs::path fTheme;
    std::vector<fs::path> fPhotos;
    int64_t fBytes = 0;   // what both copies move
    double fCpSeconds = 0;
    double fCpSyncSeconds = 0;
};

std::string Host(const fs::path& path)
{
    return NHostDrives::The().ToHost(path.string());
}

void WriteRandom(const fs::path& path, size_t size, std::mt19937& random)
{
    std::vector<uint32_t> words((size + 3) / 4);
    for (uint32_t& word : words)
        word = random();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(size));
}

bool sCorpusMade = false;

Corpus& TheCorpus()
{
    sCorpusMade = true;
    static Corpus sCorpus = [] {
        Corpus corpus;
        corpus.fRoot = fs::temp_directory_path() / ("lumora-albumbench-" + std::to_string(std::random_device()()));
        fs::create_directories(corpus.fRoot / "photos");
        // The builder's scratch files go to a prefix of the benchmark's own, not the user's.
        setenv("LUMORA_PREFIX", (corpus.fRoot / "prefix").c_str(), 1);
        unsetenv("LUMORA_DRIVES");
        NHostDrives::The().Reload();
        std::mt19937 random(20261208);
        // The theme: a binder of 20 elements of 1 MB.
        fs::path loose = corpus.fRoot / "theme-src";
        fs::create_directories(loose);
        corpus.fTheme = corpus.fRoot / "Theme.LMx";
        NFileSpec themeSpec;
        NFileSpec::FromHostPath(Host(corpus.fTheme), themeSpec);
        NFDirSpec mount(NFDriveSpec("\\\\bench-theme\\"), "");
        NBinder theme;
        static_cast<void>(theme.Create(themeSpec, mount, 0x10000, 0));
        for (size_t i = 0; i < kThemeElements; ++i) {
            fs::path element = loose / std::to_string(i);
            WriteRandom(element, kThemeSize / kThemeElements, random);
            NFileSpec source;
            NFileSpec::FromHostPath(Host(element), source);
            theme.Add(NFileSpec(mount, "Assets:Art:" + std::to_string(i) + ".bin"), source, kThemeSize / kThemeElements);
        }
        static_cast<void>(theme.Close());
        fs::remove_all(loose);
        corpus.fBytes = static_cast<int64_t>(fs::file_size(corpus.fTheme));
        for (int i = 0; i < kPhotoCount; ++i) {
            fs::path photo = corpus.fRoot / "photos" / ("p" + std::to_string(i) + ".jpg");
            WriteRandom(photo, kPhotoSize, random);
            corpus.fPhotos.push_back(photo);
            corpus.fBytes += static_cast<int64_t>(kPhotoSize);
        }
        return corpus;
    }();
    return sCorpus;
}

// cp leaves the copy in the page cache; the album is on the disk when its build returns.
// With `sync` set, cp is followed by a flush of what it wrote, the same promise.
void CopySameBytes(benchmark::State& state, bool sync)
{
    Corpus& corpus = TheCorpus();
    fs::path target = corpus.fRoot / "cp-out";
    std::string command = "cp '" + corpus.fTheme.string() + "' '" + (corpus.fRoot / "photos").string() + "'/*.jpg '"
                          + target.string() + "'";
    if (sync)
        command += " && sync '" + target.string() + "'/*";
    double total = 0;
    for (auto _ : state) {
        fs::remove_all(target);
        fs::create_directories(target);
        auto start = std::chrono::steady_clock::now();
        int result = std::system(command.c_str());
        auto end = std::chrono::steady_clock::now();
        if (result != 0)
            state.SkipWithError("cp failed");
        double seconds = std::chrono::duration<double>(end - start).count();
        total += seconds;
        state.SetIterationTime(seconds);
    }
    (sync ? corpus.fCpSyncSeconds : corpus.fCpSeconds) = total / static_cast<double>(state.iterations());
    state.SetBytesProcessed(corpus.fBytes * state.iterations());
    fs::remove_all(target);
}

void BM_CpSameBytes(benchmark::State& state)
{
    CopySameBytes(state, false);
}

void BM_CpSameBytesThenSync(benchmark::State& state)
{
    CopySameBytes(state, true);
}

// With `over` set an album is already at the output: the new one is built beside it and
// replaces it when finished.
void BuildAlbum(benchmark::State& state, bool over)
{
    Corpus& corpus = TheCorpus();
    fs::path album = corpus.fRoot / "Bench.Qip";
    std::string theme = Host(corpus.fTheme);
    std::string output = Host(album);
    std::vector<std::string> photos;
    for (const fs::path& photo : corpus.fPhotos)
        photos.push_back(Host(photo));
    double total = 0;
    for (auto _ : state) {
        fs::remove(album);
        if (over)
            fs::copy_file(corpus.fTheme, album);
        auto start = std::chrono::steady_clock::now();
        int32_t handle = QLA_CreateAlbum(theme.c_str(), 0, output.c_str(), 0);
        if (handle < 200) {
            state.SkipWithError("QLA_CreateAlbum failed");
            break;
        }
        for (const std::string& photo : photos) {
            if (QLA_AddPhoto(handle, photo.c_str(), photo.c_str(), "", "", 0) != 1) {
                state.SkipWithError("QLA_AddPhoto failed");
                break;
            }
        }
        QLA_CloseAlbum(handle);
        auto end = std::chrono::steady_clock::now();
        double seconds = std::chrono::duration<double>(end - start).count();
        total += seconds;
        state.SetIterationTime(seconds);
    }
    double albumSeconds = total / static_cast<double>(std::max<int64_t>(state.iterations(), 1));
    state.SetBytesProcessed(corpus.fBytes * state.iterations());
    if (corpus.fCpSeconds > 0 && albumSeconds > 0)
        state.counters["share_of_cp_percent"] = 100.0 * corpus.fCpSeconds / albumSeconds;
    if (corpus.fCpSyncSeconds > 0 && albumSeconds > 0)
        state.counters["share_of_cp_sync_percent"] = 100.0 * corpus.fCpSyncSeconds / albumSeconds;
    fs::remove(album);
}

void BM_BuildAlbum(benchmark::State& state)
{
    BuildAlbum(state, false);
}

void BM_BuildAlbumOverAnExistingOne(benchmark::State& state)
{
    BuildAlbum(state, true);
}

// cp first, so that the album's share of its rate can be shown.
BENCHMARK(BM_CpSameBytes)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_CpSameBytesThenSync)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BuildAlbum)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_BuildAlbumOverAnExistingOne)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);

struct Cleanup {
    ~Cleanup()
    {
        std::error_code ignored;
        if (sCorpusMade)
            fs::remove_all(TheCorpus().fRoot, ignored);
    }
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    Cleanup cleanup;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
