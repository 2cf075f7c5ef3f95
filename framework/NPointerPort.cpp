// The pointer port slot.
#include "framework/NPointerPort.h"

namespace {

const NPortHandle* sPointerPort = nullptr;

} // namespace

const NPortHandle* NPointerPort::Get()
{
    return sPointerPort;
}

void NPointerPort::Set(const NPortHandle* port)
{
    sPointerPort = port;
}
