// Component containers: version rules, copying, and what a failed copy leaves behind.
#include "setup/KComponent.h"

#include "platform/NHostFileSystem.h"
#include "setup/KInstallFailed.h"
#include "tests/setup/KSetupTestSupport.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

using namespace setuptest;

namespace {

constexpr int32_t kTime = 1262304000;   // 2010-01-01

TEST(KComponentTest, VersionRules)
{
    struct Case {
        NHostVersion fOffered, fInstalled;
        bool fInstall;
    };
    const Case cases[] = {
        { {3, 0, 0, 1}, {3, 0, 0, 1}, true },      // equal versions reinstall
        { {3, 0, 0, 2}, {3, 0, 0, 1}, true },
        { {3, 0, 0, 1}, {3, 0, 0, 2}, false },
        { {2, 9, 9, 9}, {3, 0, 0, 0}, false },     // the first differing number decides
        { {4, 0, 0, 0}, {3, 9, 9, 9}, true },
        { {0, 0, 0, 0}, {0, 0, 0, 0}, false },     // neither has a version
        { {1, 0, 0, 0}, {0, 0, 0, 0}, true },
        { {0, 0, 0, 0}, {1, 0, 0, 0}, false },
        { {0x8000, 0, 0, 0}, {1, 0, 0, 0}, false },   // signed: 0x8000 is below 1
        { {1, 0, 0, 0}, {0xFFFF, 0, 0, 0}, true },    // and 0xFFFF is -1
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComponentIsNotOlder(c.fOffered, c.fInstalled), c.fInstall)
            << c.fOffered[0] << "." << c.fOffered[3] << " over " << c.fInstalled[0] << "." << c.fInstalled[3];
}

class KComponentInstallTest : public ::testing::Test {
protected:
    NTestPrefix fPrefix;
    NFDirSpec fSource = HostDir("C:\\Source\\");
    NFDirSpec fTarget = HostDir("C:\\Target\\");
    NFileSpec Source(const char* name) { return NFileSpec(fSource, name, false); }
    NFileSpec Target(const char* name) { return NFileSpec(fTarget, name, false); }
};

TEST_F(KComponentInstallTest, CopiesPlainAndCompressedDataWithTheTimeStamp)
{
    std::string data = WithVersion(std::string(300000, 'a') + "tail", {3, 0, 0, 1});
    WriteContainer(Source("plain.dll"), data, {3, 0, 0, 1}, kTime);
    WriteContainer(Source("packed.dll"), data, {3, 0, 0, 1}, kTime + 1, true);
    EXPECT_TRUE(InstallComponent(Source("plain.dll"), Target("plain.dll"), false));
    EXPECT_TRUE(InstallComponent(Source("packed.dll"), NFileSpec(fTarget.SubDir("Sub:"), "packed.dll", false), false));
    EXPECT_EQ(ReadBytes(Target("plain.dll").HostPath()), data);
    EXPECT_EQ(ReadBytes(NFileSpec(fTarget.SubDir("Sub:"), "packed.dll", false).HostPath()), data);
    NHostStat status;
    ASSERT_TRUE(NHostFileSystem::Stat(Target("plain.dll").HostPath(), status));
    EXPECT_EQ(status.fModTime, kTime);
    EXPECT_FALSE(NFileSpec(fTarget, ComponentScratchName("plain.dll"), false).Exists());
}

TEST_F(KComponentInstallTest, AllZeroVersionInstallsOnlyWhenMissingOrForced)
{
    WriteContainer(Source("a.dll"), "new", {}, kTime);
    EXPECT_TRUE(InstallComponent(Source("a.dll"), Target("a.dll"), false));   // missing
    WriteContainer(Source("a.dll"), "newer", {}, kTime);
    EXPECT_FALSE(InstallComponent(Source("a.dll"), Target("a.dll"), false));
    EXPECT_EQ(ReadBytes(Target("a.dll").HostPath()), "new");
    EXPECT_TRUE(InstallComponent(Source("a.dll"), Target("a.dll"), true));
    EXPECT_EQ(ReadBytes(Target("a.dll").HostPath()), "newer");
}

TEST_F(KComponentInstallTest, OlderContainerIsSkippedUnlessForced)
{
    WriteContainer(Source("b.dll"), WithVersion("installed", {3, 1, 0, 0}), {3, 1, 0, 0}, kTime);
    ASSERT_TRUE(InstallComponent(Source("b.dll"), Target("b.dll"), false));
    WriteContainer(Source("b.dll"), WithVersion("older", {3, 0, 9, 9}), {3, 0, 9, 9}, kTime);
    EXPECT_FALSE(InstallComponent(Source("b.dll"), Target("b.dll"), false));
    EXPECT_TRUE(InstallComponent(Source("b.dll"), Target("b.dll"), true));
    EXPECT_EQ(ReadBytes(Target("b.dll").HostPath()), WithVersion("older", {3, 0, 9, 9}));
}

TEST_F(KComponentInstallTest, BadContainerThrows1000)
{
    WriteContainer(Source("bad.dll"), "x", {}, kTime, false, 0x434D5022);
    try {
        (void)InstallComponent(Source("bad.dll"), Target("bad.dll"), true);
        FAIL() << "no failure";
    } catch (const NInstallFailed& failure) {
        EXPECT_EQ(failure.Code(), kInstallBadContainer);
    }
    EXPECT_FALSE(Target("bad.dll").Exists());
}

TEST_F(KComponentInstallTest, FailedCopyThrows1001AndKeepsTheOldFile)
{
    WriteContainer(Source("c.dll"), "old", {}, kTime);
    ASSERT_TRUE(InstallComponent(Source("c.dll"), Target("c.dll"), true));
    WriteContainer(Source("c.dll"), "new", {}, kTime);
    // A folder where the new file would be written makes the copy fail.
    fTarget.SubDir(ComponentScratchName("c.dll") + ":").Create();
    try {
        (void)InstallComponent(Source("c.dll"), Target("c.dll"), true);
        FAIL() << "no failure";
    } catch (const NInstallFailed& failure) {
        EXPECT_EQ(failure.Code(), kInstallNotWritten);
    }
    EXPECT_EQ(ReadBytes(Target("c.dll").HostPath()), "old");
}

} // namespace
