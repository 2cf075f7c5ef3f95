// The 36-byte port event, copied by value into the posted-event queue.
#pragma once

#include "framework/NReferable.h"

#include <cstdint>

/// Nine 32-bit words in this order. Objects travel as NReferable references, which a
/// receiver turns back into the object with ArgumentAs or SourceAs.
struct NPortEvent {
    uint32_t fPort = 0;             // the port it travels on; set by send, post and delivery
    uint32_t fSequence = 0;         // stamped when sent or posted (the low 32 bits of the stamp)
    int32_t fCode = 0;              // what happened
    int32_t fSecondArgument = 0;    // a notification fired with a value puts its own code here
    int32_t fArgument = 0;          // a number or an object reference, meaning by code
    uint32_t fSource = 0;           // reference of the widget or group that raised it, or 0
    uint32_t fPostTime = 0;         // the clock's cached reading when posted
    uint32_t fDueTime = 0;          // clock now + delay when posted
    uint32_t fReserved = 0;

    NPortEvent() = default;
    /// A new event: everything but the code and the argument cleared.
    explicit NPortEvent(int32_t code, int32_t argument = 0) : fCode(code), fArgument(argument) {}

    /// The argument read as an object reference.
    template <class T> T* ArgumentAs() const { return NReferable::FindAs<T>(static_cast<uint32_t>(fArgument)); }
    template <class T> T* SourceAs() const { return NReferable::FindAs<T>(fSource); }
    /// Makes the argument a reference to the object.
    void SetArgumentObject(NReferable& object) { fArgument = static_cast<int32_t>(object.Reference()); }
};

static_assert(sizeof(NPortEvent) == 36, "a port event is nine 32-bit words");
