// The per-user theme cache: names, icons and feature lists of the themes in one folder.
#pragma once

#include "storage/NFileSpec.h"

#include <cstdint>
#include <string>
#include <vector>

/// One theme's cached answers, keyed by its file name.
struct LMThemeCacheEntry {
    std::string fFileName;
    std::string fName;
    std::vector<uint8_t> fIcon;
    std::vector<uint8_t> fFeatures;
    int32_t fThemeId = 0;
    std::string fTriple;
};

/// The file "cache.dat" in the folder named by the classes-root key "Lumorad"; without
/// that key there is no cache. Written back at unload when it changed.
class LMThemeCache {
public:
    static constexpr int32_t kType = 0x54434348;   // "TCCH"
    static constexpr uint32_t kVersion = 6;

    static LMThemeCache& The();
    ~LMThemeCache();
    LMThemeCache(const LMThemeCache&) = delete;
    LMThemeCache& operator=(const LMThemeCache&) = delete;

    /// The entry of a theme that lies in the cache folder; null on a miss.
    const LMThemeCacheEntry* Lookup(const char* themePath);
    /// Remembers a theme's answers after a name query missed.
    void Add(const char* themePath, LMThemeCacheEntry entry);
    /// Writes the cache file when it changed; never throws: a cache that cannot be written
    /// stays unwritten and the file as it was.
    void Save();

private:
    LMThemeCache();
    void EnsureLoaded();
    void Load();
    void ClearAndSave();
    void Write(NStream& out) const;
    // The theme's file specification when it lies in the cache folder.
    bool InCacheFolder(const char* themePath, NFileSpec& theme) const;

    std::string fLanguage;
    NFileSpec fFile;
    std::vector<LMThemeCacheEntry> fEntries;
    bool fTried = false;
    bool fUsable = false;
    bool fLoaded = false;
    bool fDirty = false;
};
