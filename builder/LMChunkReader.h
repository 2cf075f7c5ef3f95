// Reads tagged chunk files (the layout is described in LMChunkWriter.h).
#pragma once

#include "storage/NStream.h"

#include <cstdint>

/// Reads forward only; every short read throws the stream's file exception.
class LMChunkReader {
public:
    explicit LMChunkReader(NStream& stream) : fStream(stream) {}

    void ReadHeader(int32_t& type, uint32_t& version);
    /// The next chunk's tag; its body length is remembered.
    int32_t NextChunk();
    /// Moves past the body of the chunk just started.
    void Skip();
    int32_t Length() const { return fLength; }

    NStream& Stream() { return fStream; }

private:
    NStream& fStream;
    int32_t fLength = 0;
};
