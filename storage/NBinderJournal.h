// The rollback journal that makes changes to a binder archive all-or-nothing.
#pragma once

#include "platform/NHostFile.h"

#include <cstdint>
#include <string>
#include <vector>

/// Kept beside the archive as "<archive>-journal" while an update is under way. See the
/// source for the layout and the order of writes that makes it safe.
class NBinderJournal {
public:
    /// Bytes of the archive, at their offset, as they were before the update.
    struct Range {
        int64_t fOffset = 0;
        std::vector<uint8_t> fBytes;
    };

    explicit NBinderJournal(std::string archiveHostPath);
    /// Leaves a begun journal in place: an update that did not commit must stay undoable.
    ~NBinderJournal();
    NBinderJournal(const NBinderJournal&) = delete;
    NBinderJournal& operator=(const NBinderJournal&) = delete;

    static std::string PathOf(const std::string& archiveHostPath);

    /// Writes the archive's length and the ranges it is about to overwrite, and waits until
    /// they are on the medium. Throws NFileException (naming the journal) on failure.
    void Begin(int64_t archiveLength, const std::vector<Range>& ranges);
    bool IsBegun() const { return fBegun; }
    /// Waits until the archive's new bytes are on the medium, then removes the journal.
    /// False when that failed; the journal is then still there to undo the update.
    [[nodiscard]] bool Commit();

    /// Undoes an interrupted update of the archive when a complete journal lies beside it,
    /// and removes a journal that never became complete. `lockHeld` says the caller holds
    /// the archive's lock; otherwise it is taken for the time of the repair. False when the
    /// archive could not be repaired, or another process is updating it right now.
    [[nodiscard]] static bool Recover(const std::string& archiveHostPath, bool lockHeld);

    /// Reads a journal's bytes; false when they are not a complete, intact journal.
    static bool Parse(const std::vector<uint8_t>& bytes, int64_t& archiveLength, std::vector<Range>& ranges);

private:
    std::string fArchive;
    std::string fPath;
    bool fBegun = false;
};
