// LZSS filter that expands what is read through it from a stream holder.
#pragma once

#include "storage/NStreamCompress.h"
#include "storage/NStreamFilter.h"

/// Reads the format NStreamCompress writes (its header describes it) and stops at the
/// end marker; closing skips the rest of the marker's group, so the underlying stream is
/// left exactly after the compressed data. Read errors of the underlying stream end a
/// read quietly with what was produced so far.
class NStreamExpand : public NStreamFilter {
public:
    explicit NStreamExpand(NStream& underlying);
    ~NStreamExpand() override;

    // Lifetime
    void Close() override;

    // Transfer
    int32_t Read(int32_t length, void* buffer) override;
    int32_t Write(int32_t length, const void* buffer) override;

    /// True once the end marker was read: the data was complete. Damaged or cut-off input
    /// ends reads quietly without it.
    bool ReachedEnd() const { return fEnded; }

private:
    static constexpr int kGroupBytes = 16;

    // Reads the next flag byte and as much of its group as the stream holds.
    void LoadGroup();

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
