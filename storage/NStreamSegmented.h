// One logical file stored as a numbered set of segment files of a fixed size.
#pragma once

#include "storage/NFileSpec.h"
#include "storage/NStreamImp.h"
#include "storage/NVectorPtr.h"

#include <optional>
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

/// One segment file of a set.
struct NStreamSegment : NCountedRecord {
    NFileSpec fSpec;
    NStream fStream;
    bool fOpen = false;
    bool fMissing = false;
    int fMode = kStreamRead;
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
    static std::unique_ptr<NStreamSegmented> Recognise(NStream& opened, const NFileSpec& spec, int mode,
                                                       bool buffered);
    ~NStreamSegmented() override;

    /// Deletes every segment of the set whose segment `first` is; false when it is none.
    static bool DeleteSet(const NFileSpec& first);
    /// The final name of segment `index` of a set of `count` named like `spec`.
    static std::string SegmentName(const NFileSpec& spec, int32_t index, int32_t count);

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
    bool IsReadMode() const override { return fMode == kStreamRead; }
    bool IsWriteMode() const override { return fMode == kStreamWrite; }
    bool IsUpdateMode() const override { return fMode == kStreamUpdate; }
    void CheckOpen() const override;

private:
    NStreamSegmented(const NFileSpec& spec, int mode, bool buffered);
    NStreamSegment& Segment(int32_t index);
    void Locate(const NSegmentHeader& header, int32_t openedIndex);
    void Finish();

    int fMode;
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
};
