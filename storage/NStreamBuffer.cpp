// A buffering filter over another stream.
#include "storage/NStreamBuffer.h"

#include "storage/NFileException.h"

#include <algorithm>
#include <cstring>

static constexpr char kUnopenedName[] = "unopened";
static constexpr int32_t kDirectThreshold = NStreamBuffer::kBufferSize - 1;

// 1-, 2- and 4-byte values dominate the formats; copy those without a call.
static inline void CopySmall(uint8_t* to, const uint8_t* from, int32_t length)
{
    switch (length) {
    case 4: to[3] = from[3]; to[2] = from[2]; [[fallthrough]];
    case 2: to[1] = from[1]; [[fallthrough]];
    case 1: to[0] = from[0]; break;
    default: std::memcpy(to, from, static_cast<size_t>(length)); break;
    }
}

NStreamBuffer::NStreamBuffer(std::unique_ptr<NStreamImp> inner)
    : fInner(std::move(inner))
{
    if (fInner && !fInner->IsUpdateMode()) {
        fBuffer = std::make_unique<uint8_t[]>(kBufferSize);
        fReading = fInner->IsReadMode();
    }
}

NStreamBuffer::~NStreamBuffer()
{
    try {
        Close();
    } catch (...) {
        // The destructor has nobody to report to; the data that could be passed on was.
    }
}

void NStreamBuffer::CheckOpen() const
{
    if (!fInner)
        throw NFileException(kFileNotOpen, kUnopenedName);
    fInner->CheckOpen();
}

void NStreamBuffer::PassOn()
{
    if (fPending == 0)
        return;
    try {
        int32_t done = 0;
        while (done < fPending) {
            int32_t count = fInner->Write(fPending - done, fBuffer.get() + done);
            if (count <= 0)
                throw NFileException(kFileHostFailure, GetDisplayName());
            done += count;
        }
        fPending = 0;
    } catch (...) {
        fPending = 0;
        fInner->Close();
        throw;
    }
}

void NStreamBuffer::Flush()
{
    CheckOpen();
    if (Buffering()) {
        if (fReading) {
            fCursor = 0;
            fPending = 0;
        } else {
            PassOn();
        }
    }
    fInner->Flush();
}

void NStreamBuffer::Close()
{
    if (!fInner)
        return;
    try {
        fInner->CheckOpen();
    } catch (const NFileException&) {
        return;   // already closed
    }
    try {
        Flush();
    } catch (...) {
        fInner->Close();
        throw;
    }
    fInner->Close();
}

int32_t NStreamBuffer::Read(int32_t length, void* buffer)
{
    CheckOpen();
    if (!Buffering())
        return fInner->Read(length, buffer);
    if (!fReading) {
        Flush();
        return fInner->Read(length, buffer);
    }
    if (length < 1)
        return 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (length <= fPending) {
        CopySmall(bytes, fBuffer.get() + fCursor, length);
        fCursor += length;
        fPending -= length;
        return length;
    }
    return ReadSlow(length, bytes);
}

int32_t NStreamBuffer::ReadSlow(int32_t length, uint8_t* bytes)
{
    int32_t done = fPending;
    std::memcpy(bytes, fBuffer.get() + fCursor, static_cast<size_t>(fPending));
    fCursor = 0;
    fPending = 0;
    try {
        while (done < length) {
            int32_t remaining = length - done;
            if (remaining > kDirectThreshold) {
                int32_t count = fInner->Read(remaining, bytes + done);
                if (count <= 0)
                    break;
                done += count;
            } else {
                int32_t count = fInner->Read(kBufferSize, fBuffer.get());
                if (count <= 0)
                    break;
                int32_t take = std::min(count, remaining);
                std::memcpy(bytes + done, fBuffer.get(), static_cast<size_t>(take));
                done += take;
                fCursor = take;
                fPending = count - take;
            }
        }
    } catch (const NFileException& error) {
        if (!error.IsEndOfData())
            throw;
        if (done == 0)
            throw NFileException(kFileEndOfData, GetDisplayName());
    }
    if (done == 0)
        throw NFileException(kFileEndOfData, GetDisplayName());
    return done;
}

int32_t NStreamBuffer::Write(int32_t length, const void* buffer)
{
    CheckOpen();
    if (!Buffering())
        return fInner->Write(length, buffer);
    if (fReading) {
        // Put the inner stream where the reader is before writing there.
        int64_t position = GetPosition();
        Flush();
        fInner->Seek(position);
        return fInner->Write(length, buffer);
    }
    if (length < 1)
        return 0;
    auto* bytes = static_cast<const uint8_t*>(buffer);
    if (length < kBufferSize - fPending) {
        CopySmall(fBuffer.get() + fPending, bytes, length);
        fPending += length;
        return length;
    }
    int32_t fill = kBufferSize - fPending;
    std::memcpy(fBuffer.get() + fPending, bytes, static_cast<size_t>(fill));
    fPending = kBufferSize;
    PassOn();
    int32_t remaining = length - fill;
    if (remaining > kDirectThreshold) {
        int32_t done = 0;
        while (done < remaining) {
            int32_t count = fInner->Write(remaining - done, bytes + fill + done);
            if (count <= 0)
                throw NFileException(kFileHostFailure, GetDisplayName());
            done += count;
        }
    } else {
        std::memcpy(fBuffer.get(), bytes + fill, static_cast<size_t>(remaining));
        fPending = remaining;
    }
    return length;
}

int64_t NStreamBuffer::GetPosition()
{
    CheckOpen();
    if (!Buffering())
        return fInner->GetPosition();
    return fReading ? fInner->GetPosition() - fPending : fInner->GetPosition() + fPending;
}

int64_t NStreamBuffer::Seek(int64_t position)
{
    CheckOpen();
    if (!Buffering())
        return fInner->Seek(position);
    int64_t current = GetPosition();
    if (fReading && position >= current && position - current <= fPending) {
        int32_t skip = static_cast<int32_t>(position - current);
        fCursor += skip;
        fPending -= skip;
        return position;
    }
    Flush();
    int64_t reached = fInner->Seek(position);
    if (reached == -1)
        fInner->Seek(current);
    return reached;
}

int64_t NStreamBuffer::SetLength(int64_t length)
{
    CheckOpen();
    if (!Buffering())
        return fInner->SetLength(length);
    Flush();
    int64_t result = fInner->SetLength(length);
    fInner->Seek(length);
    return result;
}

int64_t NStreamBuffer::GetLength()
{
    CheckOpen();
    if (!Buffering())
        return fInner->GetLength();
    int64_t position = GetPosition();
    Flush();
    fInner->Seek(position);
    return fInner->GetLength();
}

void NStreamBuffer::SetModTime(const NDateTime& moment)
{
    CheckOpen();
    fInner->SetModTime(moment);
}

std::string NStreamBuffer::GetDisplayName() const
{
    return fInner ? fInner->GetDisplayName() : kUnopenedName;
}

std::string NStreamBuffer::GetHostPath() const
{
    return fInner ? fInner->GetHostPath() : kUnopenedName;
}

bool NStreamBuffer::IsReadMode() const
{
    return fInner && fInner->IsReadMode();
}

bool NStreamBuffer::IsWriteMode() const
{
    return fInner && fInner->IsWriteMode();
}

bool NStreamBuffer::IsUpdateMode() const
{
    return fInner && fInner->IsUpdateMode();
}
