// The library's exported functions: the process-wide state and one guard around every body.
#include "include/qipbuild.h"

#include "builder/LMAlbumBuilder.h"
#include "builder/LMBuildApp.h"
#include "builder/LMChunkReader.h"
#include "builder/LMThemeCache.h"
#include "builder/LMThemeReader.h"
#include "framework/NLanguage.h"
#include "framework/NRegistry.h"
#include "platform/NHostLocale.h"
#include "platform/NHostShell.h"
#include "storage/NCaseFold.h"
#include "storage/NFileException.h"
#include "storage/NStreamMem.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#define QLA_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr int32_t kVersionNumber = 0x19990521;
constexpr int32_t kJpegQuality = 0;
constexpr int32_t kFirstHandle = 200;

constexpr char kAlbumClassKey[] = ".Qip";
constexpr char kClassMark[] = "lumo";
constexpr char kDefaultClass[] = "Lumora.Album";
constexpr char kOpenCommandFormat[] = "%s\\Shell\\open\\command";
constexpr size_t kRegistryBufferSize = 260;
constexpr size_t kKeyCapacity = 300;
constexpr char kAlbumArgument[] = "%1";
constexpr size_t kAlbumArgumentLength = 2;

constexpr uint32_t kFeatureListVersion = 1;
constexpr int32_t kHiddenLevel = 3;
constexpr int32_t kIntBody = 4;

// The one application object of the library, made at load and destroyed at unload.
LMBuildApp sApp;

struct LibraryState {
    std::unique_ptr<LMAlbumBuilder> fAlbum;
    int32_t fNextHandle = kFirstHandle;
    std::string fKeepFolder;
    int32_t fMakerFlag = 0;
};

LibraryState& State()
{
    static LibraryState sState;
    return sState;
}

/// Runs an exported body; any failure becomes the given result.
template <class Result, class Body>
Result Guard(Result failure, Body body) noexcept
{
    try {
        return body();
    } catch (...) {
        return failure;
    }
}

template <class Body>
void Guard(Body body) noexcept
{
    try {
        body();
    } catch (...) {
        // Nothing crosses the interface.
    }
}

LMAlbumBuilder* Album(int32_t handle)
{
    LMAlbumBuilder* album = State().fAlbum.get();
    return album != nullptr && album->Handle() == handle ? album : nullptr;
}

// Copies text and its NUL when it fits; otherwise as much as the buffer holds, cut with a NUL.
void CopyOut(const std::string& text, char* buffer, int32_t length)
{
    if (buffer == nullptr || length <= 0)
        return;
    size_t count = std::min(text.size(), static_cast<size_t>(length) - 1);
    std::memcpy(buffer, text.data(), count);
    buffer[count] = '\0';
}

int32_t CopyBytes(const std::vector<uint8_t>& bytes, void* buffer, int32_t length)
{
    auto size = static_cast<int32_t>(bytes.size());
    if (buffer != nullptr && length >= size && size > 0)
        std::memcpy(buffer, bytes.data(), bytes.size());
    return size;
}

bool ContainsNoCase(const std::string& text, const char* part)
{
    return LowerCase1252(text).find(part) != std::string::npos;
}

// Whether a feature list hides the theme from a client that is not the maker.
bool HidesTheme(std::vector<uint8_t>& features)
{
    try {
        NStream in(std::make_unique<NStreamMem>(features.data(), static_cast<int64_t>(features.size()), NStreamMode::kRead));
        LMChunkReader reader(in);
        int32_t type = 0;
        uint32_t version = 0;
        reader.ReadHeader(type, version);
        if (type != kTypeFeatureList || version != kFeatureListVersion)
            return false;
        for (int32_t tag = reader.NextChunk(); tag != kChunkFini; tag = reader.NextChunk()) {
            int32_t value = -1;
            if (reader.Length() == kIntBody)
                value = in.ReadInt32();
            else
                reader.Skip();
            if (tag == kTagCAPT || tag == kTagDATE || tag == kTagJPEG || tag == kTagTITL)
                continue;
            if (value == kHiddenLevel)
                return true;
        }
    } catch (const NFileException&) {
        // A read error ends the scan.
    }
    return false;
}

} // namespace

QLA_EXPORT int32_t QLA_CreateAlbum(const char* themePath, int32_t options, const char* outputPath, int32_t segmentSize)
{
    return Guard<int32_t>(kCreateFileError, [&]() -> int32_t {
        LibraryState& state = State();
        if (state.fAlbum)
            return kCreateAlreadyOpen;
        state.fAlbum.reset(new (std::nothrow) LMAlbumBuilder(state.fNextHandle));
        if (!state.fAlbum)
            return kCreateNoMemory;
        ++state.fNextHandle;
        int32_t result = kCreateFileError;
        try {
            result = state.fAlbum->Create(themePath, options, outputPath, segmentSize, state.fKeepFolder);
        } catch (...) {
            result = kCreateFileError;
        }
        // An unusable theme path leaves no archive, so no handle is reported for it.
        if (result == kCreateThemeUnusable)
            result = kCreateFileError;
        if (result < 0)
            state.fAlbum.reset();
        return result;
    });
}

QLA_EXPORT void QLA_SaveAlbumString(int32_t album, int32_t tag, const char* text)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            builder->SaveAlbumString(tag, text);
    });
}

QLA_EXPORT void QLA_SaveAlbumInt(int32_t album, int32_t tag, int32_t value)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            builder->SaveAlbumInt(tag, value);
    });
}

QLA_EXPORT int32_t QLA_OpenPhoto(int32_t album, const char* sourcePath, const char* pictureName, const char* title,
                                 const char* caption, int32_t date)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        LMAlbumBuilder* builder = Album(album);
        return builder != nullptr && builder->OpenPhoto(sourcePath, pictureName, title, caption, date) ? 1 : 0;
    });
}

QLA_EXPORT void QLA_SavePhotoString(int32_t album, int32_t tag, const char* text)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            builder->SavePhotoString(tag, text);
    });
}

QLA_EXPORT void QLA_SavePhotoInt(int32_t album, int32_t tag, int32_t value)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            builder->SavePhotoInt(tag, value);
    });
}

QLA_EXPORT void QLA_ClosePhoto(int32_t album)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            builder->ClosePhoto();
    });
}

QLA_EXPORT int32_t QLA_AddPhoto(int32_t album, const char* sourcePath, const char* pictureName, const char* title,
                                const char* caption, int32_t date)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        if (QLA_OpenPhoto(album, sourcePath, pictureName, title, caption, date) == 0)
            return 0;
        QLA_ClosePhoto(album);
        return 1;
    });
}

QLA_EXPORT int32_t QLA_SaveFile(int32_t album, const char* sourcePath, const char* nameInAlbum)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        LMAlbumBuilder* builder = Album(album);
        return builder != nullptr && builder->SaveFile(sourcePath, nameInAlbum) ? 1 : 0;
    });
}

QLA_EXPORT void QLA_GetCurPhotoName(int32_t album, char* buffer, int32_t length)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            CopyOut(builder->CurPhotoName(), buffer, length);
    });
}

QLA_EXPORT void QLA_CloseAlbum(int32_t album)
{
    Guard([&] {
        if (Album(album) == nullptr)
            return;
        std::unique_ptr<LMAlbumBuilder> builder = std::move(State().fAlbum);
        builder->Finish(true);
    });
}

QLA_EXPORT void QLA_GetOutputFilename(int32_t album, char* buffer, int32_t length)
{
    Guard([&] {
        LMAlbumBuilder* builder = Album(album);
        CopyOut(builder != nullptr ? builder->OutputHostName() : std::string(), buffer, length);
    });
}

QLA_EXPORT int32_t QLA_GetNumSegments(int32_t album)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        LMAlbumBuilder* builder = Album(album);
        return builder != nullptr ? builder->NumSegments() : 0;
    });
}

QLA_EXPORT void QLA_GetSegmentName(int32_t album, int32_t index, char* buffer, int32_t length)
{
    Guard([&] {
        if (LMAlbumBuilder* builder = Album(album))
            CopyOut(builder->SegmentName(index), buffer, length);
    });
}

QLA_EXPORT void QLA_SetKeepFolder(const char* folder)
{
    Guard([&] {
        State().fKeepFolder = LowerCase1252(folder != nullptr ? folder : "");
    });
}

QLA_EXPORT void QLA_VeltraMaker(int32_t flag)
{
    Guard([&] { State().fMakerFlag = flag; });
}

QLA_EXPORT int32_t QLA_LaunchViewer(const char* albumPath)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        if (State().fAlbum)
            return 0;
        std::string album = albumPath != nullptr ? albumPath : "";
        std::string className;
        if (!NRegistry::ReadString(kHKeyClassesRoot, kAlbumClassKey, "", className)
            || className.size() >= kRegistryBufferSize || !ContainsNoCase(className, kClassMark))
            className = kDefaultClass;
        char key[kKeyCapacity];
        std::snprintf(key, sizeof key, kOpenCommandFormat, className.c_str());
        std::string command;
        // An empty or missing command, or one too long for the lookup's buffer, is no command.
        if (!NRegistry::ReadString(kHKeyClassesRoot, key, "", command) || command.empty()
            || command.size() >= kRegistryBufferSize)
            return 0;
        if (command.find(kAlbumArgument) != std::string::npos) {
            for (size_t at = command.find(kAlbumArgument); at != std::string::npos;
                 at = command.find(kAlbumArgument, at + album.size()))
                command.replace(at, kAlbumArgumentLength, album);
        } else {
            command += ' ';
            command += album;
        }
        return NHostShell::StartCommandLine(command) >= kShellFirstSuccess ? 1 : 0;
    });
}

QLA_EXPORT void QLA_GetThemeName(const char* themePath, char* buffer, int32_t length)
{
    Guard([&] {
        if (buffer == nullptr)
            return;
        CopyOut(std::string(), buffer, length);
        std::string name;
        if (const LMThemeCacheEntry* entry = LMThemeCache::The().Lookup(themePath))
            name = entry->fName;
        if (name.empty()) {
            NHostLocale::SetFromEnvironment();
            LMThemeReader reader(themePath);
            LMThemeCacheEntry entry;
            entry.fName = reader.Name(NLanguage::The().LanguageName());
            entry.fIcon = reader.Icon();
            entry.fFeatures = reader.Features();
            entry.fThemeId = reader.ThemeId();
            entry.fTriple = reader.Triple();
            name = entry.fName;
            LMThemeCache::The().Add(themePath, std::move(entry));
        }
        CopyOut(name, buffer, length);
        if (State().fMakerFlag != 0)
            return;
        int32_t size = QLA_GetThemeFeatures(themePath, nullptr, 0);
        if (size <= 0)
            return;
        std::vector<uint8_t> features(static_cast<size_t>(size));
        if (QLA_GetThemeFeatures(themePath, features.data(), size) != size)
            return;
        if (HidesTheme(features))
            CopyOut(std::string(), buffer, length);
    });
}

QLA_EXPORT int32_t QLA_GetThemeIcon(const char* themePath, void* buffer, int32_t length)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        const LMThemeCacheEntry* entry = LMThemeCache::The().Lookup(themePath);
        if (entry != nullptr && !entry->fIcon.empty())
            return CopyBytes(entry->fIcon, buffer, length);
        LMThemeReader reader(themePath);
        return CopyBytes(reader.Icon(), buffer, length);
    });
}

QLA_EXPORT int32_t QLA_GetThemeFeatures(const char* themePath, void* buffer, int32_t length)
{
    return Guard<int32_t>(0, [&]() -> int32_t {
        if (const LMThemeCacheEntry* entry = LMThemeCache::The().Lookup(themePath))
            return CopyBytes(entry->fFeatures, buffer, length);
        LMThemeReader reader(themePath);
        return CopyBytes(reader.Features(), buffer, length);
    });
}

QLA_EXPORT int32_t QLA_GetThemeInfo(const char* themePath, int32_t* flag, int32_t* themeId, char* triple, int32_t length)
{
    return Guard<int32_t>(1, [&]() -> int32_t {
        if (flag == nullptr || themeId == nullptr)
            return 1;
        *flag = 0;
        *themeId = 0;
        if (triple != nullptr && length > 0)
            triple[0] = '\0';
        if (const LMThemeCacheEntry* entry = LMThemeCache::The().Lookup(themePath)) {
            *themeId = entry->fThemeId;
            CopyOut(entry->fTriple, triple, length);
            return 1;
        }
        LMThemeReader reader(themePath);
        if (reader.IsOpen()) {
            *themeId = reader.ThemeId();
            CopyOut(reader.Triple(), triple, length);
        }
        return 1;
    });
}

QLA_EXPORT int32_t QLA_VersionNumber(void)
{
    return Guard<int32_t>(kVersionNumber, [] { return kVersionNumber; });
}

QLA_EXPORT int32_t QLA_GetJpegQuality(void)
{
    return Guard<int32_t>(kJpegQuality, [] { return kJpegQuality; });
}

QLA_EXPORT void QLA_DebugOutputOn(void)
{
    Guard([] {});
}

QLA_EXPORT void QLA_DebugOutputOff(void)
{
    Guard([] {});
}
