// Checking the payload's seal before anything is read from it.
#include "setup/KPayload.h"

#include "storage/NBinder.h"
#include "storage/NFileException.h"

bool KPayload::IsSealed(const NFileSpec& program)
{
    try {
        NStream file = program.Open(NStreamMode::kRead);
        return IsSealed(file);
    } catch (const NFileException&) {
        return false;
    }
}

bool KPayload::IsSealed(NStream& file)
{
    try {
        NBinderPlace place = NBinder::Locate(file, 0);
        // A binder found only in the alternative form (header at 0) is no payload appended
        // to a program.
        if (!place.fValid || !place.fHeader.IsValid() || place.fStart == 0 || place.fHeader.fChecksum == 0)
            return false;
        return NBinder::ComputeChecksum(file, place) == uint32_t(place.fHeader.fChecksum);
    } catch (const NFileException&) {
        return false;
    }
}
