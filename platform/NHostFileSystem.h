// Host file-system operations by host path: status, folders, deletion, attributes, well-known folders.
#pragma once

#include <cstdint>
#include <string>

// What the host knows of a path without opening it.
struct NHostStat {
    bool fIsDirectory = false;
    bool fHidden = false;      // the name starts with "."
    bool fReadOnly = false;    // the owner has no write permission
    bool fReadable = false;    // the process may read it
    bool fWritable = false;    // the process may write it (false when read-only)
    int64_t fSize = 0;
    int64_t fModTime = 0;      // seconds since 1970 UTC
    int64_t fChangeTime = 0;   // status-change time, seconds since 1970 UTC
};

class NHostFileSystem {
public:
    /// False when the path does not exist (or cannot be mapped).
    static bool Stat(const std::string& hostPath, NHostStat& status);
    static bool IsDirectory(const std::string& hostPath);

    static bool CreateDirectory(const std::string& hostPath);   // false when it exists
    static bool RemoveDirectory(const std::string& hostPath);   // only an empty folder
    static bool DeleteFile(const std::string& hostPath);        // never a folder
    /// Moves a file or folder; refuses an existing target.
    static bool Rename(const std::string& fromHostPath, const std::string& toHostPath);
    /// Sets or clears the read-only attribute (clearing adds owner write permission).
    static bool SetReadOnly(const std::string& hostPath, bool readOnly);
    static bool SetModTime(const std::string& hostPath, int64_t seconds);
    /// Moves a file over an existing one in one step: readers see the old file or the new.
    static bool Replace(const std::string& fromHostPath, const std::string& toHostPath);
    /// Waits until a file's data, or a folder's list of names, is on the medium.
    static bool SyncFile(const std::string& hostPath);
    static bool SyncFolderOf(const std::string& hostPath);
    /// A name beside a file for a new version of it, private to this process:
    /// "<name>.~<process id>.tmp".
    static std::string SiblingTempName(const std::string& name);
    /// The host's reason (an errno value) for the last failure of an operation above.
    static int LastError();

    /// The user's temporary folder with its trailing "\": "C:\users\<login>\Temp\".
    static std::string TempPath();
    /// The system folder, no trailing "\": "C:\windows\system".
    static std::string SystemDirectory();
    /// The running executable (from /proc/self/exe) in host form; empty when unknown.
    static std::string ModuleFileName();
    /// The working folder in host form, no trailing "\" (except a bare drive root).
    static std::string CurrentDirectory();
    /// Creates an empty file "<dir>\<up to 3 chars of prefix><hex>.tmp" with a name not
    /// used before and returns its host path; empty on failure.
    static std::string TempFileName(const std::string& dirHostPath, const std::string& prefix);
};
