// A read-only stream over one binder element.
#include "storage/NStreamBinder.h"

#include "storage/NBinder.h"
#include "storage/NFileException.h"

#include <algorithm>

NStreamBinder::NStreamBinder(NBinder& binder, int64_t position, int32_t size, const NFileSpec& spec)
    : fBinder(&binder)
    , fElementPosition(position)
    , fSize(size)
    , fSpec(spec)
{
    fBinder->AttachElementStream(this);
}

NStreamBinder::~NStreamBinder()
{
    Close();
}

void NStreamBinder::Close()
{
    if (fBinder)
        fBinder->DetachElementStream(this);
    fBinder = nullptr;
}

void NStreamBinder::CheckOpen() const
{
    if (!fBinder)
        throw NFileException(kFileNotOpen, GetDisplayName());
}

int32_t NStreamBinder::Read(int32_t length, void* buffer)
{
    CheckOpen();
    if (length < 1)
        return 0;
    if (fPosition >= fSize)
        throw NFileException(kFileEndOfData, GetDisplayName());
    NStream& file = fBinder->FileStream();
    file.Seek(fElementPosition + fPosition);
    int32_t wanted = static_cast<int32_t>(std::min<int64_t>(length, fSize - fPosition));
    int32_t count = file.Read(wanted, buffer);
    fPosition += count;
    return count;
}

int32_t NStreamBinder::Write(int32_t, const void*)
{
    throw NFileException(kFileElementWrite, GetDisplayName());
}

int64_t NStreamBinder::Seek(int64_t position)
{
    CheckOpen();
    // A position before the element would read the bytes of whatever lies in front of it.
    if (position < 0)
        return -1;
    fPosition = position;
    return position;
}

int64_t NStreamBinder::SetLength(int64_t length)
{
    return length;
}

int64_t NStreamBinder::GetPosition()
{
    CheckOpen();
    return fPosition;
}

int64_t NStreamBinder::GetLength()
{
    CheckOpen();
    return fSize;
}

std::string NStreamBinder::GetDisplayName() const
{
    return fSpec.DisplayName();
}

std::string NStreamBinder::GetHostPath() const
{
    return fSpec.HostPath();
}
