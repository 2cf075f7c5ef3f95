// A notification: the event a widget raises on a port, sent at once or posted with a delay.
#pragma once

#include "framework/NPortEvent.h"

#include <cstdint>

class NNotification {
public:
    /// An empty notification: firing it does nothing and answers false.
    NNotification() = default;
    NNotification(uint32_t port, const NPortEvent& templateEvent, bool sendNow, uint32_t delay = 0);

    void Set(uint32_t port, const NPortEvent& templateEvent, bool sendNow, uint32_t delay = 0);
    bool IsSet() const { return fPort != 0; }

    /// Sends the template on the port when the send-now flag is set, else posts it.
    bool Fire() const;
    /// Fires a copy whose code is the value and whose second argument is the template's
    /// code, with the source replaced when one is given (not 0).
    bool FireWithValue(int32_t value, uint32_t source = 0) const;

    /// The template's source; a widget sets itself before firing.
    void SetSource(uint32_t source) { fTemplate.fSource = source; }

    uint32_t Port() const { return fPort; }
    const NPortEvent& Template() const { return fTemplate; }
    bool SendsNow() const { return fSendNow; }
    uint32_t Delay() const { return fDelay; }

private:
    bool Deliver(const NPortEvent& event) const;

    uint32_t fPort = 0;
    NPortEvent fTemplate;
    bool fSendNow = false;
    uint32_t fDelay = 0;
};
