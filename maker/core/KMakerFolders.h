// The folders the Maker writes to: albums, the partner viewer, the desktop and the Start menu.
#pragma once

#include "storage/NFileSpec.h"

class KMakerFolders {
public:
    static constexpr char kVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
    static constexpr char kProgramFilesValue[] = "ProgramFilesDir";
    static constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    static constexpr char kDesktopValue[] = "Desktop";
    static constexpr char kProgramsValue[] = "Programs";
    static constexpr char kAlbumFolderTail[] = "\\Lumora Maker\\My Lumoras";
    static constexpr char kPartnerFolderTail[] = "\\PSWPorts";
    static constexpr char kPartnerSubFolder[] = "PSWPorts:";
    static constexpr char kDefaultProgramFiles[] = "C:\\Program Files";
    static constexpr char kDefaultDesktop[] = "C:\\Windows\\Desktop";
    static constexpr char kDefaultPrograms[] = "C:\\Windows\\Start Menu\\Programs";

    /// "<ProgramFilesDir>\Lumora Maker\My Lumoras", created when asked.
    static NFDirSpec AlbumFolder(bool create = true);
    /// "<ProgramFilesDir>\PSWPorts" and then its sub-folder "PSWPorts:", created when asked.
    static NFDirSpec PartnerFolder(bool create = true);
    /// The current user's "Desktop" shell folder, "C:\Windows\Desktop" when it is empty.
    static NFDirSpec DesktopFolder();
    /// The current user's Start-menu "Programs" shell folder (a fallback when empty).
    static NFDirSpec ProgramsFolder();

private:
    static NFDirSpec FromHostFolder(const std::string& hostFolder, const char* fallback);
    static std::string ProgramFiles();
};
