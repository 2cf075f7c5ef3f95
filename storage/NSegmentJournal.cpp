// The rollback journal of changes to segmented sets.
//
// A set is several files: changing it writes into the files that exist (the old directory
// and trailer are overwritten, every segment's header is rewritten, the last one padded),
// makes new segment files, and renames segments whose names carry the segment count. The
// journal "<first>-journal" is a log of records (integers big-endian):
//
//   0  magic    "XPBS"
//   4  version  1
//   8  records  kind (4 characters) | body length B (32 bits) | B bytes | CRC-32 of the
//               kind, the length and the body
//
//   FILE  a file as it was: path | length (64 bits) | range count R | R ranges of
//         offset (64 bits), length L (32 bits), L bytes
//   MADE  a file about to be made: path
//   MOVE  a rename about to happen: from path | to path
//
// (a path is a 32-bit length and its bytes). The FILE records are written and synced
// before the first change; a MADE or MOVE record is synced before its step. So every step
// that happened has its record, and a record cut short by a crash announced a step that
// never happened: reading stops at the first record that is short or fails its CRC.
// Undoing runs the records newest first: a MOVE renames back (when the old name is free
// and the new one there), a MADE deletes, a FILE cuts the file to its old length and
// writes its saved bytes back. Every step is idempotent, so an undo that is itself cut off
// is simply repeated on the next open.
#include "storage/NSegmentJournal.h"

#include "storage/NCrc32.h"
#include "storage/NFileException.h"
#include "platform/NHostFileSystem.h"

#include <cerrno>
#include <utility>

static constexpr uint32_t kSetJournalMagic = 0x58504253;   // "XPBS"
static constexpr uint32_t kSetJournalVersion = 1;
static constexpr uint32_t kRecordFile = 0x46494C45;        // "FILE"
static constexpr uint32_t kRecordMade = 0x4D414445;        // "MADE"
static constexpr uint32_t kRecordMove = 0x4D4F5645;        // "MOVE"
static constexpr size_t kStartSize = 8;
static constexpr size_t kRecordHead = 8;
static constexpr size_t kCrcSize = 4;

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

void PutPath(std::vector<uint8_t>& out, const std::string& path)
{
    Put32(out, static_cast<uint32_t>(path.size()));
    out.insert(out.end(), path.begin(), path.end());
}

uint32_t Crc(const uint8_t* bytes, size_t length)
{
    NCrc32 crc;
    crc.Update(bytes, length);
    return crc.Value();
}

// Reads the fields of one record's body; every read fails cleanly past its end.
class BodyReader {
public:
    BodyReader(const uint8_t* bytes, size_t size) : fBytes(bytes), fSize(size) {}

    bool Get32(uint32_t& value)
    {
        if (fSize - fAt < 4)
            return false;
        value = (uint32_t(fBytes[fAt]) << 24) | (uint32_t(fBytes[fAt + 1]) << 16) | (uint32_t(fBytes[fAt + 2]) << 8)
            | fBytes[fAt + 3];
        fAt += 4;
        return true;
    }

    bool Get64(int64_t& value)
    {
        uint32_t high = 0, low = 0;
        if (!Get32(high) || !Get32(low))
            return false;
        value = static_cast<int64_t>((uint64_t(high) << 32) | low);
        return true;
    }

    bool GetBytes(uint32_t length, std::vector<uint8_t>& bytes)
    {
        if (fSize - fAt < length)
            return false;
        bytes.assign(fBytes + fAt, fBytes + fAt + length);
        fAt += length;
        return true;
    }

    bool GetPath(std::string& path)
    {
        uint32_t length = 0;
        std::vector<uint8_t> bytes;
        if (!Get32(length) || !GetBytes(length, bytes))
            return false;
        path.assign(bytes.begin(), bytes.end());
        return !path.empty();
    }

    bool AtEnd() const { return fAt == fSize; }

private:
    const uint8_t* fBytes;
    size_t fSize;
    size_t fAt = 0;
};

bool Exists(const std::string& path)
{
    NHostStat status;
    return NHostFileSystem::Stat(path, status);
}

bool UndoFile(BodyReader& body)
{
    std::string path;
    int64_t length = 0;
    uint32_t count = 0;
    if (!body.GetPath(path) || !body.Get64(length) || !body.Get32(count) || length < 0)
        return true;   // a record that does not parse announced nothing
    std::vector<NBinderJournal::Range> ranges;
    for (uint32_t i = 0; i < count; ++i) {
        NBinderJournal::Range range;
        uint32_t size = 0;
        if (!body.Get64(range.fOffset) || !body.Get32(size) || !body.GetBytes(size, range.fBytes)
            || range.fOffset < 0)
            return true;
        ranges.push_back(std::move(range));
    }
    if (!Exists(path))
        return true;   // nothing to put back; the set can do without what it never had
    NHostFile file;
    // Cutting first frees the space the change took, so the write-back fits on a full disk.
    if (!file.Open(path, kHostOpenAlways) || !file.SetEnd(length))
        return false;
    for (const NBinderJournal::Range& range : ranges) {
        if (file.Seek(range.fOffset) != range.fOffset
            || !file.Write(range.fBytes.data(), static_cast<int64_t>(range.fBytes.size())))
            return false;
    }
    return file.Sync();
}

} // namespace

NSegmentJournal::NSegmentJournal(std::string firstHostPath) : fPath(NBinderJournal::PathOf(firstHostPath)) {}

NSegmentJournal::~NSegmentJournal() = default;

void NSegmentJournal::Begin(const std::vector<NSegmentFileState>& files)
{
    std::vector<uint8_t> bytes;
    Put32(bytes, kSetJournalMagic);
    Put32(bytes, kSetJournalVersion);
    for (const NSegmentFileState& state : files) {
        std::vector<uint8_t> body;
        PutPath(body, state.fPath);
        Put64(body, state.fLength);
        Put32(body, static_cast<uint32_t>(state.fRanges.size()));
        for (const NBinderJournal::Range& range : state.fRanges) {
            Put64(body, range.fOffset);
            Put32(body, static_cast<uint32_t>(range.fBytes.size()));
            body.insert(body.end(), range.fBytes.begin(), range.fBytes.end());
        }
        size_t start = bytes.size();
        Put32(bytes, kRecordFile);
        Put32(bytes, static_cast<uint32_t>(body.size()));
        bytes.insert(bytes.end(), body.begin(), body.end());
        Put32(bytes, Crc(bytes.data() + start, bytes.size() - start));
    }
    // The caller recovered before it took the lock, so a journal still here is stale,
    // unless a change still running holds it.
    {
        NHostFile existing;
        if (existing.Open(fPath, kHostOpenExisting) && !existing.TryLock())
            throw NFileException(kFileArchiveRefused, fPath, EBUSY);
    }
    NHostFileSystem::DeleteFile(fPath);
    // The journal is locked for as long as the change runs: a reader that finds it locked
    // leaves it be rather than undo a change still under way (a set being moved into place
    // has, for a moment, no first segment to lock). A reader that came between making the
    // file and locking it may have taken it away: then this change does not start.
    bool opened = fFile.Open(fPath, kHostCreateNew);
    if (opened && !(fFile.TryLock() && fFile.IsStillAt(fPath))) {
        fFile.Close();
        throw NFileException(kFileArchiveRefused, fPath, EBUSY);
    }
    bool written = opened && fFile.Write(bytes.data(), static_cast<int64_t>(bytes.size())) && fFile.Sync();
    int error = written ? 0 : fFile.LastError();
    if (!written || !NHostFileSystem::SyncFolderOf(fPath)) {
        if (written)
            error = NHostFileSystem::LastError();
        fFile.Close();
        NHostFileSystem::DeleteFile(fPath);
        throw NFileException(kFileHostFailure, fPath, error);
    }
    fBegun = true;
}

void NSegmentJournal::Append(uint32_t kind, const std::vector<uint8_t>& body)
{
    if (!fBegun)
        return;
    std::vector<uint8_t> record;
    Put32(record, kind);
    Put32(record, static_cast<uint32_t>(body.size()));
    record.insert(record.end(), body.begin(), body.end());
    Put32(record, Crc(record.data(), record.size()));
    if (!fFile.Write(record.data(), static_cast<int64_t>(record.size())) || !fFile.Sync())
        throw NFileException(kFileHostFailure, fPath, fFile.LastError());
}

void NSegmentJournal::WillCreate(const NFileSpec& file)
{
    std::vector<uint8_t> body;
    PutPath(body, file.HostPath());
    Append(kRecordMade, body);
}

void NSegmentJournal::WillRename(const NFileSpec& from, const NFileSpec& to)
{
    std::vector<uint8_t> body;
    PutPath(body, from.HostPath());
    PutPath(body, to.HostPath());
    Append(kRecordMove, body);
}

bool NSegmentJournal::Commit(const std::vector<std::string>& setHostPaths)
{
    if (!fBegun)
        return true;
    for (const std::string& path : setHostPaths) {
        if (!NHostFileSystem::SyncFile(path))
            return false;
    }
    // Renamed and new segments: their names must be on the medium before the undo goes.
    if (!setHostPaths.empty() && !NHostFileSystem::SyncFolderOf(setHostPaths.front()))
        return false;
    fFile.Close();
    if (!NHostFileSystem::DeleteFile(fPath))
        return false;
    fBegun = false;
    return true;
}

void NSegmentJournal::MoveAll(const std::string& firstHostPath,
                              const std::vector<std::pair<std::string, std::string>>& moves)
{
    NSegmentJournal journal(firstHostPath);
    journal.Begin({});
    std::vector<std::string> moved;
    try {
        for (const auto& [from, to] : moves) {
            std::vector<uint8_t> body;
            PutPath(body, from);
            PutPath(body, to);
            journal.Append(kRecordMove, body);
            if (!NHostFileSystem::Rename(from, to))
                throw NFileException(kFileHostFailure, to, NHostFileSystem::LastError());
            moved.push_back(to);
        }
        // The sources' folders lose names and the targets' gain them: both on the medium.
        for (const auto& [from, to] : moves) {
            if (!NHostFileSystem::SyncFolderOf(from))
                throw NFileException(kFileHostFailure, from, NHostFileSystem::LastError());
        }
        if (!journal.Commit(moved))
            throw NFileException(kFileHostFailure, firstHostPath, NHostFileSystem::LastError());
    } catch (const NFileException&) {
        // When even the undo fails, the journal stays for the next open.
        static_cast<void>(NBinderJournal::Recover(firstHostPath, true));
        throw;
    }
}

bool NSegmentJournal::IsSetJournal(const std::vector<uint8_t>& bytes)
{
    return bytes.size() >= kStartSize && bytes[0] == 'X' && bytes[1] == 'P' && bytes[2] == 'B' && bytes[3] == 'S';
}

// Whether a path from a journal lies in the set's folder or below it, with no step up.
static bool InFolder(const std::string& path, const std::string& folder)
{
    return !folder.empty() && path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0
        && path.find("\\..") == std::string::npos;
}

bool NSegmentJournal::Undo(const std::vector<uint8_t>& bytes, const std::string& firstHostPath)
{
    if (!IsSetJournal(bytes))
        return true;
    std::string folder = firstHostPath.substr(0, firstHostPath.rfind('\\') + 1);
    struct Record {
        uint32_t fKind;
        size_t fAt;
        size_t fSize;
    };
    std::vector<Record> records;
    size_t at = kStartSize;
    while (bytes.size() - at >= kRecordHead + kCrcSize) {
        BodyReader head(bytes.data() + at, kRecordHead);
        uint32_t kind = 0, size = 0;
        head.Get32(kind);
        head.Get32(size);
        if (bytes.size() - at - kRecordHead - kCrcSize < size)
            break;
        BodyReader crc(bytes.data() + at + kRecordHead + size, kCrcSize);
        uint32_t stored = 0;
        crc.Get32(stored);
        if (stored != Crc(bytes.data() + at, kRecordHead + size))
            break;
        records.push_back({ kind, at + kRecordHead, size });
        at += kRecordHead + size + kCrcSize;
    }
    bool ok = true;
    for (auto record = records.rbegin(); record != records.rend(); ++record) {
        BodyReader body(bytes.data() + record->fAt, record->fSize);
        if (record->fKind == kRecordMove) {
            std::string from, to;
            if (body.GetPath(from) && body.GetPath(to) && InFolder(from, folder) && InFolder(to, folder)
                && !Exists(from) && Exists(to))
                ok = NHostFileSystem::Rename(to, from) && ok;
        } else if (record->fKind == kRecordMade) {
            std::string path;
            if (body.GetPath(path) && InFolder(path, folder) && Exists(path))
                ok = NHostFileSystem::DeleteFile(path) && ok;
        } else if (record->fKind == kRecordFile) {
            BodyReader peek(bytes.data() + record->fAt, record->fSize);
            std::string path;
            if (peek.GetPath(path) && InFolder(path, folder))
                ok = UndoFile(body) && ok;
        }
    }
    if (!records.empty() && ok) {
        BodyReader body(bytes.data() + records.front().fAt, records.front().fSize);
        std::string path;
        if (body.GetPath(path) && InFolder(path, folder))
            ok = NHostFileSystem::SyncFolderOf(path);
    }
    return ok;
}
