// The page registry.
#include "framework/NPageRegistry.h"

#include "framework/NPage.h"

#include <algorithm>

namespace {

bool sAlive = false;

} // namespace

NPageRegistry& NPageRegistry::The()
{
    static NPageRegistry registry;
    sAlive = true;
    return registry;
}

NPageRegistry* NPageRegistry::IfAlive()
{
    return sAlive ? &The() : nullptr;
}

NPageRegistry::~NPageRegistry()
{
    sAlive = false;
}

bool NPageRegistry::Add(NPage& page)
{
    auto at = std::lower_bound(fPages.begin(), fPages.end(), page.Id(),
                               [](const NPage* entry, int32_t id) { return entry->Id() < id; });
    if (at != fPages.end() && (*at)->Id() == page.Id())
        return false;
    fPages.insert(at, &page);
    return true;
}

void NPageRegistry::Remove(const NPage& page)
{
    fPages.erase(std::remove(fPages.begin(), fPages.end(), &page), fPages.end());
}

NPage* NPageRegistry::Find(int32_t id) const
{
    for (NPage* page : fPages) {
        if (page->Id() == id)
            return page;
    }
    return nullptr;
}
