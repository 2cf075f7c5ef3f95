// The rollback journal that makes changes to a segmented set all-or-nothing.
#pragma once

#include "storage/NBinderJournal.h"
#include "storage/NStreamSegmented.h"
#include "platform/NHostFile.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

/// Kept beside the set's first file as "<first>-journal", like the journal of a single
/// archive, but as a log that grows while the change goes on: the state of the files that
/// existed before, then every file made and every file renamed, each record on the medium
/// before the step it announces. See the source for the layout.
class NSegmentJournal : public NSegmentObserver {
public:
    explicit NSegmentJournal(std::string firstHostPath);
    /// Leaves a begun journal in place: a change that did not commit must stay undoable.
    ~NSegmentJournal() override;
    NSegmentJournal(const NSegmentJournal&) = delete;
    NSegmentJournal& operator=(const NSegmentJournal&) = delete;

    /// Writes the journal's start and the files' states and waits until they are on the
    /// medium. Throws NFileException (naming the journal) on failure.
    void Begin(const std::vector<NSegmentFileState>& files);
    bool IsBegun() const { return fBegun; }
    /// Waits until every file of the finished set and their folder are on the medium, then
    /// removes the journal. False when that failed; the journal then stays to undo the change.
    [[nodiscard]] bool Commit(const std::vector<std::string>& setHostPaths);

    // What the set's stream is about to do
    void WillCreate(const NFileSpec& file) override;
    void WillRename(const NFileSpec& from, const NFileSpec& to) override;

    /// Renames each pair (host paths) in order as one step, journalled beside
    /// `firstHostPath`: cut off part-way, the renames are undone by the next open of that
    /// path; failing part-way, at once. Throws NFileException on failure.
    static void MoveAll(const std::string& firstHostPath, const std::vector<std::pair<std::string, std::string>>& moves);

    /// Whether journal bytes are a set journal (rather than a single archive's).
    static bool IsSetJournal(const std::vector<uint8_t>& bytes);
    /// Undoes what the journal's intact records describe, newest first. Only files in the
    /// folder of `firstHostPath` or below it are touched: a record naming any other place is
    /// no record of ours. False when a step failed; undoing again later is safe.
    static bool Undo(const std::vector<uint8_t>& bytes, const std::string& firstHostPath);

private:
    void Append(uint32_t kind, const std::vector<uint8_t>& body);

    std::string fPath;
    NHostFile fFile;
    bool fBegun = false;
};
