// Streams for tests and fuzz targets: bytes in memory, and a wrapper that moves one byte a call.
#pragma once

#include "storage/NFileException.h"
#include "storage/NStreamImp.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

/// A seekable stream over a byte vector, in read, write or update mode.
class NTestByteStream : public NStreamImp {
public:
    explicit NTestByteStream(std::vector<uint8_t> bytes = {}, NStreamMode mode = NStreamMode::kRead)
        : fBytes(std::move(bytes)), fMode(mode) {}
    NTestByteStream(const uint8_t* data, size_t size)
        : fBytes(data, data + size) {}

    void Close() override { fOpen = false; }
    int32_t Read(int32_t length, void* buffer) override
    {
        CheckOpen();
        if (length < 1)
            return 0;
        if (fPosition >= fBytes.size())
            throw NFileException(kFileEndOfData, GetDisplayName());
        size_t count = std::min<size_t>(static_cast<size_t>(length), fBytes.size() - fPosition);
        std::memcpy(buffer, fBytes.data() + fPosition, count);
        fPosition += count;
        return static_cast<int32_t>(count);
    }
    int32_t Write(int32_t length, const void* buffer) override
    {
        CheckOpen();
        if (fMode == NStreamMode::kRead)
            throw NFileException(kFileHostFailure, GetDisplayName());
        if (length < 1)
            return 0;
        if (fPosition + static_cast<size_t>(length) > fBytes.size())
            fBytes.resize(fPosition + static_cast<size_t>(length));
        std::memcpy(fBytes.data() + fPosition, buffer, static_cast<size_t>(length));
        fPosition += static_cast<size_t>(length);
        return length;
    }
    int64_t Seek(int64_t position) override
    {
        CheckOpen();
        if (position < 0)
            return -1;
        fPosition = static_cast<size_t>(position);
        return position;
    }
    int64_t SetLength(int64_t length) override
    {
        CheckOpen();
        fBytes.resize(static_cast<size_t>(length));
        return length;
    }
    int64_t GetPosition() override { CheckOpen(); return static_cast<int64_t>(fPosition); }
    int64_t GetLength() override { CheckOpen(); return static_cast<int64_t>(fBytes.size()); }
    std::string GetDisplayName() const override { return "memory"; }
    std::string GetHostPath() const override { return "memory"; }
    bool IsReadMode() const override { return fMode == NStreamMode::kRead; }
    bool IsWriteMode() const override { return fMode == NStreamMode::kWrite; }
    bool IsUpdateMode() const override { return fMode == NStreamMode::kUpdate; }
    void CheckOpen() const override
    {
        if (!fOpen)
            throw NFileException(kFileNotOpen, GetDisplayName());
    }

    const std::vector<uint8_t>& Bytes() const { return fBytes; }

private:
    std::vector<uint8_t> fBytes;
    NStreamMode fMode = NStreamMode::kRead;
    size_t fPosition = 0;
    bool fOpen = true;
};

/// Passes everything to an inner stream it owns, but reads and writes at most one byte
/// per call, so callers that assume whole transfers show themselves.
class NTrickleStream : public NStreamImp {
public:
    explicit NTrickleStream(std::unique_ptr<NStreamImp> inner) : fInner(std::move(inner)) {}
    ~NTrickleStream() override
    {
        try {
            Close();
        } catch (...) {
        }
    }

    void Close() override { fInner->Close(); }
    void Flush() override { fInner->Flush(); }
    int32_t Read(int32_t length, void* buffer) override { return fInner->Read(std::min(length, 1), buffer); }
    int32_t Write(int32_t length, const void* buffer) override { return fInner->Write(std::min(length, 1), buffer); }
    int64_t Seek(int64_t position) override { return fInner->Seek(position); }
    int64_t SetLength(int64_t length) override { return fInner->SetLength(length); }
    void SetModTime(const NDateTime& moment) override { fInner->SetModTime(moment); }
    int64_t GetPosition() override { return fInner->GetPosition(); }
    int64_t GetLength() override { return fInner->GetLength(); }
    std::string GetDisplayName() const override { return fInner->GetDisplayName(); }
    std::string GetHostPath() const override { return fInner->GetHostPath(); }
    bool IsReadMode() const override { return fInner->IsReadMode(); }
    bool IsWriteMode() const override { return fInner->IsWriteMode(); }
    bool IsUpdateMode() const override { return fInner->IsUpdateMode(); }
    void CheckOpen() const override { fInner->CheckOpen(); }

private:
    std::unique_ptr<NStreamImp> fInner;
};
