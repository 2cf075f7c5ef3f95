// An open host file over a POSIX descriptor.
#include "platform/NHostFile.h"

#include "platform/NHostDrives.h"
#include "platform/NHostFaults.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

static constexpr mode_t kNewFileMode = 0666;   // narrowed by the umask
static constexpr int64_t kMaxTransfer = int64_t(1) << 30;   // below what one read or write moves
// Every so many bytes written, the kernel is asked to start putting them on the disk. A big
// file is flushed before it is renamed into place; started early, that flush runs beside
// the writing instead of after it.
static constexpr int64_t kWriteBackStep = int64_t(8) << 20;

NHostFile::~NHostFile()
{
    Close();
}

NHostFile::NHostFile(NHostFile&& other) noexcept
    : fDescriptor(std::exchange(other.fDescriptor, -1)), fLastError(other.fLastError)
{
}

NHostFile& NHostFile::operator=(NHostFile&& other) noexcept
{
    if (this != &other) {
        Close();
        fDescriptor = std::exchange(other.fDescriptor, -1);
        fLastError = other.fLastError;
    }
    return *this;
}

bool NHostFile::Open(const std::string& hostPath, int disposition)
{
    Close();
    int flags = 0;
    switch (disposition) {
    case kHostOpenExisting:
        flags = O_RDONLY;
        break;
    case kHostCreateNew:
        flags = O_WRONLY | O_CREAT | O_EXCL;
        break;
    case kHostOpenAlways:
        flags = O_RDWR | O_CREAT;
        break;
    default:
        fLastError = EINVAL;
        return false;
    }
    std::string path;
    if (!NHostDrives::The().ToLinux(hostPath, path)) {
        fLastError = ENOENT;
        return false;
    }

    // O_NONBLOCK keeps a FIFO or device from blocking the open; only regular files are kept.
    int descriptor;
    do {
        descriptor = open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, kNewFileMode);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        fLastError = errno;
        return false;
    }
    struct stat status {};
    if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        fLastError = S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        close(descriptor);
        return false;
    }
    fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    fDescriptor = descriptor;
    fLastError = 0;
    fNotWrittenBack = 0;
    return true;
}

void NHostFile::Close()
{
    // Not retried on EINTR: Linux releases the descriptor even then.
    if (fDescriptor >= 0)
        close(fDescriptor);
    fDescriptor = -1;
}

int64_t NHostFile::Read(void* buffer, int64_t length)
{
    if (fDescriptor < 0 || length < 0) {
        fLastError = fDescriptor < 0 ? EBADF : EINVAL;
        return -1;
    }
    // Fills the buffer unless the end comes first, so a short count always means the end.
    char* bytes = static_cast<char*>(buffer);
    int64_t done = 0;
    while (done < length) {
        ssize_t count = read(fDescriptor, bytes + done, std::min(length - done, kMaxTransfer));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            fLastError = errno;
            return -1;
        }
        if (count == 0)
            break;
        done += count;
    }
    return done;
}

bool NHostFile::Write(const void* buffer, int64_t length)
{
    if (fDescriptor < 0 || length < 0) {
        fLastError = fDescriptor < 0 ? EBADF : EINVAL;
        return false;
    }
    const char* bytes = static_cast<const char*>(buffer);
    int64_t done = 0;
    switch (NHostFaults::Next()) {
    case NHostFaults::Action::kFail:
        fLastError = errno;
        return false;
    case NHostFaults::Action::kKill:
        // A torn write: the first half reaches the file.
        if (length > 1 && write(fDescriptor, bytes, static_cast<size_t>(length / 2)) < 0) {
        }
        NHostFaults::Kill();
    case NHostFaults::Action::kNone:
        break;
    }
    while (done < length) {
        ssize_t count = write(fDescriptor, bytes + done, std::min(length - done, kMaxTransfer));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            fLastError = count < 0 ? errno : ENOSPC;
            return false;
        }
        done += count;
    }
    fNotWrittenBack += length;
    if (fNotWrittenBack >= kWriteBackStep) {
        fNotWrittenBack = 0;
        // Only a hint: where it is not supported the final flush does all the work.
        static_cast<void>(sync_file_range(fDescriptor, 0, 0, SYNC_FILE_RANGE_WRITE));
    }
    return true;
}

int64_t NHostFile::Seek(int64_t position)
{
    if (fDescriptor < 0 || position < 0) {
        fLastError = fDescriptor < 0 ? EBADF : EINVAL;
        return -1;
    }
    off_t result = lseek(fDescriptor, static_cast<off_t>(position), SEEK_SET);
    if (result < 0) {
        fLastError = errno;
        return -1;
    }
    return static_cast<int64_t>(result);
}

bool NHostFile::SetEnd(int64_t length)
{
    if (fDescriptor < 0 || length < 0) {
        fLastError = fDescriptor < 0 ? EBADF : EINVAL;
        return false;
    }
    switch (NHostFaults::Next(length <= Size())) {
    case NHostFaults::Action::kFail:
        fLastError = errno;
        return false;
    case NHostFaults::Action::kKill:
        NHostFaults::Kill();
    case NHostFaults::Action::kNone:
        break;
    }
    int result;
    do {
        result = ftruncate(fDescriptor, static_cast<off_t>(length));
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        fLastError = errno;
    return result == 0;
}

int64_t NHostFile::Size() const
{
    struct stat status {};
    if (fDescriptor < 0 || fstat(fDescriptor, &status) != 0)
        return -1;
    return static_cast<int64_t>(status.st_size);
}

bool NHostFile::SetModTime(int64_t seconds)
{
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;   // the access time stays
    times[1].tv_sec = static_cast<time_t>(seconds);
    if (fDescriptor < 0 || futimens(fDescriptor, times) != 0) {
        fLastError = fDescriptor < 0 ? EBADF : errno;
        return false;
    }
    return true;
}

bool NHostFile::Sync()
{
    if (fDescriptor < 0) {
        fLastError = EBADF;
        return false;
    }
    switch (NHostFaults::Next()) {
    case NHostFaults::Action::kFail:
        fLastError = errno;
        return false;
    case NHostFaults::Action::kKill:
        NHostFaults::Kill();
    case NHostFaults::Action::kNone:
        break;
    }
    if (fsync(fDescriptor) != 0) {
        fLastError = errno;
        return false;
    }
    return true;
}

bool NHostFile::IsStillAt(const std::string& hostPath) const
{
    struct stat open {};
    struct stat named {};
    std::string path;
    return fDescriptor >= 0 && NHostDrives::The().ToLinux(hostPath, path) && fstat(fDescriptor, &open) == 0
        && stat(path.c_str(), &named) == 0 && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

bool NHostFile::TryLock()
{
    if (fDescriptor < 0) {
        fLastError = EBADF;
        return false;
    }
    int result;
    do {
        result = flock(fDescriptor, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0)
        fLastError = errno;
    return result == 0;
}
