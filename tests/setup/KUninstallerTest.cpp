// The installed uninstaller after a silent install: what it removes, restores and leaves alone.
#include "setup/KUninstaller.h"

#include "framework/NRegistry.h"
#include "tests/setup/KSetupTestSupport.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

using namespace setuptest;
namespace fs = std::filesystem;

namespace {

constexpr char kEntry[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Uninstall Lumora Player.exe";
constexpr char kNotice[] = "The program has been uninstalled.  Press 'OK' to continue.";

class KUninstallerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LUMORA_SETUP_QUIT_DELAY", "0", 1);
        setenv("LUMORA_HEADLESS", "1", 1);
        unsetenv("LUMORA_DIALOG_ANSWER");
    }
    void TearDown() override { unsetenv("LUMORA_DIALOG_ANSWER"); }

    // Runs a command; its exit status, with its standard output and error in `output`.
    static int Run(const std::string& command, std::string* output = nullptr)
    {
        std::string text;
        FILE* pipe = popen((command + " 2>&1").c_str(), "r");
        if (!pipe)
            return -1;
        char buffer[4096];
        for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            text.append(buffer, count);
        int status = pclose(pipe);
        if (output)
            *output = text;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Quote(const std::string& text) { return "'" + text + "'"; }

    std::string Registry()
    {
        std::string text;
        for (const char* root : {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER", "HKEY_LOCAL_MACHINE"}) {
            std::string part;
            EXPECT_EQ(Run(std::string(LUMORA_REG) + " export " + root, &part), 0);
            text += part;
        }
        return text;
    }

    static std::string Read(uint32_t root, const std::string& key, const std::string& name)
    {
        std::string text;
        NRegistry::ReadString(root, key, name, text);
        return text;
    }

    // The command the uninstall entry holds, run from a Linux shell.
    int Uninstall(const std::string& extra, std::string* output = nullptr)
    {
        std::string command = Read(kHKeyLocalMachine, kEntry, "UninstallString");
        EXPECT_EQ(command, "\"C:\\Program Files\\Lumora\\Uninstall Lumora Player.exe\" \"Uninstall Lumora Player.exe\"");
        return Run(Quote(LinuxPath("C:\\Program Files\\Lumora\\Uninstall Lumora Player.exe"))
                       + " 'Uninstall Lumora Player.exe' " + extra,
                   output);
    }

    std::vector<std::string> FilesUnder(const fs::path& root)
    {
        std::vector<std::string> files;
        if (fs::exists(root))
            for (const auto& entry : fs::recursive_directory_iterator(root))
                files.push_back(fs::relative(entry.path(), root).string());
        std::sort(files.begin(), files.end());
        return files;
    }

    std::string Tool(const std::string& command)
    {
        std::string output;
        Run(command, &output);
        return output;
    }

    NTestPrefix fPrefix;
    DesktopHome fHome;   // after the prefix, whose own desktop folders it replaces
};

TEST_F(KUninstallerTest, SilentUninstallLeavesNothingOfOursButTheAlbums)
{
    std::string before = Registry();
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    // A second run over the same install must not make the first one's values look like
    // the user's.
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    ASSERT_NE(Registry(), before);
    EXPECT_EQ(Tool("xdg-mime query default application/x-lumora"), "lumora-player.desktop\n");
    fs::path desktopFile = fHome.Data() / "applications/lumora-player.desktop";
    EXPECT_EQ(Tool("desktop-file-validate " + Quote(desktopFile.string())), "");
    EXPECT_TRUE(fs::exists(fHome.Data() / "icons/hicolor/48x48/apps/lumora-player.png"));

    fs::path albums = LinuxPath("C:\\Program Files\\Lumora\\Lumora Maker\\My Lumoras");
    NTestPrefix::WriteFile(albums / "Summer.Qip", "the user's album");
    std::vector<std::string> usersBefore = FilesUnder(LinuxPath("C:\\users"));

    std::string output;
    ASSERT_EQ(Uninstall("-silent", &output), 0) << output;
    EXPECT_EQ(output, "");   // silent: neither prompt nor notification

    EXPECT_EQ(Registry(), before);
    EXPECT_EQ(FilesUnder(LinuxPath("C:\\Program Files\\Lumora")),
              (std::vector<std::string> {"Lumora Maker", "Lumora Maker/My Lumoras", "Lumora Maker/My Lumoras/Summer.Qip"}));
    EXPECT_EQ(NTestPrefix::ReadFile(albums / "Summer.Qip"), "the user's album");
    for (const std::string& file : FilesUnder(LinuxPath("C:\\users"))) {
        EXPECT_EQ(file.find(".lnk"), std::string::npos) << file;
        EXPECT_EQ(file.find("Programs/Lumora"), std::string::npos) << file;
    }
    for (const std::string& file : FilesUnder(fs::path(getenv("HOME"))))
        EXPECT_EQ(file.find("lumora"), std::string::npos) << file;
    EXPECT_EQ(Tool("xdg-mime query default application/x-lumora"), "");
    EXPECT_NE(Tool("gio mime application/x-lumora").find("No default applications"), std::string::npos);
}

// Another viewer takes the album type, before the first install or between two.
void ClaimAlbumType()
{
    NRegistry::WriteString(kHKeyClassesRoot, ".Qip", "", "Other.Viewer");
    NRegistry::WriteString(kHKeyClassesRoot, "Other.Viewer\\DefaultIcon", "", "C:\\Other\\viewer.exe,3");
    NRegistry::WriteString(kHKeyClassesRoot, "Other.Viewer\\shell\\open\\command", "", "\"C:\\Other\\viewer.exe\" \"%1\"");
}

void ExpectOtherViewerBack()
{
    std::string text;
    NRegistry::ReadString(kHKeyClassesRoot, ".Qip", "", text);
    EXPECT_EQ(text, "Other.Viewer");
    NRegistry::ReadString(kHKeyClassesRoot, "Other.Viewer\\DefaultIcon", "", text);
    EXPECT_EQ(text, "C:\\Other\\viewer.exe,3");
    NRegistry::ReadString(kHKeyClassesRoot, "Other.Viewer\\shell\\open\\command", "", text);
    EXPECT_EQ(text, "\"C:\\Other\\viewer.exe\" \"%1\"");
    EXPECT_FALSE(NRegistry::ReadString(kHKeyClassesRoot, "Lumora.Album", "", text));
    // The content type the setup added goes with it.
    NRegistry::ReadString(kHKeyClassesRoot, ".Qip", "Content Type", text);
    EXPECT_EQ(text, "");
}

TEST_F(KUninstallerTest, AssociationHeldBeforeTheInstallComesBackAndOthersChangesStay)
{
    ClaimAlbumType();
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    ASSERT_EQ(Read(kHKeyClassesRoot, ".Qip", ""), "Lumora.Album");
    // Set by someone else after the install: not the uninstaller's to take.
    const std::string appPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Lumora.exe";
    NRegistry::WriteString(kHKeyLocalMachine, appPath, "Path", "D:\\Elsewhere");

    ASSERT_EQ(Uninstall("-silent"), 0);
    ExpectOtherViewerBack();
    EXPECT_EQ(Read(kHKeyLocalMachine, appPath, "Path"), "D:\\Elsewhere");
    EXPECT_EQ(Read(kHKeyLocalMachine, appPath, ""), "");
}

TEST_F(KUninstallerTest, AssociationChainedByAReinstallComesBack)
{
    // The first install found no type; the second chained the viewer that came between.
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    ClaimAlbumType();
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    ASSERT_EQ(Read(kHKeyClassesRoot, "Lumora.Album\\QipChain", ""), "Other.Viewer");
    ASSERT_EQ(Uninstall("-silent"), 0);
    ExpectOtherViewerBack();
}

TEST_F(KUninstallerTest, PromptAnsweredNoRemovesNothingAndYesEndsOnTheNotification)
{
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    std::string installed = Registry();
    setenv("LUMORA_DIALOG_ANSWER", "no", 1);
    EXPECT_EQ(Uninstall(""), 5);
    EXPECT_EQ(Registry(), installed);
    EXPECT_TRUE(fs::exists(LinuxPath("C:\\Program Files\\Lumora\\Lumora.exe")));

    setenv("LUMORA_DIALOG_ANSWER", "yes", 1);
    std::string output;
    EXPECT_EQ(Uninstall("", &output), 0);
    EXPECT_NE(output.find(std::string("Lumora Player: ") + kNotice), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(LinuxPath("C:\\Program Files\\Lumora\\Lumora.exe")));
}

TEST_F(KUninstallerTest, WithoutARecordNothingIsRemoved)
{
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent"), 0);
    fs::remove(LinuxPath("C:\\Program Files\\Lumora\\Data\\installed.txt"));
    std::string installed = Registry();
    EXPECT_EQ(Uninstall("-silent"), 1);
    EXPECT_EQ(Registry(), installed);
    EXPECT_TRUE(fs::exists(LinuxPath("C:\\Program Files\\Lumora\\Lumora.exe")));
}

} // namespace
