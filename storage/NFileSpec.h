// File specifications: a drive root, a colon-separated logical folder path and a file name.
#pragma once

#include "storage/NDateTime.h"
#include "storage/NStream.h"

#include <cstdint>
#include <string>
#include <string_view>

// Bits of NFileSpec::Attributes().
enum : int {
    kFileAttrExists = 1,
    kFileAttrDirectory = 2,
    kFileAttrVisible = 4,   // the host's hidden attribute is clear
};

/// A volume root: "C:\" (letter, colon, backslash) or "\\server\" for a network root.
class NFDriveSpec {
public:
    /// The default drive, "C:\".
    NFDriveSpec();
    /// A trailing "/" is held as "\"; a bare "D:" gets its "\".
    explicit NFDriveSpec(std::string_view root);

    const std::string& Root() const { return fRoot; }
    /// The root as a host path, every "/" turned into "\".
    std::string HostPath() const;

    /// The host's drive type for this root (one of the kDrive values of the platform).
    int HostType() const;
    bool IsCdrom() const;
    bool IsRemovable() const;
    bool IsNotNetwork() const;

    bool operator==(const NFDriveSpec& other) const = default;

private:
    std::string fRoot;
};

/// A drive plus a logical path of folder names each followed by ":" ("Program Files:Lumora:").
/// The empty path is the volume's root; ".." steps are carried through to the host.
class NFDirSpec {
public:
    NFDirSpec() = default;
    explicit NFDirSpec(NFDriveSpec drive, std::string path = "");

    const NFDriveSpec& Drive() const { return fDrive; }
    const std::string& Path() const { return fPath; }
    bool IsRoot() const { return fPath.empty(); }

    /// Appends logical text unchanged; callers give its trailing ":" ("Data:").
    NFDirSpec SubDir(std::string_view logical) const;
    /// Drops the last folder name; the root is its own parent.
    NFDirSpec Parent() const;

    /// Drive root and path with every ":" turned into "\" ("C:\Program Files\Lumora\").
    std::string HostPath() const;
    /// Drive root and path with its colons ("C:\Program Files:Lumora:").
    std::string DisplayName() const;

    /// Converts a host folder ("C:\Photos", "C:", "\\srv\share\dir\") through the
    /// placeholder file name; false (and out untouched) for any other form.
    static bool FromHostPath(std::string_view hostDirectory, NFDirSpec& out);
    /// The two host folder forms, drive and network, straight into a specification.
    static bool ConvertHostDirectory(std::string_view hostDirectory, NFDirSpec& out);

    /// While set, network paths ("\\server\...") are rejected by every conversion.
    static void SetNetworkPathsDisabled(bool disabled);
    static bool NetworkPathsDisabled();

    bool Exists() const;
    /// Creates every missing level of the path; false at the first level that fails.
    bool Create() const;

    bool IsCdrom() const { return fDrive.IsCdrom(); }
    bool IsRemovable() const { return fDrive.IsRemovable(); }
    bool IsNotNetwork() const { return fDrive.IsNotNetwork(); }

    bool operator==(const NFDirSpec& other) const = default;

private:
    NFDriveSpec fDrive;
    std::string fPath;
};

/// A folder plus a file name, which never contains ":".
class NFileSpec {
public:
    /// The placeholder file name by which host folders become specifications.
    static constexpr char kPlaceholderName[] = "x.xxx";
    /// The characters a file name may not hold, each replaced by "-".
    static constexpr char kForbiddenNameChars[] = "\\/:*?\"<>|";

    NFileSpec() = default;
    /// With split set, a name holding ":" puts everything up to its last ":" on the
    /// folder's path ("Data:Lang.txt"); the rest is the file name, sanitised.
    NFileSpec(const NFDirSpec& dir, std::string_view name, bool split = true);

    const NFDirSpec& Dir() const { return fDir; }
    const NFDriveSpec& Drive() const { return fDir.Drive(); }
    const std::string& Name() const { return fName; }
    void SetName(std::string_view name);

    /// Text after the last "."; empty without a dot.
    std::string Extension() const;
    /// Text before the last "."; the whole name without a dot.
    std::string BaseName() const;

    std::string HostPath() const;
    std::string DisplayName() const;

    /// Splits a host file path at its last "\"; false (and out untouched) when the folder
    /// part is not a host folder form.
    static bool FromHostPath(std::string_view hostPath, NFileSpec& out);

    // Queries: never throw.
    int Attributes() const;
    bool Exists() const { return (Attributes() & kFileAttrExists) != 0; }
    /// Judged from the host status without opening (NStreamMode::kRead/Write/Update).
    bool CanOpen(NStreamMode mode) const;
    NDateTime ModTime() const;
    NDateTime ChangeTime() const;

    // Changes: report failure by their result.
    bool Delete() const;
    /// Deletes the file, and every other segment of the set when it is a segment file.
    bool DeleteWithSegments() const;
    /// 0 on success; non-zero when the source is missing, the target exists or the host fails.
    int Rename(const NFileSpec& target) const;
    /// Renames this specification to "base #n.ext" (n from 2) until no such file exists.
    void MakeUnique();

    // Opening and copying: throw NFileException.
    /// Reading first asks the open binders for an element of this name. With a segment
    /// limit, reading or updating the first segment of a set opens the whole set, and
    /// writing with a limit above 1 writes a set of segments of that size.
    NStream Open(NStreamMode mode, bool buffered = false, int64_t segmentLimit = 0) const;
    /// Replaces target by a copy of this file.
    void CopyTo(const NFileSpec& target, void* buffer = nullptr, int32_t size = 0) const;

    bool operator==(const NFileSpec& other) const = default;

private:
    NFDirSpec fDir;
    std::string fName;
};
