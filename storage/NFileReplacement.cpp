// Whole new files replace their targets in one step.
#include "storage/NFileReplacement.h"

#include "storage/NFileException.h"
#include "platform/NHostFileSystem.h"

NFileReplacement::NFileReplacement(const NFileSpec& target)
    : fTarget(target)
    , fTemporary(target.Dir(), NHostFileSystem::SiblingTempName(target.Name()), false)
{
    fTemporary.Delete();
}

NFileReplacement::~NFileReplacement()
{
    if (!fCommitted)
        fTemporary.Delete();
}

void NFileReplacement::Commit()
{
    std::string temporary = fTemporary.HostPath();
    if (!NHostFileSystem::SyncFile(temporary) || !NHostFileSystem::Replace(temporary, fTarget.HostPath())) {
        int error = NHostFileSystem::LastError();
        fTemporary.Delete();
        fCommitted = true;
        throw NFileException(kFileCannotCreate, fTarget.HostPath(), error);
    }
    fCommitted = true;
    // The new name reaching the disk is worth a try; the file is complete either way.
    static_cast<void>(NHostFileSystem::SyncFolderOf(fTarget.HostPath()));
}
