#include "maker/core/KAlbumProduction.h"

#include "maker/core/KNewbornData.h"
#include "tests/maker/core/KMakerTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sys/stat.h>

using namespace makertest;

namespace {

struct DiscPhoto {
    std::string fName;
    std::string fBytes;
};

class KAlbumProductionTest : public ::testing::Test {
protected:
    KAlbumProductionTest() : fDisc(fPrefix) {}

    fs::path Images() const { return fDisc.fDisc / "Images"; }

    KAlbumRequest Request(const std::string& albumName = "Birthday.Qip")
    {
        KAlbumRequest request;
        request.fTheme = fDisc.Theme();
        request.fAlbumName = albumName;
        request.fPhotoFolder = DirOf(Images());
        return request;
    }

    fs::path AlbumPath(const std::string& albumName = "Birthday.Qip") const { return fDisc.AlbumFolder() / albumName; }

    /// The ".JPG" names of the folder in the order the host lists them.
    static std::vector<std::string> ListedJpegs(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            std::string name = entry.path().filename().string();
            std::string upper = name;
            std::transform(upper.begin(), upper.end(), upper.begin(), ::toupper);
            if (upper.size() > 4 && upper.ends_with(".JPG"))
                names.push_back(name);
        }
        return names;
    }

    NTestPrefix fPrefix;
    MakerDisc fDisc;
    RecordingSink fSink;
};

TEST_F(KAlbumProductionTest, DiscAlbumHoldsChunksDiscDataPhotosAndCoBrandInOrderAndIsSealed)
{
    std::map<std::string, std::string> sources = {
        {"big.jpg", JpegBytes(1600, 1200)},
        {"exact.JPG", JpegBytes(640, 480)},
        {"grey.jpg", JpegBytes(640, 480, true, fPrefix.Root())},
        {"portrait.jpg", JpegBytes(480, 640)},
        {"tall.jpg", JpegBytes(500, 900)},
        {"broken.jpg", "this is not a JPEG file at all"},
    };
    for (const auto& [name, bytes] : sources)
        fDisc.AddPhoto(Images(), name, bytes);
    fDisc.AddPhoto(Images(), "notes.txt", "not a photo");
    NTestPrefix::WriteFile(fDisc.fDisc / "DATA.DAT", "order 42");
    // The theme copy of an earlier run must not stop this one.
    NTestPrefix::WriteFile(fDisc.AlbumFolder() / "selected.lmx", "stale");

    KAlbumProduction production(fDisc.fEnvironment, fSink);
    ASSERT_EQ(production.Produce(Request()), 5);
    EXPECT_EQ(production.AlbumFile().HostPath(), Host(AlbumPath()));
    EXPECT_FALSE(fs::exists(fDisc.AlbumFolder() / "selected.lmx"));
    ASSERT_TRUE(fs::exists(AlbumPath()));
    EXPECT_TRUE(Sealed(AlbumPath()));

    // Two steps per counted photo; one before and one after each, the picture between.
    EXPECT_EQ(fSink.fSteps, 12);
    EXPECT_EQ(fSink.fStepped, 12);
    EXPECT_EQ(fSink.fEvents.back(), "finish");
    std::vector<std::string> order = ListedJpegs(Images());
    std::vector<std::string> expectedEvents = {"steps 12"};
    for (const std::string& name : order) {
        expectedEvents.push_back("step");
        if (name != "broken.jpg")
            expectedEvents.push_back("picture " + name);
        expectedEvents.push_back("step");
    }
    expectedEvents.push_back("finish");
    EXPECT_EQ(fSink.fEvents, expectedEvents);

    AlbumReader album(AlbumPath());
    std::vector<Chunk> chunks = MakerChunks(album.Read("photo:Album.nfo"));
    ASSERT_NO_FATAL_FAILURE(ExpectStoreOrderChunks(chunks, "Store intro", "Store subtitle", "Store body"));
    EXPECT_EQ(album.Read("photo:PSWdata.dat"), "order 42");

    // The theme's own elements, the variant folders of a non-newborn album left out.
    EXPECT_EQ(album.Read("theme:show.txt"), "slides");
    EXPECT_FALSE(album.Has("@boy:blue.txt"));
    EXPECT_FALSE(album.Has("@girl:pink.txt"));
    EXPECT_EQ(album.Read("cobrand:closing.jpg"), "store closing");
    EXPECT_EQ(album.Read("cobrand:show.txt"), "store show");

    // Photos in directory order, each fitted as its size asks; the unreadable one skipped.
    int index = 0;
    for (const std::string& name : order) {
        if (name == "broken.jpg")
            continue;
        char element[32];
        std::snprintf(element, sizeof element, "photo:%04d", index++);
        std::string stored = album.Read(std::string(element) + ".jpg");
        std::vector<Chunk> info = MakerChunks(album.Read(std::string(element) + ".nfo"));
        SCOPED_TRACE(name);
        const Chunk* fnam = FindChunk(info, "FNAM");
        ASSERT_NE(fnam, nullptr);
        EXPECT_EQ(ChunkText(fnam->fBody), Host(Images() / name));
        struct stat status {};
        ASSERT_EQ(stat((Images() / name).c_str(), &status), 0);
        std::string nfo = album.Read(std::string(element) + ".nfo");
        EXPECT_NE(nfo.find("DATE" + Be32(4) + Be32(uint32_t(std::min(status.st_mtime, status.st_ctime)))),
                  std::string::npos);

        JpegInfo jpeg = InfoOf(stored);
        EXPECT_EQ(jpeg.fComponents, 3);
        if (name == "big.jpg") {
            EXPECT_EQ(std::pair(jpeg.fWidth, jpeg.fHeight), std::pair(640, 480));
            EXPECT_EQ(FirstQuantTable(stored), LuminanceTableAt(90));
        } else if (name == "exact.JPG") {
            EXPECT_EQ(stored, sources[name]);
        } else if (name == "grey.jpg") {
            EXPECT_EQ(std::pair(jpeg.fWidth, jpeg.fHeight), std::pair(640, 480));
            EXPECT_NE(stored, sources[name]);
            EXPECT_EQ(FirstQuantTable(stored), LuminanceTableAt(90));
        } else if (name == "portrait.jpg") {
            // Taller than 480: fitted like every other photo.
            EXPECT_EQ(std::pair(jpeg.fWidth, jpeg.fHeight), std::pair(360, 480));
        } else if (name == "tall.jpg") {
            EXPECT_EQ(std::pair(jpeg.fWidth, jpeg.fHeight), std::pair(266, 480));
        }
    }
    EXPECT_FALSE(album.Has("photo:0005.jpg"));
    EXPECT_FALSE(fs::exists(fs::path(fPrefix.Root()) / "pswjpg.tmp"));
}

TEST_F(KAlbumProductionTest, SampleModeAddsTheSevenSamplesInOrderAndNothingElse)
{
    fs::path samples = fDisc.fLanguage / "Samples";
    for (int i = 6; i >= 0; --i)
        fDisc.AddPhoto(samples, std::to_string(i) + ".jpg", JpegBytes(320 + i, 240));
    fDisc.AddPhoto(samples, "7.jpg", JpegBytes(100, 100));
    fDisc.AddPhoto(samples, "extra.JPG", JpegBytes(100, 100));
    NTestPrefix::WriteFile(fDisc.fLanguage / "DATA.DAT", "not from a disc");
    KAlbumRequest request = Request();
    request.fPhotoFolder = fDisc.fEnvironment.fLanguageFolder.SubDir("Samples:");
    request.fSampleMode = true;
    request.fNoScratch = true;

    KAlbumProduction production(fDisc.fEnvironment, fSink);
    ASSERT_EQ(production.Produce(request), 7);
    EXPECT_EQ(fSink.fSteps, 14);
    EXPECT_EQ(fSink.fPictures, (std::vector<std::string>{"0.jpg", "1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg", "6.jpg"}));
    AlbumReader album(AlbumPath());
    for (int i = 0; i < 7; ++i) {
        char element[32];
        std::snprintf(element, sizeof element, "photo:%04d", i);
        EXPECT_EQ(InfoOf(album.Read(std::string(element) + ".jpg")).fWidth, 320 + i);
    }
    EXPECT_FALSE(album.Has("photo:0007.jpg"));
    std::vector<Chunk> chunks = MakerChunks(album.Read("photo:Album.nfo"));
    EXPECT_EQ(Tags(chunks), "COBR GALL BLDN BLDV SHWI INTt INTd SHWC CRDt CRDs CRDb cSCR");
    EXPECT_EQ(ChunkText(chunks.back().fBody), "no scratch");
    EXPECT_FALSE(album.Has("photo:PSWdata.dat"));
}

TEST_F(KAlbumProductionTest, NewbornGirlKeepsOnlyTheGirlFolderAndStoresHerChunksLast)
{
    fDisc.AddPhoto(Images(), "baby.jpg", JpegBytes(640, 480));
    fDisc.fEnvironment.fBrand = true;
    KNewbornData baby;
    baby.fBoy = false;
    baby.fFirst = "Anna";
    baby.fMiddle = "Marie";
    baby.fLast = "Berg";
    baby.fDate = "May 1";
    baby.fWeight = "3 kg";
    baby.fLength = "50 cm";
    baby.fInitial[0] = "A";
    baby.fInitial[2] = "B";
    KAlbumRequest request = Request("Newborn.Qip");
    request.fNewborn = &baby;

    KAlbumProduction production(fDisc.fEnvironment, fSink);
    ASSERT_EQ(production.Produce(request), 1);
    AlbumReader album(AlbumPath("Newborn.Qip"));
    EXPECT_EQ(album.Read("@girl:pink.txt"), "girl");
    EXPECT_FALSE(album.Has("@boy:blue.txt"));
    EXPECT_EQ(album.Read("cobrand:closing.jpg"), "partner closing");
    EXPECT_FALSE(album.Has("cobrand:show.txt"));
    std::vector<Chunk> chunks = MakerChunks(album.Read("photo:Album.nfo"));
    EXPECT_EQ(Tags(chunks), "COBR GALL BLDN BLDV SHWI INTt INTd SHWC CRDt CRDs CRDb "
                            "FLDR @1st @Mid @Lst @Dat @Wgt @Len @Ini");
    ASSERT_EQ(chunks.size(), 19u);
    EXPECT_EQ(ChunkText(chunks[0].fBody), "sf");
    EXPECT_EQ(ChunkText(chunks[5].fBody), "Partner intro");
    EXPECT_EQ(ChunkText(chunks[9].fBody), "Partner subtitle");
    EXPECT_EQ(ChunkText(chunks[10].fBody), "Partner body");
    std::vector<std::string> values;
    for (size_t i = 11; i < chunks.size(); ++i)
        values.push_back(ChunkText(chunks[i].fBody));
    EXPECT_EQ(values, (std::vector<std::string>{"@girl", "Anna", "Marie", "Berg", "May 1", "3 kg", "50 cm", "A B"}));
    EXPECT_TRUE(Sealed(AlbumPath("Newborn.Qip")));
}

TEST_F(KAlbumProductionTest, NoUsablePhotoLeavesNoAlbum)
{
    fDisc.AddPhoto(Images(), "broken.JPG", "garbage");
    KAlbumProduction production(fDisc.fEnvironment, fSink);
    EXPECT_EQ(production.Produce(Request()), 0);
    EXPECT_FALSE(fs::exists(AlbumPath()));
    EXPECT_FALSE(fs::exists(fDisc.AlbumFolder() / "selected.lmx"));
}

// A file exception in the middle (here from the screen reading the picture) ends production
// early, but the album is finished and sealed with the photos added so far.
TEST_F(KAlbumProductionTest, FileExceptionMidwayStillFinishesAndSealsTheAlbum)
{
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        fDisc.AddPhoto(Images(), name, JpegBytes(200, 150));
    fSink.fThrowAtPicture = 3;
    KAlbumProduction production(fDisc.fEnvironment, fSink);
    EXPECT_EQ(production.Produce(Request()), 2);
    ASSERT_TRUE(fs::exists(AlbumPath()));
    EXPECT_TRUE(Sealed(AlbumPath()));
    AlbumReader album(AlbumPath());
    EXPECT_TRUE(album.Has("photo:0000.jpg"));
    EXPECT_TRUE(album.Has("photo:0001.nfo"));
    EXPECT_FALSE(album.Has("photo:0002.jpg"));
    EXPECT_EQ(album.Read("cobrand:closing.jpg"), "store closing");
    EXPECT_NE(album.Read("photo:Album.nfo").find("NUMP" + Be32(4) + Be32(2)), std::string::npos);
    EXPECT_FALSE(fs::exists(fDisc.AlbumFolder() / "selected.lmx"));
}

TEST_F(KAlbumProductionTest, FileExceptionBeforeAnyPhotoDeletesTheAlbum)
{
    fDisc.AddPhoto(Images(), "a.jpg", JpegBytes(200, 150));
    fSink.fThrowAtPicture = 1;
    KAlbumProduction production(fDisc.fEnvironment, fSink);
    EXPECT_EQ(production.Produce(Request()), 0);
    EXPECT_FALSE(fs::exists(AlbumPath()));
    EXPECT_FALSE(fs::exists(fDisc.AlbumFolder() / "selected.lmx"));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(fDisc.AlbumFolder()))
        left.push_back(entry.path().filename().string());
    EXPECT_TRUE(left.empty()) << left.front();
}

TEST_F(KAlbumProductionTest, MissingThemeMakesNoAlbum)
{
    fDisc.AddPhoto(Images(), "a.jpg", JpegBytes(200, 150));
    KAlbumRequest request = Request();
    request.fTheme = FileOf(fDisc.fAssets / "LMx" / "missing.lmx");
    KAlbumProduction production(fDisc.fEnvironment, fSink);
    EXPECT_EQ(production.Produce(request), 0);
    EXPECT_FALSE(fs::exists(AlbumPath()));
}

} // namespace
