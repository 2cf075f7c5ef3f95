// Crash safety of segmented sets: every interrupted create or update of a set leaves the set
// readable, holding exactly its old or its new contents, with no stray segment beside it.
#include "storage/NBinder.h"

#include "storage/NFileException.h"
#include "storage/NSegmentJournal.h"
#include "storage/NStream.h"
#include "platform/NHostFaults.h"
#include "tests/support/NKillAtChange.h"
#include "tests/support/NTestNoise.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <functional>
#include <map>
#include <set>

namespace {

namespace fs = std::filesystem;

constexpr int kMinPoints = 50;
constexpr int64_t kSegmentLimit = 40000;

// What a set looks like from outside: its logical bytes (the set read as one file) and the
// names of the files in its folder. Segment headers carry the time of writing, so two runs
// of the same change are compared through this, not byte for byte.
struct SetState {
    std::string fLogical;   // empty when the set cannot be opened at all
    std::set<std::string> fFiles;
    bool operator==(const SetState&) const = default;
};

class NSegmentJournalTest : public ::testing::Test {
protected:
    NSegmentJournalTest()
        : fRoot(NFDriveSpec(), "Set:")
        , fMount(NFDriveSpec(), "Binder:")
    {
        fs::create_directories(fPrefix.DriveC() / "Set");
        fs::create_directories(fPrefix.DriveC() / "src");
        NHostFaults::Disarm();
        for (int i = 0; i < 6; ++i)
            NTestPrefix::WriteFile(fPrefix.DriveC() / "src" / ("e" + std::to_string(i)),
                                   NTestNoise(9000 + 23011 * i, 100 + i));
    }
    ~NSegmentJournalTest() override { NHostFaults::Disarm(); }

    NFileSpec First() const { return NFileSpec(fRoot, "a.Qip"); }
    NFileSpec Source(int i) const { return NFileSpec(NFDirSpec(NFDriveSpec(), "src:"), "e" + std::to_string(i)); }
    NFileSpec InMount(const std::string& name) const { return NFileSpec(fMount, name); }
    int64_t SourceSize(int i) const
    {
        return static_cast<int64_t>(fs::file_size(fPrefix.DriveC() / "src" / ("e" + std::to_string(i))));
    }

    // A set made afresh with elements [from, to).
    void Create(int from, int to)
    {
        NBinder binder;
        if (!binder.Create(First(), fMount, 2, kSegmentLimit))
            throw NFileException(kFileCannotCreate, "create");
        for (int i = from; i < to; ++i)
            binder.Add(InMount("e" + std::to_string(i)), Source(i), SourceSize(i));
        if (!binder.Close())
            throw NFileException(kFileHostFailure, "close");
    }

    // Elements [from, to) added to the set, then the set sealed.
    void Update(int from, int to, bool seal = true)
    {
        NBinder binder;
        if (binder.Open(First(), fMount, NBinderMode::kUpdate) < 0)
            throw NFileException(kFileCannotOpen, "open");
        for (int i = from; i < to; ++i)
            binder.Add(InMount("New:e" + std::to_string(i)), Source(i), SourceSize(i));
        if (!binder.Close())
            throw NFileException(kFileHostFailure, "close");
        if (seal)
            NBinder::Seal(First());
    }

    // Opening the set first repairs it, as any reader would.
    SetState State() const
    {
        SetState state;
        try {
            NBinder binder;
            if (binder.Open(First(), fMount, NBinderMode::kRead) >= 0) {
                static_cast<void>(binder.Close());
                NStream set = First().Open(NStreamMode::kRead, false, 1);
                state.fLogical.resize(static_cast<size_t>(set.GetLength()));
                set.ReadFully(static_cast<int32_t>(state.fLogical.size()), state.fLogical.data());
            }
        } catch (const NFileException&) {
            state.fLogical.clear();
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(fPrefix.DriveC() / "Set"))
            state.fFiles.insert(entry.path().filename().string());
        return state;
    }

    static std::string Names(const SetState& state)
    {
        std::string names;
        for (const std::string& name : state.fFiles)
            names += " " + name;
        return names;
    }

    void Clear()
    {
        fs::remove_all(fPrefix.DriveC() / "Set");
        fs::create_directories(fPrefix.DriveC() / "Set");
    }

    // The set's files saved and put back, so each run starts from the same old set.
    std::map<std::string, std::string> Save() const
    {
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(fPrefix.DriveC() / "Set"))
            files[entry.path().filename().string()] = NTestPrefix::ReadFile(entry.path());
        return files;
    }

    void Restore(const std::map<std::string, std::string>& files)
    {
        Clear();
        for (const auto& [name, bytes] : files)
            NTestPrefix::WriteFile(fPrefix.DriveC() / "Set" / name, bytes);
    }

    // Kills a child running `change` at many of its host changes; after each, the set must
    // be in one of `allowed` states. Returns which of them were seen.
    std::set<size_t> KillEverywhere(int64_t changes, const std::function<void()>& reset,
                                    const std::function<void()>& change, const std::vector<SetState>& allowed)
    {
        std::vector<int64_t> points = NChangePoints(changes, kMinPoints);
        EXPECT_GE(points.size(), static_cast<size_t>(kMinPoints)) << changes << " changes";
        std::set<size_t> seen;
        for (int64_t n : points) {
            reset();
            int status = 0;
            EXPECT_NO_FATAL_FAILURE(NRunKilledAtChange(n, change, status));
            EXPECT_TRUE(NKilledByHost(status) || NFinishedBeforeKill(status)) << "change " << n;
            SetState now = State();
            auto match = std::find(allowed.begin(), allowed.end(), now);
            EXPECT_NE(match, allowed.end()) << "killed at change " << n << " of " << changes << ": "
                                            << now.fLogical.size() << " logical bytes, " << now.fFiles.size()
                                            << " files" << Names(now);
            if (match != allowed.end())
                seen.insert(static_cast<size_t>(match - allowed.begin()));
        }
        return seen;
    }

    NTestPrefix fPrefix;
    NFDirSpec fRoot;
    NFDirSpec fMount;
};

TEST_F(NSegmentJournalTest, KilledAtAnyPointOfAnUpdateTheSetIsOldOrNew)
{
    Create(0, 2);
    std::map<std::string, std::string> old = Save();
    SetState before = State();
    ASSERT_FALSE(before.fLogical.empty());
    ASSERT_EQ(before.fFiles.size(), 2u) << "the old set has two segments";
    Update(2, 6, false);
    SetState unsealed = State();
    Restore(old);
    NHostFaults::Disarm();
    Update(2, 6);
    int64_t changes = NHostFaults::Changes();
    SetState after = State();
    ASSERT_GT(after.fFiles.size(), 4u) << "the update adds segments and renames the old ones";
    ASSERT_NE(after, unsealed);
    std::set<size_t> seen = KillEverywhere(changes, [&] { Restore(old); }, [&] { Update(2, 6); },
                                           { before, unsealed, after });
    EXPECT_EQ(seen, (std::set<size_t> { 0, 1, 2 })) << "the kills landed before, between and after";
}

TEST_F(NSegmentJournalTest, KilledAtAnyPointOfACreateTheSetIsMissingOrWhole)
{
    NHostFaults::Disarm();
    Create(0, 4);
    int64_t changes = NHostFaults::Changes();
    SetState made = State();
    ASSERT_GT(made.fFiles.size(), 3u);
    SetState none;
    std::set<size_t> seen = KillEverywhere(changes, [&] { Clear(); }, [&] { Create(0, 4); }, { none, made });
    EXPECT_EQ(seen, (std::set<size_t> { 0, 1 }));
}

TEST_F(NSegmentJournalTest, FailingFromTheNthChangeLeavesTheSetOldOrNew)
{
    Create(0, 2);
    std::map<std::string, std::string> old = Save();
    SetState before = State();
    Update(2, 6, false);
    SetState after = State();
    Restore(old);
    NHostFaults::Disarm();
    Update(2, 6, false);
    int64_t changes = NHostFaults::Changes();
    for (int64_t n : NChangePoints(changes, kMinPoints)) {
        Restore(old);
        NHostFaults::Arm(n, NHostFaults::Action::kFail, ENOSPC);
        try {
            Update(2, 6, false);
        } catch (const NFileException&) {
        }
        NHostFaults::Disarm();
        SetState now = State();
        EXPECT_TRUE(now == before || now == after) << "failed from change " << n << " of " << changes;
    }
}

// The step that puts a finished set in place of an old album: every rename journalled, so a
// kill anywhere leaves the old files or the new ones under the final names.
TEST_F(NSegmentJournalTest, KilledWhileASetMovesInTheOldOrTheNewFilesStand)
{
    fs::path set = fPrefix.DriveC() / "Set";
    fs::create_directories(set / "new");
    fs::create_directories(set / "old");
    std::map<std::string, std::string> oldFiles = { { "a.Qip", "old first" }, { "a2_2.Qip", "old second" } };
    std::map<std::string, std::string> newFiles = { { "a.Qip", "new first" }, { "a2_3.Qip", "new second" },
                                                    { "a3_3.Qip", "new third" } };
    auto reset = [&] {
        for (const char* folder : { "", "new", "old" }) {
            for (const fs::directory_entry& entry : fs::directory_iterator(set / folder)) {
                if (entry.is_regular_file())
                    fs::remove(entry.path());
            }
        }
        for (const auto& [name, bytes] : oldFiles)
            NTestPrefix::WriteFile(set / name, bytes);
        for (const auto& [name, bytes] : newFiles)
            NTestPrefix::WriteFile(set / "new" / name, bytes);
    };
    auto host = [](const std::string& relative) { return "C:\\Set\\" + relative; };
    std::vector<std::pair<std::string, std::string>> moves;
    for (const auto& [name, bytes] : oldFiles)
        moves.emplace_back(host(name), host("old\\" + name));
    for (const auto& [name, bytes] : newFiles)
        moves.emplace_back(host("new\\" + name), host(name));
    auto visible = [&] {
        // What a reader sees after opening (and so repairing) the set.
        NBinder reader;
        static_cast<void>(reader.Open(First(), fMount, NBinderMode::kRead));
        std::map<std::string, std::string> files;
        for (const fs::directory_entry& entry : fs::directory_iterator(set)) {
            if (entry.is_regular_file())
                files[entry.path().filename().string()] = NTestPrefix::ReadFile(entry.path());
        }
        return files;
    };
    reset();
    NHostFaults::Disarm();
    NSegmentJournal::MoveAll(host("a.Qip"), moves);
    int64_t changes = NHostFaults::Changes();
    ASSERT_EQ(visible(), newFiles);
    std::set<int> seen;
    for (int64_t n = 0; n <= changes; ++n) {
        reset();
        int status = 0;
        ASSERT_NO_FATAL_FAILURE(
            NRunKilledAtChange(n, [&] { NSegmentJournal::MoveAll(host("a.Qip"), moves); }, status));
        std::map<std::string, std::string> now = visible();
        EXPECT_TRUE(now == oldFiles || now == newFiles) << "killed at change " << n << " of " << changes;
        seen.insert(now == oldFiles ? 0 : now == newFiles ? 1 : 2);
    }
    EXPECT_EQ(seen, (std::set<int> { 0, 1 }));
}

// A journal is data found on disk: its undo touches nothing outside the set's folder.
TEST_F(NSegmentJournalTest, UndoLeavesFilesOutsideTheSetsFolderAlone)
{
    fs::path victim = fPrefix.DriveC() / "src" / "e0";
    std::string before = NTestPrefix::ReadFile(victim);
    NTestPrefix::WriteFile(fPrefix.DriveC() / "Set" / "a.Qip", "made by the cut-off change");
    NTestPrefix::WriteFile(fPrefix.DriveC() / "Set" / "a2_2.Qip", "made too");
    {
        NSegmentJournal journal("C:\\Set\\a.Qip");
        journal.Begin({ { "C:\\src\\e0", 0, {} } });
        journal.WillCreate(Source(0));
        journal.WillCreate(NFileSpec(fRoot, "..:src:e0"));
        journal.WillRename(Source(0), NFileSpec(fRoot, "moved"));
        journal.WillCreate(NFileSpec(fRoot, "a2_2.Qip"));
    }
    // The segment the journal made goes, and the journal with it; the file outside stays.
    EXPECT_EQ(State().fFiles, std::set<std::string> { "a.Qip" });
    EXPECT_EQ(NTestPrefix::ReadFile(victim), before);
}

}   // namespace

// A change still under way holds its journal: a reader that comes while the set's first
// file is out of place (as when a finished set is moved in) is turned away instead of
// undoing the live change; once the changer is gone, the next reader repairs the set.
TEST_F(NSegmentJournalTest, AReaderNeverUndoesAChangeThatIsStillRunning)
{
    Create(0, 3);
    SetState before = State();
    ASSERT_FALSE(before.fLogical.empty());
    fs::path set = fPrefix.DriveC() / "Set";
    fs::create_directories(set / "old");
    NFileSpec retired(NFDirSpec(NFDriveSpec(), "Set:old:"), "a.Qip");
    fs::path journalFile = set / "a.Qip-journal";
    {
        NSegmentJournal live(First().HostPath());
        live.Begin({});
        live.WillRename(First(), retired);
        fs::rename(set / "a.Qip", set / "old" / "a.Qip");

        NBinder reader;
        EXPECT_LT(reader.Open(First(), fMount, NBinderMode::kRead), 0);
        EXPECT_TRUE(fs::exists(journalFile));
        EXPECT_TRUE(fs::exists(set / "old" / "a.Qip"));
        EXPECT_FALSE(fs::exists(set / "a.Qip"));

        // A second change cannot start its journal while this one holds it.
        NSegmentJournal rival(First().HostPath());
        EXPECT_THROW(rival.Begin({}), NFileException);
        EXPECT_TRUE(fs::exists(journalFile));
    } // the changer dies without committing

    SetState after = State();
    EXPECT_EQ(after.fLogical, before.fLogical);
    EXPECT_FALSE(fs::exists(journalFile));
    EXPECT_FALSE(fs::exists(set / "old" / "a.Qip"));
}
