// The Maker's own archive mounted as the program mounts it: everything production and the
// offer page read from it is there and is read through the archive.
#include "maker/core/KAlbumProduction.h"
#include "maker/core/KOfferPage.h"
#include "maker/core/KPlayerInstall.h"

#include "tests/maker/core/KMakerTestSupport.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

class KMakerArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fDisc = fPrefix.MakeFolder("disc");
        fs::create_directories(fDisc / "Data");
        fs::copy_file(LUMORA_ARCHIVE, fDisc / "Data" / "Qip.xpb");
        fEnvironment.fAppFolder = DirOf(fDisc);
        fEnvironment.fAssetsFolder = fEnvironment.fAppFolder.SubDir("Binder:Assets:");
        fEnvironment.fLanguageFolder = fEnvironment.fAssetsFolder.SubDir("eng:");
        fEnvironment.fLanguage = "eng";
        ASSERT_EQ(fArchive.Open(FileOf(fDisc / "Data" / "Qip.xpb"), fEnvironment.fAssetsFolder, NBinderMode::kRead), 2);
        NBinderRegistry::The().Register(&fArchive);
        ASSERT_TRUE(NStringTable::The().Load(NFileSpec(fEnvironment.fAssetsFolder, "eng.xst"), false));
    }

    void TearDown() override
    {
        NBinderRegistry::The().Unregister(&fArchive);
        static_cast<void>(fArchive.Close());   // read-only: nothing to write back
    }

    fs::path AlbumFolder() const { return fPrefix.DriveC() / "Program Files" / "Lumora Maker" / "My Lumoras"; }

    NTestPrefix fPrefix;
    fs::path fDisc;
    KMakerEnvironment fEnvironment;
    NBinder fArchive;
    RecordingSink fSink;
};

TEST_F(KMakerArchiveTest, SampleAlbumReadsThemeSamplesAndCoBrandFromTheArchive)
{
    KAlbumRequest request;
    request.fTheme = NFileSpec(fEnvironment.fAssetsFolder, "LMx:birthday.lmx");
    request.fAlbumName = NStringTable::The().GetString(1401);
    request.fPhotoFolder = fEnvironment.fLanguageFolder.SubDir("Samples:");
    request.fSampleMode = true;
    KAlbumProduction production(fEnvironment, fSink);
    ASSERT_EQ(production.Produce(request), 7);
    fs::path albumPath = AlbumFolder() / request.fAlbumName;
    ASSERT_TRUE(fs::exists(albumPath));
    NBinder checker;
    EXPECT_TRUE(checker.Verify(FileOf(albumPath)));

    AlbumReader album(albumPath);
    for (int i = 0; i < 7; ++i) {
        char element[32];
        std::snprintf(element, sizeof element, "photo:%04d.jpg", i);
        JpegInfo info = InfoOf(album.Read(element));
        EXPECT_EQ(info.fComponents, 3) << element;
        EXPECT_LE(info.fWidth, 640);
        EXPECT_LE(info.fHeight, 480);
    }
    // The co-brand archive is itself an element of the Maker's archive.
    EXPECT_TRUE(album.Has("cobrand:closing.jpg"));
    EXPECT_TRUE(album.Has("cobrand:show.txt"));
}

TEST_F(KMakerArchiveTest, OfferPageAndItsPicturesComeFromTheArchive)
{
    NFileSpec page;
    ASSERT_TRUE(KOfferPage::Make(fEnvironment, page));
    EXPECT_EQ(page.HostPath(), Host(AlbumFolder() / NStringTable::The().GetString(182)));
    EXPECT_EQ(NTestPrefix::ReadFile(AlbumFolder() / NStringTable::The().GetString(182)),
              NTestPrefix::ReadFile(fs::path(LUMORA_ASSETS_SOURCE) / "content" / "eng" / "mktOffer.htm"));
    fs::path images = AlbumFolder().parent_path() / "Data" / "imgw";
    for (const char* name : {"bb.gif", "b.gif", "990000.gif", "logo-qip.gif", "click.gif", "specoff.gif"})
        EXPECT_EQ(NTestPrefix::ReadFile(images / name).substr(0, 3), "GIF") << name;

    fEnvironment.fBrand = true;
    ASSERT_TRUE(KOfferPage::Make(fEnvironment, page));
    EXPECT_EQ(NTestPrefix::ReadFile(AlbumFolder() / NStringTable::The().GetString(182)),
              NTestPrefix::ReadFile(fs::path(LUMORA_ASSETS_SOURCE) / "content" / "eng" / "sfOffer.htm"));
}

TEST_F(KMakerArchiveTest, HelpTextComesFromTheLanguageFolderInTheArchive)
{
    fEnvironment.fLanguage = "deu";
    fEnvironment.fLanguageFolder = fEnvironment.fAssetsFolder.SubDir("deu:");
    NStringTable::The().Clear();
    ASSERT_TRUE(NStringTable::The().Load(NFileSpec(fEnvironment.fAssetsFolder, "deu.xst"), false));
    KPlayerInstall install(fEnvironment, fSink);
    static_cast<void>(install.Install());   // the archive here carries no setup program
    std::string name = NStringTable::The().GetString(180);
    EXPECT_EQ(NTestPrefix::ReadFile(AlbumFolder() / name),
              NTestPrefix::ReadFile(fs::path(LUMORA_ASSETS_SOURCE) / "content" / "deu" / "readme.txt"));
}

} // namespace
