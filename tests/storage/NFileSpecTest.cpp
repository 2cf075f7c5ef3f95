// File specifications: construction, host-path conversion and file-system operations.
#include "storage/NFileSpec.h"

#include "storage/NFAppDirSpec.h"
#include "storage/NFileException.h"
#include "platform/NHostDrives.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class NFileSpecTest : public ::testing::Test {
protected:
    NFileSpecTest()
        : fPrefix("D=%ROOT%/disc:cdrom;E=%ROOT%/stick:removable")
    {
    }

    // A specification for a path below drive C: given in host form.
    static NFileSpec HostFile(const std::string& host)
    {
        NFileSpec spec;
        EXPECT_TRUE(NFileSpec::FromHostPath(host, spec)) << host;
        return spec;
    }

    fs::path OnC(const std::string& relative) const { return fPrefix.DriveC() / relative; }

    NTestPrefix fPrefix;
};

TEST_F(NFileSpecTest, RelativeNameSplitsIntoFoldersAndSanitisedFile)
{
    NFDirSpec prog(NFDriveSpec("C:/"), "Prog:");
    NFileSpec lang(prog, "Data:Lang.txt");
    EXPECT_EQ(lang.Dir().Path(), "Prog:Data:");
    EXPECT_EQ(lang.Name(), "Lang.txt");
    EXPECT_EQ(lang.HostPath(), "C:\\Prog\\Data\\Lang.txt");
    EXPECT_EQ(lang.DisplayName(), "C:\\Prog:Data:Lang.txt");

    NFileSpec unsplit(prog, "a/b:c?.txt", false);
    EXPECT_EQ(unsplit.Dir().Path(), "Prog:");
    EXPECT_EQ(unsplit.Name(), "a-b-c-.txt");

    NFileSpec every(prog, "\\/:*?\"<>|", false);
    EXPECT_EQ(every.Name(), "---------");
}

TEST_F(NFileSpecTest, DriveRootsAreHeldWithBackslash)
{
    EXPECT_EQ(NFDriveSpec().Root(), "C:\\");
    EXPECT_EQ(NFDriveSpec("D:/").Root(), "D:\\");
    EXPECT_EQ(NFDriveSpec("e:").Root(), "e:\\");
    NFDirSpec programs(NFDriveSpec(), "Program Files:Lumora:");
    EXPECT_EQ(NFileSpec(programs, "Qip.xpb").HostPath(), "C:\\Program Files\\Lumora\\Qip.xpb");
    EXPECT_EQ(NFileSpec(programs, "Qip.xpb").DisplayName(), "C:\\Program Files:Lumora:Qip.xpb");
}

TEST_F(NFileSpecTest, HostPathsConvertInDriveAndNetworkForm)
{
    NFileSpec spec = HostFile("C:\\Program Files\\Lumora\\Qip.xpb");
    EXPECT_EQ(spec.Drive().Root(), "C:\\");
    EXPECT_EQ(spec.Dir().Path(), "Program Files:Lumora:");
    EXPECT_EQ(spec.Name(), "Qip.xpb");

    NFileSpec atRoot = HostFile("D:\\photo.jpg");
    EXPECT_EQ(atRoot.Drive().Root(), "D:\\");
    EXPECT_TRUE(atRoot.Dir().IsRoot());

    NFDirSpec network;
    ASSERT_TRUE(NFDirSpec::FromHostPath("\\\\server\\share\\dir", network));
    EXPECT_EQ(network.Drive().Root(), "\\\\server\\");
    EXPECT_EQ(network.Path(), "share:dir:");

    NFDirSpec withSlash;
    ASSERT_TRUE(NFDirSpec::FromHostPath("C:\\Photos\\", withSlash));
    EXPECT_EQ(withSlash.Path(), "Photos:");

    NFDirSpec bare;
    ASSERT_TRUE(NFDirSpec::FromHostPath("C:", bare));
    EXPECT_EQ(bare.Drive().Root(), "C:\\");
    EXPECT_TRUE(bare.IsRoot());
}

TEST_F(NFileSpecTest, RejectedHostFormsLeaveTheOutputUntouched)
{
    NFDirSpec untouched(NFDriveSpec("Q:/"), "Keep:");
    NFDirSpec out = untouched;
    for (const char* bad : { "relative\\dir", "dir", "1:\\x", "C:relative", "\\\\", "\\\\\\share" , ""})
        EXPECT_FALSE(NFDirSpec::FromHostPath(bad, out)) << bad;
    EXPECT_EQ(out, untouched);

    NFileSpec file;
    EXPECT_FALSE(NFileSpec::FromHostPath("noslash.txt", file));
    EXPECT_FALSE(NFileSpec::FromHostPath("\\\\server\\file.txt", file));

    NFDirSpec::SetNetworkPathsDisabled(true);
    EXPECT_FALSE(NFDirSpec::FromHostPath("\\\\server\\share", out));
    NFDirSpec::SetNetworkPathsDisabled(false);
    EXPECT_TRUE(NFDirSpec::FromHostPath("\\\\server\\share", out));
}

TEST_F(NFileSpecTest, ParentExtensionAndBaseName)
{
    NFDirSpec dir(NFDriveSpec(), "A:B:C:");
    EXPECT_EQ(dir.Parent().Path(), "A:B:");
    EXPECT_EQ(dir.Parent().Parent().Parent().Path(), "");
    EXPECT_TRUE(NFDirSpec().Parent().IsRoot());
    EXPECT_EQ(dir.SubDir("Data:").Path(), "A:B:C:Data:");

    NFileSpec file(dir, "Album.Qip.lnk");
    EXPECT_EQ(file.Extension(), "lnk");
    EXPECT_EQ(file.BaseName(), "Album.Qip");
    NFileSpec plain(dir, "README");
    EXPECT_EQ(plain.Extension(), "");
    EXPECT_EQ(plain.BaseName(), "README");
}

TEST_F(NFileSpecTest, ExistsTestsRootsAndFoldersOnTheHost)
{
    fs::create_directories(OnC("Photos"));
    EXPECT_TRUE(NFDirSpec(NFDriveSpec()).Exists());
    EXPECT_TRUE(NFDirSpec(NFDriveSpec(), "Photos:").Exists());
    EXPECT_TRUE(NFDirSpec(NFDriveSpec(), "PHOTOS:").Exists());
    EXPECT_FALSE(NFDirSpec(NFDriveSpec(), "Missing:").Exists());
    // D: is mapped, but its folder (the "disc") is not there: no media.
    EXPECT_FALSE(NFDirSpec(NFDriveSpec("D:/")).Exists());
    EXPECT_FALSE(NFDirSpec(NFDriveSpec("Q:/")).Exists());
    EXPECT_TRUE(NFDirSpec(NFDriveSpec("D:/")).IsCdrom());
    EXPECT_TRUE(NFDirSpec(NFDriveSpec("E:/")).IsRemovable());
    EXPECT_TRUE(NFDirSpec(NFDriveSpec("C:/")).IsNotNetwork());
    EXPECT_FALSE(NFDirSpec(NFDriveSpec("\\\\server\\")).IsNotNetwork());
}

TEST_F(NFileSpecTest, CreateMakesEachMissingLevelAndStopsAtTheFirstFailure)
{
    fs::create_directories(OnC("A"));
    NFDirSpec deep(NFDriveSpec(), "A:B:C:");
    EXPECT_TRUE(deep.Create());
    EXPECT_TRUE(fs::is_directory(OnC("A/B/C")));
    EXPECT_TRUE(deep.Create());

    // A file in the way of level B: nothing below it is made.
    NTestPrefix::WriteFile(OnC("X/B"), "in the way");
    EXPECT_FALSE(NFDirSpec(NFDriveSpec(), "X:B:C:").Create());
    EXPECT_FALSE(fs::exists(OnC("X/B/C")));
}

TEST_F(NFileSpecTest, ComponentsResolveWithoutRegardToCase)
{
    NTestPrefix::WriteFile(OnC("Program Files/Lumora/Data/Lang.txt"), "deu");
    NFileSpec spec = HostFile("c:\\PROGRAM FILES\\lumora\\DATA\\lang.TXT");
    EXPECT_TRUE(spec.Exists());
    NStream stream = spec.Open(NStreamMode::kRead);
    char text[8] = {};
    EXPECT_EQ(stream.ReadLine(text, sizeof text), 3);
    EXPECT_STREQ(text, "deu");

    // A new file below a folder found by its other case keeps its own case.
    NFileSpec created = HostFile("C:\\program files\\LUMORA\\New.Txt");
    created.Open(NStreamMode::kWrite).Close();
    EXPECT_TRUE(fs::exists(OnC("Program Files/Lumora/New.Txt")));
}

TEST_F(NFileSpecTest, AttributesAndCanOpenFollowTheHost)
{
    NFileSpec file = HostFile("C:\\f.txt");
    EXPECT_EQ(file.Attributes(), 0);
    EXPECT_TRUE(file.CanOpen(NStreamMode::kWrite));
    EXPECT_TRUE(file.CanOpen(NStreamMode::kUpdate));
    EXPECT_FALSE(file.CanOpen(NStreamMode::kRead));

    NTestPrefix::WriteFile(OnC("f.txt"), "x");
    EXPECT_EQ(file.Attributes(), kFileAttrExists | kFileAttrVisible);
    EXPECT_TRUE(file.CanOpen(NStreamMode::kRead));

    NTestPrefix::WriteFile(OnC(".hidden"), "x");
    EXPECT_EQ(HostFile("C:\\.hidden").Attributes(), kFileAttrExists);

    fs::create_directories(OnC("folder"));
    NFileSpec folder = HostFile("C:\\folder");
    EXPECT_EQ(folder.Attributes(), kFileAttrExists | kFileAttrDirectory | kFileAttrVisible);
    for (NStreamMode mode : { NStreamMode::kRead, NStreamMode::kWrite, NStreamMode::kUpdate })
        EXPECT_FALSE(folder.CanOpen(mode));

    fs::permissions(OnC("f.txt"), fs::perms::owner_read | fs::perms::group_read);
    EXPECT_TRUE(file.CanOpen(NStreamMode::kRead));
    EXPECT_FALSE(file.CanOpen(NStreamMode::kWrite));
    EXPECT_FALSE(file.CanOpen(NStreamMode::kUpdate));
    EXPECT_THROW(file.Open(NStreamMode::kUpdate), NFileException);

    // Delete clears the read-only attribute first.
    EXPECT_TRUE(file.Delete());
    EXPECT_FALSE(fs::exists(OnC("f.txt")));
    EXPECT_FALSE(file.Delete());
}

TEST_F(NFileSpecTest, RenameRefusesAMissingSourceOrAnExistingTarget)
{
    NTestPrefix::WriteFile(OnC("a.txt"), "A");
    NTestPrefix::WriteFile(OnC("b.txt"), "B");
    fs::create_directories(OnC("sub"));
    NFileSpec a = HostFile("C:\\a.txt");
    NFileSpec b = HostFile("C:\\b.txt");
    EXPECT_NE(a.Rename(b), 0);
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("a.txt")), "A");
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("b.txt")), "B");
    EXPECT_NE(HostFile("C:\\missing.txt").Rename(HostFile("C:\\c.txt")), 0);

    EXPECT_EQ(a.Rename(HostFile("C:\\sub\\moved.txt")), 0);
    EXPECT_FALSE(fs::exists(OnC("a.txt")));
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("sub/moved.txt")), "A");
}

TEST_F(NFileSpecTest, TimesComeFromTheHost)
{
    NFileSpec file = HostFile("C:\\t.txt");
    EXPECT_EQ(file.ModTime().fSeconds, 0u);
    NTestPrefix::WriteFile(OnC("t.txt"), "x");
    constexpr uint32_t kMoment = 1700000000;   // 14 November 2023
    fs::last_write_time(OnC("t.txt"), fs::file_time_type::clock::from_sys(
                                          std::chrono::system_clock::from_time_t(kMoment)));
    NDateTime moment = file.ModTime();
    EXPECT_EQ(moment.fSeconds, kMoment);
    EXPECT_EQ(moment.fYear, 2023);
    EXPECT_EQ(moment.fMonth, 11);
    EXPECT_GT(file.ChangeTime().fSeconds, 0u);
}

TEST_F(NFileSpecTest, MakeUniqueNumbersFromTwoAndKeepsShortcutExtension)
{
    NFDirSpec root { NFDriveSpec() };
    NFileSpec fresh(root, "Album.Qip");
    fresh.MakeUnique();
    EXPECT_EQ(fresh.Name(), "Album.Qip");

    NTestPrefix::WriteFile(OnC("Album.Qip"), "");
    NTestPrefix::WriteFile(OnC("Album #2.Qip"), "");
    NFileSpec album(root, "Album.Qip");
    album.MakeUnique();
    EXPECT_EQ(album.Name(), "Album #3.Qip");

    NTestPrefix::WriteFile(OnC("Album.Qip.lnk"), "");
    NFileSpec link(root, "Album.Qip.lnk");
    link.MakeUnique();
    EXPECT_EQ(link.Name(), "Album #2.Qip.lnk");

    NTestPrefix::WriteFile(OnC("Notes"), "");
    NFileSpec bare(root, "Notes");
    bare.MakeUnique();
    EXPECT_EQ(bare.Name(), "Notes #2");
}

TEST_F(NFileSpecTest, OpenFailuresCarryTheirCodeAndName)
{
    NFileSpec missing = HostFile("C:\\missing.txt");
    try {
        missing.Open(NStreamMode::kRead);
        FAIL() << "opened a missing file";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileCannotOpen);
        EXPECT_EQ(error.Name(), missing.DisplayName());
    }

    NTestPrefix::WriteFile(OnC("exists.txt"), "x");
    try {
        HostFile("C:\\exists.txt").Open(NStreamMode::kWrite);
        FAIL() << "created over an existing file";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.Code(), kFileCannotCreate);
        EXPECT_EQ(error.Name(), "C:\\exists.txt");
    }
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("exists.txt")), "x");
}

TEST_F(NFileSpecTest, CopyToReplacesTheTargetAndLosesNothingOnFailure)
{
    std::string big(300000, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 1000);
    NTestPrefix::WriteFile(OnC("src.bin"), big);
    NTestPrefix::WriteFile(OnC("dst.bin"), "old");
    HostFile("C:\\src.bin").CopyTo(HostFile("C:\\dst.bin"));
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("dst.bin")), big);

    char small[7];
    HostFile("C:\\src.bin").CopyTo(HostFile("C:\\dst2.bin"), small, sizeof small);
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("dst2.bin")), big);

    EXPECT_THROW(HostFile("C:\\absent.bin").CopyTo(HostFile("C:\\dst.bin")), NFileException);
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("dst.bin")), big);
}

TEST_F(NFileSpecTest, WellKnownFoldersLieInThePrefix)
{
    NFDirSpec temp = NFTmpDirSpec::The();
    EXPECT_EQ(temp.Drive().Root(), "C:\\");
    EXPECT_EQ(temp.Path(), "users:" + NHostDrives::The().UserName() + ":Temp:");
    EXPECT_TRUE(temp.Exists());

    NFDirSpec system = SystemDirSpec();
    EXPECT_EQ(system.HostPath(), "C:\\windows\\system\\");

    // The tests run from the build tree, which lies on Z: or C:.
    const NFAppDirSpec& app = NFAppDirSpec::The();
    EXPECT_TRUE(app.Exists());
    std::string linux;
    ASSERT_TRUE(NHostDrives::The().ToLinux(app.HostPath(), linux));
    EXPECT_TRUE(fs::exists(fs::path(linux) / "StorageTests"));
}

} // namespace
