// The setup program run as users and the Maker run it: silent installs, damaged payloads, interruptions.
#include "framework/NRegistry.h"
#include "platform/NHostFileSystem.h"
#include "tests/setup/KSetupTestSupport.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace setuptest;
namespace fs = std::filesystem;

namespace {

const char* const kComponents[] = {"Lumorad.dll", "Lumora.exe", "Lumora.scr", "mss32.dll", "mp3dec.asi", "Lumorad.xpb",
                                   "Uninstall Lumora Player.exe", "QipCtrl.dll"};

class QipSetupProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("LUMORA_SETUP_QUIT_DELAY", "0", 1);
        setenv("LUMORA_HEADLESS", "1", 1);
        fTemp = fs::path(getenv("LUMORA_PREFIX")).parent_path();
    }

    static int Run(const std::string& command)
    {
        int status = std::system((command + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    static std::string Output(const std::string& command)
    {
        std::string text;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            for (size_t count; (count = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
                text.append(buffer, count);
            pclose(pipe);
        }
        return text;
    }

    static std::string Quote(const std::string& text) { return "'" + text + "'"; }

    // A setup with components of the given size and filler byte, packed like the build's.
    std::string Pack(const std::string& name, size_t size, char filler, const char* version)
    {
        fs::path folder = fTemp / (name + "-components");
        fs::create_directories(folder);
        std::string command = std::string(LUMORA_QIPSETUP_PACK) + " " + Quote((fTemp / name).string()) + " "
            + LUMORA_QIPSETUP_BARE + " " + LUMORA_SETUP_ASSETS;
        for (const char* component : kComponents) {
            fs::path file = folder / component;
            std::ofstream(file, std::ios::binary) << std::string(size, filler) << component;
            command += " " + Quote(std::string(component) + "=" + file.string() + "@" + version);
        }
        EXPECT_EQ(Run(command), 0) << command;
        return (fTemp / name).string();
    }

    fs::path fTemp;
    NTestPrefix fPrefix;
    DesktopHome fHome;   // after the prefix, whose own desktop folders it replaces
};

TEST_F(QipSetupProgramTest, SilentRunWithQuotedFolderAndFrenchInstallsThereWithALog)
{
    std::string log = (fTemp / "setup.log").string();
    ASSERT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent -to \"C:\\My Apps\" -lang fra -log " + Quote(log)), 0);
    NFDirSpec target = HostDir("C:\\My Apps\\Lumora\\");
    for (const char* component : kComponents) {
        NFDirSpec folder = std::string(component) == "Lumorad.xpb" ? target.SubDir("Data:") : target;
        EXPECT_TRUE(NFileSpec(folder, component, false).Exists()) << component;
    }
    EXPECT_EQ(ReadBytes(NFileSpec(target.SubDir("Data:"), "lang.txt", false).HostPath()).substr(0, 3), "fra");
    std::string logText = ReadBytes(NHostDrives::The().ToHost(log));
    EXPECT_NE(logText.find("strings fra.xst\n"), std::string::npos) << logText;
    EXPECT_NE(logText.find("file C:\\My Apps\\Lumora\\Lumora.exe\n"), std::string::npos) << logText;
    EXPECT_NE(logText.find("reg HKEY_CLASSES_ROOT\\.Qip\\[] = Lumora.Album\n"), std::string::npos) << logText;
    EXPECT_NE(logText.find("result success"), std::string::npos);
    EXPECT_NE(logText.find("exit 0"), std::string::npos);

    // The registry as the export tool shows it.
    std::string exported = Output(std::string(LUMORA_REG) + " export 'HKEY_CLASSES_ROOT\\Lumora.Album'");
    EXPECT_NE(exported.find("[HKEY_CLASSES_ROOT\\Lumora.Album\\shell\\open\\command]"), std::string::npos) << exported;
    EXPECT_NE(exported.find("@=\"\\\"C:\\\\My Apps\\\\Lumora\\\\Lumora.exe\\\" \\\"%1\\\"\""), std::string::npos) << exported;

    // The shortcut is a link file another reader understands.
    std::string desktop;
    NRegistry::ReadString(kHKeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                          "Desktop", desktop);
    std::string info = Output("lnkinfo " + Quote(LinuxPath(desktop + "\\Lumora Player.lnk")) + " 2>&1");
    EXPECT_NE(info.find("C:\\My Apps\\Lumora\\Lumora.exe"), std::string::npos) << info;
    EXPECT_NE(info.find("Lumora Player"), std::string::npos) << info;
}

TEST_F(QipSetupProgramTest, DamagedOrTruncatedPayloadWritesNothing)
{
    fs::path copy = fTemp / "qipsetup";
    fs::copy_file(LUMORA_QIPSETUP, copy);
    std::string bytes = ReadBytes(NHostDrives::The().ToHost(copy.string()));
    std::string flipped = bytes;
    flipped[flipped.size() - 2000] ^= 0x01;
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << flipped;
    EXPECT_EQ(Run(Quote(copy.string()) + " -silent"), 2);
    EXPECT_EQ(Run(Quote(copy.string())), 2);   // with a window: refused before it opens
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes.substr(0, bytes.size() - 100);
    EXPECT_EQ(Run(Quote(copy.string()) + " -silent"), 2);
    std::ofstream(copy, std::ios::binary | std::ios::trunc) << bytes;
    EXPECT_FALSE(HostDir("C:\\Program Files\\").SubDir("Lumora:").Exists());
    std::string association;
    NRegistry::ReadString(kHKeyClassesRoot, ".Qip", "", association);
    EXPECT_EQ(association, "");
    // The same bytes unharmed install.
    EXPECT_EQ(Run(Quote(copy.string()) + " -silent"), 0);
    EXPECT_TRUE(NFileSpec(HostDir("C:\\Program Files\\Lumora\\"), "Lumora.exe", false).Exists());
}

TEST_F(QipSetupProgramTest, RefusedFolderHasItsOwnStatus)
{
    EXPECT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent -to '\"\"'"), 3);
    // A file where the folder would be.
    std::ofstream(LinuxPath("C:\\blocker")) << "x";
    EXPECT_EQ(Run(std::string(LUMORA_QIPSETUP) + " -silent -to 'C:\\blocker'"), 3);
    EXPECT_FALSE(NFileSpec(HostDir("C:\\Program Files\\"), "Lumora", false).Exists());
}

TEST_F(QipSetupProgramTest, KilledInstallLeavesEveryInstalledFileWhole)
{
    constexpr size_t kSize = 3 << 20;
    std::string first = Pack("first", kSize, 'a', "3.0.0.1");
    std::string second = Pack("second", kSize, 'b', "3.0.0.2");
    ASSERT_EQ(Run(Quote(first) + " -silent"), 0);
    NFDirSpec target = HostDir("C:\\Program Files\\Lumora\\");
    for (int delay : {2, 8, 20, 40, 80}) {
        pid_t child = fork();
        if (child == 0) {
            execl(second.c_str(), second.c_str(), "-silent", nullptr);
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        for (const char* component : kComponents) {
            NFDirSpec folder = std::string(component) == "Lumorad.xpb" ? target.SubDir("Data:") : target;
            std::string data = ReadBytes(NFileSpec(folder, component, false).HostPath());
            std::string head = data.substr(0, kSize);
            bool whole = data.size() >= kSize + std::strlen(component)
                && (head == std::string(kSize, 'a') || head == std::string(kSize, 'b'))
                && data.compare(kSize, std::strlen(component), component) == 0;
            EXPECT_TRUE(whole) << component << " after a kill at " << delay << " ms: " << data.size() << " bytes";
        }
    }
}

} // namespace
