// The folders the Maker writes to, from the registry's folder values.
#include "maker/core/KMakerFolders.h"

#include "framework/NRegistry.h"

NFDirSpec KMakerFolders::FromHostFolder(const std::string& hostFolder, const char* fallback)
{
    NFileSpec placeholder;
    if (!hostFolder.empty() &&
        NFileSpec::FromHostPath(hostFolder + "\\" + NFileSpec::kPlaceholderName, placeholder))
        return placeholder.Dir();
    if (NFileSpec::FromHostPath(std::string(fallback) + "\\" + NFileSpec::kPlaceholderName, placeholder))
        return placeholder.Dir();
    return NFDirSpec();
}

std::string KMakerFolders::ProgramFiles()
{
    std::string folder;
    NRegistry::ReadString(kHKeyLocalMachine, kVersionKey, kProgramFilesValue, folder);
    // A value ending in "\" ("D:\") would give an empty folder name in the middle of the path.
    while (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    return folder.empty() ? std::string(kDefaultProgramFiles) : folder;
}

NFDirSpec KMakerFolders::AlbumFolder(bool create)
{
    NFDirSpec folder = FromHostFolder(ProgramFiles() + kAlbumFolderTail,
                                      (std::string(kDefaultProgramFiles) + kAlbumFolderTail).c_str());
    if (create)
        folder.Create();
    return folder;
}

NFDirSpec KMakerFolders::PartnerFolder(bool create)
{
    NFDirSpec folder = FromHostFolder(ProgramFiles() + kPartnerFolderTail,
                                      (std::string(kDefaultProgramFiles) + kPartnerFolderTail).c_str())
                           .SubDir(kPartnerSubFolder);
    if (create)
        folder.Create();
    return folder;
}

NFDirSpec KMakerFolders::DesktopFolder()
{
    std::string folder;
    NRegistry::ReadString(kHKeyCurrentUser, kShellFoldersKey, kDesktopValue, folder);
    return FromHostFolder(folder, kDefaultDesktop);
}

NFDirSpec KMakerFolders::ProgramsFolder()
{
    std::string folder;
    NRegistry::ReadString(kHKeyCurrentUser, kShellFoldersKey, kProgramsValue, folder);
    return FromHostFolder(folder, kDefaultPrograms);
}
