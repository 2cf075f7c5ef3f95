// maker-production-bench: one album made from a folder of photos exactly as the Maker makes
// it (its archive mounted, the theme and co-brand read from it), for bench/maker-production.sh.
// Usage: MakerProductionBench QIP.XPB PHOTO_FOLDER [THEME]   (the album goes to the prefix)
#include "maker/core/KAlbumProduction.h"

#include "platform/NHostDrives.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"

#include <chrono>
#include <cstdio>
#include <filesystem>

namespace {

// The progress screen's work (drawing, the preview) is not what is measured here.
class SilentProgress : public KProgressSink {
public:
    void SetSteps(int32_t) override {}
    void Step() override {}
    void Finish() override {}
    void ShowPicture(const NFileSpec&) override {}
};

bool DirOf(const std::filesystem::path& linuxFolder, NFDirSpec& dir)
{
    return NFDirSpec::FromHostPath(NHostDrives::The().ToHost(std::filesystem::absolute(linuxFolder).string()), dir);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: MakerProductionBench QIP.XPB PHOTO_FOLDER [THEME]\n");
        return 2;
    }
    std::filesystem::path archivePath = std::filesystem::absolute(argv[1]);
    KMakerEnvironment environment;
    NFDirSpec photos;
    NFileSpec archive;
    if (!DirOf(archivePath.parent_path().parent_path(), environment.fAppFolder) || !DirOf(argv[2], photos) ||
        !NFileSpec::FromHostPath(NHostDrives::The().ToHost(archivePath.string()), archive)) {
        std::fprintf(stderr, "MakerProductionBench: paths not on a drive\n");
        return 2;
    }
    environment.fAssetsFolder = environment.fAppFolder.SubDir("Binder:Assets:");
    environment.fLanguageFolder = environment.fAssetsFolder.SubDir("eng:");
    environment.fLanguage = "eng";
    NBinder assets;
    if (assets.Open(archive, environment.fAssetsFolder, NBinderMode::kRead) != 2) {
        std::fprintf(stderr, "MakerProductionBench: %s is not the Maker's archive\n", argv[1]);
        return 2;
    }
    NBinderRegistry::The().Register(&assets);

    KAlbumRequest request;
    request.fTheme = NFileSpec(environment.fAssetsFolder, std::string("LMx:") + (argc > 3 ? argv[3] : "birthday.lmx"));
    request.fAlbumName = "Bench.Qip";
    request.fPhotoFolder = photos;
    SilentProgress progress;
    KAlbumProduction production(environment, progress);
    auto start = std::chrono::steady_clock::now();
    int32_t added = production.Produce(request);
    auto elapsed = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%d photos in %.1f ms: %s\n", added, elapsed, production.AlbumFile().HostPath().c_str());

    NBinderRegistry::The().Unregister(&assets);
    static_cast<void>(assets.Close());   // read-only: nothing to write back
    return added > 0 ? 0 : 1;
}
