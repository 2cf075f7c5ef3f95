// A shell link (shortcut) written as the host's own ".lnk" file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Results of saving a link, with the host's status numbers.
inline constexpr int32_t kLinkOk = 0;
inline constexpr int32_t kLinkPathNotFound = static_cast<int32_t>(0x80070003u);
inline constexpr int32_t kLinkAccessDenied = static_cast<int32_t>(0x80070005u);
inline constexpr int32_t kLinkInvalidArgument = static_cast<int32_t>(0x80070057u);
inline constexpr int32_t kLinkFailed = static_cast<int32_t>(0x80004005u);

/// The shell-link object of the shortcut calls: set a target and its details, then save.
/// The file is the host's binary link format, so a folder of shortcuts copied onto the host
/// keeps working there: it holds the target's absolute path (local or network), its path
/// relative to the link, and the description, working folder and arguments when given.
/// Texts are Windows-1252.
class NHostShellLink {
public:
    void SetPath(std::string_view targetHostPath) { fTarget = targetHostPath; }
    void SetDescription(std::string_view description) { fDescription = description; }
    void SetWorkingDirectory(std::string_view folderHostPath) { fWorkingDirectory = folderHostPath; }
    void SetArguments(std::string_view arguments) { fArguments = arguments; }

    /// Writes the link file at a host path, replacing any file there. kLinkOk, or
    /// kLinkInvalidArgument for a target or link that is no absolute host path,
    /// kLinkPathNotFound when the link's folder is missing, kLinkAccessDenied, kLinkFailed.
    int32_t Save(std::string_view linkHostPath) const;

    /// The bytes Save would write for a link at that path; false for the same invalid
    /// arguments.
    bool Build(std::string_view linkHostPath, std::string& bytes) const;

private:
    std::string fTarget;
    std::string fDescription;
    std::string fWorkingDirectory;
    std::string fArguments;
};
