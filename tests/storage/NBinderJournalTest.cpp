// Crash safety of binder updates: every interrupted update leaves the old or the new archive.
#include "storage/NBinder.h"

#include "storage/NBinderJournal.h"
#include "storage/NFileException.h"
#include "platform/NHostFaults.h"
#include "tests/support/NKillAtChange.h"
#include "tests/support/NTestNoise.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

constexpr int kMinPoints = 50;

class NBinderJournalTest : public ::testing::Test {
protected:
    NBinderJournalTest()
        : fRoot(NFDriveSpec())
        , fMount(NFDriveSpec(), "Binder:")
    {
        fs::create_directories(fPrefix.DriveC() / "src");
        NHostFaults::Disarm();
    }
    ~NBinderJournalTest() override { NHostFaults::Disarm(); }

    fs::path OnC(const std::string& relative) const { return fPrefix.DriveC() / relative; }
    NFileSpec File(const std::string& name) const { return NFileSpec(fRoot, name); }
    NFileSpec InMount(const std::string& name) const { return NFileSpec(fMount, name); }
    fs::path Journal() const { return OnC("a.xpb-journal"); }

    NFileSpec Source(const std::string& name, const std::string& bytes) const
    {
        NTestPrefix::WriteFile(OnC("src/" + name), bytes);
        return File("src:" + name);
    }

    // The archive before the update: three elements, one in a folder.
    void MakeOld()
    {
        NBinder binder;
        ASSERT_TRUE(binder.Create(File("a.xpb"), fMount, 2, 0));
        for (int i = 0; i < 3; ++i) {
            std::string bytes = NTestNoise(1000 + 7000 * i, i);
            binder.Add(InMount(i == 1 ? "Old:e" + std::to_string(i) : "e" + std::to_string(i)),
                       Source("old" + std::to_string(i), bytes), static_cast<int64_t>(bytes.size()));
        }
        ASSERT_TRUE(binder.Close());
        fOld = NTestPrefix::ReadFile(OnC("a.xpb"));
    }

    // The update: several elements of many copy blocks each, then closing and sealing.
    // Returns normally only when every step succeeded.
    void Update()
    {
        NBinder binder;
        if (binder.Open(File("a.xpb"), fMount, NBinderMode::kUpdate) < 0)
            throw NFileException(kFileCannotOpen, "a.xpb");
        for (int i = 0; i < 4; ++i) {
            std::string name = "new" + std::to_string(i);
            binder.Add(InMount("New:" + name), File("src:" + name), fs::file_size(OnC("src/" + name)));
        }
        if (!binder.Close())
            throw NFileException(kFileHostFailure, "close");
        NBinder::Seal(File("a.xpb"));
    }

    void MakeSources()
    {
        for (int i = 0; i < 4; ++i)
            Source("new" + std::to_string(i), NTestNoise(600000 + 250007 * i, 10 + i));
    }

    void RestoreOld()
    {
        NTestPrefix::WriteFile(OnC("a.xpb"), fOld);
        fs::remove(Journal());
    }

    // Runs the update once unharmed and remembers the states it may leave: the old archive,
    // the updated one before sealing, and the sealed one. Returns the host changes it made.
    int64_t LearnStates()
    {
        MakeOld();
        MakeSources();
        {
            NBinder binder;
            EXPECT_GE(binder.Open(File("a.xpb"), fMount, NBinderMode::kUpdate), 0);
            for (int i = 0; i < 4; ++i) {
                std::string name = "new" + std::to_string(i);
                binder.Add(InMount("New:" + name), File("src:" + name), fs::file_size(OnC("src/" + name)));
            }
            EXPECT_TRUE(binder.Close());
        }
        fUnsealed = NTestPrefix::ReadFile(OnC("a.xpb"));
        RestoreOld();
        NHostFaults::Disarm();
        Update();
        int64_t changes = NHostFaults::Changes();
        fNew = NTestPrefix::ReadFile(OnC("a.xpb"));
        EXPECT_FALSE(fs::exists(Journal())) << "a finished update leaves no journal";
        EXPECT_NE(fNew, fOld);
        EXPECT_NE(fNew, fUnsealed);
        RestoreOld();
        return changes;
    }

    // After an interruption: the next open repairs the archive, which then holds exactly
    // the old bytes or the new ones (or, between closing and sealing, the unsealed ones).
    void ExpectOldOrNew(const std::string& where)
    {
        NBinder binder;
        ASSERT_GE(binder.Open(File("a.xpb"), fMount, NBinderMode::kRead), 0) << where;
        ASSERT_TRUE(binder.Close());
        EXPECT_FALSE(fs::exists(Journal())) << where;
        std::string now = NTestPrefix::ReadFile(OnC("a.xpb"));
        EXPECT_TRUE(now == fOld || now == fNew || now == fUnsealed)
            << where << ": " << now.size() << " bytes, old " << fOld.size() << ", new " << fNew.size();
        fSeen.insert(now == fOld ? 0 : now == fUnsealed ? 1 : 2);
    }

    NTestPrefix fPrefix;
    NFDirSpec fRoot;
    NFDirSpec fMount;
    std::string fOld;
    std::string fUnsealed;
    std::string fNew;
    std::set<int> fSeen;
};

TEST_F(NBinderJournalTest, KilledAtAnyPointOfAnUpdateTheArchiveIsOldOrNew)
{
    int64_t changes = LearnStates();
    std::vector<int64_t> points = NChangePoints(changes, kMinPoints);
    ASSERT_GE(points.size(), static_cast<size_t>(kMinPoints)) << changes << " changes";
    for (int64_t n : points) {
        RestoreOld();
        int status = 0;
        ASSERT_NO_FATAL_FAILURE(NRunKilledAtChange(n, [&] { Update(); }, status));
        EXPECT_TRUE(NKilledByHost(status) || (n >= changes && NFinishedBeforeKill(status)))
            << "change " << n << " of " << changes;
        ExpectOldOrNew("killed at change " + std::to_string(n) + " of " + std::to_string(changes));
    }
    EXPECT_EQ(fSeen, (std::set<int> { 0, 1, 2 })) << "the kills landed before, between and after";
}

TEST_F(NBinderJournalTest, FailingAtTheNthChangeLeavesTheArchiveOldOrNew)
{
    int64_t changes = LearnStates();
    for (int64_t n : NChangePoints(changes, kMinPoints)) {
        RestoreOld();
        NHostFaults::Arm(n, NHostFaults::Action::kFail, ENOSPC);
        bool finished = true;
        try {
            Update();
        } catch (const NFileException&) {
            finished = false;
        }
        NHostFaults::Disarm();
        // Deletions never fail for want of space, so a failure from the last one on is none.
        EXPECT_TRUE(finished || n < changes) << "change " << n;
        ExpectOldOrNew("failed from change " + std::to_string(n) + " of " + std::to_string(changes));
    }
}

TEST_F(NBinderJournalTest, NoSpaceAnywhereChangesNothing)
{
    LearnStates();
    NHostFaults::Arm(0, NHostFaults::Action::kFail, ENOSPC);
    try {
        Update();
        ADD_FAILURE() << "an update without space succeeded";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.HostError(), ENOSPC) << error.what();
        EXPECT_NE(std::string(error.what()).find("No space left on device"), std::string::npos) << error.what();
    }
    NHostFaults::Disarm();
    // Not one byte of the archive was touched; a stub of a journal may be left, which the
    // next open throws away.
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("a.xpb")), fOld);
    ExpectOldOrNew("after no space");
}

TEST_F(NBinderJournalTest, UpdateThatFailsMidwayIsUndoneAtClose)
{
    LearnStates();
    {
        NBinder binder;
        ASSERT_GE(binder.Open(File("a.xpb"), fMount, NBinderMode::kUpdate), 0);
        binder.Add(InMount("New:new0"), File("src:new0"), fs::file_size(OnC("src/new0")));
        EXPECT_TRUE(fs::exists(Journal())) << "the journal exists while the update runs";
        NHostFaults::Arm(0, NHostFaults::Action::kFail, ENOSPC);
        EXPECT_THROW(binder.Add(InMount("New:new1"), File("src:new1"), fs::file_size(OnC("src/new1"))),
                     NFileException);
        EXPECT_FALSE(binder.Close());
        NHostFaults::Disarm();
    }
    // The undo itself could not write: the journal waits for the next open.
    EXPECT_TRUE(fs::exists(Journal()));
    ExpectOldOrNew("after a failed close");
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("a.xpb")), fOld);
}

TEST_F(NBinderJournalTest, ReaderDoesNotUndoALiveUpdateAndSecondUpdaterIsRefused)
{
    LearnStates();
    NBinder writer;
    ASSERT_GE(writer.Open(File("a.xpb"), fMount, NBinderMode::kUpdate), 0);
    NBinder second;
    EXPECT_EQ(second.Open(File("a.xpb"), fMount, NBinderMode::kUpdate), -1) << "one updater at a time";
    writer.Add(InMount("New:new0"), File("src:new0"), fs::file_size(OnC("src/new0")));
    NBinder reader;
    EXPECT_EQ(reader.Open(File("a.xpb"), fMount, NBinderMode::kRead), -1) << "busy, not rolled back";
    EXPECT_FALSE(reader.Verify(File("a.xpb"))) << "a busy archive cannot be vouched for";
    EXPECT_TRUE(fs::exists(Journal()));
    EXPECT_TRUE(writer.Close());
    EXPECT_FALSE(fs::exists(Journal()));
    EXPECT_GE(reader.Open(File("a.xpb"), fMount, NBinderMode::kRead), 0);
}

TEST_F(NBinderJournalTest, IncompleteJournalIsDiscardedAndArchiveLeftAlone)
{
    LearnStates();
    NTestPrefix::WriteFile(Journal(), "XPBJ\0\0\0\x01" + std::string(5, '\0'));
    ExpectOldOrNew("short journal");
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("a.xpb")), fOld);
}

TEST_F(NBinderJournalTest, UpdateWithNothingAddedWritesNoJournalAndNoByte)
{
    LearnStates();
    NBinder binder;
    ASSERT_GE(binder.Open(File("a.xpb"), fMount, NBinderMode::kUpdate), 0);
    NHostFaults::Disarm();
    EXPECT_TRUE(binder.Close());
    EXPECT_EQ(NHostFaults::Changes(), 0);
    EXPECT_EQ(NTestPrefix::ReadFile(OnC("a.xpb")), fOld);
}

// A real full disk: a small tmpfs, which only root may mount.
TEST_F(NBinderJournalTest, FullTmpfsLeavesTheArchiveAsItWas)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "mounting a small tmpfs needs root; the no-space stream tests cover the rest";
    fs::path disk = OnC("disk");
    fs::create_directories(disk);
    if (mount("tmpfs", disk.c_str(), "tmpfs", 0, "size=200k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here: " << std::strerror(errno);
    struct Unmount {
        fs::path fPath;
        ~Unmount() { umount2(fPath.c_str(), MNT_DETACH); }
    } unmount { disk };
    MakeOld();
    ASSERT_LT(fOld.size(), 100000u);
    fs::copy_file(OnC("a.xpb"), disk / "a.xpb");
    Source("big", NTestNoise(400000, 99));
    NFileSpec archive = File("disk:a.xpb");
    {
        NBinder binder;
        ASSERT_GE(binder.Open(archive, fMount, NBinderMode::kUpdate), 0);
        EXPECT_THROW(binder.Add(InMount("big"), File("src:big"), 400000), NFileException);
        // Whether the smaller directory still fits decides whether closing succeeds.
        static_cast<void>(binder.Close());
    }
    // Without the half-copied element the archive is the old one, or the old elements with a
    // new directory when the directory still fitted.
    EXPECT_FALSE(fs::exists(disk / "a.xpb-journal"));
    NBinder again;
    ASSERT_GE(again.Open(archive, fMount, NBinderMode::kRead), 0);
    int64_t position = 0;
    int32_t size = 0;
    EXPECT_TRUE(again.Lookup(InMount("Old:e1"), position, size));
    EXPECT_EQ(size, 8000);
    EXPECT_FALSE(again.Lookup(InMount("big"), position, size));
}

} // namespace
