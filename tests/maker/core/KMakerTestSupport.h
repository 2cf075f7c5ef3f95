// Shared pieces of the Maker core tests: a disc and its assets in a temporary prefix, a
// progress sink that records what it was told, photos of chosen sizes.
#pragma once

#include "maker/core/KMakerEnvironment.h"
#include "maker/core/KProgressSink.h"
#include "storage/NFileException.h"
#include "tests/builder/QipBuildClient.h"
#include "tests/imaging/NJpegTestSupport.h"
#include "tests/support/NTestPrefix.h"
#include "tests/support/NTestStringTable.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace makertest {

namespace fs = std::filesystem;

/// Remembers every call in order: "steps N", "step", "picture NAME", "finish". Can be told
/// to throw a file exception at the n-th picture, as a screen that fails to read it would.
class RecordingSink : public KProgressSink {
public:
    void SetSteps(int32_t steps) override
    {
        fSteps = steps;
        fEvents.push_back("steps " + std::to_string(steps));
    }
    void Step() override
    {
        ++fStepped;
        fEvents.push_back("step");
    }
    void Finish() override { fEvents.push_back("finish"); }
    void ShowPicture(const NFileSpec& jpeg) override
    {
        fPictures.push_back(jpeg.Name());
        fEvents.push_back("picture " + jpeg.Name());
        if (static_cast<int32_t>(fPictures.size()) == fThrowAtPicture)
            throw NFileException(kFileCannotOpen, jpeg.DisplayName());
    }

    int32_t fSteps = -1;
    int32_t fStepped = 0;
    int32_t fThrowAtPicture = 0;
    std::vector<std::string> fPictures;
    std::vector<std::string> fEvents;
};

inline NFDirSpec DirOf(const fs::path& linuxFolder)
{
    NFDirSpec dir;
    EXPECT_TRUE(NFDirSpec::FromHostPath(Host(linuxFolder), dir)) << linuxFolder;
    return dir;
}

inline NFileSpec FileOf(const fs::path& linuxFile)
{
    NFileSpec file;
    EXPECT_TRUE(NFileSpec::FromHostPath(Host(linuxFile), file)) << linuxFile;
    return file;
}

/// A JPEG of the test pattern; grey ones through cjpeg, as a scanner would write them.
inline std::string JpegBytes(int32_t width, int32_t height, bool grey = false, const fs::path& scratch = {})
{
    if (!grey) {
        std::vector<uint8_t> bytes = NTestEncode(NTestPattern(width, height));
        return std::string(bytes.begin(), bytes.end());
    }
    fs::path pnm = scratch / "grey.pgm", jpeg = scratch / "grey.jpg";
    NTestWritePnm(pnm, NTestPattern(width, height), true);
    EXPECT_TRUE(NTestRun("cjpeg -grayscale -quality 80 -outfile " + NTestQuote(jpeg) + " " + NTestQuote(pnm)));
    return NTestPrefix::ReadFile(jpeg);
}

/// Width, height and components of JPEG bytes; components 0 when unreadable.
struct JpegInfo {
    int32_t fWidth = 0;
    int32_t fHeight = 0;
    int fComponents = 0;
};

inline JpegInfo InfoOf(const std::string& bytes)
{
    JpegInfo info;
    NStream probe{std::make_unique<NTestByteStream>(std::vector<uint8_t>(bytes.begin(), bytes.end()))};
    NRect rect;
    if (ReadJpegHeader(probe, rect, info.fComponents)) {
        info.fWidth = rect.fWidth;
        info.fHeight = rect.fHeight;
    }
    return info;
}

/// The first quantisation table of a JPEG, in the order the file stores it; empty if none.
inline std::vector<int> FirstQuantTable(const std::string& bytes)
{
    for (size_t at = 2; at + 4 < bytes.size();) {
        if (uint8_t(bytes[at]) != 0xFF)
            return {};
        uint8_t marker = uint8_t(bytes[at + 1]);
        size_t length = (size_t(uint8_t(bytes[at + 2])) << 8) | uint8_t(bytes[at + 3]);
        if (marker == 0xDB && at + 5 + 64 <= bytes.size() && (uint8_t(bytes[at + 4]) >> 4) == 0) {
            std::vector<int> table;
            for (size_t i = 0; i < 64; ++i)
                table.push_back(uint8_t(bytes[at + 5 + i]));
            return table;
        }
        if (marker == 0xDA)
            return {};
        at += 2 + length;
    }
    return {};
}

/// The luminance table the library writes at a quality, in the file's zig-zag order.
inline std::vector<int> LuminanceTableAt(int quality)
{
    static const int kBase[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                                  14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                                  18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                                  49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
    static const int kZigZag[64] = {0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,
                                    12, 19, 26, 33, 40, 48, 41, 34, 27, 20, 13, 6,  7,  14, 21, 28,
                                    35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23, 30, 37, 44, 51,
                                    58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
    int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    std::vector<int> table;
    for (int natural : kZigZag)
        table.push_back(std::clamp((kBase[natural] * scale + 50) / 100, 1, 255));
    return table;
}

/// One chunk body as a string ("16-bit length + bytes") or a big-endian integer.
inline std::string ChunkText(const std::string& body)
{
    return body.size() >= 2 ? body.substr(2) : std::string();
}

inline int32_t ChunkInt(const std::string& body)
{
    if (body.size() < 4)
        return -1;
    auto* p = reinterpret_cast<const uint8_t*>(body.data());
    return int32_t(uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]);
}

/// Whether an album file carries a checksum in its header and the checksum matches its bytes.
inline bool Sealed(const fs::path& album)
{
    std::string bytes = NTestPrefix::ReadFile(album);
    if (bytes.size() < 24 || bytes.substr(20, 4) == std::string(4, '\0'))
        return false;
    NBinder checker;
    uint32_t checksum = 0;
    return checker.Verify(FileOf(album), 0, &checksum) && Be32(checksum) == bytes.substr(20, 4);
}

/// The chunks of an info element without the ones the library writes itself.
inline std::vector<Chunk> MakerChunks(const std::string& info)
{
    std::string type;
    std::vector<Chunk> chunks;
    for (const Chunk& chunk : ParseChunks(info, type)) {
        bool library = chunk.fTag == "fini";
        for (int32_t tag : {Tag("NUMP"), Tag("OPTI"), Tag("DATE"), Tag("OSpc"), Tag("TSpc")})
            library = library || chunk.fTag == Be32(uint32_t(tag));
        if (!library)
            chunks.push_back(chunk);
    }
    return chunks;
}

/// The Maker chunks of an album for the store's photo order service: the tags in their order,
/// then each value. Only the intro title and the two credit lines differ between the flows that
/// make one; callers wrap it in ASSERT_NO_FATAL_FAILURE so a wrong count still ends the test.
inline void ExpectStoreOrderChunks(const std::vector<Chunk>& chunks, const std::string& introTitle,
                                   const std::string& creditSubtitle, const std::string& creditBody)
{
    EXPECT_EQ(Tags(chunks), "COBR GALL BLDN BLDV SHWI INTt INTd SHWC CRDt CRDs CRDb PSWd");
    ASSERT_EQ(chunks.size(), 12u);
    EXPECT_EQ(ChunkText(chunks[0].fBody), "mkt");
    EXPECT_EQ(ChunkText(chunks[1].fBody), "The Posewell");
    EXPECT_EQ(ChunkText(chunks[2].fBody), "PSW Maker");
    EXPECT_EQ(ChunkInt(chunks[3].fBody), 2);
    EXPECT_EQ(ChunkInt(chunks[4].fBody), 1);
    EXPECT_EQ(ChunkText(chunks[5].fBody), introTitle);
    EXPECT_EQ(ChunkText(chunks[6].fBody), "");
    EXPECT_EQ(ChunkInt(chunks[7].fBody), 1);
    EXPECT_EQ(ChunkText(chunks[8].fBody), "Lumora");
    EXPECT_EQ(ChunkText(chunks[9].fBody), creditSubtitle);
    EXPECT_EQ(ChunkText(chunks[10].fBody), creditBody);
    EXPECT_EQ(ChunkInt(chunks[11].fBody), 1);
}

inline const Chunk* FindChunk(const std::vector<Chunk>& chunks, const std::string& tag)
{
    for (const Chunk& chunk : chunks) {
        if (chunk.fTag == tag)
            return &chunk;
    }
    return nullptr;
}

/// A disc folder with the Maker's assets laid out loose below it ("assets:LMx:", "assets:eng:"),
/// a string table with the texts production stores, and the album folder of the prefix.
class MakerDisc {
public:
    explicit MakerDisc(const NTestPrefix& prefix) : fPrefix(prefix)
    {
        fDisc = prefix.MakeFolder("disc");
        fAssets = prefix.MakeFolder("disc/assets");
        fLanguage = prefix.MakeFolder("disc/assets/eng");
        fEnvironment.fAppFolder = DirOf(fDisc);
        fEnvironment.fAssetsFolder = fEnvironment.fAppFolder.SubDir("assets:");
        fEnvironment.fLanguageFolder = fEnvironment.fAssetsFolder.SubDir("eng:");
        fEnvironment.fLanguage = "eng";
        NWriteTestStringTable(FileOf(fAssets / "eng.xst"),
                              {{180, "Help me.txt"},
                               {182, "Offer.htm"},
                               {1703, "Store intro"},
                               {1704, "Partner intro"},
                               {1705, "Store subtitle"},
                               {1706, "Partner subtitle"},
                               {1707, "Store body"},
                               {1708, "Partner body"},
                               {1710, "Lumora Group"},
                               {1711, "Install Player"},
                               {1712, "Sample Photos"},
                               {1713, "My Albums"}});
        EXPECT_TRUE(NStringTable::The().Load(FileOf(fAssets / "eng.xst"), false));
        MakeTheme(fAssets / "LMx" / "birthday.lmx", 7,
                  {{"Theme:show.txt", "slides"}, {"@boy:blue.txt", "boy"}, {"@girl:pink.txt", "girl"}});
        MakeTheme(fLanguage / "marketa.xpb", 2,
                  {{"CoBrand:closing.jpg", "store closing"}, {"CoBrand:show.txt", "store show"}});
        MakeTheme(fLanguage / "snapfolio.xpb", 2, {{"CoBrand:closing.jpg", "partner closing"}});
    }

    fs::path AlbumFolder() const { return fPrefix.DriveC() / "Program Files" / "Lumora Maker" / "My Lumoras"; }
    NFileSpec Theme() const { return FileOf(fAssets / "LMx" / "birthday.lmx"); }
    void AddPhoto(const fs::path& folder, const std::string& name, const std::string& bytes) const
    {
        NTestPrefix::WriteFile(folder / name, bytes);
    }

    const NTestPrefix& fPrefix;
    fs::path fDisc;
    fs::path fAssets;
    fs::path fLanguage;
    KMakerEnvironment fEnvironment;
};

} // namespace makertest
