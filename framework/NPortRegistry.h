// The process-wide registry of ports: their listener lists, delivery, dead ports and purge.
#pragma once

#include "framework/NPortEvent.h"

#include <cstdint>
#include <memory>
#include <vector>

class NPortListener;

/// Ports are looked up by id; an operation on an id without a record does nothing and
/// answers false. A destroyed port is only marked dead: events still queued for it find its
/// listeners until a pass of the posted-event queue finds the queue empty and purges it.
class NPortRegistry {
public:
    static NPortRegistry& The();
    /// The registry, or nullptr once it has been destroyed at exit.
    static NPortRegistry* IfAlive();

    /// Makes a port record with the next id (the first is 1).
    uint32_t Create();
    /// Marks the port dead; its record is deleted by a later purge.
    bool Destroy(uint32_t port);

    /// Appends the listener, or revives its entry if it was removed during a delivery still
    /// under way; false when the port does not exist or the listener is already on it.
    bool AddListener(uint32_t port, NPortListener& listener);
    /// Flags the listener's entry as removed; the entry is unlinked once no delivery on the
    /// port is under way.
    bool RemoveListener(uint32_t port, NPortListener& listener);

    /// Stamps a copy of the event and delivers it at once; answers whether any listener
    /// handled it (every listener sees it).
    bool Send(uint32_t port, const NPortEvent& event);
    /// Drops every event of the port stamped so far when it comes to be delivered.
    bool DiscardPending(uint32_t port);

    bool Exists(uint32_t port) const { return Find(port) != nullptr; }
    bool IsDead(uint32_t port) const;
    /// Listeners on the port, not counting removed entries; 0 for a missing port.
    int32_t ListenerCount(uint32_t port) const;
    size_t RecordCount() const { return fRecords.size(); }

    // Used by the posted-event queue.
    /// A new sequence stamp; the event's own word holds its low 32 bits.
    uint64_t Stamp() { return ++fLastStamp; }
    uint64_t LastStamp() const { return fLastStamp; }
    /// Delivers a queued event with its stamp from posting; dropped when the port is gone.
    bool DeliverPosted(const NPortEvent& event, uint64_t stamp);
    bool PurgePending() const { return fPurgePending; }
    /// Deletes every dead port record that is not delivering.
    void PurgeDead();

    /// Takes a listener that is being destroyed off every port.
    void ForgetListener(NPortListener& listener);

    ~NPortRegistry();
    NPortRegistry(const NPortRegistry&) = delete;
    NPortRegistry& operator=(const NPortRegistry&) = delete;

private:
    struct Entry {
        NPortListener* fListener;   // nullptr once the listener is destroyed
        bool fRemoved;
    };
    struct Record {
        uint32_t fId = 0;
        std::vector<Entry> fEntries;   // registration order
        int32_t fListenerCount = 0;
        bool fDead = false;
        int32_t fDepth = 0;                 // deliveries under way, nested ones included
        bool fUnlinkPending = false;        // removed entries wait for the outermost delivery
        uint64_t fDiscardThreshold = 0;     // events stamped at or below it are dropped
    };
    class DeliveryScope;

    NPortRegistry() = default;
    Record* Find(uint32_t port) const;
    bool Deliver(Record& record, NPortEvent& event, uint64_t stamp);
    void MarkRemoved(Record& record, size_t index);
    static void UnlinkRemoved(Record& record);

    std::vector<std::unique_ptr<Record>> fRecords;   // ascending ids
    uint32_t fNextId = 1;
    uint64_t fLastStamp = 0;
    bool fPurgePending = false;
};
