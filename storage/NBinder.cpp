// Binder archives: creating, opening, reading, extending, copying and sealing.
#include "storage/NBinder.h"

#include "storage/NBinderCopyFilter.h"
#include "storage/NBinderRegistry.h"
#include "storage/NCaseFold.h"
#include "storage/NCrc32.h"
#include "storage/NFileException.h"
#include "storage/NSegmentJournal.h"
#include "storage/NStreamBinder.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamExpand.h"
#include "storage/NStreamFile.h"
#include "storage/NStreamSegmented.h"
#include "platform/NHostFileSystem.h"

#include <algorithm>
#include <limits>
#include <vector>

static constexpr int32_t kInvalidVersion = -666;
static constexpr int64_t kTrailerSize = 8;
static constexpr int32_t kBlockSize = 0x20000;
static constexpr int kMaxFolderDepth = 256;
// A record takes at least a 2-byte name length and a 4-byte kind word.
static constexpr int64_t kMinRecordBytes = 6;
// What one compressed byte can expand to at most: a 17-byte group yields up to 8 * 33 bytes.
static constexpr int64_t kMaxExpansion = 16;
static constexpr int32_t kMaxOffset = std::numeric_limits<int32_t>::max();

// --- the directory on disk ---
//
// One listing per folder, the root first:
//
//   int32   element count N
//   N records:  int16 name length L, L name bytes, int32 kind (bit 0 = file),
//               and for files: int32 size, int32 offset from the binder's start
//   then the listing of each folder record, in record order
//
// Version 3 stores the whole directory through the compressing stream.

namespace {

// Bounds what a damaged or hostile directory can make the reader allocate.
struct DirectoryReader {
    NStream& fIn;
    int64_t fBudget;          // directory bytes the listings may still take
    int64_t fDataEnd;         // elements lie between the header and here
    int64_t fStart;
    std::string fName;

    [[noreturn]] void Damaged() const { throw NFileException(kFileHostFailure, fName); }

    void ReadListing(NBinderFolder& folder, int depth)
    {
        if (depth > kMaxFolderDepth)
            Damaged();
        int32_t count = fIn.ReadInt32();
        if (count < 0 || count > fBudget / kMinRecordBytes)
            Damaged();
        for (int32_t i = 0; i < count; ++i) {
            std::string name = LowerCase1252(fIn.ReadString());
            int32_t kind = fIn.ReadInt32();
            fBudget -= kMinRecordBytes + static_cast<int64_t>(name.size());
            NVectorPtr<NBinderElement> element(new NBinderElement(std::move(name), kind));
            if (element->IsFile()) {
                element->fSize = fIn.ReadInt32();
                element->fOffset = fIn.ReadInt32();
                fBudget -= 2 * sizeof(int32_t);
                if (element->fSize < 0 || element->fOffset < 0
                    || fStart + element->fOffset + element->fSize > fDataEnd)
                    Damaged();
            }
            if (fBudget < 0)
                Damaged();
            folder.fElements.push_back(std::move(element));
        }
        for (NVectorPtr<NBinderElement>& element : folder.fElements) {
            if (element->IsFile())
                continue;
            element->fFolder = std::make_unique<NBinderFolder>();
            ReadListing(*element->fFolder, depth + 1);
        }
    }
};

void WriteListing(NStream& out, const NBinderFolder& folder)
{
    out.WriteInt32(static_cast<int32_t>(folder.fElements.size()));
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        out.WriteString(element->fName);
        out.WriteInt32(element->fKind);
        if (element->IsFile()) {
            out.WriteInt32(element->fSize);
            out.WriteInt32(element->fOffset);
        }
    }
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        if (!element->IsFile() && element->fFolder)
            WriteListing(out, *element->fFolder);
    }
}

void ReadHeader(NStream& file, NBinderPlace& place)
{
    NBinderHeader& header = place.fHeader;
    file.Seek(place.fStart);
    header.fSize = file.ReadInt32();
    header.fMagic = file.ReadInt32();
    header.fVersion = file.ReadInt32();
    header.fApplication = file.ReadInt32();
    if (header.fSize >= NBinderHeader::kSize) {
        header.fTag = file.ReadInt32();
        header.fChecksum = file.ReadInt32();
    } else {
        header.fTag = NBinderHeader::kNoTag;
        header.fChecksum = 0;
    }
}

// The header must fit before the directory, and the directory before the trailer.
bool PlausiblePlace(const NBinderPlace& place, int64_t trailer)
{
    return place.fHeader.IsValid() && place.fHeader.fSize >= 0
        && place.fStart + place.fHeader.fSize <= place.fDirectory && place.fDirectory <= trailer;
}

void WriteHeader(NStream& file, const NBinderHeader& header)
{
    file.WriteInt32(NBinderHeader::kSize);
    file.WriteInt32(header.fMagic);
    file.WriteInt32(header.fVersion);
    file.WriteInt32(header.fApplication);
    file.WriteInt32(header.fTag);
    file.WriteInt32(header.fChecksum);
}

} // namespace

// --- locating ---

NBinderPlace NBinder::Locate(NStream& file, int index)
{
    NBinderPlace place;
    place.fHeader.fVersion = kInvalidVersion;
    int64_t saved = file.GetPosition();
    int64_t length = file.GetLength();
    try {
        int64_t trailer = length - kTrailerSize;
        bool found = trailer >= 0;
        for (int k = 0; found && k < index; ++k) {
            file.Seek(trailer + 4);
            int64_t start = trailer + 4 + file.ReadInt32();
            found = start >= 0 && start < trailer;
            trailer = start - kTrailerSize;
            found = found && trailer >= 0;
        }
        if (found) {
            file.Seek(trailer);
            int32_t directoryOffset = file.ReadInt32();
            int32_t startOffset = file.ReadInt32();
            place.fDirectory = trailer + directoryOffset;
            place.fStart = trailer + 4 + startOffset;
            place.fEnd = trailer + kTrailerSize;
            if (place.fStart >= 0 && place.fStart < trailer) {
                ReadHeader(file, place);
                if (!PlausiblePlace(place, trailer))
                    place.fHeader.fVersion = kInvalidVersion;
            }
        }
    } catch (const NFileException&) {
        place.fHeader.fVersion = kInvalidVersion;
    }
    if (!place.fHeader.IsValid() && index == 0) {
        // The alternative form: a header at 0 and the absolute directory position last.
        try {
            NBinderPlace alternative;
            alternative.fStart = 0;
            alternative.fEnd = length;
            ReadHeader(file, alternative);
            file.Seek(length - 4);
            alternative.fDirectory = file.ReadInt32();
            if (alternative.fDirectory >= 0 && alternative.fDirectory < length
                && PlausiblePlace(alternative, length - 4))
                place = alternative;
        } catch (const NFileException&) {
        }
    }
    place.fValid = place.fHeader.IsValid();
    file.Seek(saved);
    return place;
}

uint32_t NBinder::ComputeChecksum(NStream& file, const NBinderPlace& place)
{
    NCrc32 crc;
    std::vector<uint8_t> block(kBlockSize);
    int64_t position = place.fStart + place.fHeader.fSize;
    file.Seek(position);
    while (position < place.fEnd) {
        int32_t wanted = static_cast<int32_t>(std::min<int64_t>(kBlockSize, place.fEnd - position));
        file.ReadFully(wanted, block.data());
        crc.Update(block.data(), static_cast<size_t>(wanted));
        position += wanted;
    }
    return crc.Value();
}

// --- lifetime ---

NBinder::NBinder() = default;

NBinder::~NBinder()
{
    static_cast<void>(Close());
    if (NBinderRegistry::Alive())
        NBinderRegistry::The().Unregister(this);
}

bool NBinder::Create(const NFileSpec& spec, const NFDirSpec& mount, int32_t application, int64_t segmentLimit,
                     int32_t tag)
{
    if (IsOpen() || spec.CanOpen(NStreamMode::kRead))
        return false;
    spec.Delete();
    fSpec = spec;
    try {
        if (segmentLimit > 1) {
            // The files of a new set are journalled as they are made, so a create that is
            // cut off leaves no half set behind; the lock keeps readers from undoing it.
            fSetJournal = std::make_unique<NSegmentJournal>(spec.HostPath());
            fSetJournal->Begin({});
            fSetJournal->WillCreate(spec);
        }
        fFile = spec.Open(NStreamMode::kWrite, true, segmentLimit);
        if (auto* set = dynamic_cast<NStreamSegmented*>(fFile.Get())) {
            set->SetObserver(fSetJournal.get());
            if (!(fLock.Open(spec.HostPath(), kHostOpenExisting) && fLock.TryLock()))
                throw NFileException(kFileArchiveRefused, spec.DisplayName(), fLock.LastError());
        }
        NBinderHeader header;
        header.fApplication = application;
        header.fTag = tag;
        WriteHeader(fFile, header);
        fPlace = NBinderPlace();
        fPlace.fHeader = header;
        fPlace.fValid = true;
    } catch (const NFileException&) {
        fFile.Reset();
        if (fSetJournal && fSetJournal->IsBegun())
            static_cast<void>(NBinderJournal::Recover(spec.HostPath(), true));
        fSetJournal.reset();
        fLock.Close();
        return false;
    }
    fMount = mount;
    fMode = NBinderMode::kCreated;
    fRoot = std::make_unique<NBinderFolder>();
    fEndOfData = NBinderHeader::kSize;
    fModified = true;
    // A set is summed through its segments when sealed; only a single file is summed here.
    fSumming = dynamic_cast<NStreamSegmented*>(fFile.Get()) == nullptr;
    fBodyCrc = NCrc32();
    fMadeChecksum.reset();
    return true;
}

int32_t NBinder::Open(const NFileSpec& spec, const NFDirSpec& mount, NBinderMode mode, int index)
{
    if (IsOpen() || (mode != NBinderMode::kRead && mode != NBinderMode::kUpdate) || (mode == NBinderMode::kUpdate && index != 0))
        return -1;
    // Opening for update would create a missing file only to find it is no binder. A
    // journal without its archive (a set whose making stopped before its first file) goes;
    // one whose set was being moved in when it stopped puts the old first file back.
    if (!spec.Exists()) {
        if (!NBinderJournal::Recover(spec.HostPath(), false) || !spec.Exists())
            return -1;
    }
    // One updater at a time; and an archive whose last update was cut off is put back first.
    if (mode == NBinderMode::kUpdate && !(fLock.Open(spec.HostPath(), kHostOpenExisting) && fLock.TryLock())) {
        fLock.Close();
        return -1;
    }
    if (!NBinderJournal::Recover(spec.HostPath(), mode == NBinderMode::kUpdate)) {
        fLock.Close();
        return -1;
    }
    fSpec = spec;
    try {
        fFile = spec.Open(mode == NBinderMode::kUpdate ? NStreamMode::kUpdate : NStreamMode::kRead, false, 1);
    } catch (const NFileException&) {
        fLock.Close();
        return -1;
    }
    fMount = mount;
    int32_t application = -1;
    try {
        application = OpenLocated(mode, index);
    } catch (...) {
        fLock.Close();
        throw;
    }
    if (application == -1 && !IsOpen())
        fLock.Close();
    return application;
}

int32_t NBinder::OpenStream(NStream stream, const NFDirSpec& mount, int index)
{
    if (IsOpen() || !stream)
        return -1;
    fFile = std::move(stream);
    fMount = mount;
    fSpec = NFileSpec();
    return OpenLocated(NBinderMode::kRead, index);
}

int32_t NBinder::OpenLocated(NBinderMode mode, int index)
{
    fPlace = Locate(fFile, index);
    if (!fPlace.fValid) {
        fFile.Reset();
        return -1;
    }
    auto root = std::make_unique<NBinderFolder>();
    try {
        fFile.Seek(fPlace.fDirectory);
        int64_t stored = fPlace.fEnd - fPlace.fDirectory;
        std::string name = fFile.GetDisplayName();
        if (fPlace.fHeader.fVersion == NBinderHeader::kCompressedVersion) {
            NStreamExpand expand(fFile);
            NStream listing = NStream::Borrow(&expand);
            DirectoryReader reader { listing, stored * kMaxExpansion, fPlace.fDirectory, fPlace.fStart, name };
            reader.ReadListing(*root, 0);
        } else {
            DirectoryReader reader { fFile, stored, fPlace.fDirectory, fPlace.fStart, name };
            reader.ReadListing(*root, 0);
        }
    } catch (...) {
        fFile.Reset();
        throw;
    }
    fRoot = std::move(root);
    fMode = mode;
    fModified = false;
    fEndOfData = fPlace.fDirectory;
    fSumming = false;
    fMadeChecksum.reset();
    return fPlace.fHeader.fApplication;
}

bool NBinder::WriteDirectory()
{
    try {
        fFile.Seek(fEndOfData);
        NStreamCompress compress(fFile);
        NStream listing = NStream::Borrow(&compress);
        WriteListing(listing, *fRoot);
        compress.Close();
        int64_t trailer = fFile.GetLength();
        fFile.Seek(trailer);
        fFile.WriteInt32(static_cast<int32_t>(fEndOfData - trailer));
        fFile.WriteInt32(static_cast<int32_t>(fPlace.fStart - (trailer + 4)));
        // The directory is always written compressed; a header that said otherwise would
        // make the archive unreadable.
        if (fPlace.fHeader.fVersion != NBinderHeader::kCompressedVersion) {
            fFile.Seek(fPlace.fStart + 8);
            fFile.WriteInt32(NBinderHeader::kCompressedVersion);
            fPlace.fHeader.fVersion = NBinderHeader::kCompressedVersion;
        }
        fFile.Close();
        return true;
    } catch (const NFileException& error) {
        fLastHostError = error.HostError();
        return false;
    }
}

bool NBinder::Close()
{
    if (!IsOpen())
        return true;
    fLastHostError = 0;
    bool written = !fModified || WriteDirectory();
    if (written && fJournal && !fJournal->Commit()) {
        written = false;
        fLastHostError = NHostFileSystem::LastError();
    }
    if (written && fSetJournal) {
        auto* set = dynamic_cast<NStreamSegmented*>(fFile.Get());
        if (!fSetJournal->Commit(set ? set->SegmentPaths() : std::vector<std::string>())) {
            written = false;
            fLastHostError = NHostFileSystem::LastError();
        }
    }
    bool undo = !written && ((fJournal && fJournal->IsBegun()) || (fSetJournal && fSetJournal->IsBegun()));
    bool summed = written && fSumming && fModified;
    Release();
    fMadeChecksum.reset();
    if (summed)
        fMadeChecksum = SumTail();
    fSumming = false;
    // The update could not be finished: the archive goes back to what it was before it.
    // When even that fails, the journal stays beside the archive for the next open.
    if (undo)
        static_cast<void>(NBinderJournal::Recover(fSpec.HostPath(), true));
    fJournal.reset();
    fSetJournal.reset();
    fLock.Close();
    return written;
}

std::optional<uint32_t> NBinder::SumTail() const
{
    // The directory and trailer went out through the compressor; they are a few kilobytes,
    // read back rather than summed on the way. Whatever a failed copy left behind E ends
    // up in here too, so the sum stays the file's.
    try {
        NStream file = fSpec.Open(NStreamMode::kRead, false);
        NCrc32 sum = fBodyCrc;
        int64_t length = file.GetLength();
        std::vector<uint8_t> block(kBlockSize);
        file.Seek(fEndOfData);
        for (int64_t position = fEndOfData; position < length;) {
            int32_t wanted = static_cast<int32_t>(std::min<int64_t>(kBlockSize, length - position));
            file.ReadFully(wanted, block.data());
            sum.Update(block.data(), static_cast<size_t>(wanted));
            position += wanted;
        }
        return sum.Value();
    } catch (const NFileException&) {
        return std::nullopt;
    }
}

void NBinder::Release()
{
    for (NStreamBinder* stream : fElementStreams)
        stream->DropReference();
    fElementStreams.clear();
    fRoot.reset();
    fModified = false;
    fFile.Reset();
}

void NBinder::PrepareChange()
{
    if (fMode != NBinderMode::kUpdate || fJournal || fSetJournal)
        return;
    int64_t length = fFile.GetLength();
    if (auto* set = dynamic_cast<NStreamSegmented*>(fFile.Get())) {
        // A set: the same ranges in whichever segments hold them, every header, and then
        // the segments the change makes and renames, as it makes and renames them.
        std::vector<std::pair<int64_t, int64_t>> ranges = { { fEndOfData, std::max<int64_t>(length - fEndOfData, 0) } };
        if (fPlace.fHeader.fVersion != NBinderHeader::kCompressedVersion)
            ranges.emplace_back(fPlace.fStart + 8, 4);
        auto journal = std::make_unique<NSegmentJournal>(fSpec.HostPath());
        journal->Begin(set->Snapshot(ranges));
        set->SetObserver(journal.get());
        fSetJournal = std::move(journal);
        return;
    }
    // Only a plain file can be put back byte for byte.
    if (!dynamic_cast<NStreamFile*>(fFile.Get()))
        return;
    std::vector<NBinderJournal::Range> ranges;
    NBinderJournal::Range tail;
    tail.fOffset = fEndOfData;
    tail.fBytes.resize(static_cast<size_t>(std::max<int64_t>(length - fEndOfData, 0)));
    fFile.Seek(tail.fOffset);
    if (!tail.fBytes.empty())
        fFile.ReadFully(static_cast<int32_t>(tail.fBytes.size()), tail.fBytes.data());
    ranges.push_back(std::move(tail));
    if (fPlace.fHeader.fVersion != NBinderHeader::kCompressedVersion) {
        // Closing rewrites the version word of a plainly stored directory.
        NBinderJournal::Range version;
        version.fOffset = fPlace.fStart + 8;
        version.fBytes.resize(4);
        fFile.Seek(version.fOffset);
        fFile.ReadFully(4, version.fBytes.data());
        ranges.push_back(std::move(version));
    }
    auto journal = std::make_unique<NBinderJournal>(fSpec.HostPath());
    journal->Begin(length, ranges);
    fJournal = std::move(journal);
}

bool NBinder::Recover(const NFileSpec& spec)
{
    return NBinderJournal::Recover(spec.HostPath(), false);
}

void NBinder::AttachElementStream(NStreamBinder* stream)
{
    fElementStreams.push_back(stream);
}

void NBinder::DetachElementStream(NStreamBinder* stream)
{
    std::erase(fElementStreams, stream);
}

// --- the tree ---

NBinderFolder* NBinder::FindFolder(const NFDirSpec& dir, bool create) const
{
    if (!fRoot)
        return nullptr;
    std::string mount = LowerCase1252(fMount.Drive().Root() + fMount.Path());
    std::string path = LowerCase1252(dir.Drive().Root() + dir.Path());
    if (!path.starts_with(mount))
        return nullptr;
    NBinderFolder* folder = fRoot.get();
    size_t at = mount.size();
    while (at < path.size()) {
        size_t colon = path.find(':', at);
        if (colon == std::string::npos)
            colon = path.size();
        std::string name = path.substr(at, colon - at);
        at = colon + 1;
        NBinderElement* element = folder->FindFolder(name);
        if (!element) {
            if (!create)
                return nullptr;
            NVectorPtr<NBinderElement> created(new NBinderElement(name, 0));
            created->fFolder = std::make_unique<NBinderFolder>();
            created->fFolder->fCreatedHere = true;
            element = created.Get();
            folder->fElements.push_back(std::move(created));
        }
        if (!element->fFolder)
            element->fFolder = std::make_unique<NBinderFolder>();
        folder = element->fFolder.get();
    }
    return folder;
}

bool NBinder::Lookup(const NFileSpec& spec, int64_t& position, int32_t& size) const
{
    const NBinderFolder* folder = FindFolder(spec.Dir(), false);
    const NBinderElement* element = folder ? folder->FindFile(spec.Name()) : nullptr;
    if (!element)
        return false;
    position = fPlace.fStart + element->fOffset;
    size = element->fSize;
    return true;
}

// --- changes ---

void NBinder::Add(const NFileSpec& target, const NFileSpec& source, int64_t size)
{
    if (!IsOpen() || fMode == NBinderMode::kRead)
        throw NFileException(kFileArchiveRefused, target.DisplayName());
    if (size < 0 || fEndOfData - fPlace.fStart + size > kMaxOffset)
        throw NFileException(kFileArchiveRefused, target.DisplayName());
    NBinderFolder* existing = FindFolder(target.Dir(), false);
    if (existing && existing->FindFile(target.Name()))
        throw NFileException(kFileArchiveRefused, target.DisplayName());
    NStream in = source.Open(NStreamMode::kRead, true);
    NBinderFolder* folder = FindFolder(target.Dir(), true);
    if (!folder)
        throw NFileException(kFileArchiveRefused, target.DisplayName());
    PrepareChange();

    // From the first byte on, the old directory is gone: Close must write a new one even
    // when this copy fails.
    fModified = true;
    std::vector<uint8_t> block(static_cast<size_t>(std::min<int64_t>(kBlockSize, std::max<int64_t>(size, 1))));
    // Summed apart until the copy is whole: a copy that fails is written over by the next.
    NCrc32 sum = fBodyCrc;
    for (int64_t done = 0; done < size;) {
        int32_t wanted = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(block.size()), size - done));
        in.ReadFully(wanted, block.data());
        // The source may lie in this very binder and move the file position.
        fFile.Seek(fEndOfData + done);
        fFile.WriteFully(wanted, block.data());
        if (fSumming)
            sum.Update(block.data(), static_cast<size_t>(wanted));
        done += wanted;
    }
    fBodyCrc = sum;
    NVectorPtr<NBinderElement> element(new NBinderElement(target.Name(), kBinderKindFile));
    element->fSize = static_cast<int32_t>(size);
    element->fOffset = static_cast<int32_t>(fEndOfData - fPlace.fStart);
    folder->fElements.push_back(std::move(element));
    fEndOfData += size;
}

void NBinder::AddFrom(const NFileSpec& target, const NFileSpec& source)
{
    int64_t position = 0;
    int32_t size = 0;
    if (!NBinderRegistry::The().Lookup(source, position, size))
        throw NFileException(kFileArchiveRefused, source.DisplayName());
    Add(target, source, size);
}

namespace {

void CopyFolder(const NBinderFolder& folder, const NFDirSpec& sourceDir, const NFDirSpec& targetDir,
                NBinder& destination, NBinderCopyFilter* filter)
{
    for (const NVectorPtr<NBinderElement>& element : folder.fElements) {
        if (element->IsFile()) {
            if (!filter || filter->Accept(true, sourceDir, element->fName))
                destination.AddFrom(NFileSpec(targetDir, element->fName, false),
                                    NFileSpec(sourceDir, element->fName, false));
        } else if (element->fFolder && (!filter || filter->Accept(false, sourceDir, element->fName))) {
            CopyFolder(*element->fFolder, sourceDir.SubDir(element->fName + ":"),
                       targetDir.SubDir(element->fName + ":"), destination, filter);
        }
    }
}

} // namespace

void NBinder::CopyTo(NBinder& destination, NBinderCopyFilter* filter)
{
    if (!IsOpen())
        throw NFileException(kFileNotOpen, "Binder not open");
    if (!destination.IsOpen())
        throw NFileException(kFileNotOpen, "dstBinder not open");
    CopyFolder(*fRoot, fMount, destination.fMount, destination, filter);
}

// --- checksums ---

bool NBinder::Verify(const NFileSpec& spec, int index, uint32_t* checksum) const
{
    if (IsOpen())
        return true;
    if (!NBinderJournal::Recover(spec.HostPath(), false))
        return false;
    try {
        NStream file = spec.Open(NStreamMode::kRead, false, 1);
        NBinderPlace place = Locate(file, index);
        if (!place.fValid)
            return true;
        if (place.fHeader.fChecksum == 0 && !checksum)
            return true;
        uint32_t computed = ComputeChecksum(file, place);
        if (checksum)
            *checksum = computed;
        return place.fHeader.fChecksum == 0 || static_cast<uint32_t>(place.fHeader.fChecksum) == computed;
    } catch (const NFileException&) {
        // A file that cannot be read cannot be vouched for.
        return false;
    }
}

void NBinder::Seal(const NFileSpec& spec, int index, std::optional<uint32_t> known)
{
    NHostFile lock;
    if (!(lock.Open(spec.HostPath(), kHostOpenExisting) && lock.TryLock())
        || !NBinderJournal::Recover(spec.HostPath(), true))
        throw NFileException(kFileArchiveRefused, spec.DisplayName(), lock.LastError());
    NBinderPlace place;
    uint32_t checksum = 0;
    {
        NStream file = spec.Open(NStreamMode::kRead, false, 1);
        place = Locate(file, index);
        // A short header has no room for the checksum: rewriting it would overwrite data.
        if (!place.fValid || place.fHeader.fSize < NBinderHeader::kSize)
            throw NFileException(kFileArchiveRefused, spec.DisplayName());
        checksum = known ? *known : ComputeChecksum(file, place);
    }
    // Declared first so that the set's stream, finishing as it goes, still has its journal.
    NSegmentJournal setJournal(spec.HostPath());
    NStream file = spec.Open(NStreamMode::kUpdate, false, 1);
    NBinderJournal journal(spec.HostPath());
    auto* set = dynamic_cast<NStreamSegmented*>(file.Get());
    if (dynamic_cast<NStreamFile*>(file.Get())) {
        NBinderJournal::Range header;
        header.fOffset = place.fStart;
        header.fBytes.resize(NBinderHeader::kSize);
        file.Seek(place.fStart);
        file.ReadFully(NBinderHeader::kSize, header.fBytes.data());
        journal.Begin(file.GetLength(), { header });
    } else if (set) {
        setJournal.Begin(set->Snapshot({ { place.fStart, NBinderHeader::kSize } }));
        set->SetObserver(&setJournal);
    }
    place.fHeader.fChecksum = static_cast<int32_t>(checksum);
    try {
        // At the binder's own start: a binder appended to a program must leave the program be.
        file.Seek(place.fStart);
        WriteHeader(file, place.fHeader);
        file.Close();
        bool committed = set ? setJournal.Commit(set->SegmentPaths()) : journal.Commit();
        if (!committed)
            throw NFileException(kFileHostFailure, spec.DisplayName(), NHostFileSystem::LastError());
    } catch (const NFileException&) {
        file.Reset();
        // When even that fails, the journal stays beside the archive for the next open.
        if (journal.IsBegun() || setJournal.IsBegun())
            static_cast<void>(NBinderJournal::Recover(spec.HostPath(), true));
        throw;
    }
}
