// Paths in the tools' messages: the Linux path the user knows, never the host form inside.
#pragma once

#include "storage/NFileException.h"
#include "platform/NHostDrives.h"

#include <cctype>
#include <string>

/// The Linux path of a host path or a display name ("Z:\tmp:work:a.Qip" is /tmp/work/a.Qip);
/// a name that is neither comes back as it is.
inline std::string ToolLinuxName(const std::string& name)
{
    bool drive = name.size() >= 3 && std::isalpha(static_cast<unsigned char>(name[0])) && name[1] == ':'
        && name[2] == '\\';
    bool network = name.starts_with("\\\\");
    if (!drive && !network)
        return name;
    std::string host = name;
    for (size_t i = drive ? 3 : 2; i < host.size(); ++i) {
        if (host[i] == ':')
            host[i] = '\\';
    }
    std::string linux;
    return NHostDrives::The().ToLinux(host, linux) ? linux : name;
}

/// "PATH: reason" for a file exception, with the Linux path.
inline std::string ToolFileError(const NFileException& error)
{
    return ToolLinuxName(error.Name()) + ": " + error.Reason();
}
