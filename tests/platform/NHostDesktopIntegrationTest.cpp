// The desktop's files for a file type and its program, read back by the desktop's own tools.
#include "platform/NHostDesktopIntegration.h"

#include "platform/NHostPng.h"
#include "platform/NHostProcess.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace {

class NHostDesktopIntegrationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "PATH"}) {
            const char* value = std::getenv(name);
            fSaved.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        fHome = fPrefix.MakeFolder("home");
        setenv("HOME", fHome.c_str(), 1);
        setenv("XDG_DATA_HOME", (fHome / "data").c_str(), 1);
        setenv("XDG_CONFIG_HOME", (fHome / "config").c_str(), 1);
        fEntry.fAppId = "lumora-test-player";
        fEntry.fName = "Test Player";
        // Blanks, a dollar and a percent sign: each must survive the Exec line's quoting.
        fEntry.fProgramHostPath = "C:\\Program Files\\Te$t 100%\\Player.exe";
        fEntry.fMimeType = "application/x-lumora-test";
        fEntry.fMimeComment = "Test albums";
        fEntry.fGlob = "*.qiptest";
        fEntry.fMagic = "XPB!";
        fEntry.fMagicOffset = 4;
        NHostRgbaImage image;
        image.fWidth = image.fHeight = 48;
        image.fPixels.assign(48 * 48 * 4, 0xC0);
        std::vector<uint8_t> png;
        std::string error;
        ASSERT_TRUE(NHostPng::Encode(image, png, error)) << error;
        fEntry.fIcons = {{48, std::string(png.begin(), png.end())}};
    }

    void TearDown() override
    {
        for (const auto& [name, value] : fSaved)
            value ? setenv(name, value->c_str(), 1) : unsetenv(name);
    }

    // The desktop's tools run with the full PATH, whatever the registration had.
    std::string Tool(std::vector<std::string> argv)
    {
        argv[0] = "/usr/bin/" + argv[0];
        std::string output;
        int exitCode = 0;
        EXPECT_TRUE(NHostProcess::Run(argv, output, exitCode)) << argv[0];
        return output;
    }

    fs::path DesktopFile() const { return fHome / "data/applications/lumora-test-player.desktop"; }

    void ExpectRegistered()
    {
        std::string mime = Tool({"gio", "mime", fEntry.fMimeType});
        EXPECT_NE(mime.find("Default application for “application/x-lumora-test”: lumora-test-player.desktop"),
                  std::string::npos) << mime;
        EXPECT_NE(mime.find("Registered applications:\n\tlumora-test-player.desktop"), std::string::npos) << mime;
        EXPECT_EQ(Tool({"xdg-mime", "query", "default", fEntry.fMimeType}), "lumora-test-player.desktop\n");
        EXPECT_EQ(Tool({"desktop-file-validate", DesktopFile().string()}), "");
        EXPECT_TRUE(fs::exists(fHome / "data/icons/hicolor/48x48/apps/lumora-test-player.png"));

        // By name, whatever its case, and by the magic alone.
        NTestPrefix::WriteFile(fHome / "Album.QIPTEST", "x");
        NTestPrefix::WriteFile(fHome / "no-extension", std::string("\0\0\0\x18XPB!rest", 12));
        for (const char* name : {"Album.QIPTEST", "no-extension"}) {
            std::string info = Tool({"gio", "info", "-a", "standard::content-type", (fHome / name).string()});
            EXPECT_NE(info.find("standard::content-type: application/x-lumora-test"), std::string::npos) << info;
        }
    }

    void ExpectUnregistered()
    {
        std::string mime = Tool({"gio", "mime", fEntry.fMimeType});
        EXPECT_EQ(mime.find("lumora-test-player"), std::string::npos) << mime;
        EXPECT_EQ(Tool({"xdg-mime", "query", "default", fEntry.fMimeType}), "");
        for (const auto& file : fs::recursive_directory_iterator(fHome))
            EXPECT_EQ(fs::relative(file.path(), fHome).string().find("lumora-test"), std::string::npos) << file.path();
        std::string info = Tool({"gio", "info", "-a", "standard::content-type", (fHome / "Album.QIPTEST").string()});
        EXPECT_EQ(info.find("application/x-lumora-test"), std::string::npos) << info;
    }

    NTestPrefix fPrefix;
    fs::path fHome;
    NHostDesktopEntry fEntry;
    std::vector<std::pair<const char*, std::optional<std::string>>> fSaved;
};

TEST_F(NHostDesktopIntegrationTest, ToolsRegisterTheTypeAndTheDefaultAndUnregisterThem)
{
    std::vector<std::string> log;
    ASSERT_TRUE(NHostDesktopIntegration::Register(fEntry, log));
    EXPECT_NE(log.front().find("desktop-ran xdg-mime install"), std::string::npos) << log.front();
    ExpectRegistered();
    std::string text = NTestPrefix::ReadFile(DesktopFile());
    EXPECT_NE(text.find("Exec=env LUMORA_PREFIX=" + fPrefix.Prefix().string() + " \"" + fPrefix.DriveC().string()
                        + "/Program Files/Te\\\\$t 100%%/Player.exe\" %f\n"),
              std::string::npos) << text;

    log.clear();
    ASSERT_TRUE(NHostDesktopIntegration::Unregister(fEntry, log));
    ExpectUnregistered();
}

TEST_F(NHostDesktopIntegrationTest, WithoutTheXdgToolsTheFilesAreWrittenDirectly)
{
    // Only the cache builders are on the PATH.
    fs::path bin = fPrefix.MakeFolder("bin");
    for (const char* tool : {"update-mime-database", "update-desktop-database"})
        fs::create_symlink(fs::path("/usr/bin") / tool, bin / tool);
    std::string path = std::getenv("PATH");
    setenv("PATH", bin.c_str(), 1);
    std::vector<std::string> log;
    ASSERT_TRUE(NHostDesktopIntegration::Register(fEntry, log));
    setenv("PATH", path.c_str(), 1);
    for (const std::string& line : log)
        EXPECT_EQ(line.find("xdg-"), std::string::npos) << line;
    EXPECT_EQ(NTestPrefix::ReadFile(fHome / "data/mime/packages/lumora-test-player.xml"),
              NHostDesktopIntegration::MimePackageText(fEntry));
    ExpectRegistered();

    log.clear();
    setenv("PATH", bin.c_str(), 1);
    ASSERT_TRUE(NHostDesktopIntegration::Unregister(fEntry, log));
    setenv("PATH", path.c_str(), 1);
    ExpectUnregistered();
}

TEST_F(NHostDesktopIntegrationTest, AnotherProgramsDefaultIsLeftAlone)
{
    std::vector<std::string> log;
    ASSERT_TRUE(NHostDesktopIntegration::Register(fEntry, log));
    NTestPrefix::WriteFile(fHome / "config/mimeapps.list",
                           "[Default Applications]\napplication/x-lumora-test=other.desktop\ntext/plain=editor.desktop\n");
    ASSERT_TRUE(NHostDesktopIntegration::Unregister(fEntry, log));
    EXPECT_EQ(NTestPrefix::ReadFile(fHome / "config/mimeapps.list"),
              "[Default Applications]\napplication/x-lumora-test=other.desktop\ntext/plain=editor.desktop\n");
}

TEST_F(NHostDesktopIntegrationTest, AFolderThatCannotBeWrittenIsReportedNotThrown)
{
    // A file where the applications folder must go.
    NTestPrefix::WriteFile(fHome / "data/applications", "in the way");
    std::vector<std::string> log;
    EXPECT_FALSE(NHostDesktopIntegration::Register(fEntry, log));
    bool reported = false;
    for (const std::string& line : log)
        reported = reported || line.find("desktop-failed " + DesktopFile().string()) != std::string::npos;
    EXPECT_TRUE(reported);
}

} // namespace
