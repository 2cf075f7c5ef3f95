// Tests of the drive table and of path conversion between host form and Linux.
#include "platform/NHostDrives.h"

#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class NHostDrivesTest : public ::testing::Test {
protected:
    static std::string Linux(std::string_view hostPath)
    {
        std::string path;
        return NHostDrives::The().ToLinux(hostPath, path) ? path : "(unmapped)";
    }

    // Removable media mounted on this machine take letters from D: on, so count down from Y:.
    static std::string UnusedLetter()
    {
        for (char letter = 'Y'; letter > 'C'; --letter) {
            std::string root = std::string(1, letter) + ":\\";
            if (NHostDrives::The().DriveType(root) == kDriveNoRootDir)
                return std::string(1, letter) + ":";
        }
        return "";
    }

    static size_t DrivesUnder(const fs::path& root)
    {
        size_t count = 0;
        for (const NHostDrive& drive : NHostDrives::The().Drives())
            count += drive.fFolder.starts_with(root.string()) ? 1 : 0;
        return count;
    }
};

TEST_F(NHostDrivesTest, RemovableAndCdromDrivesComeFromTheEnvironment)
{
    NTestPrefix prefix("D=%ROOT%/usb stick:removable;e=%ROOT%/disc:cdrom;\\\\Srv\\Photos=%ROOT%/net:remote");
    const NHostDrives& drives = NHostDrives::The();
    EXPECT_EQ(drives.DriveType("D:\\"), kDriveRemovable);
    EXPECT_EQ(drives.DriveType("d:"), kDriveRemovable);
    EXPECT_EQ(drives.DriveType("E:/"), kDriveCdrom);
    EXPECT_EQ(drives.DriveType("\\\\srv\\PHOTOS\\"), kDriveRemote);
    EXPECT_EQ(drives.DriveType("C:\\"), kDriveFixed);
    EXPECT_EQ(drives.DriveType("Z:"), kDriveFixed);
    EXPECT_EQ(drives.DriveType("D:\\folder"), kDriveNoRootDir);
    EXPECT_EQ(drives.DriveType(UnusedLetter()), kDriveNoRootDir);
    EXPECT_EQ(Linux("D:\\a.jpg"), (prefix.Root() / "usb stick/a.jpg").string());
    EXPECT_EQ(Linux("e:"), (prefix.Root() / "disc").string());
    EXPECT_EQ(Linux("//SRV/photos/x"), (prefix.Root() / "net/x").string());
}

TEST_F(NHostDrivesTest, DrivesConfAddsEntriesAndTheEnvironmentOverridesThem)
{
    NTestPrefix prefix("D=%ROOT%/env:cdrom");
    std::string root = prefix.Root().string();
    NTestPrefix::WriteFile(prefix.Prefix() / "drives.conf",
                           "# removable drives\n"
                           "\n"
                           "D: " + root + "/conf removable\n"
                           "  F:   " + root + "/my  floppy   ramdisk  \r\n"
                           "\\\\Server\\Share " + root + "/net dir remote\n"
                           "G: relative/dir fixed\n"
                           "H: " + root + "/h floppy\n"
                           "I: " + root + "/i\n"
                           "C: " + root + "/c removable\n");
    NHostDrives::The().Reload();
    const NHostDrives& drives = NHostDrives::The();
    EXPECT_EQ(drives.DriveType("D:"), kDriveCdrom);
    EXPECT_EQ(Linux("D:\\x"), root + "/env/x");
    EXPECT_EQ(drives.DriveType("F:"), kDriveRamdisk);
    EXPECT_EQ(Linux("F:\\x"), root + "/my  floppy/x");
    EXPECT_EQ(drives.DriveType("\\\\server\\share"), kDriveRemote);
    EXPECT_EQ(Linux("\\\\SERVER\\share\\x"), root + "/net dir/x");
    EXPECT_EQ(DrivesUnder(prefix.Root()), 4u);   // C:, D:, F: and the share
    EXPECT_EQ(Linux("C:\\x"), (prefix.DriveC() / "x").string());
}

TEST_F(NHostDrivesTest, MalformedEntriesAndDrivesCAndZAreSkipped)
{
    NTestPrefix prefix("D=relative:fixed;E=%ROOT%/e:floppy;;F%ROOT%/f:fixed;G=%ROOT%/g;"
                       " H=%ROOT%/a:b:fixed ;\\\\lone=%ROOT%/l:remote;C=%ROOT%/c:removable;"
                       "Z=%ROOT%/z:cdrom");
    EXPECT_EQ(DrivesUnder(prefix.Root()), 2u);   // C: and H:
    EXPECT_EQ(NHostDrives::The().DriveType("H:"), kDriveFixed);
    EXPECT_EQ(Linux("H:\\x"), (prefix.Root() / "a:b/x").string());
    EXPECT_EQ(NHostDrives::The().DriveType("C:"), kDriveFixed);
    EXPECT_EQ(Linux("C:\\x"), (prefix.DriveC() / "x").string());
    EXPECT_EQ(Linux("Z:\\etc"), "/etc");
}

TEST_F(NHostDrivesTest, DotDotNeverClimbsAboveDriveRoot)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed;\\\\srv\\share=%ROOT%/net:remote");
    EXPECT_EQ(Linux("C:\\..\\..\\etc\\passwd"), (prefix.DriveC() / "etc/passwd").string());
    EXPECT_EQ(Linux("C:\\a\\.\\b\\..\\..\\..\\c"), (prefix.DriveC() / "c").string());
    EXPECT_EQ(Linux("d:/../.."), (prefix.Root() / "d").string());
    EXPECT_EQ(Linux("\\\\srv\\share\\..\\x"), (prefix.Root() / "net/x").string());
    EXPECT_EQ(Linux("Z:\\..\\tmp\\\\x\\"), "/tmp/x");
}

TEST_F(NHostDrivesTest, PathsNotInHostFormOrOnUnknownRootsFail)
{
    NTestPrefix prefix("\\\\srv\\share=%ROOT%/net:remote");
    for (std::string bad : {"", "foo\\bar", "C:foo", "\\foo", "/etc/passwd", "\\\\srv", "\\\\srv\\",
                            "\\\\other\\share\\x", "\\\\srv\\other", "1:\\x"})
        EXPECT_EQ(Linux(bad), "(unmapped)") << bad;
    EXPECT_EQ(Linux(UnusedLetter() + "\\x"), "(unmapped)");
    EXPECT_EQ(Linux(std::string("C:\\a\0b", 6)), "(unmapped)");
}

TEST_F(NHostDrivesTest, PrefixIsMadeOnFirstMappingOntoDriveC)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed");
    Linux("D:\\x");
    NHostDrives::The().ToHost(prefix.DriveC().string());
    EXPECT_FALSE(fs::exists(prefix.Prefix()));
    Linux("c:\\");
    std::string user = "users/" + NHostDrives::The().UserName();
    for (const std::string& folder : {std::string("Program Files"), std::string("windows/system"),
                                      user + "/Temp", user + "/Desktop", user + "/Start Menu/Programs",
                                      user + "/Application Data"})
        EXPECT_TRUE(fs::is_directory(prefix.DriveC() / folder)) << folder;
}

TEST_F(NHostDrivesTest, EveryComponentResolvesInAnyCaseAndExactNamesWin)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed");
    NTestPrefix::WriteFile(prefix.Root() / "d/Photos/Summer 2024/Beach.JPG", "x");
    prefix.MakeFolder("d/readme");
    prefix.MakeFolder("d/README");
    fs::create_directories(prefix.DriveC() / "Program Files/Lumora");
    EXPECT_EQ(Linux("d:\\PHOTOS\\summer 2024\\beach.jpg"),
              (prefix.Root() / "d/Photos/Summer 2024/Beach.JPG").string());
    EXPECT_EQ(Linux("C:\\PROGRAM FILES\\lumora\\Qip.xpb"),
              (prefix.DriveC() / "Program Files/Lumora/Qip.xpb").string());
    // Both spellings exist: each must find itself, whichever the folder lists first.
    EXPECT_EQ(Linux("D:\\README"), (prefix.Root() / "d/README").string());
    EXPECT_EQ(Linux("D:\\readme"), (prefix.Root() / "d/readme").string());
}

// Host names are Windows-1252 ("Ä" is C4), Linux names UTF-8 ("ä" is C3 A4 on disk).
TEST_F(NHostDrivesTest, MissingNamesKeepTheirCaseAndCodePageLettersFold)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed");
    prefix.MakeFolder("d/Photos/sub");
    prefix.MakeFolder("d/\xC3\xA4rger");   // "ärger" in UTF-8
    EXPECT_EQ(Linux("D:\\photos\\New Folder\\SUB\\File.TXT"),
              (prefix.Root() / "d/Photos/New Folder/SUB/File.TXT").string());
    EXPECT_EQ(Linux("D:\\\xC4RGER"), (prefix.Root() / "d/\xC3\xA4rger").string()) << "Ä folds to ä";
    EXPECT_EQ(Linux("D:\\\xE4rger\\Neu"), (prefix.Root() / "d/\xC3\xA4rger/Neu").string());
    EXPECT_EQ(Linux("D:\\\xC4RGER2"), (prefix.Root() / "d/\xC3\x84RGER2").string()) << "a new name in UTF-8";
    EXPECT_EQ(Linux("D:\\\x80uro"), (prefix.Root() / "d/\xE2\x82\xACuro").string()) << "0x80 is the euro sign";
    // A legacy name that is not UTF-8 is found byte for byte.
    prefix.MakeFolder("d/caf\xE9");
    EXPECT_EQ(Linux("D:\\caf\xE9"), (prefix.Root() / "d/caf\xE9").string());
    EXPECT_EQ(NHostDrives::The().ToHost((prefix.Root() / "d/caf\xE9").string()), "D:\\caf\xE9");
}

TEST_F(NHostDrivesTest, ToHostUsesTheLongestDriveFolder)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed;E=%ROOT%/d/inner:removable");
    const NHostDrives& drives = NHostDrives::The();
    std::string root = prefix.Root().string();
    EXPECT_EQ(drives.ToHost("/usr/bin/env"), "Z:\\usr\\bin\\env");
    EXPECT_EQ(drives.ToHost("/"), "Z:\\");
    EXPECT_EQ(drives.ToHost(prefix.DriveC().string() + "/users/a b.jpg"), "C:\\users\\a b.jpg");
    EXPECT_EQ(drives.ToHost(root + "/d"), "D:\\");
    EXPECT_EQ(drives.ToHost(root + "/d/x/../inner/./y.jpg"), "E:\\y.jpg");
    EXPECT_EQ(drives.ToHost(root + "/d/innerx"), "D:\\innerx");
    std::string sibling = "Z:" + root + "\\dx";
    std::replace(sibling.begin(), sibling.end(), '/', '\\');
    EXPECT_EQ(drives.ToHost(root + "/dx"), sibling);

    std::string name = "/d/Fotos/\xC3\x9C" "ber \xE2\x82\xAC.jpg";   // "Über €.jpg"
    NTestPrefix::WriteFile(root + name, "x");
    EXPECT_EQ(drives.ToHost(root + name), "D:\\Fotos\\\xDC" "ber \x80.jpg");
    EXPECT_EQ(Linux(drives.ToHost(root + name)), root + name);
    // A character the code page lacks cannot become a host path: the name is reported.
    std::string unconvertible;
    EXPECT_EQ(drives.ToHost(root + "/d/Fotos/tick \xE2\x9C\x93.jpg", &unconvertible), "");
    EXPECT_EQ(unconvertible, "tick \xE2\x9C\x93.jpg");
}

TEST_F(NHostDrivesTest, ToHostTakesRelativePathsFromTheWorkingFolderThroughLinks)
{
    NTestPrefix prefix("D=%ROOT%/link:removable");
    prefix.MakeFolder("real/sub");
    fs::create_directory_symlink(prefix.Root() / "real", prefix.Root() / "link");
    fs::path saved = fs::current_path();
    fs::current_path(prefix.Root() / "link/sub");   // the kernel reports it as real/sub
    std::string relative = NHostDrives::The().ToHost("f.txt");
    std::string parent = NHostDrives::The().ToHost("..");
    fs::current_path(saved);
    EXPECT_EQ(relative, "D:\\sub\\f.txt");
    EXPECT_EQ(parent, "D:\\");
}

TEST_F(NHostDrivesTest, FreeSpaceNeedsAKnownRootWithItsFolder)
{
    NTestPrefix prefix("D=%ROOT%/d:fixed;E=%ROOT%/no disc:cdrom");
    prefix.MakeFolder("d");
    const NHostDrives& drives = NHostDrives::The();
    uint64_t freeBytes = 0;
    EXPECT_TRUE(drives.FreeSpace("D:\\", freeBytes));
    EXPECT_GT(freeBytes, 0u);
    EXPECT_TRUE(drives.FreeSpace("c:", freeBytes));
    EXPECT_FALSE(drives.FreeSpace("E:\\", freeBytes));
    EXPECT_FALSE(drives.FreeSpace(UnusedLetter(), freeBytes));
    EXPECT_FALSE(drives.FreeSpace("D:\\sub", freeBytes));
}

}  // namespace
