// Binder archives: a tree of folders and files in one host file, mounted at a folder.
#pragma once

#include "storage/NBinderElement.h"
#include "storage/NBinderJournal.h"
#include "storage/NCrc32.h"
#include "storage/NFileSpec.h"
#include "storage/NStream.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

class NBinderCopyFilter;
class NStreamBinder;

/// How a binder is open. Not a stream mode: a binder is never opened for writing, and it
/// opens its file in a mode of its own choosing.
enum class NBinderMode : int {
    kRead = 0,      // elements are read
    kCreated = 1,   // newly made, elements are added
    kUpdate = 2,    // an existing binder, elements are added
};

/// The 24-byte header at the binder's start S (all integers big-endian):
///
///   0  header size     24; a smaller one means no tag ("----") and no checksum
///   4  magic           "XPB!"
///   8  version         2 = directory stored plainly, 3 = directory compressed
///  12  application     number chosen by the producer; -1 when fresh
///  16  tag             four characters; "----" when fresh
///  20  checksum        CRC-32 from S + header size to the end of the trailer; 0 = unsealed
struct NBinderHeader {
    static constexpr int32_t kSize = 24;
    static constexpr int32_t kMagic = 0x58504221;          // "XPB!"
    static constexpr int32_t kPlainVersion = 2;
    static constexpr int32_t kCompressedVersion = 3;
    static constexpr int32_t kNoTag = 0x2D2D2D2D;          // "----"

    int32_t fSize = kSize;
    int32_t fMagic = kMagic;
    int32_t fVersion = kCompressedVersion;
    int32_t fApplication = -1;
    int32_t fTag = kNoTag;
    int32_t fChecksum = 0;

    bool IsValid() const
    {
        return fMagic == kMagic && (fVersion == kPlainVersion || fVersion == kCompressedVersion);
    }
};

/// Where a binder lies in its file, as found through the trailer (the last 8 bytes):
///
///  -8  directory offset   D minus the position of this field
///  -4  start offset       S minus the position of this field
///
/// Binder k+1 ends just before the start of binder k; binder 0 is the last in the file.
struct NBinderPlace {
    NBinderHeader fHeader;
    int64_t fStart = 0;        // S
    int64_t fDirectory = 0;    // D
    int64_t fEnd = 0;          // the end of the trailer
    bool fValid = false;
};

class NSegmentJournal;

class NBinder {
public:
    NBinder();
    virtual ~NBinder();

    /// A new, empty binder at spec (false when a readable file is already there).
    [[nodiscard]] bool Create(const NFileSpec& spec, const NFDirSpec& mount, int32_t application, int64_t segmentLimit,
                int32_t tag = NBinderHeader::kNoTag);
    /// Opens binder `index` of the file for reading or update; returns the application
    /// number, or -1 when refused. A damaged directory throws NFileException.
    [[nodiscard]] int32_t Open(const NFileSpec& spec, const NFDirSpec& mount, NBinderMode mode, int index = 0);
    /// Opens over a stream already open for reading (an archive in memory, for instance).
    [[nodiscard]] int32_t OpenStream(NStream stream, const NFDirSpec& mount, int index = 0);
    /// Writes the directory and trailer when modified, then frees the tree and closes the
    /// file. False when writing them failed (the binder is closed all the same).
    [[nodiscard]] bool Close();

    /// The host's reason (an errno value) when the last Close failed, else 0.
    int LastHostError() const { return fLastHostError; }
    /// After a Close that wrote a binder this object created in a single file: the checksum
    /// Seal would compute, summed as the binder was written. Empty otherwise.
    std::optional<uint32_t> MadeChecksum() const { return fMadeChecksum; }

    bool IsOpen() const { return fRoot != nullptr; }
    NBinderMode Mode() const { return fMode; }
    const NFDirSpec& Mount() const { return fMount; }
    const NBinderFolder* Root() const { return fRoot.get(); }
    const NBinderPlace& Place() const { return fPlace; }

    /// The element of a file specification below the mount folder: its absolute position
    /// in the binder's file and its size.
    bool Lookup(const NFileSpec& spec, int64_t& position, int32_t& size) const;
    /// Copies size bytes of source into the binder as target.
    void Add(const NFileSpec& target, const NFileSpec& source, int64_t size);
    /// Add with a source that lies in an open, registered binder.
    void AddFrom(const NFileSpec& target, const NFileSpec& source);
    /// Copies every file element into the destination at the same relative place.
    void CopyTo(NBinder& destination, NBinderCopyFilter* filter = nullptr);

    /// True unless the stored checksum of binder `index` of the file disagrees with its
    /// contents. The computed checksum is stored in `checksum` when asked for.
    [[nodiscard]] bool Verify(const NFileSpec& spec, int index = 0, uint32_t* checksum = nullptr) const;
    /// Stores the checksum of binder `index` of the file in its header: `known` when given
    /// (the MadeChecksum of the binder just written), else computed from the file.
    static void Seal(const NFileSpec& spec, int index = 0, std::optional<uint32_t> known = std::nullopt);

    /// Finds binder `index` in an open file; the file position is restored afterwards.
    static NBinderPlace Locate(NStream& file, int index);
    /// The CRC-32 of a located binder's covered range.
    static uint32_t ComputeChecksum(NStream& file, const NBinderPlace& place);

    NStream& FileStream() { return fFile; }

    /// Puts an archive whose last update was interrupted back as it was before that update
    /// (see NBinderJournal). Open, Verify and Seal do this first; false when the repair
    /// failed or another process is updating the archive now.
    [[nodiscard]] static bool Recover(const NFileSpec& spec);

private:
    friend class NStreamBinder;
    void AttachElementStream(NStreamBinder* stream);
    void DetachElementStream(NStreamBinder* stream);

    int32_t OpenLocated(NBinderMode mode, int index);
    NBinderFolder* FindFolder(const NFDirSpec& dir, bool create) const;
    bool WriteDirectory();
    std::optional<uint32_t> SumTail() const;
    void Release();
    /// Journals what the first change of an update will overwrite (update mode only).
    void PrepareChange();

    NFileSpec fSpec;
    NHostFile fLock;                          // held while open for update
    std::unique_ptr<NBinderJournal> fJournal; // while an update is under way
    std::unique_ptr<NSegmentJournal> fSetJournal; // the same for a segmented set
    int fLastHostError = 0;

    NStream fFile;
    NFDirSpec fMount;
    std::unique_ptr<NBinderFolder> fRoot;
    NBinderMode fMode = NBinderMode::kRead;
    bool fModified = false;
    int64_t fEndOfData = 0;    // E: where the next element goes
    // A binder made here is summed as it is written, so sealing it needs no second pass
    // over a file that may be a gigabyte: the checksum of [header end, E).
    bool fSumming = false;
    NCrc32 fBodyCrc;
    std::optional<uint32_t> fMadeChecksum;
    NBinderPlace fPlace;
    std::vector<NStreamBinder*> fElementStreams;
};
