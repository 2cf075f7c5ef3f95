// Shortcut files (".lnk") written through the platform's shell-link object.
#include "maker/core/KShortcut.h"

#include "platform/NHostShellLink.h"

int32_t KShortcut::Create(const NFileSpec& link, const std::string& targetHostPath, const std::string& description,
                          const std::string& workingFolderHostPath)
{
    NHostShellLink shellLink;
    shellLink.SetPath(targetHostPath);
    shellLink.SetDescription(description);
    if (!workingFolderHostPath.empty())
        shellLink.SetWorkingDirectory(workingFolderHostPath);
    return shellLink.Save(link.HostPath());
}
