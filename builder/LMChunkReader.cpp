// The tagged chunk file reader.
#include "builder/LMChunkReader.h"

#include "storage/NFileException.h"

void LMChunkReader::ReadHeader(int32_t& type, uint32_t& version)
{
    type = fStream.ReadInt32();
    version = static_cast<uint32_t>(fStream.ReadInt32());
}

int32_t LMChunkReader::NextChunk()
{
    int32_t tag = fStream.ReadInt32();
    fLength = fStream.ReadInt32();
    return tag;
}

void LMChunkReader::Skip()
{
    // A negative length is damage: it would move the reader backwards for ever.
    if (fLength < 0)
        throw NFileException(kFileHostFailure, fStream.GetDisplayName());
    int64_t target = fStream.GetPosition() + fLength;
    if (target > fStream.GetLength())
        throw NFileException(kFileEndOfData, fStream.GetDisplayName());
    fStream.Seek(target);
}
