// File questions answered the way the Maker reads files: loose on disk or inside its archive.
#include "maker/core/KMakerFiles.h"

#include "imaging/NPhotoPreparer.h"
#include "platform/NHostDrives.h"
#include "storage/NBinderRegistry.h"

#include <filesystem>
#include <system_error>

bool KMakerFiles::Exists(const NFileSpec& file)
{
    int64_t position = 0;
    int32_t size = 0;
    return NBinderRegistry::The().Lookup(file, position, size) != nullptr || file.CanOpen(NStreamMode::kRead);
}

uint32_t KMakerFiles::PhotoDate(const NFileSpec& file)
{
    int64_t position = 0;
    int32_t size = 0;
    if (NBinderRegistry::The().Lookup(file, position, size) != nullptr || !file.Exists())
        return NDateTime::Now().fSeconds;
    return NPhotoPreparer::PhotoDate(file);
}

bool KMakerFiles::MarkRunnable(const NFileSpec& program)
{
    std::string linuxPath;
    if (!NHostDrives::The().ToLinux(program.HostPath(), linuxPath))
        return false;
    std::error_code error;
    std::filesystem::permissions(linuxPath,
                                 std::filesystem::perms::owner_exec | std::filesystem::perms::group_exec |
                                     std::filesystem::perms::others_exec,
                                 std::filesystem::perm_options::add, error);
    return !error;
}
