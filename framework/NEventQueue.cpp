// The posted-event queue: a sorted run for posts in due order and a binary heap for the rest.
#include "framework/NEventQueue.h"

#include "framework/NAppClock.h"
#include "framework/NPortRegistry.h"

#include <algorithm>

static bool sQueueGone = false;

NEventQueue& NEventQueue::The()
{
    static NEventQueue sQueue;
    return sQueue;
}

NEventQueue* NEventQueue::IfAlive()
{
    return sQueueGone ? nullptr : &The();
}

NEventQueue::~NEventQueue()
{
    sQueueGone = true;
}

// The heap keeps its greatest element on top; "greater" here means due sooner.
bool NEventQueue::Later(const Item& a, const Item& b)
{
    return a.fDue != b.fDue ? a.fDue > b.fDue : a.fStamp > b.fStamp;
}

bool NEventQueue::Post(uint32_t port, const NPortEvent& event, uint32_t delay)
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    if (!registry || !registry->Exists(port))
        return false;
    NAppClock& clock = NAppClock::The();
    Item item { event, clock.NowWide() + delay, registry->Stamp() };
    item.fEvent.fPort = port;
    item.fEvent.fSequence = static_cast<uint32_t>(item.fStamp);
    item.fEvent.fPostTime = clock.Cached();
    item.fEvent.fDueTime = static_cast<uint32_t>(item.fDue);
    if (fInOrder.empty() || !Later(fInOrder.back(), item)) {
        fInOrder.push_back(item);
    } else {
        fHeap.push_back(item);
        std::push_heap(fHeap.begin(), fHeap.end(), Later);
    }
    return true;
}

void NEventQueue::Clear()
{
    fInOrder.clear();
    fHeap.clear();
}

const NEventQueue::Item* NEventQueue::Next() const
{
    if (fHeap.empty())
        return fInOrder.empty() ? nullptr : &fInOrder.front();
    if (fInOrder.empty() || Later(fInOrder.front(), fHeap.front()))
        return &fHeap.front();
    return &fInOrder.front();
}

bool NEventQueue::NextDue(uint64_t& due) const
{
    const Item* head = Next();
    if (!head)
        return false;
    due = head->fDue;
    return true;
}

NEventQueue::Item NEventQueue::TakeNext()
{
    if (!fInOrder.empty() && (fHeap.empty() || !Later(fInOrder.front(), fHeap.front()))) {
        Item item = fInOrder.front();
        fInOrder.pop_front();
        return item;
    }
    std::pop_heap(fHeap.begin(), fHeap.end(), Later);
    Item item = fHeap.back();
    fHeap.pop_back();
    return item;
}

bool NEventQueue::Process()
{
    NPortRegistry* registry = NPortRegistry::IfAlive();
    if (IsEmpty()) {
        if (registry && registry->PurgePending())
            registry->PurgeDead();
        return false;
    }
    if (!registry)
        return true;
    uint64_t now = NAppClock::The().CachedWide();
    // Events posted by the listeners of this pass wait for the next one, even with delay 0.
    uint64_t lastStampBefore = registry->LastStamp();
    size_t count = std::min(Size(), static_cast<size_t>(kMaxDeliveriesPerPass));
    for (size_t i = 0; i < count; ++i) {
        const Item* head = Next();
        if (!head || head->fDue > now || head->fStamp > lastStampBefore)
            break;
        Item item = TakeNext();
        registry->DeliverPosted(item.fEvent, item.fStamp);
    }
    return !IsEmpty();
}
