// The interface of objects that receive port events.
#pragma once

#include "framework/NPortEvent.h"

#include <cstdint>

/// Registers on any number of ports through their handles. Destroying a listener takes it
/// off every port, also while one of them is delivering to it.
class NPortListener {
public:
    // Lifetime
    virtual ~NPortListener();

    // Events
    /// Called for every event on a port the listener is registered on; answers whether it
    /// was handled. May register, unregister, send, post and destroy ports freely.
    virtual bool HandleEvent(const NPortEvent& event);

    /// The number of ports the listener is registered on.
    int32_t PortCount() const { return fPortCount; }

protected:
    NPortListener() = default;
    NPortListener(const NPortListener&) = delete;
    NPortListener& operator=(const NPortListener&) = delete;

private:
    friend class NPortRegistry;
    int32_t fPortCount = 0;
};
