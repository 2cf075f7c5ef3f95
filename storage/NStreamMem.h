// A stream over a caller-owned memory block, or one that only counts what would be written.
#pragma once

#include "storage/NStreamImp.h"

/// Read or write mode over a block of fixed capacity; without a block the stream counts:
/// writes store nothing, and the length is the largest position written, that is the
/// size the same writes would take in a file.
class NStreamMem : public NStreamImp {
public:
    NStreamMem(void* block, int64_t capacity, NStreamMode mode);
    /// The counting form.
    NStreamMem();
    ~NStreamMem() override;

    // Lifetime
    void Close() override;

    // Transfer
    int32_t Read(int32_t length, void* buffer) override;
    int32_t Write(int32_t length, const void* buffer) override;
    int64_t Seek(int64_t position) override;
    int64_t SetLength(int64_t length) override;

    // Queries
    int64_t GetPosition() override;
    int64_t GetLength() override;
    std::string GetDisplayName() const override;
    std::string GetHostPath() const override;
    bool IsReadMode() const override { return fMode == NStreamMode::kRead; }
    bool IsWriteMode() const override { return fMode == NStreamMode::kWrite; }
    bool IsUpdateMode() const override { return false; }
    void CheckOpen() const override;

private:
    bool Counting() const { return fBlock == nullptr; }

    uint8_t* fBlock;
    int64_t fCapacity;
    NStreamMode fMode;
    int64_t fPosition = 0;
    int64_t fLargest = 0;
    bool fOpen = true;
};
