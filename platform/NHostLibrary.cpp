// Library loading by host path over dlopen and dlsym.
#include "platform/NHostLibrary.h"

#include "platform/NHostDrives.h"

#include <dlfcn.h>

#include <utility>

NHostLibrary::~NHostLibrary()
{
    Unload();
}

NHostLibrary::NHostLibrary(NHostLibrary&& other) noexcept
    : fHandle(std::exchange(other.fHandle, nullptr)), fLastError(std::move(other.fLastError))
{
}

NHostLibrary& NHostLibrary::operator=(NHostLibrary&& other) noexcept
{
    if (this != &other) {
        Unload();
        fHandle = std::exchange(other.fHandle, nullptr);
        fLastError = std::move(other.fLastError);
    }
    return *this;
}

bool NHostLibrary::Load(const std::string& hostPath)
{
    Unload();
    fLastError.clear();
    std::string path;
    if (!NHostDrives::The().ToLinux(hostPath, path)) {
        fLastError = hostPath + ": not a host path on a known drive";
        return false;
    }
    // A path with a slash is loaded from there only, never searched for.
    fHandle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (fHandle == nullptr) {
        const char* error = dlerror();
        fLastError = error != nullptr ? error : path + ": cannot be loaded";
        return false;
    }
    return true;
}

void NHostLibrary::Unload()
{
    if (fHandle != nullptr)
        dlclose(fHandle);
    fHandle = nullptr;
}

void* NHostLibrary::FindEntry(const std::string& name) const
{
    if (fHandle == nullptr)
        return nullptr;
    dlerror();
    return dlsym(fHandle, name.c_str());
}
