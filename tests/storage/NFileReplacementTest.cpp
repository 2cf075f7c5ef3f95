// Whole new files: the target is the old file or the complete new one, whatever happens.
#include "storage/NFileReplacement.h"

#include "storage/NFileException.h"
#include "platform/NHostFaults.h"
#include "tests/support/NKillAtChange.h"
#include "tests/support/NTestPrefix.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cerrno>
#include <csignal>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class NFileReplacementTest : public ::testing::Test {
protected:
    NFileReplacementTest() : fRoot(NFDriveSpec())
    {
        fs::create_directories(fPrefix.DriveC());
        NTestPrefix::WriteFile(Target(), fOld);
        fNew.resize(64 * 4096);
        for (size_t i = 0; i < fNew.size(); ++i)
            fNew[i] = static_cast<char>(i * 31 + 7);
        NHostFaults::Disarm();
    }
    ~NFileReplacementTest() override { NHostFaults::Disarm(); }

    fs::path Target() const { return fPrefix.DriveC() / "out.bin"; }

    // Writes the new contents in 4 KB pieces through a replacement.
    void Write() const
    {
        NFileReplacement replacement(NFileSpec(fRoot, "out.bin"));
        NStream out = replacement.Temporary().Open(NStreamMode::kWrite);
        for (size_t at = 0; at < fNew.size(); at += 4096)
            out.WriteFully(4096, fNew.data() + at);
        out.Close();
        replacement.Commit();
    }

    size_t FilesInFolder() const
    {
        size_t count = 0;
        for (const auto& entry : fs::directory_iterator(fPrefix.DriveC()))
            count += entry.is_regular_file() ? 1 : 0;
        return count;
    }

    NTestPrefix fPrefix;
    NFDirSpec fRoot;
    std::string fOld = "the old file";
    std::string fNew;
};

TEST_F(NFileReplacementTest, KilledAnywhereTheTargetIsOldOrNew)
{
    Write();
    int64_t changes = NHostFaults::Changes();
    ASSERT_GE(changes, 50);
    for (int64_t n = 0; n <= changes; ++n) {
        NTestPrefix::WriteFile(Target(), fOld);
        int status = 0;
        ASSERT_NO_FATAL_FAILURE(NRunKilledAtChange(n, [&] { Write(); }, status));
        EXPECT_TRUE(WIFSIGNALED(status) || (n == changes && NFinishedBeforeKill(status))) << n;
        std::string now = NTestPrefix::ReadFile(Target());
        EXPECT_TRUE(now == fOld || now == fNew) << "killed at change " << n << ": " << now.size() << " bytes";
        EXPECT_EQ(now == fNew, n >= changes - 1) << "the rename is the last change but the folder sync";
    }
}

TEST_F(NFileReplacementTest, FailureRemovesTheTemporaryFileAndKeepsTheTarget)
{
    NHostFaults::Arm(10, NHostFaults::Action::kFail, ENOSPC);
    try {
        Write();
        ADD_FAILURE() << "a write without space succeeded";
    } catch (const NFileException& error) {
        EXPECT_EQ(error.HostError(), ENOSPC);
    }
    NHostFaults::Disarm();
    EXPECT_EQ(NTestPrefix::ReadFile(Target()), fOld);
    EXPECT_EQ(FilesInFolder(), 1u);
    Write();
    EXPECT_EQ(NTestPrefix::ReadFile(Target()), fNew);
    EXPECT_EQ(FilesInFolder(), 1u);
}

} // namespace
