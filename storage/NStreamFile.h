// A stream over a host file.
#pragma once

#include "storage/NFileSpec.h"
#include "storage/NStreamImp.h"
#include "platform/NHostFile.h"

/// Read mode opens an existing file; write mode creates a new one and fails on an existing
/// file; update mode opens the file when it exists, else creates it. Opening failures throw
/// kFileCannotOpen (read, update) or kFileCannotCreate (write) with the host path.
class NStreamFile : public NStreamImp {
public:
    NStreamFile(const NFileSpec& spec, NStreamMode mode);
    ~NStreamFile() override;

    // Lifetime
    void Close() override;

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
    bool IsReadMode() const override { return fMode == NStreamMode::kRead; }
    bool IsWriteMode() const override { return fMode == NStreamMode::kWrite; }
    bool IsUpdateMode() const override { return fMode == NStreamMode::kUpdate; }
    void CheckOpen() const override;

private:
    NStreamMode fMode;
    NFileSpec fSpec;
    NHostFile fFile;
    int64_t fPosition = 0;
    // A time set while writing is applied again at close, after the last write.
    NDateTime fModTime;
    bool fModTimeSet = false;
};
