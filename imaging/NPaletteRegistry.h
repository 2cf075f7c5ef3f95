// The process's palettes: the application palette, the palette file cache and the inverse cube.
#pragma once

#include "imaging/NPalette.h"
#include "storage/NFileSpec.h"
#include "storage/NVectorPtr.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

class NPaletteClient;
class NPaletteData;

/// One cached palette file: its normalised specification and the record read from it.
/// The record is not held: it removes its entry when it is freed.
struct NPalEntry : NCountedRecord {
    std::string fKey;
    NFileSpec fSpec;
    NPaletteData* fData = nullptr;
};

class NPaletteRegistry {
public:
    static constexpr int kCubeSide = 16;
    static constexpr int kCubeEntries = kCubeSide * kCubeSide * kCubeSide;
    static constexpr int kCubeShift = 4;

    static NPaletteRegistry& The();
    /// False before first use and after destruction at exit.
    static bool Alive();
    ~NPaletteRegistry();

    NPaletteRegistry(const NPaletteRegistry&) = delete;
    NPaletteRegistry& operator=(const NPaletteRegistry&) = delete;

    /// Takes ownership. The client hears PaletteChanging (with the new palette) before it
    /// is stored and PaletteChanged after; a palette object other than the current one
    /// destroys the current one.
    void SetScreenPalette(std::unique_ptr<NPalette> palette);
    NPalette* GetScreenPalette() const { return fScreenPalette.get(); }
    /// The application object, which hears of palette changes; null for none.
    void SetClient(NPaletteClient* client) { fClient = client; }

    /// 4096 nearest indexes of the application palette, built on first use and again
    /// whenever the palette's colours are other ones; look up a colour at
    /// (red >> 4) << 8 | (green >> 4) << 4 | (blue >> 4).
    const uint8_t* InverseCube();
    static int CubeIndex(uint8_t red, uint8_t green, uint8_t blue)
    {
        return (red >> kCubeShift) << (2 * kCubeShift) | (green >> kCubeShift) << kCubeShift | (blue >> kCubeShift);
    }

    // Palette file cache
    NPaletteData* FindFile(const NFileSpec& spec) const;
    void AddFile(const NFileSpec& spec, NPaletteData* data);
    void RemoveData(const NPaletteData* data);
    int FileCount() const { return fFileCount; }

private:
    NPaletteRegistry();
    static std::string Normalise(const NFileSpec& spec);

    std::unique_ptr<NPalette> fScreenPalette;
    std::list<NVectorPtr<NPalEntry>> fFiles;
    int fFileCount = 0;
    std::unique_ptr<uint8_t[]> fCube;
    const NPaletteData* fCubeData = nullptr;   // the record the cube was built from
    NPaletteClient* fClient = nullptr;
};
