// Rendering the sprite tree: a full-screen change and a one-button change of a scene with a
// background and twenty sprites, beside memcpy of one frame; and the 8-bit conversion.
#include "imaging/NMemSprite.h"
#include "imaging/NPaletteRegistry.h"
#include "imaging/NSpImage.h"
#include "imaging/NSpUniverse.h"
#include "imaging/NSprite.h"
#include "platform/NHostHeadlessWindow.h"
#include "storage/NFileSpec.h"
#include "platform/NHostDrives.h"
#include "tools/XpsWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

namespace {

constexpr NRect kScreen { 0, 0, 640, 480 };
constexpr int kSprites = 20;
constexpr int kColumns = 5;
constexpr int16_t kSpriteWidth = 96;
constexpr int16_t kSpriteHeight = 48;
// One button: 5% of the screen.
constexpr int16_t kButtonWidth = 128;
constexpr int16_t kButtonHeight = 120;

/// Two frames of a button-like sprite: a shape with cut corners on the key, in flat bands
/// of colour as interface art has them.
std::vector<uint8_t> SpriteFile(int16_t width, int16_t height)
{
    std::vector<XpsImage> images;
    for (int k = 0; k < 2; ++k) {
        XpsImage image;
        image.fWidth = width;
        image.fHeight = height;
        image.fTransparent = true;
        image.fPixels.resize(size_t(width) * size_t(height));
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                bool corner = (x < 4 || x >= width - 4) && (y < 4 || y >= height - 4);
                image.fPixels[size_t(y) * size_t(width) + size_t(x)]
                    = corner ? 0 : uint8_t(10 + (x / 8 + y / 8 + k * 7) % 200);
            }
        }
        images.push_back(image);
    }
    return XpsWriteFile({ { 0, 0, 0 }, { 1, 0, 0 } }, images, "none.pal", true);
}

/// The scene: a 32-bit background photo, twenty sprites from a sprite file and a button.
class Scene {
public:
    Scene()
    {
        fFolder = std::filesystem::temp_directory_path() / ("lumora-bench-" + std::to_string(getpid()));
        std::filesystem::create_directories(fFolder);
        setenv("LUMORA_PREFIX", (fFolder / "prefix").c_str(), 1);
        NHostDrives::The().Reload();
        auto palette = std::make_unique<NPalette>();
        palette->FromSystem();
        NPaletteRegistry::The().SetScreenPalette(std::move(palette));

        fWindow = std::make_unique<NHostHeadlessWindow>(kScreen.fWidth, kScreen.fHeight);
        fUniverse.SetBounds(kScreen, fWindow.get());

        fBackground.MakeMemory(NRect(0, 0, kScreen.fWidth, kScreen.fHeight), 32, nullptr);
        NSpImage& photo = *fBackground.CurrentImage();
        photo.SetFlags(0);
        for (int y = 0; y < photo.Height(); ++y) {
            auto* row = reinterpret_cast<uint32_t*>(photo.GetBits() + size_t(y) * size_t(photo.RowBytes()));
            for (int x = 0; x < photo.Width(); ++x)
                row[x] = 0xFF000000u | uint32_t(x * 255 / 640) << 16 | uint32_t(y * 255 / 480) << 8 | 0x60;
        }
        fUniverse.AddChild(fBackground, 100);

        NFileSpec sprites = Write("sprites.xps", SpriteFile(kSpriteWidth, kSpriteHeight));
        for (int i = 0; i < kSprites; ++i) {
            auto sprite = std::make_unique<NSprite>();
            sprite->LoadSpriteFile(sprites);
            fUniverse.AddChild(*sprite, 10);
            sprite->MoveTo(NPoint(int16_t(20 + (i % kColumns) * 120), int16_t(20 + (i / kColumns) * 70)));
            fSprites.push_back(std::move(sprite));
        }
        fButton.LoadSpriteFile(Write("button.xps", SpriteFile(kButtonWidth, kButtonHeight)));
        fUniverse.AddChild(fButton, 0);
        fButton.MoveTo(NPoint(480, 340));
        // Every file image is read on its first draw; the benchmarks measure what follows.
        fUniverse.RenderChanges();
    }

    ~Scene()
    {
        std::error_code ignored;
        std::filesystem::remove_all(fFolder, ignored);
    }

    NFileSpec Write(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        std::filesystem::path path = fFolder / name;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        NFileSpec spec;
        NFileSpec::FromHostPath(NHostDrives::The().ToHost(path.string()), spec);
        return spec;
    }

    std::filesystem::path fFolder;
    std::unique_ptr<NHostHeadlessWindow> fWindow;
    NSpUniverse fUniverse;
    NMemSprite fBackground;
    std::vector<std::unique_ptr<NSprite>> fSprites;
    NSprite fButton;
};

Scene& TheScene()
{
    static Scene scene;
    return scene;
}

void BM_MemcpyFrame(benchmark::State& state)
{
    std::vector<uint8_t> source(size_t(kScreen.Area()) * 4, 1);
    std::vector<uint8_t> target(source.size());
    for (auto _ : state) {
        std::memcpy(target.data(), source.data(), source.size());
        benchmark::DoNotOptimize(target.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_MemcpyFrame)->Unit(benchmark::kMicrosecond);

void BM_RenderFullChange(benchmark::State& state)
{
    Scene& scene = TheScene();
    for (auto _ : state) {
        scene.fUniverse.AddChange(kScreen);
        scene.fUniverse.RenderChanges();
    }
}
BENCHMARK(BM_RenderFullChange)->Unit(benchmark::kMicrosecond);

void BM_RenderOneButton(benchmark::State& state)
{
    Scene& scene = TheScene();
    int frame = 0;
    for (auto _ : state) {
        frame ^= 1;
        scene.fButton.ShowFrame(frame);
        scene.fUniverse.RenderChanges();
    }
    state.counters["rects"] = scene.fUniverse.LastPresentedCount();
}
BENCHMARK(BM_RenderOneButton)->Unit(benchmark::kMicrosecond);

void BM_ErrorDiffusionFrame(benchmark::State& state)
{
    Scene& scene = TheScene();
    NSpLoader target;
    target.Create(kScreen, NSpLoader::kIndexedDepth, nullptr);
    for (auto _ : state) {
        scene.fUniverse.Surface()->ConvertTo(target, kScreen);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_ErrorDiffusionFrame)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
