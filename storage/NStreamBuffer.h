// A buffering filter that makes small reads and writes cheap.
#pragma once

#include "storage/NStreamImp.h"

#include <memory>

/// Owns its inner stream. Read mode serves reads from a 1024-byte buffer, write mode
/// gathers writes in it; transfers of 1024 bytes and more bypass it. Over an update-mode
/// stream there is no buffer and every operation passes straight through.
class NStreamBuffer : public NStreamImp {
public:
    static constexpr int32_t kBufferSize = 1024;

    explicit NStreamBuffer(std::unique_ptr<NStreamImp> inner);
    ~NStreamBuffer() override;

    // Lifetime
    void Close() override;
    void Flush() override;

    // Transfer
    int32_t Read(int32_t length, void* buffer) override;
    int32_t Write(int32_t length, const void* buffer) override;
    int64_t Seek(int64_t position) override;
    int64_t SetLength(int64_t length) override;
    void SetModTime(const NDateTime& moment) override;

    // Queries
    int64_t GetPosition() override;
    int64_t GetLength() override;
    std::string GetDisplayName() const override;
    std::string GetHostPath() const override;
    bool IsReadMode() const override;
    bool IsWriteMode() const override;
    bool IsUpdateMode() const override;
    void CheckOpen() const override;

private:
    bool Buffering() const { return fBuffer != nullptr; }
    int32_t ReadSlow(int32_t length, uint8_t* bytes);
    // Passes the pending written bytes on; on failure drops them and closes the inner stream.
    void PassOn();

    std::unique_ptr<NStreamImp> fInner;
    std::unique_ptr<uint8_t[]> fBuffer;
    bool fReading = false;
    int32_t fCursor = 0;    // read mode: index of the next unread byte
    int32_t fPending = 0;   // read mode: bytes unread; write mode: bytes not yet passed on
};
