// The stream holder: owns (or borrows) a stream and reads and writes typed values through it.
#pragma once

#include "storage/NStreamImp.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

/// Every multi-byte value is big-endian; a string is a signed 16-bit length followed by
/// its bytes, with no terminator. Each operation checks the stream first: an empty holder
/// throws kFileNotOpen with the name "unknown".
class NStream {
public:
    static constexpr int32_t kCopyBlockSize = 0x20000;
    static constexpr int32_t kMaxStringLength = 0x7FFF;

    NStream() = default;
    explicit NStream(std::unique_ptr<NStreamImp> stream);
    /// A holder that uses a stream it does not own.
    static NStream Borrow(NStreamImp* stream);
    /// Destroys an owned stream, which closes it; file errors on the way are swallowed.
    ~NStream();

    NStream(NStream&& other) noexcept;
    NStream& operator=(NStream&& other) noexcept;
    NStream(const NStream&) = delete;
    NStream& operator=(const NStream&) = delete;

    /// The stream after its check passes.
    NStreamImp& Check() const;
    NStreamImp* Get() const { return fStream; }
    bool IsOwned() const { return fOwned; }
    explicit operator bool() const { return fStream != nullptr; }
    /// Destroys an owned stream now (swallowing file errors) and empties the holder.
    void Reset();

    // Forwarded stream operations
    void Close() { Check().Close(); }
    void Flush() { Check().Flush(); }
    int32_t Read(int32_t length, void* buffer) { return Check().Read(length, buffer); }
    int32_t Write(int32_t length, const void* buffer) { return Check().Write(length, buffer); }
    int64_t Seek(int64_t position) { return Check().Seek(position); }
    int64_t GetPosition() { return Check().GetPosition(); }
    int64_t GetLength() { return Check().GetLength(); }
    std::string GetDisplayName() const { return Check().GetDisplayName(); }

    // Typed data
    /// Reads exactly length bytes; a short stream throws kFileEndOfData.
    void ReadFully(int32_t length, void* buffer);
    /// Writes all length bytes.
    void WriteFully(int32_t length, const void* buffer);
    uint8_t ReadByte();
    int16_t ReadInt16();
    int32_t ReadInt32();
    void WriteByte(uint8_t value);
    void WriteInt16(int16_t value);
    void WriteInt32(int32_t value);
    /// A negative length throws kFileHostFailure; a short body throws kFileEndOfData.
    std::string ReadString();
    /// A text longer than kMaxStringLength cannot be stored and throws kFileHostFailure.
    void WriteString(std::string_view text);

    /// Reads one line into buffer (at most capacity - 1 bytes, then a terminator). "\n",
    /// "\r\n" and a lone "\r" end a line; the end of data after at least one byte ends it
    /// too. Returns the length stored.
    int32_t ReadLine(char* buffer, int32_t capacity);
    /// Writes the text and CR LF; returns the text length plus 2.
    int32_t WriteLine(std::string_view text);

    /// Copies blocks from source to target until the source's end of data; other file
    /// errors propagate. Without a buffer, one of kCopyBlockSize bytes is used.
    static void Copy(NStream& source, NStream& target, void* buffer = nullptr, int32_t size = 0);

private:
    NStreamImp* fStream = nullptr;
    bool fOwned = false;
};
