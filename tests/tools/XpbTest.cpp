// The xpb tool end to end, through its command line.
#include "storage/NBinder.h"
#include "tests/support/NRunCommand.h"
#include "tests/support/NTestNoise.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

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

// An add that fills the disk leaves the archive as it was, and says why it failed.
TEST_F(XpbTest, AddOntoAFullDiskKeepsTheArchiveReadable)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root; NBinderJournalTest covers full disks by fault injection";
    fs::path disk = fPrefix.MakeFolder("disk");
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=200k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        fs::path fPath;
        ~Unmount() { umount2(fPath.c_str(), MNT_DETACH); }
    } unmount { disk };
    ASSERT_EQ(Xpb("create " + At("disk/a.xpb") + " --app 2 --tag ABCD " + At("src")).fStatus, 0);
    std::string before = Xpb("list " + At("disk/a.xpb")).fOutput;
    NTestPrefix::WriteFile(fPrefix.Root() / "big.bin", std::string(300000, 'b'));
    ToolRun add = Xpb("add " + At("disk/a.xpb") + " " + At("big.bin") + " big.bin");
    EXPECT_EQ(add.fStatus, 1);
    EXPECT_NE(add.fOutput.find("No space left on device"), std::string::npos) << add.fOutput;
    EXPECT_NE(add.fOutput.find((disk / "a.xpb").string()), std::string::npos) << add.fOutput;
    ToolRun after = Xpb("list " + At("disk/a.xpb"));
    EXPECT_EQ(after.fStatus, 0) << after.fOutput;
    EXPECT_EQ(after.fOutput, before);
    EXPECT_FALSE(fs::exists(disk / "a.xpb-journal"));
}

// kill -9 at moments spread over an add: the archive lists its old elements or the new set.
TEST_F(XpbTest, KilledAddLeavesTheOldOrTheNewArchive)
{
    ASSERT_EQ(Xpb("create " + At("a.xpb") + " --app 2 --tag ABCD " + At("src")).fStatus, 0);
    std::string archive = NTestPrefix::ReadFile(fPrefix.Root() / "a.xpb");
    std::string before = Xpb("list " + At("a.xpb")).fOutput;
    NTestPrefix::WriteFile(fPrefix.Root() / "big.bin", std::string(24 << 20, 'b'));
    ASSERT_EQ(Xpb("add " + At("a.xpb") + " " + At("big.bin") + " big.bin").fStatus, 0);
    std::string after = Xpb("list " + At("a.xpb")).fOutput;
    std::string xpb = LUMORA_XPB;
    std::string target = (fPrefix.Root() / "a.xpb").string();
    std::string source = (fPrefix.Root() / "big.bin").string();
    for (int round = 0; round < 20; ++round) {
        NTestPrefix::WriteFile(fPrefix.Root() / "a.xpb", archive);
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl(xpb.c_str(), xpb.c_str(), "add", target.c_str(), source.c_str(), "big.bin", nullptr);
            _exit(127);
        }
        usleep(static_cast<useconds_t>(round * 1500));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        ToolRun list = Xpb("list " + At("a.xpb"));
        EXPECT_EQ(list.fStatus, 0) << "round " << round << ": " << list.fOutput;
        EXPECT_TRUE(list.fOutput == before || list.fOutput == after) << "round " << round << ": " << list.fOutput;
    }
}

// The tools' own files: an output inside the folder being packed is refused.
TEST_F(XpbTest, CreateRefusesToPackItsOwnOutput)
{
    ToolRun self = Xpb("create " + At("src/self.xpb") + " --app 2 --tag ABCD " + At("src/"));
    EXPECT_EQ(self.fStatus, 1);
    EXPECT_NE(self.fOutput.find("inside the folder it packs"), std::string::npos) << self.fOutput;
    EXPECT_FALSE(fs::exists(fPrefix.Root() / "src" / "self.xpb"));
    EXPECT_EQ(Xpb("expand " + At("src/a.txt") + " " + At("src/a.txt")).fStatus, 1);
    EXPECT_EQ(NTestPrefix::ReadFile(fPrefix.Root() / "src" / "a.txt"), "top");
}

TEST_F(XpbTest, HelpGoesToStandardOutputAndUsageErrorsExitTwo)
{
    for (const char* help : { "--help", "create --help", "extract --help" }) {
        std::string output;
        EXPECT_EQ(NRunCommand("(" + std::string(LUMORA_XPB) + " " + help + " 2>/dev/null)", output), 0) << help;
        EXPECT_EQ(output.find("usage: xpb"), 0u) << help;
    }
    EXPECT_EQ(Xpb("create " + At("x.xpb")).fStatus, 2);
    EXPECT_EQ(Xpb("list").fStatus, 2);
    EXPECT_EQ(Xpb("list " + At("x.xpb") + " --bogus 1").fStatus, 2);
}

// Damage is named, never passed on as good data.
TEST_F(XpbTest, ExtractAndCatReportCutElementsAndWrongChecksums)
{
    NTestPrefix::WriteFile(fPrefix.Root() / "src" / "Assets" / "Photo" / "0001.jpg", std::string(600, 'p'));
    ASSERT_EQ(Xpb("create " + At("set.Qip") + " --app 2 --tag SEGM --segment 300 --seal " + At("src")).fStatus, 0);
    ASSERT_EQ(Xpb("extract " + At("set.Qip") + " " + At("whole")).fStatus, 0);
    fs::path third = fPrefix.Root() / "set3_";
    for (const fs::directory_entry& entry : fs::directory_iterator(fPrefix.Root())) {
        if (entry.path().filename().string().starts_with("set3_"))
            third = entry.path();
    }
    ASSERT_TRUE(fs::exists(third));
    fs::resize_file(third, 200);
    ToolRun cut = Xpb("extract " + At("set.Qip") + " " + At("cut"));
    EXPECT_EQ(cut.fStatus, 1);
    EXPECT_NE(cut.fOutput.find("assets:photo:0001.jpg is damaged: only "), std::string::npos) << cut.fOutput;
    ToolRun cat = Xpb("cat " + At("set.Qip") + " assets:photo:0001.jpg");
    EXPECT_EQ(cat.fStatus, 1);
    EXPECT_NE(cat.fOutput.find("is damaged"), std::string::npos);

    ASSERT_EQ(Xpb("create " + At("sealed.xpb") + " --app 2 --tag ABCD --seal " + At("src")).fStatus, 0);
    std::string bytes = NTestPrefix::ReadFile(fPrefix.Root() / "sealed.xpb");
    bytes[30] = static_cast<char>(bytes[30] ^ 0x20);
    NTestPrefix::WriteFile(fPrefix.Root() / "sealed.xpb", bytes);
    ToolRun flipped = Xpb("extract " + At("sealed.xpb") + " " + At("flipped"));
    EXPECT_EQ(flipped.fStatus, 1);
    EXPECT_NE(flipped.fOutput.find("damaged: the checksum is 0x"), std::string::npos) << flipped.fOutput;
}

TEST_F(XpbTest, ExpandRefusesCutOrRandomInput)
{
    std::string text(5000, 'x');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char>('a' + (i * i) % 23);
    std::string packed = Xpb("compress", text).fOutput;
    ASSERT_EQ(Xpb("expand", packed).fOutput, text);
    ToolRun cut = Xpb("expand", packed.substr(0, packed.size() / 2));
    EXPECT_EQ(cut.fStatus, 1);
    EXPECT_NE(cut.fOutput.find("no end marker"), std::string::npos);
    std::string random = NTestNoise(3000, 7);
    EXPECT_EQ(Xpb("expand", random).fStatus, 1);
    NTestPrefix::WriteFile(fPrefix.Root() / "cut.bin", packed.substr(0, 40));
    EXPECT_EQ(Xpb("expand " + At("cut.bin") + " " + At("out.txt")).fStatus, 1);
    EXPECT_FALSE(fs::exists(fPrefix.Root() / "out.txt")) << "no half-expanded output";
}

} // namespace
