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

// The tags and types of the chunk files the builder writes and reads.
enum : int32_t {
    kChunkFini = 0x66696E69,   // "fini"
};

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
