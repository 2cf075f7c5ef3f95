// Port records, listener lists and delivery that survives listeners changing them mid-way.
#include "framework/NPortRegistry.h"

#include "framework/NPortListener.h"

#include <algorithm>

static bool sRegistryGone = false;

// Keeps a record's delivery depth right when a listener throws, and unlinks the entries
// removed meanwhile when the outermost delivery ends.
class NPortRegistry::DeliveryScope {
public:
    explicit DeliveryScope(Record& record)
        : fRecord(record)
    {
        ++fRecord.fDepth;
    }
    ~DeliveryScope()
    {
        if (--fRecord.fDepth == 0 && fRecord.fUnlinkPending)
            UnlinkRemoved(fRecord);
    }
    DeliveryScope(const DeliveryScope&) = delete;
    DeliveryScope& operator=(const DeliveryScope&) = delete;

private:
    Record& fRecord;
};

NPortRegistry& NPortRegistry::The()
{
    static NPortRegistry sRegistry;
    return sRegistry;
}

NPortRegistry* NPortRegistry::IfAlive()
{
    return sRegistryGone ? nullptr : &The();
}

NPortRegistry::~NPortRegistry()
{
    sRegistryGone = true;
}

NPortRegistry::Record* NPortRegistry::Find(uint32_t port) const
{
    auto found = std::lower_bound(fRecords.begin(), fRecords.end(), port,
        [](const std::unique_ptr<Record>& record, uint32_t id) { return record->fId < id; });
    return found != fRecords.end() && (*found)->fId == port ? found->get() : nullptr;
}

uint32_t NPortRegistry::Create()
{
    auto record = std::make_unique<Record>();
    record->fId = fNextId++;
    fRecords.push_back(std::move(record));
    return fRecords.back()->fId;
}

bool NPortRegistry::Destroy(uint32_t port)
{
    Record* record = Find(port);
    if (!record)
        return false;
    record->fDead = true;
    fPurgePending = true;
    return true;
}

bool NPortRegistry::IsDead(uint32_t port) const
{
    Record* record = Find(port);
    return record && record->fDead;
}

int32_t NPortRegistry::ListenerCount(uint32_t port) const
{
    Record* record = Find(port);
    return record ? record->fListenerCount : 0;
}

bool NPortRegistry::AddListener(uint32_t port, NPortListener& listener)
{
    Record* record = Find(port);
    if (!record)
        return false;
    for (Entry& entry : record->fEntries) {
        if (entry.fListener != &listener)
            continue;
        if (!entry.fRemoved)
            return false;
        entry.fRemoved = false;
        ++record->fListenerCount;
        ++listener.fPortCount;
        return true;
    }
    record->fEntries.push_back(Entry { &listener, false });
    ++record->fListenerCount;
    ++listener.fPortCount;
    return true;
}

bool NPortRegistry::RemoveListener(uint32_t port, NPortListener& listener)
{
    Record* record = Find(port);
    if (!record)
        return false;
    for (size_t i = 0; i < record->fEntries.size(); ++i) {
        const Entry& entry = record->fEntries[i];
        if (entry.fListener == &listener && !entry.fRemoved) {
            MarkRemoved(*record, i);
            --listener.fPortCount;
            return true;
        }
    }
    return false;
}

void NPortRegistry::MarkRemoved(Record& record, size_t index)
{
    --record.fListenerCount;
    if (record.fDepth == 0) {
        record.fEntries.erase(record.fEntries.begin() + static_cast<std::ptrdiff_t>(index));
        return;
    }
    // A delivery is walking the list by index: leave the entry in place until it ends.
    record.fEntries[index].fRemoved = true;
    record.fUnlinkPending = true;
}

void NPortRegistry::UnlinkRemoved(Record& record)
{
    std::erase_if(record.fEntries, [](const Entry& entry) { return entry.fRemoved; });
    record.fUnlinkPending = false;
}

void NPortRegistry::ForgetListener(NPortListener& listener)
{
    for (const std::unique_ptr<Record>& record : fRecords) {
        for (size_t i = 0; i < record->fEntries.size(); ++i) {
            Entry& entry = record->fEntries[i];
            if (entry.fListener != &listener)
                continue;
            entry.fListener = nullptr; // a removed entry must not keep the address either
            if (!entry.fRemoved) {
                MarkRemoved(*record, i);
                if (record->fDepth == 0)
                    --i; // the entry was erased; look at its successor next
            }
        }
    }
    listener.fPortCount = 0;
}

bool NPortRegistry::Send(uint32_t port, const NPortEvent& event)
{
    Record* record = Find(port);
    if (!record)
        return false;
    uint64_t stamp = Stamp();
    NPortEvent copy = event;
    copy.fSequence = static_cast<uint32_t>(stamp);
    return Deliver(*record, copy, stamp);
}

bool NPortRegistry::DeliverPosted(const NPortEvent& event, uint64_t stamp)
{
    Record* record = Find(event.fPort);
    if (!record)
        return false;
    NPortEvent copy = event;
    return Deliver(*record, copy, stamp);
}

bool NPortRegistry::DiscardPending(uint32_t port)
{
    Record* record = Find(port);
    if (!record)
        return false;
    record->fDiscardThreshold = Stamp();
    return true;
}

bool NPortRegistry::Deliver(Record& record, NPortEvent& event, uint64_t stamp)
{
    if (stamp <= record.fDiscardThreshold)
        return false;
    // The record stays put while its depth is above 0: a purge skips it, and the entry
    // list is only appended to, so indexes stay valid even when it reallocates.
    DeliveryScope scope(record);
    event.fPort = record.fId;
    bool handled = false;
    for (size_t i = 0; i < record.fEntries.size(); ++i) {
        const Entry& entry = record.fEntries[i];
        if (entry.fRemoved)
            continue;
        if (entry.fListener->HandleEvent(event))
            handled = true;
    }
    return handled;
}

void NPortRegistry::PurgeDead()
{
    fPurgePending = false;
    std::erase_if(fRecords, [this](const std::unique_ptr<Record>& record) {
        if (!record->fDead)
            return false;
        if (record->fDepth > 0) {
            fPurgePending = true; // a delivery on it is still under way; try again later
            return false;
        }
        for (const Entry& entry : record->fEntries) {
            if (!entry.fRemoved)
                --entry.fListener->fPortCount;
        }
        return true;
    });
}
