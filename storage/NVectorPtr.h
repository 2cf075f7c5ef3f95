// Intrusive counted handles for shared records.
#pragma once

#include <cstdint>
#include <limits>
#include <utility>

/// Base of every shared record. The holder count starts at kNoHolders; each holder adds
/// one, and the release that brings it back to kNoHolders destroys the record. A release
/// at or below kNoHolders does nothing, so a record nobody holds is never freed twice.
class NCountedRecord {
public:
    static constexpr int16_t kNoHolders = 9216;   // 0x2400

    int16_t HolderCount() const { return fHolderCount; }

protected:
    NCountedRecord() = default;
    NCountedRecord(const NCountedRecord&) {}   // a copy starts with no holders of its own
    NCountedRecord& operator=(const NCountedRecord&) { return *this; }
    ~NCountedRecord() = default;

private:
    template <class T> friend class NVectorPtr;

    void AddHolder()
    {
        // Saturate rather than wrap: a record held that often simply lives on.
        if (fHolderCount < std::numeric_limits<int16_t>::max())
            ++fHolderCount;
    }
    // True when the record must be destroyed.
    bool DropHolder()
    {
        if (fHolderCount <= kNoHolders || fHolderCount == std::numeric_limits<int16_t>::max())
            return false;
        return --fHolderCount == kNoHolders;
    }

    int16_t fHolderCount = kNoHolders;
};

/// A handle that holds one counted record of type T (which derives from NCountedRecord).
template <class T>
class NVectorPtr {
public:
    NVectorPtr() = default;
    explicit NVectorPtr(T* record) : fRecord(record) { Hold(); }
    NVectorPtr(const NVectorPtr& other) : fRecord(other.fRecord) { Hold(); }
    NVectorPtr(NVectorPtr&& other) noexcept : fRecord(std::exchange(other.fRecord, nullptr)) {}
    ~NVectorPtr() { Release(); }

    NVectorPtr& operator=(const NVectorPtr& other)
    {
        if (fRecord != other.fRecord) {
            NVectorPtr copy(other);
            Swap(copy);
        }
        return *this;
    }
    NVectorPtr& operator=(NVectorPtr&& other) noexcept
    {
        if (this != &other) {
            Release();
            fRecord = std::exchange(other.fRecord, nullptr);
        }
        return *this;
    }

    /// Drops this handle's hold; the record is destroyed when it was the last holder.
    void Release()
    {
        T* record = std::exchange(fRecord, nullptr);
        if (record && record->DropHolder())
            Destroy(record);
    }

    void Swap(NVectorPtr& other) noexcept { std::swap(fRecord, other.fRecord); }

    T* Get() const { return fRecord; }
    T* operator->() const { return fRecord; }
    T& operator*() const { return *fRecord; }
    explicit operator bool() const { return fRecord != nullptr; }
    bool operator==(const NVectorPtr& other) const { return fRecord == other.fRecord; }

private:
    // Kept out of line: inlined, the compiler cannot see that a record is only deleted by
    // its last holder and warns about every other holder's later release.
    [[gnu::noinline]] static void Destroy(T* record) { delete record; }

    void Hold()
    {
        if (fRecord)
            fRecord->AddHolder();
    }

    T* fRecord = nullptr;
};
