// The host's clock and calendar over the C library's time functions.
#include "platform/NHostTime.h"

#include <ctime>

static constexpr uint64_t kMillisecondsPerSecond = 1000;
static constexpr uint64_t kNanosecondsPerMillisecond = 1000000;

int64_t NHostTime::Now()
{
    return static_cast<int64_t>(time(nullptr));
}

uint32_t NHostTime::Milliseconds()
{
    struct timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * kMillisecondsPerSecond
        + static_cast<uint64_t>(now.tv_nsec) / kNanosecondsPerMillisecond;
    return static_cast<uint32_t>(milliseconds);
}

bool NHostTime::LocalBreakdown(int64_t seconds, NHostCalendar& calendar)
{
    time_t moment = static_cast<time_t>(seconds);
    if (static_cast<int64_t>(moment) != seconds)
        return false;
    struct tm parts {};
    if (localtime_r(&moment, &parts) == nullptr)
        return false;
    calendar.fYear = parts.tm_year + 1900;
    calendar.fMonth = parts.tm_mon + 1;
    calendar.fDay = parts.tm_mday;
    calendar.fHour = parts.tm_hour;
    calendar.fMinute = parts.tm_min;
    calendar.fSecond = parts.tm_sec;
    calendar.fWeekday = parts.tm_wday;
    return true;
}
