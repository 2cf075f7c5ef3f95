// The process-wide list of open binders.
#include "storage/NBinderRegistry.h"

#include "storage/NBinder.h"

#include <algorithm>

static bool sRegistryAlive = false;

NBinderRegistry& NBinderRegistry::The()
{
    static NBinderRegistry sRegistry;
    return sRegistry;
}

bool NBinderRegistry::Alive()
{
    return sRegistryAlive;
}

NBinderRegistry::NBinderRegistry()
{
    sRegistryAlive = true;
}

NBinderRegistry::~NBinderRegistry()
{
    sRegistryAlive = false;
}

void NBinderRegistry::Register(NBinder* binder)
{
    if (!binder || std::find(fBinders.begin(), fBinders.end(), binder) != fBinders.end())
        return;
    fBinders.insert(fBinders.begin(), binder);
    fLast = binder;
}

void NBinderRegistry::Unregister(NBinder* binder)
{
    std::erase(fBinders, binder);
    if (fLast == binder)
        fLast = fBinders.empty() ? nullptr : fBinders.front();
}

NBinder* NBinderRegistry::Lookup(const NFileSpec& spec, int64_t& position, int32_t& size) const
{
    for (NBinder* binder : fBinders) {
        if (binder->Lookup(spec, position, size))
            return binder;
    }
    return nullptr;
}

int32_t NBinderRegistry::SizeOf(const NFileSpec& spec) const
{
    int64_t position = 0;
    int32_t size = 0;
    return Lookup(spec, position, size) ? size : 0;
}
