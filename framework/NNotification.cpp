// Firing notifications through the port operations.
#include "framework/NNotification.h"

#include "framework/NPortHandle.h"

NNotification::NNotification(uint32_t port, const NPortEvent& templateEvent, bool sendNow, uint32_t delay)
{
    Set(port, templateEvent, sendNow, delay);
}

void NNotification::Set(uint32_t port, const NPortEvent& templateEvent, bool sendNow, uint32_t delay)
{
    fPort = port;
    // Only the code, the arguments and the source belong to a template.
    fTemplate = NPortEvent(templateEvent.fCode, templateEvent.fArgument);
    fTemplate.fSecondArgument = templateEvent.fSecondArgument;
    fTemplate.fSource = templateEvent.fSource;
    fSendNow = sendNow;
    fDelay = delay;
}

bool NNotification::Deliver(const NPortEvent& event) const
{
    if (fPort == 0)
        return false;
    return fSendNow ? NPortHandle::Send(fPort, event) : NPortHandle::Post(fPort, event, fDelay);
}

bool NNotification::Fire() const
{
    return Deliver(fTemplate);
}

bool NNotification::FireWithValue(int32_t value, uint32_t source) const
{
    NPortEvent event = fTemplate;
    event.fSecondArgument = event.fCode;
    event.fCode = value;
    if (source != 0)
        event.fSource = source;
    return Deliver(event);
}
