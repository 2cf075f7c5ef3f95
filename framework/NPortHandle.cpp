// Port handle operations, forwarded to the registry and the queue by id.
#include "framework/NPortHandle.h"

#include "framework/NEventQueue.h"
#include "framework/NPortRegistry.h"

#include <utility>

NPortHandle::NPortHandle()
{
    if (NPortRegistry* registry = NPortRegistry::IfAlive())
        fId = registry->Create();
}

NPortHandle::~NPortHandle()
{
    Release();
}

NPortHandle::NPortHandle(NPortHandle&& other) noexcept
    : fId(std::exchange(other.fId, 0))
{
}

NPortHandle& NPortHandle::operator=(NPortHandle&& other) noexcept
{
    if (this != &other) {
        Release();
        fId = std::exchange(other.fId, 0);
    }
    return *this;
}

void NPortHandle::Release()
{
    if (fId == 0)
        return;
    if (NPortRegistry* registry = NPortRegistry::IfAlive())
        registry->Destroy(fId);
    fId = 0;
}

bool NPortHandle::AddListener(NPortListener& listener) const
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    return registry && registry->AddListener(fId, listener);
}

bool NPortHandle::RemoveListener(NPortListener& listener) const
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    return registry && registry->RemoveListener(fId, listener);
}

int32_t NPortHandle::ListenerCount() const
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    return registry ? registry->ListenerCount(fId) : 0;
}

bool NPortHandle::Send(const NPortEvent& event) const
{
    return Send(fId, event);
}

bool NPortHandle::Post(const NPortEvent& event, uint32_t delay) const
{
    return Post(fId, event, delay);
}

bool NPortHandle::DiscardPending() const
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    return registry && registry->DiscardPending(fId);
}

bool NPortHandle::Send(uint32_t port, const NPortEvent& event)
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    return registry && registry->Send(port, event);
}

bool NPortHandle::Post(uint32_t port, const NPortEvent& event, uint32_t delay)
{
    NEventQueue* queue = NEventQueue::IfAlive();
    return queue && queue->Post(port, event, delay);
}
