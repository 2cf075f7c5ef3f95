// The posted-event queue: copies of port events delivered from the idle pass when due.
#pragma once

#include "framework/NPortEvent.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

/// Ordered by due time, then by stamp (first posted, first delivered). Each pass delivers
/// at most kMaxDeliveriesPerPass events that are due and were posted before the pass began.
class NEventQueue {
public:
    static constexpr int32_t kMaxDeliveriesPerPass = 50;

    static NEventQueue& The();
    /// The queue, or nullptr once it has been destroyed at exit.
    static NEventQueue* IfAlive();

    /// Queues a copy of the event for the port, due delay milliseconds from the clock's live
    /// reading; false when the port does not exist.
    bool Post(uint32_t port, const NPortEvent& event, uint32_t delay);

    /// One idle pass: delivers the due events, or purges dead ports when the queue is empty.
    /// Answers whether events remain queued.
    bool Process();

    /// The due time (on the clock's wide scale) of the next event; false when none waits.
    bool NextDue(uint64_t& due) const;

    size_t Size() const { return fInOrder.size() + fHeap.size(); }
    bool IsEmpty() const { return fInOrder.empty() && fHeap.empty(); }
    /// Drops every queued event without delivering it.
    void Clear();

    ~NEventQueue();
    NEventQueue(const NEventQueue&) = delete;
    NEventQueue& operator=(const NEventQueue&) = delete;

private:
    struct Item {
        NPortEvent fEvent;
        uint64_t fDue;     // on the clock's wide scale, so that a wrap cannot reorder events
        uint64_t fStamp;
    };
    static bool Later(const Item& a, const Item& b);
    const Item* Next() const;
    Item TakeNext();

    NEventQueue() = default;

    // Posts nearly always come in due order (the clock only moves forward and most delays
    // are equal), so they are appended to a sorted run; only the others go to the heap.
    std::deque<Item> fInOrder;
    std::vector<Item> fHeap;   // a binary heap with the next event on top
};
