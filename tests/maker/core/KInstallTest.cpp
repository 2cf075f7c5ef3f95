// The player installation (with a stand-in setup that records how it was started) and the
// partner viewer installation.
#include "maker/core/KOfferPage.h"
#include "maker/core/KPartnerInstall.h"
#include "maker/core/KPlayerInstall.h"

#include "framework/NRegistry.h"
#include "platform/NHostShellLink.h"
#include "tests/maker/core/KMakerTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace makertest;

namespace {

// Stands in for the setup: writes its arguments beside itself, one a line, then exits.
constexpr char kFakeSetup[] =
    "#!/bin/sh\n"
    "here=$(dirname \"$0\")\n"
    "printf '%s\\n' \"$@\" > \"$here/setup-args.tmp\" && mv \"$here/setup-args.tmp\" \"$here/setup-args.txt\"\n";

// The three file times of a link's header.
constexpr size_t kLinkTimesStart = 28;
constexpr size_t kLinkTimesEnd = 52;

class KPlayerInstallTest : public ::testing::Test {
protected:
    KPlayerInstallTest() : fDisc(fPrefix)
    {
        NTestPrefix::WriteFile(fDisc.fAssets / "Setup" / "QipSetup.exe", kFakeSetup);
        NTestPrefix::WriteFile(fDisc.fAssets / "eng" / "readme.txt", "English help");
        NTestPrefix::WriteFile(fDisc.fAssets / "eng" / "mktOffer.htm", "<html>offer</html>");
        for (const char* name : {"bb.gif", "b.gif", "990000.gif", "logo-qip.gif"})
            NTestPrefix::WriteFile(fDisc.fAssets / "imghttp" / name, "GIF89a shared");
        for (const char* name : {"click.gif", "specoff.gif"})
            NTestPrefix::WriteFile(fDisc.fAssets / "eng" / name, "GIF89a english");
        fPrefix.MakeFolder("disc/Install");
        fPrefix.MakeFolder("disc/Samples");
    }

    fs::path UserFolder() const { return fPrefix.DriveC() / "users" / NHostDrives::The().UserName(); }

    /// The arguments the stand-in setup was started with, once it has written them.
    std::string SetupArguments() const
    {
        fs::path file = fDisc.AlbumFolder() / "setup-args.txt";
        for (int tries = 0; tries < 200 && !fs::exists(file); ++tries)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return NTestPrefix::ReadFile(file);
    }

    /// The link file at a Linux path is the one the shell-link object makes for these values.
    static void ExpectLink(const fs::path& link, const std::string& target, const std::string& description,
                           const std::string& workingFolder = "")
    {
        NHostShellLink expected;
        expected.SetPath(target);
        expected.SetDescription(description);
        if (!workingFolder.empty())
            expected.SetWorkingDirectory(workingFolder);
        std::string bytes;
        ASSERT_TRUE(expected.Build(Host(link), bytes)) << link;
        // The target's times are taken when the link is made; a folder's change afterwards.
        std::string written = NTestPrefix::ReadFile(link);
        ASSERT_GE(written.size(), kLinkTimesEnd) << link;
        for (size_t at = kLinkTimesStart; at < kLinkTimesEnd; ++at)
            written[at] = bytes[at] = '\0';
        EXPECT_EQ(written, bytes) << link;
    }

    NTestPrefix fPrefix;
    MakerDisc fDisc;
    RecordingSink fSink;
};

TEST_F(KPlayerInstallTest, InstallsShortcutsValuesHelpAndStartsTheSetupSilently)
{
    KPlayerInstall install(fDisc.fEnvironment, fSink);
    ASSERT_TRUE(install.Install());
    EXPECT_EQ(SetupArguments(), "-silent\n");
    EXPECT_EQ(fSink.fEvents, (std::vector<std::string>{"steps 6", "step", "step", "step", "step", "step", "step",
                                                       "finish"}));

    fs::path albums = fDisc.AlbumFolder();
    std::string albumsHost = Host(albums);
    ExpectLink(UserFolder() / "Desktop" / "My Albums.lnk", albumsHost, "My Lumoras");
    std::string value;
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", value));
    EXPECT_EQ(value, albumsHost + "\\");
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastOpenDir", "", value));
    EXPECT_EQ(value, albumsHost + "\\");

    ExpectLink(albums / "Lumora Group" / "Install Player.lnk", Host(fDisc.fDisc / "Install"), "Install Player");
    ExpectLink(albums / "Lumora Group" / "Sample Photos.lnk", Host(fDisc.fDisc / "Samples"), "Sample Photos");
    ExpectLink(UserFolder() / "Start Menu" / "Programs" / "Lumora" / "Lumora Group.lnk", Host(albums / "Lumora Group"),
               "Lumora Group");

    EXPECT_EQ(NTestPrefix::ReadFile(albums / "QipSetup.exe"), kFakeSetup);
    EXPECT_EQ(NTestPrefix::ReadFile(albums / "Read this if you need help.txt"), "English help");
    EXPECT_EQ(NTestPrefix::ReadFile(albums / "Offer.htm"), "<html>offer</html>");
    EXPECT_EQ(NTestPrefix::ReadFile(albums.parent_path() / "Data" / "imgw" / "click.gif"), "GIF89a english");
}

TEST_F(KPlayerInstallTest, ChosenFoldersStayAndTheLanguageFromTheFileIsPassedOn)
{
    ASSERT_TRUE(NRegistry::WriteString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", "D:\\Mine\\"));
    fs::remove_all(fDisc.fDisc / "Install");
    fs::remove_all(fDisc.fDisc / "Samples");
    // German without its own help text: the English one, under the German name.
    fDisc.fEnvironment.fLanguage = "deu";
    fDisc.fEnvironment.fLanguageFromFile = true;
    fDisc.fEnvironment.fLanguageFolder = fDisc.fEnvironment.fAssetsFolder.SubDir("deu:");
    KPlayerInstall install(fDisc.fEnvironment, fSink);
    EXPECT_TRUE(install.Install());
    EXPECT_EQ(SetupArguments(), "-silent\n-lang\ndeu\n");

    std::string value;
    NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", value);
    EXPECT_EQ(value, "D:\\Mine\\");
    NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastOpenDir", "", value);
    EXPECT_EQ(value, Host(fDisc.AlbumFolder()) + "\\");
    EXPECT_EQ(NTestPrefix::ReadFile(fDisc.AlbumFolder() / "Help me.txt"), "English help");
    // Neither folder on the disc: an empty group and no Start-menu link.
    EXPECT_TRUE(fs::is_directory(fDisc.AlbumFolder() / "Lumora Group"));
    EXPECT_TRUE(fs::is_empty(fDisc.AlbumFolder() / "Lumora Group"));
    EXPECT_FALSE(fs::exists(UserFolder() / "Start Menu" / "Programs" / "Lumora"));
}

TEST_F(KPlayerInstallTest, MissingSetupFailsButTheOtherStagesStillRun)
{
    fs::remove(fDisc.fAssets / "Setup" / "QipSetup.exe");
    KPlayerInstall install(fDisc.fEnvironment, fSink);
    EXPECT_FALSE(install.Install());
    EXPECT_EQ(fSink.fStepped, 6);
    EXPECT_NE(fSink.fEvents.back(), "finish");
    EXPECT_TRUE(fs::exists(UserFolder() / "Desktop" / "My Albums.lnk"));
    EXPECT_TRUE(fs::exists(fDisc.AlbumFolder() / "Read this if you need help.txt"));
    EXPECT_FALSE(fs::exists(fDisc.AlbumFolder() / "QipSetup.exe"));
}

TEST_F(KPlayerInstallTest, OfferPageIsNotMadeWhenOneOfItsFilesIsMissing)
{
    NFileSpec page;
    ASSERT_TRUE(KOfferPage::Make(fDisc.fEnvironment, page));
    EXPECT_EQ(page.HostPath(), Host(fDisc.AlbumFolder() / "Offer.htm"));
    fs::remove(fDisc.fAssets / "imghttp" / "b.gif");
    EXPECT_FALSE(KOfferPage::Make(fDisc.fEnvironment, page));
    // The partner brand has no page of its own here.
    fs::copy_file(fDisc.fAssets / "imghttp" / "bb.gif", fDisc.fAssets / "imghttp" / "b.gif");
    fDisc.fEnvironment.fBrand = true;
    EXPECT_FALSE(KOfferPage::Make(fDisc.fEnvironment, page));
}

// The setup program of the build, copied out of the assets and started as the Maker starts
// it, installs the player into the prefix without a window.
TEST_F(KPlayerInstallTest, RealSetupInstallsThePlayerSilently)
{
    setenv("LUMORA_HEADLESS", "1", 1);
    setenv("LUMORA_SETUP_QUIT_DELAY", "0", 1);
    fs::copy_file(LUMORA_QIPSETUP, fDisc.fAssets / "Setup" / "QipSetup.exe", fs::copy_options::overwrite_existing);
    KPlayerInstall install(fDisc.fEnvironment, fSink);
    ASSERT_TRUE(install.Install());

    // The setup runs on its own; it is done when its process has gone.
    fs::path setup = fs::canonical(fDisc.AlbumFolder() / "QipSetup.exe");
    auto running = [&setup] {
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::error_code error;
            if (fs::read_symlink(entry.path() / "exe", error) == setup)
                return true;
        }
        return false;
    };
    for (int tries = 0; tries < 1200 && running(); ++tries)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_FALSE(running());

    std::string command;
    EXPECT_TRUE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\shell\\open\\command", "", command));
    EXPECT_NE(command.find("Lumora.exe"), std::string::npos) << command;
    EXPECT_TRUE(fs::exists(fPrefix.DriveC() / "Program Files" / "Lumora" / "Lumora.exe"));
    // The albums folder the Maker chose stays the one the player saves to.
    std::string saveFolder;
    NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album\\LastSaveDir", "", saveFolder);
    EXPECT_EQ(saveFolder, Host(fDisc.AlbumFolder()) + "\\");
}

class KPartnerInstallTest : public KPlayerInstallTest {
protected:
    fs::path Partner() const { return fPrefix.DriveC() / "Program Files" / "PSWPorts" / "PSWPorts"; }
};

TEST_F(KPartnerInstallTest, PartnerDiscCopiesTheViewerInFivePartsWithShortcutsAndPhotos)
{
    // A viewer of three and a half copy buffers, so the parts do not fall on buffer edges.
    std::string viewer = "#!/bin/sh\nexit 0\n" + std::string(16384 * 3 + 8192, 'v');
    NTestPrefix::WriteFile(fPrefix.Root() / "stick" / "PSWView.exe", viewer);
    for (const char* name : {"a.jpg", "b.JPG", "c.jpg"})
        NTestPrefix::WriteFile(fPrefix.Root() / "stick" / "Images" / name, std::string("photo ") + name);
    NTestPrefix::WriteFile(fPrefix.Root() / "stick" / "Images" / "notes.txt", "not a photo");
    NTestPrefix::WriteFile(Partner() / "Images" / "c.jpg", "kept");

    KPartnerInstall install(fDisc.fEnvironment, fSink);
    ASSERT_TRUE(install.Install(DirOf(fPrefix.Root() / "stick" / "Images"), true));
    EXPECT_EQ(fSink.fSteps, 3 + 8);
    EXPECT_EQ(fSink.fStepped, 5 + 3);
    EXPECT_EQ(fSink.fEvents.back(), "finish");
    EXPECT_EQ(NTestPrefix::ReadFile(Partner() / "PSWView.exe"), viewer);
    EXPECT_EQ(fs::status(Partner() / "PSWView.exe").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);
    std::string partnerHost = Host(Partner());
    ExpectLink(UserFolder() / "Desktop" / "Posewell.lnk", partnerHost + "\\PSWView.exe", "Posewell", partnerHost);
    ExpectLink(UserFolder() / "Start Menu" / "Programs" / "PSW Posewerks" / "Posewell.lnk",
               partnerHost + "\\PSWView.exe", "Posewell", partnerHost);
    EXPECT_EQ(NTestPrefix::ReadFile(Partner() / "Images" / "a.jpg"), "photo a.jpg");
    EXPECT_EQ(NTestPrefix::ReadFile(Partner() / "Images" / "b.JPG"), "photo b.JPG");
    EXPECT_EQ(NTestPrefix::ReadFile(Partner() / "Images" / "c.jpg"), "kept");
    EXPECT_FALSE(fs::exists(Partner() / "Images" / "notes.txt"));
}

TEST_F(KPartnerInstallTest, PlainDiscCopiesOnlyThePhotosAndAMissingViewerFails)
{
    NTestPrefix::WriteFile(fPrefix.Root() / "stick" / "Images" / "a.jpg", "photo");
    KPartnerInstall plain(fDisc.fEnvironment, fSink);
    ASSERT_TRUE(plain.Install(DirOf(fPrefix.Root() / "stick" / "Images"), false));
    EXPECT_EQ(fSink.fStepped, 1);
    EXPECT_FALSE(fs::exists(Partner() / "PSWView.exe"));
    EXPECT_EQ(NTestPrefix::ReadFile(Partner() / "Images" / "a.jpg"), "photo");

    RecordingSink failing;
    KPartnerInstall broken(fDisc.fEnvironment, failing);
    EXPECT_FALSE(broken.Install(DirOf(fPrefix.Root() / "stick" / "Images"), true));
    EXPECT_NE(failing.fEvents.back(), "finish");
}

TEST_F(KPartnerInstallTest, AShortcutThatCannotBeSavedFailsTheInstallation)
{
    NTestPrefix::WriteFile(fPrefix.Root() / "stick" / "PSWView.exe", "#!/bin/sh\n");
    NTestPrefix::WriteFile(fPrefix.Root() / "stick" / "Images" / "a.jpg", "photo");
    ASSERT_TRUE(NRegistry::WriteString(kHKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                       "Desktop", "C:\\No Such Folder"));
    KPartnerInstall install(fDisc.fEnvironment, fSink);
    EXPECT_FALSE(install.Install(DirOf(fPrefix.Root() / "stick" / "Images"), true));
    EXPECT_NE(fSink.fEvents.back(), "finish");
    // The rest was still done.
    EXPECT_TRUE(fs::exists(UserFolder() / "Start Menu" / "Programs" / "PSW Posewerks" / "Posewell.lnk"));
    EXPECT_EQ(NTestPrefix::ReadFile(Partner() / "Images" / "a.jpg"), "photo");
}

} // namespace
