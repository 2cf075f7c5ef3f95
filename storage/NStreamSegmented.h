// One logical file stored as a numbered set of segment files of a fixed size.
#pragma once

#include "storage/NBinderJournal.h"
#include "storage/NFileSpec.h"
#include "storage/NStreamImp.h"
#include "storage/NVectorPtr.h"

#include <optional>
#include <utility>
#include <vector>

/// The first 128 bytes of every segment (integers big-endian); its data follows:
///
///   magic "SgMt" | version 1 | creation time | segment count | segment index |
///   bytes per segment | total length | file name (16-bit length + bytes) | 0x48 padding
///
/// Every segment but the last is padded with 0xCD to exactly 128 + bytes per segment.
/// Segment 0 keeps the set's name; segment i is "<base><i+1>_<count>.<ext>".
struct NSegmentHeader {
    static constexpr int32_t kSize = 128;
    static constexpr int32_t kMagic = 0x53674D74;   // "SgMt"
    static constexpr int32_t kVersion = 1;
    static constexpr uint8_t kHeaderPad = 0x48;
    static constexpr uint8_t kDataPad = 0xCD;

    uint32_t fCreation = 0;
    int32_t fCount = 0;
    int32_t fIndex = 0;
    int32_t fBytesPerSegment = 0;
    int32_t fTotalLength = 0;
    std::string fName;

    /// The header at the stream's start, when it has the magic and a version it knows;
    /// the stream's position is restored.
    static std::optional<NSegmentHeader> Read(NStream& stream);
    /// Whether the fields can describe a set at all (a positive count is checked apart).
    bool DescribesSet() const;
    void Write(NStream& stream) const;
};

/// Told of each new segment file and each rename before it happens, so that a journal can
/// undo them. Either may throw NFileException to stop the step.
class NSegmentObserver {
public:
    virtual ~NSegmentObserver() = default;
    virtual void WillCreate(const NFileSpec& file) = 0;
    virtual void WillRename(const NFileSpec& from, const NFileSpec& to) = 0;
};

/// A segment file as it is before a change: its length and the bytes the change may overwrite.
struct NSegmentFileState {
    std::string fPath;
    int64_t fLength = 0;
    std::vector<NBinderJournal::Range> fRanges;
};

/// One segment file of a set.
struct NStreamSegment : NCountedRecord {
    NFileSpec fSpec;
    NStream fStream;
    bool fOpen = false;
    bool fMissing = false;
    NStreamMode fMode = NStreamMode::kRead;
};

class NStreamSegmented : public NStreamImp {
public:
    static constexpr int kMaxBaseName = 32;
    static constexpr int64_t kTimeTolerance = 3600;   // a daylight-saving shift
    static constexpr int32_t kMaxSegments = 65536;

    /// Writing a new set: `first` is the opened first segment.
    NStreamSegmented(NStream first, const NFileSpec& spec, int64_t segmentSize, bool buffered);
    /// Reading or updating the set that `opened` belongs to, or null when `opened` is no
    /// segment (it is then handed back). A segment count of 0 or less throws kFileElementWrite.
    static std::unique_ptr<NStreamSegmented> Recognise(NStream& opened, const NFileSpec& spec, NStreamMode mode,
                                                       bool buffered);
    ~NStreamSegmented() override;

    /// Deletes every segment of the set whose segment `first` is; false when it is none.
    static bool DeleteSet(const NFileSpec& first);
    /// The files of the set whose segment `first` is, `first` included; empty when it is none.
    static std::vector<NFileSpec> SetFiles(const NFileSpec& first);
    /// The final name of segment `index` of a set of `count` named like `spec`.
    static std::string SegmentName(const NFileSpec& spec, int32_t index, int32_t count);

    /// Told of new segment files and renames from now on (null: nobody).
    void SetObserver(NSegmentObserver* observer) { fObserver = observer; }
    /// Each existing segment file with its length, its header and the bytes of the given
    /// logical ranges (offset, length) that lie in it: what a change of those ranges, which
    /// also rewrites every header and pads every segment but the last, overwrites.
    std::vector<NSegmentFileState> Snapshot(const std::vector<std::pair<int64_t, int64_t>>& logicalRanges);
    /// The host paths of the set's segment files as they are named now.
    std::vector<std::string> SegmentPaths() const;

    // Lifetime
    void Close() override;
    void Flush() override;

    // Transfer
    int32_t Read(int32_t length, void* buffer) override;
    int32_t Write(int32_t length, const void* buffer) override;
    int64_t Seek(int64_t position) override;
    int64_t SetLength(int64_t length) override;

    // Queries
    int64_t GetPosition() override;
    int64_t GetLength() override;
    std::string GetDisplayName() const override;
    std::string GetHostPath() const override;
    bool IsReadMode() const override { return fMode == NStreamMode::kRead; }
    bool IsWriteMode() const override { return fMode == NStreamMode::kWrite; }
    bool IsUpdateMode() const override { return fMode == NStreamMode::kUpdate; }
    void CheckOpen() const override;

private:
    NStreamSegmented(const NFileSpec& spec, NStreamMode mode, bool buffered);
    NStreamSegment& Segment(int32_t index);
    void Locate(const NSegmentHeader& header, int32_t openedIndex);
    void Finish();

    NStreamMode fMode;
    NFileSpec fSpec;       // what was opened
    NFileSpec fNaming;     // the set's own name, from which segment names are made
    bool fBuffered;
    int64_t fSegmentSize = 0;
    int64_t fBytesPerSegment = 0;
    std::vector<NVectorPtr<NStreamSegment>> fSegments;
    int64_t fPosition = 0;
    int64_t fLength = 0;
    uint32_t fCreation = 0;
    bool fOpen = true;
    bool fWritten = false;
    NSegmentObserver* fObserver = nullptr;
};
