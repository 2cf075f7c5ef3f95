// The port listener's defaults and its unregistration at destruction.
#include "framework/NPortListener.h"

#include "framework/NPortRegistry.h"

NPortListener::~NPortListener()
{
    if (fPortCount > 0) {
        if (NPortRegistry* registry = NPortRegistry::IfAlive())
            registry->ForgetListener(*this);
    }
}

bool NPortListener::HandleEvent(const NPortEvent&)
{
    return false;
}
