// A stand-in component for payloads without the real player's libraries: a shared library
// whose registration entry points record and remove themselves in the registry, as the browser control does.
#include "framework/NRegistry.h"
#include "platform/NHostRegistry.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t DllRegisterServer()
{
    return NRegistry::WriteString(kHKeyClassesRoot, "QipCtrl.Control\\CLSID", "", "{51504354-524C-0000-0000-4C554D4F5241}")
        ? 0
        : 1;
}

extern "C" __attribute__((visibility("default"))) int32_t DllUnregisterServer()
{
    return NHostRegistry::The().DeleteTree(NHostRegistry::Root(kHKeyClassesRoot), "QipCtrl.Control") == kRegSuccess ? 0 : 1;
}
