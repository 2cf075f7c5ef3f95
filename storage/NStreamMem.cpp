// Memory and counting streams.
#include "storage/NStreamMem.h"

#include "storage/NFileException.h"

#include <algorithm>
#include <cstring>

static constexpr char kMemName[] = "memfile";

NStreamMem::NStreamMem(void* block, int64_t capacity, NStreamMode mode)
    : fBlock(static_cast<uint8_t*>(block))
    , fCapacity(std::max<int64_t>(capacity, 0))
    , fMode(mode == NStreamMode::kRead ? NStreamMode::kRead : NStreamMode::kWrite)
{
}

NStreamMem::NStreamMem()
    : fBlock(nullptr)
    , fCapacity(0)
    , fMode(NStreamMode::kWrite)
{
}

NStreamMem::~NStreamMem() = default;

void NStreamMem::Close()
{
    fOpen = false;
}

void NStreamMem::CheckOpen() const
{
    if (!fOpen || (fMode == NStreamMode::kRead && Counting()))
        throw NFileException(kFileNotOpen, kMemName);
}

int32_t NStreamMem::Read(int32_t length, void* buffer)
{
    CheckOpen();
    if (fMode != NStreamMode::kRead || length < 1)
        return 0;
    if (fPosition >= fCapacity)
        throw NFileException(kFileEndOfData, kMemName);
    int32_t count = static_cast<int32_t>(std::min<int64_t>(length, fCapacity - fPosition));
    std::memcpy(buffer, fBlock + fPosition, static_cast<size_t>(count));
    fPosition += count;
    return count;
}

int32_t NStreamMem::Write(int32_t length, const void* buffer)
{
    CheckOpen();
    if (fMode != NStreamMode::kWrite || length < 1)
        return 0;
    if (Counting()) {
        fPosition += length;
        fLargest = std::max(fLargest, fPosition);
        return length;
    }
    if (fPosition >= fCapacity)
        throw NFileException(kFileEndOfData, kMemName);
    int32_t count = static_cast<int32_t>(std::min<int64_t>(length, fCapacity - fPosition));
    std::memcpy(fBlock + fPosition, buffer, static_cast<size_t>(count));
    fPosition += count;
    fLargest = std::max(fLargest, fPosition);
    return count;
}

int64_t NStreamMem::Seek(int64_t position)
{
    CheckOpen();
    if (position < 0)
        return -1;
    fPosition = Counting() ? position : std::min(position, fCapacity);
    return fPosition;
}

int64_t NStreamMem::SetLength(int64_t length)
{
    return length;
}

int64_t NStreamMem::GetPosition()
{
    CheckOpen();
    return fPosition;
}

int64_t NStreamMem::GetLength()
{
    CheckOpen();
    return Counting() ? fLargest : fCapacity;
}

std::string NStreamMem::GetDisplayName() const
{
    return kMemName;
}

std::string NStreamMem::GetHostPath() const
{
    return kMemName;
}
