// Compression, expansion and adding to a binder, on a fixed mixed corpus built here.
//
//   ArchiveBench [benchmark flags]          run the benchmarks
//   ArchiveBench --write-corpus PATH        write the 10 MB corpus (for side-by-side tools)
#include "storage/NBinder.h"
#include "storage/NFileSpec.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamExpand.h"
#include "storage/NStreamMem.h"
#include "platform/NHostDrives.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr size_t kCorpusSize = 10 * 1000 * 1000;
constexpr int64_t kLargeFileSize = 100 * 1000 * 1000;

// A quarter each: text, structured binary records, runs, and incompressible bytes, in
// interleaved blocks as an archive directory, theme art and photos would mix them.
std::vector<uint8_t> MakeCorpus()
{
    std::mt19937 random(20261208);
    std::vector<uint8_t> corpus;
    corpus.reserve(kCorpusSize);
    const char* words[] = { "album", "photo", "theme", "newborn", "studio", "slideshow", "the", "and", "of",
                            "Lumora", "portrait", "disc", "player", "install", "\r\n" };
    constexpr size_t kBlock = 64 * 1024;
    for (int kind = 0; corpus.size() < kCorpusSize; kind = (kind + 1) % 4) {
        size_t end = std::min(corpus.size() + kBlock, kCorpusSize);
        while (corpus.size() < end) {
            switch (kind) {
            case 0: {
                const char* word = words[random() % (sizeof words / sizeof *words)];
                corpus.insert(corpus.end(), word, word + std::strlen(word));
                corpus.push_back(' ');
                break;
            }
            case 1: {
                uint32_t id = static_cast<uint32_t>(corpus.size() / 16);
                uint8_t record[16] = { 0, 0, uint8_t(id >> 8), uint8_t(id), 'p', 'h', 'o', 't',
                                       uint8_t(random() % 4), 0, 0, 0x18, 0, 0, 0, uint8_t(random()) };
                corpus.insert(corpus.end(), record, record + sizeof record);
                break;
            }
            case 2: corpus.insert(corpus.end(), 1 + random() % 200, static_cast<uint8_t>(random())); break;
            default: corpus.push_back(static_cast<uint8_t>(random())); break;
            }
        }
        corpus.resize(end);
    }
    return corpus;
}

const std::vector<uint8_t>& Corpus()
{
    static const std::vector<uint8_t> sCorpus = MakeCorpus();
    return sCorpus;
}

std::vector<uint8_t> Compressed()
{
    const std::vector<uint8_t>& corpus = Corpus();
    NStream counter(std::make_unique<NStreamMem>());
    {
        NStream compress(std::make_unique<NStreamCompress>(counter));
        compress.Write(static_cast<int32_t>(corpus.size()), corpus.data());
        compress.Close();
    }
    std::vector<uint8_t> packed(static_cast<size_t>(counter.GetLength()));
    NStream out(std::make_unique<NStreamMem>(packed.data(), static_cast<int64_t>(packed.size()), NStreamMode::kWrite));
    NStream compress(std::make_unique<NStreamCompress>(out));
    compress.Write(static_cast<int32_t>(corpus.size()), corpus.data());
    compress.Close();
    return packed;
}

void BM_Compress(benchmark::State& state)
{
    const std::vector<uint8_t>& corpus = Corpus();
    int64_t packedSize = 0;
    for (auto _ : state) {
        NStream counter(std::make_unique<NStreamMem>());
        NStream compress(std::make_unique<NStreamCompress>(counter));
        compress.Write(static_cast<int32_t>(corpus.size()), corpus.data());
        compress.Close();
        packedSize = counter.GetLength();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(corpus.size()));
    state.counters["ratio"] = static_cast<double>(packedSize) / static_cast<double>(corpus.size());
}

void BM_Expand(benchmark::State& state)
{
    std::vector<uint8_t> packed = Compressed();
    std::vector<uint8_t> out(Corpus().size());
    for (auto _ : state) {
        NStream in(std::make_unique<NStreamMem>(packed.data(), static_cast<int64_t>(packed.size()), NStreamMode::kRead));
        NStream expand(std::make_unique<NStreamExpand>(in));
        expand.ReadFully(static_cast<int32_t>(out.size()), out.data());
    }
    if (out != Corpus())
        state.SkipWithError("expansion differs from the corpus");
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(out.size()));
}

// A prefix of its own for the file benchmarks, removed at exit.
struct BenchFolder {
    BenchFolder()
    {
        fRoot = fs::temp_directory_path() / ("lumora-bench-" + std::to_string(std::random_device()()));
        fs::create_directories(fRoot);
        setenv("LUMORA_PREFIX", (fRoot / "prefix").c_str(), 1);
        unsetenv("LUMORA_DRIVES");
        NHostDrives::The().Reload();
        fLarge = NFileSpec(NFDirSpec(NFDriveSpec()), "large.bin");
        std::vector<uint8_t> block(1 << 20);
        std::mt19937 random(5);
        for (uint8_t& byte : block)
            byte = static_cast<uint8_t>(random());
        NStream out = fLarge.Open(NStreamMode::kWrite, true);
        for (int64_t done = 0; done < kLargeFileSize; done += static_cast<int64_t>(block.size()))
            out.Write(static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(block.size()), kLargeFileSize - done)), block.data());
    }
    ~BenchFolder() { fs::remove_all(fRoot); }

    fs::path fRoot;
    NFileSpec fLarge;
};

void BM_AddLargeFileToBinder(benchmark::State& state)
{
    static BenchFolder sFolder;
    NFDirSpec mount(NFDriveSpec(), "Album:");
    NFileSpec album(NFDirSpec(NFDriveSpec()), "album.qip");
    for (auto _ : state) {
        album.Delete();
        NBinder binder;
        static_cast<void>(binder.Create(album, mount, 2, 0));
        binder.Add(NFileSpec(mount, "photo:large.bin"), sFolder.fLarge, kLargeFileSize);
        static_cast<void>(binder.Close());
    }
    state.SetBytesProcessed(state.iterations() * kLargeFileSize);
}

// The same 100 MB added to an existing archive opened for update: the rollback journal
// (the old directory and trailer, flushed with its folder) is written first, and the archive
// is flushed to the disk before the journal goes.
void BM_AddLargeFileToArchiveWithJournal(benchmark::State& state)
{
    static BenchFolder sFolder;
    NFDirSpec mount(NFDriveSpec(), "Album:");
    NFileSpec album(NFDirSpec(NFDriveSpec()), "existing.qip");
    NFileSpec small(NFDirSpec(NFDriveSpec()), "small.bin");
    small.Delete();
    {
        NStream out = small.Open(NStreamMode::kWrite, true);
        out.WriteFully(6, "small!");
    }
    for (auto _ : state) {
        state.PauseTiming();
        album.Delete();
        NBinder seed;
        static_cast<void>(seed.Create(album, mount, 2, 0));
        seed.Add(NFileSpec(mount, "photo:small.bin"), small, 6);
        static_cast<void>(seed.Close());
        state.ResumeTiming();
        NBinder binder;
        if (binder.Open(album, mount, NBinderMode::kUpdate) < 0) {
            state.SkipWithError("the archive did not open for update");
            break;
        }
        binder.Add(NFileSpec(mount, "photo:large.bin"), sFolder.fLarge, kLargeFileSize);
        if (!binder.Close())
            state.SkipWithError("closing failed");
    }
    state.SetBytesProcessed(state.iterations() * kLargeFileSize);
}

BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_Expand)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_AddLargeFileToBinder)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
BENCHMARK(BM_AddLargeFileToArchiveWithJournal)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--write-corpus") == 0) {
        const std::vector<uint8_t>& corpus = Corpus();
        std::ofstream out(argv[2], std::ios::binary);
        out.write(reinterpret_cast<const char*>(corpus.data()), static_cast<std::streamsize>(corpus.size()));
        return out ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
