// Writes tagged chunk files: a typed, versioned header and chunks of tag, length and body.
//
//   offset  size  field                   (integers big-endian)
//   0       4     file type, four characters
//   4       4     version
//   8       ...   chunks: tag (4) | body length n (4) | n body bytes
//                 ended by the chunk "fini" of length 0
//
// Bodies: integer (4), date (4, seconds since 1970 UTC), string (16-bit n, n bytes),
// file specification (four strings: drive root, ":", logical path, file name), raw.
#pragma once

#include "storage/NFileSpec.h"
#include "storage/NStream.h"

#include <cstdint>
#include <string_view>

// The tags and types of the chunk files the builder writes and reads, and qipalbum reads.
enum : int32_t {
    kChunkFini = 0x66696E69,         // "fini"
    // File types
    kTypePhotoInfo = 0x504E464F,     // "PNFO"
    kTypeAlbumInfo = 0x4C42554D,     // "LBUM"
    kTypeFeatureList = 0x4C4D7849,   // "LMxI"
    // Photo and album info
    kTagFNAM = 0x464E414D,
    kTagTITL = 0x5449544C,
    kTagJPEG = 0x4A504547,
    kTagAUXI = 0x41555849,
    kTagCAPT = 0x43415054,
    kTagDATE = 0x44415445,
    kTagSPEC = 0x53504543,
    kTagNUMP = 0x4E554D50,
    kTagOPTI = 0x4F505449,
    kTagOSpc = 0x4F537063,
    kTagTSpc = 0x54537063,
    // Theme cache
    kTagLANG = 0x4C414E47,
    kTagList = 0x6C697374,           // "list"
    kTagTNAM = 0x544E414D,
    kTagICON = 0x49434F4E,
    kTagFEAT = 0x46454154,
    kTagLxID = 0x4C784944,
    kTagTRIP = 0x54524950,
};

/// The album info's tags the library writes itself when the album is finished; a client's
/// own album chunks must not use them.
inline constexpr int32_t kAlbumInfoLibraryTags[] = { kTagNUMP, kTagOPTI, kTagDATE, kTagOSpc, kTagTSpc };

/// Keeps one chunk open at a time; its length is patched in when it ends.
class LMChunkWriter {
public:
    explicit LMChunkWriter(NStream& stream) : fStream(stream) {}

    void BeginFile(int32_t type, uint32_t version);
    /// Throws kFileNotOpen before BeginFile.
    void BeginChunk(int32_t tag);
    void EndChunk();

    // One whole chunk of each body form.
    void WriteIntChunk(int32_t tag, int32_t value);
    void WriteStringChunk(int32_t tag, std::string_view text);
    void WriteDateChunk(int32_t tag, uint32_t seconds);
    void WriteSpecChunk(int32_t tag, const NFileSpec& spec);
    /// The four strings all empty: a specification that names no file.
    void WriteEmptySpecChunk(int32_t tag);
    void WriteRawChunk(int32_t tag, const void* bytes, int32_t length);
    /// The closing "fini" chunk.
    void EndFile();

    NStream& Stream() { return fStream; }

private:
    static constexpr int32_t kLengthSize = 4;

    NStream& fStream;
    int64_t fLengthPosition = 0;   // right after the open chunk's tag
    bool fStarted = false;
};
