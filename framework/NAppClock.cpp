// The application clock over the platform's millisecond clock.
#include "framework/NAppClock.h"

#include "platform/NHostTime.h"

NAppClock::Source::~Source() = default;

NAppClock& NAppClock::The()
{
    static NAppClock sClock;
    return sClock;
}

NAppClock::NAppClock()
{
    Restart();
}

uint32_t NAppClock::ReadSource()
{
    return fSource ? fSource->Milliseconds() : NHostTime::Milliseconds();
}

void NAppClock::Restart()
{
    fBase = ReadSource();
    fLastRaw = fBase;
    fElapsed = 0;
    fCached = 0;
}

uint64_t NAppClock::NowWide()
{
    // The difference of two 32-bit readings is right across a wrap as long as the clock is
    // read at least once every 49 days, which every idle pass does.
    uint32_t raw = ReadSource();
    fElapsed += static_cast<uint32_t>(raw - fLastRaw);
    fLastRaw = raw;
    return fElapsed;
}

void NAppClock::SetSource(Source* source)
{
    fSource = source;
    Restart();
}
