// Every command the README shows, run as written from a folder laid out like the clone.
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

// The programs whose README examples run here: the command-line tools and the shell steps
// around them. The rest (the two top-level commands, which build and test the whole tree;
// window programs, which wait for a person; ctest and the benchmarks) have tests of their own.
bool RunsHere(const std::string& command)
{
    static const char* const kPrograms[] = { "build/bin/xpb ", "build/bin/qipalbum ", "build/bin/xst ",
                                             "build/bin/pal ", "build/bin/xps ", "build/bin/lumora-reg ",
                                             "build/bin/lpath ", "mkdir ", "printf ", "cp " };
    for (const char* program : kPrograms)
        if (command.starts_with(program))
            return true;
    return false;
}

// The README's command lines: indented by four spaces in its text.
std::vector<std::string> ReadmeCommands()
{
    std::ifstream readme(LUMORA_README);
    std::vector<std::string> commands;
    std::string line;
    while (std::getline(readme, line)) {
        if (!line.starts_with("    ") || line.size() < 5 || line[4] == ' ')
            continue;
        std::string command = line.substr(4);
        if (!RunsHere(command))
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
