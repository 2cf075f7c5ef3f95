// Tests that the tools' whole-file writers replace their output in one step: a write that
// fails half-way (here stopped by a file-size limit) leaves the earlier output as it was and
// no temporary file beside it.
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ToolReplacementTest : public ::testing::Test {
protected:
    ToolReplacementTest() { fFolder = fPrefix.MakeFolder("out"); }

    // Runs a command line with every file it writes limited to one size unit (512 or 1024
    // bytes by the shell); a write beyond it fails with "File too large" instead of a signal.
    static int Limited(const std::string& command, std::string& output)
    {
        return NRunCommand("ulimit -f 1; trap '' XFSZ; " + command, output);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const fs::directory_entry& entry : fs::directory_iterator(fFolder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Writes `command` once without a limit, then again with one over the same output:
    // the second run fails naming the output and the reason, and leaves the first output.
    void ExpectFailedRewriteKeepsOutput(const std::string& command, const fs::path& output)
    {
        std::string printed;
        ASSERT_EQ(NRunCommand(command, printed), 0) << printed;
        std::string before = NTestPrefix::ReadFile(output);
        ASSERT_GT(before.size(), 1024u);
        std::vector<std::string> names = Names();
        printed.clear();
        EXPECT_EQ(Limited(command, printed), 1) << printed;
        EXPECT_NE(printed.find(output.string()), std::string::npos) << printed;
        EXPECT_NE(printed.find("File too large"), std::string::npos) << printed;
        EXPECT_EQ(NTestPrefix::ReadFile(output), before);
        EXPECT_EQ(Names(), names);
    }

    NTestPrefix fPrefix;
    fs::path fFolder;
};

TEST_F(ToolReplacementTest, StringTableCompileStoppedHalfWayKeepsTheEarlierTable)
{
    // Texts that do not pack well, so the table is larger than the limit.
    std::string source;
    uint32_t seed = 12345;
    for (int id = 100; id < 400; ++id) {
        source += std::to_string(id) + "\t";
        for (int i = 0; i < 40; ++i) {
            seed = seed * 1103515245 + 12345;
            source += char('a' + (seed >> 16) % 26);
        }
        source += "\n";
    }
    NTestPrefix::WriteFile(fPrefix.Root() / "texts.txt", source);
    fs::path table = fFolder / "eng.xst";
    ExpectFailedRewriteKeepsOutput(std::string(LUMORA_XST) + " compile '" + (fPrefix.Root() / "texts.txt").string()
                                       + "' '" + table.string() + "'",
                                   table);
}

TEST_F(ToolReplacementTest, PaletteMakeStoppedHalfWayKeepsTheEarlierPalette)
{
    fs::path palette = fFolder / "art.pal";
    ExpectFailedRewriteKeepsOutput(std::string(LUMORA_PAL) + " make '" + palette.string() + "' --cube", palette);
}

}   // namespace
