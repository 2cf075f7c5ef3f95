// Every command the README shows, run as written from a folder laid out like the clone.
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// The README's command lines: indented by four spaces in its text. The two top-level
// commands build and test the whole tree, this test among it, so they are left to CI.
std::vector<std::string> ReadmeCommands()
{
    std::ifstream readme(LUMORA_README);
    std::vector<std::string> commands;
    std::string line;
    while (std::getline(readme, line)) {
        if (!line.starts_with("    ") || line.size() < 5 || line[4] == ' ')
            continue;
        std::string command = line.substr(4);
        if (command.starts_with("./test.sh") || command.starts_with("./run.sh"))
            continue;
        commands.push_back(command);
    }
    return commands;
}

TEST(ReadmeExamplesTest, EveryCommandRunsAsWritten)
{
    NTestPrefix prefix;
    fs::path clone = prefix.MakeFolder("clone");
    fs::create_directory_symlink(fs::path(LUMORA_SOURCE) / "assets", clone / "assets");
    fs::create_directories(clone / "tests");
    fs::create_directory_symlink(fs::path(LUMORA_SOURCE) / "tests" / "data", clone / "tests" / "data");
    fs::create_directories(clone / "build");
    fs::create_directory_symlink(LUMORA_BIN, clone / "build" / "bin");

    std::vector<std::string> commands = ReadmeCommands();
    ASSERT_GE(commands.size(), 25u) << "the README's examples were not found";
    for (const std::string& command : commands) {
        std::string output;
        std::string quoted;
        for (char c : command)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        int status = NRunCommand("cd '" + clone.string() + "' && bash -o pipefail -c '" + quoted + "'", output);
        EXPECT_EQ(status, 0) << command << "\n" << output;
    }
    EXPECT_EQ(NTestPrefix::ReadFile(clone / "example" / "photo.jpg"),
              NTestPrefix::ReadFile(fs::path(LUMORA_SOURCE) / "assets" / "sample-photos" / "meadow.jpg"));
    EXPECT_TRUE(fs::exists(clone / "example" / "unpacked" / "assets" / "photo" / "0001.jpg"));
    EXPECT_TRUE(fs::exists(clone / "example" / "shown.png"));
}

} // namespace
