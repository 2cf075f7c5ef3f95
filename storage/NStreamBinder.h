// A read-only stream over one element of an open binder.
#pragma once

#include "storage/NFileSpec.h"
#include "storage/NStreamImp.h"

class NBinder;

/// Reads go straight to the binder's file at the element's place. The binder drops its
/// element streams when it closes; they then report kFileNotOpen.
class NStreamBinder : public NStreamImp {
public:
    NStreamBinder(NBinder& binder, int64_t position, int32_t size, const NFileSpec& spec);
    ~NStreamBinder() override;

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
    bool IsReadMode() const override { return true; }
    bool IsWriteMode() const override { return false; }
    bool IsUpdateMode() const override { return false; }
    void CheckOpen() const override;

private:
    friend class NBinder;
    void DropReference() { fBinder = nullptr; }

    NBinder* fBinder;
    int64_t fElementPosition;
    int32_t fSize;
    int64_t fPosition = 0;
    NFileSpec fSpec;
};
