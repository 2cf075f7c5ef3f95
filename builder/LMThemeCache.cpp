// Loading, looking up, extending and saving the theme cache.
//
// "cache.dat", a tagged chunk file of type "TCCH", version 6:
//   LANG  string    language code of the cached names
//   list  4 bytes   entry count N
//   N entries, each: FNAM string | TNAM string | ICON size (4) + bytes |
//                    FEAT size (4) + bytes | LxID integer | TRIP string | fini
//   fini
#include "builder/LMThemeCache.h"

#include "builder/LMChunkReader.h"
#include "builder/LMChunkWriter.h"
#include "framework/NLanguage.h"
#include "framework/NRegistry.h"
#include "platform/NHostDrives.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NCaseFold.h"
#include "storage/NFileException.h"
#include "storage/NFileReplacement.h"

namespace {

constexpr char kLocationKey[] = "Lumorad";
constexpr char kCacheFile[] = "cache.dat";
constexpr int32_t kSizeField = 4;

bool SameFolderNoCase(const std::string& a, const std::string& b)
{
    return EqualNoCase1252(a, b);
}

// A sized byte block inside a chunk body; a size the body cannot hold is damage.
std::vector<uint8_t> ReadBlock(NStream& in, int32_t chunkLength)
{
    int32_t size = in.ReadInt32();
    if (size < 0 || size > chunkLength - kSizeField)
        throw NFileException(kFileHostFailure, in.GetDisplayName());
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (size > 0)
        in.ReadFully(size, bytes.data());
    return bytes;
}

void WriteBlock(LMChunkWriter& writer, int32_t tag, const std::vector<uint8_t>& bytes)
{
    writer.BeginChunk(tag);
    writer.Stream().WriteInt32(static_cast<int32_t>(bytes.size()));
    if (!bytes.empty())
        writer.Stream().WriteFully(static_cast<int32_t>(bytes.size()), bytes.data());
    writer.EndChunk();
}

// Moves to the end of the chunk whose body began at `start`, whatever its reader took.
void EndOfBody(LMChunkReader& reader, int64_t start)
{
    NStream& in = reader.Stream();
    int64_t end = start + reader.Length();
    if (reader.Length() < 0 || end > in.GetLength())
        throw NFileException(kFileHostFailure, in.GetDisplayName());
    in.Seek(end);
}

} // namespace

LMThemeCache::LMThemeCache()
{
    // The cache is saved when the library unloads, so what saving needs must outlive it:
    // singletons made before this one are destroyed after it.
    NHostDrives::The();
    NFAppDirSpec::The();
    NLanguage::The();
}

LMThemeCache& LMThemeCache::The()
{
    static LMThemeCache sInstance;
    return sInstance;
}

LMThemeCache::~LMThemeCache()
{
    if (!fTried || !fUsable)
        return;
    try {
        Save();
    } catch (...) {
        // Unloading cannot report; the next process rebuilds the cache.
    }
}

void LMThemeCache::EnsureLoaded()
{
    if (!fTried) {
        fTried = true;
        fUsable = false;
        std::string folder;
        NRegistry::ReadString(kHKeyClassesRoot, kLocationKey, "", folder);
        if (folder.empty())
            return;
        if (folder.back() != '/' && folder.back() != '\\')
            folder += '\\';
        if (!NFileSpec::FromHostPath(folder + kCacheFile, fFile))
            return;
        Load();
        fUsable = true;
        return;
    }
    if (fUsable && !fFile.Exists())
        ClearAndSave();
}

void LMThemeCache::Load()
{
    const std::string& language = NLanguage::The().CurrentLanguage();
    fEntries.clear();
    fLoaded = false;
    if (!fFile.Exists())
        return;
    bool valid = false;
    try {
        NStream in = fFile.Open(NStreamMode::kRead, true);
        LMChunkReader reader(in);
        int32_t type = 0;
        uint32_t version = 0;
        reader.ReadHeader(type, version);
        if (type == kType && version == kVersion) {
            for (bool reading = true; reading;) {
                int32_t tag = reader.NextChunk();
                int64_t start = in.GetPosition();
                switch (tag) {
                case kChunkFini:
                    valid = true;
                    reading = false;
                    break;
                case kTagLANG:
                    fLanguage = in.ReadString();
                    EndOfBody(reader, start);
                    if (fLanguage != language) {
                        fLanguage.clear();
                        reading = false;
                    }
                    break;
                case kTagList: {
                    int32_t count = in.ReadInt32();
                    EndOfBody(reader, start);
                    for (int32_t i = 0; i < count; ++i) {
                        LMThemeCacheEntry entry;
                        for (int32_t part = reader.NextChunk(); part != kChunkFini; part = reader.NextChunk()) {
                            int64_t partStart = in.GetPosition();
                            switch (part) {
                            case kTagFNAM: entry.fFileName = in.ReadString(); break;
                            case kTagTNAM: entry.fName = in.ReadString(); break;
                            case kTagICON: entry.fIcon = ReadBlock(in, reader.Length()); break;
                            case kTagFEAT: entry.fFeatures = ReadBlock(in, reader.Length()); break;
                            case kTagLxID: entry.fThemeId = in.ReadInt32(); break;
                            case kTagTRIP: entry.fTriple = in.ReadString(); break;
                            default: break;
                            }
                            EndOfBody(reader, partStart);
                        }
                        fEntries.push_back(std::move(entry));
                    }
                    break;
                }
                default:
                    reader.Skip();
                    break;
                }
            }
        }
    } catch (const NFileException&) {
        valid = false;
    }
    if (valid) {
        fLoaded = true;
        return;
    }
    // Damaged, of another kind or of another language: rebuilt from later queries.
    fEntries.clear();
    fFile.Delete();
}

void LMThemeCache::ClearAndSave()
{
    fEntries.clear();
    fLoaded = false;   // what is left no longer came from the file, so it is written
    fDirty = true;
    Save();
}

void LMThemeCache::Save()
{
    if (!fDirty)
        return;
    if (fLoaded && !fFile.Exists())
        return;
    // A cache that cannot be written (its folder is gone, the disk is full) is only a cache:
    // the queries answer from the archives all the same, and the file stays as it was.
    try {
        NFileReplacement replacement(fFile);
        NStream out = replacement.Temporary().Open(NStreamMode::kWrite, true);
        Write(out);
        out.Close();
        replacement.Commit();
    } catch (const NFileException&) {
        return;
    }
    fDirty = false;
    fLoaded = true;
}

void LMThemeCache::Write(NStream& out) const
{
    LMChunkWriter writer(out);
    writer.BeginFile(kType, kVersion);
    writer.WriteStringChunk(kTagLANG, fLanguage);
    writer.BeginChunk(kTagList);
    out.WriteInt32(static_cast<int32_t>(fEntries.size()));
    writer.EndChunk();
    for (const LMThemeCacheEntry& entry : fEntries) {
        writer.WriteStringChunk(kTagFNAM, entry.fFileName);
        writer.WriteStringChunk(kTagTNAM, entry.fName);
        WriteBlock(writer, kTagICON, entry.fIcon);
        WriteBlock(writer, kTagFEAT, entry.fFeatures);
        writer.WriteIntChunk(kTagLxID, entry.fThemeId);
        writer.WriteStringChunk(kTagTRIP, entry.fTriple);
        writer.EndFile();
    }
    writer.EndFile();
}

bool LMThemeCache::InCacheFolder(const char* themePath, NFileSpec& theme) const
{
    if (themePath == nullptr || !NFileSpec::FromHostPath(themePath, theme))
        return false;
    return theme.Drive().Root() == fFile.Drive().Root() && SameFolderNoCase(theme.Dir().Path(), fFile.Dir().Path());
}

const LMThemeCacheEntry* LMThemeCache::Lookup(const char* themePath)
{
    EnsureLoaded();
    NFileSpec theme;
    if (!fUsable || !InCacheFolder(themePath, theme))
        return nullptr;
    for (const LMThemeCacheEntry& entry : fEntries) {
        if (entry.fFileName == theme.Name())
            return &entry;
    }
    return nullptr;
}

void LMThemeCache::Add(const char* themePath, LMThemeCacheEntry entry)
{
    EnsureLoaded();
    const std::string& language = NLanguage::The().CurrentLanguage();
    if (!fUsable) {
        fLanguage = language;
        return;
    }
    if (fLanguage != language) {
        ClearAndSave();
        fLanguage = language;
    }
    NFileSpec theme;
    if (!InCacheFolder(themePath, theme))
        return;
    for (const LMThemeCacheEntry& existing : fEntries) {
        if (existing.fFileName == theme.Name())
            return;
    }
    entry.fFileName = theme.Name();
    fEntries.push_back(std::move(entry));
    fDirty = true;
}
