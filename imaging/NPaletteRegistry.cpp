// The palette registry: application palette, file cache and inverse colour cube.
#include "imaging/NPaletteRegistry.h"

#include "imaging/NCanvasImage.h"
#include "imaging/NPaletteClient.h"
#include "imaging/NPaletteData.h"
#include "storage/NCaseFold.h"

static bool sRegistryAlive = false;

NPaletteRegistry& NPaletteRegistry::The()
{
    static NPaletteRegistry sRegistry;
    return sRegistry;
}

bool NPaletteRegistry::Alive()
{
    return sRegistryAlive;
}

NPaletteRegistry::NPaletteRegistry()
    : fScreenPalette(std::make_unique<NPalette>())
{
    fScreenPalette->FromSystem();
    sRegistryAlive = true;
}

NPaletteRegistry::~NPaletteRegistry()
{
    // Records freed from here on must not look for their entries.
    sRegistryAlive = false;
    fFiles.clear();
}

void NPaletteRegistry::SetScreenPalette(std::unique_ptr<NPalette> palette)
{
    if (fClient)
        fClient->PaletteChanging(palette.get());
    if (palette.get() == fScreenPalette.get()) {
        // The same object again: keep it, never destroy what is still in use.
        (void)palette.release();
    } else {
        std::unique_ptr<NPalette> old = std::exchange(fScreenPalette, std::move(palette));
        fCube.reset();
        fCubeData = nullptr;
        old.reset();
    }
    NCanvasImage::SelectScreenPalette();
    if (fClient)
        fClient->PaletteChanged(fScreenPalette.get());
}

const uint8_t* NPaletteRegistry::InverseCube()
{
    const NPaletteData* data = fScreenPalette ? fScreenPalette->Data() : nullptr;
    if (!data)
        return nullptr;
    if (fCube && fCubeData == data)
        return fCube.get();
    if (!fCube)
        fCube = std::make_unique<uint8_t[]>(kCubeEntries);
    for (int red = 0; red < kCubeSide; ++red) {
        for (int green = 0; green < kCubeSide; ++green) {
            for (int blue = 0; blue < kCubeSide; ++blue)
                fCube[(red * kCubeSide + green) * kCubeSide + blue]
                    = data->NearestIndex(red * kCubeSide, green * kCubeSide, blue * kCubeSide);
        }
    }
    fCubeData = data;
    return fCube.get();
}

std::string NPaletteRegistry::Normalise(const NFileSpec& spec)
{
    // Host names compare without regard to case, so the cache does too.
    return LowerCase1252(spec.HostPath());
}

NPaletteData* NPaletteRegistry::FindFile(const NFileSpec& spec) const
{
    std::string key = Normalise(spec);
    for (const NVectorPtr<NPalEntry>& entry : fFiles) {
        if (entry->fKey == key)
            return entry->fData;
    }
    return nullptr;
}

void NPaletteRegistry::AddFile(const NFileSpec& spec, NPaletteData* data)
{
    if (!data)
        return;
    auto* entry = new NPalEntry();
    entry->fKey = Normalise(spec);
    entry->fSpec = spec;
    entry->fData = data;
    fFiles.push_back(NVectorPtr<NPalEntry>(entry));
    ++fFileCount;
}

void NPaletteRegistry::RemoveData(const NPaletteData* data)
{
    if (data == fCubeData) {
        fCube.reset();
        fCubeData = nullptr;
    }
    for (auto it = fFiles.begin(); it != fFiles.end();) {
        if ((*it)->fData == data) {
            it = fFiles.erase(it);
            --fFileCount;
        } else {
            ++it;
        }
    }
}
