// A stream over a host file.
#include "storage/NStreamFile.h"

#include "storage/NFileException.h"

static int DispositionOf(NStreamMode mode)
{
    switch (mode) {
    case NStreamMode::kWrite: return kHostCreateNew;
    case NStreamMode::kUpdate: return kHostOpenAlways;
    default: return kHostOpenExisting;
    }
}

NStreamFile::NStreamFile(const NFileSpec& spec, NStreamMode mode)
    : fMode(mode)
    , fSpec(spec)
{
    if (!fFile.Open(fSpec.HostPath(), DispositionOf(fMode)))
        throw NFileException(fMode == NStreamMode::kWrite ? kFileCannotCreate : kFileCannotOpen, fSpec.HostPath(),
                             fFile.LastError());
}

NStreamFile::~NStreamFile()
{
    try {
        Close();
    } catch (...) {
        // Closing a file has nothing left to report to anyone.
    }
}

void NStreamFile::Close()
{
    if (!fFile.IsOpen())
        return;
    if (fModTimeSet)
        fFile.SetModTime(fModTime.fSeconds);
    fFile.Close();
}

void NStreamFile::CheckOpen() const
{
    if (!fFile.IsOpen())
        throw NFileException(kFileNotOpen, GetDisplayName());
}

int32_t NStreamFile::Read(int32_t length, void* buffer)
{
    CheckOpen();
    if (length < 1)
        return 0;
    int64_t count = fFile.Read(buffer, length);
    if (count < 0)
        throw NFileException(kFileHostFailure, GetDisplayName(), fFile.LastError());
    if (count == 0)
        throw NFileException(kFileEndOfData, GetDisplayName());
    fPosition += count;
    return static_cast<int32_t>(count);
}

int32_t NStreamFile::Write(int32_t length, const void* buffer)
{
    CheckOpen();
    if (length < 1)
        return 0;
    if (!fFile.Write(buffer, length))
        throw NFileException(kFileHostFailure, GetDisplayName(), fFile.LastError());
    fPosition += length;
    return length;
}

int64_t NStreamFile::Seek(int64_t position)
{
    CheckOpen();
    if (position < 0)
        return -1;
    if (fMode == NStreamMode::kRead) {
        int64_t size = fFile.Size();
        if (size >= 0 && position > size)
            position = size;
    }
    int64_t reached = fFile.Seek(position);
    if (reached < 0)
        return -1;
    fPosition = reached;
    return reached;
}

int64_t NStreamFile::SetLength(int64_t length)
{
    CheckOpen();
    if (fMode == NStreamMode::kRead)
        return GetLength();
    if (length < 0 || !fFile.SetEnd(length))
        throw NFileException(kFileHostFailure, GetDisplayName(), fFile.LastError());
    return length;
}

void NStreamFile::SetModTime(const NDateTime& moment)
{
    CheckOpen();
    fModTime = moment;
    fModTimeSet = true;
    fFile.SetModTime(moment.fSeconds);
}

int64_t NStreamFile::GetPosition()
{
    CheckOpen();
    return fPosition;
}

int64_t NStreamFile::GetLength()
{
    CheckOpen();
    int64_t size = fFile.Size();
    if (size < 0)
        throw NFileException(kFileHostFailure, GetDisplayName(), fFile.LastError());
    return size;
}

std::string NStreamFile::GetDisplayName() const
{
    return fSpec.DisplayName();
}

std::string NStreamFile::GetHostPath() const
{
    return fSpec.HostPath();
}
