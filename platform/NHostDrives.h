// The prefix and the drive table: host paths in Windows form mapped onto the Linux file system.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Drive types as the host reports them for a drive root.
enum : int {
    kDriveUnknown = 0,
    kDriveNoRootDir = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdrom = 5,
    kDriveRamdisk = 6,
};

// One entry of the drive table: a root in host form ("C:\" or "\\server\share\") and
// the Linux folder it stands for (no trailing slash, except "/" itself).
struct NHostDrive {
    std::string fRoot;
    std::string fFolder;
    int fType = kDriveFixed;
};

/// The drive table of this process. Made on first use from $LUMORA_PREFIX (default
/// ${XDG_DATA_HOME:-$HOME/.local/share}/lumora), /proc/mounts, <prefix>/drives.conf and
/// $LUMORA_DRIVES, in that order, later entries overriding earlier ones with the same root.
/// C: is <prefix>/drive_c and Z: is / and neither can be overridden.
class NHostDrives {
public:
    static NHostDrives& The();

    /// Re-reads the environment and the table; tests call it after changing $LUMORA_PREFIX
    /// or $LUMORA_DRIVES. Touches nothing on disk: the prefix's folder skeleton is made on
    /// the first mapping of a path onto drive C:.
    void Reload();

    const std::string& Prefix() const { return fPrefix; }
    const std::string& UserName() const { return fUserName; }
    const std::vector<NHostDrive>& Drives() const { return fDrives; }

    /// Host paths are Windows-1252 text, Linux names UTF-8: "ä" is the byte E4 in a host
    /// path and C3 A4 on disk. A name on disk that is not valid UTF-8 (a legacy name) is
    /// matched byte for byte.
    ///
    /// Maps a host path ("C:\Program Files\x.txt", "c:/a/b", "\\srv\share\f") onto Linux.
    /// "." and ".." steps are resolved lexically and never climb above the drive root; every
    /// existing component is matched exactly, else case-insensitively within its folder
    /// (first match in folder order); missing components keep the case given. False for a
    /// relative path, an unknown drive or server, or a path that is not in host form.
    bool ToLinux(std::string_view hostPath, std::string& linuxPath) const;

    /// The host form of a Linux path (absolute, or relative to the working folder), through
    /// the drive whose folder is the longest prefix of it: "/home/me/a.jpg" is
    /// "Z:\home\me\a.jpg", a file in the prefix's drive_c is "C:\...".
    /// Empty when the path lies on no drive or a name holds a character outside
    /// Windows-1252; that name is then stored in `unconvertible`.
    std::string ToHost(std::string_view linuxPath, std::string* unconvertible = nullptr) const;
    /// The host form of one Linux name; false (with the offending character in `bad`) when
    /// it has no Windows-1252 form.
    static bool HostName(std::string_view linuxName, std::string& hostName, std::string* bad = nullptr);

    /// The drive type of a drive root in host form ("D:\", "d:", "\\srv\share\");
    /// kDriveNoRootDir for a root that is not in the table.
    int DriveType(std::string_view root) const;

    /// Free bytes on a drive, by statvfs on its mapped folder; false when the folder is
    /// missing (a drive without media) or the root is unknown.
    bool FreeSpace(std::string_view root, uint64_t& freeBytes) const;

private:
    NHostDrives();
    void AddDrive(NHostDrive drive);
    const NHostDrive* FindDrive(std::string_view hostPath, size_t& rootLength) const;

    std::string fPrefix;
    std::string fUserName;
    std::vector<NHostDrive> fDrives;
    mutable bool fSkeletonMade = false;   // the prefix's folders exist (or were tried) since Reload
};
