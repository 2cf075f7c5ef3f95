// The owning handle of one port: creating it makes the port, destroying it marks it dead.
#pragma once

#include "framework/NPortEvent.h"

#include <cstdint>

class NPortListener;

class NPortHandle {
public:
    /// Creates a port with the next id.
    NPortHandle();
    /// Marks the port dead (nothing once the registry is gone at exit).
    ~NPortHandle();

    NPortHandle(NPortHandle&& other) noexcept;
    NPortHandle& operator=(NPortHandle&& other) noexcept;
    NPortHandle(const NPortHandle&) = delete;
    NPortHandle& operator=(const NPortHandle&) = delete;

    uint32_t Id() const { return fId; }

    bool AddListener(NPortListener& listener) const;
    bool RemoveListener(NPortListener& listener) const;
    int32_t ListenerCount() const;

    /// Delivers at once to every listener; answers whether any handled it.
    bool Send(const NPortEvent& event) const;
    /// Queues a copy, due delay milliseconds from now; false once the queue is gone.
    bool Post(const NPortEvent& event, uint32_t delay = 0) const;
    /// Every event of this port stamped before now (queued ones in particular) is dropped.
    bool DiscardPending() const;

    /// The same operations for a port known only by id (a notification's port).
    static bool Send(uint32_t port, const NPortEvent& event);
    static bool Post(uint32_t port, const NPortEvent& event, uint32_t delay = 0);

private:
    void Release();

    uint32_t fId = 0;   // 0 after a move
};
