// An open host file: a POSIX descriptor behind the Win32-style creation dispositions.
#pragma once

#include <cstdint>
#include <string>

// How a host file is opened.
enum : int {
    kHostOpenExisting = 0,   // read access; the file must exist
    kHostCreateNew = 1,      // write access; fails when the file exists
    kHostOpenAlways = 2,     // read and write access; opens the file or creates it
};

class NHostFile {
public:
    NHostFile() = default;
    ~NHostFile();
    NHostFile(NHostFile&& other) noexcept;
    NHostFile& operator=(NHostFile&& other) noexcept;
    NHostFile(const NHostFile&) = delete;
    NHostFile& operator=(const NHostFile&) = delete;

    /// Opens a host path with one of the dispositions above. A folder is never opened.
    /// False on failure, with errno-style detail in LastError().
    bool Open(const std::string& hostPath, int disposition);
    bool IsOpen() const { return fDescriptor >= 0; }
    void Close();

    /// Reads up to length bytes at the host pointer; 0 at the end of the file, -1 on failure.
    int64_t Read(void* buffer, int64_t length);
    /// Writes all length bytes at the host pointer; false on failure.
    bool Write(const void* buffer, int64_t length);
    /// Sets the host pointer from the start of the file; returns it, or -1 on failure.
    int64_t Seek(int64_t position);
    /// Truncates or extends the file to length bytes (the pointer stays where it is).
    bool SetEnd(int64_t length);
    /// Size in bytes, -1 on failure.
    int64_t Size() const;
    /// Sets the last-write time, seconds since 1970 UTC.
    bool SetModTime(int64_t seconds);
    /// Waits until the file's data and size are on the medium.
    bool Sync();
    /// Takes the advisory lock on the file for this handle alone; false (at once) when
    /// another handle, in this process or another, holds it. Closing releases it.
    bool TryLock();
    /// True when the host path still names the file this handle has open (it was neither
    /// deleted nor replaced since it was opened).
    bool IsStillAt(const std::string& hostPath) const;

    int LastError() const { return fLastError; }

private:
    int fDescriptor = -1;
    int fLastError = 0;
    int64_t fNotWrittenBack = 0;   // written since the kernel was last asked to write back
};
