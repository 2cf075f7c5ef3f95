// Input event initialisation.
#include "framework/NInputEvent.h"

void NInputEvent::Init(int32_t type, uint32_t time, NPoint where)
{
    fType = type;
    fTime = time;
    fWhere = where;
    fExtra = 0;
    fKey = kKeyNone;
    fChar = 0;
    fFlags = static_cast<uint8_t>(fFlags & ~kInputInitFlags);
}

NInputEventRef::~NInputEventRef() = default;
