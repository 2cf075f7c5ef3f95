// The well-known folders.
#include "storage/NFAppDirSpec.h"

#include "platform/NHostFileSystem.h"

static constexpr size_t kModuleNameCapacity = 260;
static constexpr size_t kTempPathCapacity = 260;
static constexpr size_t kSystemPathCapacity = 500;
static constexpr char kFallbackSystemPath[] = "Windows:System:";

// Host paths longer than the buffers the program passes are not available to it.
static std::string Limited(std::string text, size_t capacity)
{
    return text.size() < capacity ? text : std::string();
}

// Cuts at the last "\" and gives a bare drive its "\".
static std::string FolderOf(const std::string& path)
{
    size_t slash = path.rfind('\\');
    std::string folder = slash == std::string::npos ? path : path.substr(0, slash);
    if (folder.size() == 2 && folder[1] == ':')
        folder += '\\';
    return folder;
}

NFAppDirSpec::NFAppDirSpec()
{
    std::string module = Limited(NHostFileSystem::ModuleFileName(), kModuleNameCapacity);
    std::string folder = module.empty() ? NHostFileSystem::CurrentDirectory() + "\\" : module;
    NFDirSpec::FromHostPath(FolderOf(folder), *this);
}

const NFAppDirSpec& NFAppDirSpec::The()
{
    static const NFAppDirSpec sInstance;
    return sInstance;
}

NFTmpDirSpec::NFTmpDirSpec()
{
    std::string temp = Limited(NHostFileSystem::TempPath(), kTempPathCapacity);
    NFDirSpec::FromHostPath(FolderOf(temp), *this);
}

const NFTmpDirSpec& NFTmpDirSpec::The()
{
    static const NFTmpDirSpec sInstance;
    return sInstance;
}

NFDirSpec SystemDirSpec()
{
    NFDirSpec system;
    std::string host = Limited(NHostFileSystem::SystemDirectory(), kSystemPathCapacity);
    if (host.empty() || !NFDirSpec::FromHostPath(host, system))
        return NFDirSpec(NFDriveSpec("C:/"), kFallbackSystemPath);
    return system;
}
