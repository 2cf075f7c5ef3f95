// The xpb tool end to end, through its command line.
#include "storage/NBinder.h"
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

struct ToolRun {
    int fStatus;
    std::string fOutput;
};

class XpbTest : public ::testing::Test {
protected:
    XpbTest()
    {
        fs::path source = fPrefix.MakeFolder("src");
        NTestPrefix::WriteFile(source / "Assets" / "Photo" / "0000.jpg", "JPEG0");
        NTestPrefix::WriteFile(source / "Assets" / "theme.txt", "theme");
        NTestPrefix::WriteFile(source / "b" / "Z.txt", "zz");
        NTestPrefix::WriteFile(source / "a.txt", "top");
    }

    ToolRun Xpb(const std::string& arguments, const std::string& input = "") const
    {
        std::string command = std::string(LUMORA_XPB) + " " + arguments;
        if (!input.empty()) {
            fs::path in = fPrefix.Root() / "stdin.bin";
            NTestPrefix::WriteFile(in, input);
            command += " < '" + in.string() + "'";
        }
        ToolRun run { -1, {} };
        run.fStatus = NRunCommand(command, run.fOutput);
        return run;
    }

    std::string At(const std::string& relative) const { return "'" + (fPrefix.Root() / relative).string() + "'"; }

    NTestPrefix fPrefix;
};

TEST_F(XpbTest, CreateListsInByteOrderDepthFirst)
{
    ASSERT_EQ(Xpb("create " + At("out.xpb") + " --app 2 --tag ABCD " + At("src")).fStatus, 0);
    ToolRun list = Xpb("list " + At("out.xpb"));
    EXPECT_EQ(list.fStatus, 0);
    EXPECT_EQ(list.fOutput,
              "binder version=3 app=2 tag=ABCD start=0 directory=39 checksum=0x00000000\n"
              "D\tassets:\n"
              "D\tassets:photo:\n"
              "F\t5\t24\tassets:photo:0000.jpg\n"
              "F\t5\t29\tassets:theme.txt\n"
              "F\t3\t34\ta.txt\n"
              "D\tb:\n"
              "F\t2\t37\tb:z.txt\n");
}

TEST_F(XpbTest, CatExtractAndAddWorkOnElements)
{
    ASSERT_EQ(Xpb("create " + At("out.xpb") + " --app 7 --tag ABCD " + At("src")).fStatus, 0);
    ToolRun cat = Xpb("cat " + At("out.xpb") + " ASSETS:photo:0000.JPG");
    EXPECT_EQ(cat.fStatus, 0);
    EXPECT_EQ(cat.fOutput, "JPEG0");
    ToolRun missing = Xpb("cat " + At("out.xpb") + " assets:none.jpg");
    EXPECT_EQ(missing.fStatus, 1);
    EXPECT_NE(missing.fOutput.find("assets:none.jpg"), std::string::npos);

    ASSERT_EQ(Xpb("extract " + At("out.xpb") + " " + At("dest")).fStatus, 0);
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "dest" / "assets" / "photo" / "0000.jpg"), "JPEG0");
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "dest" / "b" / "z.txt"), "zz");

    NTestPrefix::WriteFile(fPrefix.Root() / "extra.txt", "extra");
    EXPECT_EQ(Xpb("add " + At("out.xpb") + " " + At("extra.txt") + " more:Extra.txt").fStatus, 0);
    EXPECT_EQ(Xpb("cat " + At("out.xpb") + " more:extra.txt").fOutput, "extra");
    EXPECT_EQ(Xpb("add " + At("out.xpb") + " " + At("extra.txt") + " MORE:extra.TXT").fStatus, 1);
}

TEST_F(XpbTest, ExtractKeepsHostileNamesInsideTheDestination)
{
    // An archive whose names try to climb out.
    NFDirSpec mount(NFDriveSpec(), "m:");
    NFileSpec archive;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / "evil.xpb").string()), archive));
    NFileSpec source;
    ASSERT_TRUE(NFileSpec::FromHostPath(NHostDrives::The().ToHost((fPrefix.Root() / "src" / "a.txt").string()), source));
    {
        NBinder binder;
        ASSERT_TRUE(binder.Create(archive, mount, 2, 0));
        binder.Add(NFileSpec(mount, "..:..:escaped.txt"), source, 3);
        binder.Add(NFileSpec(mount, ".", false), source, 3);
        ASSERT_TRUE(binder.Close());
    }
    ASSERT_EQ(Xpb("extract " + At("evil.xpb") + " " + At("dest")).fStatus, 0);
    EXPECT_FALSE(fs::exists(fPrefix.Root() / "escaped.txt"));
    EXPECT_TRUE(fs::exists(fPrefix.Root() / "dest" / "_.." / "_.." / "escaped.txt"));
    EXPECT_TRUE(fs::is_regular_file(fPrefix.Root() / "dest" / "_."));
}

TEST_F(XpbTest, VerifySealAndSegments)
{
    ASSERT_EQ(Xpb("create " + At("out.xpb") + " --app 2 --tag ABCD " + At("src")).fStatus, 0);
    ToolRun unsealed = Xpb("verify " + At("out.xpb"));
    EXPECT_EQ(unsealed.fStatus, 0);
    EXPECT_EQ(unsealed.fOutput.substr(0, 11), "unsealed 0x");
    ASSERT_EQ(Xpb("seal " + At("out.xpb")).fStatus, 0);
    EXPECT_EQ(Xpb("verify " + At("out.xpb")).fOutput, "sealed ok " + unsealed.fOutput.substr(9));

    std::string bytes = NTestPrefix::ReadFile(fPrefix.Root() / "out.xpb");
    bytes[25] ^= 1;
    NTestPrefix::WriteFile(fPrefix.Root() / "out.xpb", bytes);
    ToolRun mismatch = Xpb("verify " + At("out.xpb"));
    EXPECT_EQ(mismatch.fStatus, 1);
    EXPECT_EQ(mismatch.fOutput.substr(0, 16), "MISMATCH stored=");

    ASSERT_EQ(Xpb("create " + At("set.Qip") + " --app 2 --tag SEGM --segment 150 --seal " + At("src")).fStatus, 0);
    int segments = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(fPrefix.Root()))
        segments += entry.path().filename().string().starts_with("set") ? 1 : 0;
    EXPECT_GT(segments, 2);
    EXPECT_TRUE(fs::exists(fPrefix.Root() / ("set2_" + std::to_string(segments) + ".Qip")));
    EXPECT_EQ(Xpb("cat " + At("set.Qip") + " b:z.txt").fOutput, "zz");
    EXPECT_EQ(Xpb("verify " + At("set.Qip")).fOutput.substr(0, 12), "sealed ok 0x");
}

TEST_F(XpbTest, FiltersRoundTripAndErrorsNameTheFile)
{
    std::string text = "lumora lumora lumora album album";
    ToolRun compressed = Xpb("compress", text);
    EXPECT_EQ(compressed.fStatus, 0);
    NTestPrefix::WriteFile(fPrefix.Root() / "c.bin", compressed.fOutput);
    EXPECT_EQ(Xpb("expand " + At("c.bin")).fOutput, text);
    EXPECT_EQ(Xpb("compress", "").fOutput, std::string("\x7F\0\0\x11\x11\x11\x11\x11\x11\x11", 10));

    ToolRun absent = Xpb("list " + At("absent.xpb"));
    EXPECT_EQ(absent.fStatus, 1);
    EXPECT_NE(absent.fOutput.find("absent.xpb"), std::string::npos);
    EXPECT_EQ(Xpb("frobnicate").fStatus, 2);
    EXPECT_EQ(Xpb("--help").fStatus, 0);
}

} // namespace
