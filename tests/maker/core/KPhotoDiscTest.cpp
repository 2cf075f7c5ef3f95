#include "maker/core/KPhotoDisc.h"

#include "maker/core/KMakerFolders.h"
#include "framework/NRegistry.h"
#include "tests/maker/core/KMakerTestSupport.h"

#include <gtest/gtest.h>

using namespace makertest;

namespace {

// E: a CD-ROM, F: a network drive, G: and H: removable; I: removable without media.
constexpr char kDrives[] = "E=%ROOT%/cdrom:cdrom;F=%ROOT%/net:remote;G=%ROOT%/stick:removable;"
                           "H=%ROOT%/card:removable;I=%ROOT%/empty:removable";

class KPhotoDiscTest : public ::testing::Test {
protected:
    KPhotoDiscTest() : fPrefix(kDrives)
    {
        fEnvironment.fAppFolder = DirOf(fPrefix.MakeFolder("app"));
        fEnvironment.fLanguage = "eng";
        for (const char* drive : {"cdrom", "net", "stick", "card"})
            fPrefix.MakeFolder(drive);
    }

    void Photo(const std::string& relative) const { NTestPrefix::WriteFile(fPrefix.Root() / relative, "jpeg"); }

    NTestPrefix fPrefix;
    KMakerEnvironment fEnvironment;
};

TEST_F(KPhotoDiscTest, RemovableDriveIsFoundPastCdromAndNetworkDrives)
{
    Photo("cdrom/Images/a.jpg");
    Photo("net/Images/a.jpg");
    Photo("card/Images/later.jpg");
    // The first removable drive's folder only qualifies through a ".JPG" file.
    Photo("stick/Images/notes.txt");
    Photo("stick/Images/photo.JpG");
    KPhotoDiscResult disc = KPhotoDisc::Find(fEnvironment);
    ASSERT_TRUE(disc.fFound);
    EXPECT_FALSE(disc.fPartner);
    EXPECT_EQ(disc.fPhotoFolder.HostPath(), "G:\\Images\\");
}

TEST_F(KPhotoDiscTest, ApplicationFolderComesBeforeTheDrives)
{
    Photo("app/Images/mine.JPG");
    Photo("stick/Images/a.jpg");
    KPhotoDiscResult disc = KPhotoDisc::Find(fEnvironment);
    ASSERT_TRUE(disc.fFound);
    EXPECT_EQ(disc.fPhotoFolder, fEnvironment.fAppFolder.SubDir("Images:"));
}

TEST_F(KPhotoDiscTest, NoDiscWithoutJpegNamedPhotos)
{
    Photo("app/Images/a.jpeg");
    Photo("stick/Images/b.png");
    Photo("stick/Images.jpg");
    EXPECT_FALSE(KPhotoDisc::Find(fEnvironment).fFound);
}

TEST_F(KPhotoDiscTest, PartnerDiscInstallsTheViewerOnlyInEnglish)
{
    Photo("stick/Images/a.jpg");
    Photo("stick/PSWView.exe");
    KPhotoDiscResult disc = KPhotoDisc::Find(fEnvironment);
    ASSERT_TRUE(disc.fFound);
    EXPECT_TRUE(disc.fPartner);
    EXPECT_TRUE(KPhotoDisc::InstallsPartnerViewer(fEnvironment, disc));
    fEnvironment.fLanguage = "deu";
    EXPECT_FALSE(KPhotoDisc::InstallsPartnerViewer(fEnvironment, disc));
    fEnvironment.fLanguage = "eng";
    disc.fPartner = false;
    EXPECT_FALSE(KPhotoDisc::InstallsPartnerViewer(fEnvironment, disc));
}

TEST_F(KPhotoDiscTest, CountsJpegNamesUnlessAPresetIsGiven)
{
    for (const char* name : {"a.jpg", "b.JPG", "c.jPg", "d.jpeg", "e.txt", "jpg", "f.jpg.bak"})
        Photo(std::string("app/Images/") + name);
    NFDirSpec folder = fEnvironment.fAppFolder.SubDir("Images:");
    EXPECT_EQ(KPhotoDisc::CountPhotos(folder, 0), 3);
    EXPECT_EQ(KPhotoDisc::CountPhotos(folder, 0, true), 4);
    EXPECT_EQ(KPhotoDisc::CountPhotos(folder, 7), 7);
    EXPECT_EQ(KPhotoDisc::CountPhotos(fEnvironment.fAppFolder.SubDir("Missing:"), 0), 0);
}

TEST(KMakerFoldersTest, FoldersFollowTheRegistryWithTheirFallbacks)
{
    NTestPrefix prefix("D=%ROOT%/apps:fixed");
    prefix.MakeFolder("apps");
    NFDirSpec albums = KMakerFolders::AlbumFolder(true);
    EXPECT_EQ(albums.HostPath(), "C:\\Program Files\\Lumora Maker\\My Lumoras\\");
    EXPECT_TRUE(fs::is_directory(prefix.DriveC() / "Program Files" / "Lumora Maker" / "My Lumoras"));
    EXPECT_EQ(KMakerFolders::PartnerFolder(false).HostPath(), "C:\\Program Files\\PSWPorts\\PSWPorts\\");
    EXPECT_FALSE(fs::exists(prefix.DriveC() / "Program Files" / "PSWPorts"));

    const std::string user = NHostDrives::The().UserName();
    EXPECT_EQ(KMakerFolders::DesktopFolder().HostPath(), "C:\\users\\" + user + "\\Desktop\\");
    EXPECT_EQ(KMakerFolders::ProgramsFolder().HostPath(), "C:\\users\\" + user + "\\Start Menu\\Programs\\");

    ASSERT_TRUE(NRegistry::WriteString(kHKeyLocalMachine, KMakerFolders::kVersionKey, "ProgramFilesDir", "D:\\"));
    EXPECT_EQ(KMakerFolders::PartnerFolder(true).HostPath(), "D:\\PSWPorts\\PSWPorts\\");
    EXPECT_TRUE(fs::is_directory(prefix.Root() / "apps" / "PSWPorts" / "PSWPorts"));
    ASSERT_TRUE(NRegistry::WriteString(kHKeyCurrentUser, KMakerFolders::kShellFoldersKey, "Desktop", ""));
    EXPECT_EQ(KMakerFolders::DesktopFolder().HostPath(), "C:\\Windows\\Desktop\\");
}

} // namespace
