// The tagged chunk file writer.
#include "builder/LMChunkWriter.h"

#include "storage/NFileException.h"

namespace {

constexpr char kSpecSeparator[] = ":";
constexpr int kSpecStrings = 4;   // drive root, separator, logical path, file name

} // namespace

void LMChunkWriter::BeginFile(int32_t type, uint32_t version)
{
    fStream.WriteInt32(type);
    fStream.WriteInt32(static_cast<int32_t>(version));
    fStarted = true;
}

void LMChunkWriter::BeginChunk(int32_t tag)
{
    if (!fStarted)
        throw NFileException(kFileNotOpen, fStream.GetDisplayName());
    fStream.WriteInt32(tag);
    fLengthPosition = fStream.GetPosition();
    fStream.WriteInt32(0);
}

void LMChunkWriter::EndChunk()
{
    int64_t end = fStream.GetPosition();
    fStream.Seek(fLengthPosition);
    fStream.WriteInt32(static_cast<int32_t>(end - fLengthPosition - kLengthSize));
    fStream.Seek(end);
}

void LMChunkWriter::WriteIntChunk(int32_t tag, int32_t value)
{
    BeginChunk(tag);
    fStream.WriteInt32(value);
    EndChunk();
}

void LMChunkWriter::WriteStringChunk(int32_t tag, std::string_view text)
{
    BeginChunk(tag);
    fStream.WriteString(text);
    EndChunk();
}

void LMChunkWriter::WriteDateChunk(int32_t tag, uint32_t seconds)
{
    WriteIntChunk(tag, static_cast<int32_t>(seconds));
}

void LMChunkWriter::WriteSpecChunk(int32_t tag, const NFileSpec& spec)
{
    BeginChunk(tag);
    fStream.WriteString(spec.Drive().Root());
    fStream.WriteString(kSpecSeparator);
    fStream.WriteString(spec.Dir().Path());
    fStream.WriteString(spec.Name());
    EndChunk();
}

void LMChunkWriter::WriteEmptySpecChunk(int32_t tag)
{
    BeginChunk(tag);
    for (int i = 0; i < kSpecStrings; ++i)
        fStream.WriteString("");
    EndChunk();
}

void LMChunkWriter::WriteRawChunk(int32_t tag, const void* bytes, int32_t length)
{
    BeginChunk(tag);
    fStream.WriteFully(length, bytes);
    EndChunk();
}

void LMChunkWriter::EndFile()
{
    BeginChunk(kChunkFini);
    EndChunk();
}
