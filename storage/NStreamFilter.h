// The common part of the compression filters: a stream over a holder it does not own.
#pragma once

#include "storage/NStream.h"
#include "storage/NStreamImp.h"

/// Positions, lengths, names and modes are the underlying stream's; once the filter is
/// closed it forgets the holder, and then names read "<not open>". Filters cannot seek.
class NStreamFilter : public NStreamImp {
public:
    static constexpr char kNotOpenName[] = "<not open>";

    // Lifetime
    void Flush() override;

    // Transfer
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

protected:
    explicit NStreamFilter(NStream& underlying) : fUnderlying(&underlying) {}
    ~NStreamFilter() override;

    const NStreamImp* Underlying() const { return fUnderlying ? fUnderlying->Get() : nullptr; }

    NStream* fUnderlying;   // null once closed
};
