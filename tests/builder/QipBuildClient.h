// The builder library loaded as a client loads it, with its 25 entry points, and helpers
// for making themes and reading albums back in tests.
#pragma once

#include "builder/include/qipbuild.h"
#include "platform/NHostDrives.h"
#include "platform/NHostLibrary.h"
#include "storage/NBinder.h"
#include "storage/NBinderRegistry.h"
#include "storage/NFAppDirSpec.h"
#include "storage/NStream.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>
#include <vector>

#define QIP_ENTRY(name) decltype(&::name) name = nullptr

/// Loads libqipbuild.so afresh (its state starts as at process start) and resolves every entry.
struct QipBuildClient {
    NHostLibrary fLibrary;
    QIP_ENTRY(QLA_CreateAlbum);
    QIP_ENTRY(QLA_SaveAlbumString);
    QIP_ENTRY(QLA_SaveAlbumInt);
    QIP_ENTRY(QLA_OpenPhoto);
    QIP_ENTRY(QLA_SavePhotoString);
    QIP_ENTRY(QLA_SavePhotoInt);
    QIP_ENTRY(QLA_ClosePhoto);
    QIP_ENTRY(QLA_AddPhoto);
    QIP_ENTRY(QLA_SaveFile);
    QIP_ENTRY(QLA_GetCurPhotoName);
    QIP_ENTRY(QLA_CloseAlbum);
    QIP_ENTRY(QLA_GetOutputFilename);
    QIP_ENTRY(QLA_GetNumSegments);
    QIP_ENTRY(QLA_GetSegmentName);
    QIP_ENTRY(QLA_SetKeepFolder);
    QIP_ENTRY(QLA_VeltraMaker);
    QIP_ENTRY(QLA_LaunchViewer);
    QIP_ENTRY(QLA_GetThemeName);
    QIP_ENTRY(QLA_GetThemeIcon);
    QIP_ENTRY(QLA_GetThemeFeatures);
    QIP_ENTRY(QLA_GetThemeInfo);
    QIP_ENTRY(QLA_VersionNumber);
    QIP_ENTRY(QLA_GetJpegQuality);
    QIP_ENTRY(QLA_DebugOutputOn);
    QIP_ENTRY(QLA_DebugOutputOff);

    bool Load()
    {
        if (!fLibrary.Load(NHostDrives::The().ToHost(LUMORA_QIPBUILD)))
            return false;
#define QIP_FIND(name) name = fLibrary.Find<decltype(name)>(#name); if (name == nullptr) return false
        QIP_FIND(QLA_CreateAlbum); QIP_FIND(QLA_SaveAlbumString); QIP_FIND(QLA_SaveAlbumInt);
        QIP_FIND(QLA_OpenPhoto); QIP_FIND(QLA_SavePhotoString); QIP_FIND(QLA_SavePhotoInt);
        QIP_FIND(QLA_ClosePhoto); QIP_FIND(QLA_AddPhoto); QIP_FIND(QLA_SaveFile);
        QIP_FIND(QLA_GetCurPhotoName); QIP_FIND(QLA_CloseAlbum); QIP_FIND(QLA_GetOutputFilename);
        QIP_FIND(QLA_GetNumSegments); QIP_FIND(QLA_GetSegmentName); QIP_FIND(QLA_SetKeepFolder);
        QIP_FIND(QLA_VeltraMaker); QIP_FIND(QLA_LaunchViewer); QIP_FIND(QLA_GetThemeName);
        QIP_FIND(QLA_GetThemeIcon); QIP_FIND(QLA_GetThemeFeatures); QIP_FIND(QLA_GetThemeInfo);
        QIP_FIND(QLA_VersionNumber); QIP_FIND(QLA_GetJpegQuality); QIP_FIND(QLA_DebugOutputOn);
        QIP_FIND(QLA_DebugOutputOff);
#undef QIP_FIND
        return true;
    }
};

#undef QIP_ENTRY

/// Four characters as the library's tag integers.
constexpr int32_t Tag(const char (&code)[5])
{
    return static_cast<int32_t>((uint32_t(uint8_t(code[0])) << 24) | (uint32_t(uint8_t(code[1])) << 16)
                                | (uint32_t(uint8_t(code[2])) << 8) | uint32_t(uint8_t(code[3])));
}

inline std::string Be32(uint32_t value)
{
    return std::string{char(value >> 24), char(value >> 16), char(value >> 8), char(value)};
}

inline std::string ChunkString(const std::string& text)
{
    return std::string{char(text.size() >> 8), char(text.size())} + text;
}

/// A chunk file built by hand: the header, then chunks appended, then "fini".
struct ChunkBytes {
    std::string fBytes;
    ChunkBytes(const char (&type)[5], uint32_t version) { fBytes = Be32(uint32_t(Tag(type))) + Be32(version); }
    ChunkBytes& Raw(const char (&tag)[5], const std::string& body)
    {
        fBytes += Be32(uint32_t(Tag(tag))) + Be32(uint32_t(body.size())) + body;
        return *this;
    }
    ChunkBytes& Int(const char (&tag)[5], int32_t value) { return Raw(tag, Be32(uint32_t(value))); }
    std::string Finish() const { return fBytes + Be32(uint32_t(Tag("fini"))) + Be32(0); }
};

/// One parsed chunk of an info element.
struct Chunk {
    std::string fTag;
    std::string fBody;
};

inline std::vector<Chunk> ParseChunks(const std::string& bytes, std::string& type)
{
    std::vector<Chunk> chunks;
    if (bytes.size() < 8)
        return chunks;
    type = bytes.substr(0, 4);
    for (size_t at = 8; at + 8 <= bytes.size();) {
        auto* p = reinterpret_cast<const uint8_t*>(bytes.data() + at + 4);
        size_t length = (size_t(p[0]) << 24) | (size_t(p[1]) << 16) | (size_t(p[2]) << 8) | p[3];
        chunks.push_back({bytes.substr(at, 4), bytes.substr(at + 8, length)});
        at += 8 + length;
    }
    return chunks;
}

inline std::string Tags(const std::vector<Chunk>& chunks)
{
    std::string out;
    for (const Chunk& chunk : chunks)
        out += (out.empty() ? "" : " ") + chunk.fTag;
    return out;
}

/// The host form of a Linux path.
inline std::string Host(const std::filesystem::path& path)
{
    return NHostDrives::The().ToHost(path.string());
}

/// A binder file opened for reading back what an album holds, by element path ("photo:0000.nfo").
class AlbumReader {
public:
    explicit AlbumReader(const std::filesystem::path& album)
    {
        NFileSpec spec;
        EXPECT_TRUE(NFileSpec::FromHostPath(Host(album), spec));
        fApplication = fBinder.Open(spec, Mount(), NBinderMode::kRead);
        EXPECT_TRUE(fBinder.IsOpen()) << album;
        NBinderRegistry::The().Register(&fBinder);
    }
    ~AlbumReader()
    {
        NBinderRegistry::The().Unregister(&fBinder);
        EXPECT_TRUE(fBinder.Close());
    }
    static NFDirSpec Mount() { return NFDirSpec(NFDriveSpec("\\\\album-test\\"), ""); }
    bool Has(const std::string& element)
    {
        int64_t position = 0;
        int32_t size = 0;
        return fBinder.Lookup(NFileSpec(Mount(), element), position, size);
    }
    std::string Read(const std::string& element)
    {
        int64_t position = 0;
        int32_t size = 0;
        if (!fBinder.Lookup(NFileSpec(Mount(), element), position, size))
            return "<missing " + element + ">";
        NStream in = NFileSpec(Mount(), element).Open(NStreamMode::kRead);
        std::string bytes(static_cast<size_t>(size), '\0');
        if (size > 0)
            in.ReadFully(size, bytes.data());
        return bytes;
    }
    /// Every file element's path below the root, folders with their ":".
    std::vector<std::string> Elements() const
    {
        std::vector<std::string> out;
        Walk(fBinder.Root(), "", out);
        return out;
    }
    int32_t Application() const { return fApplication; }
    const NBinder& Binder() const { return fBinder; }

private:
    static void Walk(const NBinderFolder* folder, const std::string& prefix, std::vector<std::string>& out);

    NBinder fBinder;
    int32_t fApplication = -1;
};

inline void AlbumReader::Walk(const NBinderFolder* folder, const std::string& prefix, std::vector<std::string>& out)
{
    if (folder == nullptr)
        return;
    for (const auto& element : folder->fElements) {
        if (element->IsFile())
            out.push_back(prefix + element->fName);
        else
            Walk(element->fFolder.get(), prefix + element->fName + ":", out);
    }
}

/// Makes a theme archive from (element path, bytes) pairs with an application number.
inline void MakeTheme(const std::filesystem::path& file, int32_t application,
                      const std::vector<std::pair<std::string, std::string>>& elements)
{
    std::filesystem::path loose = file.parent_path() / (file.filename().string() + ".src");
    std::filesystem::create_directories(file.parent_path());
    NFileSpec spec;
    ASSERT_TRUE(NFileSpec::FromHostPath(Host(file), spec));
    NFDirSpec mount = NFDirSpec(NFDriveSpec("\\\\theme-build\\"), "");
    NBinder binder;
    ASSERT_TRUE(binder.Create(spec, mount, application, 0));
    int index = 0;
    for (const auto& [path, bytes] : elements) {
        std::filesystem::path source = loose / std::to_string(index++);
        NTestPrefix::WriteFile(source, bytes);
        NFileSpec sourceSpec;
        ASSERT_TRUE(NFileSpec::FromHostPath(Host(source), sourceSpec));
        binder.Add(NFileSpec(mount, path), sourceSpec, static_cast<int64_t>(bytes.size()));
    }
    ASSERT_TRUE(binder.Close());
    std::filesystem::remove_all(loose);
}
