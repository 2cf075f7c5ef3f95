// Host file-system operations by host path over POSIX calls.
#include "platform/NHostFileSystem.h"

#include "platform/NHostDrives.h"
#include "platform/NHostFaults.h"
#include "platform/NHostTime.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

static constexpr mode_t kFolderMode = 0777;    // narrowed by the umask
static constexpr mode_t kNewFileMode = 0666;   // narrowed by the umask
static constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
static constexpr mode_t kPermissionBits = 07777;
static constexpr size_t kTempPrefixLength = 3;
static constexpr unsigned kUtf8TailMask = 0xC0;   // a UTF-8 continuation byte is 10xxxxxx
static constexpr unsigned kUtf8Tail = 0x80;
static constexpr uint32_t kTempNumberLimit = 0x10000;   // numbers 1..FFFF, as four hex digits
static constexpr size_t kLinkStart = 256;
static constexpr std::string_view kSystemDirectory = "C:\\windows\\system";

static int sLastError = 0;

// Asks the fault plan before a change; false when the change is to fail.
static bool MayChange(bool freesSpace = false)
{
    switch (NHostFaults::Next(freesSpace)) {
    case NHostFaults::Action::kFail:
        sLastError = errno;
        return false;
    case NHostFaults::Action::kKill:
        NHostFaults::Kill();
    case NHostFaults::Action::kNone:
        break;
    }
    return true;
}

static bool Failed()
{
    sLastError = errno;
    return false;
}

static bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

static bool Map(const std::string& hostPath, std::string& linuxPath)
{
    return NHostDrives::The().ToLinux(hostPath, linuxPath);
}

// ".." never climbs above a drive root, so only at a root does it map to the same folder.
static bool IsDriveRoot(const std::string& hostPath)
{
    std::string self;
    std::string parent;
    return Map(hostPath, self) && Map(hostPath + "\\..", parent) && self == parent;
}

// Splits "C:\a\b\" into "C:\a\" and "b"; false when there is no separator.
static bool SplitLast(const std::string& hostPath, std::string& parent, std::string& name)
{
    size_t end = hostPath.size();
    while (end > 0 && IsSeparator(hostPath[end - 1]))
        --end;
    size_t start = end;
    while (start > 0 && !IsSeparator(hostPath[start - 1]))
        --start;
    if (start == 0)
        return false;
    parent = hostPath.substr(0, start);
    name = hostPath.substr(start, end - start);
    return true;
}

static std::string Hex(uint32_t number)
{
    char text[16];
    snprintf(text, sizeof text, "%X", number);
    return text;
}

bool NHostFileSystem::Stat(const std::string& hostPath, NHostStat& status)
{
    std::string path;
    struct stat info {};
    if (!Map(hostPath, path) || stat(path.c_str(), &info) != 0)
        return false;
    status = NHostStat();
    status.fIsDirectory = S_ISDIR(info.st_mode);
    status.fHidden = path[path.rfind('/') + 1] == '.' && !IsDriveRoot(hostPath);
    // From the mode bits, not access(): root may write anything, read-only files included.
    status.fReadOnly = (info.st_mode & S_IWUSR) == 0;
    status.fReadable = access(path.c_str(), R_OK) == 0;
    status.fWritable = !status.fReadOnly && access(path.c_str(), W_OK) == 0;
    status.fSize = status.fIsDirectory ? 0 : static_cast<int64_t>(info.st_size);
    status.fModTime = static_cast<int64_t>(info.st_mtim.tv_sec);
    status.fChangeTime = static_cast<int64_t>(info.st_ctim.tv_sec);
    return true;
}

bool NHostFileSystem::IsDirectory(const std::string& hostPath)
{
    NHostStat status;
    return Stat(hostPath, status) && status.fIsDirectory;
}

bool NHostFileSystem::CreateDirectory(const std::string& hostPath)
{
    std::string path;
    return Map(hostPath, path) && mkdir(path.c_str(), kFolderMode) == 0;
}

bool NHostFileSystem::RemoveDirectory(const std::string& hostPath)
{
    std::string path;
    return Map(hostPath, path) && !IsDriveRoot(hostPath) && rmdir(path.c_str()) == 0;
}

bool NHostFileSystem::DeleteFile(const std::string& hostPath)
{
    std::string path;
    struct stat info {};
    if (!Map(hostPath, path) || lstat(path.c_str(), &info) != 0)
        return Failed();
    if (S_ISDIR(info.st_mode)) {
        sLastError = EISDIR;
        return false;
    }
    if (!MayChange(true))
        return false;
    return unlink(path.c_str()) == 0 || Failed();
}

bool NHostFileSystem::Rename(const std::string& fromHostPath, const std::string& toHostPath)
{
    std::string from;
    std::string to;
    struct stat info {};
    if (!Map(fromHostPath, from) || !Map(toHostPath, to) || IsDriveRoot(fromHostPath) ||
        lstat(from.c_str(), &info) != 0)
        return false;
    if (to == from) {
        // The target names the source itself in other case: a change of case only,
        // so the last name is taken as given.
        std::string parent;
        std::string name;
        if (!SplitLast(toHostPath, parent, name) || name == "." || name == ".." ||
            !Map(parent, to))
            return false;
        to += to.back() == '/' ? name : "/" + name;
        if (to == from)
            return true;
    } else if (lstat(to.c_str(), &info) == 0) {
        sLastError = EEXIST;
        return false;
    }
    if (!MayChange())
        return false;
#ifdef RENAME_NOREPLACE
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    // Some file systems do not support the flag; the check above has to do there.
    if (errno != EINVAL && errno != ENOSYS)
        return false;
#endif
    return rename(from.c_str(), to.c_str()) == 0 || Failed();
}

bool NHostFileSystem::Replace(const std::string& fromHostPath, const std::string& toHostPath)
{
    std::string from;
    std::string to;
    if (!Map(fromHostPath, from) || !Map(toHostPath, to)) {
        sLastError = ENOENT;
        return false;
    }
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        sLastError = EISDIR;
        return false;
    }
    if (!MayChange())
        return false;
    return rename(from.c_str(), to.c_str()) == 0 || Failed();
}

static bool SyncPath(const std::string& path, int flags)
{
    if (!MayChange())
        return false;
    int descriptor = open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0)
        return Failed();
    bool synced = fsync(descriptor) == 0 || Failed();
    close(descriptor);
    return synced;
}

bool NHostFileSystem::SyncFile(const std::string& hostPath)
{
    std::string path;
    if (!Map(hostPath, path)) {
        sLastError = ENOENT;
        return false;
    }
    return SyncPath(path, O_RDONLY);
}

bool NHostFileSystem::SyncFolderOf(const std::string& hostPath)
{
    std::string path;
    if (!Map(hostPath, path)) {
        sLastError = ENOENT;
        return false;
    }
    size_t slash = path.rfind('/');
    return SyncPath(slash == 0 ? "/" : path.substr(0, slash), O_RDONLY | O_DIRECTORY);
}

std::string NHostFileSystem::SiblingTempName(const std::string& name)
{
    return name + ".~" + std::to_string(getpid()) + ".tmp";
}

int NHostFileSystem::LastError()
{
    return sLastError;
}

bool NHostFileSystem::SetReadOnly(const std::string& hostPath, bool readOnly)
{
    std::string path;
    struct stat info {};
    if (!Map(hostPath, path) || stat(path.c_str(), &info) != 0)
        return false;
    mode_t mode = info.st_mode & kPermissionBits;
    mode = readOnly ? (mode & ~kAnyWrite) : (mode | S_IWUSR);
    return chmod(path.c_str(), mode) == 0;
}

bool NHostFileSystem::SetModTime(const std::string& hostPath, int64_t seconds)
{
    std::string path;
    timespec times[2] = {};
    times[0].tv_nsec = UTIME_OMIT;   // the access time stays
    times[1].tv_sec = static_cast<time_t>(seconds);
    return Map(hostPath, path) && utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string NHostFileSystem::TempPath()
{
    // Made again when something removed it after the prefix was set up.
    std::string folder = "C:\\users\\" + NHostDrives::The().UserName();
    CreateDirectory("C:\\users");
    CreateDirectory(folder);
    folder += "\\Temp";
    CreateDirectory(folder);
    return folder + "\\";
}

std::string NHostFileSystem::SystemDirectory()
{
    return std::string(kSystemDirectory);
}

std::string NHostFileSystem::ModuleFileName()
{
    std::string buffer(kLinkStart, '\0');
    for (;;) {
        ssize_t length = readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0)
            return std::string();
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<size_t>(length));
            return NHostDrives::The().ToHost(buffer);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string NHostFileSystem::CurrentDirectory()
{
    // "." against the working folder is the working folder itself.
    return NHostDrives::The().ToHost(".");
}

std::string NHostFileSystem::TempFileName(const std::string& dirHostPath, const std::string& prefix)
{
    std::string folder = dirHostPath;
    while (!folder.empty() && IsSeparator(folder.back()))
        folder.pop_back();
    // Cut at a character boundary, so a UTF-8 prefix never leaves half a character.
    size_t cut = std::min(prefix.size(), kTempPrefixLength);
    while (cut > 0 && cut < prefix.size() && (static_cast<unsigned char>(prefix[cut]) & kUtf8TailMask) == kUtf8Tail)
        --cut;
    std::string stem = folder + "\\" + prefix.substr(0, cut);

    // Numbers go on from call to call, so names in one process do not collide at all.
    static uint32_t sNextNumber = 0;
    if (sNextNumber == 0)
        sNextNumber = static_cast<uint32_t>(NHostTime::Now() ^ getpid()) % kTempNumberLimit;
    for (uint32_t attempt = 1; attempt < kTempNumberLimit; ++attempt) {
        sNextNumber = sNextNumber % (kTempNumberLimit - 1) + 1;
        std::string name = stem + Hex(sNextNumber) + ".tmp";
        std::string path;
        if (!Map(name, path))
            return std::string();
        int descriptor = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
        if (descriptor >= 0) {
            close(descriptor);
            return name;
        }
        if (errno != EEXIST)
            return std::string();
    }
    return std::string();
}
