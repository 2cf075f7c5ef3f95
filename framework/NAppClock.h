// The application clock: milliseconds since the clock was made, live and as cached per idle pass.
#pragma once

#include <cstdint>

/// Readings are the source's milliseconds minus the base taken when the clock was made (or
/// its source replaced). The 32-bit readings wrap like the platform clock; the wide ones
/// keep counting, so that due times compare correctly across a wrap.
class NAppClock {
public:
    /// Where the clock reads its milliseconds; the platform's monotonic clock by default.
    class Source {
    public:
        virtual ~Source();
        virtual uint32_t Milliseconds() = 0;
    };

    static NAppClock& The();

    /// Reads the source now.
    uint32_t Now() { return static_cast<uint32_t>(NowWide()); }
    uint64_t NowWide();
    /// Stores Now() as the cached reading; the idle pass does this once per pass.
    void Update() { fCached = NowWide(); }
    uint32_t Cached() const { return static_cast<uint32_t>(fCached); }
    uint64_t CachedWide() const { return fCached; }

    /// The source's reading when the clock started counting.
    uint32_t Base() const { return fBase; }
    /// A time of the source (a message time) on the clock's scale.
    uint32_t FromSourceTime(uint32_t sourceTime) const { return sourceTime - fBase; }

    /// Replaces the source (tests use a manual one; nullptr restores the platform clock)
    /// and restarts the clock from 0 at the new source's current reading.
    void SetSource(Source* source);

private:
    NAppClock();
    uint32_t ReadSource();
    void Restart();

    Source* fSource = nullptr;   // nullptr: the platform clock
    uint32_t fBase = 0;
    uint32_t fLastRaw = 0;       // the source's last reading, to count the milliseconds since
    uint64_t fElapsed = 0;
    uint64_t fCached = 0;
};
