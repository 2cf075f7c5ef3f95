// LZSS filter that expands what is read through it from a stream holder.
#pragma once

#include "storage/NStream.h"
#include "storage/NStreamCompress.h"
#include "storage/NStreamImp.h"

/// Reads the format NStreamCompress writes (its header describes it) and stops at the
/// end marker; closing skips the rest of the marker's group, so the underlying stream is
/// left exactly after the compressed data. Read errors of the underlying stream end a
/// read quietly with what was produced so far.
class NStreamExpand : public NStreamImp {
public:
    explicit NStreamExpand(NStream& underlying);
    ~NStreamExpand() override;

    // Lifetime
    void Close() override;
    void Flush() override;

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
    bool IsReadMode() const override;
    bool IsWriteMode() const override;
    bool IsUpdateMode() const override;
    void CheckOpen() const override;

private:
    static constexpr int kGroupBytes = 16;

    // Reads the next flag byte and as much of its group as the stream holds.
    void LoadGroup();

    NStream* fUnderlying;
    uint8_t fRing[NStreamCompress::kWindowSize] = {};
    int fWritePosition = 1;
    int fCopySource = 0;
    int fCopyRemaining = 0;
    uint8_t fFlags = 0;
    uint8_t fMask = 0;          // 0 = a new flag byte is needed
    uint8_t fGroup[kGroupBytes] = {};
    int fGroupLength = 0;       // bytes of the current group that could be read
    int fGroupCursor = 0;
    bool fEnded = false;
};
