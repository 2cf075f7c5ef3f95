// Shortcut files (".lnk") written through the platform's shell-link object.
#pragma once

#include "storage/NFileSpec.h"

#include <cstdint>
#include <string>

class KShortcut {
public:
    /// Writes the link at `link` to the target (a host path of a file or folder), with its
    /// description and working folder (empty for none). The system's status: 0 on success.
    static int32_t Create(const NFileSpec& link, const std::string& targetHostPath, const std::string& description,
                          const std::string& workingFolderHostPath);
};
