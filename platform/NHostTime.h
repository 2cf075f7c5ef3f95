// The host's clock and calendar.
#pragma once

#include <cstdint>

// A local calendar breakdown of a moment.
struct NHostCalendar {
    int fYear = 0;
    int fMonth = 0;     // 1-12
    int fDay = 0;       // 1-31
    int fHour = 0;
    int fMinute = 0;
    int fSecond = 0;
    int fWeekday = 0;   // 0 = Sunday
};

class NHostTime {
public:
    /// Seconds since 1970 UTC.
    static int64_t Now();
    /// A monotonic millisecond count from an arbitrary start; wraps around every 2^32 ms.
    static uint32_t Milliseconds();
    /// The local calendar time of a moment; false when the host cannot break it down.
    static bool LocalBreakdown(int64_t seconds, NHostCalendar& calendar);
};
