// Fuzz target: element names from archives never lead an extraction out of its folder.
#include "storage/NFileSpec.h"
#include "tools/XpbNames.h"
#include "platform/NHostDrives.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    setenv("LUMORA_PREFIX", "/tmp/lumora-fuzz-prefix", 1);
    setenv("LUMORA_DRIVES", "", 1);
    NHostDrives::The().Reload();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The input is a path of element names separated by NUL bytes.
    NFDirSpec dest(NFDriveSpec("Z:/"), "tmp:lumora-fuzz-dest:");
    NFDirSpec folder = dest;
    std::string name;
    std::string linuxDest;
    if (!NHostDrives::The().ToLinux(dest.HostPath(), linuxDest))
        __builtin_trap();
    size_t at = 0;
    do {
        size_t end = at;
        while (end < size && data[end] != 0)
            ++end;
        name = SafeHostName(std::string(reinterpret_cast<const char*>(data + at), end - at));
        if (name.empty() || name.find_first_not_of('.') == std::string::npos)
            __builtin_trap();
        folder = folder.SubDir(name + ":");
        at = end + 1;
    } while (at < size);
    NFileSpec file(folder, name, false);
    std::string linux;
    if (!NHostDrives::The().ToLinux(file.HostPath(), linux))
        __builtin_trap();
    if (linux.compare(0, linuxDest.size() + 1, linuxDest + "/") != 0)
        __builtin_trap();
    return 0;
}
