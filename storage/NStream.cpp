// The stream holder and its typed big-endian data.
#include "storage/NStream.h"

#include "storage/NFileException.h"

#include <utility>
#include <vector>

static constexpr char kUnknownStreamName[] = "unknown";
static constexpr uint8_t kCarriageReturn = 13;
static constexpr uint8_t kLineFeed = 10;

static void DestroyOwned(NStreamImp* stream, bool owned)
{
    if (!owned)
        return;
    try {
        delete stream;
    } catch (const NFileException&) {
        // Implementations swallow their own close errors; this only guards a stray one.
    }
}

NStream::NStream(std::unique_ptr<NStreamImp> stream)
    : fStream(stream.release())
    , fOwned(fStream != nullptr)
{
}

NStream NStream::Borrow(NStreamImp* stream)
{
    NStream holder;
    holder.fStream = stream;
    holder.fOwned = false;
    return holder;
}

NStream::~NStream()
{
    DestroyOwned(fStream, fOwned);
}

NStream::NStream(NStream&& other) noexcept
    : fStream(std::exchange(other.fStream, nullptr))
    , fOwned(std::exchange(other.fOwned, false))
{
}

NStream& NStream::operator=(NStream&& other) noexcept
{
    if (this != &other) {
        DestroyOwned(fStream, fOwned);
        fStream = std::exchange(other.fStream, nullptr);
        fOwned = std::exchange(other.fOwned, false);
    }
    return *this;
}

NStreamImp& NStream::Check() const
{
    if (!fStream)
        throw NFileException(kFileNotOpen, kUnknownStreamName);
    fStream->CheckOpen();
    return *fStream;
}

void NStream::Reset()
{
    DestroyOwned(fStream, fOwned);
    fStream = nullptr;
    fOwned = false;
}

void NStream::ReadFully(int32_t length, void* buffer)
{
    NStreamImp& stream = Check();
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t done = 0;
    while (done < length) {
        int32_t count = stream.Read(length - done, bytes + done);
        if (count <= 0)
            throw NFileException(kFileEndOfData, stream.GetDisplayName());
        done += count;
    }
}

void NStream::WriteFully(int32_t length, const void* buffer)
{
    NStreamImp& stream = Check();
    auto* bytes = static_cast<const uint8_t*>(buffer);
    int32_t done = 0;
    while (done < length) {
        int32_t count = stream.Write(length - done, bytes + done);
        if (count <= 0)
            throw NFileException(kFileHostFailure, stream.GetDisplayName());
        done += count;
    }
}

uint8_t NStream::ReadByte()
{
    uint8_t value = 0;
    ReadFully(1, &value);
    return value;
}

int16_t NStream::ReadInt16()
{
    uint8_t bytes[2];
    ReadFully(sizeof bytes, bytes);
    return static_cast<int16_t>((bytes[0] << 8) | bytes[1]);
}

int32_t NStream::ReadInt32()
{
    uint8_t bytes[4];
    ReadFully(sizeof bytes, bytes);
    return static_cast<int32_t>((uint32_t(bytes[0]) << 24) | (uint32_t(bytes[1]) << 16)
                                | (uint32_t(bytes[2]) << 8) | uint32_t(bytes[3]));
}

void NStream::WriteByte(uint8_t value)
{
    WriteFully(1, &value);
}

void NStream::WriteInt16(int16_t value)
{
    auto bits = static_cast<uint16_t>(value);
    uint8_t bytes[2] = { uint8_t(bits >> 8), uint8_t(bits) };
    WriteFully(sizeof bytes, bytes);
}

void NStream::WriteInt32(int32_t value)
{
    auto bits = static_cast<uint32_t>(value);
    uint8_t bytes[4] = { uint8_t(bits >> 24), uint8_t(bits >> 16), uint8_t(bits >> 8), uint8_t(bits) };
    WriteFully(sizeof bytes, bytes);
}

std::string NStream::ReadString()
{
    int16_t length = ReadInt16();
    if (length < 0)
        throw NFileException(kFileHostFailure, Check().GetDisplayName());
    std::string text(static_cast<size_t>(length), '\0');
    ReadFully(length, text.data());
    return text;
}

void NStream::WriteString(std::string_view text)
{
    // A longer text would store a negative length that no reader accepts.
    if (text.size() > static_cast<size_t>(kMaxStringLength))
        throw NFileException(kFileHostFailure, Check().GetDisplayName());
    WriteInt16(static_cast<int16_t>(text.size()));
    WriteFully(static_cast<int32_t>(text.size()), text.data());
}

int32_t NStream::ReadLine(char* buffer, int32_t capacity)
{
    NStreamImp& stream = Check();
    if (capacity <= 0 || buffer == nullptr)
        return 0;
    int32_t stored = 0;
    bool consumed = false;
    try {
        while (stored < capacity - 1) {
            uint8_t byte = ReadByte();
            consumed = true;
            if (byte == kLineFeed)
                break;
            if (byte == kCarriageReturn) {
                // A lone CR ends the line too; the byte after it belongs to the next one.
                uint8_t next = ReadByte();
                if (next != kLineFeed)
                    stream.Seek(stream.GetPosition() - 1);
                break;
            }
            buffer[stored++] = static_cast<char>(byte);
        }
    } catch (const NFileException& error) {
        if (!error.IsEndOfData() || !consumed)
            throw;
    }
    buffer[stored] = '\0';
    return stored;
}

int32_t NStream::WriteLine(std::string_view text)
{
    WriteFully(static_cast<int32_t>(text.size()), text.data());
    const uint8_t lineEnd[2] = { kCarriageReturn, kLineFeed };
    WriteFully(sizeof lineEnd, lineEnd);
    return static_cast<int32_t>(text.size()) + 2;
}

void NStream::Copy(NStream& source, NStream& target, void* buffer, int32_t size)
{
    std::vector<uint8_t> ownBuffer;
    if (buffer == nullptr || size <= 0) {
        ownBuffer.resize(kCopyBlockSize);
        buffer = ownBuffer.data();
        size = kCopyBlockSize;
    }
    for (;;) {
        int32_t count = 0;
        try {
            count = source.Read(size, buffer);
        } catch (const NFileException& error) {
            if (error.IsEndOfData())
                return;
            throw;
        }
        if (count <= 0)
            return;
        target.WriteFully(count, buffer);
    }
}
