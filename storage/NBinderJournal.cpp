// The rollback journal of binder updates.
//
// An update of an archive overwrites its old directory and trailer (new elements go where
// the directory was) and, when sealing, its header. Before the first such byte is written,
// the bytes about to be overwritten and the archive's length go to "<archive>-journal":
//
//   0  magic            "XPBJ"
//   4  version          1
//   8  archive length   64 bits, high word first
//  16  range count R
//  20  R ranges         offset (64 bits, high word first), length L (32 bits), L bytes
//   …  CRC-32 of every byte before it
//
// (integers big-endian). The order of events, each step on the medium before the next:
//
//   1. the journal is written, synced, and its folder synced (the journal exists);
//   2. the archive is changed in place (elements, directory, trailer, header);
//   3. the archive is synced (its new state is complete);
//   4. the journal is deleted.
//
// Stopped anywhere in 2 or 3, the journal is complete and says how to put the archive back:
// cut it to the old length, write the saved ranges back. Stopped in 1, the archive is
// untouched and the journal is short or fails its CRC: it is simply deleted. Stopped after
// 4 the new archive stands. Whoever opens the archive next repairs it first; the updater
// holds the archive's lock meanwhile, so a reader never undoes a live update. Undoing is
// idempotent, so a repair that is itself interrupted is repeated on the next open.
#include "storage/NBinderJournal.h"

#include "storage/NCrc32.h"
#include "storage/NFileException.h"
#include "storage/NSegmentJournal.h"
#include "platform/NHostFileSystem.h"

#include <cerrno>
#include <utility>

static constexpr uint32_t kJournalMagic = 0x58504A4A;   // "XPBJ"
static constexpr uint32_t kJournalVersion = 1;
static constexpr char kJournalSuffix[] = "-journal";
static constexpr size_t kFixedPart = 20;
static constexpr size_t kRangeHead = 12;
static constexpr size_t kCrcSize = 4;
// No update saves more than a directory and a header; anything bigger is no journal of ours.
static constexpr int64_t kMaxJournalSize = int64_t(1) << 31;

namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<uint8_t>(value >> shift));
}

void Put64(std::vector<uint8_t>& out, int64_t value)
{
    Put32(out, static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32));
    Put32(out, static_cast<uint32_t>(value));
}

uint32_t Get32(const std::vector<uint8_t>& in, size_t at)
{
    return (uint32_t(in[at]) << 24) | (uint32_t(in[at + 1]) << 16) | (uint32_t(in[at + 2]) << 8) | in[at + 3];
}

int64_t Get64(const std::vector<uint8_t>& in, size_t at)
{
    return static_cast<int64_t>((uint64_t(Get32(in, at)) << 32) | Get32(in, at + 4));
}

uint32_t Crc(const std::vector<uint8_t>& bytes, size_t length)
{
    NCrc32 crc;
    crc.Update(bytes.data(), length);
    return crc.Value();
}

} // namespace

bool NBinderJournal::Parse(const std::vector<uint8_t>& bytes, int64_t& length, std::vector<Range>& ranges)
{
    if (bytes.size() < kFixedPart + kCrcSize)
        return false;
    size_t body = bytes.size() - kCrcSize;
    if (Get32(bytes, 0) != kJournalMagic || Get32(bytes, 4) != kJournalVersion || Get32(bytes, body) != Crc(bytes, body))
        return false;
    length = Get64(bytes, 8);
    uint32_t count = Get32(bytes, 16);
    size_t at = kFixedPart;
    for (uint32_t i = 0; i < count; ++i) {
        if (body - at < kRangeHead)
            return false;
        NBinderJournal::Range range;
        range.fOffset = Get64(bytes, at);
        uint32_t size = Get32(bytes, at + 8);
        at += kRangeHead;
        if (body - at < size || range.fOffset < 0)
            return false;
        range.fBytes.assign(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(at + size));
        at += size;
        ranges.push_back(std::move(range));
    }
    return at == body && length >= 0;
}

namespace {

bool ReadAll(NHostFile& file, std::vector<uint8_t>& bytes)
{
    int64_t size = file.Size();
    if (size < 0 || size > kMaxJournalSize)
        return false;
    bytes.resize(static_cast<size_t>(size));
    return file.Seek(0) == 0 && file.Read(bytes.data(), size) == size;
}

// Puts the archive back as the journal describes it.
bool Undo(const std::string& archive, int64_t length, const std::vector<NBinderJournal::Range>& ranges)
{
    NHostFile file;
    if (!file.Open(archive, kHostOpenAlways))
        return false;
    // Cutting first frees the space the update took, so the write-back fits on a full disk.
    if (!file.SetEnd(length))
        return false;
    for (const NBinderJournal::Range& range : ranges) {
        if (file.Seek(range.fOffset) != range.fOffset
            || !file.Write(range.fBytes.data(), static_cast<int64_t>(range.fBytes.size())))
            return false;
    }
    return file.Sync();
}

} // namespace

NBinderJournal::NBinderJournal(std::string archiveHostPath)
    : fArchive(std::move(archiveHostPath))
    , fPath(PathOf(fArchive))
{
}

NBinderJournal::~NBinderJournal() = default;

std::string NBinderJournal::PathOf(const std::string& archiveHostPath)
{
    return archiveHostPath + kJournalSuffix;
}

void NBinderJournal::Begin(int64_t archiveLength, const std::vector<Range>& ranges)
{
    std::vector<uint8_t> bytes;
    Put32(bytes, kJournalMagic);
    Put32(bytes, kJournalVersion);
    Put64(bytes, archiveLength);
    Put32(bytes, static_cast<uint32_t>(ranges.size()));
    for (const Range& range : ranges) {
        Put64(bytes, range.fOffset);
        Put32(bytes, static_cast<uint32_t>(range.fBytes.size()));
        bytes.insert(bytes.end(), range.fBytes.begin(), range.fBytes.end());
    }
    Put32(bytes, Crc(bytes, bytes.size()));

    // A journal left by an update that was never repaired would be ours to lose: the caller
    // recovered before taking the lock, so whatever is there now is stale.
    NHostFileSystem::DeleteFile(fPath);
    NHostFile file;
    bool written = file.Open(fPath, kHostCreateNew) && file.Write(bytes.data(), static_cast<int64_t>(bytes.size()))
        && file.Sync();
    int error = written ? 0 : file.LastError();
    file.Close();
    if (!written || !NHostFileSystem::SyncFolderOf(fPath)) {
        if (written)
            error = NHostFileSystem::LastError();
        NHostFileSystem::DeleteFile(fPath);
        throw NFileException(kFileHostFailure, fPath, error);
    }
    fBegun = true;
}

bool NBinderJournal::Commit()
{
    if (!fBegun)
        return true;
    if (!NHostFileSystem::SyncFile(fArchive) || !NHostFileSystem::DeleteFile(fPath))
        return false;
    fBegun = false;
    return true;
}

bool NBinderJournal::Recover(const std::string& archiveHostPath, bool lockHeld)
{
    std::string path = PathOf(archiveHostPath);
    NHostFile journal;
    if (!journal.Open(path, kHostOpenExisting))
        return journal.LastError() == ENOENT;
    // A set's journal is locked while its change runs; only a dead change's is undone. The
    // lock is kept to the end, so two readers never undo the same change.
    if (!lockHeld && !journal.TryLock())
        return false;
    std::vector<uint8_t> bytes;
    int64_t length = 0;
    std::vector<Range> ranges;
    if (!ReadAll(journal, bytes))
        return false;
    NHostFile lock;
    if (!lockHeld && !(lock.Open(archiveHostPath, kHostOpenExisting) && lock.TryLock())) {
        if (lock.LastError() != ENOENT)
            return false;
        // No archive at all: a single archive's journal has nothing left to repair, but a
        // set's may have moved the first file away, which its undo puts back.
        if (NSegmentJournal::IsSetJournal(bytes) && !NSegmentJournal::Undo(bytes, archiveHostPath))
            return false;
        return NHostFileSystem::DeleteFile(path);
    }
    if (NSegmentJournal::IsSetJournal(bytes)) {
        if (!NSegmentJournal::Undo(bytes, archiveHostPath))
            return false;
    } else if (NBinderJournal::Parse(bytes, length, ranges) && !Undo(archiveHostPath, length, ranges)) {
        return false;
    }
    return NHostFileSystem::DeleteFile(path);
}
