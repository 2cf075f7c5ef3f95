// Paths in the tools' messages: the Linux path the user knows, never the host form inside.
#pragma once

#include "storage/NFileException.h"
#include "platform/NHostCodePage.h"
#include "platform/NHostDrives.h"
#include "platform/NHostSearch.h"

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
    return NHostDrives::The().ToLinux(host, linux) ? linux : NHostCodePage::AnsiToUtf8(name);
}

/// The host form of a Linux path from the command line. On failure `problem` says why,
/// naming the path: it lies on no drive, or a name in it has a character outside
/// Windows-1252 (which is named).
inline bool ToolHostPath(const std::string& linuxPath, std::string& host, std::string& problem)
{
    std::string unconvertible;
    host = NHostDrives::The().ToHost(linuxPath, &unconvertible);
    if (!host.empty())
        return true;
    if (!unconvertible.empty()) {
        std::string bad;
        std::string ignored;
        NHostDrives::HostName(unconvertible, ignored, &bad);
        problem = linuxPath + ": the name \"" + unconvertible + "\" has a character outside Windows-1252 (\"" + bad
            + "\"), which the programs cannot name";
    } else {
        problem = linuxPath + ": not a path the drive table can reach";
    }
    return false;
}

/// One line per file a folder walk left out because of its name, each after "tool: ".
inline std::string ToolSkippedNames(const std::string& tool)
{
    std::string lines;
    for (const NHostSkippedName& skipped : NHostSearch::TakeSkippedNames())
        lines += tool + ": skipped " + skipped.fLinuxPath + ": its name has a character outside Windows-1252 (\""
            + skipped.fCharacter + "\")\n";
    return lines;
}

/// "PATH: reason" for a file exception, with the Linux path.
inline std::string ToolFileError(const NFileException& error)
{
    return ToolLinuxName(error.Name()) + ": " + error.Reason();
}
