// Segmented streams: numbered segment files found again by their headers.
#include "storage/NStreamSegmented.h"

#include "storage/NCaseFold.h"
#include "storage/NDateTime.h"
#include "storage/NFIterator.h"
#include "storage/NFileException.h"
#include "storage/NStream.h"

#include <algorithm>
#include <limits>

static constexpr char kSetExtension[] = "qip";
static constexpr int32_t kMaxTotalLength = std::numeric_limits<int32_t>::max();
// Seven 32-bit fields and the name's length come before the name.
static constexpr int32_t kNameRoom = NSegmentHeader::kSize - 7 * 4 - 2;

// --- the header ---

std::optional<NSegmentHeader> NSegmentHeader::Read(NStream& stream)
{
    int64_t saved = stream.GetPosition();
    uint8_t block[kSize];
    int32_t length = 0;
    try {
        stream.Seek(0);
        while (length < kSize) {
            int32_t count = stream.Read(kSize - length, block + length);
            if (count <= 0)
                break;
            length += count;
        }
    } catch (const NFileException&) {
    }
    stream.Seek(saved);
    auto get = [&block](int at) {
        return (uint32_t(block[at]) << 24) | (uint32_t(block[at + 1]) << 16) | (uint32_t(block[at + 2]) << 8)
            | block[at + 3];
    };
    // Seven fields are needed; the name is taken as far as the header holds it.
    constexpr int kFieldBytes = 7 * 4;
    if (length < kFieldBytes || get(0) != static_cast<uint32_t>(kMagic)
        || static_cast<int32_t>(get(4)) > kVersion)
        return std::nullopt;
    NSegmentHeader header;
    header.fCreation = get(8);
    header.fCount = static_cast<int32_t>(get(12));
    header.fIndex = static_cast<int32_t>(get(16));
    header.fBytesPerSegment = static_cast<int32_t>(get(20));
    header.fTotalLength = static_cast<int32_t>(get(24));
    if (length >= kFieldBytes + 2) {
        size_t nameLength = (size_t(block[kFieldBytes]) << 8) | block[kFieldBytes + 1];
        nameLength = std::min<size_t>(nameLength, static_cast<size_t>(length - kFieldBytes - 2));
        header.fName.assign(reinterpret_cast<const char*>(block + kFieldBytes + 2), nameLength);
    }
    return header;
}

void NSegmentHeader::Write(NStream& stream) const
{
    uint8_t block[kSize];
    std::fill(std::begin(block), std::end(block), kHeaderPad);
    auto put = [&block](int at, uint32_t value) {
        block[at] = uint8_t(value >> 24), block[at + 1] = uint8_t(value >> 16);
        block[at + 2] = uint8_t(value >> 8), block[at + 3] = uint8_t(value);
    };
    put(0, kMagic);
    put(4, kVersion);
    put(8, fCreation);
    put(12, static_cast<uint32_t>(fCount));
    put(16, static_cast<uint32_t>(fIndex));
    put(20, static_cast<uint32_t>(fBytesPerSegment));
    put(24, static_cast<uint32_t>(fTotalLength));
    // A name too long for the header is cut rather than run into the data.
    size_t nameLength = std::min<size_t>(fName.size(), kNameRoom);
    block[28] = uint8_t(nameLength >> 8);
    block[29] = uint8_t(nameLength);
    std::copy_n(fName.begin(), nameLength, block + 30);
    stream.Seek(0);
    stream.WriteFully(kSize, block);
}

bool NSegmentHeader::DescribesSet() const
{
    // No more segments than the length needs: a set of absurd size is no set.
    return fBytesPerSegment > 0 && fTotalLength >= 0 && fIndex >= 0 && fIndex < fCount
        && fCount <= NStreamSegmented::kMaxSegments && fCount <= fTotalLength / fBytesPerSegment + 1;
}

static bool SameCreation(uint32_t a, uint32_t b)
{
    int64_t difference = static_cast<int64_t>(a) - static_cast<int64_t>(b);
    return difference == 0 || difference == NStreamSegmented::kTimeTolerance
        || difference == -NStreamSegmented::kTimeTolerance;
}

// --- naming ---

std::string NStreamSegmented::SegmentName(const NFileSpec& spec, int32_t index, int32_t count)
{
    std::string base = spec.BaseName().substr(0, kMaxBaseName);
    std::string extension = spec.Extension();
    if (index == 0)
        return spec.Name().find('.') == std::string::npos ? base : base + "." + extension;
    return base + std::to_string(index + 1) + "_" + std::to_string(count) + "." + extension;
}

// --- construction ---

NStreamSegmented::NStreamSegmented(const NFileSpec& spec, NStreamMode mode, bool buffered)
    : fMode(mode)
    , fSpec(spec)
    , fNaming(spec)
    , fBuffered(buffered)
{
}

NStreamSegmented::NStreamSegmented(NStream first, const NFileSpec& spec, int64_t segmentSize, bool buffered)
    : NStreamSegmented(spec, NStreamMode::kWrite, buffered)
{
    fSegmentSize = segmentSize;
    fBytesPerSegment = segmentSize - NSegmentHeader::kSize;
    NVectorPtr<NStreamSegment> segment(new NStreamSegment);
    segment->fSpec = spec;
    segment->fStream = std::move(first);
    segment->fOpen = true;
    segment->fMode = NStreamMode::kWrite;
    fSegments.push_back(std::move(segment));
    fWritten = true;
}

std::unique_ptr<NStreamSegmented> NStreamSegmented::Recognise(NStream& opened, const NFileSpec& spec, NStreamMode mode,
                                                             bool buffered)
{
    std::optional<NSegmentHeader> header = NSegmentHeader::Read(opened);
    if (!header)
        return nullptr;
    if (header->fCount <= 0)
        throw NFileException(kFileElementWrite, spec.DisplayName());
    // A header that cannot describe a set is taken for ordinary file data.
    if (!header->DescribesSet())
        return nullptr;
    std::unique_ptr<NStreamSegmented> set(new NStreamSegmented(spec, mode, buffered));
    set->fBytesPerSegment = header->fBytesPerSegment;
    set->fSegmentSize = header->fBytesPerSegment + NSegmentHeader::kSize;
    set->fLength = header->fTotalLength;
    set->fCreation = header->fCreation;
    // The segments are named after the set, whatever the opened segment is called now.
    if (!header->fName.empty())
        set->fNaming = NFileSpec(spec.Dir(), header->fName, false);
    for (int32_t i = 0; i < header->fCount; ++i)
        set->fSegments.emplace_back(new NStreamSegment);
    NStreamSegment& own = *set->fSegments[static_cast<size_t>(header->fIndex)];
    own.fSpec = spec;
    own.fStream = std::move(opened);
    own.fOpen = true;
    own.fMode = mode;
    set->Locate(*header, header->fIndex);
    return set;
}

void NStreamSegmented::Locate(const NSegmentHeader& header, int32_t openedIndex)
{
    std::vector<NFileSpec> candidates;
    bool searched = false;
    for (int32_t i = 0; i < header.fCount; ++i) {
        if (i == openedIndex)
            continue;
        NStreamSegment& segment = *fSegments[static_cast<size_t>(i)];
        NFileSpec expected(fNaming.Dir(), SegmentName(fNaming, i, header.fCount), false);
        segment.fSpec = expected;
        if (expected.Exists())
            continue;
        // Renamed segments are recognised by their headers.
        if (!searched) {
            for (NFileIterator files({ fSpec.Dir() }); !files.Done(); files.Next()) {
                if (LowerCase1252(files.Value().Extension()) == kSetExtension)
                    candidates.push_back(files.Value());
            }
            searched = true;
        }
        segment.fMissing = true;
        for (const NFileSpec& candidate : candidates) {
            try {
                NStream stream = candidate.Open(NStreamMode::kRead);
                std::optional<NSegmentHeader> other = NSegmentHeader::Read(stream);
                if (other && other->fIndex == i && other->fCount == header.fCount
                    && SameCreation(other->fCreation, header.fCreation)) {
                    segment.fSpec = candidate;
                    segment.fMissing = false;
                    break;
                }
            } catch (const NFileException&) {
            }
        }
    }
}

NStreamSegmented::~NStreamSegmented()
{
    try {
        Close();
    } catch (...) {
    }
}

// --- segments ---

NStreamSegment& NStreamSegmented::Segment(int32_t index)
{
    if (fMode != NStreamMode::kRead) {
        // Writing creates the segments up to the one needed, under provisional names.
        while (static_cast<int32_t>(fSegments.size()) <= index) {
            int32_t count = static_cast<int32_t>(fSegments.size()) + 1;
            NVectorPtr<NStreamSegment> segment(new NStreamSegment);
            segment->fSpec = NFileSpec(fNaming.Dir(), SegmentName(fNaming, count - 1, count), false);
            if (fObserver)
                fObserver->WillCreate(segment->fSpec);
            segment->fSpec.Delete();
            segment->fMode = fMode;
            fSegments.push_back(std::move(segment));
        }
    }
    if (index >= static_cast<int32_t>(fSegments.size()))
        throw NFileException(kFileEndOfData, GetDisplayName());
    NStreamSegment& segment = *fSegments[static_cast<size_t>(index)];
    if (segment.fMissing)
        throw NFileException(kFileCannotOpen, segment.fSpec.DisplayName());
    if (!segment.fOpen) {
        segment.fStream = segment.fSpec.Open(fMode == NStreamMode::kRead ? NStreamMode::kRead : NStreamMode::kUpdate, fBuffered);
        segment.fOpen = true;
        segment.fMode = fMode;
    }
    return segment;
}

// --- stream operations ---

void NStreamSegmented::CheckOpen() const
{
    if (!fOpen)
        throw NFileException(kFileNotOpen, GetDisplayName());
}

int32_t NStreamSegmented::Read(int32_t length, void* buffer)
{
    CheckOpen();
    if (length < 1)
        return 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < length && fPosition < fLength) {
        auto index = static_cast<int32_t>(fPosition / fBytesPerSegment);
        int64_t offset = fPosition % fBytesPerSegment;
        int64_t piece = std::min({ static_cast<int64_t>(length - done), fBytesPerSegment - offset, fLength - fPosition });
        NStreamSegment& segment = Segment(index);
        int32_t count = 0;
        try {
            segment.fStream.Seek(NSegmentHeader::kSize + offset);
            count = segment.fStream.Read(static_cast<int32_t>(piece), bytes + done);
        } catch (const NFileException& error) {
            if (!error.IsEndOfData())
                throw;
        }
        if (count <= 0)
            break;
        done += count;
        fPosition += count;
    }
    if (done == 0)
        throw NFileException(kFileEndOfData, GetDisplayName());
    return done;
}

int32_t NStreamSegmented::Write(int32_t length, const void* buffer)
{
    CheckOpen();
    if (fMode == NStreamMode::kRead)
        throw NFileException(kFileHostFailure, GetDisplayName());
    if (length < 1)
        return 0;
    if (fPosition + length > kMaxTotalLength)
        throw NFileException(kFileHostFailure, GetDisplayName());
    auto* bytes = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < length) {
        auto index = static_cast<int32_t>(fPosition / fBytesPerSegment);
        int64_t offset = fPosition % fBytesPerSegment;
        int32_t piece = static_cast<int32_t>(std::min<int64_t>(length - done, fBytesPerSegment - offset));
        NStreamSegment& segment = Segment(index);
        segment.fStream.Seek(NSegmentHeader::kSize + offset);
        segment.fStream.WriteFully(piece, bytes + done);
        done += piece;
        fPosition += piece;
    }
    fLength = std::max(fLength, fPosition);
    fWritten = true;
    return length;
}

int64_t NStreamSegmented::Seek(int64_t position)
{
    CheckOpen();
    if (position < 0)
        return -1;
    fPosition = position;
    return position;
}

int64_t NStreamSegmented::SetLength(int64_t)
{
    return -1;
}

int64_t NStreamSegmented::GetPosition()
{
    CheckOpen();
    return fPosition;
}

int64_t NStreamSegmented::GetLength()
{
    CheckOpen();
    return fLength;
}

std::string NStreamSegmented::GetDisplayName() const
{
    return fSpec.DisplayName();
}

std::string NStreamSegmented::GetHostPath() const
{
    return fSpec.HostPath();
}

void NStreamSegmented::Flush()
{
    CheckOpen();
    for (NVectorPtr<NStreamSegment>& segment : fSegments) {
        if (segment->fOpen)
            segment->fStream.Flush();
    }
}

void NStreamSegmented::Finish()
{
    auto count = static_cast<int32_t>(fSegments.size());
    uint32_t creation = NDateTime::Now().fSeconds;
    std::vector<uint8_t> padding;
    for (int32_t i = 0; i < count; ++i) {
        NStreamSegment& segment = Segment(i);
        NStream& stream = segment.fStream;
        if (i + 1 < count) {
            int64_t full = NSegmentHeader::kSize + fBytesPerSegment;
            int64_t length = stream.GetLength();
            if (length < full) {
                padding.assign(static_cast<size_t>(full - length), NSegmentHeader::kDataPad);
                stream.Seek(length);
                stream.WriteFully(static_cast<int32_t>(padding.size()), padding.data());
            }
        }
        NSegmentHeader header;
        header.fCreation = creation;
        header.fCount = count;
        header.fIndex = i;
        header.fBytesPerSegment = static_cast<int32_t>(fBytesPerSegment);
        header.fTotalLength = static_cast<int32_t>(fLength);
        header.fName = fNaming.Name();
        header.Write(stream);
        stream.Close();
        segment.fOpen = false;
        NFileSpec final(fNaming.Dir(), SegmentName(fNaming, i, count), false);
        if (!EqualNoCase1252(final.Name(), segment.fSpec.Name()) || !(final.Dir() == segment.fSpec.Dir())) {
            if (fObserver)
                fObserver->WillRename(segment.fSpec, final);
            if (segment.fSpec.Rename(final) != 0) {
                final.Delete();
                segment.fSpec.Rename(final);
            }
            segment.fSpec = final;
        }
    }
}

void NStreamSegmented::Close()
{
    if (!fOpen)
        return;
    fOpen = false;
    try {
        if (fMode != NStreamMode::kRead && fWritten) {
            fOpen = true;   // the segments are still reached through the open stream
            Finish();
            fOpen = false;
        }
    } catch (...) {
        fOpen = false;
        for (NVectorPtr<NStreamSegment>& segment : fSegments)
            segment->fStream.Reset();
        throw;
    }
    for (NVectorPtr<NStreamSegment>& segment : fSegments) {
        segment->fStream.Reset();
        segment->fOpen = false;
    }
}

// --- journalling ---

std::vector<NSegmentFileState> NStreamSegmented::Snapshot(const std::vector<std::pair<int64_t, int64_t>>& logicalRanges)
{
    CheckOpen();
    std::vector<NSegmentFileState> states;
    for (size_t i = 0; i < fSegments.size(); ++i) {
        if (fSegments[i]->fMissing || !fSegments[i]->fSpec.Exists())
            continue;
        NStreamSegment& segment = Segment(static_cast<int32_t>(i));
        NSegmentFileState state;
        state.fPath = segment.fSpec.HostPath();
        state.fLength = segment.fStream.GetLength();
        auto save = [&](int64_t offset, int64_t length) {
            length = std::min(length, state.fLength - offset);
            if (length <= 0)
                return;
            NBinderJournal::Range range;
            range.fOffset = offset;
            range.fBytes.resize(static_cast<size_t>(length));
            segment.fStream.Seek(offset);
            segment.fStream.ReadFully(static_cast<int32_t>(length), range.fBytes.data());
            state.fRanges.push_back(std::move(range));
        };
        save(0, NSegmentHeader::kSize);
        int64_t first = static_cast<int64_t>(i) * fBytesPerSegment;
        for (const auto& [offset, length] : logicalRanges) {
            int64_t from = std::max(offset, first);
            int64_t to = std::min(offset + length, first + fBytesPerSegment);
            if (from < to)
                save(NSegmentHeader::kSize + from - first, to - from);
        }
        states.push_back(std::move(state));
    }
    return states;
}

std::vector<std::string> NStreamSegmented::SegmentPaths() const
{
    std::vector<std::string> paths;
    for (const NVectorPtr<NStreamSegment>& segment : fSegments) {
        if (!segment->fMissing)
            paths.push_back(segment->fSpec.HostPath());
    }
    return paths;
}

// --- deleting ---

std::vector<NFileSpec> NStreamSegmented::SetFiles(const NFileSpec& first)
{
    std::unique_ptr<NStreamSegmented> set;
    try {
        NStream opened = first.Open(NStreamMode::kRead);
        set = Recognise(opened, first, NStreamMode::kRead, false);
    } catch (const NFileException&) {
        return {};
    }
    std::vector<NFileSpec> files;
    if (set) {
        for (NVectorPtr<NStreamSegment>& segment : set->fSegments) {
            if (!segment->fMissing)
                files.push_back(segment->fSpec);
        }
    }
    return files;
}

bool NStreamSegmented::DeleteSet(const NFileSpec& first)
{
    std::vector<NFileSpec> files = SetFiles(first);
    for (const NFileSpec& file : files)
        file.Delete();
    return !files.empty();
}
