// The common part of the compression filters.
#include "storage/NStreamFilter.h"

#include "storage/NFileException.h"

NStreamFilter::~NStreamFilter() = default;

void NStreamFilter::CheckOpen() const
{
    if (!fUnderlying)
        throw NFileException(kFileNotOpen, kNotOpenName);
}

void NStreamFilter::Flush()
{
    CheckOpen();
    fUnderlying->Flush();
}

int64_t NStreamFilter::Seek(int64_t)
{
    throw NFileException(kFileHostFailure, GetDisplayName());
}

int64_t NStreamFilter::SetLength(int64_t length)
{
    return length;
}

int64_t NStreamFilter::GetPosition()
{
    CheckOpen();
    return fUnderlying->GetPosition();
}

int64_t NStreamFilter::GetLength()
{
    CheckOpen();
    return fUnderlying->GetLength();
}

std::string NStreamFilter::GetDisplayName() const
{
    return Underlying() ? Underlying()->GetDisplayName() : kNotOpenName;
}

std::string NStreamFilter::GetHostPath() const
{
    return Underlying() ? Underlying()->GetHostPath() : kNotOpenName;
}

bool NStreamFilter::IsReadMode() const
{
    return Underlying() && Underlying()->IsReadMode();
}

bool NStreamFilter::IsWriteMode() const
{
    return Underlying() && Underlying()->IsWriteMode();
}

bool NStreamFilter::IsUpdateMode() const
{
    return Underlying() && Underlying()->IsUpdateMode();
}
