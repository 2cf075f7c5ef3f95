// A stand-in component for payloads without the real player's libraries: a shared library
// whose registration entry point records itself in the registry, as the browser control does.
#include "framework/NRegistry.h"

#include <cstdint>

extern "C" __attribute__((visibility("default"))) int32_t DllRegisterServer()
{
    return NRegistry::WriteString(kHKeyClassesRoot, "QipCtrl.Control\\CLSID", "", "{51504354-524C-0000-0000-4C554D4F5241}")
        ? 0
        : 1;
}
